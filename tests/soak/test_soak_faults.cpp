// Faults around the game: its files missing, no audio device, a program
// folder it may not write to, and SIGTERM, SIGINT or SIGHUP (a logout, a
// service manager, Ctrl+C), which must close it like the close box.
#include "ui/GameDriver.h"

#include "audio/AudioDevice.h"
#include "effects/MessageBoard.h"
#include "effects/TextFlash.h"
#include "effects/WaitingIndicator.h"
#include "settings/INI.h"
#include "ui/SignalCloser.h"

#include <QDesktopServices>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QUrl>

#include <csignal>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zorbel;
using namespace zorbel::testing;

namespace
{

// What the game reads from its folder: sounds, tunes, the help page.
const QStringList kShipped = {"fanfale1.wav", "buzzer1.wav", "drums2.wav", "pi2.wav", "rg1.mid",
                              "rg2.mid",      "rg3.mid",     "rg4.mid",    "rg5.mid", "rg7.mid",
                              "rg8.mid",      "rg9.mid",     "html"};

bool copyFromBuild(const QStringList& names, const QString& toDir)
{
    QStringList args{"-R"};
    for (const QString& f : names)
        args << QStringLiteral(ZORBEL_PROGRAM_DIR "/") + f;
    return QProcess::execute("cp", args << toDir) == 0;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString value(const QByteArray& ini, const char* key)
{
    return INI::ValueInText(ini, "GameData", key);
}

// True once the process has its own handler for `sig`.
bool catches(qint64 pid, int sig)
{
    for (const QByteArray& line : readAll(QStringLiteral("/proc/%1/status").arg(pid)).split('\n'))
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (sig - 1)) & 1;
    return false;
}

bool setMode(const QString& path, mode_t mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

} // namespace

class TestSoakFaults : public QObject
{
    Q_OBJECT
public slots:
    void openUrl(const QUrl& url) { opened_.append(url); } // stands in for the browser

private slots:
    void initTestCase()
    {
        QDesktopServices::setUrlHandler("file", this, "openUrl");
        QCoreApplication::setApplicationName("zorbel"); // names the configuration folder
    }

    void cleanupTestCase() { QDesktopServices::unsetUrlHandler("file"); }

    // Start-up with files missing, one after another and all at once, or
    // in a program folder the player may not write to (an installed copy),
    // then a full round. Run again with an audio driver that does not exist.
    void startAndPlay_data()
    {
        QTest::addColumn<QStringList>("missing");
        QTest::addColumn<bool>("noSoundFont");
        QTest::addColumn<int>("folder"); // writable, read-only, read-only with no config folder
        QTest::newRow("all present") << QStringList() << false << 0;
        for (const QString& f : kShipped)
            QTest::newRow(qPrintable(f)) << QStringList{f} << false << 0;
        QTest::newRow("SoundFont") << QStringList() << true << 0;
        QTest::newRow("everything") << kShipped << true << 0;
        QTest::newRow("read-only folder") << QStringList() << false << 1;
        QTest::newRow("read-only folder, nowhere to save") << QStringList() << false << 2;
    }

    void startAndPlay()
    {
        QFETCH(QStringList, missing);
        QFETCH(bool, noSoundFont);
        QFETCH(int, folder);
        // Closing the audio makes the next sound or tune open it afresh and
        // look for the SoundFont again.
        clsBGMAPI& bgm = clsBGMAPI::instance();
        QTemporaryDir noSoundFonts;
        auto useSoundFonts = [&bgm](const QStringList& dirs) {
            bgm.Shutdown();
            Sound::instance().Shutdown();
            audio::setSoundFontDirs(dirs);
        };
        if (noSoundFont)
            useSoundFonts({noSoundFonts.path()});
        auto restore = qScopeGuard([&] {
            if (noSoundFont)
                useSoundFonts({});
        });

        // One program folder for every row: the music keeps the tunes'
        // paths from its first start-up.
        QVERIFY(QDir(prog_.path()).removeRecursively() && QDir().mkpath(prog_.path()));
        const QStringList present = QSet(kShipped.begin(), kShipped.end())
                                        .subtract(QSet(missing.begin(), missing.end()))
                                        .values();
        QVERIFY(present.isEmpty() || copyFromBuild(present, prog_.path()));
        QTemporaryDir config;
        const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        Sound::instance().RemoveAll();
        opened_.clear();
        GameDriver g(false);
        clsCommon::SetPathOverride(prog_.path());
        frmMain& w = *g.w;
        QVERIFY(setMode(prog_.path(), folder ? 0555 : 0755));
        QVERIFY(setMode(config.path(), folder == 2 ? 0555 : 0777));
        auto restoreModes = qScopeGuard([&] {
            setMode(prog_.path(), 0755);
            setMode(config.path(), 0755);
            oldConfig.isNull() ? qunsetenv("XDG_CONFIG_HOME")
                               : qputenv("XDG_CONFIG_HOME", oldConfig);
        });
        const QRegularExpression warning("could not save the settings");
        if (folder == 2)
            QTest::ignoreMessage(QtWarningMsg, warning);
        QTest::failOnWarning(warning); // said once, not at every return to the menu
        // Root writes through any permission bits: the game runs as an
        // unprivileged user meanwhile, and the saved user id comes back.
        const bool root = folder && ::getuid() == 0;
        const passwd* nobody = ::getpwnam("nobody");
        if (root && (!nobody || ::setresuid(nobody->pw_uid, nobody->pw_uid, 0) != 0))
            QSKIP("running as root and cannot switch to an unprivileged user");
        auto backToRoot = qScopeGuard([root] {
            if (root) [[maybe_unused]]
                int rc = ::setresuid(0, 0, 0);
        });
        auto settle = [&] {
            while (w.banner->isRunning())
                w.banner->timMB_Timer();
            bgm.WaitForLoad();
            w.tmrBGMLoop_Timer();
        };
        w.Form_Load();
        w.show();
        settle();
        QCOMPARE(bgm.CurrentTrack(), std::int16_t(7));

        // Help: the page, or the one error the player ever sees.
        w.cmdTitleHelp->click();
        const bool help = !missing.contains("html");
        QCOMPARE(g.prompts,
                 help ? QStringList() : QStringList{"Zorbel|ヘルプファイルを開けません。"});
        QCOMPARE(opened_.size(), help ? 1 : 0);
        QVERIFY(!help || opened_[0].toLocalFile().endsWith("/html/index.htm"));
        g.prompts.clear();

        // Practice with the demonstration; a real round passed, the next
        // one failed.
        w.cmdTitlePractice->click();
        settle();
        w.cmdEx->click();
        g.finishResult();
        w.cmdRetire->click();
        w.cmdTitleTry->click();
        settle();
        w.waiting->timSCAction_Timer();
        g.playRound(passingSequence(30));
        while (w.flash->isRunning())
            w.flash->timTextFlash_Timer();
        QCOMPARE(w.cmdTry->text(), QString("NextStage"));
        w.cmdTry->click();
        settle();
        g.playRound(kScore71);
        QCOMPARE(w.cmdTry->text(), QString("Retry"));
        w.cmdRetire->click();
        QVERIFY(w.picMain->isHidden() && g.prompts.isEmpty());
        QCOMPARE_GE(int(w.Zorb.MaxScore[1]), 80); // kept though perhaps not saved

        // Every tune in turn, the ending's once only, then the menu's again.
        for (int n = 1; n <= 8; ++n) {
            bgm.BGMPlay(static_cast<std::int16_t>(n), n == 8);
            bgm.WaitForLoad();
            bgm.CalledByTimer();
            QCOMPARE(bgm.CurrentTrack(), std::int16_t(n));
        }
        bgm.BGMPlay(7, false);
        settle();
        for (int n = 1; n <= 4; ++n)
            QVERIFY2(g.sounds.contains(n), qPrintable(QString("sound %1").arg(n)));

        // The row ran as meant: with or without a device, with or without MIDI.
        QCOMPARE(audio::isOpen(), qgetenv("SDL_AUDIODRIVER") == "dummy");
        QVERIFY(!noSoundFont || !audio::midiAvailable());

        // The progress lives on in memory; closing saves it in full where it
        // can: the program folder, else the configuration folder.
        const QString best = QString::number(w.Zorb.MaxScore[1]);
        w.close();
        const QByteArray text =
            readAll(folder ? config.path() + "/zorbel/zorbel.ini" : prog_.filePath("zorbel.ini"));
        QCOMPARE(value(text, "MaxScore1"), folder == 2 ? QString() : best);
        QCOMPARE(text.count('='), folder == 2 ? 0 : 11);
        QVERIFY(!folder || !QFile::exists(prog_.filePath("zorbel.ini")));
    }

    // The real program with every shipped file and saved progress.
    void signalToProgram_data()
    {
        QTest::addColumn<int>("sig");
        QTest::addColumn<bool>("duringSplash");
        QTest::newRow("SIGTERM during the splash") << int(SIGTERM) << true;
        QTest::newRow("SIGINT during the splash") << int(SIGINT) << true;
        QTest::newRow("SIGHUP during the splash") << int(SIGHUP) << true;
        QTest::newRow("SIGTERM on the title menu") << int(SIGTERM) << false;
    }

    void signalToProgram()
    {
        QFETCH(int, sig);
        QFETCH(bool, duringSplash);
        QTemporaryDir dir;
        const QString ini = dir.filePath("zorbel.ini");
        QVERIFY(copyFromBuild(kShipped + QStringList{"zorbel"}, dir.path()));
        // Written without the blanks the game puts before numbers, so that
        // the game's own rewrite shows.
        const QByteArray saved = "[Dummy]\nDummy=OK\n[GameData]\nLevelMax=3\nMaxScore2=85\n";
        QFile f(ini);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(saved) > 0);
        f.close();

        QProcess p;
        auto stop = qScopeGuard([&p] {
            if (p.state() != QProcess::NotRunning) {
                p.kill();
                p.waitForFinished();
            }
        });
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(dir.filePath("zorbel"), {});
        QVERIFY2(p.waitForStarted(10000), qPrintable(p.errorString()));

        if (duringSplash) {
            // The game's handler is in place just before the splash shows,
            // before the saved progress is read.
            QVERIFY(QTest::qWaitFor([&p] { return catches(p.processId(), SIGTERM); }, 20000));
        } else {
            // Start-up ends, after the splash, by saving; the file is then
            // taken away so that only a save on the way out brings it back.
            QVERIFY(QTest::qWaitFor([&] { return readAll(ini).count('=') == 11; }, 20000));
            QVERIFY(QFile::remove(ini));
        }
        ::kill(static_cast<pid_t>(p.processId()), sig);
        QVERIFY2(p.waitForFinished(5000), "the game still runs 5 s after the signal");
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        const QByteArray text = readAll(ini);
        QCOMPARE(value(text, "LevelMax"), QString("3"));
        QCOMPARE(value(text, "MaxScore2"), QString("85"));
        QCOMPARE(text.count('='), 11);
        QVERIFY(!QFile::exists(dir.filePath("config")));
    }

    // In this process, in the middle of a round whose progress (the best
    // score of the stage just passed) is not saved yet.
    void signalDuringRound_data()
    {
        QTest::addColumn<int>("sig");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }

    void signalDuringRound()
    {
        QFETCH(int, sig);
        GameDriver g(true, "[Dummy]\nDummy=OK\n[Option]\nBGMOn=False\n");
        frmMain& w = *g.w;
        new SignalCloser(&w); // as the program sets it up; the window owns it
        w.cmdTitleTry->click();
        g.playRound(passingSequence(30));
        const int best = w.Zorb.MaxScore[1];
        QCOMPARE_GE(best, 80);
        w.cmdTry->click(); // the SECOND stage, half typed
        g.typeBoard("1234567", 2);
        QCOMPARE(value(g.iniText().toUtf8(), "MaxScore1"), QString("0"));

        ::raise(sig);
        QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 5000);
        QCOMPARE(value(g.iniText().toUtf8(), "MaxScore1"), QString::number(best));
        QCOMPARE(g.iniText().count('='), 11);
    }

private:
    QList<QUrl> opened_;
    QTemporaryDir prog_;
};

QTEST_MAIN(TestSoakFaults)
#include "test_soak_faults.moc"
