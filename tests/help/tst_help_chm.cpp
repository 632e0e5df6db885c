// The compiled help file as built, read by our reader and by chmlib's extractor, and the
// reader's parsers against damaged input.

#include "ChmBuilder.h"
#include "HelpChmArchive.h"
#include "HelpChmParsers.h"
#include "HelpProject.h"

#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tavorim;
using help_test::ReadBytes;

Q_DECLARE_METATYPE(std::string)

namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (const int v : values)
        bytes += static_cast<char>(v);
    return bytes;
}

std::string SystemRecord(int code, const std::string &data) {
    return Bytes({code & 0xFF, code >> 8, int(data.size() & 0xFF), int(data.size() >> 8)}) + data;
}

// Every entry of a tree, depth first, and the tree's depth.
std::vector<const SitemapEntry *> Flatten(const std::vector<SitemapEntry> &entries) {
    std::vector<const SitemapEntry *> all;
    for (const auto &entry : entries) {
        all.push_back(&entry);
        const auto below = Flatten(entry.children);
        all.insert(all.end(), below.begin(), below.end());
    }
    return all;
}

int Depth(const std::vector<SitemapEntry> &entries) {
    int deepest = 0;
    for (const auto &entry : entries)
        deepest = std::max(deepest, Depth(entry.children));
    return entries.empty() ? 0 : deepest + 1;
}

// The entries as "name>local", children in brackets.
QString Outline(const std::vector<SitemapEntry> &entries) {
    QString text;
    for (const auto &entry : entries) {
        text += QString::fromStdString(entry.name) + QLatin1Char('>') +
                QString::fromStdString(entry.local);
        if (!entry.children.empty())
            text += QLatin1Char('[') + Outline(entry.children) + QLatin1Char(']');
    }
    return text;
}

// What the reader makes of a file: "refused", or the content of each name ("-" when not
// found). Worked out on a thread of its own, so that a lookup that never ends fails the test
// instead of hanging it; empty when it did not end in time.
std::optional<QStringList> readWithin(const QString &path, const QStringList &names) {
    auto result = std::make_shared<std::promise<QStringList>>();
    std::future<QStringList> done = result->get_future();
    std::thread([path, names, result] {
        QStringList seen;
        const auto archive = ChmArchive::open(path.toStdString());
        if (!archive)
            seen << QStringLiteral("refused");
        for (const QString &name : names) {
            if (archive)
                seen << QString::fromStdString(archive->read(name.toStdString()).value_or("-"));
        }
        result->set_value(seen);
    }).detach();
    if (done.wait_for(std::chrono::seconds(10)) != std::future_status::ready)
        return std::nullopt;
    return done.get();
}

} // namespace

class TestHelpChm : public QObject {
    Q_OBJECT

private slots:
    void builtFileHoldsTheProject();
    void builtFileOpensInChmlib();
    void damagedArchivesAreRefusedOrReadSafely_data();
    void damagedArchivesAreRefusedOrReadSafely();
    void loopingArchivesEndInNotFound_data();
    void loopingArchivesEndInNotFound();
    void systemFile_data();
    void systemFile();
    void contextMap_data();
    void contextMap();
    void sitemap_data();
    void sitemap();
    void sitemapDepthAndSizeAreBounded();
};

void TestHelpChm::builtFileHoldsTheProject() {
    const auto archive = ChmArchive::open(help_test::BuiltHelpFile().toStdString());
    QVERIFY(archive);

    const auto system = archive->read("/#SYSTEM");
    QVERIFY(system);
    const auto info = parseSystemFile(*system);
    QVERIFY(info);
    QCOMPARE(QString::fromStdString(archivePathFromLocal(info->defaultTopic)),
             help_test::ProjectDefaultTopic());
    QCOMPARE(QString::fromStdString(info->title), help_test::ProjectOption("Title"));
    QCOMPARE(QString::fromStdString(info->contentsFile), help_test::ProjectOption("Contents file"));

    // Context 100 maps to the page the project aliases it to, whatever build path the
    // compiler wrote into #STRINGS.
    const auto ivb = archive->read("/#IVB");
    const auto strings = archive->read("/#STRINGS");
    QVERIFY(ivb && strings);
    const auto topic = topicForContext(*ivb, *strings, 100, archive->files());
    QVERIFY(topic);
    QCOMPARE(QString::fromStdString(*topic), help_test::ProjectContextTopic(100));
    QVERIFY(!topicForContext(*ivb, *strings, 101, archive->files()));

    // Every page of the contents is in the file, and the contents list all the project's
    // entries.
    const auto sitemap = archive->read("/" + info->contentsFile);
    QVERIFY(sitemap);
    const auto entries = parseSitemap(*sitemap);
    const QString source = help_test::ReadText(help_test::ProjectFolder() + "/tavorim.hhc");
    const auto all = Flatten(entries);
    QCOMPARE(qsizetype(all.size()), source.count(QStringLiteral("text/sitemap")));
    QVERIFY(Depth(entries) >= 2);
    for (const SitemapEntry *entry : all)
        QVERIFY2(archive->read(archivePathFromLocal(entry->local)), entry->local.c_str());

    // Every listed file comes back byte for byte.
    const QString project = help_test::ReadText(help_test::ProjectFolder() + "/tavorim.hhp");
    const QString files =
        project.section(QStringLiteral("[FILES]"), 1).section(QLatin1Char('['), 0, 0);
    const QStringList names = files.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QVERIFY(names.size() > 10);
    for (const QString &name : names)
        QCOMPARE(QByteArray::fromStdString(archive->read("/" + name.toStdString()).value_or("")),
                 ReadBytes(help_test::ProjectFolder() + QLatin1Char('/') + name));
    QVERIFY(!archive->read("/pages/absent.htm"));
}

void TestHelpChm::builtFileOpensInChmlib() {
    const QString extractor = QStandardPaths::findExecutable(QStringLiteral("extract_chmLib"));
    if (extractor.isEmpty())
        QSKIP("extract_chmLib (libchm-bin) is not installed");
    QTemporaryDir out;
    QVERIFY(out.isValid());
    QProcess process;
    process.start(extractor, {help_test::BuiltHelpFile(), out.path()});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);
    for (const QString &topic :
         {help_test::ProjectDefaultTopic(), help_test::ProjectContextTopic(100)}) {
        QVERIFY(!topic.isEmpty());
        QCOMPARE(ReadBytes(out.path() + topic), ReadBytes(help_test::ProjectFolder() + topic));
    }
}

void TestHelpChm::damagedArchivesAreRefusedOrReadSafely_data() {
    QTest::addColumn<bool>("cut"); // else the byte at the position is flipped
    QTest::addColumn<qsizetype>("position");
    const qsizetype size = ReadBytes(help_test::BuiltHelpFile()).size();
    QTest::newRow("cut in the header") << true << qsizetype(0x30);
    QTest::newRow("cut in the directory") << true << qsizetype(0x1000);
    QTest::newRow("cut in the content") << true << size / 2;
    QTest::newRow("flip in the header") << false << qsizetype(0x58);
    QTest::newRow("flip in the directory") << false << qsizetype(0x1054);
    QTest::newRow("flip in the content") << false << size / 3;
}

void TestHelpChm::damagedArchivesAreRefusedOrReadSafely() {
    QFETCH(bool, cut);
    QFETCH(qsizetype, position);
    QByteArray bytes = ReadBytes(help_test::BuiltHelpFile());
    QVERIFY(bytes.size() > 0x2000);
    if (cut)
        bytes.truncate(position);
    else
        bytes[position] = static_cast<char>(~bytes[position]);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("damaged.chm"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();

    // Whatever opens must read without harm: the sanitizers watch every byte.
    const auto archive = ChmArchive::open(path.toStdString());
    if (cut && position < 0x60)
        QVERIFY(!archive);
    if (!archive)
        return;
    for (const std::string &name : archive->files())
        (void)archive->read(name);
    for (const char *name : {"/#SYSTEM", "/#IVB", "/#STRINGS"})
        (void)archive->read(name);
}

void TestHelpChm::loopingArchivesEndInNotFound_data() {
    using help_test::ChmShape;
    QTest::addColumn<int>("shape"); // a ChmShape, or -1 for a FIFO in place of the file, held
                                    // open by a silent writer
    QTest::addColumn<QStringList>("read");
    // Stored pages come back (letter case ignored); the compressed one, whose section the
    // directory does not describe, and the absent one are not found.
    const QStringList pages{help_test::PageA, help_test::PageB, "-", "-"};
    QTest::newRow("sound directory") << int(ChmShape::Sound) << pages;
    QTest::newRow("chunk chain that cycles") << int(ChmShape::CyclingChain) << pages;
    QTest::newRow("index that leads to itself") << int(ChmShape::SelfIndex) << pages;
    QTest::newRow("FIFO in place of the file") << -1 << QStringList{"refused"};
}

void TestHelpChm::loopingArchivesEndInNotFound() {
    QFETCH(int, shape);
    QFETCH(QStringList, read);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tavorim.chm"));
    int silentWriter = -1;
    const auto closeWriter = qScopeGuard([&silentWriter] {
        if (silentWriter >= 0)
            ::close(silentWriter);
    });
    if (shape < 0) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        // A reader of the FIFO would wait for this writer's bytes for ever.
        silentWriter = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
        QVERIFY(silentWriter >= 0);
    } else {
        const std::string bytes =
            help_test::buildChm(help_test::smallArchive(help_test::ChmShape(shape)));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes.data(), qint64(bytes.size())), qint64(bytes.size()));
    }
    const auto seen = readWithin(path, {"/a.htm", "/B.HTM", "/z.htm", "/absent.htm"});
    QVERIFY2(seen, "the reader did not come back within 10 s");
    QCOMPARE(*seen, read);
}

void TestHelpChm::systemFile_data() {
    QTest::addColumn<std::string>("bytes");
    QTest::addColumn<QString>("read"); // "title|default topic", or "refused"
    const std::string version = Bytes({3, 0, 0, 0});
    const std::string topic = SystemRecord(2, std::string("a.htm\0", 6));
    QTest::newRow("version cut short") << Bytes({3, 0, 0}) << "refused";
    QTest::newRow("version only") << version << "|";
    QTest::newRow("two records") << version + topic + SystemRecord(3, std::string("Titre\0", 6))
                                 << "Titre|a.htm";
    QTest::newRow("text without its NUL") << version + SystemRecord(3, "Titre") << "Titre|";
    QTest::newRow("text stops at its first NUL")
        << version + SystemRecord(3, std::string("Ti\0tre", 6)) << "Ti|";
    QTest::newRow("length past the end keeps what came before")
        << version + topic + Bytes({3, 0, 0xFF, 0xFF}) + "Titre"
        << "|a.htm";
    QTest::newRow("record header cut short")
        << version + SystemRecord(3, "T") + Bytes({2, 0, 5}) << "T|";
    QTest::newRow("empty and unknown records")
        << version + SystemRecord(9, "") + SystemRecord(0xFFFF, "xyz") + SystemRecord(3, "T")
        << "T|";
}

void TestHelpChm::systemFile() {
    QFETCH(std::string, bytes);
    QFETCH(QString, read);
    const auto info = parseSystemFile(bytes);
    QCOMPARE(info ? QString::fromStdString(info->title + '|' + info->defaultTopic)
                  : QStringLiteral("refused"),
             read);
}

void TestHelpChm::contextMap_data() {
    QTest::addColumn<std::string>("ivb");
    QTest::addColumn<std::string>("strings");
    QTest::addColumn<uint>("context");
    QTest::addColumn<QString>("topic");

    const std::string strings(
        "\0/build/x/pages/main.htm\0pages/b.htm\0C:\\src\\PAGES\\C.HTM\0unterminated", 66);
    const auto entry = [](int context, int offset) {
        return Bytes(
            {context & 0xFF, (context >> 8) & 0xFF, 0, 0, offset & 0xFF, offset >> 8, 0, 0});
    };
    const std::string two = Bytes({16, 0, 0, 0}) + entry(100, 1) + entry(200, 25);

    QTest::newRow("absolute build path") << two << strings << 100u << "/pages/main.htm";
    QTest::newRow("unmapped") << two << strings << 300u << QString();
    QTest::newRow("names match on folder boundaries only")
        << Bytes({8, 0, 0, 0}) + entry(7, 1) << std::string("\0x/xpages/b.htm\0", 17) << 7u
        << QString();
    QTest::newRow("backslashes and other case")
        << Bytes({8, 0, 0, 0}) + entry(7, 37) << strings << 7u << "/pages/c.htm";
    QTest::newRow("offset past the strings")
        << Bytes({8, 0, 0, 0}) + entry(7, 500) << strings << 7u << QString();
    QTest::newRow("unterminated text")
        << Bytes({8, 0, 0, 0}) + entry(7, 54) << strings << 7u << QString();
    QTest::newRow("declared size past the end")
        << Bytes({0xFF, 0xFF, 0xFF, 0xFF}) + entry(100, 1) + Bytes({1, 2, 3}) << strings << 100u
        << "/pages/main.htm";
    QTest::newRow("entry cut short") << Bytes({16, 0, 0, 0}) + entry(100, 1) + Bytes({200, 0, 0})
                                     << strings << 200u << QString();
    QTest::newRow("size field cut short") << Bytes({8, 0}) << strings << 100u << QString();
    QTest::newRow("no strings") << two << std::string() << 100u << QString();
}

void TestHelpChm::contextMap() {
    QFETCH(std::string, ivb);
    QFETCH(std::string, strings);
    QFETCH(uint, context);
    QFETCH(QString, topic);
    const std::vector<std::string> files{"/pages/main.htm", "/pages/b.htm", "/pages/C.htm",
                                         "/main.htm"};
    const auto found = topicForContext(ivb, strings, context, files);
    QCOMPARE(found ? QString::fromStdString(*found).toLower() : QString(), topic);
}

void TestHelpChm::sitemap_data() {
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("outline"); // "name>local" per entry, children in brackets

    const auto object = [](const QString &name, const QString &local) {
        return QStringLiteral("<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"%1\">"
                              "<param name=\"Local\" value=\"%2\"></OBJECT>")
            .arg(name, local);
    };
    QTest::newRow("nested lists") << "<ul>" + object("A", "a.htm") + "<ul>" + object("B", "b.htm") +
                                         "</ul>" + object("C", "c.htm") + "</ul>"
                                  << "A>a.htm[B>b.htm]C>c.htm";
    QTest::newRow("entities and single quotes")
        << "<ul><li><object type='text/sitemap'><param name='name' value='L&apos;&#233;t&eacute; "
           "&amp; &#x263A;'>"
           "<param name=local value=x.htm></object></ul>"
        << "L'ét&eacute; & ☺>x.htm";
    QTest::newRow("other object types are skipped")
        << "<object type=\"text/site properties\"><param name=\"Name\" value=\"P\"></object><ul>" +
               object("A", "a.htm") + "</ul>"
        << "A>a.htm";
    QTest::newRow("closing lists that were never opened")
        << "</ul></ul>" + object("A", "a.htm") + "</ul>" + object("B", "b.htm") << "A>a.htmB>b.htm";
    QTest::newRow("lists left open")
        << "<ul>" + object("A", "a.htm") + "<ul><ul>" + object("B", "b.htm") << "A>a.htm[B>b.htm]";
    QTest::newRow("commented entry")
        << "<!-- " + object("X", "x.htm") + " -->" + object("A", "a.htm") << "A>a.htm";
    QTest::newRow("unterminated tag") << object("A", "a.htm") + "<param name=\"Name\" value=\"B"
                                      << "A>a.htm";
    QTest::newRow("unterminated quote")
        << "<object type=\"text/sitemap><param name=x>" << QString();
    QTest::newRow("lone ampersand and long entity")
        << "<ul>" + object("a & b &verylongentityname; &#99999999999;", "a.htm") + "</ul>"
        << "a & b &verylongentityname; &#99999999999;>a.htm";
}

void TestHelpChm::sitemap() {
    QFETCH(QString, html);
    QFETCH(QString, outline);
    QCOMPARE(Outline(parseSitemap(html.toStdString())), outline);
}

void TestHelpChm::sitemapDepthAndSizeAreBounded() {
    const std::string entry =
        "<li><object type=\"text/sitemap\"><param name=\"Name\" value=\"e\"></object>";
    std::string deep;
    for (int i = 0; i < 5000; ++i)
        deep += "<ul>" + entry;
    const auto tree = parseSitemap(deep);
    QCOMPARE(Depth(tree), MaxSitemapDepth);
    QCOMPARE(Flatten(tree).size(), std::size_t(5000)); // deeper entries join the deepest level

    std::string many;
    for (std::size_t i = 0; i < MaxSitemapEntries + 10; ++i)
        many += entry;
    QCOMPARE(Flatten(parseSitemap(many)).size(), MaxSitemapEntries);
}

QTEST_GUILESS_MAIN(TestHelpChm)
#include "tst_help_chm.moc"
