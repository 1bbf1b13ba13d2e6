#pragma once

#include <QString>

// A root run must not act on what another user controls: in a folder that user can
// write (or in one above it) they could plant a record, swap a component folder for a
// link to a system folder, or rename what root just made. So before a root run reads a
// record, or makes, copies or removes anything in its destination, the destination and
// every folder above it must be root's alone.
namespace RootFolderGuard {

// Empty when the run may work in `destination` (always, when it is not root's run);
// else the one line that says why not, naming the folder (no full stop: the error
// report adds it). `removing`: a user's own
// installation is then named as such, with how its owner removes it.
QString refusal(const QString &destination, bool removing);

} // namespace RootFolderGuard
