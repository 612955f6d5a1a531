// zorbel.ini: its format, where it lies, what a save may touch, the eleven keys.
#include "common/clsCommon.h"
#include "settings/GameData.h"
#include "settings/INI.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace zorbel;
using B = QByteArray;
Q_DECLARE_METATYPE(zorbel::GameData)

namespace
{
bool writeBytes(const QString& path, const B& bytes, int mode = 0644)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() &&
           ::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0;
}
B readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : B();
}
// A fresh program folder with zorbel.ini chosen in it; none in the configuration folder.
struct Folder {
    QTemporaryDir dir;
    INI ini;
    Folder(const QString& sub = {}) : ini(dir.path() + "/" + sub)
    {
        QFile::remove(clsCommon::FallbackPath() + "zorbel.ini");
        ini.SetIniFileName("zorbel.ini");
    }
    QString path() const { return dir.filePath("zorbel.ini"); }
};
// The file as a save writes it from scratch, with the ten values after the marker.
B fileText(const B& values)
{
    const QList<B> v = values.split('|');
    B t = "[Dummy]\nDummy=OK\n[GameData]\nLevelMax=" + v[0] + "\n";
    for (int n = 1; n <= 5; ++n)
        t += "MaxScore" + B::number(n) + "=" + v[n] + "\n";
    return t + "ClearFlg=" + v[6] + "\n[Option]\nSoundOn=" + v[7] + "\nBGMOn=" + v[8] +
           "\nInfoOn=" + v[9] + "\n";
}
const GameData kSaved{4, {0, 90, 80, 70, 0, 0}, false, true, false, true};
const B kSavedText = fileText(" 4| 90| 80| 70| 0| 0|False|True|False|True");
} // namespace

class TestSettings : public QObject
{
    Q_OBJECT
    QTemporaryDir m_config;

private slots:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
        qputenv("XDG_CONFIG_HOME", "relcfg"); // relative: ignored, as the XDG rules say
        QVERIFY(clsCommon::FallbackPath().startsWith(QDir::homePath() + "/.config/"));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
        QVERIFY(clsCommon::FallbackPath().startsWith(m_config.path() + "/"));
        // An installed game keeps its settings in the user's folder, even run by root.
        INI installed("/usr/lib");
        installed.SetIniFileName("zorbel.ini");
        QCOMPARE(installed.FilePath(), clsCommon::FallbackPath() + "zorbel.ini");
    }

    // Reads key "k" of section "A", then writes it; other lines stay. Rows:
    // before|read|write|after.
    void format_data()
    {
        QTest::addColumn<B>("before");
        QTest::addColumn<QString>("read");
        QTest::addColumn<QString>("write");
        QTest::addColumn<B>("after");
        for (const char* r :
             {" [ A ] \n\t k \t=\t x \t\n|x|y| [ A ] \nk=y\n", "[A]\nk=\" x \"\n| x |1|[A]\nk=1\n",
              "; top\n[A]\n;k=1\nk=old ; n\ny=2\n|old ; n|new|; top\n[A]\n;k=1\nk=new\ny=2\n",
              "[A]\nk=1\nk=2\n|1|3|[A]\nk=3\nk=2\n", "[A]\nx=0||1|[A]\nx=0\nk=1\n",
              "[A]\nx=1\n[B]\n[a]\nk=2\n||3|[A]\nx=1\nk=3\n[B]\n[a]\nk=2\n",
              "\xEF\xBB\xBF[A]\r\nk=1\r\n|1|2|\xEF\xBB\xBF[A]\r\nk=2\r\n",
              "||1\n[B]\r\nx=2|[A]\nk=1 [B]  x=2\n",
              "[A]\rk=1\r[B]\rk=2\r|1|3|[A]\rk=3\r[B]\rk=2\r",
              "[B]\rk=2\r[A]\rx=0||1|[B]\rk=2\r[A]\rx=0\r\nk=1\r\n",
              "[A]\nx=0\n\n\n; k=9\njunk\n[B]\n||1|[A]\nx=0\nk=1\n\n\n; k=9\njunk\n[B]\n"}) {
            const QList<B> f = B(r).split('|');
            QTest::newRow(r) << f[0] << QString::fromUtf8(f[1]) << QString::fromUtf8(f[2]) << f[3];
        }
        QTest::newRow("cut at NUL") << "[A]\nk=12" + B(1, '\0') + "34\n"
                                    << QString("12") << QString("5") << B("[A]\nk=5\n");
        QTest::newRow("no half character at 199")
            << "[A]\nk=" + B(198, 'x') + "\xF0\x9F\x8E\xB2" << QString(198, 'x') << QString("1")
            << B("[A]\nk=1");
    }
    void format()
    {
        QFETCH(B, before);
        QFETCH(QString, write);
        QTEST(INI::ValueInText(before, "A", "k"), "read");
        QTEST(INI::TextWithValues(before, {{"A", "k", write}}), "after");
    }

    // Only a plain file its owner may write (even root) is replaced; anything else stays and the
    // settings go to the configuration folder. The pipe appears after the start.
    void foreignFile_data()
    {
        QTest::addColumn<int>("kind");
        int kind = 0;
        for (const char* name :
             {"pipe", "link to a pipe", "folder", "link to nowhere", "mode 0444",
              "link to a plain file of mode 0640", "program folder not writable"})
            QTest::newRow(name) << kind++;
    }
    void foreignFile()
    {
        QFETCH(int, kind);
        const bool here = kind == 5; // the settings stay in the program's folder
        Folder f(kind == 6 ? "missing" : "");
        const B p = QFile::encodeName(f.path()), t = p + "-target";
        const B old = "[Dummy]\nDummy=OK\n[GameData]\nLevelMax= 5\n";
        QVERIFY(kind == 0 || kind == 3 || kind == 6 ||
                (kind == 1   ? ::mkfifo(t, 0600) == 0
                 : kind == 2 ? ::mkdir(p, 0700) == 0
                             : writeBytes(QFile::decodeName(kind == 4 ? p : t), old,
                                          kind == 4 ? 0444 : 0640)));
        if (kind == 1 || kind == 3 || kind == 5)
            QCOMPARE(::symlink(t, p), 0);
        const auto lmode = [](const B& path) {
            struct stat st = {};
            return ::lstat(path.constData(), &st) == 0 ? int(st.st_mode) : 0;
        };
        const int mode = lmode(p), targetMode = lmode(t);
        if (kind < 5)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("the game may replace"));
        if (kind != 0)
            f.ini.SetIniFileName("zorbel.ini");
        QVERIFY(kind != 0 || ::mkfifo(p, 0600) == 0);
        QVERIFY(SaveGameData(f.ini, kSaved));
        QCOMPARE(f.ini.FilePath(), here ? f.path() : clsCommon::FallbackPath() + "zorbel.ini");
        // A read-only file's progress is carried over.
        QCOMPARE(readBytes(f.ini.FilePath()),
                 here || kind == 4 ? fileText(" 5| 90| 80| 70| 0| 0|False|True|False|True")
                                   : kSavedText);
        QCOMPARE(lmode(p), kind == 0 ? int(S_IFIFO | 0600) : mode);
        QCOMPARE(lmode(t), targetMode);
        QVERIFY(kind != 4 || readBytes(f.path()) == old);
    }

    // A file read, then saved. Progress on disk never goes down (another copy of the game may
    // have saved more); hand edits are brought into range; a file over 16 MiB is not read.
    void file_data()
    {
        QTest::addColumn<B>("before"); // null: no file
        QTest::addColumn<GameData>("read");
        QTest::addColumn<GameData>("save");
        QTest::addColumn<B>("after");
        const GameData some{3, {0, 92, 85, 0, 0, 0}, false, true, false, false};
        const B someText = fileText(" 3| 92| 85| 0| 0| 0|False|True|False|False");
        const GameData done{5, {0, 100, 99, 98, 97, 96}, true, false, true, true};
        const B doneText = fileText(" 5| 100| 99| 98| 97| 96|True|False|True|True");
        QTest::newRow("first run") << B() << GameData{} << some << someText;
        QTest::newRow("other copy got further")
            << doneText << done << GameData{2, {0, 50, 100}, false, true, true, false}
            << fileText(" 5| 100| 100| 98| 97| 96|True|True|True|False");
        QTest::newRow("case, own lines, Shift-JIS, bad UTF-8, CR LF")
            << B("; \x83\x81\xC3\x28\r\n[gamedata]\r\nlevelmax=4\r\nCheat=1\r\n[DUMMY]\r\n"
                 "dummy=OK\r\n")
            << GameData{{4, {}, false}, {}} << GameData{}
            << B("; \x83\x81\xC3\x28\r\n[gamedata]\r\nLevelMax= 4\r\nCheat=1\r\nMaxScore1= 0\r\n"
                 "MaxScore2= 0\r\nMaxScore3= 0\r\nMaxScore4= 0\r\nMaxScore5= 0\r\n"
                 "ClearFlg=False\r\n[DUMMY]\r\nDummy=OK\r\n[Option]\r\nSoundOn=True\r\n"
                 "BGMOn=True\r\nInfoOn=True\r\n");
        QTest::newRow("out of range")
            << fileText("9|-7|250|99999|55abc|2.5|maybe|2|no|FALSE")
            << GameData{5, {0, 0, 100, 0, 55, 2}, false, true, true, false} << GameData{}
            << fileText(" 5| 0| 100| 0| 55| 2|False|True|True|True");
        QTest::newRow("the marker counts in capitals only")
            << B(doneText).replace("Dummy=OK", "Dummy=ok") << GameData{} << some << someText;
        QTest::newRow("no marker")
            << doneText.mid(17) << GameData{} << some << someText.mid(17) + someText.left(17);
        QTest::newRow("16 MiB less 64 bytes")
            << B("[Dummy]\nDummy=OK\n[GameData]\nLevelMax= 3\n;").leftJustified(16777152, '\0')
            << GameData{{3, {}, false}, {}} << done << doneText;
        QTest::newRow("16 MiB and a byte, left alone")
            << B(doneText).leftJustified(16777217, '\0') << GameData{} << some
            << B(doneText).leftJustified(16777217, '\0');
    }
    void file()
    {
        QFETCH(B, before);
        QFETCH(GameData, save);
        Folder f;
        QVERIFY(before.isNull() || writeBytes(f.path(), before));
        QTEST(ReadGameData(f.ini), "read");
        if (before.size() == 16777152) // everything but the game's own values
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression("the rest of the file is dropped"));
        if (before.size() > INI::kMaxFileSize)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("the game may replace"));
        QVERIFY(SaveGameData(f.ini, save));
        // A save failing at the last moment keeps the file and nothing else, and says so once.
        f.ini.SetWriteFailureForTesting(true);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("could not save the settings"));
        QTest::failOnWarning(QRegularExpression("could not save the settings"));
        QVERIFY(!SaveGameData(f.ini, GameData{}) && !SaveGameData(f.ini, GameData{}));
        QTEST(readBytes(f.path()), "after");
        QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"zorbel.ini"});
    }

    // Numbers and flags as a hand edit may leave them. Rows: text|number|flag; 99999, -1: none.
    void textForms_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("flag");
        for (const char* row :
             {" 3abc |3|-1", "2.5|2|1", "3.5|4|1", "2.5000001|3|1", "-32768|-32768|1",
              "32768|99999|1", "99999999999999999999999|99999|1", "\xEF\xBC\x93|0|-1", "TRUE|0|1",
              "fAlSe|0|0", "-1|-1|1", "0|0|0", "0.1|0|1", "1abc|1|-1"}) {
            const QStringList f = QString::fromUtf8(row).split('|');
            QTest::newRow(row) << f[0] << f[1].toInt() << f[2].toInt();
        }
    }
    void textForms()
    {
        QFETCH(QString, text);
        QTEST(ReadIniNumber(text) ? int(*ReadIniNumber(text)) : 99999, "number");
        QTEST(ReadIniFlag(text) ? int(*ReadIniFlag(text)) : -1, "flag");
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
