#pragma once

#include <chrono>
#include <memory>

#include "pages/property_page.h"

namespace horalux {

class DelayMeasurementThread;
class ReceiverDelayDialog;

// "GPS Configuration" (template 107): the receiver's port and speed, applied by "Apply Comm
// Settings", which reopens the port; the sentence the time is taken from; the fix-up delay of a
// GPS clock setting; and the two conditions of the time lock. Everything but the port and the
// speed is stored the moment it is typed or clicked.
//
// "Comm Port:" takes a port number or a device path, typed or picked from the serial devices
// present, each shown with what the system knows of it (refreshed each time the field takes the
// focus). It spans the page, so that a device's whole path reads. "Baud:" follows the speed the
// receiver was found to send at (stored in "Baud" by the speed search) unless it is being typed
// in. "Measure Delay..." opens "Receiver Delay", which measures the fix-up delay against the
// current time server.
class CHoraluxPropertyPage4 final : public PropertyPage {
    Q_OBJECT
  public:
    static constexpr int kCommPort = 1010;
    static constexpr int kBaud = 1011;
    static constexpr int kApplyComm = 1012;
    static constexpr int kGga = 1020;
    static constexpr int kRmc = 1021;
    static constexpr int kZda = 1027;
    static constexpr int kLockNeedsGoodGga = 1025;
    static constexpr int kLockSatellites = 1026;
    static constexpr int kFixUpDelay = 1053;
    static constexpr int kMeasureDelay = 1054;
    // Timer 1: "Baud:" follows the stored speed.
    static constexpr int kBaudTimer = 1;
    static constexpr int kBaudTimerMs = 500;

    CHoraluxPropertyPage4(const PageServices& services, BubbleTip& tip, QWidget* parent = nullptr);
    ~CHoraluxPropertyPage4() override;

    // The handlers, as the controls run them.
    void OnApplyCommSettings();
    void OnTimeSource();
    void OnLockNeedsGoodGga();
    void OnLockSatellitesChanged();
    void OnFixUpDelayChanged();
    // Opens "Receiver Delay" and starts a measurement against the current time server.
    void OnMeasureDelay();

    // The devices offered in "Comm Port:" now, as the list shows them.
    QStringList OfferedDevices() const;
    // The open "Receiver Delay" dialog, if any.
    ReceiverDelayDialog* delayDialog() const { return delayDialog_; }

    // How long a measurement lasts: 60 s, or HORALUX_DELAY_SECONDS (a test seam).
    static std::chrono::milliseconds MeasurementDuration();

  protected:
    void BuildTemplate() override;
    void OnInitDialog() override;
    void OnTimer(int id) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void RefreshOfferedDevices();
    void UseMeasuredDelay(int delay);

    std::vector<std::pair<QString, QString>> choices_;  // offered in "Comm Port:"
    int32_t shownBaud_ = 0;
    std::unique_ptr<DelayMeasurementThread> measurement_;
    ReceiverDelayDialog* delayDialog_ = nullptr;
};

}  // namespace horalux
