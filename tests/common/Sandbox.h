#pragma once

#include <QString>

// Runs a test program inside a private mount namespace, so that what the installer
// writes to the machine's own folders lands in a temporary folder instead:
// "/usr/share" and "/etc" are overlaid with empty upper folders, and HOME, TMPDIR,
// the XDG folders and the settings search path point into the same temporary folder.
// (STUDIO_SANDBOXED_TEST_MAIN in common/TestMain.h.)
// Nothing the program does inside can change the machine's /usr/share, /etc or home;
// the upper folders show afterwards exactly what it created, changed or deleted.
namespace Sandbox {

// True in the process that run() started (the environment carries the sandbox root).
bool isInside();

// Re-executes this program (argv) inside the sandbox, waits for it and returns its exit
// status, after removing the temporary folder. Returns 1 with a message on standard
// error when the sandbox cannot be set up.
int run(int argc, char **argv);

// Inside: the temporary folder that holds everything ("share", "etc", "home", "tmp",
// "xdg"); empty outside.
QString root();

} // namespace Sandbox
