#include "common/TestMain.h"

#include <QCoreApplication>

STUDIO_TEST_MAIN(QCoreApplication)
