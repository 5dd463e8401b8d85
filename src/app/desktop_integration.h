#pragma once

#include <QObject>
#include <QString>
#include <string>
#include <vector>

#include "app/other_time_services.h"
#include "platform/autostart_entry.h"
#include "platform/message_service.h"
#include "platform/time_service_source.h"
#include "sync/clock_setter.h"

namespace horalux {

// How the program stands on the user's desktop, for the System Configuration page:
// - the check box "Start Horalux when I log in": startAtLogIn() and setStartAtLogIn(), which
//   writes or removes the user's autostart entry at once;
// - the line on setting the clock: clockPrivilegeLine(), empty while nothing stands in the way;
//   noteClockSetting() (from any thread) brings each clock setting's outcome, and
//   clockPrivilegeLineChanged() the line when it changes;
// - the line on other time services: lookForOtherTimeServices() starts a look without blocking;
//   otherTimeServicesLineChanged() brings its line when it ends (empty when none was found), and
//   otherTimeServicesLine() keeps the last one.
// Nothing on the system is changed but the user's own autostart entry.
class DesktopIntegration final : public QObject {
    Q_OBJECT

  public:
    DesktopIntegration(AutostartEntry& autostart, std::vector<TimeServiceSource*> timeSources,
                       MessageService& messages, QObject* parent = nullptr);

    bool startAtLogIn() const;
    // Writes (on) or removes (off) the autostart entry. A failure is shown to the user in a
    // message box. Returns whether the program now starts at log-in, for the check box.
    bool setStartAtLogIn(bool on);
    // Start-up: an entry that names a program no longer there is rewritten to name this one.
    void refreshAutostart();

    QString clockPrivilegeLine() const { return clockPrivilegeLine_; }
    // The outcome of a clock setting, or of the look for the clock helper; safe from any thread
    // (the line follows in this object's thread).
    void noteClockSetting(const ClockSetOutcome& outcome);

    void lookForOtherTimeServices();
    QString otherTimeServicesLine() const { return otherTimeServicesLine_; }

  Q_SIGNALS:
    void otherTimeServicesLineChanged(const QString& line);
    void clockPrivilegeLineChanged(const QString& line);

  private:
    AutostartEntry& autostart_;
    OtherTimeServices otherServices_;
    MessageService& messages_;
    QString otherTimeServicesLine_;
    QString clockPrivilegeLine_;
};

}  // namespace horalux
