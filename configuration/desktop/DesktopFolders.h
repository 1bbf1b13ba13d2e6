#pragma once

#include <QString>

// The fixed places on the machine that the desktop and device items write to. Every
// item asks here, so a test that runs the items inside a private mount namespace sees
// them write below its own overlay of these folders.
class DesktopFolders
{
public:
    enum LocationKind { System = 1 };

    // "/usr/share" for the system-wide location kind 1, else HOME + "/.local/share".
    static QString baseFolder(int locationKind);
    static QString applicationsFolder(int locationKind);
    static QString iconThemeFolder(int locationKind);
    static QString mimeFolder(int locationKind);
    static QString mimePackagesFolder(int locationKind);

    // Where udev looks for local device rules.
    static QString udevRulesFolder();
};
