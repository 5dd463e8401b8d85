#pragma once

#include "pages/page_services.h"

namespace horalux {

class CHoraluxPropertySheet;

// Fills the properties sheet: builds the page objects (GPS status, update interval, position,
// GPS configuration, About, network time, system configuration, Time) and adds them as tabs in
// the sheet's order: "Time", "GPS Signal Quality", "Update PC Clock", "Position",
// "GPS Configuration", "About Horalux", "Network Time", "System Configuration".
void AddPropertyPages(CHoraluxPropertySheet& sheet, const PageServices& services);

}  // namespace horalux
