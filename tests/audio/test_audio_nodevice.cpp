// With no audio device at all: everything stays silent, the game goes on,
// and the cause is reported once.
#include "audio/AudioDevice.h"
#include "audio/Sound.h"
#include "audio/clsBGMAPI.h"
#include "common/clsCommon.h"

#include <QTest>

using zorbel::clsBGMAPI;
using zorbel::Sound;
namespace audio = zorbel::audio;

class TestAudioNoDevice : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void silentAndWarnedOnce();
    void shutdownWithoutDevice();
};

void TestAudioNoDevice::initTestCase()
{
    // SDL has no driver of that name, as on a machine without sound.
    qputenv("SDL_AUDIODRIVER", "none");
    zorbel::clsCommon::SetPathOverride(QStringLiteral(AUDIO_TEST_DATA));
    clsBGMAPI::instance().InitBGM();
    clsBGMAPI::instance().AddBGM(QStringLiteral("loop.mid"));
    clsBGMAPI::instance().AddBGM(QStringLiteral("once.mid"));
    Sound::instance().Add(QStringLiteral("beep1.wav"));
    Sound::instance().SoundOn = true;
}

void TestAudioNoDevice::silentAndWarnedOnce()
{
    auto& bgm = clsBGMAPI::instance();
    auto& snd = Sound::instance();
    int starts = 0;
    bgm.playHook = [&starts](int) { ++starts; };
    int sounds = 0;
    snd.playHook = [&sounds](int) { ++sounds; };

    for (int i = 0; i < 3; ++i) {
        bgm.BGMPlay(1, false);
        bgm.WaitForLoad();
        // Nothing is open, so the poll sees "stopped" and does nothing.
        QVERIFY(bgm.GetBGMStopped());
        bgm.CalledByTimer();
        QCOMPARE(bgm.CurrentTrack(), std::int16_t(1));
        bgm.BGMPlay(2, true);
        QCOMPARE(bgm.CurrentTrack(), std::int16_t(2));
        bgm.BGMStop();
        snd.PlayAsync(1, 0, 1, 0);
        snd.StopSound();
    }
    // The requests still count as made, for the game's own bookkeeping.
    QCOMPARE(starts, 6);
    QCOMPARE(sounds, 3);
    QVERIFY(!audio::isOpen());
    QCOMPARE(audio::warnings().size(), 1);
    QVERIFY(audio::warnings().first().startsWith(QStringLiteral("zorbel: no audio device")));
    bgm.playHook = nullptr;
    snd.playHook = nullptr;
}

void TestAudioNoDevice::shutdownWithoutDevice()
{
    for (int i = 0; i < 2; ++i) {
        Sound::instance().Shutdown();
        clsBGMAPI::instance().Shutdown();
    }
    QVERIFY(clsBGMAPI::instance().GetBGMStopped());
    QCOMPARE(audio::warnings().size(), 1);
}

QTEST_GUILESS_MAIN(TestAudioNoDevice)
#include "test_audio_nodevice.moc"
