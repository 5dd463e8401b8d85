#include "pages/horalux_property_page2.h"

#include <QCheckBox>

#include "app/runtime_settings.h"
#include "app/settings_keys.h"
#include "app/update_starter.h"
#include "pages/dialog_int.h"
#include "platform/settings_store.h"
#include "platform/system_clock.h"
#include "sync/sync_flags.h"

namespace horalux {

CHoraluxPropertyPage2::CHoraluxPropertyPage2(const PageServices& services, BubbleTip& tip)
    : PropertyPage(services, tip, QStringLiteral("Update PC Clock")) {}

void CHoraluxPropertyPage2::BuildTemplate() {
    Frame(0, {7, 7, 336, 70});
    Label(QStringLiteral("Enter the interval in minutes to update the PC clock. Acceptable ranges "
                         "are from 1 minute to 44640 minutes (31 Days)."),
          {15, 12, 321, 27});
    Label(QStringLiteral("Update Every:"), {61, 47, 46, 8});
    Edit(kInterval, {111, 45, 53, 12});
    Label(QStringLiteral("minute(s)"), {171, 47, 29, 8});
    // Present but never shown.
    CheckBox(kSetBeep, QStringLiteral("Enable set beep"), {221, 46, 107, 10})->hide();
    PushButton(kUpdateNow, QStringLiteral("Update PC Clock Now"), {7, 108, 84, 14});
}

void CHoraluxPropertyPage2::OnInitDialog() {
    AddTip(kInterval, QStringLiteral("PC clock update rate in minutes."));
    AddTip(kUpdateNow, QStringLiteral("Sets the PC clock now."));

    RuntimeSettings& runtime = services().runtime;
    OnChange(kInterval, [this, &runtime] {
        const uint16_t minutes = Low16(GetDlgItemInt(kInterval));
        runtime.updateRate = minutes;
        services().store.write(keys::TimeUpdateRate, minutes);
    });
    OnClicked(kSetBeep, [this, &runtime] {
        const int32_t beep = IsDlgButtonChecked(kSetBeep) ? 1 : 0;
        runtime.setBeep = beep;
        services().store.write(keys::EnableSetBeep, beep);
    });
    OnClicked(kUpdateNow, [this] { services().starter.Start(); });

    // Set with the change handler live: it stores the same value back.
    SetDlgItemInt(kInterval, runtime.updateRate.load());
    CheckDlgButton(kSetBeep, runtime.setBeep.load() == 1);
    SetTimer(1, kTimerPeriodMs);
}

void CHoraluxPropertyPage2::OnTimer(int /*id*/) {
    const uint16_t second = services().clock.localNow().second;
    if (second == lastLocalSecond_) {
        return;
    }
    lastLocalSecond_ = second;
    const SyncFlags& flags = services().flags;
    EnableControl(kUpdateNow, flags.syncBusy.load() != 1 && flags.timeLocked.load() == 1);
}

}  // namespace horalux
