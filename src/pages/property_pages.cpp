#include "pages/property_pages.h"

#include <vector>

#include "pages/horalux_property_page1.h"
#include "pages/horalux_property_page3.h"
#include "pages/property_page.h"
#include "ui/horalux_property_sheet.h"

namespace horalux {

void AddPropertyPages(CHoraluxPropertySheet& sheet, const PageServices& services) {
    [[maybe_unused]] BubbleTip& tip = sheet.bubbleTip();
    [[maybe_unused]] const PageServices& s = services;

    // The page objects, in the order they are built.
    auto* gpsStatus = new CHoraluxPropertyPage1(s, tip);
    auto* position = new CHoraluxPropertyPage3(s, tip);

    // The tabs, in the order they are added; the sheet owns them from here on.
    const std::vector<PropertyPage*> tabs = {gpsStatus, position};
    for (PropertyPage* page : tabs) {
        sheet.addPage(page, page->caption());
    }
}

}  // namespace horalux
