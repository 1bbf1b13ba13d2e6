#include "media/platform/FileName.h"

#include <QtTest>

class TestFileName : public QObject
{
    Q_OBJECT

private slots:
    void nameParts_data();
    void nameParts();
    void answersFollowTheDisk();
    void copiesShareOnePath();
};

void TestFileName::nameParts_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("cleaned");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("completeSuffix");
    QTest::addColumn<bool>("relative");

    QTest::newRow("archive with two suffixes") << "/opt/./pkg//data.tar.gz" << "/opt/pkg/data.tar.gz"
                                               << "data.tar.gz" << "gz" << "tar.gz" << false;
    QTest::newRow("relative with dot-dot") << "a/b/../IConf.xml" << "a/IConf.xml"
                                           << "IConf.xml" << "xml" << "xml" << true;
    QTest::newRow("no suffix") << "bin/uninstall" << "bin/uninstall" << "uninstall" << "" << "" << true;
}

void TestFileName::nameParts()
{
    QFETCH(QString, path);
    QFETCH(QString, cleaned);
    QFETCH(QString, fileName);
    QFETCH(QString, suffix);
    QFETCH(QString, completeSuffix);
    QFETCH(bool, relative);

    const FileName name(path);
    QCOMPARE(name.path(), cleaned);
    QCOMPARE(name.fileName(), fileName);
    QCOMPARE(name.suffix(), suffix);
    QCOMPARE(name.completeSuffix(), completeSuffix);
    QCOMPARE(name.isRelative(), relative);
    QCOMPARE(name.folder().path(), QFileInfo(cleaned).path());
}

void TestFileName::answersFollowTheDisk()
{
    QTemporaryDir temporary;
    QVERIFY(temporary.isValid());
    const FileName name(temporary.path() + "/sub/../file.txt");
    QVERIFY2(!name.exists(), "nothing is there yet");

    QFile file(temporary.path() + "/file.txt");
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.write("12345") == 5);
    file.flush();
    QVERIFY2(name.exists(), "the file made after the first question must be seen");
    QCOMPARE(name.size(), qint64(5));
    QVERIFY(file.write("678") == 3);
    file.close();
    QCOMPARE(name.size(), qint64(8));
    QVERIFY2(name.isReadable() && name.isWritable(), "a fresh file is readable and writable");
    QVERIFY2(name.lastModified().isValid() && name.created().isValid(), "times must be known");

    QVERIFY(QFile::remove(temporary.path() + "/file.txt"));
    QVERIFY2(!name.exists(), "a removed file must be seen as gone");
}

void TestFileName::copiesShareOnePath()
{
    FileName first("/x/./first");
    const FileName copy = first;
    QCOMPARE(copy.path(), QString("/x/first"));
    first.setPath("/y//second/");
    QCOMPARE(copy.path(), QString("/y/second"));
    QCOMPARE(copy.fileName(), QString("second"));
    QCOMPARE(FileName().path(), QString());
    QVERIFY2(!FileName().exists(), "an empty name names no file");
}

QTEST_GUILESS_MAIN(TestFileName)
#include "tst_filename.moc"
