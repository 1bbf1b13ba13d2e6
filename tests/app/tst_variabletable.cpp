#include "app/core/VariableTable.h"

#include <QtTest>

// The table is process-wide, so every test works with names of its own (a prefix per
// row) and never relies on what another test stored.
class TestVariableTable : public QObject
{
    Q_OBJECT

private slots:
    void expandsNestedReferences_data();
    void expandsNestedReferences();
    void normalisesPathValues_data();
    void normalisesPathValues();
    void unknownNamesStayUntilAsked();
    void namesAreCaseSensitive();
    void setVariableKeepsPathKind_data();
    void setVariableKeepsPathKind();
    void laterEntryReplacesWithinOnePass();
    void valuesAreInsertedLiterally_data();
    void valuesAreInsertedLiterally();
    void selfReferenceTerminates_data();
    void selfReferenceTerminates();
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
    QTest::newRow("destination changed later shows in the next expansion")
        << "/usr/share/other" << "$(NestInstallerDir)/IConf.xml" << "/usr/share/other/bin/IConf.xml";
    QTest::newRow("three levels deep")
        << "$(NestRoot)/deep" << "$(NestInstallerDir)" << "/srv/deep/bin";
    QTest::newRow("text around and several references")
        << "/d" << "To start installation of $(NestProduct) in $(NestDestDir), click Install."
        << "To start installation of Fenwick in /d, click Install.";
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
    const QString result = expand(text);
    QVERIFY2(result == expected, qPrintable(QString("expanded to \"%1\"").arg(result)));
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

void TestVariableTable::unknownNamesStayUntilAsked()
{
    const QString text = "[$(NeverSetAnywhere)]";
    QCOMPARE(expand(text), text);
    QVERIFY2(!VariableTable::instance().contains("NeverSetAnywhere"), "expanding must not create names");

    QCOMPARE(variable("NeverSetAnywhere"), QString());
    QVERIFY2(VariableTable::instance().contains("NeverSetAnywhere"), "asking for a name creates it");
    QCOMPARE(expand(text), QString("[]"));
}

void TestVariableTable::namesAreCaseSensitive()
{
    setVariable("CaseProduct", "Fenwick");
    QCOMPARE(expand("$(CaseProduct)"), QString("Fenwick"));
    QCOMPARE(expand("$(caseproduct) $(CASEPRODUCT)"), QString("$(caseproduct) $(CASEPRODUCT)"));
}

void TestVariableTable::setVariableKeepsPathKind_data()
{
    QTest::addColumn<bool>("createdAsPath");
    QTest::addColumn<QString>("expected");

    QTest::newRow("path entry stays a path") << true << "/opt/y";
    QTest::newRow("plain entry stays plain") << false << "/opt//y";
}

void TestVariableTable::setVariableKeepsPathKind()
{
    QFETCH(bool, createdAsPath);
    QFETCH(QString, expected);

    const QString name = createdAsPath ? "KindPathDest" : "KindPlainDest";
    if (createdAsPath)
        setPathVariable(name, "/usr/share/x");
    else
        setVariable(name, "/usr/share/x");
    setVariable(name, "/opt//y");
    QCOMPARE(expand("$(" + name + ")"), expected);
    QCOMPARE(variable(name), expected);
}

void TestVariableTable::laterEntryReplacesWithinOnePass()
{
    // "OrderA" sorts before "OrderB": the value that A brings in is replaced by B in the
    // same pass, and the result is stable afterwards.
    setVariable("OrderA", "$(OrderB)-a");
    setVariable("OrderB", "b");
    QCOMPARE(expand("$(OrderA)"), QString("b-a"));
    // A name inside another is still found only through its own reference.
    setVariable("OrderAB", "whole");
    QCOMPARE(expand("$(OrderAB)/$(OrderA)"), QString("whole/b-a"));
}

void TestVariableTable::valuesAreInsertedLiterally_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reference");
    QTest::addColumn<QString>("value");

    // Names go into the pattern unescaped, so a name may hold a group; its value must
    // still not be read as a back-reference to it.
    QTest::newRow("back-reference look-alike after a grouping name")
        << "Lit(eral)" << "$(Literal)" << "a\\1b";
    QTest::newRow("dollar signs") << "LitDollar" << "$(LitDollar)" << "$1 $$ $";
    QTest::newRow("reference to an unknown name") << "LitUnknown" << "$(LitUnknown)" << "$(LitNeverSet)";
}

void TestVariableTable::valuesAreInsertedLiterally()
{
    QFETCH(QString, name);
    QFETCH(QString, reference);
    QFETCH(QString, value);

    setVariable(name, value);
    QCOMPARE(expand("<" + reference + ">"), "<" + value + ">");
}

void TestVariableTable::selfReferenceTerminates_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("mustStartWith");

    QTest::newRow("growing by one suffix per pass") << "SelfGrow" << "x$(SelfGrow)" << "xxxx";
    QTest::newRow("doubling every pass") << "SelfDouble" << "$(SelfDouble)$(SelfDouble)" << "";
    QTest::newRow("value equal to its own reference") << "SelfSame" << "$(SelfSame)" << "$(SelfSame)";
}

void TestVariableTable::selfReferenceTerminates()
{
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(QString, mustStartWith);

    setVariable(name, value);
    const QString result = expand("$(" + name + ")");
    QVERIFY2(result.startsWith(mustStartWith), qPrintable(result.left(40)));
    QVERIFY2(result.size() <= 8 * 1024 * 1024, "expansion must stay bounded");
}

void TestVariableTable::escapeRegExp_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("dot and parentheses") << "a.b(c)" << "a\\.b\\(c\\)";
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
    const QRegularExpression literal("^" + escaped + "$");
    QVERIFY2(literal.isValid() && literal.match(text).hasMatch(), "the escaped text must match the text itself");
}

QTEST_GUILESS_MAIN(TestVariableTable)
#include "tst_variabletable.moc"
