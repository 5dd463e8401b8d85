#include "pages/horalux_property_page4.h"

#include <QCompleter>
#include <QEvent>
#include <QLineEdit>
#include <QStringListModel>

#include "app/runtime_settings.h"
#include "app/settings_keys.h"
#include "gps/gps_state.h"
#include "pages/comm_settings.h"
#include "pages/dialog_int.h"
#include "platform/message_service.h"
#include "platform/serial_device_list.h"
#include "platform/settings_store.h"

namespace horalux {

CHoraluxPropertyPage4::CHoraluxPropertyPage4(const PageServices& services, BubbleTip& tip,
                                             QWidget* parent)
    : PropertyPage(services, tip, QStringLiteral("GPS Configuration"), QSize(350, 130), parent) {}

void CHoraluxPropertyPage4::BuildTemplate() {
    GroupBox(QStringLiteral("Communication Setup"), {7, 7, 204, 50});
    Label(QStringLiteral("Comm Port:"), {15, 21, 37, 8});
    Edit(kCommPort, {64, 19, 40, 12});
    Label(QStringLiteral("Baud:"), {15, 41, 20, 8});
    Edit(kBaud, {64, 39, 40, 12});
    PushButton(kApplyComm, QStringLiteral("Apply Comm Settings"), {127, 27, 75, 14});
    GroupBox(QStringLiteral("NMEA Setup"), {7, 60, 107, 62});
    Label(QStringLiteral("Use time form:"), {15, 72, 46, 8});
    RadioButton(kGga, QStringLiteral("NMEA GPGGA Message"), {15, 83, 93, 10}, true);
    RadioButton(kRmc, QStringLiteral("NMEA GPRMC Message"), {15, 96, 93, 10});
    RadioButton(kZda, QStringLiteral("NMEA GPZDA Message"), {15, 109, 94, 10});
    GroupBox(QString(), {119, 60, 92, 62});
    Label(QStringLiteral("GPS set time fix-up delay:"), {124, 73, 81, 8});
    Edit(kFixUpDelay, {123, 82, 69, 12});
    Label(QStringLiteral("ms"), {194, 84, 10, 8});
    GroupBox(QStringLiteral("GPS Time Lock"), {217, 7, 126, 115});
    Label(QStringLiteral("Time lock is defined by the following conditions. These conditions "
                         "determine if the GPS receiver is time locked ."),
          {224, 18, 113, 36});
    CheckBox(kLockNeedsGoodGga, QStringLiteral("GPS Quality is good (GPGGA)"), {224, 55, 110, 10});
    Label(QStringLiteral("--- AND ---"), {224, 81, 111, 8}, Qt::AlignHCenter);
    Label(QStringLiteral("Tracking at least:"), {224, 103, 56, 8});
    Edit(kLockSatellites, {282, 101, 22, 12});
    Label(QStringLiteral("satellites"), {307, 103, 28, 8});
}

void CHoraluxPropertyPage4::OnInitDialog() {
    const PageServices& s = services();
    SetDlgItemText(kCommPort, QString::fromStdString(CommPortText(s.store)));
    SetDlgItemInt(kBaud, s.store.read(keys::Baud));

    AddTip(kCommPort, QStringLiteral("RS-232 Communication port."));
    AddTip(kBaud, QStringLiteral("RS-232 Communication BAUD rate."));
    AddTip(kApplyComm, QStringLiteral("Applies RS-232 communications settings now."));
    AddTip(kGga, QStringLiteral("Use the time from the GPGGA message."));
    AddTip(kRmc, QStringLiteral("Use the time from the GPRMC message."));
    AddTip(kZda, QStringLiteral("Use the time from the GPZDA message."));
    AddTip(kLockNeedsGoodGga, QStringLiteral("GPS quality must be good before assuming time lock"));
    AddTip(kLockSatellites,
           QStringLiteral("Must be tracking at least N satellites before assuming time lock"));

    // The devices present, offered as the port is typed ("usb" finds /dev/ttyUSB0 and the
    // receiver's by-id link alike).
    devices_ = new QStringListModel(this);
    auto* completer = new QCompleter(devices_, this);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setFilterMode(Qt::MatchContains);
    auto* port = Control<QLineEdit>(kCommPort);
    port->setCompleter(completer);
    port->installEventFilter(this);
    RefreshOfferedDevices();

    OnClicked(kApplyComm, [this] { OnApplyCommSettings(); });
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
    if (event->type() == QEvent::FocusIn && watched == Control(kCommPort)) {
        RefreshOfferedDevices();  // a receiver plugged in since is offered too
    }
    return PropertyPage::eventFilter(watched, event);
}

void CHoraluxPropertyPage4::RefreshOfferedDevices() {
    QStringList names;
    if (services().serialDevices != nullptr) {
        for (const std::string& device : services().serialDevices->devices()) {
            names.append(QString::fromStdString(device));
        }
    }
    if (names != devices_->stringList()) {
        devices_->setStringList(names);
    }
}

QStringList CHoraluxPropertyPage4::OfferedDevices() const {
    return devices_ == nullptr ? QStringList() : devices_->stringList();
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
