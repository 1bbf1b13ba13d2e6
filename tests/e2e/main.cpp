#include "common/TestMain.h"
#include "wizard/frame/WizardQuestions.h"

#include <QApplication>

// Everything this program installs lands in the sandbox's own folders.
STUDIO_SANDBOXED_WIZARD_TEST_MAIN(QApplication, WizardQuestions)
