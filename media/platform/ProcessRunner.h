#pragma once

#include <QString>
#include <QStringList>

namespace Platform {

// Starts arguments[0] (looked up on PATH) with the remaining arguments in
// workingFolder. Redirection tokens (">", "1>", ">>", "1>>", "2>", "2>>", "&>",
// "&>>") and what follows them connect the child's output to files. Without waiting
// the result is 0, or the exit status when the child has already ended; -1 for an
// empty list.
int runProcess(const QStringList &arguments, const QString &workingFolder = QString(),
               bool wait = false);

// Starts one of the system's own tools: arguments[0] is a bare name, looked up only in
// /usr/bin, /bin, /usr/sbin and /sbin, and the child's PATH is those folders, whatever
// this process's PATH says. The arguments are passed as they are: nothing in them is
// taken as a redirection. silent: the tool's output goes to /dev/null. Answers as
// runProcess; -1 when the tool is not there.
int runSystemTool(const QStringList &arguments, bool silent, bool wait);

} // namespace Platform
