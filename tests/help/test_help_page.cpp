// The help page beside the program: well-formed, self-contained HTML5 whose
// rules, tables and worked example agree with the game's own scoring.
//
// The page is written so that an XML parser reads it too (every element
// closed, attributes quoted, void elements written <br />), which lets the
// test walk it as a tree with QXmlStreamReader and check the HTML rules that
// an XML parser does not know about on top.
#include "game/basZorb.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QXmlStreamReader>

#include <cstdlib>
#include <memory>
#include <vector>

namespace
{

const QString kPage = QStringLiteral(ZORBEL_PROGRAM_DIR "/html/index.htm");
const QString kSourcePage = QStringLiteral(ZORBEL_SOURCE_DIR "/assets/html/index.htm");
const QString kExample = QStringLiteral("314159265358979323846264338327");

struct Node {
    QString name; // empty for a text node
    QString text; // text nodes only
    QHash<QString, QString> attrs;
    Node* parent = nullptr;
    std::vector<Node*> children;
    qint64 line = 0;

    bool isElement() const { return !name.isEmpty(); }
    QString attr(const QString& key) const { return attrs.value(key); }

    QString textContent() const
    {
        if (!isElement())
            return text;
        QString out;
        for (const Node* c : children)
            out += c->textContent();
        return out;
    }
    std::vector<const Node*> elements() const
    {
        std::vector<const Node*> out;
        for (const Node* c : children)
            if (c->isElement())
                out.push_back(c);
        return out;
    }
};

struct Page {
    QByteArray raw;
    QString error; // parse error, empty when the page parsed
    QString doctype;
    std::vector<std::unique_ptr<Node>> nodes;
    Node* root = nullptr;

    std::vector<const Node*> all() const
    {
        std::vector<const Node*> out;
        for (const auto& n : nodes)
            if (n->isElement())
                out.push_back(n.get());
        return out;
    }
    const Node* byId(const QString& id) const
    {
        for (const Node* n : all())
            if (n->attr("id") == id)
                return n;
        return nullptr;
    }
    QString text() const { return root ? root->textContent() : QString(); }
};

Page loadPage(const QString& path)
{
    Page page;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        page.error = QStringLiteral("cannot open ") + path;
        return page;
    }
    page.raw = f.readAll();
    QXmlStreamReader xml(page.raw);
    Node* current = nullptr;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::DTD:
            page.doctype = xml.text().toString();
            break;
        case QXmlStreamReader::StartElement: {
            auto n = std::make_unique<Node>();
            n->name = xml.name().toString();
            n->line = xml.lineNumber();
            for (const QXmlStreamAttribute& a : xml.attributes())
                n->attrs.insert(a.qualifiedName().toString(), a.value().toString());
            n->parent = current;
            if (current)
                current->children.push_back(n.get());
            else
                page.root = n.get();
            current = n.get();
            page.nodes.push_back(std::move(n));
            break;
        }
        case QXmlStreamReader::EndElement:
            current = current->parent;
            break;
        case QXmlStreamReader::Characters:
            if (current) {
                auto n = std::make_unique<Node>();
                n->text = xml.text().toString();
                n->parent = current;
                current->children.push_back(n.get());
                page.nodes.push_back(std::move(n));
            }
            break;
        default:
            break;
        }
    }
    if (xml.hasError())
        page.error = QStringLiteral("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString());
    return page;
}

const Page& page()
{
    static const Page p = loadPage(kPage);
    return p;
}

// Cell texts of one table row (the td cells, not the row's heading).
QStringList rowCells(const Node* row)
{
    QStringList out;
    for (const Node* c : row->elements())
        if (c->name == "td")
            out << c->textContent().trimmed();
    return out;
}

// Rows of a table's body, each as its td texts.
QList<QStringList> bodyRows(const Node* table)
{
    QList<QStringList> out;
    for (const Node* part : table->elements())
        if (part->name == "tbody")
            for (const Node* row : part->elements())
                out << rowCells(row);
    return out;
}

QString number(double v)
{
    return QString::number(v, 'g', 6);
}

struct Scored {
    QString score;
    QStringList details;
};

// Runs the scoring tool on the sequences; one result per sequence.
QList<Scored> scoreWithTool(const QStringList& sequences)
{
    QProcess p;
    p.start(QStringLiteral(ZORBEL_PROGRAM_DIR "/zorbel-score"),
            QStringList{"--details"} + sequences);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    QList<Scored> out;
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    for (const QString& block : text.split("\n\n", Qt::SkipEmptyParts)) {
        QStringList lines = block.split('\n');
        Scored s;
        s.score = lines.takeFirst();
        s.details = lines;
        out << s;
    }
    return out;
}

} // namespace

class TestHelpPage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo::exists(kPage),
                 "the build did not copy the help page beside the program");
        QVERIFY2(page().error.isEmpty(), qPrintable(page().error));
        QVERIFY(page().root);
    }

    void copyIsCurrent()
    {
        QFile src(kSourcePage);
        QVERIFY(src.open(QIODevice::ReadOnly));
        QCOMPARE(page().raw, src.readAll());
    }

    void documentShape()
    {
        const Page& p = page();
        QVERIFY2(p.raw.trimmed().startsWith("<!DOCTYPE html>"),
                 "the page must open with <!DOCTYPE html>");
        QCOMPARE(p.doctype, QStringLiteral("<!DOCTYPE html>"));
        QCOMPARE(p.root->name, QStringLiteral("html"));
        QCOMPARE(p.root->attr("lang"), QStringLiteral("ja"));

        const auto top = p.root->elements();
        QCOMPARE(int(top.size()), 2);
        QCOMPARE(top[0]->name, QStringLiteral("head"));
        QCOMPARE(top[1]->name, QStringLiteral("body"));

        // The encoding must be declared first, inside the first 1024 bytes.
        const auto head = top[0]->elements();
        QVERIFY(!head.empty());
        QCOMPARE(head[0]->name, QStringLiteral("meta"));
        QCOMPARE(head[0]->attr("charset").toLower(), QStringLiteral("utf-8"));
        QVERIFY(p.raw.indexOf("charset") < 1024);

        bool viewport = false;
        int titles = 0;
        for (const Node* n : head) {
            if (n->name == "meta" && n->attr("name") == "viewport")
                viewport = n->attr("content").contains("width=device-width");
            if (n->name == "title") {
                ++titles;
                QVERIFY(!n->textContent().trimmed().isEmpty());
            }
        }
        QVERIFY2(viewport, "a viewport meta is needed for narrow windows");
        QCOMPARE(titles, 1);

        int h1 = 0;
        for (const Node* n : p.all())
            h1 += n->name == "h1";
        QCOMPARE(h1, 1);
    }

    // Rules of HTML that an XML parser does not check, but a browser's
    // HTML parser acts on: unknown elements, void elements with content,
    // non-void elements written self-closed (a browser would leave them
    // open), and elements in places where the HTML parser closes or moves
    // them implicitly.
    void htmlRules()
    {
        static const QSet<QString> known = {
            "html", "head", "body",    "meta",    "title",   "style",  "header", "footer",
            "nav",  "main", "section", "article", "aside",   "h1",     "h2",     "h3",
            "h4",   "p",    "div",     "span",    "a",       "strong", "em",     "code",
            "kbd",  "pre",  "br",      "hr",      "img",     "ul",     "ol",     "li",
            "dl",   "dt",   "dd",      "table",   "caption", "thead",  "tbody",  "tfoot",
            "tr",   "th",   "td",      "small",   "sub",     "sup",    "figure", "figcaption"};
        static const QSet<QString> voids = {"meta", "br", "hr", "img", "link", "wbr", "col"};
        static const QSet<QString> notInP = {"address", "article", "aside",   "blockquote", "div",
                                             "dl",      "figure",  "footer",  "form",       "h1",
                                             "h2",      "h3",      "h4",      "h5",         "h6",
                                             "header",  "hr",      "main",    "nav",        "ol",
                                             "p",       "pre",     "section", "table",      "ul"};
        static const QHash<QString, QSet<QString>> parents = {
            {"li", {"ul", "ol"}},   {"dt", {"dl"}},
            {"dd", {"dl"}},         {"thead", {"table"}},
            {"tbody", {"table"}},   {"tfoot", {"table"}},
            {"caption", {"table"}}, {"tr", {"thead", "tbody", "tfoot"}},
            {"td", {"tr"}},         {"th", {"tr"}},
            {"title", {"head"}},    {"meta", {"head"}},
            {"style", {"head"}},    {"figcaption", {"figure"}}};

        for (const Node* n : page().all()) {
            const QString where = QStringLiteral("<%1> at line %2").arg(n->name).arg(n->line);
            QVERIFY2(known.contains(n->name), qPrintable("unknown element " + where));
            if (voids.contains(n->name))
                QVERIFY2(n->children.empty(), qPrintable("void element with content: " + where));
            if (parents.contains(n->name))
                QVERIFY2(n->parent && parents[n->name].contains(n->parent->name),
                         qPrintable("misplaced " + where));
            if (n->name == "table")
                for (const Node* c : n->elements())
                    QVERIFY2(c->name != "tr", qPrintable("row outside thead/tbody/tfoot at line " +
                                                         QString::number(c->line)));
            if (notInP.contains(n->name))
                for (const Node* up = n->parent; up; up = up->parent)
                    QVERIFY2(up->name != "p",
                             qPrintable("the HTML parser would end the <p> before " + where));
            if (n->name == "a")
                for (const Node* up = n->parent; up; up = up->parent)
                    QVERIFY2(up->name != "a", qPrintable("nested link " + where));
        }

        const QString raw = QString::fromUtf8(page().raw);
        static const QRegularExpression selfClosed(
            QStringLiteral("<([a-zA-Z][a-zA-Z0-9]*)\\b[^<>]*/>"));
        for (auto it = selfClosed.globalMatch(raw); it.hasNext();) {
            const auto m = it.next();
            QVERIFY2(voids.contains(m.captured(1).toLower()),
                     qPrintable("<" + m.captured(1) + "/> is not self-closing in HTML"));
        }
    }

    void idsUniqueAndLinksResolve()
    {
        QSet<QString> ids;
        for (const Node* n : page().all()) {
            const QString id = n->attr("id");
            if (id.isEmpty())
                continue;
            QVERIFY2(!ids.contains(id), qPrintable("duplicate id " + id));
            ids.insert(id);
        }
        int internal = 0;
        for (const Node* n : page().all()) {
            for (const QString& key : {QStringLiteral("href"), QStringLiteral("src")}) {
                const QString ref = n->attr(key);
                if (ref.isEmpty())
                    continue;
                if (ref.startsWith('#')) {
                    ++internal;
                    QVERIFY2(ids.contains(ref.mid(1)), qPrintable("link to missing anchor " + ref));
                } else {
                    // A local file beside the page, in its folder or below.
                    QVERIFY2(!ref.contains(':') && !ref.startsWith('/') && !ref.contains(".."),
                             qPrintable("reference outside the help folder: " + ref));
                    const QString file = QFileInfo(kPage).dir().filePath(ref);
                    QVERIFY2(QFileInfo::exists(file), qPrintable("missing file " + ref));
                }
            }
        }
        QVERIFY(internal > 0); // the table of contents
    }

    void noExternalReferences_data()
    {
        QTest::addColumn<QString>("needle");
        QTest::newRow("http") << "http:";
        QTest::newRow("https") << "https:";
        QTest::newRow("protocol-relative") << "//";
        QTest::newRow("ftp") << "ftp:";
        QTest::newRow("file") << "file:";
        QTest::newRow("css import") << "@import";
        QTest::newRow("css url") << "url(";
        QTest::newRow("script") << "<script";
        QTest::newRow("frame") << "<iframe";
        QTest::newRow("link element") << "<link";
    }
    void noExternalReferences()
    {
        QFETCH(QString, needle);
        const QString raw = QString::fromUtf8(page().raw);
        const qsizetype at = raw.indexOf(needle, 0, Qt::CaseInsensitive);
        QVERIFY2(
            at < 0,
            qPrintable(
                QStringLiteral("'%1' at line %2").arg(needle).arg(raw.left(at).count('\n') + 1)));
    }

    // The game's window is 442 pixels wide; nothing in the style may need
    // more than that.
    void styleFitsTheWindow()
    {
        QString css;
        for (const Node* n : page().all())
            if (n->name == "style")
                css += n->textContent();
        QVERIFY(!css.isEmpty());
        QVERIFY2(css.contains("@media"), "no rule for narrow windows");
        // Media conditions name window widths; they are not sizes of anything.
        css.remove(QRegularExpression(QStringLiteral("@media[^{]*")));
        static const QRegularExpression px(QStringLiteral("(\\d+(?:\\.\\d+)?)px"));
        for (auto it = px.globalMatch(css); it.hasNext();) {
            const auto m = it.next();
            QVERIFY2(m.captured(1).toDouble() <= 442,
                     qPrintable("too wide for the window: " + m.captured(0)));
        }
    }

    // The names the player sees in the game must appear exactly as the game
    // writes them (half-width katakana included).
    void gameTexts_data()
    {
        QTest::addColumn<QString>("text");
        for (const char* t : {"練習",
                              "本番",
                              "ﾚﾍﾞﾙ選択",
                              "設定",
                              "ﾍﾙﾌﾟ",
                              "お手本",
                              "採点",
                              "メニューへ",
                              "NextStage",
                              "Retry",
                              "Go to Level",
                              "Good Job!!!",
                              "Excellent!!!",
                              "Great!!",
                              "Nice!",
                              "Valueable...",
                              "Fault...",
                              "リタイアしますか？",
                              "FIRST",
                              "SECOND",
                              "THIRD",
                              "80 点以上で合格",
                              "ただいまの乱数は",
                              "点です",
                              "zorbel.ini"})
            QTest::newRow(t) << QString::fromUtf8(t);
    }
    void gameTexts()
    {
        QFETCH(QString, text);
        QVERIFY2(page().text().contains(text), qPrintable(text));
    }

    void levelTable_data()
    {
        QTest::addColumn<int>("level");
        for (int level = 1; level <= 5; ++level)
            QTest::addRow("level %d", level) << level;
    }
    void levelTable()
    {
        QFETCH(int, level);
        const Node* row = page().byId(QStringLiteral("level-%1").arg(level));
        QVERIFY(row);
        const QStringList cells = rowCells(row);
        QCOMPARE(cells.size(), 5);
        const auto lv = static_cast<std::int16_t>(level);
        const int n = zorbel::CellsForLevel(lv);
        QCOMPARE(cells[0], QString::number(level));
        QCOMPARE(cells[1], QString::number(n));
        QCOMPARE(cells[2], QString::number(zorbel::StageCount(lv)));
        QCOMPARE(cells[3], number(n / 2.5 + 100));
        QCOMPARE(cells[4], QString::number(zorbel::FixedCellCount(static_cast<std::int16_t>(n))));
    }

    void expectedDifferences()
    {
        const Node* table = page().byId("diff-expected-table");
        QVERIFY(table);
        const QList<QStringList> rows = bodyRows(table);
        QCOMPARE(rows.size(), 10);
        static const int m[10] = {5, 9, 8, 7, 6, 5, 4, 3, 2, 1};
        for (int k = 0; k < 10; ++k) {
            QCOMPARE(rows[k].size(), 3);
            QCOMPARE(rows[k][0], QString::number(m[k]));
            QCOMPARE(rows[k][1], number((30 - 1) / 50.0 * m[k]));
            QCOMPARE(rows[k][2], number((100 - 1) / 50.0 * m[k]));
        }
    }

    // Every score the page quotes for a sequence is the tool's score.
    void quotedScores()
    {
        QStringList sequences;
        QList<const Node*> quotes;
        for (const Node* n : page().all())
            if (n->attrs.contains("data-digits")) {
                sequences << n->attr("data-digits");
                quotes << n;
            }
        QVERIFY(sequences.contains(kExample));
        const QList<Scored> scored = scoreWithTool(sequences);
        QCOMPARE(scored.size(), sequences.size());
        for (int i = 0; i < sequences.size(); ++i) {
            QVERIFY2(page().text().contains(sequences[i]),
                     qPrintable(sequences[i] + " is not shown"));
            QCOMPARE(quotes[i]->textContent().trimmed(), scored[i].score);
        }
    }

    // The details panel as the page shows it is line for line what the
    // game prints for the example.
    void workedExampleDetails()
    {
        const QList<Scored> scored = scoreWithTool({kExample});
        QCOMPARE(scored.size(), 1);
        QCOMPARE(scored[0].details.size(), 4);
        const Node* pre = page().byId("example-details");
        QVERIFY(pre);
        QCOMPARE(pre->name, QStringLiteral("pre"));
        QCOMPARE(pre->textContent().split('\n'), scored[0].details);
        const QString all = page().text();
        for (const QString& line : scored[0].details)
            QVERIFY2(all.contains(line), qPrintable(line));
    }

    // The board and the tables of the worked example, counted afresh from
    // the sequence and checked against the tool's deductions.
    void workedExampleTables()
    {
        const Page& p = page();
        const Node* board = p.byId("example-board");
        QVERIFY(board);
        QString boardDigits = board->textContent();
        boardDigits.remove(QRegularExpression("\\s"));
        QCOMPARE(boardDigits, kExample);
        QCOMPARE(p.byId("example-sequence")->textContent(), kExample);

        const int n = int(kExample.size());
        int count[10] = {};
        int diff[10] = {};
        int sum = 0;
        for (int i = 0; i < n; ++i) {
            const int d = kExample[i].digitValue();
            ++count[d];
            sum += d;
            if (i > 0)
                ++diff[std::abs(d - kExample[i - 1].digitValue())];
        }
        const QList<Scored> scored = scoreWithTool({kExample});
        QCOMPARE(scored.size(), 1);
        const QStringList& details = scored[0].details;
        auto numbersAfter = [](const QString& line) {
            return line.mid(line.indexOf('=') + 1).split(' ', Qt::SkipEmptyParts);
        };
        const QStringList a = numbersAfter(details[1]);
        const QStringList b = numbersAfter(details[2]);
        const QStringList d = numbersAfter(details[3]);
        QCOMPARE(a.size(), 10);
        QCOMPARE(b.size(), 1);
        QCOMPARE(d.size(), 10);
        int totalA = 0;
        int totalD = 0;
        for (int k = 0; k < 10; ++k) {
            totalA += a[k].toInt();
            totalD += d[k].toInt();
        }

        const QStringList counts = rowCells(p.byId("example-counts"));
        const QStringList deductions = rowCells(p.byId("example-count-deductions"));
        QCOMPARE(counts.size(), 11);
        QCOMPARE(deductions.size(), 11);
        for (int v = 0; v < 10; ++v) {
            QCOMPARE(counts[v], QString::number(count[v]));
            QCOMPARE(deductions[v], a[v]);
        }
        QCOMPARE(counts[10], QString::number(n));
        QCOMPARE(deductions[10], QString::number(totalA));

        QCOMPARE(p.byId("example-sum")->textContent(), QString::number(sum));
        QCOMPARE(p.byId("example-average-deduction")->textContent(), b[0]);

        const QList<QStringList> rows = bodyRows(p.byId("example-diff-table"));
        QCOMPARE(rows.size(), 10);
        static const int m[10] = {5, 9, 8, 7, 6, 5, 4, 3, 2, 1};
        for (int k = 0; k < 10; ++k) {
            QCOMPARE(rows[k].size(), 3);
            QCOMPARE(rows[k][0], QString::number(diff[k]));
            QCOMPARE(rows[k][1], number((n - 1) / 50.0 * m[k]));
            QCOMPARE(rows[k][2], d[k]);
        }

        const QString raw = details[0].mid(details[0].lastIndexOf(' ') + 1);
        const QString total = QStringLiteral("%1 − %2 − %3 − %4 ＝ %5")
                                  .arg(raw)
                                  .arg(totalA)
                                  .arg(b[0])
                                  .arg(totalD)
                                  .arg(scored[0].score);
        QCOMPARE(p.byId("example-total")->textContent(), total);
    }
};

QTEST_GUILESS_MAIN(TestHelpPage)
#include "test_help_page.moc"
