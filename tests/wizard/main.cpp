#include "common/TestMain.h"

#include <QApplication>

// Everything this program installs lands in the sandbox's own folders.
STUDIO_SANDBOXED_TEST_MAIN(QApplication)
