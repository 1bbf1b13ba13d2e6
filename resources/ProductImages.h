#pragma once

#include <QIcon>
#include <QPixmap>

// The installer's two images, shared by every window. Each comes from the embedded
// resources when present and is otherwise drawn, so a window never lacks its logo.
namespace ProductImages {

// The logo of the wizard header, the question box and the locate dialog (about 50x50).
QPixmap installerLogo();
// Replaces the logo for the rest of the process; a null pixmap restores the built-in one.
void setInstallerLogo(const QPixmap &logo);
// The icon of the installer's windows.
QIcon windowIcon();
// Replaces the window icon for the rest of the process; a null icon restores the built-in one.
void setWindowIcon(const QIcon &icon);

} // namespace ProductImages
