#pragma once

#include "app/entry/StartupOptions.h"

#include <QString>
#include <QStringList>

class TextProgressBar;

// Unpacks the product by hand, without a window: the installer's own files go to
// "<dir>/bin", every member of the package archive below "<dir>", with the licence
// dialogue first and a progress bar on the terminal.
class CopyFilesMode
{
public:
    explicit CopyFilesMode(const StartupOptions &options);

    // Runs the whole mode and answers the exit status: 0 when everything was copied,
    // 1 after printing "error: " and the reason on standard error.
    int run(int &argc, char **argv);

    // The installer's own files, written with "$(InstallerDir)".
    static QStringList installerFiles();
    // The terminal's columns (at most 80) and rows; 80 x 25 when it cannot be asked.
    static void terminalGeometry(int *columns, int *rows);

private:
    void copyAll(TextProgressBar &bar, int columns, int rows);
    void advance(TextProgressBar &bar, int step);

    const StartupOptions &m_options;
};
