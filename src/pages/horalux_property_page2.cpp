#include "pages/horalux_property_page2.h"

#include <QCheckBox>
#include <QComboBox>

#include "app/drift_estimate.h"
#include "app/runtime_settings.h"
#include "app/settings_keys.h"
#include "app/update_log.h"
#include "app/update_starter.h"
#include "displays/correction_plot.h"
#include "pages/dialog_int.h"
#include "platform/settings_store.h"
#include "platform/system_clock.h"
#include "sync/sync_flags.h"

namespace horalux {

const QString CHoraluxPropertyPage2::kNothing = QStringLiteral("\u2014");

CHoraluxPropertyPage2::CHoraluxPropertyPage2(const PageServices& services, BubbleTip& tip)
    : PropertyPage(services, tip, QStringLiteral("Update PC Clock"), QSize(350, 205)) {}

CHoraluxPropertyPage2::~CHoraluxPropertyPage2() {
    if (subscription_ != 0) {
        services().updates->Unsubscribe(subscription_);
    }
}

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
    if (services().updates == nullptr) {
        return;
    }
    // The labels of the last update and correction in one column, their fields in the next.
    Label(QStringLiteral("Last update:"), {7, 82, 60, 8});
    StaticText(kLastUpdate, {70, 82, 273, 8});
    Label(QStringLiteral("Last correction:"), {7, 94, 60, 8});
    StaticText(kLastCorrection, {70, 94, 64, 8});
    Label(QStringLiteral("Drift:"), {140, 94, 22, 8});
    StaticText(kDrift, {164, 94, 179, 8});
    Label(QStringLiteral("Corrections over:"), {190, 111, 64, 8}, Qt::AlignRight);
    DropDownList(kRange, {258, 109, 85, 40}, false);
    plot_ = Place(kPlot, new CorrectionPlot, {7, 125, 336, 73});
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

    if (services().updates == nullptr) {
        return;
    }
    AddTip(kLastUpdate, QStringLiteral("When the PC clock was last updated, from what, and how."));
    AddTip(kLastCorrection,
           QStringLiteral("How far the last update that set the PC clock moved it."));
    AddTip(kDrift, QStringLiteral("How fast the PC clock drifts from the reference between "
                                  "updates; positive when it gains."));
    AddTip(kRange, QStringLiteral("The time the plot of corrections shows."));
    AddTip(kPlot, QStringLiteral("The correction of each update; a red mark under the line for "
                                 "each update that did not set the clock."));
    AddString(kRange, QStringLiteral("Last 24 hours"));
    AddString(kRange, QStringLiteral("Last 30 days"));
    Control<QComboBox>(kRange)->setCurrentIndex(0);
    OnSelChange(kRange, [this] {
        plot_->SetRange(Control<QComboBox>(kRange)->currentIndex() == 1 ? CorrectionRange::Month
                                                                        : CorrectionRange::Day);
    });
    subscription_ = services().updates->Subscribe(
        [this] { ShowRecord(toUnixMillis(services().clock.utcNow())); });
    ShowRecord(toUnixMillis(services().clock.utcNow()));
}

void CHoraluxPropertyPage2::ShowRecord(int64_t nowMs) {
    const std::vector<UpdateOutcome>& updates = services().updates->updates();
    lastMinute_ = nowMs / 60000;
    SetDlgItemText(kLastUpdate, updates.empty()
                                    ? kNothing
                                    : QString::fromStdString(DescribeOutcome(updates.back())));
    std::optional<int64_t> correction;  // of the last setting
    std::vector<CorrectionPoint> points;
    points.reserve(updates.size());
    for (const UpdateOutcome& u : updates) {
        const bool set = u.result == UpdateResult::Set && u.correctionMs.has_value();
        points.push_back({u.timeMs, set, set ? *u.correctionMs : 0});
        if (set) {
            correction = u.correctionMs;
        }
    }
    SetDlgItemText(kLastCorrection,
                   correction ? QString::fromStdString(FormatCorrection(*correction)) : kNothing);
    const std::optional<DriftEstimate> drift = EstimateDrift(updates, nowMs);
    SetDlgItemText(kDrift, drift ? QString::fromStdString(FormatDrift(*drift)) : kNothing);
    plot_->SetContents(std::move(points), nowMs);
}

void CHoraluxPropertyPage2::OnTimer(int /*id*/) {
    const uint16_t second = services().clock.localNow().second;
    if (second == lastLocalSecond_) {
        return;
    }
    lastLocalSecond_ = second;
    const SyncFlags& flags = services().flags;
    EnableControl(kUpdateNow, flags.syncBusy.load() != 1 && flags.timeLocked.load() == 1);
    if (plot_ != nullptr) {
        // Old updates leave the drift's window and the plot's as the clock goes on.
        const int64_t now = toUnixMillis(services().clock.utcNow());
        if (now / 60000 != lastMinute_) {
            ShowRecord(now);
        }
    }
}

}  // namespace horalux
