// zorbel.ini: the file format, where the file lies, failed and interrupted
// writes, files of any content, and the game's eleven keys.
#include "common/clsCommon.h"
#include "settings/GameData.h"
#include "settings/INI.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zorbel;

Q_DECLARE_METATYPE(zorbel::GameData)

namespace
{

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// A fresh folder that is the program's folder, with zorbel.ini chosen in it.
struct Folder {
    QTemporaryDir dir;
    INI ini;
    Folder()
    {
        clsCommon::SetPathOverride(dir.path());
        ini.SetIniFileName("zorbel.ini");
    }
    ~Folder() { clsCommon::SetPathOverride({}); }
    QString path() const { return dir.filePath("zorbel.ini"); }
    QByteArray text() const
    {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

// The file as a save writes it from scratch; missing scores are " 0".
QByteArray fileText(const QByteArray& levelMax, const QList<QByteArray>& scores,
                    const QByteArray& clear, const QByteArray& sound, const QByteArray& bgm,
                    const QByteArray& info)
{
    QByteArray t = "[Dummy]\nDummy=OK\n[GameData]\nLevelMax=" + levelMax + "\n";
    for (int n = 0; n < 5; ++n)
        t += "MaxScore" + QByteArray::number(n + 1) + "=" + scores.value(n, " 0") + "\n";
    return t + "ClearFlg=" + clear + "\n[Option]\nSoundOn=" + sound + "\nBGMOn=" + bgm +
           "\nInfoOn=" + info + "\n";
}

// The values the value test looks at, by key name.
QMap<QString, int> fields(const GameData& d)
{
    return {{"LevelMax", d.LevelMax}, {"MaxScore3", d.MaxScore[3]}, {"ClearFlg", d.ClearFlg},
            {"SoundOn", d.SoundOn},   {"BGMOn", d.BGMOn},           {"InfoOn", d.InfoOn}};
}

void formatRow(const char* name, const QByteArray& before, const QString& read,
               const QString& write, const QByteArray& after)
{
    QTest::newRow(name) << before << read << write << after;
}

void garbageRow(const char* name, const QByteArray& content, qint64 size = 0)
{
    QTest::newRow(name) << content << size;
}

void valueRow(const char* name, const QString& key, const QByteArray& text, int value)
{
    QTest::newRow(name) << key << text << value;
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT
    QTemporaryDir m_config;

private slots:
    void initTestCase()
    {
        // Nothing here may ever reach the real configuration folder.
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    }

    // Reads key "k" of section "A", then writes it; every other line of the
    // file stays byte for byte.
    void format_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("read");
        QTest::addColumn<QString>("write");
        QTest::addColumn<QByteArray>("after");
        formatRow("blanks around names", " [ A ] \n\t k \t=\t x \t\n", "x", "y", " [ A ] \nk=y\n");
        formatRow("quoted", "[A]\nk=\" x \"\n", " x ", "1", "[A]\nk=1\n");
        formatRow("changed in place", "; top\n[A]\nx=0\nk=old ; note\ny=2\n", "old ; note", "new",
                  "; top\n[A]\nx=0\nk=new\ny=2\n");
        formatRow("comment is no key", "[A]\n;k=1\nk=2\n", "2", "3", "[A]\n;k=1\nk=3\n");
        formatRow("key before any section", "k=1\n[A]\n", "", "2", "k=1\n[A]\nk=2\n");
        formatRow("first key wins", "[A]\nk=1\nk=2\n", "1", "3", "[A]\nk=3\nk=2\n");
        formatRow("only first section counts", "[A]\nx=1\n[B]\n[a]\nk=2\n", "", "3",
                  "[A]\nx=1\nk=3\n[B]\n[a]\nk=2\n");
        formatRow("added under a bare header", "[A]\n\n[B]\n", "", "1", "[A]\nk=1\n\n[B]\n");
        formatRow("no final line end", "[A]\nx=0", "", "1", "[A]\nx=0\nk=1\n");
        formatRow("byte order mark", "\xEF\xBB\xBF[A]\nk=1\n", "1", "2", "\xEF\xBB\xBF[A]\nk=2\n");
        formatRow("cut at NUL", "[A]\nk=12" + QByteArray(1, '\0') + "34\n", "12", "5",
                  "[A]\nk=5\n");
        formatRow("cut to 199", "[A]\nk=" + QByteArray(500, 'x'), QString(199, 'x'), "1",
                  "[A]\nk=1");
        formatRow("no half character at the cut",
                  "[A]\nk=" + QByteArray(198, 'x') + "\xF0\x9F\x8E\xB2", QString(198, 'x'), "1",
                  "[A]\nk=1");
        formatRow("line breaks in a value become blanks", "", "", "1\n[B]\r\nx=2",
                  "[A]\nk=1 [B]  x=2\n");
    }
    void format()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, write);
        QTEST(INI::ValueInText(before, "A", "k"), "read");
        QTEST(INI::TextWithValues(before, {{"A", "k", write}}), "after");
    }

    // A folder nobody can write, not even root: a path running through a file.
    void unwritableFolderUsesConfigFolder()
    {
        Folder f;
        QVERIFY(writeBytes(f.dir.filePath("file"), "x"));
        clsCommon::SetPathOverride(f.dir.filePath("file/program"));
        f.ini.SetIniFileName("zorbel.ini");
        const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
        QVERIFY(config.startsWith(m_config.path()));
        QCOMPARE(f.ini.FilePath(), config + "/zorbel.ini");
        f.ini.PutIni("A", "k", "v");
        QCOMPARE(f.ini.GetIni("A", "k"), QString("v"));

        // The program's folder wins again as soon as it can be written; one
        // "/" joins it to the file name.
        clsCommon::SetPathOverride(f.dir.path() + "/");
        f.ini.SetIniFileName("zorbel.ini");
        QCOMPARE(f.ini.FilePath(), f.path());
        QCOMPARE(f.ini.GetIni("A", "k"), QString());
        QVERIFY(QFile::remove(config + "/zorbel.ini"));
    }

    void failedWriteKeepsOldFile_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("replacing fails") << 0;
        QTest::newRow("settings name is a folder") << 1;
        QTest::newRow("program folder vanished") << 2;
    }
    void failedWriteKeepsOldFile()
    {
        QFETCH(int, how);
        Folder f;
        const GameData old{2, {0, 85, 0, 0, 0, 0}, false, true, false, true};
        if (how == 0) {
            QVERIFY(SaveGameData(f.ini, old));
            f.ini.SetWriteFailureForTesting(true);
        } else if (how == 1) {
            QVERIFY(QDir().mkpath(f.path()));
        } else {
            QVERIFY(QDir(f.dir.path()).removeRecursively());
        }
        const QByteArray before = f.text();
        // Reported once, however often the game tries again.
        const QRegularExpression warning("could not save the settings");
        QTest::ignoreMessage(QtWarningMsg, warning);
        QTest::failOnWarning(warning);
        const GameData now{3, {0, 85, 90, 0, 0, 0}, false, true, false, true};
        QVERIFY(!SaveGameData(f.ini, now));
        f.ini.PutIni("Option", "SoundOn", "False");
        QVERIFY(!SaveGameData(f.ini, now));
        QCOMPARE(f.text(), before);
        QCOMPARE(ReadGameData(f.ini), how == 0 ? old : GameData{});
        // Nothing is left behind beside the settings file.
        QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files | QDir::Hidden).size(), how == 0 ? 1 : 0);
        if (how == 0) {
            f.ini.SetWriteFailureForTesting(false);
            QVERIFY(SaveGameData(f.ini, now));
            QCOMPARE(ReadGameData(f.ini), now);
        }
    }

    // Whatever the file holds, reading neither crashes nor hangs, the values
    // stay in range, and one save makes the file valid. A file over the size
    // limit counts as not valid and stays untouched until that save.
    void garbage_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<qint64>("size"); // > 0: content, then zeros up to size; -1: a pipe
        QRandomGenerator rng(4242);
        QByteArray random(64 * 1024, '\0');
        rng.fillRange(reinterpret_cast<quint32*>(random.data()), random.size() / 4);
        const QByteArray head = "[Dummy]\nDummy=OK\n[GameData]\nLevelMax= 3\n";
        const QByteArray nuls = QByteArray(head).replace('\n', QByteArray("\0\n", 2));
        garbageRow("random bytes", random);
        garbageRow("NUL bytes", nuls);
        garbageRow("a line of a megabyte", "[GameData]\nLevelMax=" + QByteArray(1000000, '7'));
        garbageRow("a megabyte of brackets", QByteArray(1000000, '['));
        garbageRow("lone CRs", "[Dummy]\rDummy=OK\r\r");
        garbageRow("invalid UTF-8", "[Dummy]\nDummy=OK\n[GameData]\nLevelMax=\xC3\x28\xFF\xFE 3\n");
        garbageRow("Shift-JIS comments",
                   ";\x83\x5B\x83\x80\n[Dummy]\nDummy=OK\n;\x96\x7B\x94\xD4\n");
        garbageRow("a pipe", {}, -1);
        garbageRow("just over a MiB", head + ";" + QByteArray(INI::kMaxFileSize, 'x'));
        garbageRow("50 MB", head, qint64(50) * 1000 * 1000);
    }
    void garbage()
    {
        QFETCH(QByteArray, content);
        QFETCH(qint64, size);
        Folder f;
        if (size < 0) // reading a pipe would block for ever
            QCOMPARE(::mkfifo(QFile::encodeName(f.path()).constData(), 0600), 0);
        else
            QVERIFY(writeBytes(f.path(), content));
        if (size > 0)
            QVERIFY(QFile::resize(f.path(), size));
        const qint64 sizeBefore = QFileInfo(f.path()).size();
        const bool tooLarge = sizeBefore > INI::kMaxFileSize;

        const GameData read = ReadGameData(f.ini);
        QVERIFY(read.LevelMax >= 1 && read.LevelMax <= 5);
        for (int n = 1; n <= 5; ++n)
            QVERIFY(read.MaxScore[n] >= 0 && read.MaxScore[n] <= 100);
        if (tooLarge) {
            QCOMPARE(read, GameData{});
            QCOMPARE(QFileInfo(f.path()).size(), sizeBefore);
        }
        const GameData saved{4, {0, 90, 80, 70, 0, 0}, false, true, false, true};
        QVERIFY(SaveGameData(f.ini, saved));
        QCOMPARE(ReadGameData(f.ini), saved);
        if (tooLarge)
            QVERIFY(QFileInfo(f.path()).size() < 1000);
    }

    // A child saves two sets of values by turns until it is killed at a
    // random moment; the file must always hold one complete set.
    void killDuringSave()
    {
        Folder f;
        const GameData a{2, {0, 81, 0, 0, 0, 0}, false, true, true, false};
        const GameData b{5, {0, 99, 98, 97, 96, 95}, true, false, true, true};
        QVERIFY(SaveGameData(f.ini, b));
        const QByteArray textB = f.text();
        QVERIFY(SaveGameData(f.ini, a));
        const QByteArray textA = f.text();

        QRandomGenerator rng(1234);
        QElapsedTimer clock;
        clock.start();
        int runs = 0;
        // A few hundred kills; the clock only bounds a very slow machine.
        for (; runs < 300 && clock.elapsed() < 20000; ++runs) {
            int ready[2];
            QCOMPARE(::pipe(ready), 0);
            const pid_t pid = ::fork();
            QVERIFY(pid >= 0);
            if (pid == 0) {
                ::close(ready[0]);
                for (unsigned n = 0;; ++n) {
                    SaveGameData(f.ini, n % 2 == 0 ? b : a);
                    if (n == 0 && ::write(ready[1], "s", 1) != 1)
                        ::_exit(1);
                }
            }
            ::close(ready[1]);
            // Kill only after one whole save, so the kill lands inside the loop.
            pollfd p{ready[0], POLLIN, 0};
            char c = 0;
            const bool started = ::poll(&p, 1, 30000) == 1 && ::read(ready[0], &c, 1) == 1;
            ::close(ready[0]);
            if (started)
                ::usleep(rng.bounded(3000u));
            ::kill(pid, SIGKILL);
            int status = 0;
            ::waitpid(pid, &status, 0);
            QVERIFY2(started, "the saving child never finished a save");
            const QByteArray now = f.text();
            QVERIFY2(now == textA || now == textB,
                     qPrintable("after kill " + QString::number(runs) + " the file holds:\n" +
                                QString::fromUtf8(now)));
        }
        QVERIFY(runs >= 100);
    }

    // Every value goes into the file in its text form and reads back, also
    // when saved over a file holding other values.
    void wholeFile_data()
    {
        QTest::addColumn<GameData>("data");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("defaults") << GameData{}
                                  << fileText(" 1", {}, "False", "True", "True", "True");
        QTest::newRow("after some play")
            << GameData{3, {0, 92, 85, 0, 0, 0}, false, true, false, false}
            << fileText(" 3", {" 92", " 85"}, "False", "True", "False", "False");
        QTest::newRow("completed") << GameData{5, {0, 100, 99, 98, 97, 96}, true, false, true, true}
                                   << fileText(" 5", {" 100", " 99", " 98", " 97", " 96"}, "True",
                                               "False", "True", "True");
    }
    void wholeFile()
    {
        QFETCH(GameData, data);
        Folder f;
        // First run: no file gives the defaults.
        QCOMPARE(ReadGameData(f.ini), GameData{});
        QVERIFY(SaveGameData(f.ini, data));
        QTEST(f.text(), "text");
        QVERIFY(SaveGameData(f.ini, GameData{4, {0, 1, 2, 3, 4, 5}, true, false, true, false}));
        QVERIFY(SaveGameData(f.ini, data));
        QTEST(f.text(), "text");
        QCOMPARE(ReadGameData(f.ini), data);
        QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"zorbel.ini"});
    }

    // One key in a file that has the marker; every other key is missing and
    // takes its default (a missing number reads 0, then is clamped).
    void value_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("value");
        valueRow("blanks around", "LevelMax", " 3 ", 3);
        valueRow("trailing text", "LevelMax", "3abc", 3);
        valueRow("2.5 to even", "LevelMax", "2.5", 2);
        valueRow("3.5 to even", "LevelMax", "3.5", 4);
        valueRow("just over a half", "LevelMax", "2.5000001", 3);
        valueRow("words read 0, clamped", "LevelMax", "three", 1);
        valueRow("negative clamped", "LevelMax", "-2", 1);
        valueRow("9 clamped", "LevelMax", "9", 5);
        valueRow("16-bit top clamped", "LevelMax", "32767", 5);
        valueRow("beyond 16 bits: default", "LevelMax", "32768", 1);
        valueRow("rounds beyond 16 bits", "LevelMax", "32767.5", 1);
        valueRow("far beyond: default", "LevelMax", "99999999999999999999999", 1);
        valueRow("full-width digit", "LevelMax", "\xEF\xBC\x93", 1);
        valueRow("score above 100 clamped", "MaxScore3", "150", 100);
        valueRow("score negative clamped", "MaxScore3", "-3", 0);
        valueRow("score beyond 16 bits: default", "MaxScore3", "70000", 0);
        valueRow("flag TRUE", "ClearFlg", "TRUE", 1);
        valueRow("flag fAlSe", "InfoOn", "fAlSe", 0);
        valueRow("flag -1", "ClearFlg", "-1", 1);
        valueRow("flag 0", "SoundOn", "0", 0);
        valueRow("flag 0.1 is not zero", "ClearFlg", "0.1", 1);
        valueRow("flag huge number", "ClearFlg", "123456789012345678901", 1);
        valueRow("flag word: default true", "SoundOn", "yes", 1);
        valueRow("flag word: default false", "ClearFlg", "yes", 0);
        valueRow("flag number and text: default", "ClearFlg", "1abc", 0);
    }
    void value()
    {
        QFETCH(QString, key);
        QFETCH(QByteArray, text);
        QFETCH(int, value);
        const bool option = key == "SoundOn" || key == "BGMOn" || key == "InfoOn";
        Folder f;
        QVERIFY(writeBytes(f.path(), "[Dummy]\nDummy=OK\n[" +
                                         QByteArray(option ? "Option" : "GameData") + "]\n" +
                                         key.toLatin1() + "=" + text + "\n"));
        QMap<QString, int> want = fields(GameData{});
        want[key] = value;
        QCOMPARE(fields(ReadGameData(f.ini)), want);
    }

    // A file edited by hand reads with its keys in any letter case and its
    // values brought into range; a save writes the values back clean, in
    // place, keeping the file's comments, own keys and line ends.
    void editedFile_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<GameData>("data");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("keys in other case, own lines, Shift-JIS, CR LF")
            << QByteArray("; \x83\x81\x83\x82\r\n[gamedata]\r\nlevelmax=4\r\nmaxscore2 = 88\r\n"
                          "Cheat=1\r\n\r\n[DUMMY]\r\ndummy=OK\r\n[Extra]\r\nx=y\r\n")
            << GameData{4, {0, 0, 88, 0, 0, 0}, false, true, true, true}
            << QByteArray("; \x83\x81\x83\x82\r\n[gamedata]\r\nLevelMax= 4\r\nMaxScore2= 88\r\n"
                          "Cheat=1\r\nMaxScore1= 0\r\nMaxScore3= 0\r\nMaxScore4= 0\r\n"
                          "MaxScore5= 0\r\nClearFlg=False\r\n\r\n[DUMMY]\r\nDummy=OK\r\n"
                          "[Extra]\r\nx=y\r\n[Option]\r\nSoundOn=True\r\nBGMOn=True\r\n"
                          "InfoOn=True\r\n");
        QTest::newRow("out of range")
            << fileText("0", {"-7", "250", "99999", "55abc", "1e3"}, "maybe", "2", "no", "FALSE")
            << GameData{1, {0, 0, 100, 0, 55, 1}, false, true, true, false}
            << fileText(" 1", {" 0", " 100", " 0", " 55", " 1"}, "False", "True", "True", "False");
        // The "OK" marker counts only in its own letter case; without it the
        // file holds nothing, and the next save makes it valid.
        const GameData stored{3, {0, 90, 0, 0, 0, 0}, false, false, true, true};
        const QByteArray text = fileText(" 3", {" 90"}, "False", "False", "True", "True");
        const QByteArray empty = fileText(" 1", {}, "False", "True", "True", "True");
        const auto marker = [&](const char* line) {
            return QByteArray(text).replace("Dummy=OK", line);
        };
        QTest::newRow("marker with blanks and quotes")
            << marker(" Dummy = \"OK\" ") << stored << text;
        QTest::newRow("lower-case marker") << marker("Dummy=ok") << GameData{} << empty;
        QTest::newRow("marker with trailing text") << marker("Dummy=OK!") << GameData{} << empty;
        QTest::newRow("no marker") << text.mid(17) << GameData{} << empty.mid(17) + empty.left(17);
    }
    void editedFile()
    {
        QFETCH(QByteArray, before);
        Folder f;
        QVERIFY(writeBytes(f.path(), before));
        const GameData read = ReadGameData(f.ini);
        QTEST(read, "data");
        QVERIFY(SaveGameData(f.ini, read));
        QTEST(f.text(), "after");
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
