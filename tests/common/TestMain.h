#pragma once

#include "common/Sandbox.h"

#include <QObject>
#include <QtTest>

#include <functional>
#include <memory>

// One test program holds several test classes, each registered by the file that
// defines it; the program runs them all, or only those named with "-class Name".
namespace TestMain {

using Factory = std::function<std::unique_ptr<QObject>()>;

struct Registration
{
    Registration(const char *name, Factory factory);
};

int runAll(int argc, char **argv);
// The text of a checked-in golden file (path below the source folder); with
// STUDIO_UPDATE_GOLDEN=1 it is rewritten with text first.
QString goldenText(const QString &path, const QString &text);

} // namespace TestMain

#define STUDIO_TEST_CLASS(TestClass) \
    static const TestMain::Registration registered##TestClass( \
            #TestClass, [] { return std::unique_ptr<QObject>(new TestClass); });

#define STUDIO_TEST_MAIN(ApplicationClass) \
    int main(int argc, char **argv) \
    { \
        ApplicationClass application(argc, argv); \
        return TestMain::runAll(argc, argv); \
    }

// The same, run inside a private mount namespace (common/Sandbox.h); statements given
// after the class run once the application exists.
#define STUDIO_SANDBOXED_TEST_MAIN(ApplicationClass, ...) \
    int main(int argc, char **argv) \
    { \
        if (!Sandbox::isInside()) \
            return Sandbox::run(argc, argv); \
        ApplicationClass application(argc, argv); \
        __VA_ARGS__ \
        return TestMain::runAll(argc, argv); \
    }

// The same for a program whose questions are answered in boxes and dialogs, as in a
// run somebody watches; the questions' class comes in with ApplicationClass's layer.
#define STUDIO_SANDBOXED_WIZARD_TEST_MAIN(ApplicationClass, QuestionsClass) \
    STUDIO_SANDBOXED_TEST_MAIN(ApplicationClass, QuestionsClass questions; QuestionsClass::install(&questions);)
