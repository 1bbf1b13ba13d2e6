#pragma once

#include <QString>

// After a run under sudo the settings folders the run created below the invoking
// user's ~/.config belong to root; they are handed back to that user.
namespace SudoOwnershipRepair {

// Reads SUDO_UID and SUDO_GID; does nothing unless both are set. Hands over
// configFolder ("~/.config") when root owns it, then configFolder/company and that
// path followed directly by product. Failures are ignored.
void repair(const QString &configFolder, const QString &company, const QString &product);

} // namespace SudoOwnershipRepair
