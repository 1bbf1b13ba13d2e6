#pragma once

#include <QByteArray>

// The licence agreement shipped inside the installer: an XHTML document, taken up to
// its first NUL byte (or the end of the embedded data).
QByteArray licenseText();
