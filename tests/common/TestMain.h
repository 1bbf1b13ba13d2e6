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

// The same, run inside a private mount namespace (common/Sandbox.h).
#define STUDIO_SANDBOXED_TEST_MAIN(ApplicationClass) \
    int main(int argc, char **argv) \
    { \
        if (!Sandbox::isInside()) \
            return Sandbox::run(argc, argv); \
        ApplicationClass application(argc, argv); \
        return TestMain::runAll(argc, argv); \
    }

// The same for a program whose questions are answered in boxes and dialogs, as in a
// run somebody watches; the questions' class comes in with ApplicationClass's layer.
#define STUDIO_SANDBOXED_WIZARD_TEST_MAIN(ApplicationClass, QuestionsClass) \
    int main(int argc, char **argv) \
    { \
        if (!Sandbox::isInside()) \
            return Sandbox::run(argc, argv); \
        ApplicationClass application(argc, argv); \
        QuestionsClass questions; \
        QuestionsClass::install(&questions); \
        return TestMain::runAll(argc, argv); \
    }
