// The answers of the question box: the value of every button, what Escape and Return
// answer, and the file named when the locate dialog is given up.

#include "common/TestMain.h"

#include "app/core/InstallException.h"
#include "app/queries/UserQueries.h"
#include "wizard/frame/InstallCheckMessageBox.h"
#include "wizard/pages/InstallFindFileDialog.h"

#include <QtTest>
#include <QtWidgets>

class QuestionBoxTest : public QObject
{
    Q_OBJECT

private slots:
    void answers_data()
    {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("preferred");
        QTest::addColumn<QString>("action"); // each button left to right, or a key
        QTest::addColumn<QList<int>>("answers"); // 0: the box stays open
        QTest::newRow("every button, in bit order") << 511 << 1 << "click" << QList<int>{1, 2, 4, 8, 16, 32, 64, 128, 256};
        QTest::newRow("bits above the table are ignored") << (512 | 16) << 16 << "click" << QList<int>{16};
        QTest::newRow("Escape answers Cancel when offered") << 307 << 1 << "escape" << QList<int>{256};
        QTest::newRow("Escape on Yes and No answers No") << 17 << 1 << "escape" << QList<int>{16};
        QTest::newRow("Escape on a lone OK answers OK") << 4 << 4 << "escape" << QList<int>{4};
        QTest::newRow("Escape keeps a box without Cancel, No or a lone button") << 5 << 1 << "escape" << QList<int>{0};
        QTest::newRow("Return presses the default button") << 307 << 32 << "return" << QList<int>{32};
    }

    void answers()
    {
        QFETCH(int, buttons);
        QFETCH(int, preferred);
        QFETCH(QString, action);
        QFETCH(QList<int>, answers);
        InstallCheckMessageBox box(QStringLiteral("Question"), QStringLiteral("Go on?"), buttons, preferred);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QList<int> given;
        if (action == "click") {
            QList<QPushButton *> row = box.findChildren<QPushButton *>();
            std::sort(row.begin(), row.end(), [](const QPushButton *a, const QPushButton *b) { return a->x() < b->x(); });
            for (QPushButton *button : row)
                button->click(), given << box.result();
        } else {
            QTest::keyClick(&box, action == "escape" ? Qt::Key_Escape : Qt::Key_Return);
            given << box.result();
            QCOMPARE(box.isVisible(), given.first() == 0);
        }
        QCOMPARE(given, answers);
    }

    // The locate dialog given up with Cancel: the error names the file asked for last.
    void locateCancelled_data()
    {
        QTest::addColumn<QString>("typed"); // below the temporary folder; empty: nothing typed
        QTest::addColumn<QString>("error");
        QTest::newRow("Cancel at once names the missing file") << "" << "Cannot find file 'payload.bin'";
        QTest::newRow("Cancel after typing names the typed file") << "boards/riscv.cfg" << "Cannot find file 'riscv.cfg'";
    }

    void locateCancelled()
    {
        QFETCH(QString, typed);
        QFETCH(QString, error);
        QTemporaryDir folder;
        QTimer user;
        connect(&user, &QTimer::timeout, &user, [&] {
            auto *dialog = qobject_cast<InstallFindFileDialog *>(QApplication::activeModalWidget());
            if (dialog && !typed.isEmpty())
                dialog->pathEdit()->clear(), QTest::keyClicks(dialog->pathEdit(), folder.filePath(typed));
            for (QPushButton *button : dialog ? dialog->findChildren<QPushButton *>() : QList<QPushButton *>())
                if (button->text() == "&Cancel")
                    button->click();
        });
        user.start(0);
        try {
            locateFile(folder.filePath("payload.bin"));
            QFAIL("nothing was located, yet no error");
        } catch (const InstallException &failure) {
            QCOMPARE(failure.message(), error);
        }
    }
};

STUDIO_TEST_CLASS(QuestionBoxTest)
#include "QuestionBoxTest.moc"
