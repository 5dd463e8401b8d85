#include "pages/horalux_property_page8.h"

#include "app/runtime_settings.h"
#include "app/settings_keys.h"
#include "gps/gps_state.h"
#include "gps/serial_port.h"
#include "platform/settings_store.h"
#include "ui/bubble_tip.h"

namespace horalux {

CHoraluxPropertyPage8::CHoraluxPropertyPage8(const PageServices& services, BubbleTip& tip,
                                             QWidget* parent)
    : PropertyPage(services, tip, QStringLiteral("System Configuration"), QSize(350, 130), parent) {
}

void CHoraluxPropertyPage8::BuildTemplate() {
    GroupBox(QStringLiteral("PC Clock Reference"), {7, 7, 151, 46});
    RadioButton(kUseGps, QStringLiteral("Set PC clock using GPS"), {14, 20, 93, 10}, true);
    RadioButton(kUseNetwork, QStringLiteral("Set PC clock using network time server"),
                {14, 35, 139, 10});
    // The trailing blank is the group's caption as it has always been.
    GroupBox(QStringLiteral("Miscellaneous "), {161, 7, 182, 46});
    CheckBox(kEnableBubbles, QStringLiteral("Enable help bubbles"), {168, 20, 80, 10});
    // The group has room under the check box for more of the program's own settings.
}

void CHoraluxPropertyPage8::OnInitDialog() {
    AddTip(kEnableBubbles, QStringLiteral("Enable or disables the bubble tips."));
    AddTip(kUseGps,
           QStringLiteral("Instructs Horalux to use a GPS receiver as a timing reference."));
    AddTip(kUseNetwork,
           QStringLiteral("Instructs Horalux to use a network time server as a timing reference."));

    CheckDlgButton(kEnableBubbles, bubbleTip().isEnabled());
    const int32_t network = services().runtime.useNetworkTime.load();
    CheckDlgButton(kUseGps, network == 0);
    CheckDlgButton(kUseNetwork, network == 1);

    OnClicked(kEnableBubbles, [this] { OnEnableBubbles(); });
    OnClicked(kUseGps, [this] { OnReference(); });
    OnClicked(kUseNetwork, [this] { OnReference(); });
}

void CHoraluxPropertyPage8::OnEnableBubbles() {
    const bool enabled = IsDlgButtonChecked(kEnableBubbles);
    bubbleTip().setEnabled(enabled);
    services().store.write(keys::EnableBubbleTip, enabled ? 1 : 0);
}

void CHoraluxPropertyPage8::OnReference() {
    const PageServices& s = services();
    int32_t network = 0;
    if (IsDlgButtonChecked(kUseGps)) {
        s.runtime.useNetworkTime = 0;
        s.serial.Close();
        s.serial.OpenFromSettings(s.store);
        s.gps.portHandle = s.serial.Handle();
    } else {
        network = 1;
        s.runtime.useNetworkTime = 1;
        s.serial.Close();
        s.gps.portHandle = nullptr;
        s.gps.Reset();
    }
    s.store.write(keys::UseNetworkTime, network);
}

}  // namespace horalux
