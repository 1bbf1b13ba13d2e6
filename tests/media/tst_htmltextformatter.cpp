#include "media/text/HtmlTextFormatter.h"
#include "resources/LicenseText.h"

#include <QtTest>

namespace {

QString document(const QString &body)
{
    return QStringLiteral("<html><head><title>Not shown</title></head><body>") + body
        + QStringLiteral("</body></html>");
}

constexpr int unlimited = -1;

} // namespace

class tst_HtmlTextFormatter : public QObject
{
    Q_OBJECT

private slots:
    void render_data();
    void render();
    void failures_data();
    void failures();
    void renderingTwiceGivesTheSameText();
    void embeddedLicenceFitsATerminal();
};

void tst_HtmlTextFormatter::render_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("headingSpacing");
    QTest::addColumn<QStringList>("expected");

    const QString fox = QStringLiteral("the quick brown fox jumps over the lazy dog");
    QTest::newRow("div wraps below the width")
        << "<div>" + fox + "</div>" << 20 << 2
        << QStringList{"", "the quick brown fox", "jumps over the lazy", "dog"};
    QTest::newRow("a line may reach the width when the word fits before it")
        << "<div>" + fox + "</div>" << 19 << 2
        << QStringList{"", "the quick brown fox", "jumps over the lazy", "dog"};
    QTest::newRow("one column less moves the word down")
        << "<div>" + fox + "</div>" << 18 << 2
        << QStringList{"", "the quick brown", "fox jumps over the", "lazy dog"};
    QTest::newRow("unlimited width keeps the sentence whole")
        << "<div>" + fox + "</div>" << unlimited << 2 << QStringList{"", fox};
    QTest::newRow("width zero is unlimited")
        << "<div>" + fox + "</div>" << 0 << 2 << QStringList{"", fox};
    QTest::newRow("a word longer than the width stands alone")
        << "a incomprehensible b" << 5 << 2 << QStringList{"a", "incomprehensible", "b"};
    QTest::newRow("runs of spaces collapse when wrapping")
        << "one   two  three" << 40 << 2 << QStringList{"one two three"};
    QTest::newRow("unlimited width keeps spaces as written")
        << "one   two" << unlimited << 2 << QStringList{"one   two"};
    QTest::newRow("source line feeds separate words")
        << "<p>one\ntwo</p>" << unlimited << 2 << QStringList{"one two"};
    QTest::newRow("line feed between words when wrapping")
        << "<p>one\ntwo</p>" << 40 << 2 << QStringList{"one two"};
    QTest::newRow("words of neighbouring inline elements join with a space")
        << "<p>Hello <b>bold</b> world</p>" << 40 << 2 << QStringList{"Hello bold world"};
    QTest::newRow("line break")
        << "a<br/>b" << 40 << 2 << QStringList{"a", "b"};
    QTest::newRow("two line breaks leave a blank line")
        << "a<br/><br/>b" << 40 << 2 << QStringList{"a", "", "b"};
    QTest::newRow("heading after text with the default spacing 2")
        << "text<h2>Head</h2>more" << 40 << 2 << QStringList{"text", "", "", "Head more"};
    QTest::newRow("h5 is a heading")
        << "text<h5>Head</h5>" << 40 << 1 << QStringList{"text", "", "Head"};
    QTest::newRow("h6 is plain")
        << "text<h6>Head</h6>" << unlimited << 1 << QStringList{"textHead"};
    QTest::newRow("divs start lines without a blank line, tag names ignoring case")
        << "<DIV>a</DIV><Div>b</Div>" << 40 << 2 << QStringList{"", "a", "b"};
    QTest::newRow("first quoted line has a space after the prefix")
        << "<blockquote>quoted text</blockquote>" << 40 << 2 << QStringList{"", ">  quoted text"};
    QTest::newRow("quote at unlimited width appends the text unchanged")
        << "<blockquote>quoted text</blockquote>" << unlimited << 2
        << QStringList{"", "> quoted text"};
    QTest::newRow("nested quote: double prefix, wrapped lines without the extra space")
        << "<blockquote><blockquote><p>one two three four five</p></blockquote></blockquote>"
        << 12 << 2 << QStringList{"", "> ", ">>  one two", ">> three", ">> four five"};
    QTest::newRow("text after a quote follows its spacing")
        << "<blockquote>q</blockquote>after" << 40 << 2 << QStringList{"", ">  q", "after"};
    QTest::newRow("breaks inside a quote keep the prefix")
        << "<blockquote>a<br/><br/>b</blockquote>" << 40 << 2
        << QStringList{"", ">  a", "> ", ">  b"};
    QTest::newRow("pre keeps its line breaks and blank lines")
        << "<pre>first\n\nthird</pre>" << unlimited << 2
        << QStringList{"", "first", "", "third", ""};
    QTest::newRow("pre keeps leading spaces at unlimited width")
        << "<pre>  indented</pre>" << unlimited << 2 << QStringList{"", "  indented", ""};
    QTest::newRow("text after pre follows the pre spacing")
        << "<pre>a</pre>after" << unlimited << 2 << QStringList{"", "a", "", "after"};
    QTest::newRow("breaks still owed at the end produce nothing")
        << "<div>a</div><div></div><blockquote></blockquote>" << 40 << 2
        << QStringList{"", "a", ""};
    QTest::newRow("comments and CDATA sections are skipped")
        << "a<!-- hidden --><![CDATA[hidden]]>b" << unlimited << 2 << QStringList{"ab"};
    QTest::newRow("character references are decoded")
        << "caf&#233; &amp; t&#234;te" << unlimited << 2
        << QStringList{QString::fromUtf8("caf\xc3\xa9 & t\xc3\xaate")};
    QTest::newRow("empty body")
        << "" << 40 << 2 << QStringList{""};
}

void tst_HtmlTextFormatter::render()
{
    QFETCH(QString, body);
    QFETCH(int, width);
    QFETCH(int, headingSpacing);
    QFETCH(QStringList, expected);

    HtmlTextFormatter formatter;
    formatter.setWidth(width);
    formatter.setSpacing(HtmlTextFormatter::Heading, headingSpacing);
    QString error = "untouched";
    QCOMPARE(formatter.render(document(body), &error).split('\n'), expected);
    QCOMPARE(error, QStringLiteral("untouched"));
}

void tst_HtmlTextFormatter::failures_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("expectedError");

    QTest::newRow("no body element")
        << "<html><head><title>t</title></head></html>" << "body element not found";
    QTest::newRow("body in another case is not a body")
        << "<html><BODY>x</BODY></html>" << "body element not found";
    QTest::newRow("mismatched end tag on line 3")
        << "<html>\n<body>\n<p>x</body>\n</html>" << "^.+ line: 3 column: \\d+$";
    QTest::newRow("unknown named entity")
        << "<html><body>&nbsp;</body></html>" << "^.+ line: 1 column: \\d+$";
    QTest::newRow("empty document")
        << "" << "^.+ line: \\d+ column: \\d+$";
}

void tst_HtmlTextFormatter::failures()
{
    QFETCH(QString, html);
    QFETCH(QString, expectedError);

    HtmlTextFormatter formatter;
    formatter.setWidth(40);
    QString error;
    QCOMPARE(formatter.render(html, &error), QString());
    if (expectedError.startsWith(QLatin1Char('^')))
        QVERIFY2(QRegularExpression(expectedError).match(error).hasMatch(), qPrintable(error));
    else
        QCOMPARE(error, expectedError);
    // Without an error text the failure is silent.
    QVERIFY(formatter.render(html).isEmpty());
}

void tst_HtmlTextFormatter::renderingTwiceGivesTheSameText()
{
    HtmlTextFormatter formatter;
    formatter.setWidth(12);
    const QString html = document(QStringLiteral(
        "<blockquote><pre>a</pre>one two three four</blockquote><h1>x</h1>"));
    QCOMPARE(formatter.render(html), formatter.render(html));
}

void tst_HtmlTextFormatter::embeddedLicenceFitsATerminal()
{
    const QByteArray html = licenseText();
    QVERIFY2(html.size() > 8000, "the licence agreement is missing or truncated");

    HtmlTextFormatter formatter;
    formatter.setSpacing(HtmlTextFormatter::Heading, 1);
    formatter.setWidth(80);
    QString error;
    const QStringList lines = formatter.render(QString::fromUtf8(html), &error).split('\n');
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY2(lines.size() > 60, "the licence renders to almost nothing");
    for (const QString &line : lines)
        QVERIFY2(line.size() <= 80, qPrintable("line too long: " + line));
    QVERIFY2(!lines.filter(QRegularExpression("^>  ")).isEmpty(), "the quoted block did not render as a quote");
}

QTEST_APPLESS_MAIN(tst_HtmlTextFormatter)
#include "tst_htmltextformatter.moc"
