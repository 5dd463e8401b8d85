#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

namespace horalux {

// One running copy of the program per user and desktop session.
//
// The first copy holds a lock file and listens on a local socket, both in the user's runtime
// folder ($XDG_RUNTIME_DIR) and named from "Horalux-Kestrimund" and the user id. A later copy
// finds the lock taken, connects to the socket, sends the message 1025 ("open your properties")
// and reports that another copy runs. A copy that crashed leaves its lock file and socket file
// behind: the lock is taken over once its owner's process is gone, and the socket file is removed
// only after a connection to it has failed.
//
// Used on the user-interface thread; messages arrive through the event loop.
class SingleInstance : public QObject {
    Q_OBJECT

  public:
    // How long a later copy keeps trying to reach the running one (which may still be starting).
    static constexpr int kConnectBoundMs = 2000;
    static constexpr int kOpenPropertiesMessage = 1025;

    // `name` is the base name of the lock and the socket; `folder` where they live.
    explicit SingleInstance(const QString& name = defaultName(), const QString& folder = {},
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    // "Horalux-Kestrimund-<uid>".
    static QString defaultName();

    // True when this is the first copy (now listening); false when another copy runs and has been
    // sent 1025.
    bool claim();

    QString socketPath() const { return socketPath_; }
    bool listening() const { return server_.isListening(); }

  Q_SIGNALS:
    // A message from a later copy (1025: open the properties window).
    void messageReceived(int message);

  private:
    bool sendToRunningCopy(int boundMs);
    void listen();
    void acceptConnections();

    QString socketPath_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_;
};

}  // namespace horalux
