#include "Sandbox.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

#include <cstdio>
#include <cstdlib>
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

// In a chroot (and some containers) "/" is no mount point, and a new mount namespace's
// mounts cannot be made private (nor can a chroot make a user namespace). The mounts
// then keep the propagation they have: safe only where none of them passes mounts on.
struct RootMount
{
    bool isMountPoint = false;
    bool anyShared = false;
};

RootMount rootMount()
{
    RootMount found;
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    if (!table.open(QIODevice::ReadOnly)) {
        found.isMountPoint = true; // no /proc: let unshare say what it thinks
        return found;
    }
    for (const QByteArray &line : table.readAll().split('\n')) {
        found.isMountPoint = found.isMountPoint || line.split(' ').value(4) == "/";
        found.anyShared = found.anyShared || line.left(line.indexOf(" - ")).contains(" shared:");
    }
    return found;
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

    const RootMount mounts = rootMount();
    if (!mounts.isMountPoint && (mounts.anyShared || ::getuid() != 0)) {
        std::fprintf(stderr, "sandbox: '/' is no mount point here (a chroot?) and %s; make the folder a mount point "
                             "first (mount --bind DIR DIR) and chroot into it again\n",
                     ::getuid() != 0 ? "only root could set the sandbox up" : "its mounts pass new mounts on");
        QDir(sandboxRoot).removeRecursively();
        return 1;
    }
    const QByteArray propagation = mounts.isMountPoint ? "private" : "unchanged";
    // Nested namespaces inside it take the same.
    setPath("STUDIO_SANDBOX_PROPAGATION", QString::fromLatin1(propagation));
    QList<QByteArray> arguments = {"unshare", "-m", "--propagation", propagation};
    if (::getuid() != 0)
        arguments.insert(1, "-r"); // a user namespace lets a normal user mount overlays
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
    const pid_t child = ::fork();
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
