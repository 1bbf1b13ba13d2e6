#include "media/platform/FileName.h"

#include <QtTest>

class TestFileName : public QObject
{
    Q_OBJECT

private slots:
    void answersFollowTheDisk();
    void copiesShareOnePath();
};

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
    FileName first("/x/./first.tar.gz");
    const FileName copy = first;
    QCOMPARE(copy.path(), QString("/x/first.tar.gz"));
    QCOMPARE(copy.completeSuffix(), QString("tar.gz"));
    first.setPath("a/b/../second/");
    QCOMPARE(copy.path(), QString("a/second"));
    QCOMPARE(copy.fileName(), QString("second"));
    QVERIFY2(copy.isRelative(), "a relative name stays relative");
    QCOMPARE(FileName().path(), QString());
    QVERIFY2(!FileName().exists(), "an empty name names no file");
}

QTEST_GUILESS_MAIN(TestFileName)
#include "tst_filename.moc"
