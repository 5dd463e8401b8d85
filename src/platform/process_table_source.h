#pragma once

#include <QObject>
#include <string>
#include <vector>

#include "platform/time_service_source.h"

namespace horalux {

// Time daemons in the process table (/proc): systemd-timesyncd, chronyd and ntpd (the name ntpsec
// and OpenNTPD run under too). A chronyd started with -x leaves the clock alone and is not
// counted. The table is read on a thread of Qt's global pool; the report comes back through the
// event loop, and not at all once this object is gone.
class ProcessTableSource final : public TimeServiceSource {
  public:
    static inline const std::vector<std::string> kDaemons{"systemd-timesyncd", "chronyd", "ntpd"};

    explicit ProcessTableSource(std::string procRoot = "/proc");

    void detect(Report report) override;

    // The daemons of kDaemons running in the table under procRoot, each once, in kDaemons'
    // order. Reads each process's comm (which the kernel cuts to 15 characters) and cmdline.
    static std::vector<std::string> Scan(const std::string& procRoot);

  private:
    std::string procRoot_;
    QObject context_;  // reports are delivered through it
};

}  // namespace horalux
