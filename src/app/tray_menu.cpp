#include "app/tray_menu.h"

namespace horalux {

TrayMenuState TrayMenuStateFor(int32_t timeLocked, bool clockVisible) {
    return {timeLocked == 1, clockVisible};
}

}  // namespace horalux
