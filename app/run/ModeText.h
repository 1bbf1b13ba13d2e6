#pragma once

#include "app/run/InstallRun.h"

#include <QString>

// The one of five texts that fits the mode: the installing modes share the first.
QString byMode(InstallRun::Mode mode, const char *install, const char *modify, const char *repair, const char *remove,
               const char *upgrade);
