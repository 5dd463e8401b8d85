#include "platform/timedated_source.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QMetaObject>
#include <QVariantMap>

namespace horalux {

TimedatedSource::TimedatedSource(QDBusConnection bus, int timeoutMs)
    : bus_(std::move(bus)), timeoutMs_(timeoutMs) {}

void TimedatedSource::detect(Report report) {
    if (!bus_) {
        bus_ = QDBusConnection::systemBus();
    }
    if (!bus_->isConnected()) {
        QMetaObject::invokeMethod(
            &context_, [report = std::move(report)] { report({}); }, Qt::QueuedConnection);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kService), QString::fromLatin1(kPath),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"));
    call << QString::fromLatin1(kService);
    auto* watcher = new QDBusPendingCallWatcher(bus_->asyncCall(call, timeoutMs_), &context_);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &context_,
                     [report = std::move(report)](QDBusPendingCallWatcher* done) {
                         const QDBusPendingReply<QVariantMap> reply = *done;
                         done->deleteLater();
                         TimeServiceReport found;
                         if (reply.isValid()) {
                             found.ntpEnabled = reply.value().value(QStringLiteral("NTP")).toBool();
                         }
                         report(found);
                     });
}

}  // namespace horalux
