#include "app/core/VariableTable.h"

#include <QtTest>

// The table is process-wide: every test uses names of its own.
class TestVariableTable : public QObject
{
    Q_OBJECT

private slots:
    void expandsNestedReferences_data();
    void expandsNestedReferences();
    void normalisesPathValues_data();
    void normalisesPathValues();
    void literalAndBoundedExpansion_data();
    void literalAndBoundedExpansion();
    void namesAndKinds();
    void escapeRegExp_data();
    void escapeRegExp();
};

void TestVariableTable::expandsNestedReferences_data()
{
    QTest::addColumn<QString>("destDir");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("installer folder below the destination")
        << "/opt/x" << "$(NestInstallerDir)/IConf.xml" << "/opt/x/bin/IConf.xml";
    QTest::newRow("three levels deep") << "$(NestRoot)/deep" << "$(NestInstallerDir)" << "/srv/deep/bin";
    QTest::newRow("text around and several references")
        << "/d" << "To start installation of $(NestProduct) in $(NestDestDir), click Install."
        << "To start installation of Fenwick in /d, click Install.";
    QTest::newRow("later entry replaces within one pass; names inside names are not matched")
        << "/d" << "$(NestAB)/$(NestA)" << "whole/b-a";
}

void TestVariableTable::expandsNestedReferences()
{
    QFETCH(QString, destDir);
    QFETCH(QString, text);
    QFETCH(QString, expected);

    setPathVariable("NestRoot", "/srv");
    setVariable("NestProduct", "Fenwick");
    setPathVariable("NestInstallerDir", "$(NestDestDir)/bin");
    setPathVariable("NestDestDir", destDir);
    setVariable("NestA", "$(NestB)-a");
    setVariable("NestB", "b");
    setVariable("NestAB", "whole");
    QCOMPARE(expand(text), expected);
}

void TestVariableTable::normalisesPathValues_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("doubled, dot, dot-dot and trailing slash") << "/usr//share/./a/../b/" << "/usr/share/b";
    QTest::newRow("leading dot-dot stays") << "../../z/./" << "../../z";
    QTest::newRow("root written twice") << "//" << "/";
    QTest::newRow("reference lost before expansion") << "$(NormOther)/../x" << "x";
}

void TestVariableTable::normalisesPathValues()
{
    QFETCH(QString, value);
    QFETCH(QString, expected);
    setPathVariable("NormOther", "/must/not/appear");
    setPathVariable("NormPath", value);
    QCOMPARE(variable("NormPath"), expected);
    QCOMPARE(expand("$(NormPath)"), expected);
}

void TestVariableTable::literalAndBoundedExpansion_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("mustStartWith"); // null: the value must appear literally

    // Names go into the pattern unescaped; a value must not be read as a back-reference.
    QTest::newRow("back-reference look-alike after a grouping name") << "Lit(eral)" << "a\\1b" << QString();
    QTest::newRow("dollar signs") << "LitDollar" << "$1 $$ $" << QString();
    QTest::newRow("reference to an unknown name") << "LitUnknown" << "$(LitNeverSet)" << QString();
    QTest::newRow("self reference growing by one suffix per pass") << "SelfGrow" << "x$(SelfGrow)" << "xxxx";
    QTest::newRow("self reference doubling every pass") << "SelfDouble" << "$(SelfDouble)$(SelfDouble)" << "";
}

void TestVariableTable::literalAndBoundedExpansion()
{
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(QString, mustStartWith);

    setVariable(name, value);
    const QString reference = "$(" + QString(name).remove('(').remove(')') + ")";
    const QString result = expand("<" + reference + ">");
    if (mustStartWith.isNull()) {
        QCOMPARE(result, "<" + value + ">");
    } else {
        QVERIFY2(result.startsWith("<" + mustStartWith), qPrintable(result.left(40)));
        QVERIFY2(result.size() <= 8 * 1024 * 1024, "expansion must stay bounded");
    }
}

void TestVariableTable::namesAndKinds()
{
    // Expanding an unknown name leaves it; asking for it creates it empty.
    const QString text = "[$(NeverSetAnywhere)]";
    QCOMPARE(expand(text), text);
    QVERIFY(!VariableTable::instance().contains("NeverSetAnywhere"));
    QCOMPARE(variable("NeverSetAnywhere"), QString());
    QCOMPARE(expand(text), QString("[]"));

    setVariable("CaseProduct", "Fenwick");
    QCOMPARE(expand("$(CaseProduct) $(caseproduct)"), QString("Fenwick $(caseproduct)"));

    // setVariable keeps the kind the entry was created with.
    setPathVariable("KindPathDest", "/usr/share/x");
    setVariable("KindPathDest", "/opt//y");
    QCOMPARE(variable("KindPathDest"), QString("/opt/y"));
    setVariable("KindPlainDest", "/usr/share/x");
    setVariable("KindPlainDest", "/opt//y");
    QCOMPARE(expand("$(KindPlainDest)"), QString("/opt//y"));
}

void TestVariableTable::escapeRegExp_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("every special character")
        << "\\{}[]():?^$.+*," << "\\\\\\{\\}\\[\\]\\(\\)\\:\\?\\^\\$\\.\\+\\*\\,";
    QTest::newRow("plain text unchanged") << "Fenwick Studio_4-52a" << "Fenwick Studio_4-52a";
}

void TestVariableTable::escapeRegExp()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const QString escaped = ::escapeRegExp(text);
    QCOMPARE(escaped, expected);
    QVERIFY(QRegularExpression("^" + escaped + "$").match(text).hasMatch());
}

QTEST_GUILESS_MAIN(TestVariableTable)
#include "tst_variabletable.moc"
