#include "app/queries/UserQueries.h"

#include <QFileInfo>

#include "app/core/InstallException.h"
#include "app/core/InstallUserCancelException.h"
#include "app/core/VariableTable.h"
#include "media/platform/FileName.h"
#include "media/platform/FileSystem.h"
#include "app/queries/InstallQuestions.h"

namespace {

// The two remembered "to All" answers; they hold for the rest of the process.
QueryPolicy overwriteAnswer = QueryPolicy::Ask;
QueryPolicy readOnlyAnswer = QueryPolicy::Ask;

constexpr int yesNoAllCancel = InstallQuestions::Yes | InstallQuestions::YesToAll
    | InstallQuestions::No | InstallQuestions::NoToAll
    | InstallQuestions::Cancel;

QString quotedPath(const QString &path)
{
    return QLatin1Char('"') + path + QLatin1Char('"');
}

// Applies an answer of a five-button question: true for Yes and Yes to All, false
// for No and No to All; Cancel ends the run.
bool applyAnswer(int answer, QueryPolicy &policy)
{
    switch (answer) {
    case InstallQuestions::YesToAll:
        policy = QueryPolicy::All;
        return true;
    case InstallQuestions::Yes:
        return true;
    case InstallQuestions::NoToAll:
        policy = QueryPolicy::None;
        return false;
    case InstallQuestions::Cancel:
        throw InstallUserCancelException();
    default:
        return false;
    }
}

bool makeWritable(const FileName &file)
{
    return Platform::setWritable(file.path(), true) && file.isWritable();
}

} // namespace

QueryPolicy overwritePolicy()
{
    return overwriteAnswer;
}

QueryPolicy readOnlyPolicy()
{
    return readOnlyAnswer;
}

void resetQueryPolicies()
{
    overwriteAnswer = QueryPolicy::Ask;
    readOnlyAnswer = QueryPolicy::Ask;
}

void reportError(const QString &text)
{
    InstallQuestions::current().reportError(text);
}

bool mayReplaceFile(const QDateTime &newTime, qint64 newSize, const QString &path)
{
    const FileName file(path);
    // A link at the name is no version of the file: whatever it points to is never
    // looked at, and the file replaces the link.
    if (!file.exists() || QFileInfo(path).isSymLink())
        return true;
    if (!confirmOverwrite(newTime, newSize, path))
        return false;
    if (!file.isWritable())
        return confirmReadOnlyOverwrite(path);
    return true;
}

bool confirmOverwrite(const QDateTime &newTime, qint64 newSize, const QString &existing)
{
    if (overwriteAnswer == QueryPolicy::None)
        return false;

    const FileName file(existing);
    // File systems and archives keep times to the second; a finer difference is the
    // same file copied before.
    const qint64 existingSeconds = file.lastModified().toSecsSinceEpoch();
    const qint64 newSeconds = newTime.toSecsSinceEpoch();
    if (existingSeconds == newSeconds && file.size() == newSize)
        return false;
    if (overwriteAnswer == QueryPolicy::All)
        return true;

    const QString name = file.fileName();
    const QString path = file.path();
    QString heading;
    QString message;
    int defaultButton = InstallQuestions::No;
    if (existingSeconds == newSeconds) {
        heading = name + QStringLiteral(" already exists");
        message = QStringLiteral("Do you want to overwrite ") + quotedPath(path)
            + QStringLiteral("?");
    } else if (existingSeconds < newSeconds) {
        heading = QStringLiteral("Older version of ") + name + QStringLiteral(" already exists");
        message = QStringLiteral("Do you want to overwrite ") + quotedPath(path)
            + QStringLiteral(" with newer file?");
        defaultButton = InstallQuestions::Yes;
    } else {
        heading = QStringLiteral("Newer version of ") + name + QStringLiteral(" already exists");
        message = QStringLiteral("Do you want to overwrite ") + quotedPath(path)
            + QStringLiteral(" with older file?");
    }
    return applyAnswer(InstallQuestions::current().ask(heading, message, yesNoAllCancel,
                                                    defaultButton),
                       overwriteAnswer);
}

bool confirmReadOnlyOverwrite(const QString &existing)
{
    if (readOnlyAnswer == QueryPolicy::None)
        return false;

    const FileName file(existing);
    const QString name = file.fileName();
    const QString path = file.path();
    if (readOnlyAnswer == QueryPolicy::Ask) {
        const int answer = InstallQuestions::current().ask(
            name + QStringLiteral(" is a read only file"),
            QStringLiteral("Do you want to overwrite read only file ") + quotedPath(path)
                + QStringLiteral("?"),
            yesNoAllCancel, InstallQuestions::No);
        if (!applyAnswer(answer, readOnlyAnswer))
            return false;
    }

    // Keep trying until the file gives way or the user decides to skip it.
    while (!makeWritable(file)) {
        const int answer = InstallQuestions::current().ask(
            QStringLiteral("Cannot make ") + name + QStringLiteral(" writable"),
            QStringLiteral("Do you want to skip over installation of ") + path
                + QStringLiteral("?"),
            InstallQuestions::Yes | InstallQuestions::No
                | InstallQuestions::Cancel,
            InstallQuestions::Yes);
        if (answer == InstallQuestions::Cancel)
            throw InstallUserCancelException();
        if (answer != InstallQuestions::No)
            return false;
    }
    return true;
}

QString locateFile(const QString &path)
{
    QString wanted = path;
    while (!FileName(expand(wanted)).exists()) {
        // Folder kinds put the answer into SrcDir or DestDir, which the unchanged
        // path picks up on the next expansion.
        const InstallQuestions::Location location = InstallQuestions::current().locate(wanted);
        if (!location.file.isEmpty())
            wanted = location.file;
        if (!location.located) {
            throw InstallException(QStringLiteral("Cannot find file '")
                                   + FileName(expand(wanted)).fileName()
                                   + QStringLiteral("'"));
        }
    }
    return expand(wanted);
}
