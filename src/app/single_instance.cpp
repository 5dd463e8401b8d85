#include "app/single_instance.h"

#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <cstdio>

namespace horalux {

namespace {

// A message is one decimal number and a line feed; anything longer is not from us.
constexpr qint64 kMaxMessageLength = 16;

}  // namespace

SingleInstance::SingleInstance(const QString& name, const QString& folder, QObject* parent)
    : QObject(parent) {
    QString dir = folder;
    if (dir.isEmpty()) {
        dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    }
    if (dir.isEmpty()) {
        dir = QDir::tempPath();
    }
    socketPath_ = QDir(dir).filePath(name);
    lock_ = std::make_unique<QLockFile>(socketPath_ + QStringLiteral(".lock"));
    // Only a lock whose owner has died is stale, however old it is.
    lock_->setStaleLockTime(0);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
}

SingleInstance::~SingleInstance() {
    server_.close();
}

QString SingleInstance::defaultName() {
    return QStringLiteral("Horalux-Kestrimund-%1").arg(getuid());
}

bool SingleInstance::claim() {
    if (!lock_->tryLock(0)) {
        // Another copy holds the lock; it may not be listening yet if it has only just started.
        if (!sendToRunningCopy(kConnectBoundMs)) {
            std::fprintf(stderr, "horalux: another copy is running but does not answer\n");
        }
        return false;
    }
    // The lock is ours. A socket file left by a crashed copy refuses connections: only then is it
    // removed. One that answers belongs to a copy that lost its lock file; leave it in charge.
    if (sendToRunningCopy(0)) {
        lock_->unlock();
        return false;
    }
    QLocalServer::removeServer(socketPath_);
    listen();
    return true;
}

bool SingleInstance::sendToRunningCopy(int boundMs) {
    const QDeadlineTimer deadline(boundMs);
    for (;;) {
        QLocalSocket socket;
        socket.connectToServer(socketPath_);
        if (socket.waitForConnected(200)) {
            socket.write(QByteArray::number(kOpenPropertiesMessage) + '\n');
            socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            return true;
        }
        if (deadline.hasExpired()) {
            return false;
        }
        QThread::msleep(100);
    }
}

void SingleInstance::listen() {
    if (!server_.listen(socketPath_)) {
        std::fprintf(stderr,
                     "horalux: cannot listen on %s (%s); a second copy will not find this one\n",
                     qPrintable(socketPath_), qPrintable(server_.errorString()));
    }
}

void SingleInstance::acceptConnections() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        // A later copy writes its message and hangs up at once: read what it sent on both signals.
        const auto drain = [this, socket] {
            while (socket->canReadLine()) {
                const QByteArray line = socket->readLine(kMaxMessageLength + 1).trimmed();
                bool ok = false;
                const int message = line.toInt(&ok);
                if (ok) {
                    Q_EMIT messageReceived(message);
                }
            }
            if (socket->bytesAvailable() > kMaxMessageLength) {
                socket->abort();  // not one of our messages
            }
        };
        connect(socket, &QLocalSocket::readyRead, this, drain);
        connect(socket, &QLocalSocket::disconnected, this, [socket, drain] {
            drain();
            socket->deleteLater();
        });
    }
}

}  // namespace horalux
