#include "app/desktop_integration.h"

#include <cstdio>

#include "app/clock_privilege_notice.h"
#include "platform/trace_request.h"

namespace horalux {

DesktopIntegration::DesktopIntegration(AutostartEntry& autostart,
                                       std::vector<TimeServiceSource*> timeSources,
                                       MessageService& messages, QObject* parent)
    : QObject(parent),
      autostart_(autostart),
      otherServices_(std::move(timeSources)),
      messages_(messages) {}

bool DesktopIntegration::startAtLogIn() const {
    return autostart_.enabled();
}

bool DesktopIntegration::setStartAtLogIn(bool on) {
    QString error;
    const bool done = on ? autostart_.enable(&error) : autostart_.disable(&error);
    if (done && TraceRequested()) {
        std::fprintf(stderr, "horalux: stored autostart=%d\n", on ? 1 : 0);
        std::fflush(stderr);
    }
    if (!done) {
        messages_.messageBox(
            ("Horalux could not change whether it starts when you log in.\n\n" + error)
                .toStdString(),
            "", kIconExclamation);
    }
    return startAtLogIn();
}

void DesktopIntegration::refreshAutostart() {
    QString error;
    if (!autostart_.refresh(&error) && !error.isEmpty()) {
        std::fprintf(stderr, "horalux: the autostart entry is stale: %s\n", qPrintable(error));
    }
}

void DesktopIntegration::noteClockSetting(const ClockSetOutcome& outcome) {
    QMetaObject::invokeMethod(
        this,
        [this, outcome] {
            const QString line = QString::fromStdString(ClockPrivilegeLine(outcome));
            if (line != clockPrivilegeLine_) {
                clockPrivilegeLine_ = line;
                Q_EMIT clockPrivilegeLineChanged(line);
            }
        },
        Qt::QueuedConnection);
}

void DesktopIntegration::lookForOtherTimeServices() {
    otherServices_.detect([this](const std::string& line) {
        otherTimeServicesLine_ = QString::fromStdString(line);
        Q_EMIT otherTimeServicesLineChanged(otherTimeServicesLine_);
    });
}

}  // namespace horalux
