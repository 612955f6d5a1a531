// The private-profile file itself: lookup, rewriting, where the file lies,
// failed and interrupted writes, and files of any content.
#include "common/clsCommon.h"
#include "settings/GameData.h"
#include "settings/INI.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
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

namespace
{

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray bytes(const char* text, qsizetype size)
{
    return QByteArray(text, size);
}

const QList<INI::Entry> kSome = {
    {"Dummy", "Dummy", "OK"},
    {"GameData", "LevelMax", " 4"},
    {"Option", "InfoOn", "False"},
};

} // namespace

class TestIni : public QObject
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
    void cleanup() { clsCommon::SetPathOverride({}); }

    void valueInText_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        const QByteArray file = "[GameData]\nLevelMax= 3\nClearFlg=False\n[Option]\nInfoOn=True\n";
        QTest::newRow("plain") << file << "GameData"
                               << "ClearFlg"
                               << "False";
        QTest::newRow("blanks dropped") << file << "GameData"
                                        << "LevelMax"
                                        << "3";
        QTest::newRow("names in any case") << file << "gAMEdATA"
                                           << "levelmax"
                                           << "3";
        QTest::newRow("missing key") << file << "GameData"
                                     << "InfoOn"
                                     << "";
        QTest::newRow("missing section") << file << "Dummy"
                                         << "Dummy"
                                         << "";
        QTest::newRow("blanks around names")
            << QByteArray(" [ Option ] \n\t InfoOn \t=\t False \t\n") << "Option"
            << "InfoOn"
            << "False";
        QTest::newRow("quoted") << QByteArray("[A]\nk=\" x \"\n") << "A"
                                << "k"
                                << " x ";
        QTest::newRow("comment is no key") << QByteArray("[A]\n;k=1\nk=2\n") << "A"
                                           << "k"
                                           << "2";
        QTest::newRow("key before any section") << QByteArray("k=1\n[A]\n") << "A"
                                                << "k"
                                                << "";
        QTest::newRow("first key wins") << QByteArray("[A]\nk=1\nk=2\n") << "A"
                                        << "k"
                                        << "1";
        QTest::newRow("only first section counts") << QByteArray("[A]\nx=1\n[B]\n[a]\nk=2\n") << "A"
                                                   << "k"
                                                   << "";
        QTest::newRow("CR LF") << QByteArray("[A]\r\nk=1\r\n") << "A"
                               << "k"
                               << "1";
        QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF[A]\nk=1\n") << "A"
                                         << "k"
                                         << "1";
        QTest::newRow("header without bracket") << QByteArray("[A\nk=1\n") << "A"
                                                << "k"
                                                << "1";
        QTest::newRow("cut at NUL") << bytes("[A]\nk=12\0"
                                             "34\n",
                                             12)
                                    << "A"
                                    << "k"
                                    << "12";
        QTest::newRow("cut to 199") << "[A]\nk=" + QByteArray(500, 'x') << "A"
                                    << "k" << QString(199, 'x');
        QTest::newRow("no half character at the cut")
            << "[A]\nk=" + QByteArray(198, 'x') + "\xF0\x9F\x8E\xB2"
            << "A"
            << "k" << QString(198, 'x');
        QTest::newRow("empty key name") << QByteArray("[A]\n=1\n") << "A"
                                        << ""
                                        << "";
    }
    void valueInText()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QTEST(INI::ValueInText(text, section, key), "value");
    }

    void textWithValues_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("new file") << QByteArray() << "A"
                                  << "k"
                                  << " 1" << QByteArray("[A]\nk= 1\n");
        QTest::newRow("changed in place")
            << QByteArray("; top\n[A]\nx=0\nk=old ; note\ny=2\n") << "A"
            << "k"
            << "new" << QByteArray("; top\n[A]\nx=0\nk=new\ny=2\n");
        QTest::newRow("key in other case") << QByteArray("[a]\n  K = 1\n") << "A"
                                           << "k"
                                           << "2" << QByteArray("[a]\nk=2\n");
        QTest::newRow("added after the last key")
            << QByteArray("[A]\nx=0\n\n; about B\n[B]\ny=1\n") << "A"
            << "k"
            << "1" << QByteArray("[A]\nx=0\nk=1\n\n; about B\n[B]\ny=1\n");
        QTest::newRow("added under a bare header") << QByteArray("[A]\n\n[B]\n") << "A"
                                                   << "k"
                                                   << "1" << QByteArray("[A]\nk=1\n\n[B]\n");
        QTest::newRow("new section at the end") << QByteArray("[A]\nx=0\n") << "B"
                                                << "k"
                                                << "1" << QByteArray("[A]\nx=0\n[B]\nk=1\n");
        QTest::newRow("no final line end") << QByteArray("[A]\nx=0") << "A"
                                           << "k"
                                           << "1" << QByteArray("[A]\nx=0\nk=1\n");
        QTest::newRow("CR LF stays CR LF") << QByteArray("[A]\r\nx=0\r\n") << "B"
                                           << "k"
                                           << "1" << QByteArray("[A]\r\nx=0\r\n[B]\r\nk=1\r\n");
        QTest::newRow("first of two sections") << QByteArray("[A]\nk=1\n[A]\nk=2\n") << "A"
                                               << "k"
                                               << "3" << QByteArray("[A]\nk=3\n[A]\nk=2\n");
        QTest::newRow("line breaks in a value become blanks")
            << QByteArray() << "A"
            << "k"
            << "1\n[B]\r\nx=2" << QByteArray("[A]\nk=1 [B]  x=2\n");
        QTest::newRow("byte order mark kept") << QByteArray("\xEF\xBB\xBF[A]\nk=1\n") << "A"
                                              << "k"
                                              << "2" << QByteArray("\xEF\xBB\xBF[A]\nk=2\n");
        QTest::newRow("Shift-JIS comment and unknown keys kept")
            << QByteArray(";\x83\x5B\x83\x80\x90\xDD\x92\xE8\n[A]\nmine=\x82\xA0\nk=1\n[Z]\nz=9\n")
            << "A"
            << "k"
            << "2"
            << QByteArray(";\x83\x5B\x83\x80\x90\xDD\x92\xE8\n[A]\nmine=\x82\xA0\nk=2\n[Z]\nz=9\n");
    }
    void textWithValues()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QTEST(INI::TextWithValues(before, {{section, key, value}}), "after");
    }

    void pathInProgramFolder_data()
    {
        QTest::addColumn<bool>("trailingSlash");
        QTest::newRow("folder") << false;
        QTest::newRow("folder ending with a slash") << true;
    }
    void pathInProgramFolder()
    {
        QFETCH(bool, trailingSlash);
        QTemporaryDir dir;
        clsCommon::SetPathOverride(dir.path() + (trailingSlash ? "/" : ""));
        INI ini;
        QCOMPARE(ini.FilePath(), QString());
        ini.SetIniFileName("zorbel.ini");
        QCOMPARE(ini.FilePath(), dir.path() + "/zorbel.ini");
        ini.PutIni("A", "k", "v");
        QCOMPARE(readBytes(dir.path() + "/zorbel.ini"), QByteArray("[A]\nk=v\n"));
        QCOMPARE(ini.GetIni("A", "k"), QString("v"));
    }

    void setIniFileNameAgain()
    {
        QTemporaryDir first, second;
        INI& ini = INI::instance();
        QCOMPARE(&ini, &INI::instance());
        clsCommon::SetPathOverride(first.path());
        ini.SetIniFileName("zorbel.ini");
        ini.PutIni("A", "k", "1");
        clsCommon::SetPathOverride(second.path());
        ini.SetIniFileName("zorbel.ini");
        QCOMPARE(ini.FilePath(), second.path() + "/zorbel.ini");
        QCOMPARE(ini.GetIni("A", "k"), QString());
        ini.PutIni("A", "k", "2");
        QCOMPARE(readBytes(first.path() + "/zorbel.ini"), QByteArray("[A]\nk=1\n"));
        QCOMPARE(readBytes(second.path() + "/zorbel.ini"), QByteArray("[A]\nk=2\n"));
    }

    // A folder nobody can write, not even root: a path running through a file.
    void unwritableFolderUsesConfigFolder()
    {
        QTemporaryDir dir;
        writeBytes(dir.filePath("file"), "x");
        clsCommon::SetPathOverride(dir.filePath("file/program"));
        INI ini;
        ini.SetIniFileName("zorbel.ini");
        const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
        QVERIFY(config.startsWith(m_config.path()));
        QCOMPARE(ini.FilePath(), config + "/zorbel.ini");
        QVERIFY(ini.PutIniAll(kSome));
        QCOMPARE(ini.GetIni("GameData", "LevelMax"), QString("4"));

        // The program's folder wins again as soon as it can be written.
        clsCommon::SetPathOverride(dir.path());
        ini.SetIniFileName("zorbel.ini");
        QCOMPARE(ini.FilePath(), dir.path() + "/zorbel.ini");
        QCOMPARE(ini.GetIni("GameData", "LevelMax"), QString());
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
        QTemporaryDir dir;
        const QString folder = dir.filePath("program");
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + "/zorbel.ini";
        const QByteArray old = "; mine\n[GameData]\nLevelMax= 2\n";
        clsCommon::SetPathOverride(folder);
        INI ini;
        ini.SetIniFileName("zorbel.ini");
        if (how == 0) {
            writeBytes(path, old);
            ini.SetWriteFailureForTesting(true);
        } else if (how == 1) {
            QVERIFY(QDir().mkpath(path));
        } else {
            QVERIFY(QDir(folder).removeRecursively());
        }
        // Reported once, however often the game tries again.
        const QRegularExpression warning("could not save the settings");
        QTest::ignoreMessage(QtWarningMsg, warning);
        QTest::failOnWarning(warning);
        QVERIFY(!ini.PutIniAll(kSome));
        ini.PutIni("Option", "SoundOn", "False");
        QVERIFY(!SaveGameData(ini, GameData{}));
        if (how == 0) {
            QCOMPARE(readBytes(path), old);
            QCOMPARE(ini.GetIni("GameData", "LevelMax"), QString("2"));
            ini.SetWriteFailureForTesting(false);
            QVERIFY(ini.PutIniAll(kSome));
            QCOMPARE(ini.GetIni("GameData", "LevelMax"), QString("4"));
        } else if (how == 1) {
            QVERIFY(QFileInfo(path).isDir());
            QCOMPARE(ini.GetIni("GameData", "LevelMax"), QString());
        } else {
            QVERIFY(!QFileInfo::exists(folder));
        }
        // Nothing is left behind beside the settings file.
        QDir listing(QFileInfo(path).absolutePath());
        QCOMPARE(listing.entryList(QDir::Files | QDir::Hidden).size(), how == 0 ? 1 : 0);
    }

    // Whatever the file holds, reading neither crashes nor hangs, the values
    // stay in range, and one save makes the file valid.
    void garbage_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<qint64>("size"); // a sparse file of this size instead
        QTest::addColumn<bool>("tooLarge");
        QRandomGenerator rng(4242);
        QByteArray random(64 * 1024, '\0');
        rng.fillRange(reinterpret_cast<quint32*>(random.data()), random.size() / 4);
        QByteArray nuls = "[Dummy]\nDummy=OK\n[GameData]\nLevelMax= 3\n";
        nuls.replace('\n', QByteArray("\0\n", 2));
        QTest::newRow("random bytes") << random << qint64(0) << false;
        QTest::newRow("NUL bytes") << nuls << qint64(0) << false;
        QTest::newRow("a line of a megabyte")
            << "[GameData]\nLevelMax=" + QByteArray(1000 * 1000, '7') << qint64(0) << false;
        QTest::newRow("a megabyte of brackets")
            << QByteArray(1000 * 1000, '[') << qint64(0) << false;
        QTest::newRow("lone CRs") << QByteArray("[Dummy]\rDummy=OK\r\r") << qint64(0) << false;
        QTest::newRow("invalid UTF-8")
            << QByteArray("[Dummy]\nDummy=OK\n[GameData]\nLevelMax=\xC3\x28\xFF\xFE 3\n")
            << qint64(0) << false;
        QTest::newRow("Shift-JIS comments")
            << QByteArray(";\x83\x5B\x83\x80\n[Dummy]\nDummy=OK\n;\x96\x7B\x94\xD4\n") << qint64(0)
            << false;
        QTest::newRow("just over a MiB")
            << "[Dummy]\nDummy=OK\n;" + QByteArray(INI::kMaxFileSize, 'x') << qint64(0) << true;
        QTest::newRow("50 MB") << QByteArray() << qint64(50) * 1000 * 1000 << true;
    }
    void garbage()
    {
        QFETCH(QByteArray, content);
        QFETCH(qint64, size);
        QFETCH(bool, tooLarge);
        QTemporaryDir dir;
        const QString path = dir.filePath("zorbel.ini");
        if (size > 0) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.write("[Dummy]\nDummy=OK\n") > 0);
            QVERIFY(f.resize(size));
        } else {
            writeBytes(path, content);
        }
        clsCommon::SetPathOverride(dir.path());
        INI ini;
        ini.SetIniFileName("zorbel.ini");

        const GameData read = ReadGameData(ini);
        QVERIFY(read.LevelMax >= 1 && read.LevelMax <= 5);
        for (int n = 1; n <= 5; ++n)
            QVERIFY(read.MaxScore[n] >= 0 && read.MaxScore[n] <= 100);
        if (tooLarge) {
            QCOMPARE(read, GameData{});
            QCOMPARE(ini.GetIni("Dummy", "Dummy"), QString());
            QCOMPARE(QFileInfo(path).size(), size > 0 ? size : content.size());
        }

        GameData saved;
        saved.LevelMax = 4;
        saved.MaxScore = {0, 90, 80, 70, 0, 0};
        saved.BGMOn = false;
        QVERIFY(SaveGameData(ini, saved));
        QCOMPARE(ReadGameData(ini), saved);
        if (tooLarge)
            QVERIFY(QFileInfo(path).size() < 1000);
    }

    void specialFilesAreNotRead()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("zorbel.ini");
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        clsCommon::SetPathOverride(dir.path());
        INI ini;
        ini.SetIniFileName("zorbel.ini");
        QCOMPARE(ini.GetIni("Dummy", "Dummy"), QString()); // would block on a pipe
        QVERIFY(ini.PutIniAll(kSome));
        QCOMPARE(ini.GetIni("GameData", "LevelMax"), QString("4"));
    }

    // A child saves two sets of values by turns until it is killed at a
    // random moment; the file must always hold one complete set.
    void killDuringSave()
    {
        QTemporaryDir dir;
        clsCommon::SetPathOverride(dir.path());
        INI ini;
        ini.SetIniFileName("zorbel.ini");
        GameData a;
        a.LevelMax = 2;
        a.MaxScore = {0, 81, 0, 0, 0, 0};
        a.InfoOn = false;
        GameData b;
        b.LevelMax = 5;
        b.MaxScore = {0, 99, 98, 97, 96, 95};
        b.ClearFlg = true;
        b.SoundOn = false;
        QVERIFY(SaveGameData(ini, b));
        const QByteArray textB = readBytes(ini.FilePath());
        QVERIFY(SaveGameData(ini, a));
        const QByteArray textA = readBytes(ini.FilePath());

        QRandomGenerator rng(1234);
        QElapsedTimer clock;
        clock.start();
        int runs = 0;
        int sawB = 0;
        // A few hundred kills; the clock only bounds a very slow machine.
        for (; runs < 300 && clock.elapsed() < 20000; ++runs) {
            int ready[2];
            QCOMPARE(::pipe(ready), 0);
            const pid_t pid = ::fork();
            QVERIFY(pid >= 0);
            if (pid == 0) {
                ::close(ready[0]);
                for (unsigned n = 0;; ++n) {
                    SaveGameData(ini, n % 2 == 0 ? b : a);
                    if (n == 0 && ::write(ready[1], "s", 1) != 1)
                        ::_exit(1);
                }
            }
            ::close(ready[1]);
            // Wait until the child has finished one save, so the kill lands
            // somewhere inside its loop.
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
            const QByteArray now = readBytes(ini.FilePath());
            if (now != textA && now != textB)
                QFAIL(qPrintable("after kill " + QString::number(runs) + " the file holds:\n" +
                                 QString::fromUtf8(now)));
            sawB += now == textB ? 1 : 0;
        }
        QVERIFY(runs >= 100);
        const GameData last = ReadGameData(ini);
        QVERIFY(last == a || last == b);
        const QStringList leftovers =
            QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
        qInfo("%d kills, %d left the second set, files in the folder: %s", runs, sawB,
              qPrintable(leftovers.join(", ")));
    }
};

QTEST_GUILESS_MAIN(TestIni)
#include "test_ini.moc"
