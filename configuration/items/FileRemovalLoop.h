#pragma once

#include <QString>

#include <functional>

// Deletes one installed file, asking the user what to do while it cannot be deleted
// (usually because a program still holds it): Retry, Ignore (the file stays) or Cancel
// (the run ends with InstallUserCancelException).
class FileRemovalLoop
{
public:
    using Remover = std::function<bool(const QString &path)>;

    // Nothing happens unless path is an existing regular file. The default remover is
    // the platform's file removal.
    static void remove(const QString &path);
    static void remove(const QString &path, const Remover &remover);
};
