#include "pages/property_pages.h"

#include <vector>

#include "pages/horalux_property_page4.h"
#include "pages/horalux_property_page7.h"
#include "pages/horalux_property_page8.h"
#include "pages/property_page.h"
#include "ui/horalux_property_sheet.h"

namespace horalux {

void AddPropertyPages(CHoraluxPropertySheet& sheet, const PageServices& services) {
    [[maybe_unused]] BubbleTip& tip = sheet.bubbleTip();
    [[maybe_unused]] const PageServices& s = services;

    // The page objects, in the order they are built.
    auto* gpsConfiguration = new CHoraluxPropertyPage4(services, tip);
    auto* networkTime = new CHoraluxPropertyPage7(services, tip);
    auto* systemConfiguration = new CHoraluxPropertyPage8(services, tip);

    // The tabs, in the order they are added; the sheet owns them from here on.
    const std::vector<PropertyPage*> tabs = {
        gpsConfiguration,
        networkTime,
        systemConfiguration,
    };
    for (PropertyPage* page : tabs) {
        sheet.addPage(page, page->caption());
    }
}

}  // namespace horalux
