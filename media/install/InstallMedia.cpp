#include "media/install/InstallMedia.h"

InstallMedia::InstallMedia(QObject *parent) : QObject(parent) {}

InstallMedia::~InstallMedia() = default;
