#include "wizard/WizardTestSupport.h"

#include "app/core/VariableTable.h"
#include "wizard/frame/InstallCheckMessageBox.h"
#include "wizard/frame/UnattendedRun.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

namespace {

QStringList buttonTextsLeftToRight(const InstallCheckMessageBox &box)
{
    QList<QPushButton *> buttons = box.findChildren<QPushButton *>();
    std::sort(buttons.begin(), buttons.end(), [](const QPushButton *a, const QPushButton *b) {
        return a->mapToGlobal(QPoint()).x() < b->mapToGlobal(QPoint()).x();
    });
    QStringList texts;
    for (const QPushButton *button : buttons)
        texts << button->text();
    return texts;
}

} // namespace

class TestInstallCheckMessageBox : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        setVariable(QStringLiteral("Product"), QStringLiteral("Corvane Fenwick Studio for RISC-V"));
        setVariable(QStringLiteral("Version"), QStringLiteral("4.52a"));
        UnattendedRun::setActive(false);
    }

    void cleanup()
    {
        UnattendedRun::setActive(false);
    }

    // Buttons in bit order, the default holding the focus, and the texts expanded.
    void boxLayout_data()
    {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("defaultButton");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("expectedDefault");

        QTest::newRow("to-All question 307, no to all")
            << 307 << 32 << QStringList{"&Yes", "Yes to &All", "&No", "No to A&ll", "&Cancel"} << "No to A&ll";
        QTest::newRow("every button")
            << 511 << 1
            << QStringList{"&Yes", "Yes to &All", "&OK", "&Retry", "&No", "No to A&ll",
                           "&Ignore", "I&gnore All", "&Cancel"} << "&Yes";
        QTest::newRow("bits above the table are ignored") << (512 | 16) << 16 << QStringList{"&No"} << "&No";
        QTest::newRow("default not offered") << 17 << 256 << QStringList{"&Yes", "&No"} << "";
    }

    void boxLayout()
    {
        QFETCH(int, buttons);
        QFETCH(int, defaultButton);
        QFETCH(QStringList, texts);
        QFETCH(QString, expectedDefault);

        InstallCheckMessageBox box(QStringLiteral("$(Product) Installation Failed"),
                                   QStringLiteral("<p>Version $(Version) failed.</p>"), buttons, defaultButton);
        QCOMPARE(box.windowTitle(), QStringLiteral("Corvane Fenwick Studio for RISC-V 4.52a Setup"));
        QCOMPARE(labelTexts(box), (QStringList{"Corvane Fenwick Studio for RISC-V Installation Failed",
                                   "<p>Version 4.52a failed.</p>"}));
        QVERIFY2(box.isModal(), "the box must be modal");
        QStringList defaults;
        for (const QPushButton *button : box.findChildren<QPushButton *>())
            if (button->isDefault())
                defaults << button->text();
        QCOMPARE(defaults, expectedDefault.isEmpty() ? QStringList() : QStringList{expectedDefault});
        if (!expectedDefault.isEmpty())
            QVERIFY2(box.focusWidget() == buttonWithText(&box, expectedDefault),
                     "the default button must hold the focus");
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QCOMPARE(buttonTextsLeftToRight(box), texts);
    }

    void answerIsTheButtonPressed_data()
    {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<QString>("pressed");
        QTest::addColumn<int>("answer");

        QTest::newRow("yes") << 511 << "&Yes" << 1;
        QTest::newRow("yes to all") << 511 << "Yes to &All" << 2;
        QTest::newRow("ok") << 511 << "&OK" << 4;
        QTest::newRow("retry") << 511 << "&Retry" << 8;
        QTest::newRow("no") << 511 << "&No" << 16;
        QTest::newRow("no to all") << 511 << "No to A&ll" << 32;
        QTest::newRow("ignore") << 511 << "&Ignore" << 64;
        QTest::newRow("ignore all") << 511 << "I&gnore All" << 128;
        QTest::newRow("cancel") << 511 << "&Cancel" << 256;
        QTest::newRow("no in the to-All question") << 307 << "&No" << 16;
        QTest::newRow("escape with cancel offered") << 307 << "escape" << 256;
        QTest::newRow("escape on yes/no answers no") << 17 << "escape" << 16;
        QTest::newRow("escape on a lone ok") << 4 << "escape" << 4;
    }

    void answerIsTheButtonPressed()
    {
        QFETCH(int, buttons);
        QFETCH(QString, pressed);
        QFETCH(int, answer);

        QString objectName;
        ModalDriver driver([&](QWidget *box) {
            objectName = box->objectName();
            if (pressed == "escape")
                QTest::keyClick(box, Qt::Key_Escape);
            else if (QPushButton *button = buttonWithText(box, pressed))
                QTest::mouseClick(button, Qt::LeftButton);
            else
                static_cast<QDialog *>(box)->done(-1);
        });
        const int result = InstallCheckMessageBox::exec(QStringLiteral("Question"),
                                                        QStringLiteral("Go on?"), buttons, 1);
        QVERIFY2(driver.acted(), "the box never came up");
        QCOMPARE(objectName, QStringLiteral("install-check-message-box"));
        QCOMPARE(result, answer);
    }

    void unattendedAnswers_data()
    {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("defaultButton");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("written");

        QTest::newRow("cancel offered wins over the default")
            << 307 << 1 << 256 << "Overwrite File" << "<p>Replace <b>a.txt</b>?"
            << QByteArray("Overwrite File\nReplace a.txt?\n");
        QTest::newRow("yes/no answers the default")
            << 17 << 1 << 1 << "$(Product) Installation Failed"
            << "<p>The installation of the X component has failed.</p><p>Disk full.</p>"
            << QByteArray("Corvane Fenwick Studio for RISC-V Installation Failed\n"
                          "The installation of the X component has failed.\nDisk full.\n");
        QTest::newRow("line breaks and entities")
            << 17 << 16 << 16 << "Question" << "a &lt; b<br>c &amp; d"
            << QByteArray("Question\na < b\nc & d\n");
    }

    void unattendedAnswers()
    {
        QFETCH(int, buttons);
        QFETCH(int, defaultButton);
        QFETCH(int, answer);
        QFETCH(QString, heading);
        QFETCH(QString, message);
        QFETCH(QByteArray, written);

        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        UnattendedRun::setActive(true);
        // Should a box come up anyway, close it so the failure shows instead of a hang.
        ModalDriver guard([](QWidget *box) { static_cast<QDialog *>(box)->done(-1); });
        StderrCapture capture(folder.filePath(QStringLiteral("stderr.txt")));
        const int result = InstallCheckMessageBox::exec(heading, message, buttons, defaultButton);
        const QByteArray text = capture.text();
        QVERIFY2(!guard.acted(), "nothing may be shown in an unattended run");
        QCOMPARE(result, answer);
        QCOMPARE(text, written);
    }

    void plainText_data()
    {
        QTest::addColumn<QString>("richText");
        QTest::addColumn<QString>("plain");

        QTest::newRow("paragraphs") << "<p>One</p><p>Two</p>" << "One\nTwo";
        QTest::newRow("upper-case and attributes") << "<P align=\"center\">A<BR/>B" << "A\nB";
        QTest::newRow("inline tags go") << "<b>bold</b> and <i>it</i>" << "bold and it";
        QTest::newRow("escaped ampersand stays literal") << "&amp;lt;" << "&lt;";
        QTest::newRow("pre tag is not a paragraph") << "<pre>x</pre>" << "x";
    }

    void plainText()
    {
        QFETCH(QString, richText);
        QFETCH(QString, plain);
        QCOMPARE(UnattendedRun::plainText(richText), plain);
    }
};

QTEST_MAIN(TestInstallCheckMessageBox)
#include "tst_installcheckmessagebox.moc"
