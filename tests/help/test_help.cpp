// The help page beside the program: well-formed, self-contained HTML5 whose
// tables and worked example agree with the game's scoring; the icon, the
// desktop entry, and where `cmake --install` puts them. The page is also
// well-formed XML, so one pass of QXmlStreamReader reads it, checking on the
// way the HTML rules an XML parser does not know.
#include "game/basZorb.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <cstdint>
#include <cstdlib>
#include <utility>

namespace
{

const QString kPage = QStringLiteral(ZORBEL_PROGRAM_DIR "/html/index.htm");
const QString kDesktop = QStringLiteral(ZORBEL_SOURCE_DIR "/assets/zorbel.desktop");
const QString kExample = QStringLiteral("314159265358979323846264338327");
const int kM[10] = {5, 9, 8, 7, 6, 5, 4, 3, 2, 1}; // weight of each difference

QString readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

struct Page {
    QString raw, allText, css;
    QStringList problems, refs;            // HTML rules broken; href and src values
    QHash<QString, QString> text;          // text of an element, by id
    QHash<QString, QStringList> cells;     // td texts inside an element, by id
    QList<QPair<QString, QString>> quotes; // data-digits and the score shown
};

Page loadPage()
{
    // Where the HTML parser accepts these elements, and the blocks that make
    // it close an open <p> early.
    static const QStringList parents =
        QString("li ul ol|dt dl|dd dl|thead table|tbody table|tfoot table|tr thead tbody tfoot|"
                "td tr|th tr|title head|meta head|style head")
            .split('|');
    static const QStringList blocks =
        QString("article aside div dl figure footer h1 h2 h3 h4 header hr main nav ol p pre "
                "section table ul")
            .split(' ');
    struct Frame {
        QString name, id, digits;
        QString text{};
        QStringList tds{};
    };
    Page p;
    p.raw = readFile(kPage);
    QXmlStreamReader xml(p.raw);
    QList<Frame> stack;
    QHash<QString, bool> ids;
    int inHead = 0, titles = 0;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const auto a = xml.attributes();
            Frame fr{xml.name().toString(), a.value("id").toString(),
                     a.value("data-digits").toString()};
            const QString parent = stack.isEmpty() ? QString() : stack.last().name;
            const QString at = QStringLiteral("<%1> at line %2").arg(fr.name).arg(xml.lineNumber());
            if (parent.isEmpty() && (fr.name != "html" || a.value("lang") != QLatin1String("ja")))
                p.problems << "the root is not <html lang=\"ja\">";
            if (parent == "head" && inHead++ == 0 &&
                a.value("charset").toString().toLower() != "utf-8")
                p.problems << "<head> does not open with <meta charset=\"utf-8\">";
            for (const QString& rule : parents)
                if (rule.section(' ', 0, 0) == fr.name && !rule.split(' ').mid(1).contains(parent))
                    p.problems << "misplaced " + at;
            for (const Frame& up : stack)
                if ((blocks.contains(fr.name) && up.name == "p") ||
                    (fr.name == "a" && up.name == "a"))
                    p.problems << "the HTML parser would close <" + up.name + "> before " + at;
            if (!fr.id.isEmpty() && std::exchange(ids[fr.id], true))
                p.problems << "duplicate id " + fr.id;
            for (const char* key : {"href", "src"})
                if (a.hasAttribute(key))
                    p.refs << a.value(key).toString();
            titles += fr.name == "title";
            stack << fr;
        } else if (token == QXmlStreamReader::Characters) {
            for (Frame& fr : stack)
                fr.text += xml.text();
        } else if (token == QXmlStreamReader::EndElement) {
            const Frame fr = stack.takeLast();
            for (Frame& up : stack)
                if (fr.name == "td")
                    up.tds << fr.text.trimmed();
            if (!fr.id.isEmpty()) {
                p.text[fr.id] = fr.text;
                p.cells[fr.id] = fr.tds;
            }
            if (!fr.digits.isEmpty())
                p.quotes << qMakePair(fr.digits, fr.text.trimmed());
            if (fr.name == "style")
                p.css += fr.text;
            if (stack.isEmpty())
                p.allText = fr.text;
        }
    }
    if (xml.hasError())
        p.problems << QStringLiteral("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString());
    if (titles != 1)
        p.problems << "not exactly one <title>";
    for (const QString& ref : std::as_const(p.refs))
        if (ref.startsWith('#') && !ids.contains(ref.mid(1)))
            p.problems << "no anchor " + ref;
    return p;
}

const Page& page()
{
    static const Page p = loadPage();
    return p;
}

QString num(double v)
{
    return QString::number(v, 'g', 6);
}

} // namespace

class TestHelp : public QObject
{
    Q_OBJECT
private slots:
    void wellFormedHtml5()
    {
        const Page& p = page();
        QVERIFY2(p.problems.isEmpty(), qPrintable(p.problems.join('\n')));
        QVERIFY(p.raw.startsWith("<!DOCTYPE html>\n"));
        QVERIFY(p.raw.indexOf("charset") < 1024);
        // <x/> leaves any but a void element open in a browser.
        const auto m = QRegularExpression("<(?!(?:meta|br|hr|img)\\b)\\w+[^<>]*/>").match(p.raw);
        QVERIFY2(!m.hasMatch(), qPrintable(m.captured()));
        QVERIFY2(p.raw == readFile(ZORBEL_SOURCE_DIR "/assets/html/index.htm"),
                 "the build's copy of the page is out of date");
    }

    // No network: nothing fetched, links only to anchors or files beside it.
    void selfContained()
    {
        const auto m = QRegularExpression("(?:https?|ftp|file):|//|@import|url\\(|<script|"
                                          "<iframe|<link|<object|<embed",
                                          QRegularExpression::CaseInsensitiveOption)
                           .match(page().raw);
        QVERIFY2(!m.hasMatch(), qPrintable(page().raw.mid(m.capturedStart() - 30, 60)));
        QVERIFY(!page().refs.isEmpty()); // the table of contents
        for (const QString& ref : page().refs)
            QVERIFY2(ref.startsWith('#') ||
                         (!ref.contains(':') && !ref.contains("..") && !ref.startsWith('/') &&
                          QFile::exists(QFileInfo(kPage).dir().filePath(ref))),
                     qPrintable(ref));
    }

    // The game's window is 442 pixels wide; no size in the style may exceed it.
    void styleFitsTheWindow()
    {
        QString css = page().css;
        QVERIFY2(css.contains("@media"), "no rule for narrow windows");
        QVERIFY(page().raw.contains(QRegularExpression(
            "<meta(?=[^>]*name=\"viewport\")[^>]*content=\"[^\"]*width=device-width")));
        css.remove(QRegularExpression("@media[^{]*"));
        for (auto it = QRegularExpression("(\\d+(?:\\.\\d+)?)px").globalMatch(css); it.hasNext();) {
            const auto m = it.next();
            QVERIFY2(m.captured(1).toDouble() <= 442, qPrintable("too wide: " + m.captured(0)));
        }
    }

    // The names the player sees, as the game writes them, and the levels as
    // the game plays them.
    void gameTextsAndLevels()
    {
        for (const QString& t :
             QString::fromUtf8(
                 "練習|本番|ﾚﾍﾞﾙ選択|設定|ﾍﾙﾌﾟ|お手本|採点|メニューへ|NextStage|Retry|"
                 "Go to Level|Good Job!!!|Excellent!!!|Great!!|Nice!|Valueable...|"
                 "Fault...|リタイアしますか？|FIRST|SECOND|THIRD|80 点以上で合格|"
                 "ただいまの乱数は|点です|zorbel.ini")
                 .split('|'))
            QVERIFY2(page().allText.contains(t), qPrintable(t));
        for (std::int16_t lv = 1; lv <= 5; ++lv) {
            const std::int16_t n = zorbel::CellsForLevel(lv);
            QCOMPARE(page().cells.value(QStringLiteral("level-%1").arg(lv)),
                     (QStringList{QString::number(lv), QString::number(n),
                                  QString::number(zorbel::StageCount(lv)), num(n / 2.5 + 100),
                                  QString::number(zorbel::FixedCellCount(n))}));
        }
    }

    // Every score quoted for a sequence is the tool's; the worked example's
    // board, tables, sum and total agree with `zorbel-score --details`.
    void workedExample()
    {
        const Page& p = page();
        QStringList args{"--details"};
        for (const auto& q : p.quotes)
            args << q.first;
        QVERIFY(args.contains(kExample));
        QProcess tool;
        tool.start(QStringLiteral(ZORBEL_PROGRAM_DIR "/zorbel-score"), args);
        QVERIFY(tool.waitForFinished(30000) && tool.exitCode() == 0);
        const QStringList blocks =
            QString::fromUtf8(tool.readAllStandardOutput()).split("\n\n", Qt::SkipEmptyParts);
        QCOMPARE(blocks.size(), p.quotes.size());
        for (int i = 0; i < p.quotes.size(); ++i) {
            QVERIFY2(p.allText.contains(p.quotes[i].first), qPrintable(p.quotes[i].first));
            QCOMPARE(p.quotes[i].second, blocks[i].section('\n', 0, 0));
        }
        const QStringList details = blocks[args.indexOf(kExample) - 1].split('\n');
        QCOMPARE(details.size(), 5);
        QCOMPARE(p.text.value("example-details").split('\n'), details.mid(1));

        QCOMPARE(p.text.value("example-board").remove(QRegularExpression("\\s")), kExample);
        QCOMPARE(p.text.value("example-sequence"), kExample);
        auto after = [&details](int line) {
            return details[line].section('=', 1).split(' ', Qt::SkipEmptyParts);
        };
        const QStringList a = after(2), b = after(3), d = after(4);
        QCOMPARE(a.size(), 10);
        QCOMPARE(d.size(), 10);
        int count[10] = {}, diff[10] = {}, sum = 0, totalA = 0, totalD = 0;
        for (int i = 0; i < kExample.size(); ++i) {
            ++count[kExample[i].digitValue()];
            sum += kExample[i].digitValue();
            if (i > 0)
                ++diff[std::abs(kExample[i].digitValue() - kExample[i - 1].digitValue())];
        }
        QStringList counts, diffs, expected;
        for (int k = 0; k < 10; ++k) {
            totalA += a[k].toInt();
            totalD += d[k].toInt();
            counts << QString::number(count[k]);
            diffs << QString::number(diff[k]) << num(29 / 50.0 * kM[k]) << d[k];
            expected << QString::number(kM[k]) << num(29 / 50.0 * kM[k]) << num(99 / 50.0 * kM[k]);
        }
        counts += "30";
        diffs += QStringList{"29", "29", QString::number(totalD)};
        expected += QStringList{"50", "29", "99"};
        QCOMPARE(p.cells.value("example-counts"), counts);
        QCOMPARE(p.cells.value("example-count-deductions"), QStringList(a)
                                                                << QString::number(totalA));
        QCOMPARE(p.cells.value("example-diff-table"), diffs);
        QCOMPARE(p.cells.value("diff-expected-table"), expected);
        QCOMPARE(p.text.value("example-sum"), QString::number(sum));
        QCOMPARE(p.text.value("example-average-deduction"), b.value(0));
        const QStringList terms{details[1].section(' ', -1), QString::number(totalA), b.value(0),
                                QString::number(totalD)};
        QCOMPARE(p.text.value("example-total"), terms.join(" − ") + " ＝ " + details[0]);
    }

    // Both icon sizes: transparent rounded corners around an opaque body.
    void iconPng_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("size");
        QTest::newRow("256") << "zorbel.png" << 256;
        QTest::newRow("32") << "zorbel-32.png" << 32;
    }
    void iconPng()
    {
        QFETCH(QString, file);
        QFETCH(int, size);
        const QImage img(ZORBEL_PROGRAM_DIR "/" + file);
        QCOMPARE(img.size(), QSize(size, size));
        QCOMPARE(qAlpha(img.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(img.pixel(size - 1, size - 1)), 0);
        QCOMPARE(qAlpha(img.pixel(size / 2, size / 2)), 255);
        // The SVG it comes from draws everything itself: no linked images, no
        // text that would depend on the installed fonts.
        const auto m = QRegularExpression("<text|<image|<use|href=")
                           .match(readFile(ZORBEL_SOURCE_DIR "/assets/icon/zorbel.svg"));
        QVERIFY2(!m.hasMatch(), qPrintable(m.captured()));
    }

    // The entry passes the freedesktop validator and starts the installed
    // program with the installed icon.
    void desktopEntry()
    {
        QProcess p;
        p.start("desktop-file-validate", {kDesktop});
        QVERIFY2(p.waitForFinished(30000),
                 "desktop-file-validate (desktop-file-utils) did not run");
        const QString out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
        QVERIFY2(p.exitCode() == 0 && out.trimmed().isEmpty(), qPrintable(out));
        const QStringList lines = readFile(kDesktop).split('\n');
        for (const char* line : {"Exec=zorbel", "Icon=zorbel", "Terminal=false"})
            QVERIFY2(lines.contains(QLatin1String(line)), line);
        QVERIFY(lines.indexOf(QRegularExpression("^Name\\[ja\\]=.+")) >= 0);
    }

    // The page, the icons and the entry installed into an empty prefix:
    // exactly these files land there, each icon at its size.
    void installLayout()
    {
        QTemporaryDir prefix;
        QProcess p;
        p.start(ZORBEL_CMAKE_COMMAND, {"--install", ZORBEL_PROGRAM_DIR, "--component",
                                       "zorbel_docs", "--prefix", prefix.path()});
        QVERIFY(p.waitForFinished(60000));
        QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
        const QString icons = ZORBEL_INSTALL_DATADIR "/icons/hicolor/";
        QStringList expected = QString("LIB/html/index.htm LIB/html/zorbel.svg LIB/zorbel-32.png "
                                       "LIB/zorbel.png SHARE/applications/zorbel.desktop "
                                       "SHARE/icons/hicolor/256x256/apps/zorbel.png "
                                       "SHARE/icons/hicolor/32x32/apps/zorbel.png "
                                       "SHARE/icons/hicolor/scalable/apps/zorbel.svg")
                                   .replace("LIB", ZORBEL_INSTALL_LIBDIR "/zorbel")
                                   .replace("SHARE", ZORBEL_INSTALL_DATADIR)
                                   .split(' ');
        QStringList found;
        for (QDirIterator it(prefix.path(), QDir::Files, QDirIterator::Subdirectories);
             it.hasNext();)
            found << QDir(prefix.path()).relativeFilePath(it.next());
        found.sort();
        expected.sort();
        QCOMPARE(found, expected);
        for (int size : {32, 256})
            QCOMPARE(
                QImage(prefix.filePath(icons + QStringLiteral("%1x%1/apps/zorbel.png").arg(size)))
                    .size(),
                QSize(size, size));
    }
};

QTEST_MAIN(TestHelp)
#include "test_help.moc"
