// With a sound device but no SoundFont: the music stays silent, reported
// once; the sound effects still play.
#include "audio/AudioDevice.h"
#include "audio/Sound.h"
#include "audio/clsBGMAPI.h"
#include "common/clsCommon.h"

#include <QTemporaryDir>
#include <QTest>

#include <SDL2/SDL_mixer.h>

using zorbel::clsBGMAPI;
using zorbel::Sound;
namespace audio = zorbel::audio;

class TestAudioNoSoundFont : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void musicSilentSoundsPlay();

private:
    QTemporaryDir m_empty;
};

void TestAudioNoSoundFont::initTestCase()
{
    // Real playback in real time, without a sound card.
    qputenv("SDL_AUDIODRIVER", "dummy");
    QVERIFY(m_empty.isValid());
    audio::setSoundFontDirs({m_empty.path()});
    zorbel::clsCommon::SetPathOverride(QStringLiteral(AUDIO_TEST_DATA));
    clsBGMAPI::instance().InitBGM();
    clsBGMAPI::instance().AddBGM(QStringLiteral("loop.mid"));
    clsBGMAPI::instance().AddBGM(QStringLiteral("once.mid"));
    Sound::instance().Add(QStringLiteral("beep1.wav"));
    Sound::instance().SoundOn = true;
}

void TestAudioNoSoundFont::musicSilentSoundsPlay()
{
    auto& bgm = clsBGMAPI::instance();
    auto& snd = Sound::instance();
    for (int i = 0; i < 3; ++i) {
        bgm.BGMPlay(static_cast<std::int16_t>(1 + i % 2), false);
        bgm.WaitForLoad();
        QVERIFY(bgm.GetBGMStopped());
        bgm.CalledByTimer();
        QVERIFY(!Mix_PlayingMusic());
        snd.PlayAsync(1, 0, 1, 0);
        QVERIFY(Mix_Playing(0) != 0);
    }
    QVERIFY(audio::isOpen());
    QVERIFY(!audio::midiAvailable());
    QCOMPARE(audio::warnings().size(), 1);
    QVERIFY(audio::warnings().first().contains(QStringLiteral("SoundFont")));

    bgm.Shutdown();
    QVERIFY(audio::isOpen()); // the sounds still hold the device
    snd.Shutdown();
    QVERIFY(!audio::isOpen());
}

QTEST_GUILESS_MAIN(TestAudioNoSoundFont)
#include "test_audio_nosoundfont.moc"
