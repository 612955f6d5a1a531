// Without an audio device, or with one but no SoundFont: no crash, the music
// stays silent and the cause is reported once, however often it is met.
// Built twice: with NO_DEVICE=1 (SDL has no such driver, as on a machine
// without sound) and with NO_DEVICE=0 (the SoundFont search finds nothing;
// the sound effects still play).
#include "audio/AudioDevice.h"
#include "audio/Sound.h"
#include "audio/clsBGMAPI.h"
#include "common/clsCommon.h"

#include <QTemporaryDir>
#include <QTest>

#include <SDL2/SDL_mixer.h>

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
        zorbel::clsCommon::SetPathOverride(QStringLiteral(AUDIO_TEST_DATA));
        zorbel::clsBGMAPI bgm;
        zorbel::Sound snd;
        bgm.InitBGM();
        bgm.AddBGM(QStringLiteral("loop.mid"));
        bgm.AddBGM(QStringLiteral("once.mid"));
        snd.Add(QStringLiteral("beep1.wav"));
        snd.SoundOn = true;
        for (int i = 0; i < 3; ++i) {
            bgm.BGMPlay(qint16(1 + i % 2), i % 2);
            bgm.WaitForLoad();
            bgm.CalledByTimer();
            snd.PlayAsync(1, 0, 1, 0);
            QVERIFY(bgm.GetBGMStopped() && audio::isOpen() != kNoDevice);
            QVERIFY(kNoDevice || (!Mix_PlayingMusic() && Mix_Playing(0)));
        }
        const QStringList warnings = audio::warnings();
        QCOMPARE(warnings.size(), 1);
        QVERIFY2(warnings.first().startsWith(kNoDevice ? "zorbel: no audio device"
                                                       : "zorbel: no General MIDI SoundFont"),
                 qPrintable(warnings.first()));
        for (int i = 0; i < 2; ++i) {
            bgm.Shutdown();
            snd.Shutdown();
        }
        QVERIFY(!audio::isOpen() && bgm.GetBGMStopped());
    }
};

QTEST_GUILESS_MAIN(TestAudioDegraded)
#include "test_audio_degraded.moc"
