// The icon and the desktop entry: the rendered PNGs, the SVG they come
// from, the entry's keys, and where `cmake --install` puts all of it.
#include <QColor>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace
{

const QString kProgramDir = QStringLiteral(ZORBEL_PROGRAM_DIR);
const QString kSvg = QStringLiteral(ZORBEL_SOURCE_DIR "/assets/icon/zorbel.svg");
const QString kDesktop = QStringLiteral(ZORBEL_SOURCE_DIR "/assets/zorbel.desktop");

// Key=value lines of the [Desktop Entry] group.
QHash<QString, QString> desktopEntry(QString* firstGroup)
{
    QHash<QString, QString> keys;
    QFile f(kDesktop);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return keys;
    QString group;
    for (const QString& raw : QString::fromUtf8(f.readAll()).split('\n')) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            group = line;
            if (firstGroup->isEmpty())
                *firstGroup = group;
            continue;
        }
        if (group == "[Desktop Entry]") {
            const qsizetype eq = line.indexOf('=');
            keys.insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
        }
    }
    return keys;
}

} // namespace

class TestDesktopAssets : public QObject
{
    Q_OBJECT
private slots:
    void iconPng_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("size");
        QTest::newRow("256") << "zorbel.png" << 256;
        QTest::newRow("32") << "zorbel-32.png" << 32;
    }
    // Each PNG has its size, a transparent outside (rounded corners), an
    // opaque body and the game's colours: black cells, light-yellow digits,
    // the orange board and the pink frame.
    void iconPng()
    {
        QFETCH(QString, file);
        QFETCH(int, size);
        QImage img(kProgramDir + '/' + file);
        QVERIFY2(!img.isNull(), qPrintable(file + " is missing or unreadable"));
        QCOMPARE(img.size(), QSize(size, size));
        QVERIFY(img.hasAlphaChannel());
        img = img.convertToFormat(QImage::Format_ARGB32);

        QCOMPARE(qAlpha(img.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(img.pixel(size - 1, size - 1)), 0);
        QCOMPARE(qAlpha(img.pixel(size / 2, size / 2)), 255);

        int opaque = 0;
        bool black = false, yellow = false, orange = false, pink = false;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const QColor c = QColor::fromRgba(img.pixel(x, y));
                if (c.alpha() < 250)
                    continue;
                ++opaque;
                auto near = [&c](int r, int g, int b) {
                    return std::abs(c.red() - r) < 40 && std::abs(c.green() - g) < 40 &&
                           std::abs(c.blue() - b) < 40;
                };
                black |= near(0, 0, 0);
                yellow |= near(255, 255, 128);
                orange |= near(255, 128, 0);
                pink |= near(255, 128, 128);
            }
        }
        QVERIFY2(opaque > size * size * 3 / 4, "the icon should fill most of its square");
        QVERIFY(black);
        QVERIFY(yellow);
        QVERIFY(orange);
        QVERIFY(pink);
    }

    // The SVG is well-formed, square, and draws everything itself: no
    // linked images and no text that would depend on the fonts installed.
    void iconSvg()
    {
        QFile f(kSvg);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&f);
        bool root = true;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            const QString name = xml.name().toString();
            if (root) {
                QCOMPARE(name, QStringLiteral("svg"));
                const QStringList box = xml.attributes().value("viewBox").toString().split(' ');
                QCOMPARE(box.size(), 4);
                QCOMPARE(box[2], box[3]);
                root = false;
            }
            QVERIFY2(name != "text" && name != "image" && name != "use",
                     qPrintable("<" + name + "> in the icon"));
            for (const QXmlStreamAttribute& a : xml.attributes())
                QVERIFY2(a.name() != QLatin1String("href"), "linked resource in the icon");
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QVERIFY(!root);
    }

    void desktopKeys_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value"); // empty: any non-empty value
        QTest::newRow("Type") << "Type"
                              << "Application";
        QTest::newRow("Name") << "Name"
                              << "Zorbel";
        QTest::newRow("Name[ja]") << "Name[ja]"
                                  << "";
        QTest::newRow("Comment") << "Comment"
                                 << "";
        QTest::newRow("Comment[ja]") << "Comment[ja]"
                                     << "";
        QTest::newRow("Exec") << "Exec"
                              << "zorbel";
        QTest::newRow("Icon") << "Icon"
                              << "zorbel";
        QTest::newRow("Categories") << "Categories"
                                    << "Game;LogicGame;";
        QTest::newRow("Terminal") << "Terminal"
                                  << "false";
    }
    void desktopKeys()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QString firstGroup;
        const auto keys = desktopEntry(&firstGroup);
        QCOMPARE(firstGroup, QStringLiteral("[Desktop Entry]"));
        QVERIFY2(keys.contains(key), qPrintable(key + " missing"));
        if (value.isEmpty())
            QVERIFY(!keys.value(key).isEmpty());
        else
            QCOMPARE(keys.value(key), value);
    }

    void desktopFileValidates()
    {
        const QString tool = QStandardPaths::findExecutable("desktop-file-validate");
        if (tool.isEmpty())
            QSKIP("desktop-file-validate is not installed (package desktop-file-utils)");
        QProcess p;
        p.start(tool, {kDesktop});
        QVERIFY(p.waitForFinished(30000));
        const QString out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
        QVERIFY2(p.exitCode() == 0 && out.trimmed().isEmpty(), qPrintable(out));
    }

    // Installs just the help, icon and desktop-entry files into an empty
    // prefix and checks that exactly the expected files land there.
    void installLayout()
    {
        QTemporaryDir prefix;
        QVERIFY(prefix.isValid());
        QProcess p;
        p.start(QStringLiteral(ZORBEL_CMAKE_COMMAND),
                {"--install", QStringLiteral(ZORBEL_BUILD_DIR), "--component", "zorbel_docs",
                 "--prefix", prefix.path()});
        QVERIFY(p.waitForFinished(60000));
        QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());

        const QString lib = QStringLiteral(ZORBEL_INSTALL_LIBDIR "/zorbel/");
        const QString data = QStringLiteral(ZORBEL_INSTALL_DATADIR "/");
        QStringList expected = {
            lib + "html/index.htm",
            lib + "html/zorbel.svg",
            lib + "zorbel.png",
            lib + "zorbel-32.png",
            data + "applications/zorbel.desktop",
            data + "icons/hicolor/256x256/apps/zorbel.png",
            data + "icons/hicolor/32x32/apps/zorbel.png",
            data + "icons/hicolor/scalable/apps/zorbel.svg",
        };
        QStringList found;
        QDirIterator it(prefix.path(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            found << QDir(prefix.path()).relativeFilePath(it.next());
        expected.sort();
        found.sort();
        QCOMPARE(found, expected);

        const QDir root(prefix.path());
        QCOMPARE(QImage(root.filePath(data + "icons/hicolor/32x32/apps/zorbel.png")).size(),
                 QSize(32, 32));
        QCOMPARE(QImage(root.filePath(data + "icons/hicolor/256x256/apps/zorbel.png")).size(),
                 QSize(256, 256));
    }
};

QTEST_MAIN(TestDesktopAssets)
#include "test_desktop_assets.moc"
