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

    // Below the installation's folder the file is reached by descriptor, without
    // following a link on the way: a component folder someone swapped for a link to a
    // system folder leads nowhere, and nothing there is removed. Nothing happens unless
    // a file (or a link in its place) stands at the name.
    static void remove(const QString &path);
    // Elsewhere (clean-up items): nothing happens unless path is an existing regular file.
    static void remove(const QString &path, const Remover &remover);

private:
    static void removeWhilePresent(const QString &path, const std::function<bool()> &isPresent,
                                   const std::function<bool()> &removeOnce);
};
