// The game's progress and options in zorbel.ini: the eleven keys, their
// text forms, how they read back and how edited values are taken.
#include "common/clsCommon.h"
#include "settings/GameData.h"
#include "settings/INI.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace zorbel;

Q_DECLARE_METATYPE(zorbel::GameData)

namespace
{

GameData make(int levelMax, std::array<std::int16_t, 6> scores, bool clear, bool sound, bool bgm,
              bool info)
{
    GameData d;
    d.LevelMax = std::int16_t(levelMax);
    d.MaxScore = scores;
    d.ClearFlg = clear;
    d.SoundOn = sound;
    d.BGMOn = bgm;
    d.InfoOn = info;
    return d;
}

// The file as a save writes it from scratch.
QByteArray fileText(const QByteArray& marker, const QByteArray& levelMax,
                    const QList<QByteArray>& scores, const QByteArray& clear,
                    const QByteArray& sound, const QByteArray& bgm, const QByteArray& info)
{
    QByteArray t = "[Dummy]\n" + marker + "\n[GameData]\nLevelMax=" + levelMax + "\n";
    for (int n = 0; n < 5; ++n)
        t += "MaxScore" + QByteArray::number(n + 1) + "=" + scores.value(n) + "\n";
    return t + "ClearFlg=" + clear + "\n[Option]\nSoundOn=" + sound + "\nBGMOn=" + bgm +
           "\nInfoOn=" + info + "\n";
}

const QByteArray kDefaultText =
    fileText("Dummy=OK", " 1", {" 0", " 0", " 0", " 0", " 0"}, "False", "True", "True", "True");

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A settings file in a fresh folder that is the program's folder.
struct Folder {
    QTemporaryDir dir;
    INI ini;
    explicit Folder(const QByteArray* content = nullptr)
    {
        if (content) {
            QFile f(dir.filePath("zorbel.ini"));
            if (f.open(QIODevice::WriteOnly))
                f.write(*content);
        }
        clsCommon::SetPathOverride(dir.path());
        ini.SetIniFileName("zorbel.ini");
    }
    ~Folder() { clsCommon::SetPathOverride({}); }
    QByteArray text() const { return readBytes(ini.FilePath()); }
};

} // namespace

class TestGameData : public QObject
{
    Q_OBJECT
private slots:
    void firstRunInEmptyFolder()
    {
        Folder f;
        QCOMPARE(ReadGameData(f.ini), GameData{});
        QVERIFY(SaveGameData(f.ini, ReadGameData(f.ini)));
        QCOMPARE(f.text(), kDefaultText);
        QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"zorbel.ini"});
    }

    void wholeFile_data()
    {
        QTest::addColumn<GameData>("data");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("defaults") << GameData{} << kDefaultText;
        QTest::newRow("after some play")
            << make(3, {0, 92, 85, 0, 0, 0}, false, true, true, false)
            << fileText("Dummy=OK", " 3", {" 92", " 85", " 0", " 0", " 0"}, "False", "True", "True",
                        "False");
        QTest::newRow("completed, all off")
            << make(5, {0, 100, 99, 98, 97, 96}, true, false, false, false)
            << fileText("Dummy=OK", " 5", {" 100", " 99", " 98", " 97", " 96"}, "True", "False",
                        "False", "False");
        QTest::newRow("negative in memory") // never made by the game; sign column shown
            << make(-1, {0, -5, 0, 0, 0, 0}, false, true, true, true)
            << fileText("Dummy=OK", "-1", {"-5", " 0", " 0", " 0", " 0"}, "False", "True", "True",
                        "True");
    }
    void wholeFile()
    {
        QFETCH(GameData, data);
        Folder f;
        QVERIFY(SaveGameData(f.ini, data));
        QTEST(f.text(), "text");
        // A second save over it changes nothing.
        QVERIFY(SaveGameData(f.ini, data));
        QTEST(f.text(), "text");
    }

    void roundTrip_data()
    {
        QTest::addColumn<GameData>("data");
        QTest::newRow("defaults") << GameData{};
        QTest::newRow("level 2") << make(2, {0, 81, 0, 0, 0, 0}, false, true, false, true);
        QTest::newRow("level 4") << make(4, {0, 0, 100, 80, 0, 0}, false, false, true, true);
        QTest::newRow("all done") << make(5, {0, 100, 100, 100, 100, 100}, true, true, true, false);
        QTest::newRow("all off") << make(1, {0, 0, 0, 0, 0, 0}, true, false, false, false);
    }
    void roundTrip()
    {
        QFETCH(GameData, data);
        Folder f;
        QVERIFY(SaveGameData(f.ini, make(3, {0, 1, 2, 3, 4, 5}, true, false, true, false)));
        QVERIFY(SaveGameData(f.ini, data));
        QCOMPARE(ReadGameData(f.ini), data);
    }

    void marker_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("valid");
        QTest::newRow("OK") << QByteArray("Dummy=OK") << true;
        QTest::newRow("blanks around") << QByteArray("Dummy = OK ") << true;
        QTest::newRow("quoted") << QByteArray("Dummy=\"OK\"") << true;
        QTest::newRow("key in capitals") << QByteArray("DUMMY=OK") << true;
        QTest::newRow("small letters") << QByteArray("Dummy=ok") << false;
        QTest::newRow("oK") << QByteArray("Dummy=oK") << false;
        QTest::newRow("trailing text") << QByteArray("Dummy=OK!") << false;
        QTest::newRow("missing") << QByteArray("; no marker") << false;
    }
    void marker()
    {
        QFETCH(QByteArray, line);
        QFETCH(bool, valid);
        const GameData stored = make(3, {0, 90, 0, 0, 0, 0}, false, false, true, true);
        const QByteArray content =
            fileText(line, " 3", {" 90", " 0", " 0", " 0", " 0"}, "False", "False", "True", "True");
        Folder f(&content);
        const GameData read = ReadGameData(f.ini);
        QCOMPARE(read, valid ? stored : GameData{});
        // The next save makes the file valid, with the marker in place.
        QVERIFY(SaveGameData(f.ini, read));
        QCOMPARE(ReadGameData(f.ini), read);
        QVERIFY(f.text().startsWith("[Dummy]\nDummy=OK\n"));
    }

    void levelMax_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("level");
        QTest::newRow("sign column") << QByteArray(" 3") << 3;
        QTest::newRow("no blank") << QByteArray("3") << 3;
        QTest::newRow("blanks around") << QByteArray(" 3 ") << 3;
        QTest::newRow("trailing text") << QByteArray("3abc") << 3;
        QTest::newRow("2.5 to even") << QByteArray("2.5") << 2;
        QTest::newRow("3.5 to even") << QByteArray("3.5") << 4;
        QTest::newRow("4.5 to even") << QByteArray("4.5") << 4;
        QTest::newRow("just over a half") << QByteArray("2.5000001") << 3;
        QTest::newRow("just under a half") << QByteArray("3.4999") << 3;
        QTest::newRow("empty reads 0, clamped") << QByteArray("") << 1;
        QTest::newRow("words read 0, clamped") << QByteArray("three") << 1;
        QTest::newRow("0 clamped") << QByteArray("0") << 1;
        QTest::newRow("negative clamped") << QByteArray("-2") << 1;
        QTest::newRow("9 clamped") << QByteArray("9") << 5;
        QTest::newRow("16-bit top clamped") << QByteArray("32767") << 5;
        QTest::newRow("beyond 16 bits: default") << QByteArray("32768") << 1;
        QTest::newRow("rounds beyond 16 bits") << QByteArray("32767.5") << 1;
        QTest::newRow("far beyond: default") << QByteArray("99999999999999999999999") << 1;
        QTest::newRow("full-width digit") << QByteArray("\xEF\xBC\x93") << 1;
    }
    void levelMax()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, level);
        const QByteArray content = fileText("Dummy=OK", text, {" 1", " 2", " 3", " 4", " 5"},
                                            "False", "True", "True", "True");
        Folder f(&content);
        const GameData read = ReadGameData(f.ini);
        QCOMPARE(int(read.LevelMax), level);
        QCOMPARE(read.MaxScore, (std::array<std::int16_t, 6>{0, 1, 2, 3, 4, 5}));
    }

    void maxScore_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("score");
        QTest::newRow("plain") << QByteArray(" 92") << 92;
        QTest::newRow("half to even, down") << QByteArray("84.5") << 84;
        QTest::newRow("half to even, up") << QByteArray("85.5") << 86;
        QTest::newRow("above 100 clamped") << QByteArray("150") << 100;
        QTest::newRow("rounds above 100") << QByteArray("100.5") << 100;
        QTest::newRow("negative clamped") << QByteArray("-3") << 0;
        QTest::newRow("beyond 16 bits: default") << QByteArray("70000") << 0;
        QTest::newRow("missing number") << QByteArray("x") << 0;
    }
    void maxScore()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, score);
        const QByteArray content = fileText("Dummy=OK", " 2", {" 7", " 8", text, " 9", " 10"},
                                            "False", "True", "True", "True");
        Folder f(&content);
        const GameData read = ReadGameData(f.ini);
        QCOMPARE(read.MaxScore, (std::array<std::int16_t, 6>{0, 7, 8, std::int16_t(score), 9, 10}));
        QCOMPARE(int(read.LevelMax), 2);
    }

    void flag_data()
    {
        QTest::addColumn<int>("which"); // 0 ClearFlg, 1 SoundOn, 2 BGMOn, 3 InfoOn
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("value");
        QTest::newRow("True") << 3 << QByteArray("True") << true;
        QTest::newRow("False") << 3 << QByteArray("False") << false;
        QTest::newRow("TRUE") << 0 << QByteArray("TRUE") << true;
        QTest::newRow("fAlSe") << 1 << QByteArray("fAlSe") << false;
        QTest::newRow("blanks around") << 2 << QByteArray("  False  ") << false;
        QTest::newRow("-1") << 0 << QByteArray("-1") << true;
        QTest::newRow("0") << 1 << QByteArray("0") << false;
        QTest::newRow("0.1 is not zero") << 0 << QByteArray("0.1") << true;
        QTest::newRow("huge number") << 0 << QByteArray("123456789012345678901") << true;
        QTest::newRow("word: default true") << 1 << QByteArray("yes") << true;
        QTest::newRow("word: default false") << 0 << QByteArray("yes") << false;
        QTest::newRow("number and text: default") << 0 << QByteArray("1abc") << false;
        QTest::newRow("empty: default false") << 0 << QByteArray("") << false;
    }
    void flag()
    {
        QFETCH(int, which);
        QFETCH(QByteArray, text);
        QFETCH(bool, value);
        QList<QByteArray> flags = {"False", "True", "True", "True"};
        flags[which] = text;
        const QByteArray content =
            fileText("Dummy=OK", " 1", {}, flags[0], flags[1], flags[2], flags[3]);
        Folder f(&content);
        const GameData read = ReadGameData(f.ini);
        std::array<bool, 4> got = {read.ClearFlg, read.SoundOn, read.BGMOn, read.InfoOn};
        std::array<bool, 4> want = {false, true, true, true};
        want[which] = value;
        QCOMPARE(got, want);
    }

    // With the marker there, a missing number reads as 0 (then clamped) and a
    // missing flag takes its default.
    void markerOnly()
    {
        const QByteArray content = "[Dummy]\nDummy=OK\n";
        Folder f(&content);
        QCOMPARE(ReadGameData(f.ini), GameData{});
    }

    // Keys in other letter case are read, and a save changes them in place
    // while comments and keys of its own survive.
    void editedFileKeepsItsLines()
    {
        const QByteArray content = "; my notes\r\n[gamedata]\r\nlevelmax=4\r\nmaxscore2 = 88\r\n"
                                   "Cheat=1\r\n\r\n[DUMMY]\r\ndummy=OK\r\n[Extra]\r\nx=y\r\n";
        Folder f(&content);
        GameData d = ReadGameData(f.ini);
        QCOMPARE(d, make(4, {0, 0, 88, 0, 0, 0}, false, true, true, true));
        d.MaxScore[1] = 70;
        QVERIFY(SaveGameData(f.ini, d));
        QCOMPARE(f.text(),
                 QByteArray("; my notes\r\n[gamedata]\r\nLevelMax= 4\r\nMaxScore2= 88\r\n"
                            "Cheat=1\r\nMaxScore1= 70\r\nMaxScore3= 0\r\nMaxScore4= 0\r\n"
                            "MaxScore5= 0\r\nClearFlg=False\r\n\r\n[DUMMY]\r\nDummy=OK\r\n"
                            "[Extra]\r\nx=y\r\n[Option]\r\nSoundOn=True\r\nBGMOn=True\r\n"
                            "InfoOn=True\r\n"));
        QCOMPARE(ReadGameData(f.ini), d);
    }

    void outOfRangeWrittenBackClean()
    {
        const QByteArray content = fileText("Dummy=OK", "0", {"-7", "250", "99999", "55abc", "1e3"},
                                            "maybe", "2", "no", "FALSE");
        Folder f(&content);
        const GameData read = ReadGameData(f.ini);
        QCOMPARE(read, make(1, {0, 0, 100, 0, 55, 1}, false, true, true, false));
        QVERIFY(SaveGameData(f.ini, read));
        QCOMPARE(f.text(), fileText("Dummy=OK", " 1", {" 0", " 100", " 0", " 55", " 1"}, "False",
                                    "True", "True", "False"));
    }

    void failedSaveChangesNothing()
    {
        const GameData old = make(2, {0, 85, 0, 0, 0, 0}, false, true, false, true);
        Folder f;
        QVERIFY(SaveGameData(f.ini, old));
        const QByteArray before = f.text();
        GameData now = make(3, {0, 85, 90, 0, 0, 0}, false, true, false, true);
        const GameData copy = now;
        f.ini.SetWriteFailureForTesting(true);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("could not save the settings"));
        QVERIFY(!SaveGameData(f.ini, now));
        QCOMPARE(f.text(), before);
        QCOMPARE(ReadGameData(f.ini), old);
        QCOMPARE(now, copy);
        f.ini.SetWriteFailureForTesting(false);
        QVERIFY(SaveGameData(f.ini, now));
        QCOMPARE(ReadGameData(f.ini), now);
    }
};

QTEST_GUILESS_MAIN(TestGameData)
#include "test_gamedata.moc"
