#pragma once

#include "pages/property_page.h"

class QStringListModel;

namespace horalux {

// "GPS Configuration" (template 107): the receiver's port and speed, applied by "Apply Comm
// Settings", which reopens the port; the sentence the time is taken from; the fix-up delay of a
// GPS clock setting; and the two conditions of the time lock. Everything but the port and the
// speed is stored the moment it is typed or clicked.
//
// "Comm Port:" takes a port number or a device path; the serial devices present are offered as
// completions of it (refreshed each time it takes the focus).
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

    CHoraluxPropertyPage4(const PageServices& services, BubbleTip& tip, QWidget* parent = nullptr);

    // The handlers, as the controls run them.
    void OnApplyCommSettings();
    void OnTimeSource();
    void OnLockNeedsGoodGga();
    void OnLockSatellitesChanged();
    void OnFixUpDelayChanged();

    // The devices offered as completions of "Comm Port:" now.
    QStringList OfferedDevices() const;

  protected:
    void BuildTemplate() override;
    void OnInitDialog() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void RefreshOfferedDevices();

    QStringListModel* devices_ = nullptr;
};

}  // namespace horalux
