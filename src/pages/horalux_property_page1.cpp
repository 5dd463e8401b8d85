#include "pages/horalux_property_page1.h"

#include <algorithm>
#include <array>

#include "app/update_starter.h"
#include "displays/activity_led.h"
#include "displays/signal_quality_graph.h"
#include "gps/gps_state.h"
#include "gps/sky_view.h"
#include "pages/satellite_feed.h"
#include "platform/system_clock.h"
#include "sync/sync_flags.h"

namespace horalux {

namespace {

enum : int {
    kGpsTime = 1001,
    kLocalTime = 1002,
    kLocked = 1004,
    kStatus = 1007,
    kUpdateNow = 1008,
    kResetQuality = 1033,
    kLight = 1031,
    kGraph = 1000,
};

QString ClockText(int hour, int minute, int second) {
    return QString::asprintf("%02d:%02d:%02d", hour, minute, second);
}

}  // namespace

CHoraluxPropertyPage1::CHoraluxPropertyPage1(const PageServices& services, BubbleTip& tip)
    : PropertyPage(services, tip, QStringLiteral("GPS Signal Quality")) {}

void CHoraluxPropertyPage1::BuildTemplate() {
    Label(QStringLiteral("GPS Time:"), {7, 10, 35, 8});
    ReadOnlyEdit(kGpsTime, {54, 8, 57, 12});
    Label(QStringLiteral("Local Time:"), {7, 26, 38, 8});
    ReadOnlyEdit(kLocalTime, {54, 24, 57, 12});
    PushButton(kUpdateNow, QStringLiteral("Update PC Clock Now"), {125, 7, 80, 14});
    PushButton(kResetQuality, QStringLiteral("Reset Signal Quality"), {125, 23, 80, 14});
    Label(QStringLiteral("GPS Locked:"), {218, 10, 44, 8});
    ReadOnlyEdit(kLocked, {262, 8, 57, 12});
    Label(QStringLiteral("Status:"), {218, 26, 23, 8});
    ReadOnlyEdit(kStatus, {246, 24, 78, 12});
    Label(QStringLiteral("Rx:"), {322, 10, 12, 8});
    light_ = Place(kLight, new ActivityLed, {335, 10, 8, 8});
    graph_ = Place(kGraph, new SignalQualityGraph, {7, 44, 336, 78});
}

void CHoraluxPropertyPage1::OnInitDialog() {
    // The light takes no focus, so no label names it for a screen reader: say what it is.
    light_->setAccessibleName(QStringLiteral("Rx:"));

    AddTip(kGpsTime, QStringLiteral("Shows the time from the GPS reciever."));
    AddTip(kLocalTime, QStringLiteral("Shows the current local time on the PC."));
    AddTip(kUpdateNow, QStringLiteral("Sets the PC clock now. GPS receiver must be locked."));
    AddTip(kLocked,
           QStringLiteral("Shows the GPS receiver is tracking satellites and time is good."));
    AddTip(kStatus,
           QStringLiteral("Shows GPS status and status while the system is setting the PC clock."));
    AddTip(kGraph, QStringLiteral("Shows individual satellite signal quality."));
    AddTip(kLight,
           QStringLiteral("Shows that NMEA data is being processed from the GPS receiver."));
    AddTip(kResetQuality, QStringLiteral("Resets the minimum and maximum signal quality levels"));

    light_->SetLed(16, 1, 128);  // large circular green LED, dim

    OnClicked(kUpdateNow, [this] { services().starter.Start(); });
    OnClicked(kResetQuality, [this] { graph_->ResetExtremes(); });

    SetTimer(1, 50);
}

void CHoraluxPropertyPage1::Show(int id, const QString& text) {
    if (GetDlgItemText(id) != text) {
        SetDlgItemText(id, text);
    }
}

void CHoraluxPropertyPage1::OnTimer(int) {
    GpsState& gps = services().gps;

    // Activity: the light stays lit while sentences come within 100 ms of each other.
    if (gps.sentenceCount != lastSentenceCount_) {
        lastSentenceCount_ = gps.sentenceCount;
        light_->Flash(100);
    }

    // Signals: from the record once per GSV sentence, or from the sky view of every
    // constellation whenever it has changed.
    SignalQualityState& bars = graph_->state();
    const SkyView* sky = services().sky;
    if (ShowsSkyView(sky)) {
        // Kept in step, so that the record's next GSV is news once the view has been cleared.
        lastGsvCount_ = gps.gsvSentenceCount;
        if (sky->Revision() != lastSkyRevision_) {
            lastSkyRevision_ = sky->Revision();
            const int count = FillBarsFromView(OrderForGraph(sky->Satellites()), bars);
            // With none left in view the bars show empty, as many as before.
            graph_->invalidate(count > 0 && bars.SetBarCount(count));
        }
    } else if (gps.gsvSentenceCount != lastGsvCount_) {
        lastGsvCount_ = gps.gsvSentenceCount;
        const int inView = FillBarsFromRecord(gps, bars);
        if (inView > 0) {
            graph_->invalidate(bars.SetBarCount(inView));
        }
    }

    // GPS time: shown when the receiver's second changes.
    if (gps.utcSecond != lastGpsSecond_) {
        lastGpsSecond_ = gps.utcSecond;
        Show(kGpsTime, ClockText(gps.utcHour, gps.utcMinute, gps.utcSecond));
    }

    // Local time, lock and status: once per second of the PC's clock.
    const SystemTime local = services().clock.localNow();
    if (local.second != lastLocalSecond_) {
        lastLocalSecond_ = local.second;
        Show(kLocalTime, ClockText(local.hour, local.minute, local.second));
        const bool locked = services().flags.timeLocked.load() == 1;
        const bool busy = services().flags.syncBusy.load() == 1;
        Show(kLocked, locked ? QStringLiteral("LOCKED") : QStringLiteral("UNLOCKED"));
        Show(kStatus, busy ? QStringLiteral("Seting PC Clock..") : QStringLiteral("Idle"));
        EnableControl(kUpdateNow, !busy && locked);
    }
}

}  // namespace horalux
