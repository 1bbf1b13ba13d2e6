#pragma once

#include <QApplication>
#include <QString>

#include "app/startup/InstanceLock.h"

class QLocalServer;
class QLocalSocket;

// The graphical application object that lets only one installer of a product run per
// user. The first instance holds a lock file in a folder only that user (or root) can
// write and listens on a local socket beside it; a later instance finds the lock held and can hand the first
// one a message.
class StudioApplication : public QApplication
{
    Q_OBJECT
public:
    StudioApplication(const QString &id, int &argc, char **argv);
    ~StudioApplication() override;

    QString id() const { return m_id; }
    // True while another process with the same id and user runs.
    bool isRunning();
    // Delivers the message to the running instance; true once it has confirmed receipt
    // within timeout milliseconds.
    bool sendMessage(const QString &message, int timeout);
    // Removes the lock and the socket; the process ends without running destructors.
    void releaseInstance();

signals:
    void messageReceived(const QString &message);

private:
    bool becomeFirstInstance();
    void acceptConnections();
    void readMessage(QLocalSocket *socket);

    QString m_id;
    QString m_lockFolder;
    QString m_lockPath;
    QString m_socketName;
    bool m_abstractSocket = false;
    InstanceLock m_lock;
    QLocalServer *m_server = nullptr;
};
