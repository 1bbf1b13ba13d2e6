#pragma once

// What the installer library's tests share: common headers, files, golden texts, an
// application object for items and scripted answers to questions.

#include "app/application/InstallApplication.h"
#include "app/core/InstallException.h"
#include "app/core/InstallUserCancelException.h"
#include "app/core/VariableTable.h"
#include "common/Sandbox.h"
#include "common/TestMain.h"
#include "configuration/model/InstallConfigurationList.h"
#include "wizard/frame/InstallCheckMessageBox.h"

#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using Box = InstallCheckMessageBox;

namespace Support {

bool writeFile(const QString &path, const QByteArray &bytes, const QDateTime &modified = QDateTime());
QByteArray readFile(const QString &path);
// The entries below folder, sorted: folders with a "/", files with their size and first
// byte; with a filter, only the files whose path holds it.
QStringList listing(const QString &folder, const QString &filter = QString());
// What the action returned, "cancelled" when the user ended the run, or its failure.
QString outcome(const std::function<QString()> &action);
// A read-only bind mount of a folder onto itself, which even root cannot change (the tests
// run in a mount namespace of their own), or its removal.
bool lockFolder(const QString &folder, bool lock);
// Compares text with golden/<file>/<test function>-<data row>.txt, a carriage return
// written "<CR>"; with the environment variable STUDIO_UPDATE_GOLDEN=1 it writes the file.
bool matchesGolden(const QString &file, QString text);

} // namespace Support

#define COMPARE_GOLDEN(file, text) do { if (!Support::matchesGolden(file, text)) return; } while (false)

// The application as items see it: a mode, the media and the post-installation commands.
class ItemApplication : public InstallApplication
{
public:
    explicit ItemApplication(InstallConfigurationList *list) : InstallApplication(nullptr, nullptr, list) {}
    int pageState() override { return 0; }
    using InstallApplication::setMedia;
};

// Answers the question boxes and find-file dialogs that come up, in turn, from the event
// loop, writing what each asked into the transcript: a box's heading, message and buttons
// (the default in brackets, then the answer). A box takes the next button, a dialog the
// next path (null: Cancel); when the script has run out, Cancel.
class Answers : public QObject
{
public:
    explicit Answers(const QList<int> &buttons, const QStringList &paths = QStringList());

    QStringList transcript;
    std::function<void()> beforeAnswer;

private:
    void answerIfShown();

    QList<int> m_buttons;
    QStringList m_paths;
    QTimer m_poll;
    QPointer<QWidget> m_answered;
};
