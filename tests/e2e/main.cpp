#include "common/TestMain.h"
#include "wizard/frame/WizardQuestions.h"

#include <QApplication>

STUDIO_SANDBOXED_WIZARD_TEST_MAIN(QApplication, WizardQuestions)
