#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include "app/chrony_state_line.h"
#include "sync/chrony_feed.h"

class QProcess;

namespace horalux {

// chronyd's state while GPS time is fed to it, for the System Configuration page: look() runs
// `chronyc -c -n sources` without blocking (one run at a time, ended after kTimeoutMs) and
// lineChanged() brings ChronyStateLine's line when it ends. The page asks a few times a minute
// at most. HORALUX_CHRONYC adds options to chronyc's command line (e.g. "-h /path/chronyd.sock":
// a chronyd with its command socket elsewhere). Nothing is asked of chronyd but its sources.
class ChronyWatch final : public QObject {
    Q_OBJECT

  public:
    static constexpr int kTimeoutMs = 5000;
    // Looks asked for sooner than this after the last one are not made.
    static constexpr int kMinSpacingMs = 5000;

    explicit ChronyWatch(const ChronyFeed& feed, QString program = QStringLiteral("chronyc"),
                         QObject* parent = nullptr);
    ~ChronyWatch() override;

    // Starts a look unless one is under way or (without `now`) the last began less than
    // kMinSpacingMs ago.
    void look(bool now = false);
    QString line() const { return line_; }

  Q_SIGNALS:
    void lineChanged(const QString& line);

  private:
    void finish(const ChronycResult& result);

    const ChronyFeed& feed_;
    QString program_;
    QStringList options_;
    QPointer<QProcess> process_;
    QElapsedTimer sinceLook_;
    QString line_;
};

}  // namespace horalux
