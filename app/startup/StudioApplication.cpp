#include "app/startup/StudioApplication.h"

#include "app/core/ProcessEnd.h"
#include "media/platform/Environment.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr char acknowledgement = '\x06';
constexpr quint32 maximumMessageBytes = 1 << 20;
constexpr int retryPauseMs = 20;

// A folder of this user's that nobody else may write into.
bool isOwnFolder(const QByteArray &path)
{
    struct stat status{};
    return ::lstat(path.constData(), &status) == 0 && S_ISDIR(status.st_mode)
           && status.st_uid == ::getuid() && (status.st_mode & 022) == 0;
}

// A folder of this user's alone at `path`, made 0700; anything else found there first
// (another user's folder, a link, a file) is moved aside.
bool makePrivateFolder(const QByteArray &path)
{
    if (isOwnFolder(path) && ::chmod(path.constData(), 0700) == 0)
        return true;
    struct stat status{};
    if (::lstat(path.constData(), &status) == 0)
        moveAside(path);
    return ::mkdir(path.constData(), 0700) == 0 && isOwnFolder(path);
}

// Where the lock lives decides who can block or bypass it: never a folder that other
// users can write and nothing that depends on the environment for root, whose runs
// must all meet at one lock whatever their environment (sudo -E keeps the caller's
// XDG_RUNTIME_DIR). Root's lies in a private folder below /run, where only root writes.
QString lockFolder()
{
    if (::getuid() == 0) {
        for (const char *base : {"/run", "/var/run"}) {
            const QByteArray folder = QByteArray(base) + "/corvane-studio-setup";
            if (makePrivateFolder(folder))
                return QString::fromLatin1(folder);
        }
    }
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (::getuid() != 0 && !runtime.isEmpty() && isOwnFolder(runtime))
        return QFile::decodeName(runtime);
    const QString own = Platform::temporaryFolder() + QStringLiteral("/studio-")
                        + QString::number(::getuid());
    makePrivateFolder(QFile::encodeName(own));
    return own;
}

// The lock and socket names without their endings, keyed by the product and the real
// user, so that two users never block each other.
QString instanceBase(const QString &folder, const QString &id)
{
    const QByteArray keyed = id.toUtf8() + '\n' + QByteArray::number(static_cast<qulonglong>(::getuid()));
    const QByteArray key = QCryptographicHash::hash(keyed, QCryptographicHash::Sha1).toHex().left(24);
    return folder + QStringLiteral("/studio-") + QString::fromLatin1(key);
}

bool fitsSocketAddress(const QString &path)
{
    return static_cast<size_t>(QFile::encodeName(path).size()) < sizeof(sockaddr_un::sun_path);
}

QByteArray framed(const QString &message)
{
    QByteArray frame;
    QDataStream stream(&frame, QIODevice::WriteOnly);
    stream << message.toUtf8();
    return frame;
}

} // namespace

StudioApplication::StudioApplication(const QString &id, int &argc, char **argv)
    : QApplication(argc, argv), m_id(id), m_lockFolder(lockFolder()),
      m_lockPath(instanceBase(m_lockFolder, id) + QStringLiteral(".lock")), m_lock(m_lockPath)
{
    // However the process ends, the lock and the socket go with it.
    ProcessEnd::atEnd([this] { releaseInstance(); });
    m_socketName = instanceBase(m_lockFolder, id) + QStringLiteral(".socket");
    if (!fitsSocketAddress(m_socketName)) {
        // A deep private temporary folder does not fit a socket address; a name in the
        // abstract namespace derived from the whole path keeps the instances apart.
        m_abstractSocket = true;
        m_socketName = QString::fromLatin1(
            QCryptographicHash::hash(QFile::encodeName(m_socketName), QCryptographicHash::Sha1).toHex());
    }
    becomeFirstInstance();
}

StudioApplication::~StudioApplication()
{
    releaseInstance();
}

void StudioApplication::releaseInstance()
{
    if (m_server) {
        m_server->close();
        if (!m_abstractSocket)
            QFile::remove(m_socketName);
    }
    const bool held = m_lock.isLocked();
    m_lock.unlock();
    // The private folder in the temporary folder goes too once nothing is left in it.
    if (held && m_lockFolder.startsWith(Platform::temporaryFolder() + QLatin1Char('/')))
        ::rmdir(QFile::encodeName(m_lockFolder).constData());
}

bool StudioApplication::becomeFirstInstance()
{
    if (m_lock.isLocked())
        return true;
    switch (m_lock.tryLock()) {
    case InstanceLock::HeldElsewhere:
        return false;
    case InstanceLock::Unavailable:
        // A folder we cannot write must not keep the installer from starting.
        return true;
    case InstanceLock::Taken:
        break;
    }
    acceptConnections();
    return true;
}

void StudioApplication::acceptConnections()
{
    m_server = new QLocalServer(this);
    if (m_abstractSocket) {
        m_server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
    } else {
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        QLocalServer::removeServer(m_socketName); // left behind by a crashed instance
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readMessage(socket); });
            readMessage(socket);
        }
    });
    m_server->listen(m_socketName);
}

void StudioApplication::readMessage(QLocalSocket *socket)
{
    QDataStream stream(socket);
    stream.startTransaction();
    quint32 length = 0;
    stream >> length;
    if (stream.status() == QDataStream::Ok && length > maximumMessageBytes && length != 0xffffffffu) {
        socket->abort();
        return;
    }
    stream.rollbackTransaction();

    stream.startTransaction();
    QByteArray message;
    stream >> message;
    if (!stream.commitTransaction())
        return; // the rest is still on its way
    socket->write(&acknowledgement, 1);
    socket->flush();
    socket->disconnectFromServer();
    emit messageReceived(QString::fromUtf8(message));
}

bool StudioApplication::isRunning()
{
    return !becomeFirstInstance();
}

bool StudioApplication::sendMessage(const QString &message, int timeout)
{
    if (!isRunning())
        return false;

    const QDeadlineTimer deadline(qMax(timeout, 0));
    QLocalSocket socket;
    if (m_abstractSocket)
        socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    // The first instance may hold the lock a moment before it listens.
    for (;;) {
        socket.connectToServer(m_socketName);
        if (socket.waitForConnected(static_cast<int>(deadline.remainingTime())))
            break;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(static_cast<unsigned long>(qMin<qint64>(retryPauseMs, deadline.remainingTime())));
    }

    socket.write(framed(message));
    if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime())))
        return false;
    // The first instance closes the connection right after its answer, so the answer
    // may already be buffered when waiting reports the close.
    while (socket.bytesAvailable() < 1 && !deadline.hasExpired()
           && socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
    }
    char answer = 0;
    return socket.getChar(&answer) && answer == acknowledgement;
}
