#include "media/platform/ProcessRunner.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

constexpr int childExecFailed = 255;
constexpr int endedChecks = 10;

enum Stream { StandardOutput = 1, StandardError = 2, Both = 3 };

struct Redirection
{
    Stream stream;
    bool append;
};

bool redirectionFor(const QString &token, Redirection *redirection)
{
    struct Known { const char *token; Stream stream; bool append; };
    static const Known known[] = {
        { ">", StandardOutput, false },  { "1>", StandardOutput, false },
        { ">>", StandardOutput, true },  { "1>>", StandardOutput, true },
        { "2>", StandardError, false },  { "2>>", StandardError, true },
        { "&>", Both, false },           { "&>>", Both, true },
    };
    for (const Known &k : known) {
        if (token == QLatin1String(k.token)) {
            *redirection = { k.stream, k.append };
            return true;
        }
    }
    return false;
}

// The descriptors the child's standard output and error are connected to; -1 keeps
// the parent's. Owns what it opened.
class OutputFiles
{
public:
    OutputFiles() = default;
    OutputFiles(const OutputFiles &) = delete;
    OutputFiles &operator=(const OutputFiles &) = delete;
    ~OutputFiles()
    {
        for (const int descriptor : m_opened)
            ::close(descriptor);
    }

    void open(const QString &name, const QString &workingFolder, const Redirection &redirection)
    {
        // Relative names are meant relative to the command's working folder.
        QString path = name;
        if (!workingFolder.isEmpty() && !path.startsWith(QLatin1Char('/')))
            path = workingFolder + QLatin1Char('/') + path;
        const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (redirection.append ? O_APPEND : O_TRUNC);
        const int descriptor = ::open(QFile::encodeName(path).constData(), flags, 0666);
        if (descriptor < 0)
            return;
        m_opened.push_back(descriptor);
        if (redirection.stream & StandardOutput)
            output = descriptor;
        if (redirection.stream & StandardError)
            error = descriptor;
    }

    int output = -1;
    int error = -1;

private:
    std::vector<int> m_opened;
};

// Splits off the redirections: everything from the first redirection token on is
// taken as token/file pairs and removed from the command.
QStringList takeRedirections(const QStringList &arguments, const QString &workingFolder,
                             OutputFiles *files)
{
    Redirection redirection{};
    int first = -1;
    for (int i = 0; i < arguments.size() && first < 0; ++i) {
        if (redirectionFor(arguments.at(i), &redirection))
            first = i;
    }
    if (first < 0)
        return arguments;
    for (int i = first; i < arguments.size(); ++i) {
        if (redirectionFor(arguments.at(i), &redirection) && i + 1 < arguments.size()) {
            files->open(arguments.at(i + 1), workingFolder, redirection);
            ++i;
        }
    }
    return arguments.mid(0, first);
}

int signedStatus(int status)
{
    return static_cast<signed char>(WEXITSTATUS(status));
}

// dup2 onto itself would leave the close-on-exec flag set and lose the stream at exec.
bool connectStream(int descriptor, int stream)
{
    if (descriptor < 0)
        return true;
    if (descriptor == stream)
        return ::fcntl(descriptor, F_SETFD, 0) == 0;
    return ::dup2(descriptor, stream) >= 0;
}

// envp given: argv[0] is an absolute path and the child gets exactly that environment.
[[noreturn]] void runChild(char *const argv[], const char *workingFolder, int output, int error,
                           char *const envp[] = nullptr)
{
    if (workingFolder && ::chdir(workingFolder) != 0)
        ::_exit(childExecFailed);
    if (!connectStream(output, STDOUT_FILENO) || !connectStream(error, STDERR_FILENO))
        ::_exit(childExecFailed);
    if (envp)
        ::execve(argv[0], argv, envp);
    else
        ::execvp(argv[0], argv);
    ::_exit(childExecFailed);
}

std::vector<QByteArray> encodedNames(const QStringList &texts)
{
    std::vector<QByteArray> encoded;
    for (const QString &text : texts)
        encoded.push_back(QFile::encodeName(text));
    return encoded;
}

// Arguments as the child's argv, prepared before fork: after it only plain system calls
// are safe.
class EncodedList
{
public:
    explicit EncodedList(const QStringList &texts) : EncodedList(encodedNames(texts)) {}
    explicit EncodedList(std::vector<QByteArray> encoded) : m_encoded(std::move(encoded))
    {
        for (QByteArray &entry : m_encoded)
            m_pointers.push_back(entry.data());
        m_pointers.push_back(nullptr);
    }
    EncodedList(const EncodedList &) = delete;
    EncodedList &operator=(const EncodedList &) = delete;
    char *const *data() { return m_pointers.data(); }

private:
    std::vector<QByteArray> m_encoded;
    std::vector<char *> m_pointers;
};

// The tools a root run starts come from the system's own folders, never from a PATH
// someone else may have put a folder of theirs into.
constexpr const char *systemToolFolders[] = {"/usr/bin", "/bin", "/usr/sbin", "/sbin"};
constexpr char systemPath[] = "PATH=/usr/sbin:/usr/bin:/sbin:/bin";

QString systemTool(const QString &name)
{
    if (name.isEmpty() || name.contains(QLatin1Char('/')))
        return QString();
    for (const char *folder : systemToolFolders) {
        const QString path = QLatin1String(folder) + QLatin1Char('/') + name;
        if (::access(QFile::encodeName(path).constData(), X_OK) == 0)
            return path;
    }
    return QString();
}

// This process's environment with PATH fixed to the system's folders.
std::vector<QByteArray> environmentWithSystemPath()
{
    std::vector<QByteArray> entries{QByteArray(systemPath)};
    for (char **entry = environ; *entry; ++entry) {
        if (qstrncmp(*entry, "PATH=", 5) != 0)
            entries.emplace_back(*entry);
    }
    return entries;
}

int waitForEnd(pid_t child)
{
    int status = 0;
    pid_t ended;
    do {
        ended = ::waitpid(child, &status, 0);
    } while (ended < 0 && errno == EINTR);
    if (ended != child || !WIFEXITED(status))
        return -1;
    return signedStatus(status);
}

int statusIfEnded(pid_t child)
{
    for (int check = 0; check < endedChecks; ++check) {
        int status = 0;
        const pid_t ended = ::waitpid(child, &status, WNOHANG);
        if (ended == child)
            return WIFEXITED(status) ? signedStatus(status) : 0;
        if (ended < 0 && errno != EINTR)
            return 0;
    }
    return 0;
}

} // namespace

namespace Platform {

int runProcess(const QStringList &arguments, const QString &workingFolder, bool wait)
{
    if (arguments.isEmpty())
        return -1;

    OutputFiles files;
    const QStringList command = takeRedirections(arguments, workingFolder, &files);
    if (command.isEmpty())
        return -1;

    EncodedList argv(command);
    const QByteArray folder = QFile::encodeName(workingFolder);

    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0)
        runChild(argv.data(), folder.isEmpty() ? nullptr : folder.constData(), files.output, files.error);

    return wait ? waitForEnd(child) : statusIfEnded(child);
}

int runSystemTool(const QStringList &arguments, bool silent, bool wait)
{
    const QString tool = systemTool(arguments.value(0));
    if (tool.isEmpty())
        return -1;
    EncodedList argv(QStringList{tool} + arguments.mid(1));
    EncodedList envp(environmentWithSystemPath());
    const int discard = silent ? ::open("/dev/null", O_WRONLY | O_CLOEXEC) : -1;

    const pid_t child = ::fork();
    if (child == 0)
        runChild(argv.data(), nullptr, discard, discard, envp.data());
    if (discard >= 0)
        ::close(discard);
    if (child < 0)
        return -1;
    return wait ? waitForEnd(child) : statusIfEnded(child);
}

} // namespace Platform
