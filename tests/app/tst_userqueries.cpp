// The questions that protect the user's files, answered through the real question box.

#include "common/QuestionScript.h"

#include "app/core/InstallException.h"
#include "app/core/InstallUserCancelException.h"
#include "app/core/VariableTable.h"
#include "app/queries/UserQueries.h"
#include "wizard/frame/InstallCheckMessageBox.h"
#include "wizard/pages/InstallFindFileDialog.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using Box = InstallCheckMessageBox;

namespace {

const QDateTime newTime(QDate(2024, 3, 1), QTime(12, 0), Qt::UTC);

// A file of five bytes whose modification time is newTime moved by offsetSeconds.
QString makeFile(const QTemporaryDir &dir, const QString &name, qint64 offsetSeconds, bool readOnly = false)
{
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::ReadWrite) || file.write("12345") != 5 || !file.flush()
        || !file.setFileTime(newTime.addSecs(offsetSeconds), QFileDevice::FileModificationTime))
        return QString();
    if (readOnly)
        file.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    return file.fileName();
}

QString policyName(QueryPolicy policy)
{
    return policy == QueryPolicy::All ? "all" : policy == QueryPolicy::None ? "none" : "ask";
}

// Runs a question; true when it ended the run with the user's Cancel.
template<typename Question>
bool cancels(Question question, bool *answered)
{
    *answered = false;
    try {
        *answered = question();
    } catch (const InstallUserCancelException &) {
        return true;
    }
    return false;
}

// Answers the find-file dialog with a typed path and OK, or Cancel for a null entry.
class LocateScript : public QObject
{
public:
    explicit LocateScript(const QStringList &answers) : m_answers(answers)
    {
        m_poll.setInterval(0);
        connect(&m_poll, &QTimer::timeout, this, &LocateScript::answerIfShown);
        m_poll.start();
    }
    QStringList titles;

private:
    void answerIfShown()
    {
        auto *dialog = qobject_cast<InstallFindFileDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || dialog->property("answeredByScript").toBool())
            return;
        dialog->setProperty("answeredByScript", true);
        titles.append(dialog->windowTitle());
        const QString answer = m_answers.isEmpty() ? QString() : m_answers.takeFirst();
        dialog->pathEdit()->setText(answer);
        for (QPushButton *button : dialog->findChildren<QPushButton *>())
            if (button->text() == (answer.isNull() ? "&Cancel" : "&OK"))
                return button->click();
        dialog->done(0);
    }

    QStringList m_answers;
    QTimer m_poll;
};

} // namespace

class TestUserQueries : public QObject
{
    Q_OBJECT

private slots:
    void init() { resetQueryPolicies(); }
    void cleanupTestCase() { resetQueryPolicies(); }

    void reportErrorText();
    void overwriteQuestion_data();
    void overwriteQuestion();
    void readOnlyQuestion_data();
    void readOnlyQuestion();
    void unwritableFileLoop_data();
    void unwritableFileLoop();
    void mayReplaceFile_data();
    void mayReplaceFile();
    void locateFile_data();
    void locateFile();
};

void TestUserQueries::reportErrorText()
{
    QuestionScript script({Box::Ok});
    reportError(QStringLiteral("Unknown command line option: '--frobnicate'"));
    QCOMPARE(script.questions().size(), 1);
    const QuestionScript::Question question = script.questions().first();
    QCOMPARE(question.heading, QStringLiteral("Installation Error"));
    QCOMPARE(question.message, QStringLiteral("Unknown command line option: '--frobnicate'.<p>Click "
                                              "OK to terminate installation"));
    QCOMPARE(question.buttons, int(Box::Ok));
    QCOMPARE(question.defaultButton, int(Box::Ok));
}

void TestUserQueries::overwriteQuestion_data()
{
    QTest::addColumn<qint64>("existingOffset"); // seconds from the new file's time
    QTest::addColumn<qint64>("newSize");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QString>("message");     // %1 is the existing path
    QTest::addColumn<int>("defaultButton");
    QTest::addColumn<QString>("policy");
    QTest::addColumn<int>("questions"); // with an older second file answered Yes if asked

    QTest::newRow("less than a second apart counts as the same time")
        << qint64(0) << qint64(5) << 0 << false << QString() << QString() << 0 << "ask" << 1;
    QTest::newRow("same time, other size, Yes replaces")
        << qint64(0) << qint64(6) << int(Box::Yes) << true << "lib.so already exists"
        << "Do you want to overwrite \"%1\"?" << int(Box::No) << "ask" << 2;
    QTest::newRow("older file, Yes to All replaces and remembers")
        << qint64(-3600) << qint64(5) << int(Box::YesToAll) << true
        << "Older version of lib.so already exists"
        << "Do you want to overwrite \"%1\" with newer file?" << int(Box::Yes) << "all" << 1;
    QTest::newRow("newer file, No to All keeps it and remembers")
        << qint64(60) << qint64(9) << int(Box::NoToAll) << false
        << "Newer version of lib.so already exists"
        << "Do you want to overwrite \"%1\" with older file?" << int(Box::No) << "none" << 1;
    QTest::newRow("Cancel ends the run")
        << qint64(-1) << qint64(5) << int(Box::Cancel) << false
        << "Older version of lib.so already exists"
        << "Do you want to overwrite \"%1\" with newer file?" << int(Box::Yes) << "ask" << 1;
}

void TestUserQueries::overwriteQuestion()
{
    QFETCH(qint64, existingOffset);
    QFETCH(qint64, newSize);
    QFETCH(int, answer);
    QFETCH(bool, result);
    QFETCH(QString, heading);
    QFETCH(QString, message);
    QFETCH(int, defaultButton);
    QFETCH(QString, policy);
    QFETCH(int, questions);
    const bool cancelled = answer == Box::Cancel;

    QTemporaryDir dir;
    const QString path = makeFile(dir, QStringLiteral("lib.so"), existingOffset);
    const QString older = makeFile(dir, QStringLiteral("older.so"), -20);
    QVERIFY2(!path.isEmpty() && !older.isEmpty(), "the existing files were prepared");
    // The first row hands in a time with a fraction of a second.
    const QDateTime offered = answer ? newTime : newTime.addMSecs(400);

    QuestionScript script(answer ? QList<int>{answer, Box::Yes} : QList<int>{Box::Yes});
    bool answered = false;
    QCOMPARE(cancels([&] { return confirmOverwrite(offered, newSize, path); }, &answered), cancelled);
    QCOMPARE(answered, result);
    QCOMPARE(policyName(overwritePolicy()), policy);
    if (!cancelled) {
        QCOMPARE(confirmOverwrite(newTime, 5, older), policy != "none");
        QVERIFY2(!confirmOverwrite(newTime, 5, makeFile(dir, "same.so", 0)), "an identical file is copied again");
    }
    QCOMPARE(script.questions().size(), questions);
    if (heading.isEmpty())
        return; // only the older file was asked about
    const QuestionScript::Question question = script.questions().first();
    QCOMPARE(question.heading, heading);
    QCOMPARE(question.message, message.arg(path));
    QCOMPARE(question.buttons, Box::YesNoAllCancel);
    QCOMPARE(question.defaultButton, defaultButton);
}

void TestUserQueries::readOnlyQuestion_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("result"); // and the file made writable
    QTest::addColumn<QString>("policy");
    QTest::addColumn<int>("questions"); // with a second read-only file answered Yes if asked

    QTest::newRow("Yes makes the file writable") << int(Box::Yes) << true << "ask" << 2;
    QTest::newRow("Yes to All makes later files writable without asking")
        << int(Box::YesToAll) << true << "all" << 1;
    QTest::newRow("No to All leaves later files alone without asking")
        << int(Box::NoToAll) << false << "none" << 1;
    QTest::newRow("Cancel ends the run") << int(Box::Cancel) << false << "ask" << 2;
}

void TestUserQueries::readOnlyQuestion()
{
    QFETCH(int, answer);
    QFETCH(bool, result);
    QFETCH(QString, policy);
    QFETCH(int, questions);

    QTemporaryDir dir;
    const QString path = makeFile(dir, QStringLiteral("tool.cfg"), 0, true);
    const QString other = makeFile(dir, QStringLiteral("other.cfg"), 0, true);
    QuestionScript script({answer, Box::Yes});
    bool answered = false;
    QCOMPARE(cancels([&] { return confirmReadOnlyOverwrite(path); }, &answered), answer == Box::Cancel);
    QCOMPARE(answered, result);
    QCOMPARE(bool(QFile::permissions(path) & QFile::WriteOwner), result);
    QCOMPARE(policyName(readOnlyPolicy()), policy);
    const QuestionScript::Question question = script.questions().first();
    QCOMPARE(question.heading, QStringLiteral("tool.cfg is a read only file"));
    QCOMPARE(question.message, QStringLiteral("Do you want to overwrite read only file \"%1\"?").arg(path));
    QCOMPARE(question.buttons, Box::YesNoAllCancel);
    QCOMPARE(question.defaultButton, int(Box::No));

    QCOMPARE(confirmReadOnlyOverwrite(other), policy != "none");
    QCOMPARE(script.questions().size(), questions);
}

// A vanished file cannot be made writable: skip it? is asked until Yes or Cancel.
void TestUserQueries::unwritableFileLoop_data()
{
    QTest::addColumn<QList<int>>("answers"); // after Yes to the read-only question

    QTest::newRow("No tries again until Yes") << QList<int>{Box::No, Box::No, Box::Yes};
    QTest::newRow("Cancel after a retry ends the run") << QList<int>{Box::No, Box::Cancel};
}

void TestUserQueries::unwritableFileLoop()
{
    QFETCH(QList<int>, answers);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("gone.so"));
    QuestionScript script(QList<int>{Box::Yes} + answers);
    bool answered = false;
    QCOMPARE(cancels([&] { return confirmReadOnlyOverwrite(path); }, &answered), answers.last() == Box::Cancel);
    QVERIFY2(!answered, "a file that cannot be made writable is never overwritten");
    QCOMPARE(script.questions().size(), 1 + answers.size());
    QCOMPARE(script.unansweredCount(), 0);
    for (int index = 1; index < script.questions().size(); ++index) {
        const QuestionScript::Question question = script.questions().at(index);
        QCOMPARE(question.heading, QStringLiteral("Cannot make gone.so writable"));
        QCOMPARE(question.message,
                 QStringLiteral("Do you want to skip over installation of %1?").arg(path));
        QCOMPARE(question.buttons, Box::Yes | Box::No | Box::Cancel);
        QCOMPARE(question.defaultButton, int(Box::Yes));
    }
}

void TestUserQueries::mayReplaceFile_data()
{
    QTest::addColumn<QString>("existing"); // "none", "writable" or "read-only"
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QStringList>("headings");

    QTest::newRow("a new file is written without a question")
        << "none" << QList<int>{} << true << QStringList{};
    QTest::newRow("a writable file replaced after Yes")
        << "writable" << QList<int>{Box::Yes} << true
        << QStringList{"Older version of app.bin already exists"};
    QTest::newRow("a read-only file kept when the overwrite is refused")
        << "read-only" << QList<int>{Box::No} << false
        << QStringList{"Older version of app.bin already exists"};
    QTest::newRow("a read-only file asks both questions")
        << "read-only" << QList<int>{Box::YesToAll, Box::Yes} << true
        << QStringList{"Older version of app.bin already exists", "app.bin is a read only file"};
}

void TestUserQueries::mayReplaceFile()
{
    QFETCH(QString, existing);
    QFETCH(QList<int>, answers);
    QFETCH(bool, result);
    QFETCH(QStringList, headings);

    QTemporaryDir dir;
    const QString path = existing == QLatin1String("none")
        ? dir.filePath(QStringLiteral("app.bin"))
        : makeFile(dir, QStringLiteral("app.bin"), -60, existing == QLatin1String("read-only"));
    if (headings.size() > 1 && QFileInfo(path).isWritable())
        QSKIP("this user may write to read-only files, so they are never asked about");
    QuestionScript script(answers);
    QCOMPARE(::mayReplaceFile(newTime, 5, path), result);
    QStringList asked;
    for (const QuestionScript::Question &question : script.questions())
        asked.append(question.heading);
    QCOMPARE(asked, headings);
}

void TestUserQueries::locateFile_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<QStringList>("typed");   // null entry: Cancel
    QTest::addColumn<QString>("result");      // %1 is the temporary folder
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("dialogs");

    QTest::newRow("an existing file is returned expanded without asking")
        << true << QStringList{} << "%1/payload/data.bin" << QString() << 0;
    QTest::newRow("the user finds the file elsewhere")
        << false << QStringList{"%1/elsewhere.bin"} << "%1/elsewhere.bin" << QString() << 1;
    QTest::newRow("Cancel names the missing file")
        << false << QStringList{QString()} << QString() << "Cannot find file 'data.bin'" << 1;
    QTest::newRow("Cancel after a wrong answer names the last file asked for")
        << false << QStringList{"%1/nothing.bin", QString()} << QString()
        << "Cannot find file 'nothing.bin'" << 2;
}

void TestUserQueries::locateFile()
{
    QFETCH(bool, present);
    QFETCH(QStringList, typed);
    QFETCH(QString, result);
    QFETCH(QString, error);
    QFETCH(int, dialogs);

    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("payload")));
    setVariable(QStringLiteral("QueryTestFolder"), dir.path());
    if (present)
        QVERIFY(!makeFile(dir, QStringLiteral("payload/data.bin"), 0).isEmpty());
    QVERIFY(!makeFile(dir, QStringLiteral("elsewhere.bin"), 0).isEmpty());
    for (QString &answer : typed)
        if (!answer.isNull())
            answer = answer.arg(dir.path());

    LocateScript script(typed);
    QString located;
    QString thrown;
    try {
        located = ::locateFile(QStringLiteral("$(QueryTestFolder)/payload/data.bin"));
    } catch (const InstallException &failure) {
        thrown = failure.message();
    }
    QCOMPARE(thrown, error);
    QCOMPARE(located, result.isEmpty() ? QString() : result.arg(dir.path()));
    QCOMPARE(script.titles.size(), dialogs);
    for (const QString &title : std::as_const(script.titles))
        QCOMPARE(title, QStringLiteral("Locate File"));
}

QTEST_MAIN(TestUserQueries)
#include "tst_userqueries.moc"
