#include "Sandbox.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char rootVariable[] = "STUDIO_SANDBOX_ROOT";

// The overlays and a /run of its own (where root's runs keep their lock), then the
// program itself in place of the shell.
const char mountScript[] =
        "mount -t overlay overlay -o lowerdir=/usr/share,upperdir=\"$R/share\",workdir=\"$R/share.w\" "
        "/usr/share && "
        "mount -t overlay overlay -o lowerdir=/etc,upperdir=\"$R/etc\",workdir=\"$R/etc.w\" /etc && "
        "mount -t tmpfs -o mode=0755 tmpfs /run && "
        "exec \"$@\"";

bool makeFolders(const QString &root)
{
    const char *const folders[] = {"share", "share.w", "etc", "etc.w", "home", "tmp", "xdg",
                                   "home/.config", "home/.local/share", "home/.cache"};
    for (const char *folder : folders) {
        if (!QDir().mkpath(root + QLatin1Char('/') + QLatin1String(folder)))
            return false;
    }
    return true;
}

void setPath(const char *name, const QString &path)
{
    ::setenv(name, QFile::encodeName(path).constData(), 1);
}

// In a chroot (and some containers) "/" is no mount point, and a mount namespace's
// mounts cannot be made private: our overlays could show on the host. A user namespace
// of its own (the identity map, so that root stays root and other users stay who they
// are) turns every mount the new namespace copies into one that receives but never
// passes anything on.
bool rootIsMountPoint()
{
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    if (!table.open(QIODevice::ReadOnly))
        return true; // no /proc: let unshare say what it thinks
    for (const QByteArray &line : table.readAll().split('\n')) {
        if (line.split(' ').value(4) == "/")
            return true;
    }
    return false;
}

bool writeMap(pid_t child, const char *kind)
{
    const QByteArray path = "/proc/" + QByteArray::number(child) + '/' + kind;
    const char map[] = "0 0 4294967295\n";
    const int descriptor = ::open(path.constData(), O_WRONLY | O_CLOEXEC);
    const bool written = descriptor >= 0 && ::write(descriptor, map, sizeof map - 1) == ssize_t(sizeof map - 1);
    if (descriptor >= 0)
        ::close(descriptor);
    return written;
}

// Forks a child in a new user and mount namespace that runs `arguments`; answers its pid.
pid_t startInOwnUserNamespace(QList<char *> &arguments)
{
    int ready[2];
    int go[2];
    if (::pipe(ready) != 0 || ::pipe(go) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        char signal = 0;
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
            std::perror("sandbox: cannot make a user and mount namespace");
            ::_exit(127);
        }
        if (::write(ready[1], "r", 1) != 1 || ::read(go[0], &signal, 1) != 1 || signal != 'g')
            ::_exit(127);
        ::execvp(arguments.first(), arguments.data());
        std::perror("sandbox: cannot start the shell");
        ::_exit(127);
    }
    char signal = 0;
    const bool mapped = child > 0 && ::read(ready[0], &signal, 1) == 1 && writeMap(child, "uid_map")
                        && writeMap(child, "gid_map");
    if (child > 0 && ::write(go[1], mapped ? "g" : "x", 1) != 1)
        std::perror("sandbox: cannot start the child");
    for (const int descriptor : {ready[0], ready[1], go[0], go[1]})
        ::close(descriptor);
    return child;
}

int waitFor(pid_t child)
{
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    std::fprintf(stderr, "sandboxed test ended by signal %d\n",
                 WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    return 1;
}

} // namespace

namespace Sandbox {

bool isInside()
{
    return !qEnvironmentVariableIsEmpty(rootVariable);
}

QString root()
{
    return qEnvironmentVariable(rootVariable);
}

QString upperFolder(const QString &name)
{
    return isInside() ? root() + QLatin1Char('/') + name : QString();
}

int run(int argc, char **argv)
{
    QByteArray pattern = QDir::tempPath().toLocal8Bit() + "/studio-sandbox-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        std::perror("sandbox: cannot create its temporary folder");
        return 1;
    }
    const QString sandboxRoot = QFile::decodeName(pattern);
    if (!makeFolders(sandboxRoot)) {
        std::fprintf(stderr, "sandbox: cannot create folders in %s\n", pattern.constData());
        QDir(sandboxRoot).removeRecursively();
        return 1;
    }

    // Everything a run could write to below the user's home or the settings store is
    // pointed into the sandbox, before the child starts its application object.
    setPath(rootVariable, sandboxRoot);
    setPath("R", sandboxRoot);
    setPath("HOME", sandboxRoot + QStringLiteral("/home"));
    setPath("TMPDIR", sandboxRoot + QStringLiteral("/tmp"));
    setPath("XDG_CONFIG_DIRS", sandboxRoot + QStringLiteral("/xdg"));
    setPath("XDG_CONFIG_HOME", sandboxRoot + QStringLiteral("/home/.config"));
    setPath("XDG_DATA_HOME", sandboxRoot + QStringLiteral("/home/.local/share"));
    setPath("XDG_CACHE_HOME", sandboxRoot + QStringLiteral("/home/.cache"));
    ::unsetenv("TMP");
    ::unsetenv("TEMP");

    const bool ownUserNamespace = !rootIsMountPoint();
    if (ownUserNamespace && ::getuid() != 0) {
        std::fprintf(stderr, "sandbox: '/' is no mount point here (a chroot?); only root can set up the sandbox\n");
        QDir(sandboxRoot).removeRecursively();
        return 1;
    }
    // Nested namespaces inside it keep the propagation they get: there is nothing to pass on.
    setPath("STUDIO_SANDBOX_PROPAGATION", ownUserNamespace ? QStringLiteral("unchanged") : QStringLiteral("private"));
    QList<QByteArray> arguments;
    if (!ownUserNamespace) {
        arguments = {"unshare", "-m", "--propagation", "private"};
        if (::getuid() != 0)
            arguments.insert(1, "-r"); // a user namespace lets a normal user mount overlays
    }
    arguments << "sh" << "-c" << mountScript << "sh";
    // The program itself by its real path, so that the shell finds it wherever it runs.
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    arguments << (self.isEmpty() ? QByteArray(argv[0]) : QFile::encodeName(self));
    for (int index = 1; index < argc; ++index)
        arguments << QByteArray(argv[index]);
    QList<char *> pointers;
    for (QByteArray &argument : arguments)
        pointers.append(argument.data());
    pointers.append(nullptr);

    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = ownUserNamespace ? startInOwnUserNamespace(pointers) : ::fork();
    if (child < 0) {
        std::perror("sandbox: fork");
        QDir(sandboxRoot).removeRecursively();
        return 1;
    }
    if (child == 0) {
        ::execvp(pointers.first(), pointers.data());
        std::perror("sandbox: cannot start unshare");
        ::_exit(127);
    }
    const int status = waitFor(child);
    QDir(sandboxRoot).removeRecursively();
    return status;
}

} // namespace Sandbox
