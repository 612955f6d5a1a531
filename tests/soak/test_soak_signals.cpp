// The real program killed the polite way (SIGTERM, SIGINT, SIGHUP, as a
// logout or a service manager does): it closes like the close box, saves
// the settings file in full, and exits normally.
#include "SoakSupport.h"
#include "ui/GameDriver.h"

#include "settings/GameData.h"
#include "settings/INI.h"
#include "ui/SignalCloser.h"

#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>

using namespace zorbel;
using namespace zorbel::testing;

namespace
{

const QString kGame = QStringLiteral(ZORBEL_PROGRAM_DIR "/zorbel");

// Saved progress in the file's format, but written without the blanks the
// game puts before numbers, so that the game's own rewrite shows.
const QByteArray kSavedProgress = "[Dummy]\nDummy=OK\n[GameData]\nLevelMax=3\nMaxScore1=90\n"
                                  "MaxScore2=85\nMaxScore3=0\nMaxScore4=0\nMaxScore5=0\n"
                                  "ClearFlg=False\n[Option]\nSoundOn=True\nBGMOn=True\n"
                                  "InfoOn=False\n";

GameData savedProgress()
{
    GameData d;
    d.LevelMax = 3;
    d.MaxScore[1] = 90;
    d.MaxScore[2] = 85;
    d.InfoOn = false;
    return d;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The inode of a file: the game replaces the file as a whole, so a new
// inode means a new save.
ino_t inodeOf(const QString& path)
{
    struct stat st = {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// True once the process has its own handler for signal `sig`.
bool catches(qint64 pid, int sig)
{
    const QByteArray status = readAll(QStringLiteral("/proc/%1/status").arg(pid));
    for (const QByteArray& line : status.split('\n')) {
        if (line.startsWith("SigCgt:")) {
            bool ok = false;
            const qulonglong mask = line.mid(7).trimmed().toULongLong(&ok, 16);
            return ok && (mask >> (sig - 1)) & 1;
        }
    }
    return false;
}

// Every key the game keeps, with the values of `expected` (as read back:
// the blank before a number is part of the format, not of the value).
QString differences(const QByteArray& text, const GameData& expected)
{
    QStringList wrong;
    for (const INI::Entry& e : GameDataEntries(expected)) {
        const QString value = INI::ValueInText(text, e.section, e.key);
        if (value != e.value.trimmed())
            wrong << QStringLiteral("%1/%2=%3 (expected %4)")
                         .arg(e.section, e.key, value, e.value.trimmed());
    }
    return wrong.join(QStringLiteral("; "));
}

} // namespace

class TestSoakSignals : public QObject
{
    Q_OBJECT

    // A program folder with the game in it, the shipped files if asked for,
    // and a settings file if given; the game started from there.
    void start(QProcess& p, const QTemporaryDir& dir, bool withAssets, const QByteArray& ini)
    {
        QVERIFY(dir.isValid());
        const QString exe = dir.filePath(QStringLiteral("zorbel"));
        QVERIFY(QFile::copy(kGame, exe));
        if (withAssets) {
            for (const QString& f : soak::kWaveFiles + soak::kTuneFiles + QStringList{"html"})
                QVERIFY(
                    soak::copyTree(QStringLiteral(ZORBEL_PROGRAM_DIR "/") + f, dir.filePath(f)));
        }
        if (!ini.isEmpty()) {
            QFile f(dir.filePath(QStringLiteral("zorbel.ini")));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(ini);
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(dir.path());
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(exe, {});
        QVERIFY2(p.waitForStarted(10000), qPrintable(p.errorString()));
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(kGame).isExecutable(), qPrintable(kGame + " is not built"));
    }

    void signalOnTitleMenu_data()
    {
        QTest::addColumn<int>("sig");
        QTest::addColumn<bool>("withAssets");
        QTest::addColumn<bool>("withProgress");
        QTest::newRow("SIGTERM") << int(SIGTERM) << false << false;
        QTest::newRow("SIGINT") << int(SIGINT) << false << false;
        QTest::newRow("SIGHUP") << int(SIGHUP) << false << false;
        QTest::newRow("SIGTERM, saved progress and every file") << int(SIGTERM) << true << true;
    }

    void signalOnTitleMenu()
    {
        QFETCH(int, sig);
        QFETCH(bool, withAssets);
        QFETCH(bool, withProgress);

        QTemporaryDir dir;
        QProcess p;
        auto stop = qScopeGuard([&p] {
            if (p.state() != QProcess::NotRunning) {
                p.kill();
                p.waitForFinished();
            }
        });
        start(p, dir, withAssets, withProgress ? kSavedProgress : QByteArray());
        if (QTest::currentTestFailed())
            return;

        // Start-up ends by writing the settings file (after the splash).
        const QString ini = dir.filePath(QStringLiteral("zorbel.ini"));
        QVERIFY2(QTest::qWaitFor(
                     [&] {
                         const QByteArray text = readAll(ini);
                         return !text.isEmpty() && text != kSavedProgress;
                     },
                     20000),
                 "the game did not write its settings file at start-up");
        const ino_t startupSave = inodeOf(ini);

        if (sig == SIGTERM)
            p.terminate();
        else
            ::kill(static_cast<pid_t>(p.processId()), sig);
        QVERIFY2(p.waitForFinished(10000), "the game did not end");
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);

        // Saved again on the way out, whole.
        QVERIFY(inodeOf(ini) != startupSave);
        const QByteArray text = readAll(ini);
        QCOMPARE(text.count('='), 11);
        QCOMPARE(differences(text, withProgress ? savedProgress() : GameData{}), QString());
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("config"))));
    }

    // The same within this process, in the middle of a round whose
    // progress (the best score of the stage just passed) is not saved yet.
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
        GameDriver g(true, soak::iniWith(1, false));
        frmMain& w = *g.w;
        new SignalCloser(&w); // as the program sets it up; the window owns it
        w.cmdTitleTry->click();
        g.playRound(passingSequence(30));
        const int best = w.Zorb.MaxScore[1];
        QVERIFY(best >= 80);
        w.cmdTry->click(); // the SECOND stage, half typed
        g.typeBoard("1234567", 2);
        QCOMPARE(INI::ValueInText(g.iniText().toUtf8(), "GameData", "MaxScore1"), QString("0"));

        ::raise(sig);
        QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 5000);
        QCOMPARE(INI::ValueInText(g.iniText().toUtf8(), "GameData", "MaxScore1"),
                 QString::number(best));
        QCOMPARE(g.iniText().count('='), 11);
    }

    // A signal in the first second, while the splash is up and before the
    // saved progress has been read.
    void signalDuringSplash()
    {
        QTemporaryDir dir;
        QProcess p;
        auto stop = qScopeGuard([&p] {
            if (p.state() != QProcess::NotRunning) {
                p.kill();
                p.waitForFinished();
            }
        });
        start(p, dir, false, kSavedProgress);
        if (QTest::currentTestFailed())
            return;
        // The game's own handler is in place just before the splash shows.
        QVERIFY(QTest::qWaitFor([&p] { return catches(p.processId(), SIGTERM); }, 20000));
        p.terminate();
        const bool ended = p.waitForFinished(5000);
        const QByteArray text = readAll(dir.filePath(QStringLiteral("zorbel.ini")));

        QCOMPARE(differences(text, savedProgress()), QString());
        QVERIFY2(ended, "the game still runs 5 s after SIGTERM");
    }
};

QTEST_MAIN(TestSoakSignals)
#include "test_soak_signals.moc"
