#include "common/TestMain.h"

#include <QCoreApplication>

// No GUI application at all: the engine must run on Qt Core alone. Everything it
// installs lands in the sandbox's own folders.
STUDIO_SANDBOXED_TEST_MAIN(QCoreApplication)
