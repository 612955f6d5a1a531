// Start-up with the game's files missing, one after another and all at
// once, then a full round: the game plays on, silent where it must be.
// Built twice: once with the dummy audio device, once with an audio driver
// that does not exist (SOAK_NO_AUDIO_DEVICE), as on a machine without sound.
#include "SoakSupport.h"
#include "ui/GameDriver.h"

#include "audio/AudioDevice.h"
#include "effects/MessageBoard.h"
#include "effects/TextFlash.h"
#include "effects/WaitingIndicator.h"

#include <QDesktopServices>
#include <QLabel>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QUrl>

using namespace zorbel;
using namespace zorbel::testing;

namespace
{

const QString kHelpError = QStringLiteral("Zorbel|ヘルプファイルを開けません。");

#ifdef SOAK_NO_AUDIO_DEVICE
constexpr bool kDevice = false;
#else
constexpr bool kDevice = true;
#endif

// Closes the audio device so that the next sound or tune opens it afresh
// (and looks for the SoundFont again).
void closeAudio()
{
    clsBGMAPI::instance().Shutdown();
    Sound::instance().Shutdown();
}

bool warned(const QString& about)
{
    for (const QString& line : audio::warnings())
        if (line.contains(about))
            return true;
    return false;
}

} // namespace

class TestSoakAssets : public QObject
{
    Q_OBJECT
public slots:
    // Stands in for the desktop's browser.
    void openUrl(const QUrl& url) { opened_.append(url); }

private slots:
    void initTestCase()
    {
        QVERIFY(prog_.isValid());
        QVERIFY(noSoundFonts_.isValid());
        // Help pages go to the test, never to a real browser.
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "openUrl");
        if (!kDevice)
            QCOMPARE(qgetenv("SDL_AUDIODRIVER"), QByteArray("zorbel-no-such-driver"));
    }

    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

    void startAndPlay_data()
    {
        QTest::addColumn<QStringList>("missing");
        QTest::addColumn<bool>("noSoundFont");
        QTest::newRow("all present") << QStringList() << false;
        for (const QString& f : soak::kWaveFiles)
            QTest::newRow(qPrintable(f)) << QStringList{f} << false;
        for (const QString& f : soak::kTuneFiles)
            QTest::newRow(qPrintable(f)) << QStringList{f} << false;
        QTest::newRow("SoundFont") << QStringList() << true;
        QTest::newRow("html") << QStringList{"html"} << false;
        QTest::newRow("everything")
            << (soak::kWaveFiles + soak::kTuneFiles + QStringList{"html"}) << true;
    }

    void startAndPlay()
    {
        QFETCH(QStringList, missing);
        QFETCH(bool, noSoundFont);

        // The program folder: the real files from the build, less the
        // missing ones, and no settings file.
        const QString programDir = QStringLiteral(ZORBEL_PROGRAM_DIR);
        for (const QString& f : soak::kWaveFiles + soak::kTuneFiles + QStringList{"html"}) {
            const QString to = prog_.filePath(f);
            QDir(to).removeRecursively();
            QFile::remove(to);
            if (!missing.contains(f))
                QVERIFY2(soak::copyTree(programDir + "/" + f, to), qPrintable(f));
        }
        QFile::remove(prog_.filePath("zorbel.ini"));

        if (noSoundFont) {
            closeAudio();
            audio::setSoundFontDirs({noSoundFonts_.path()});
        }
        auto restoreSoundFont = qScopeGuard([noSoundFont] {
            if (noSoundFont) {
                closeAudio();
                audio::setSoundFontDirs({});
            }
        });

        // A fresh start-up in that folder. Every sound is read afresh.
        Sound::instance().RemoveAll();
        opened_.clear();
        GameDriver g(false);
        clsCommon::SetPathOverride(prog_.path());
        frmMain& w = *g.w;
        w.Form_Load();
        w.show();
        QVERIFY(w.isVisible());
        clsBGMAPI& bgm = clsBGMAPI::instance();
        bgm.WaitForLoad();
        w.tmrBGMLoop_Timer();
        QCOMPARE(bgm.CurrentTrack(), std::int16_t(7));

        // Help: the page, or the one error the player ever sees.
        w.cmdTitleHelp->click();
        if (missing.contains("html")) {
            QCOMPARE(g.prompts, QStringList{kHelpError});
            QVERIFY(opened_.isEmpty());
        } else {
            QVERIFY(g.prompts.isEmpty());
            QCOMPARE(opened_.size(), 1);
            QVERIFY(opened_[0].toLocalFile().endsWith("/html/index.htm"));
        }
        g.prompts.clear();

        // Practice with the demonstration.
        w.cmdTitlePractice->click();
        bgm.WaitForLoad();
        w.tmrBGMLoop_Timer();
        w.cmdEx->click();
        g.finishResult();
        QCOMPARE(w.lblScore->text().size(), 3);
        w.cmdRetire->click();

        // A real round passed, the next one failed.
        w.cmdTitleTry->click();
        while (w.banner->isRunning())
            w.banner->timMB_Timer();
        w.waiting->timSCAction_Timer();
        bgm.WaitForLoad();
        w.tmrBGMLoop_Timer();
        g.playRound(passingSequence(30));
        while (w.flash->isRunning())
            w.flash->timTextFlash_Timer();
        QCOMPARE(w.cmdTry->text(), QString("NextStage"));
        w.cmdTry->click();
        while (w.banner->isRunning())
            w.banner->timMB_Timer();
        bgm.WaitForLoad();
        w.tmrBGMLoop_Timer();
        g.playRound("012345678901234567890123456789");
        QCOMPARE(w.cmdTry->text(), QString("Retry"));
        w.cmdRetire->click();
        QVERIFY(w.picMain->isHidden());
        QVERIFY(g.prompts.isEmpty());

        // Every tune in turn, the ending's once only, then the menu's again.
        for (int n = 1; n <= 8; ++n) {
            bgm.BGMPlay(static_cast<std::int16_t>(n), n == 8);
            bgm.WaitForLoad();
            bgm.CalledByTimer();
            QCOMPARE(bgm.CurrentTrack(), std::int16_t(n));
        }
        bgm.BGMPlay(7, false);
        bgm.WaitForLoad();
        w.tmrBGMLoop_Timer();

        // Every sound was asked for; the game's bookkeeping went on.
        for (int n = 1; n <= 4; ++n)
            QVERIFY2(g.sounds.contains(n), qPrintable(QString("sound %1").arg(n)));
        QCOMPARE(int(w.Zorb.MaxScore[1]) >= 80, true);

        // What could not play was said on standard error, once.
        QCOMPARE(audio::isOpen(), kDevice);
        if (kDevice) {
            QCOMPARE(audio::midiAvailable(),
                     !noSoundFont &&
                         !audio::findSoundFont(audio::defaultSoundFontDirs()).isEmpty());
            for (const QString& f : missing) {
                if (soak::kWaveFiles.contains(f) ||
                    (soak::kTuneFiles.contains(f) && audio::midiAvailable()))
                    QVERIFY2(warned(prog_.filePath(f)), qPrintable(f));
            }
        } else {
            QVERIFY(warned(QStringLiteral("sounds and music are off")));
        }

        // Closing saves the progress in full.
        w.close();
        QFile ini(prog_.filePath("zorbel.ini"));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray text = ini.readAll();
        QVERIFY(text.contains("Dummy=OK"));
        QVERIFY(text.contains("LevelMax= 1"));
        QCOMPARE(text.count('='), 11);
    }

private:
    QTemporaryDir prog_;
    QTemporaryDir noSoundFonts_;
    QList<QUrl> opened_;
};

QTEST_MAIN(TestSoakAssets)
#include "test_soak_assets.moc"
