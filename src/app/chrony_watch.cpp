#include "app/chrony_watch.h"

#include <QProcess>
#include <QTimer>
#include <cstdio>

#include "platform/trace_request.h"

namespace horalux {

ChronyWatch::ChronyWatch(const ChronyFeed& feed, QString program, QObject* parent)
    : QObject(parent), feed_(feed), program_(std::move(program)) {
    options_ = qEnvironmentVariable("HORALUX_CHRONYC").split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

ChronyWatch::~ChronyWatch() {
    if (process_) {
        process_->disconnect(this);
        process_->kill();
        process_->waitForFinished(1000);
    }
}

void ChronyWatch::look(bool now) {
    if (process_ || (!now && sinceLook_.isValid() && sinceLook_.elapsed() < kMinSpacingMs)) {
        return;
    }
    sinceLook_.start();
    auto* process = new QProcess(this);
    process_ = process;
    QStringList arguments = options_;
    arguments << QStringLiteral("-c") << QStringLiteral("-n") << QStringLiteral("sources");
    auto* bound = new QTimer(process);
    bound->setSingleShot(true);
    connect(bound, &QTimer::timeout, process, [process] { process->kill(); });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) {
            process->deleteLater();
            finish(ChronycResult{});
        }
    });
    connect(process, &QProcess::finished, this,
            [this, process](int exitCode, QProcess::ExitStatus status) {
                ChronycResult result;
                result.started = true;
                result.finished = status == QProcess::NormalExit;
                result.exitCode = exitCode;
                result.out = process->readAllStandardOutput().toStdString();
                result.err = process->readAllStandardError().toStdString();
                process->deleteLater();
                finish(result);
            });
    bound->start(kTimeoutMs);
    process->start(program_, arguments);
}

void ChronyWatch::finish(const ChronycResult& result) {
    process_ = nullptr;
    line_ = QString::fromStdString(ChronyStateLine(result, feed_.status()));
    if (TraceRequested()) {
        std::fprintf(stderr, "horalux: chrony line: %s\n", qPrintable(line_));
        std::fflush(stderr);
    }
    Q_EMIT lineChanged(line_);
}

}  // namespace horalux
