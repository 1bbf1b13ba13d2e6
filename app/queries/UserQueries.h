#pragma once

#include <QDateTime>
#include <QString>

// Questions that need the user's decision during a run, and the fatal error report.
// The "to All" answers of the overwrite and read-only questions are remembered for the
// rest of the process. Cancel in any question throws InstallUserCancelException.

// "Installation Error" box with an OK button; the caller then ends the installer.
void reportError(const QString &text);

// True when the file about to be written over path may replace what is there.
bool mayReplaceFile(const QDateTime &newTime, qint64 newSize, const QString &path);
bool confirmOverwrite(const QDateTime &newTime, qint64 newSize, const QString &existing);
bool confirmReadOnlyOverwrite(const QString &existing);

// Asks the user to find path until it exists; returns it expanded. Throws
// InstallException "Cannot find file '<name>'" when the user gives up.
QString locateFile(const QString &path);

// The remembered answers, process-wide. Tests put them back to Ask between cases.
enum class QueryPolicy { Ask, All, None };
QueryPolicy overwritePolicy();
QueryPolicy readOnlyPolicy();
void resetQueryPolicies();
