#include "pages/horalux_property_page8.h"

#include <QLabel>

#include "app/chrony_watch.h"
#include "app/desktop_integration.h"
#include "app/runtime_settings.h"
#include "app/settings_keys.h"
#include "gps/gps_state.h"
#include "gps/serial_port.h"
#include "gps/sky_view.h"
#include "platform/settings_store.h"
#include "ui/bubble_tip.h"

namespace horalux {

const QString CHoraluxPropertyPage8::kLeftToChronyd = QStringLiteral(
    "GPS time goes to chronyd, which sets this PC's clock: Horalux does not set it from GPS.");

CHoraluxPropertyPage8::CHoraluxPropertyPage8(const PageServices& services, BubbleTip& tip,
                                             QWidget* parent)
    : PropertyPage(services, tip, QStringLiteral("System Configuration"), QSize(350, 130), parent) {
}

void CHoraluxPropertyPage8::BuildTemplate() {
    // The groups are 14 units taller than they were, for the feed's box.
    GroupBox(QStringLiteral("PC Clock Reference"), {7, 7, 151, 60});
    RadioButton(kUseGps, QStringLiteral("Set PC clock using GPS"), {14, 20, 93, 10}, true);
    RadioButton(kUseNetwork, QStringLiteral("Set PC clock using network time server"),
                {14, 35, 139, 10});
    CheckBox(kFeedChrony, QStringLiteral("Feed GPS time to chronyd"), {14, 50, 139, 10});
    // The trailing blank is the group's caption as it has always been.
    GroupBox(QStringLiteral("Miscellaneous "), {161, 7, 182, 60});
    CheckBox(kEnableBubbles, QStringLiteral("Enable help bubbles"), {168, 20, 80, 10});
    if (services().desktop != nullptr) {
        CheckBox(kStartAtLogIn, QStringLiteral("Start Horalux when I log in"), {168, 35, 120, 10});
        StaticText(kClockPrivilege, {7, 72, 336, 24});
        StaticText(kOtherTimeServices, {7, 98, 336, 30});
        for (const int id : {kClockPrivilege, kOtherTimeServices}) {
            auto* line = Control<QLabel>(id);
            line->setWordWrap(true);
            line->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            // The names and commands in the lines can be copied.
            line->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
            line->hide();
        }
    }
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
    AddTip(kFeedChrony,
           QStringLiteral("Hands GPS time to chronyd (refclock SHM), which then sets the clock "
                          "and serves it to the network; Horalux no longer sets it from GPS."));
    CheckDlgButton(kFeedChrony, services().runtime.feedChrony.load() == 1);
    OnClicked(kFeedChrony, [this] { OnFeedChrony(); });

    if (DesktopIntegration* desktop = services().desktop) {
        AddTip(kStartAtLogIn,
               QStringLiteral("Starts Horalux in the background whenever you log in."));
        CheckDlgButton(kStartAtLogIn, desktop->startAtLogIn());
        OnClicked(kStartAtLogIn, [this] { OnStartAtLogIn(); });
        otherServicesLine_ = desktop->otherTimeServicesLine();
        connect(desktop, &DesktopIntegration::otherTimeServicesLineChanged, this,
                [this](const QString& line) {
                    otherServicesLine_ = line;
                    ShowLines();
                });
        connect(desktop, &DesktopIntegration::clockPrivilegeLineChanged, this,
                [this] { ShowLines(); });
        desktop->lookForOtherTimeServices();
        if (ChronyWatch* chrony = services().chrony) {
            connect(chrony, &ChronyWatch::lineChanged, this, [this] { ShowLines(); });
            SetTimer(kChronyTimer, kChronyLookMs);
        }
        ShowLines();
    }
}

bool CHoraluxPropertyPage8::Feeding() const {
    return services().runtime.feedsChronyd();
}

void CHoraluxPropertyPage8::ShowLines() {
    DesktopIntegration* desktop = services().desktop;
    if (desktop == nullptr) {
        return;
    }
    ChronyWatch* chrony = services().chrony;
    if (Feeding() && chrony != nullptr) {
        ShowLine(kClockPrivilege, kLeftToChronyd);
        ShowLine(kOtherTimeServices, chrony->line());
    } else {
        ShowLine(kClockPrivilege, desktop->clockPrivilegeLine());
        ShowLine(kOtherTimeServices, otherServicesLine_);
    }
}

void CHoraluxPropertyPage8::OnTimer(int id) {
    if (id == kChronyTimer && isVisible() && Feeding() && services().chrony != nullptr) {
        services().chrony->look(true);
    }
}

void CHoraluxPropertyPage8::showEvent(QShowEvent* event) {
    PropertyPage::showEvent(event);
    if (created() && Feeding() && services().chrony != nullptr) {
        services().chrony->look();
    }
}

void CHoraluxPropertyPage8::OnFeedChrony() {
    const bool on = IsDlgButtonChecked(kFeedChrony);
    services().runtime.feedChrony = on ? 1 : 0;
    services().store.write(keys::FeedChrony, on ? 1 : 0);
    if (on && Feeding() && services().chrony != nullptr) {
        services().chrony->look(true);
    }
    ShowLines();
}

void CHoraluxPropertyPage8::ShowLine(int id, const QString& text) {
    if (auto* line = Control<QLabel>(id)) {
        line->setText(text);
        line->setAccessibleName(text);
        line->setVisible(!text.isEmpty());
    }
}

void CHoraluxPropertyPage8::OnStartAtLogIn() {
    DesktopIntegration* desktop = services().desktop;
    if (desktop != nullptr) {
        // What the entry now says, should writing or removing it have failed.
        CheckDlgButton(kStartAtLogIn, desktop->setStartAtLogIn(IsDlgButtonChecked(kStartAtLogIn)));
    }
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
        if (s.sky != nullptr) {
            s.sky->Clear();  // the reader stops polling, so nothing would age it out
        }
    }
    s.store.write(keys::UseNetworkTime, network);
    ShowLines();
    if (Feeding() && s.chrony != nullptr) {
        s.chrony->look(true);
    }
}

}  // namespace horalux
