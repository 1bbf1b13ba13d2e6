// Where the files come from and how the licence reads on a terminal: both kinds of
// installation media over the same members, and the licence HTML rendered as lines.

#include "Support.h"

#include "media/archive/PackageArchive.h"
#include "media/archive/PackageArchiveWriter.h"
#include "media/install/FileStoreInstallMedia.h"
#include "media/install/PackageArchiveInstallMedia.h"
#include "media/text/HtmlTextFormatter.h"

class MediaTest : public QObject
{
    Q_OBJECT

private slots:
    void media_data()
    {
        QTest::addColumn<QString>("action"); // on both media, into <tmp>/target
        QTest::newRow("list: sub-folders, names ignoring case, no hidden ones; docs is no part of doc; nothing for a file")
            << "list doc docs doc/sub gcc bin/Setup";
        QTest::newRow("install three files, one in a sub-folder") << "install doc a.txt B.txt sub/b.txt";
        QTest::newRow("install a name written unclean") << "install doc ./sub//b.txt";
        QTest::newRow("install a name the media lacks") << "install doc a.txt gone.txt B.txt";
        QTest::newRow("install over an identical file: left alone but counted") << "identical: install doc a.txt B.txt";
        QTest::newRow("install where a file stands in place of a folder") << "blocked: install doc a.txt sub/b.txt";
        QTest::newRow("install a name climbing out with ..") << "install unsafe ../../escaped.txt";
        QTest::newRow("install an absolute name") << "install unsafe /tmp/escaped.txt";
        QTest::newRow("install an empty name") << "install unsafe ";
        QTest::newRow("open an archive behind 0x1A00 bytes there, and at 0") << "open: list bin";
    }

    void media()
    {
        QFETCH(QString, action);
        QTemporaryDir folder;
        PackageArchive archive;
        PackageArchiveWriter writer(archive);
        writer.setCompressionMethod(action.startsWith("open"));
        // The file store's walk order (depth first, names ignoring case) is the archive's order.
        for (const QString name : {"bin/Setup", "doc/.cache/old.txt", "doc/.hidden", "doc/a.txt", "doc/B.txt", "doc/sub/b.txt",
                                   "docs/c.txt", "unsafe/../../escaped.txt", "unsafe//tmp/escaped.txt", "unsafe/"}) {
            const QByteArray contents = name.toUtf8().repeated(name.size() * (name.back().unicode() % 7) + 1);
            QVERIFY(name.startsWith("unsafe") || Support::writeFile(folder.filePath("store/" + name), contents, QDateTime::fromSecsSinceEpoch(1600000000)));
            if (!name.contains("/.") || name.contains(".."))
                writer.addContents(name, contents, 0100644, QDateTime::fromSecsSinceEpoch(1600000000));
        }
        writer.write(folder.filePath("payload"));
        QVERIFY(Support::writeFile(folder.filePath("Setup.bin"), QByteArray(0x1A00, '\x7f') + Support::readFile(folder.filePath("payload"))));
        QStringList lines;
        const QStringList words = action.section(": ", -1).split(u' ');
        for (const QString &kind : action.startsWith("open") ? QStringList{"1A00", "0"} : QStringList{"store", "archive"}) {
            QDir(folder.filePath("target")).removeRecursively();
            if (action.startsWith("identical")) // the member's size and time: not copied again
                Support::writeFile(folder.filePath("target/a.txt"), QByteArray(333, 'X'), QDateTime::fromSecsSinceEpoch(1600000000));
            if (action.startsWith("blocked"))
                Support::writeFile(folder.filePath("target/sub"), "in the way");
            lines << "-- " + kind;
            lines << Support::outcome([&] {
                const std::unique_ptr<InstallMedia> media(kind == "store" ? static_cast<InstallMedia *>(new FileStoreInstallMedia(folder.filePath("store")))
                                                                          : new PackageArchiveInstallMedia(folder.filePath(kind == "archive" ? "payload" : "Setup.bin"), kind.toUInt(nullptr, 16)));
                connect(media.get(), &InstallMedia::extractingFile, this, [&](const QString &name) { lines << "extracting " + name; });
                connect(media.get(), &InstallMedia::extractedFile, this, [&](uint64_t bytes) { lines << "extracted " + QString::number(bytes); });
                uint64_t total = 12345;
                for (const QString &listed : words[0] == "list" ? words.mid(1) : QStringList{})
                    lines << media->listFiles(listed, total).join(u' ') << QString("%1 bytes of %2").arg(total).arg(media->totalSize());
                if (words[0] == "install")
                    media->installFiles(words.mid(2), words[1], folder.filePath("target"));
                return Support::listing(folder.filePath("target")).join(u' ');
            });
        }
        COMPARE_GOLDEN("Media", lines.join(u'\n').replace(folder.path(), "<tmp>").replace(Sandbox::root(), "<sandbox>"));
    }

    void html_data()
    {
        QTest::addColumn<int>("width"); // 0: unlimited; negative: with a heading spacing of 2
        QTest::addColumn<QString>("body"); // or a whole document
        const QString fox = "<div>the quick brown fox jumps over the lazy dog</div>";
        QTest::newRow("a div wraps below the width") << 20 << fox;
        QTest::newRow("a line may reach the width itself") << 19 << fox;
        QTest::newRow("one column less moves a word down") << 18 << fox;
        QTest::newRow("unlimited width keeps the sentence whole") << 0 << fox;
        QTest::newRow("a word longer than the width stands alone; runs of spaces collapse") << 5 << "a incomprehensible   b";
        QTest::newRow("unlimited width keeps spaces; line feeds separate words") << 0 << "one   two<p>three\nfour</p>";
        QTest::newRow("inline elements; two line breaks leave a blank line") << 40 << "<p>Hello <b>bold</b> world</p>a<br/><br/>b";
        QTest::newRow("a heading after text with spacing 2; text after it joins") << -40 << "text<h2>Head</h2>more";
        QTest::newRow("h5 is a heading, h6 plain; divs start lines; tags in any case") << 40 << "text<H5>Head</H5>x<h6>Six</h6><DIV>a</DIV><Div>b</Div>";
        QTest::newRow("a quote's first line has a space after the prefix") << 40 << "<blockquote>quoted text</blockquote>after";
        QTest::newRow("a quote at unlimited width: the text as it is after the prefix") << 0 << "<blockquote>quoted  text</blockquote>";
        QTest::newRow("a nested quote: double prefix, wrapped lines with one space")
            << 12 << "<blockquote><blockquote><p>one two three four five</p></blockquote></blockquote>";
        QTest::newRow("breaks inside a quote keep the prefix") << 40 << "<blockquote>a<br/><br/>b</blockquote>";
        QTest::newRow("pre keeps line breaks, blank lines and spaces") << 0 << "<pre>first\n\n  third</pre>after";
        QTest::newRow("breaks still owed at the end produce nothing") << 40 << "<div>a</div><div></div><blockquote></blockquote>";
        QTest::newRow("comments and CDATA are skipped, references decoded") << 0 << "a<!-- c --><![CDATA[hidden]]>b caf&#233; &amp;";
        QTest::newRow("a document without a body") << 40 << "<html><head><title>t</title></head></html>";
        QTest::newRow("a document that is not well-formed") << 40 << "<html>\n<body>\n<p>x</body>\n</html>";
    }

    void html()
    {
        QFETCH(int, width);
        QFETCH(QString, body);
        HtmlTextFormatter formatter;
        formatter.setWidth(qAbs(width));
        formatter.setSpacing(HtmlTextFormatter::Heading, width < 0 ? 2 : 1);
        const QString html = body.startsWith("<html") ? body : "<html><head><title>Not shown</title></head><body>" + body + "</body></html>";
        QString error = "untouched";
        const QString text = formatter.render(html, &error);
        QCOMPARE(formatter.render(html), text); // nothing carried over from the last rendering
        COMPARE_GOLDEN("Media", text + "\nerror: " + error);
    }
};

STUDIO_TEST_CLASS(MediaTest)
#include "MediaTest.moc"
