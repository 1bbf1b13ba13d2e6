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

} // namespace Platform
