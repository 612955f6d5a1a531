// The whole game over a long run and in a hostile setting: hundreds of
// rounds must leave nothing behind, and the real program must close and
// keep the player's progress whatever its files and streams are like.
#include "ui/Fakes.h"

#include <QPixmapCache>
#include <QProcess>
#include <QScopeGuard>

#include <csignal>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zorbel;
using namespace zorbel::testing;

namespace
{

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// True once the process has its own handler for `sig`.
bool catches(qint64 pid, int sig)
{
    for (const QByteArray& line : readAll(QStringLiteral("/proc/%1/status").arg(pid)).split('\n'))
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (sig - 1)) & 1;
    return false;
}

const QStringList kShipped = {"zorbel",  "fanfale1.wav", "buzzer1.wav", "drums2.wav", "pi2.wav",
                              "rg1.mid", "rg2.mid",      "rg3.mid",     "rg4.mid",    "rg5.mid",
                              "rg7.mid", "rg8.mid",      "rg9.mid",     "html"};

} // namespace

class TestSoak : public QObject
{
    Q_OBJECT
private slots:
    void roundsLeaveNothingBehind()
    {
        // Qt's own pixmap cache is bounded by its limit; off, so that it
        // neither hides nor mimics growth of the game's own.
        QPixmapCache::setCacheLimit(0);
        Game g;
        // Hidden, as the old soak ran it: painting the random scores fills
        // the font engine's glyph cache slowly for thousands of rounds.
        g.w->hide();
        RoundFlow* flow = g.flow();
        auto button = [&g](const char* name) { return g.button(name); };
        auto fill = [&g](const QString& digits) {
            for (int i = 0; i < digits.size(); ++i)
                if (g.cell(i)->isEnabled())
                    g.cell(i)->setText(digits.mid(i, 1));
        };
        auto count = [&g] { g.finish(); };
        auto round = [&](int kind) {
            switch (kind) {
            case 0: // practice: the demonstration, then typed and scored
                button("cmdTitlePractice")->click();
                button("cmdEx")->click();
                count();
                fill(QString(30, '7'));
                button("cmdChk")->click();
                count();
                button("cmdRetire")->click();
                break;
            case 1: // FIRST stage passed, the SECOND given up half typed
                button("cmdTitleTry")->click();
                fill("314159265358979323846264338327");
                button("cmdChk")->click();
                count();
                button("cmdTry")->click();
                fill("31415");
                button("cmdRetire")->click();
                break;
            default: // failed, Retry, then left during the result's count
                button("cmdTitleTry")->click();
                fill(QString(30, '0'));
                button("cmdChk")->click();
                count();
                button("cmdTry")->click();
                button("cmdTry")->click();
                fill(QString(30, '5'));
                button("cmdChk")->click();
                flow->timResult_Timer();
                button("cmdRetire")->click();
                break;
            }
            QCoreApplication::processEvents(); // posted events, deferred deletes
            // What the fakes recorded (their lists keep their capacity).
            g.sound.played.clear();
            g.music.tracks.clear();
            g.prompter.asked.clear();
        };
        for (int i = 0; i < 30; ++i) // warm up every cache
            round(i % 3);
        const auto objects = g.w->findChildren<QObject*>().size();
        const auto heap = mallinfo2().uordblks;
        for (int i = 0; i < 300; ++i)
            round(i % 3);
        QCOMPARE(g.w->findChildren<QObject*>().size(), objects);
        QVERIFY(!flow->Counting());
        // A leak of a hundred bytes a round shows above the allocator's wobble.
        QVERIFY2(mallinfo2().uordblks < heap + 30000,
                 qPrintable(QString::number(qint64(mallinfo2().uordblks - heap))));
    }

    // The real program in a folder of its own, with saved progress; closed
    // by a signal it must save that progress and end normally.
    void program_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<int>("cutTune"); // bytes the menu tune is cut to, 0: whole, -1: a pipe
        QTest::addColumn<QByteArray>("folder");
        QTest::addColumn<int>("sig");
        QTest::addColumn<bool>("duringSplash");
        QTest::addColumn<bool>("stderrClosed");
        QTest::newRow("SIGTERM during the splash")
            << kShipped << 0 << QByteArray("game") << int(SIGTERM) << true << false;
        QTest::newRow("SIGINT during the splash")
            << kShipped << 0 << QByteArray("game") << int(SIGINT) << true << false;
        QTest::newRow("SIGHUP during the splash")
            << kShipped << 0 << QByteArray("game") << int(SIGHUP) << true << false;
        QTest::newRow("SIGTERM on the menu")
            << kShipped << 0 << QByteArray("game") << int(SIGTERM) << false << false;
        QTest::newRow("nothing shipped, stderr closed")
            << QStringList{"zorbel"} << 0 << QByteArray("game") << int(SIGTERM) << false << true;
        QTest::newRow("menu tune cut at 2400 bytes")
            << kShipped << 2400 << QByteArray("game") << int(SIGTERM) << false << false;
        QTest::newRow("menu tune cut at 100 bytes")
            << kShipped << 100 << QByteArray("game") << int(SIGTERM) << false << false;
        QTest::newRow("menu tune a named pipe")
            << kShipped << -1 << QByteArray("game") << int(SIGTERM) << false << false;
        QTest::newRow("folder name not UTF-8")
            << kShipped << 0 << QByteArray("g\xff\xfe") << int(SIGTERM) << false << false;
    }

    void program()
    {
        QFETCH(QStringList, files);
        QFETCH(int, cutTune);
        QFETCH(QByteArray, folder);
        QFETCH(int, sig);
        QFETCH(bool, duringSplash);
        QFETCH(bool, stderrClosed);
        QTemporaryDir top;
        const QString dir = top.path() + "/" + QFile::decodeName(folder);
        QVERIFY(QDir().mkpath(dir));
        QStringList cp{"-R"};
        for (const QString& f : files)
            cp << QStringLiteral(ZORBEL_PROGRAM_DIR "/") + f;
        QCOMPARE(QProcess::execute("cp", cp << dir), 0);
        const QString tune = dir + "/rg8.mid";
        if (cutTune > 0)
            QVERIFY(QFile::resize(tune, cutTune));
        if (cutTune < 0) // nobody writes to it
            QVERIFY(QFile::remove(tune) && ::mkfifo(QFile::encodeName(tune), 0600) == 0);
        const QString ini = dir + "/zorbel.ini";
        QFile f(ini);
        QVERIFY(f.open(QIODevice::WriteOnly) &&
                f.write("[Dummy]\nDummy=OK\n[GameData]\nLevelMax=3\nMaxScore2=85\n") > 0);
        f.close();

        int pipeFds[2] = {-1, -1};
        QVERIFY(::pipe(pipeFds) == 0);
        ::close(pipeFds[0]); // nobody reads the game's messages
        QProcess p;
        auto stop = qScopeGuard([&] {
            ::close(pipeFds[1]);
            p.kill();
            p.waitForFinished();
        });
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", top.filePath("config"));
        p.setProcessEnvironment(env);
        if (stderrClosed)
            p.setChildProcessModifier([&pipeFds] { ::dup2(pipeFds[1], 2); });
        p.start(QFile::decodeName(QFile::encodeName(dir) + "/zorbel"), {});
        QVERIFY2(p.waitForStarted(10000), qPrintable(p.errorString()));
        if (duringSplash) {
            QVERIFY(QTest::qWaitFor([&p] { return catches(p.processId(), SIGTERM); }, 20000));
        } else {
            // Start-up ends, after the splash, by saving; the file is then
            // taken away so that only a save on the way out brings it back.
            QVERIFY(QTest::qWaitFor([&] { return readAll(ini).count('=') == 11; }, 30000));
            QTest::qWait(300); // the menu tune is loading or playing
            QVERIFY(QFile::remove(ini));
        }
        ::kill(static_cast<pid_t>(p.processId()), sig);
        QVERIFY2(p.waitForFinished(10000), "the game still runs 10 s after the signal");
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        const QByteArray text = readAll(ini);
        QCOMPARE(INI::ValueInText(text, "GameData", "LevelMax"), QString("3"));
        QCOMPARE(INI::ValueInText(text, "GameData", "MaxScore2"), QString("85"));
        QCOMPARE(text.count('='), 11);
        QVERIFY(!QFile::exists(top.filePath("config")));
    }
};

QTEST_MAIN(TestSoak)
#include "test_soak.moc"
