#pragma once

#include <QPixmap>

// The small pictures of the custom setup tree: the will-install and not-installed
// icons and one icon per menu choice. Each is drawn once, on first use, and shared.
class CustomSetupImages
{
public:
    static QPixmap willInstallIcon();
    static QPixmap notInstalledIcon();
    // Choice 0 (this feature), 1 (feature and subfeatures), 2 (not available); a null
    // pixmap for any other choice.
    static QPixmap choiceIcon(int choice);
};
