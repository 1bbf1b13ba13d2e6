// Saving the configuration tree into the installed-state record, reading it back, and
// the writer that keeps attributes in property order.

#include "common/PagesTestSupport.h"

#include "configuration/model/InstallConfigurationList.h"
#include "configuration/model/InstalledStateWriter.h"

#include <QDomDocument>
#include <QtTest>

// An item kind with a list property, stored after the common ones, as the archive
// item's file list is.
class SampleArchiveItem : public InstallConfigurationItem
{
    Q_OBJECT
    Q_PROPERTY(QStringList files READ files WRITE setFiles STORED true)
    Q_PROPERTY(int runCount READ runCount WRITE setRunCount STORED false)
public:
    using InstallConfigurationItem::InstallConfigurationItem;
    QStringList files() const { return m_files; }
    void setFiles(const QStringList &files) { m_files = files; }
    int runCount() const { return m_runCount; }
    void setRunCount(int count) { m_runCount = count; }

private:
    QStringList m_files;
    int m_runCount = 0;
};

namespace {

// root ( group(0) ( archive(3) ), plain(1) )
struct StateTree
{
    InstallConfigurationList root;
    InstallConfigurationItem *group = new InstallConfigurationItem(&root, "group", QString(), 0, true);
    SampleArchiveItem *archive = new SampleArchiveItem(group, "archive", QString(), 3, true);
    InstallConfigurationItem *plain = new InstallConfigurationItem(&root, "plain", QString(), 1, true);
};

QString recordText(StateTree &tree, bool *saved = nullptr)
{
    QDomDocument document(QStringLiteral("Install"));
    QDomElement configuration = document.createElement(QStringLiteral("configuration"));
    document.appendChild(configuration);
    configuration.setAttribute(QStringLiteral("dest_dir"), QStringLiteral("/opt/studio"));
    configuration.setAttribute(QStringLiteral("src_dir"), QStringLiteral("/media/cd"));
    configuration.setAttribute(QStringLiteral("program_folder_dir"), QString());
    const bool ok = tree.root.saveState(document, configuration);
    if (saved)
        *saved = ok;
    InstalledStateWriter writer;
    writer.setAttributeOrder(QStringLiteral("configuration"),
                             {QStringLiteral("dest_dir"), QStringLiteral("src_dir"),
                              QStringLiteral("program_folder_dir")});
    writer.addItemClasses(&tree.root);
    return writer.toString(document);
}

bool loadRecord(StateTree &tree, const QString &text)
{
    QDomDocument document;
    if (!document.setContent(text))
        return false;
    QDomElement rootElement = document.documentElement().firstChildElement();
    return tree.root.loadState(document, rootElement);
}

QString wrapped(const QString &rootElement)
{
    return QStringLiteral("<!DOCTYPE Install>\n<configuration>\n") + rootElement
        + QStringLiteral("</configuration>\n");
}

} // namespace

class TestConfigurationItemState : public QObject
{
    Q_OBJECT

private slots:
    void savedRecordText();
    void roundTrip_data();
    void roundTrip();
    void loadAttributeForms_data();
    void loadAttributeForms();
    void loadRejectsMismatchedTrees_data();
    void loadRejectsMismatchedTrees();
    void writerMatchesDomForUnorderedDocuments_data();
    void writerMatchesDomForUnorderedDocuments();
    void writerOrdersAttributes_data();
    void writerOrdersAttributes();
};

void TestConfigurationItemState::savedRecordText()
{
    StateTree tree;
    PagesTestApplication application(&tree.root);
    application.setMode(InstallApplication::Custom);
    tree.archive->setInstall(true);
    tree.archive->setFiles({"bin/run", "", "doc/a&b \"<notes>\".txt"});
    tree.archive->setRunCount(7);
    tree.archive->setInstalled(InstallConfigurationItem::fullyInstalled);
    tree.plain->setInstall(false);
    tree.plain->setInstalled(InstallConfigurationItem::partiallyInstalled);
    tree.group->setObjectName("tools group");

    bool saved = false;
    const QString text = recordText(tree, &saved);
    QVERIFY2(saved, "the whole tree was saved");
    const QString expected = QStringLiteral(
        "<!DOCTYPE Install>\n"
        "<configuration dest_dir=\"/opt/studio\" src_dir=\"/media/cd\" program_folder_dir=\"\">\n"
        " <InstallConfigurationList objectName=\"\" install=\"true\" installed=\"0\">\n"
        "  <InstallConfigurationItem objectName=\"tools group\" install=\"true\" installed=\"0\">\n"
        "   <SampleArchiveItem objectName=\"\" install=\"true\" installed=\"2\" "
        "files=\"bin/run&#xa;&#xa;doc/a&amp;b &quot;&lt;notes>&quot;.txt\"/>\n"
        "  </InstallConfigurationItem>\n"
        "  <InstallConfigurationItem objectName=\"\" install=\"false\" installed=\"1\"/>\n"
        " </InstallConfigurationList>\n"
        "</configuration>\n");
    QCOMPARE(text, expected);
}

// The "install" attribute holds what the item will do in the saved mode, not merely
// the stored selection.
void TestConfigurationItemState::roundTrip_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<bool>("archiveInstall");

    QTest::newRow("empty names, markup and line-like characters")
        << int(InstallApplication::Custom) << QStringList{"a", "", "x<y>&z", "tab\there", "quote\"d"} << true;
    QTest::newRow("a level 3 item in Remove mode keeps its selection")
        << int(InstallApplication::Remove) << QStringList{"one"} << false;
}

void TestConfigurationItemState::roundTrip()
{
    QFETCH(int, mode);
    QFETCH(QStringList, files);
    QFETCH(bool, archiveInstall);

    QString text;
    {
        StateTree tree;
        PagesTestApplication application(&tree.root);
        application.setMode(InstallApplication::Mode(mode));
        tree.archive->setInstall(true);
        tree.archive->setFiles(files);
        tree.archive->setInstalled(InstallConfigurationItem::partiallyInstalled);
        tree.plain->setInstalled(InstallConfigurationItem::fullyInstalled);
        text = recordText(tree);
    }
    StateTree restored;
    PagesTestApplication application(&restored.root);
    application.setMode(InstallApplication::Custom);
    QVERIFY2(loadRecord(restored, text), qPrintable("cannot load:\n" + text));
    QCOMPARE(restored.archive->files(), files);
    QCOMPARE(restored.archive->installed(), InstallConfigurationItem::partiallyInstalled);
    QCOMPARE(restored.plain->installed(), InstallConfigurationItem::fullyInstalled);
    QCOMPARE(restored.archive->isSelected(), archiveInstall);
}

// One attribute of the archive element at a time; what the item holds afterwards.
void TestConfigurationItemState::loadAttributeForms_data()
{
    QTest::addColumn<QString>("attributes");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<int>("installed");
    QTest::addColumn<QStringList>("files");

    QTest::newRow("only the exact text true selects") << "install=\"True\"" << false << 0 << QStringList{};
    QTest::newRow("true selects") << "install=\"true\"" << true << 0 << QStringList{};
    QTest::newRow("the state is read as a number") << "installed=\"2\"" << false << 2 << QStringList{};
    QTest::newRow("the state may be named") << "installed=\"partiallyInstalled\"" << false << 1 << QStringList{};
    QTest::newRow("an unreadable state is left alone") << "installed=\"lots\"" << false << 0 << QStringList{};
    QTest::newRow("an empty list text gives no files") << "files=\"\"" << false << 0 << QStringList{};
    QTest::newRow("a line break separates files, empty parts kept")
        << "files=\"a&#xa;&#xa;b&#xa;\"" << false << 0 << QStringList{"a", "", "b", ""};
}

void TestConfigurationItemState::loadAttributeForms()
{
    QFETCH(QString, attributes);
    QFETCH(bool, selected);
    QFETCH(int, installed);
    QFETCH(QStringList, files);

    StateTree tree;
    PagesTestApplication application(&tree.root);
    application.setMode(InstallApplication::Custom);
    const QString text = wrapped(
        "<InstallConfigurationList><InstallConfigurationItem><SampleArchiveItem " + attributes
        + "/></InstallConfigurationItem><InstallConfigurationItem/></InstallConfigurationList>");
    QVERIFY2(loadRecord(tree, text), "the record matches the tree");
    QCOMPARE(tree.archive->isSelected(), selected);
    QCOMPARE(int(tree.archive->installed()), installed);
    QCOMPARE(tree.archive->files(), files);
}

void TestConfigurationItemState::loadRejectsMismatchedTrees_data()
{
    QTest::addColumn<QString>("rootElement");
    QTest::addColumn<bool>("loads");
    QTest::addColumn<int>("groupState");

    QTest::newRow("a matching tree loads")
        << "<InstallConfigurationList><InstallConfigurationItem installed=\"2\"><SampleArchiveItem/>"
           "</InstallConfigurationItem><InstallConfigurationItem/></InstallConfigurationList>"
        << true << 2;
    QTest::newRow("extra trailing elements are ignored")
        << "<InstallConfigurationList><InstallConfigurationItem installed=\"2\"><SampleArchiveItem/>"
           "<InstallConfigurationItem/></InstallConfigurationItem><InstallConfigurationItem/>"
           "<InstallConfigurationItem/></InstallConfigurationList>"
        << true << 2;
    QTest::newRow("a wrong root tag fails before anything is read")
        << "<InstallStandardInstallerConfigurationList><InstallConfigurationItem installed=\"2\">"
           "<SampleArchiveItem/></InstallConfigurationItem><InstallConfigurationItem/>"
           "</InstallStandardInstallerConfigurationList>"
        << false << 0;
    QTest::newRow("a wrong child tag fails, keeping what was read before it")
        << "<InstallConfigurationList><InstallConfigurationItem installed=\"2\"><InstallConfigurationItem/>"
           "</InstallConfigurationItem><InstallConfigurationItem/></InstallConfigurationList>"
        << false << 2;
    QTest::newRow("too few elements fail")
        << "<InstallConfigurationList><InstallConfigurationItem installed=\"1\"><SampleArchiveItem/>"
           "</InstallConfigurationItem></InstallConfigurationList>"
        << false << 1;
    QTest::newRow("text in place of an element fails")
        << "<InstallConfigurationList><InstallConfigurationItem installed=\"2\">loose text"
           "</InstallConfigurationItem><InstallConfigurationItem/></InstallConfigurationList>"
        << false << 2;
}

void TestConfigurationItemState::loadRejectsMismatchedTrees()
{
    QFETCH(QString, rootElement);
    QFETCH(bool, loads);
    QFETCH(int, groupState);

    StateTree tree;
    PagesTestApplication application(&tree.root);
    QCOMPARE(loadRecord(tree, wrapped(rootElement)), loads);
    QCOMPARE(int(tree.group->installed()), groupState);
}

// With at most one attribute per element the order cannot differ, so the writer must
// produce exactly what the DOM itself writes.
void TestConfigurationItemState::writerMatchesDomForUnorderedDocuments_data()
{
    QTest::addColumn<QString>("source");

    QTest::newRow("nested empty and filled elements")
        << "<!DOCTYPE Install><a><b/><c x=\"1\"><d/></c></a>";
    QTest::newRow("attribute needing every escape")
        << "<a v=\"&lt;&amp;&quot;&gt; ]]&gt; &#xa;&#x9;&#xd;\"/>";
    QTest::newRow("text content stays on the element's line")
        << "<a><b>text &amp; &lt;more&gt; \"q\"</b><c>x<d/>y</c></a>";
    QTest::newRow("comments and processing instructions")
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?><!DOCTYPE Install><!--top--><a><!--in-a-"
           "-><?job run?></a>";
    QTest::newRow("character data sections") << "<a><![CDATA[x < y]]><b/></a>";
    QTest::newRow("a document type with an identifier")
        << "<!DOCTYPE Install SYSTEM \"install.dtd\"><a/>";
}

void TestConfigurationItemState::writerMatchesDomForUnorderedDocuments()
{
    QFETCH(QString, source);
    QDomDocument document;
    QString error;
    QVERIFY2(document.setContent(source, &error), qPrintable(error));
    const InstalledStateWriter writer;
    for (const int indent : {1, 2, 0})
        QCOMPARE(writer.toString(document, indent), document.toString(indent));
}

void TestConfigurationItemState::writerOrdersAttributes_data()
{
    QTest::addColumn<QStringList>("order");
    QTest::addColumn<QString>("expected");

    QTest::newRow("every attribute in the given order")
        << QStringList{"zeta", "alpha", "mid"} << "<e zeta=\"3\" alpha=\"1\" mid=\"2\"/>\n";
    QTest::newRow("attributes not listed follow alphabetically")
        << QStringList{"mid"} << "<e mid=\"2\" alpha=\"1\" zeta=\"3\"/>\n";
    QTest::newRow("an unknown tag is written alphabetically")
        << QStringList{} << "<e alpha=\"1\" mid=\"2\" zeta=\"3\"/>\n";
}

void TestConfigurationItemState::writerOrdersAttributes()
{
    QFETCH(QStringList, order);
    QFETCH(QString, expected);

    QDomDocument document;
    QDomElement element = document.createElement("e");
    document.appendChild(element);
    element.setAttribute("mid", "2");
    element.setAttribute("zeta", "3");
    element.setAttribute("alpha", "1");
    InstalledStateWriter writer;
    if (!order.isEmpty())
        writer.setAttributeOrder("e", order);
    QCOMPARE(writer.toString(document), expected);
}

QTEST_MAIN(TestConfigurationItemState)
#include "tst_configurationitemstate.moc"
