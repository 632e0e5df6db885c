// The compiled help file as built, read by our reader and by chmlib's extractor, and the
// reader's parsers against damaged input.

#include "HelpChmArchive.h"
#include "HelpChmParsers.h"
#include "HelpProject.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace tavorim::help;

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

std::string Version() {
    return Bytes({3, 0, 0, 0});
}

std::size_t CountEntries(const std::vector<SitemapEntry> &entries) {
    std::size_t count = entries.size();
    for (const auto &entry : entries)
        count += CountEntries(entry.children);
    return count;
}

int Depth(const std::vector<SitemapEntry> &entries) {
    int deepest = 0;
    for (const auto &entry : entries)
        deepest = std::max(deepest, Depth(entry.children));
    return entries.empty() ? 0 : deepest + 1;
}

void ForEachEntry(const std::vector<SitemapEntry> &entries,
                  const std::function<void(const SitemapEntry &)> &visit) {
    for (const auto &entry : entries) {
        visit(entry);
        ForEachEntry(entry.children, visit);
    }
}

QByteArray ReadAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestHelpChm : public QObject {
    Q_OBJECT

private slots:
    void builtFileHoldsTheProject();
    void builtFileOpensInChmlib();
    void damagedArchivesAreRefusedOrReadSafely_data();
    void damagedArchivesAreRefusedOrReadSafely();
    void systemFile_data();
    void systemFile();
    void contextMap_data();
    void contextMap();
    void sitemap_data();
    void sitemap();
    void sitemapDepthAndSizeAreBounded();
};

void TestHelpChm::builtFileHoldsTheProject() {
    const auto archive = ChmArchive::Open(help_test::BuiltHelpFile().toStdString());
    QVERIFY(archive);

    const auto system = archive->Read("/#SYSTEM");
    QVERIFY(system);
    const auto info = ParseSystemFile(*system);
    QVERIFY(info);
    QCOMPARE(QString::fromStdString(ArchivePathFromLocal(info->defaultTopic)),
             help_test::ProjectDefaultTopic());
    QCOMPARE(QString::fromStdString(info->title), help_test::ProjectOption("Title"));
    QCOMPARE(QString::fromStdString(info->contentsFile), help_test::ProjectOption("Contents file"));

    // Context 100 maps to the page the project aliases it to, whatever build path the
    // compiler wrote into #STRINGS.
    const auto ivb = archive->Read("/#IVB");
    const auto strings = archive->Read("/#STRINGS");
    QVERIFY(ivb && strings);
    const auto topic = TopicForContext(*ivb, *strings, 100, archive->Files());
    QVERIFY(topic);
    QCOMPARE(QString::fromStdString(*topic), help_test::ProjectContextTopic(100));
    QVERIFY(!TopicForContext(*ivb, *strings, 101, archive->Files()));

    // Every page of the contents is in the file, and the contents list all the project's
    // entries.
    const auto sitemap = archive->Read("/" + info->contentsFile);
    QVERIFY(sitemap);
    const auto entries = ParseSitemap(*sitemap);
    const QString source = help_test::ReadText(help_test::ProjectFolder() + "/tavorim.hhc");
    QCOMPARE(qsizetype(CountEntries(entries)), source.count(QStringLiteral("text/sitemap")));
    QVERIFY(Depth(entries) >= 2);
    ForEachEntry(entries, [&](const SitemapEntry &entry) {
        QVERIFY2(archive->Read(ArchivePathFromLocal(entry.local)), entry.local.c_str());
    });

    // Every listed file comes back byte for byte.
    const QString project = help_test::ReadText(help_test::ProjectFolder() + "/tavorim.hhp");
    const QString files =
        project.section(QStringLiteral("[FILES]"), 1).section(QLatin1Char('['), 0, 0);
    int checked = 0;
    for (const QString &line : files.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString name = line.trimmed();
        if (name.isEmpty())
            continue;
        const auto content = archive->Read("/" + name.toStdString());
        QVERIFY2(content, qPrintable(name));
        QCOMPARE(QByteArray::fromStdString(*content),
                 ReadAll(help_test::ProjectFolder() + QLatin1Char('/') + name));
        ++checked;
    }
    QVERIFY(checked > 10);
    QVERIFY(!archive->Read("/pages/absent.htm"));
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
        QCOMPARE(ReadAll(out.path() + topic), ReadAll(help_test::ProjectFolder() + topic));
    }
}

void TestHelpChm::damagedArchivesAreRefusedOrReadSafely_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<qsizetype>("position");
    const QByteArray built = ReadAll(help_test::BuiltHelpFile());
    QTest::newRow("empty") << 0 << qsizetype(0);
    QTest::newRow("header only") << 0 << qsizetype(0x60);
    QTest::newRow("cut in the directory") << 0 << qsizetype(0x1000);
    QTest::newRow("cut in the content") << 0 << built.size() / 2;
    // Flipped bytes at the header, the directory chunks and the compressed content.
    for (const qsizetype at :
         {qsizetype(0x38), qsizetype(0x58), qsizetype(0x1054), built.size() / 3, built.size() - 40})
        QTest::addRow("byte %lld flipped", static_cast<long long>(at)) << 1 << at;
}

void TestHelpChm::damagedArchivesAreRefusedOrReadSafely() {
    QFETCH(int, kind);
    QFETCH(qsizetype, position);
    QByteArray bytes = ReadAll(help_test::BuiltHelpFile());
    QVERIFY(bytes.size() > 0x2000);
    if (kind == 0)
        bytes.truncate(position);
    else
        bytes[position] = static_cast<char>(~bytes[position]);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("damaged.chm"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();

    // Whatever opens must read without harm: the sanitizers watch every byte.
    const auto archive = ChmArchive::Open(path.toStdString());
    if (kind == 0 && position < 0x60)
        QVERIFY(!archive);
    if (!archive)
        return;
    for (const std::string &name : archive->Files())
        (void)archive->Read(name);
    for (const char *name : {"/#SYSTEM", "/#IVB", "/#STRINGS"})
        if (const auto content = archive->Read(name))
            (void)ParseSystemFile(*content);
}

void TestHelpChm::systemFile_data() {
    QTest::addColumn<std::string>("bytes");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("defaultTopic");

    QTest::newRow("empty") << std::string() << false << QString() << QString();
    QTest::newRow("version cut short") << Bytes({3, 0, 0}) << false << QString() << QString();
    QTest::newRow("version only") << Version() << true << QString() << QString();
    QTest::newRow("two records") << Version() + SystemRecord(2, std::string("a.htm\0", 6)) +
                                        SystemRecord(3, std::string("Titre\0", 6))
                                 << true << "Titre"
                                 << "a.htm";
    QTest::newRow("text without its NUL")
        << Version() + SystemRecord(3, "Titre") << true << "Titre" << QString();
    QTest::newRow("text stops at its first NUL")
        << Version() + SystemRecord(3, std::string("Ti\0tre", 6)) << true << "Ti" << QString();
    QTest::newRow("length past the end keeps what came before")
        << Version() + SystemRecord(2, std::string("a.htm\0", 6)) + Bytes({3, 0, 0xFF, 0xFF}) +
               "Titre"
        << true << QString() << "a.htm";
    QTest::newRow("record header cut short")
        << Version() + SystemRecord(3, "T") + Bytes({2, 0, 5}) << true << "T" << QString();
    QTest::newRow("empty and unknown records")
        << Version() + SystemRecord(9, "") + SystemRecord(0xFFFF, "xyz") + SystemRecord(3, "T")
        << true << "T" << QString();
}

void TestHelpChm::systemFile() {
    QFETCH(std::string, bytes);
    QFETCH(bool, valid);
    QFETCH(QString, title);
    QFETCH(QString, defaultTopic);
    const auto info = ParseSystemFile(bytes);
    QCOMPARE(info.has_value(), valid);
    if (!info)
        return;
    QCOMPARE(QString::fromStdString(info->title), title);
    QCOMPARE(QString::fromStdString(info->defaultTopic), defaultTopic);
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
    QTest::newRow("relative path") << two << strings << 200u << "/pages/b.htm";
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
    const auto found = TopicForContext(ivb, strings, context, files);
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
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("just a bracket") << "<" << QString();
}

namespace {
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
} // namespace

void TestHelpChm::sitemap() {
    QFETCH(QString, html);
    QFETCH(QString, outline);
    const QByteArray bytes = html.toUtf8();
    QCOMPARE(Outline(ParseSitemap(std::string_view(bytes.constData(), std::size_t(bytes.size())))),
             outline);
}

void TestHelpChm::sitemapDepthAndSizeAreBounded() {
    const std::string entry =
        "<li><object type=\"text/sitemap\"><param name=\"Name\" value=\"e\"></object>";
    std::string deep;
    for (int i = 0; i < 5000; ++i)
        deep += "<ul>" + entry;
    const auto tree = ParseSitemap(deep);
    QCOMPARE(Depth(tree), MaxSitemapDepth);
    QCOMPARE(CountEntries(tree), std::size_t(5000)); // deeper entries join the deepest level

    std::string many;
    for (std::size_t i = 0; i < MaxSitemapEntries + 10; ++i)
        many += entry;
    QCOMPARE(CountEntries(ParseSitemap(many)), MaxSitemapEntries);
}

QTEST_GUILESS_MAIN(TestHelpChm)
#include "test_help_chm.moc"
