#include "app/core/VariableTable.h"
#include "common/TestMain.h"

namespace {
struct ExpandRow
{
    QString name, kind, value; // kind: "path", "plain" (setVariable) or "ask" (variable() first)
    QString text, expected;
    bool prefixOnly = false; // self references: only the start is fixed, the size bounded
};
} // namespace
Q_DECLARE_METATYPE(ExpandRow)

// The table is process-wide and never cleared: every name used here starts with "T".
class VariableTableTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        setVariable("TProduct", "Fenwick");
        setPathVariable("TOther", "/must/not/appear");
        setPathVariable("TInstallerDir", "$(TDestDir)/bin");
        setPathVariable("TDestDir", "/usr/share/x");
        // In name order TA < TAB < TB: TA's value brings in $(TB), which the same pass replaces.
        setVariable("TA", "$(TB)-a");
        setVariable("TAB", "whole");
        setVariable("TB", "b");
    }

    void expand_data()
    {
        QTest::addColumn<ExpandRow>("row");
        using R = ExpandRow;
        QTest::newRow("nested") << R{"TDestDir", "path", "/opt/x", "$(TInstallerDir)/IConf.xml", "/opt/x/bin/IConf.xml"};
        QTest::newRow("path normalised") << R{"TDestDir", "path", "/usr//share/./a/../b/", "$(TDestDir)", "/usr/share/b"};
        QTest::newRow("normalising drops a reference") << R{"TDestDir", "path", "$(TOther)/../x", "$(TDestDir)", "x"};
        QTest::newRow("setVariable keeps a path a path") << R{"TDestDir", "plain", "/opt//y", "$(TDestDir)", "/opt/y"};
        QTest::newRow("new plain entry not normalised") << R{"TPlain", "plain", "/opt//y/", "$(TPlain)", "/opt//y/"};
        QTest::newRow("later entry replaces in the same pass") << R{"TB", "plain", "b", "$(TAB)/$(TA)", "whole/b-a"};
        QTest::newRow("text around; names are case-sensitive")
            << R{"TDestDir", "path", "/d", "$(TProduct) in $(TDestDir), not $(tproduct).", "Fenwick in /d, not $(tproduct)."};
        QTest::newRow("unknown name stays") << R{"", "", "", "[$(TNeverSet)]", "[$(TNeverSet)]"};
        QTest::newRow("unknown name asked for becomes empty") << R{"TAsked", "ask", "", "[$(TAsked)]", "[]"};
        // Names go into the pattern unescaped; a value must never be read as a back-reference.
        QTest::newRow("back-reference look-alike") << R{"TLit(eral)", "plain", "a\\1b\\0 $1 $&", "$(TLiteral)", "a\\1b\\0 $1 $&"};
        // 64 passes, then the text as it stands: one more or one less is a different text.
        QTest::newRow("self reference stops after 64 passes")
            << R{"TSelf", "plain", "x$(TSelf)", "<$(TSelf)>", "<" + QString(64, u'x') + "$(TSelf)>"};
        // Path cleaning, the same for path variables and for file operations.
        QTest::newRow("clean: dot, doubled slash and dot-dot") << R{"TClean", "path", "a/./b//c/../d", "$(TClean)", "a/b/d"};
        QTest::newRow("clean: dot-dot below the root") << R{"TClean", "path", "/x/../y", "$(TClean)", "/y"};
        QTest::newRow("clean: leading dot-dot stays") << R{"TClean", "path", "../z", "$(TClean)", "../z"};
        QTest::newRow("clean: dot-dot after a kept dot-dot stays") << R{"TClean", "path", "a/../../b", "$(TClean)", "../b"};
        QTest::newRow("clean: dot-dot above the root stays absolute") << R{"TClean", "path", "/../x", "$(TClean)", "/../x"};
        QTest::newRow("clean: everything removed") << R{"TClean", "path", "a/..", "$(TClean)", ""};
        QTest::newRow("clean: root written twice") << R{"TClean", "path", "//", "$(TClean)", "/"};
        QTest::newRow("self reference doubling stops") << R{"TTwice", "plain", "$(TTwice)$(TTwice)", "<$(TTwice)>",
                                                            "<$(TTwice)$(TTwice)$(TTwice)", true};
    }

    void expand()
    {
        QFETCH(ExpandRow, row);
        if (row.kind == "path")
            setPathVariable(row.name, row.value);
        else if (row.kind == "plain")
            setVariable(row.name, row.value);
        else if (row.kind == "ask")
            QCOMPARE(variable(row.name), QString());
        const QString result = ::expand(row.text);
        if (row.name == "TClean") // asked for directly, a path variable answers cleaned as well
            QCOMPARE(variable(row.name), row.expected);
        if (!row.prefixOnly)
            QCOMPARE(result, row.expected);
        else // a self reference never settles; expansion must stop all the same, and stay bounded
            QVERIFY2(result.startsWith(row.expected) && result.size() <= 4 << 20, qPrintable(result.left(60)));
    }

    void escapeRegExp()
    {
        const QString text = "Fenwick_4-52a/x a.b(c) \\{}[]():?^$.+*,";
        QCOMPARE(::escapeRegExp(text), "Fenwick_4-52a/x a\\.b\\(c\\) \\\\\\{\\}\\[\\]\\(\\)\\:\\?\\^\\$\\.\\+\\*\\,");
        QVERIFY(QRegularExpression("^" + ::escapeRegExp(text) + "$").match(text).hasMatch());
    }
};

STUDIO_TEST_CLASS(VariableTableTest)
#include "VariableTableTest.moc"
