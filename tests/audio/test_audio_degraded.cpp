// Without an audio device (NO_DEVICE=1: SDL has no such driver), or with one
// but no SoundFont (NO_DEVICE=0): no crash, the music stays silent, the sounds
// play when there is a device, and the cause is reported once, however often
// it is met. SDL leaves SIGINT and SIGTERM to the program, which closes its
// window and saves on them.
#include "audio/AudioDevice.h"
#include "audio/Sound.h"
#include "audio/clsBGMAPI.h"

#include <QTemporaryDir>
#include <QTest>

#include <SDL2/SDL_mixer.h>
#include <csignal>

namespace audio = zorbel::audio;

class TestAudioDegraded : public QObject
{
    Q_OBJECT
private slots:
    void silentAndWarnedOnce()
    {
        constexpr bool kNoDevice = NO_DEVICE;
        qputenv("SDL_AUDIODRIVER", kNoDevice ? "none" : "dummy");
        QTemporaryDir empty;
        audio::setSoundFontDirs({empty.path()});
        zorbel::clsBGMAPI bgm(QStringLiteral(ZORBEL_PROGRAM_DIR "/"));
        zorbel::Sound snd(QStringLiteral(ZORBEL_PROGRAM_DIR "/"));
        bgm.InitBGM();
        bgm.AddBGM("rg8.mid");
        bgm.AddBGM("rg9.mid");
        snd.Add("pi2.wav");
        snd.SoundOn = true;
        struct sigaction plain = {}, saved[2] = {}, after[2] = {}; // the test framework has its own
        for (int i = 0; i < 2; ++i)
            QCOMPARE(sigaction(i ? SIGTERM : SIGINT, &plain, &saved[i]), 0); // plain: SIG_DFL
        for (int i = 0; i < 3; ++i) {
            bgm.BGMPlay(qint16(1 + i % 2), i % 2);
            bgm.WaitForLoad();
            bgm.CalledByTimer();
            snd.PlayAsync(1, 0, 1, 0);
            QVERIFY(bgm.GetBGMStopped() && audio::isOpen() != kNoDevice);
            QVERIFY(kNoDevice || (!Mix_PlayingMusic() && Mix_Playing(0)));
        }
        for (int i = 0; i < 2; ++i)
            QVERIFY(sigaction(i ? SIGTERM : SIGINT, &saved[i], &after[i]) == 0 && after[i].sa_handler == SIG_DFL);
        const QStringList warnings = audio::warnings();
        QCOMPARE(warnings.size(), 1);
        QVERIFY2(warnings.first().startsWith(kNoDevice ? "zorbel: no audio device" : "zorbel: no General MIDI SoundFont"),
                 qPrintable(warnings.first()));
        for (int i = 0; i < 2; ++i)
            bgm.Shutdown(), snd.Shutdown();
        QVERIFY(!audio::isOpen() && bgm.GetBGMStopped());
    }
};

QTEST_GUILESS_MAIN(TestAudioDegraded)
#include "test_audio_degraded.moc"
