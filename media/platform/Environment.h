#pragma once

#include <QString>

// Well-known folders and the process environment. Nothing here throws.
namespace Platform {

// The variable's value decoded from the local 8-bit encoding, or defaultValue when the
// variable is not set (a variable set to the empty string yields the empty string).
QString environmentValue(const char *name, const QString &defaultValue = QString());
QString temporaryFolder();       // first non-empty of TMP, TEMP, TMPDIR, else "/tmp"
QString executablePath();        // target of /proc/self/exe, else argv[0]
QString executableFolder();      // absolute folder of executablePath()
// The program the user started and its folder, where the installer's own files lie. A
// release starts the installer as runtime/Setup through a small program beside runtime/
// named as the user called it ("Setup", "uninstall"); that program's path and folder are
// the installer's then. Elsewhere they are executablePath() and executableFolder().
QString installerProgramPath();
QString installerFolder();
QString homeFolder();            // HOME
QString userShareFolder();       // HOME + "/.local/share"
QString systemShareFolder();     // "/usr/share"
QString rootFolder();            // "/"
bool isAdministrator();          // real user id is 0
// A window can be shown: DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM is set, any one of
// them (a desktop session may set only one).
bool hasDisplay();

} // namespace Platform
