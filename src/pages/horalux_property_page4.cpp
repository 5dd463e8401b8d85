#include "pages/horalux_property_page4.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <cstdlib>

#include "app/runtime_settings.h"
#include "app/settings_keys.h"
#include "gps/gps_state.h"
#include "pages/comm_settings.h"
#include "pages/dialog_int.h"
#include "pages/receiver_delay_dialog.h"
#include "platform/message_service.h"
#include "platform/serial_device_list.h"
#include "platform/settings_store.h"
#include "sync/delay_measurement.h"
#include "sync/sync_flags.h"

namespace horalux {

CHoraluxPropertyPage4::CHoraluxPropertyPage4(const PageServices& services, BubbleTip& tip,
                                             QWidget* parent)
    : PropertyPage(services, tip, QStringLiteral("GPS Configuration"), QSize(350, 160), parent) {}

CHoraluxPropertyPage4::~CHoraluxPropertyPage4() {
    delete delayDialog_;  // before the measurement it shows
}

void CHoraluxPropertyPage4::BuildTemplate() {
    // The port spans the page: a receiver's path (/dev/serial/by-id/usb-...-if00) is long.
    GroupBox(QStringLiteral("Communication Setup"), {7, 7, 336, 46});
    Label(QStringLiteral("Comm Port:"), {15, 20, 37, 8});
    EditableList(kCommPort, {64, 18, 272, 12});
    Label(QStringLiteral("Baud:"), {15, 36, 20, 8});
    Edit(kBaud, {64, 34, 40, 12});
    PushButton(kApplyComm, QStringLiteral("Apply Comm Settings"), {127, 33, 75, 14});
    GroupBox(QStringLiteral("NMEA Setup"), {7, 57, 107, 96});
    Label(QStringLiteral("Use time form:"), {15, 69, 46, 8});
    RadioButton(kGga, QStringLiteral("NMEA GPGGA Message"), {15, 80, 93, 10}, true);
    RadioButton(kRmc, QStringLiteral("NMEA GPRMC Message"), {15, 93, 93, 10});
    RadioButton(kZda, QStringLiteral("NMEA GPZDA Message"), {15, 106, 94, 10});
    GroupBox(QString(), {119, 57, 92, 96});
    Label(QStringLiteral("GPS set time fix-up delay:"), {124, 70, 81, 8});
    Edit(kFixUpDelay, {123, 79, 69, 12});
    Label(QStringLiteral("ms"), {194, 81, 10, 8});
    PushButton(kMeasureDelay, QStringLiteral("Measure Delay..."), {123, 98, 69, 14});
    GroupBox(QStringLiteral("GPS Time Lock"), {217, 57, 126, 96});
    Label(QStringLiteral("Time lock is defined by the following conditions. These conditions "
                         "determine if the GPS receiver is time locked ."),
          {224, 68, 113, 36});
    CheckBox(kLockNeedsGoodGga, QStringLiteral("GPS Quality is good (GPGGA)"), {224, 105, 110, 10});
    Label(QStringLiteral("--- AND ---"), {224, 119, 111, 8}, Qt::AlignHCenter);
    Label(QStringLiteral("Tracking at least:"), {224, 134, 56, 8});
    Edit(kLockSatellites, {282, 132, 22, 12});
    Label(QStringLiteral("satellites"), {307, 134, 28, 8});
}

void CHoraluxPropertyPage4::OnInitDialog() {
    const PageServices& s = services();
    RefreshOfferedDevices();
    SetDlgItemText(kCommPort, QString::fromStdString(CommPortText(s.store)));
    shownBaud_ = s.store.read(keys::Baud);
    SetDlgItemInt(kBaud, shownBaud_);
    SetTimer(kBaudTimer, kBaudTimerMs);

    AddTip(kCommPort, QStringLiteral("RS-232 Communication port."));
    AddTip(kBaud, QStringLiteral("RS-232 Communication BAUD rate."));
    AddTip(kApplyComm, QStringLiteral("Applies RS-232 communications settings now."));
    AddTip(kMeasureDelay, QStringLiteral("Measures how late the receiver sends its time, against "
                                         "the network time server, to use as the fix-up delay."));
    AddTip(kGga, QStringLiteral("Use the time from the GPGGA message."));
    AddTip(kRmc, QStringLiteral("Use the time from the GPRMC message."));
    AddTip(kZda, QStringLiteral("Use the time from the GPZDA message."));
    AddTip(kLockNeedsGoodGga, QStringLiteral("GPS quality must be good before assuming time lock"));
    AddTip(kLockSatellites,
           QStringLiteral("Must be tracking at least N satellites before assuming time lock"));

    // The devices present are offered again whenever the field takes the focus: a receiver
    // plugged in since is among them.
    Control(kCommPort)->installEventFilter(this);
    Control<QComboBox>(kCommPort)->lineEdit()->installEventFilter(this);

    OnClicked(kApplyComm, [this] { OnApplyCommSettings(); });
    OnClicked(kMeasureDelay, [this] { OnMeasureDelay(); });
    for (const int id : {kGga, kRmc, kZda}) {
        OnClicked(id, [this] { OnTimeSource(); });
    }
    OnClicked(kLockNeedsGoodGga, [this] { OnLockNeedsGoodGga(); });
    OnChange(kLockSatellites, [this] { OnLockSatellitesChanged(); });
    OnChange(kFixUpDelay, [this] { OnFixUpDelayChanged(); });

    switch (s.gps.timeSource) {
        case 0:
            CheckDlgButton(kGga, true);
            break;
        case 1:
            CheckDlgButton(kRmc, true);
            break;
        case 2:
            CheckDlgButton(kZda, true);
            break;
        default:
            break;
    }
    s.gps.timeSource = static_cast<int16_t>(s.store.read(keys::UseTimrFrom));
    CheckDlgButton(kLockNeedsGoodGga, s.runtime.lockNeedsGoodGga.load() != 0);
    // Setting the texts runs their handlers, which store the values back (or beep).
    SetDlgItemInt(kLockSatellites, s.runtime.lockSatellites.load());
    SetDlgItemInt(kFixUpDelay, s.store.read(keys::GPSTimeDelay));
}

bool CHoraluxPropertyPage4::eventFilter(QObject* watched, QEvent* event) {
    auto* port = Control<QComboBox>(kCommPort);
    if (event->type() == QEvent::FocusIn && port != nullptr &&
        (watched == port || watched == port->lineEdit())) {
        RefreshOfferedDevices();  // a receiver plugged in since is offered too
    }
    return PropertyPage::eventFilter(watched, event);
}

void CHoraluxPropertyPage4::RefreshOfferedDevices() {
    std::vector<std::pair<QString, QString>> choices;
    if (services().serialDevices != nullptr) {
        for (const SerialDeviceEntry& device : services().serialDevices->devices()) {
            choices.emplace_back(QString::fromStdString(device.path),
                                 QString::fromStdString(device.description));
        }
    }
    if (choices != choices_) {
        choices_ = choices;
        SetChoices(kCommPort, choices);
    }
}

QStringList CHoraluxPropertyPage4::OfferedDevices() const {
    QStringList shown;
    if (const auto* port = Control<QComboBox>(kCommPort)) {
        for (int i = 0; i < port->count(); ++i) {
            shown.append(
                port->model()->data(port->model()->index(i, 0), Qt::DisplayRole).toString());
        }
    }
    return shown;
}

void CHoraluxPropertyPage4::OnTimer(int id) {
    if (id != kBaudTimer) {
        return;
    }
    // The speed search stores the speed it found; show it, unless the user is typing one.
    const int32_t stored = services().store.read(keys::Baud);
    if (stored != shownBaud_ && !HasFocus(kBaud)) {
        shownBaud_ = stored;
        SetDlgItemInt(kBaud, stored);
    }
}

std::chrono::milliseconds CHoraluxPropertyPage4::MeasurementDuration() {
    const char* seconds = std::getenv("HORALUX_DELAY_SECONDS");
    const int n = seconds == nullptr ? 0 : std::atoi(seconds);
    if (n >= 5 && n <= 600) {
        return std::chrono::seconds(n);
    }
    return DelayMeasurement::kDefaultDuration;
}

void CHoraluxPropertyPage4::OnMeasureDelay() {
    const PageServices& s = services();
    delete delayDialog_;
    measurement_.reset();  // one stopped earlier ends within an SNTP reply time-out
    std::string server = s.runtime.currentServer();
    if (server.empty()) {
        server = s.store.read(keys::TimeServer);
    }
    ReceiverDelayDialog::Start start;
    if (s.flags.timeLocked.load() == 0) {
        start.problem = ReceiverDelayDialog::kNotLockedText;
    } else if (server.empty()) {
        start.problem = ReceiverDelayDialog::kNoServerText;
    } else {
        measurement_ = std::make_unique<DelayMeasurementThread>(
            s.gps, server, DelayMeasurement::SntpQueryFor(server), MeasurementDuration());
        start.measurement = measurement_.get();
    }
    start.server = server;
    delayDialog_ = new ReceiverDelayDialog(start, this);
    connect(delayDialog_, &ReceiverDelayDialog::delayChosen, this,
            [this](int delay) { UseMeasuredDelay(delay); });
    connect(delayDialog_, &QDialog::finished, this, [this] {
        if (measurement_) {
            measurement_->Stop();  // Cancel: at once; its thread ends on its own
        }
        delayDialog_->deleteLater();
        delayDialog_ = nullptr;
    });
    delayDialog_->open();
}

void CHoraluxPropertyPage4::UseMeasuredDelay(int delay) {
    // The field's handler stores it, as if it had been typed.
    SetDlgItemInt(kFixUpDelay, delay);
    services().store.write(keys::GPSTimeDelay, delay);
}

void CHoraluxPropertyPage4::OnApplyCommSettings() {
    const PageServices& s = services();
    ApplyCommSettings(s.store, s.serial, s.gps, GetDlgItemText(kCommPort).toStdString(),
                      GetDlgItemInt(kBaud));
}

void CHoraluxPropertyPage4::OnTimeSource() {
    GpsState& gps = services().gps;
    if (IsDlgButtonChecked(kGga)) {
        gps.timeSource = 0;
    } else if (IsDlgButtonChecked(kRmc)) {
        gps.timeSource = 1;
    } else if (IsDlgButtonChecked(kZda)) {
        gps.timeSource = 2;
    }
    services().store.write(keys::UseTimrFrom, Low16(gps.timeSource));
}

void CHoraluxPropertyPage4::OnLockNeedsGoodGga() {
    const int32_t needed = IsDlgButtonChecked(kLockNeedsGoodGga) ? 1 : 0;
    services().runtime.lockNeedsGoodGga = needed;
    services().store.write(keys::TLGPSGood, needed);
}

void CHoraluxPropertyPage4::OnLockSatellitesChanged() {
    const uint16_t satellites = Low16(GetDlgItemInt(kLockSatellites));
    services().runtime.lockSatellites = satellites;
    services().store.write(keys::TLSats, satellites);
}

void CHoraluxPropertyPage4::OnFixUpDelayChanged() {
    const int32_t delay = GetDlgItemInt(kFixUpDelay);
    if (delay > -1000 && delay < 1000) {
        services().store.write(keys::GPSTimeDelay, delay);
    } else {
        services().messages.beep(kIconExclamation);
    }
}

}  // namespace horalux
