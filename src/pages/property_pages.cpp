#include "pages/property_pages.h"

#include <vector>

#include "pages/horalux_property_page1.h"
#include "pages/horalux_property_page2.h"
#include "pages/horalux_property_page3.h"
#include "pages/horalux_property_page4.h"
#include "pages/horalux_property_page5.h"
#include "pages/horalux_property_page7.h"
#include "pages/horalux_property_page8.h"
#include "pages/horalux_property_page9.h"
#include "pages/property_page.h"
#include "ui/horalux_property_sheet.h"

namespace horalux {

void AddPropertyPages(CHoraluxPropertySheet& sheet, const PageServices& services) {
    BubbleTip& tip = sheet.bubbleTip();

    // The page objects, in the order they are built.
    auto* gpsStatus = new CHoraluxPropertyPage1(services, tip);
    auto* updateInterval = new CHoraluxPropertyPage2(services, tip);
    auto* position = new CHoraluxPropertyPage3(services, tip);
    auto* gpsConfiguration = new CHoraluxPropertyPage4(services, tip);
    auto* about = new CHoraluxPropertyPage5(services, tip);
    auto* networkTime = new CHoraluxPropertyPage7(services, tip);
    auto* systemConfiguration = new CHoraluxPropertyPage8(services, tip);
    auto* time = new CHoraluxPropertyPage9(services, tip);

    // The tabs, in the order they are added; the sheet owns them from here on.
    const std::vector<PropertyPage*> tabs = {
        time,  gpsStatus,   updateInterval,      position, gpsConfiguration,
        about, networkTime, systemConfiguration,
    };
    for (PropertyPage* page : tabs) {
        sheet.addPage(page, page->caption());
    }
}

}  // namespace horalux
