// A program folder the player may not write to (an installed copy), and a
// settings file that cannot be written at all: the game plays on, keeps
// its progress in memory, and saves it wherever it still can.
#include "SoakSupport.h"
#include "ui/GameDriver.h"

#include "settings/INI.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zorbel;
using namespace zorbel::testing;

namespace
{

// Counts the warnings about an unsaved settings file.
int g_saveWarnings = 0;
QtMessageHandler g_previousHandler = nullptr;

void countSaveWarnings(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtWarningMsg && text.contains(QLatin1String("could not save the settings")))
        ++g_saveWarnings;
    if (g_previousHandler)
        g_previousHandler(type, context, text);
}

// Root writes through any permission bits, and the game asks access(2),
// which answers for the real user. So under root the game is run as the
// unprivileged user for a while; the saved user id lets the test come back.
class UnprivilegedSpell
{
public:
    UnprivilegedSpell()
    {
        if (::getuid() != 0)
            return;
        const passwd* pw = ::getpwnam("nobody");
        const uid_t nobody = pw ? pw->pw_uid : 65534;
        active_ = ::setresuid(nobody, nobody, 0) == 0;
    }
    ~UnprivilegedSpell()
    {
        if (active_) [[maybe_unused]]
            int rc = ::setresuid(0, 0, 0);
    }
    // True when the folders' permission bits now bind the game.
    bool bound() const { return ::getuid() != 0; }

private:
    bool active_ = false;
};

} // namespace

class TestSoakReadOnly : public QObject
{
    Q_OBJECT

    // Clears level 1 in the real game and goes on to level 2, which
    // returns to the menu (and tries to save).
    void clearLevelOne(GameDriver& g)
    {
        frmMain& w = *g.w;
        QCOMPARE(int(w.Level), 1);
        w.cmdTitleTry->click();
        g.passLevel();
        QCOMPARE(w.cmdTry->text(), QString("Go to Level2"));
        w.cmdTry->click();
        QCOMPARE(int(w.Zorb.LevelMax), 2);
        QCOMPARE(int(w.Level), 2);
        QVERIFY(w.picMain->isHidden());
    }

private slots:
    void initTestCase()
    {
        // The configuration folder is named after the program, as in the
        // real game.
        QCoreApplication::setApplicationName(QStringLiteral("zorbel"));
        g_previousHandler = qInstallMessageHandler(countSaveWarnings);
    }

    void cleanupTestCase() { qInstallMessageHandler(g_previousHandler); }

    void readOnlyProgramFolder_data()
    {
        QTest::addColumn<bool>("configWritable");
        QTest::newRow("settings go to the configuration folder") << true;
        QTest::newRow("nowhere to save") << false;
    }

    void readOnlyProgramFolder()
    {
        QFETCH(bool, configWritable);

        QTemporaryDir config;
        QVERIFY(config.isValid());
        const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        auto restoreEnv = qScopeGuard([oldConfig] {
            if (oldConfig.isNull())
                qunsetenv("XDG_CONFIG_HOME");
            else
                qputenv("XDG_CONFIG_HOME", oldConfig);
        });

        GameDriver g(false);
        frmMain& w = *g.w;
        const QString prog = g.dir.path();
        // Readable by all, writable by nobody; the configuration folder is
        // open to all or closed to all.
        QVERIFY(::chmod(QFile::encodeName(prog).constData(), 0555) == 0);
        QVERIFY(::chmod(QFile::encodeName(config.path()).constData(),
                        configWritable ? 0777 : 0555) == 0);
        auto restoreModes = qScopeGuard([&] {
            ::chmod(QFile::encodeName(prog).constData(), 0755);
            ::chmod(QFile::encodeName(config.path()).constData(), 0755);
        });

        const int warningsBefore = g_saveWarnings;
        {
            UnprivilegedSpell spell;
            if (!spell.bound())
                QSKIP("running as root and cannot switch to an unprivileged user, so permission "
                      "bits do not stop writes and the read-only folder cannot be tested");

            w.Form_Load();
            w.show();
            const QString expected = config.path() + QStringLiteral("/zorbel/zorbel.ini");
            QCOMPARE(INI::instance().FilePath(), expected);

            clearLevelOne(g);
            // Progress lives on in memory: the title offers level 2 and a
            // round there plays.
            QCOMPARE(w.lblTitleLevel->text(), QString("2"));
            w.cmdTitleTry->click();
            g.playRound(passingSequence(40));
            QCOMPARE(w.cmdTry->text(), QString("NextStage"));
            w.cmdRetire->click();
            QCOMPARE(int(w.Zorb.LevelMax), 2);
            QVERIFY(w.Zorb.MaxScore[2] >= 80);
            w.close();

            QVERIFY(!QFile::exists(g.iniPath()));
            if (configWritable) {
                QFile ini(expected);
                QVERIFY(ini.open(QIODevice::ReadOnly));
                const QByteArray text = ini.readAll();
                QVERIFY(text.contains("Dummy=OK"));
                QVERIFY(text.contains("LevelMax= 2"));
                QCOMPARE(text.count('='), 11);
                QCOMPARE(g_saveWarnings, warningsBefore);
            } else {
                QVERIFY(!QFile::exists(expected));
                // Said once, not at every return to the menu.
                QCOMPARE(g_saveWarnings, warningsBefore + 1);
            }
        }
    }

    // The settings file cannot be replaced (a full disk, a file the player
    // locked): the progress made meanwhile is kept and saved at the next
    // chance.
    void progressSurvivesFailedSaves()
    {
        GameDriver g(true, soak::iniWith(1, false));
        frmMain& w = *g.w;
        const QString before = g.iniText();
        const int warningsBefore = g_saveWarnings;
        INI::instance().SetWriteFailureForTesting(true);
        auto restore = qScopeGuard([] { INI::instance().SetWriteFailureForTesting(false); });

        clearLevelOne(g);
        QCOMPARE(g.iniText(), before); // the old file stands, whole
        QCOMPARE(w.lblTitleLevel->text(), QString("2"));
        w.cmdTitlePractice->click();
        w.cmdRetire->click();
        QCOMPARE(g.iniText(), before);
        QCOMPARE(g_saveWarnings, warningsBefore + 1);

        INI::instance().SetWriteFailureForTesting(false);
        w.close();
        QVERIFY(g.iniText().contains("LevelMax= 2"));
        QVERIFY(g.iniText().contains("ClearFlg=False"));
    }
};

QTEST_MAIN(TestSoakReadOnly)
#include "test_soak_readonly.moc"
