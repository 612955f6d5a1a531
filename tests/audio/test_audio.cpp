// Sound effects and background music on SDL's dummy audio driver: real
// playback in real time, without a sound card.
#include "audio/AudioDevice.h"
#include "audio/MidiLength.h"
#include "audio/Sound.h"
#include "audio/clsBGMAPI.h"
#include "common/clsCommon.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <csignal>

using zorbel::clsBGMAPI;
using zorbel::Sound;
namespace audio = zorbel::audio;

namespace
{

// Track numbers as registered in initTestCase.
constexpr std::int16_t kOnce = 1;    // once.mid, 1 s
constexpr std::int16_t kLoop = 2;    // loop.mid, 1 s
constexpr std::int16_t kMissing = 3; // no such file
constexpr std::int16_t kBroken = 4;  // not a MIDI file
constexpr std::int16_t kCut = 5;     // a MIDI header and nothing else
constexpr double kTuneSeconds = 1.0;

// Sound numbers.
constexpr std::int16_t kBeep1 = 1;
constexpr std::int16_t kBeep2 = 2;
constexpr std::int16_t kNoWav = 3;
constexpr std::int16_t kBadWav = 4;

QString dataDir()
{
    return QStringLiteral(AUDIO_TEST_DATA);
}

// The main window's poll, run every 75 ms for the given time.
void pollFor(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        clsBGMAPI::instance().GetBGMStopped();
        clsBGMAPI::instance().CalledByTimer();
        QTest::qWait(75);
    }
}

int warningsAbout(const QString& text)
{
    int n = 0;
    for (const QString& line : audio::warnings())
        n += line.contains(text) ? 1 : 0;
    return n;
}

} // namespace

class TestAudio : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void soundFontSearch_data();
    void soundFontSearch();
    void midiLength_data();
    void midiLength();

    void soundOffReachesNothing_data();
    void soundOffReachesNothing();
    void soundRequests_data();
    void soundRequests();
    void soundLoadedOnce();
    void soundBadFiles_data();
    void soundBadFiles();
    void removeAllForgetsSounds();

    void onceOnlyStopsAtItsEnd();
    void loopingKeepsPlaying();
    void startsWithoutWaitingForThePoll();
    void sameTrackChangesNothing();
    void stopThenPlayStartsAgain();
    void switchTakesEffectAtNextPlay();
    void mixerStopHandledByPoll_data();
    void mixerStopHandledByPoll();
    void stopForgetsLoop();
    void unregisteredNumbersIgnored_data();
    void unregisteredNumbersIgnored();
    void badTrackFiles_data();
    void badTrackFiles();

    void shutdownInAnyOrder_data();
    void shutdownInAnyOrder();
    void signalsLeftToTheProgram_data();
    void signalsLeftToTheProgram();

private:
    int m_trackStarts = 0;
    int m_soundRequests = 0;
};

void TestAudio::initTestCase()
{
    // Real playback in real time, without a sound card.
    qputenv("SDL_AUDIODRIVER", "dummy");
    QFile broken(dataDir() + QStringLiteral("/broken.mid"));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("this is not a MIDI file at all\n");
    broken.close();
    QFile cut(dataDir() + QStringLiteral("/cut.mid"));
    QVERIFY(cut.open(QIODevice::WriteOnly));
    cut.write(QByteArray::fromHex("4d546864000000060001000101e0")); // header only
    cut.close();
    QFile badWav(dataDir() + QStringLiteral("/broken.wav"));
    QVERIFY(badWav.open(QIODevice::WriteOnly));
    badWav.write("RIFF....WAVEnonsense");
    badWav.close();

    zorbel::clsCommon::SetPathOverride(dataDir());
    auto& bgm = clsBGMAPI::instance();
    bgm.InitBGM();
    for (const char* name : {"once.mid", "loop.mid", "missing.mid", "broken.mid", "cut.mid"})
        bgm.AddBGM(QString::fromLatin1(name));
    auto& snd = Sound::instance();
    for (const char* name : {"beep1.wav", "beep2.wav", "missing.wav", "broken.wav"})
        snd.Add(QString::fromLatin1(name));
    zorbel::clsCommon::SetPathOverride(QString());
}

void TestAudio::init()
{
    m_trackStarts = 0;
    m_soundRequests = 0;
    clsBGMAPI::instance().BGMOnOff(true);
    clsBGMAPI::instance().playHook = [this](int) { ++m_trackStarts; };
    Sound::instance().SoundOn = true;
    Sound::instance().playHook = [this](int) { ++m_soundRequests; };
}

void TestAudio::cleanup()
{
    clsBGMAPI::instance().playHook = nullptr;
    Sound::instance().playHook = nullptr;
    clsBGMAPI::instance().BGMStop();
    Sound::instance().StopSound();
}

// ------------------------------------------------------------ SoundFont

// Each entry of the layout is a folder/name path, made as a file, or as a
// dangling link when it ends in "@", or as a folder when it ends in "/".
void TestAudio::soundFontSearch_data()
{
    QTest::addColumn<QStringList>("layout");
    QTest::addColumn<QString>("expected");

    QTest::newRow("TimGM6mb before default-GM")
        << QStringList{"sf2/default-GM.sf2", "sf2/TimGM6mb.sf2"} << "sf2/TimGM6mb.sf2";
    QTest::newRow("only default-GM") << QStringList{"sf2/default-GM.sf2"} << "sf2/default-GM.sf2";
    QTest::newRow("name beats folder order")
        << QStringList{"sf2/default-GM.sf2", "sf3/TimGM6mb.sf2"} << "sf3/TimGM6mb.sf2";
    QTest::newRow("sf3 folder") << QStringList{"sf3/default-GM.sf3"} << "sf3/default-GM.sf3";
    QTest::newRow(".sf2 before .sf3")
        << QStringList{"sf2/default-GM.sf3", "sf2/default-GM.sf2"} << "sf2/default-GM.sf2";
    QTest::newRow("dangling link skipped")
        << QStringList{"sf2/TimGM6mb.sf2@", "sf3/default-GM.sf3"} << "sf3/default-GM.sf3";
    QTest::newRow("folder skipped")
        << QStringList{"sf2/TimGM6mb.sf2/", "sf2/default-GM.sf2"} << "sf2/default-GM.sf2";
    QTest::newRow("other fonts ignored") << QStringList{"sf2/FluidR3_GM.sf2"} << "";
    QTest::newRow("nothing") << QStringList{} << "";
}

void TestAudio::soundFontSearch()
{
    QFETCH(QStringList, layout);
    QFETCH(QString, expected);
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QDir root(tmp.path());
    root.mkpath(QStringLiteral("sf2"));
    root.mkpath(QStringLiteral("sf3"));
    for (QString entry : layout) {
        if (entry.endsWith(QLatin1Char('/'))) {
            QVERIFY(root.mkpath(entry));
        } else if (entry.endsWith(QLatin1Char('@'))) {
            entry.chop(1);
            QVERIFY(QFile::link(root.filePath(QStringLiteral("gone.sf2")), root.filePath(entry)));
        } else {
            QFile f(root.filePath(entry));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("RIFF");
        }
    }
    const QString found = audio::findSoundFont(
        {root.filePath(QStringLiteral("sf2")), root.filePath(QStringLiteral("sf3")) + "/"});
    QCOMPARE(found.isEmpty() ? QString() : QDir::cleanPath(root.relativeFilePath(found)), expected);
}

// ------------------------------------------------------------ MIDI length

void TestAudio::midiLength_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<double>("seconds"); // negative: cannot be read

    QTest::newRow("one tempo") << "once.mid" << 1.0;
    QTest::newRow("tempo change") << "tempo.mid" << 3.0;
    QTest::newRow("missing") << "missing.mid" << -1.0;
    QTest::newRow("not MIDI") << "broken.mid" << -1.0;
}

void TestAudio::midiLength()
{
    QFETCH(QString, file);
    QFETCH(double, seconds);
    const double got = audio::midiLengthSeconds(dataDir() + "/" + file);
    if (seconds < 0) {
        QVERIFY2(got < 0, qPrintable(QString::number(got)));
    } else {
        QVERIFY2(got >= seconds && got < seconds + 0.05, qPrintable(QString::number(got)));
    }
}

// ------------------------------------------------------------ sound effects

void TestAudio::soundOffReachesNothing_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("loop");
    QTest::addColumn<int>("noStop");
    QTest::newRow("the game's call") << 4 << 0 << 0;
    QTest::newRow("a looping sound") << 1 << 1 << 0;
    QTest::newRow("no-stop sound") << 2 << 0 << 1;
}

void TestAudio::soundOffReachesNothing()
{
    QFETCH(int, number);
    QFETCH(int, loop);
    QFETCH(int, noStop);
    auto& snd = Sound::instance();
    snd.SoundOn = false;
    snd.PlayAsync(static_cast<std::int16_t>(number), static_cast<std::int16_t>(loop), 1,
                  static_cast<std::int16_t>(noStop));
    QCOMPARE(m_soundRequests, 0);
    if (audio::isOpen())
        QCOMPARE(Mix_Playing(0), 0);
}

void TestAudio::soundRequests_data()
{
    QTest::addColumn<int>("secondNoStop");
    QTest::addColumn<int>("firstLoop");
    QTest::addColumn<int>("waitMs");
    QTest::addColumn<int>("expectChunkOf"); // which sound is on the channel after the wait
    QTest::addColumn<bool>("expectPlaying");

    QTest::newRow("second cuts the first") << 0 << 0 << 0 << 2 << true;
    QTest::newRow("no-stop leaves the first") << 1 << 0 << 0 << 1 << true;
    QTest::newRow("once-only ends") << -1 << 0 << 450 << 1 << false;
    QTest::newRow("looping goes on") << -1 << 1 << 450 << 1 << true;
}

void TestAudio::soundRequests()
{
    QFETCH(int, secondNoStop);
    QFETCH(int, firstLoop);
    QFETCH(int, waitMs);
    QFETCH(int, expectChunkOf);
    QFETCH(bool, expectPlaying);
    auto& snd = Sound::instance();

    // The chunk of each sound, as the mixer holds it.
    snd.PlayAsync(kBeep2, 0, 1, 0);
    Mix_Chunk* second = Mix_GetChunk(0);
    snd.PlayAsync(kBeep1, static_cast<std::int16_t>(firstLoop), 1, 0);
    Mix_Chunk* first = Mix_GetChunk(0);
    QVERIFY(first && second && first != second);

    if (secondNoStop >= 0)
        snd.PlayAsync(kBeep2, 0, 1, static_cast<std::int16_t>(secondNoStop));
    QTest::qWait(waitMs);
    QCOMPARE(Mix_Playing(0) != 0, expectPlaying);
    if (expectPlaying)
        QCOMPARE(Mix_GetChunk(0), expectChunkOf == 1 ? first : second);

    snd.StopSound();
    QCOMPARE(Mix_Playing(0), 0);
}

void TestAudio::soundLoadedOnce()
{
    auto& snd = Sound::instance();
    snd.PlayAsync(kBeep1, 0, 1, 0);
    Mix_Chunk* loaded = Mix_GetChunk(0);
    QVERIFY(loaded);
    // With the file gone, the sound still plays from memory.
    const QString path = dataDir() + QStringLiteral("/beep1.wav");
    const QString aside = path + QStringLiteral(".aside");
    QVERIFY(QFile::rename(path, aside));
    snd.StopSound();
    snd.PlayAsync(kBeep1, 0, 1, 0);
    const bool playing = Mix_Playing(0) != 0;
    Mix_Chunk* again = Mix_GetChunk(0);
    QVERIFY(QFile::rename(aside, path));
    QVERIFY(playing);
    QCOMPARE(again, loaded);
}

void TestAudio::soundBadFiles_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("file");
    QTest::newRow("missing") << int(kNoWav) << "missing.wav";
    QTest::newRow("broken") << int(kBadWav) << "broken.wav";
}

void TestAudio::soundBadFiles()
{
    QFETCH(int, number);
    QFETCH(QString, file);
    auto& snd = Sound::instance();
    snd.PlayAsync(kBeep1, 1, 1, 0);
    for (int i = 0; i < 3; ++i)
        snd.PlayAsync(static_cast<std::int16_t>(number), 0, 1, 0);
    QCOMPARE(warningsAbout(file), 1);
    // Like any new request, it ends the sound that was playing.
    QCOMPARE(Mix_Playing(0), 0);
    // The other sounds are not affected.
    snd.PlayAsync(kBeep2, 0, 1, 0);
    QVERIFY(Mix_Playing(0) != 0);
}

void TestAudio::removeAllForgetsSounds()
{
    auto& snd = Sound::instance();
    snd.PlayAsync(kBeep1, 1, 1, 0);
    snd.RemoveAll();
    QCOMPARE(Mix_Playing(0), 0);
    snd.PlayAsync(kBeep1, 0, 1, 0);
    QCOMPARE(Mix_Playing(0), 0);

    zorbel::clsCommon::SetPathOverride(dataDir());
    for (const char* name : {"beep1.wav", "beep2.wav", "missing.wav", "broken.wav"})
        snd.Add(QString::fromLatin1(name));
    zorbel::clsCommon::SetPathOverride(QString());
    snd.PlayAsync(kBeep1, 0, 1, 0);
    QVERIFY(Mix_Playing(0) != 0);
}

// ------------------------------------------------------------ music

void TestAudio::onceOnlyStopsAtItsEnd()
{
    auto& bgm = clsBGMAPI::instance();
    bgm.BGMPlay(kOnce, true);
    QVERIFY(!bgm.GetBGMStopped()); // loading counts as playing
    bgm.WaitForLoad();
    QElapsedTimer t;
    t.start();
    QVERIFY(!bgm.GetBGMStopped());
    QVERIFY(Mix_PlayingMusic());

    while (!bgm.GetBGMStopped() && t.elapsed() < 5000)
        QTest::qWait(10);
    const double heard = t.elapsed() / 1000.0;
    QVERIFY2(heard > kTuneSeconds - 0.05 && heard < kTuneSeconds + 0.5,
             qPrintable(QString::number(heard)));

    // The poll closes it, and it stays closed.
    bgm.CalledByTimer();
    QVERIFY(!Mix_PlayingMusic());
    QCOMPARE(bgm.CurrentTrack(), kOnce);
    pollFor(300);
    QVERIFY(bgm.GetBGMStopped());
    QVERIFY(!Mix_PlayingMusic());
    QCOMPARE(m_trackStarts, 1);
}

void TestAudio::loopingKeepsPlaying()
{
    auto& bgm = clsBGMAPI::instance();
    bgm.BGMPlay(kLoop, false);
    bgm.WaitForLoad();
    QElapsedTimer t;
    t.start();
    // FluidSynth notices the end of a tune only two to four seconds after
    // it, so a loop restarted from outside would show up as "stopped"
    // within this time.
    while (t.elapsed() < 4.5 * kTuneSeconds * 1000) {
        QVERIFY(!bgm.GetBGMStopped());
        bgm.CalledByTimer();
        QTest::qWait(75);
    }
    QVERIFY(Mix_PlayingMusic());
    QCOMPARE(m_trackStarts, 1);
    // Low enough for the SoundFont not to clip.
    QVERIFY(Mix_VolumeMusic(-1) <= 100);
}

// The loaded track starts from the event loop, not only at the next poll.
void TestAudio::startsWithoutWaitingForThePoll()
{
    clsBGMAPI::instance().BGMPlay(kLoop, false);
    QVERIFY(!Mix_PlayingMusic());
    QTRY_VERIFY_WITH_TIMEOUT(Mix_PlayingMusic(), 3000);
}

void TestAudio::sameTrackChangesNothing()
{
    auto& bgm = clsBGMAPI::instance();
    bgm.BGMPlay(kLoop, false);
    bgm.WaitForLoad();
    bgm.BGMPlay(kLoop, true); // the loop flag stays as it was
    bgm.WaitForLoad();
    QCOMPARE(m_trackStarts, 1);
    QVERIFY(Mix_PlayingMusic());

    // Still looping: stopped by the mixer, the poll starts it again.
    Mix_HaltMusic();
    bgm.CalledByTimer();
    bgm.WaitForLoad();
    QVERIFY(!bgm.GetBGMStopped());
    QVERIFY(Mix_PlayingMusic());
}

void TestAudio::stopThenPlayStartsAgain()
{
    auto& bgm = clsBGMAPI::instance();
    bgm.BGMPlay(kLoop, false);
    bgm.WaitForLoad();
    bgm.BGMStop();
    QCOMPARE(bgm.CurrentTrack(), std::int16_t(-1));
    QVERIFY(bgm.GetBGMStopped());
    QVERIFY(!Mix_PlayingMusic());
    bgm.BGMPlay(kLoop, false);
    QCOMPARE(m_trackStarts, 2);
    QCOMPARE(bgm.CurrentTrack(), kLoop);
    bgm.WaitForLoad();
    QVERIFY(!bgm.GetBGMStopped());
    QVERIFY(Mix_PlayingMusic());
}

void TestAudio::switchTakesEffectAtNextPlay()
{
    auto& bgm = clsBGMAPI::instance();
    bgm.BGMPlay(kLoop, false);
    bgm.WaitForLoad();
    bgm.BGMOnOff(false);
    QVERIFY(Mix_PlayingMusic());
    QVERIFY(!bgm.GetBGMStopped());

    bgm.BGMPlay(kOnce, false);
    QVERIFY(bgm.GetBGMStopped());
    QVERIFY(!Mix_PlayingMusic());
    QCOMPARE(bgm.CurrentTrack(), std::int16_t(-1));
    pollFor(150);
    QVERIFY(!Mix_PlayingMusic());

    bgm.BGMOnOff(true);
    bgm.BGMPlay(kLoop, false);
    bgm.WaitForLoad();
    QVERIFY(Mix_PlayingMusic());
    QCOMPARE(m_trackStarts, 2);
}

void TestAudio::mixerStopHandledByPoll_data()
{
    QTest::addColumn<bool>("notLoop");
    QTest::addColumn<bool>("playsAfter");
    QTest::newRow("looping track restarts") << false << true;
    QTest::newRow("once-only track closes") << true << false;
}

void TestAudio::mixerStopHandledByPoll()
{
    QFETCH(bool, notLoop);
    QFETCH(bool, playsAfter);
    auto& bgm = clsBGMAPI::instance();
    bgm.BGMPlay(kLoop, notLoop);
    bgm.WaitForLoad();
    Mix_HaltMusic(); // as if the mixer had stopped it
    QVERIFY(bgm.GetBGMStopped());
    bgm.CalledByTimer();
    bgm.WaitForLoad();
    QCOMPARE(bool(Mix_PlayingMusic()), playsAfter);
    QCOMPARE(bgm.GetBGMStopped(), !playsAfter);
    QCOMPARE(bgm.CurrentTrack(), kLoop);
    QCOMPARE(m_trackStarts, 1);
}

void TestAudio::stopForgetsLoop()
{
    auto& bgm = clsBGMAPI::instance();
    bgm.BGMPlay(kLoop, false);
    bgm.WaitForLoad();
    bgm.BGMStop();
    pollFor(300);
    bgm.WaitForLoad();
    QVERIFY(bgm.GetBGMStopped());
    QVERIFY(!Mix_PlayingMusic());

    // Also when the stop comes while the track is still loading.
    bgm.BGMPlay(kLoop, false);
    bgm.BGMStop();
    bgm.WaitForLoad();
    pollFor(150);
    QVERIFY(bgm.GetBGMStopped());
    QVERIFY(!Mix_PlayingMusic());
}

void TestAudio::unregisteredNumbersIgnored_data()
{
    QTest::addColumn<int>("number");
    QTest::newRow("zero") << 0;
    QTest::newRow("negative") << -1;
    QTest::newRow("one past the list") << 6;
    QTest::newRow("far out") << 32767;
}

void TestAudio::unregisteredNumbersIgnored()
{
    QFETCH(int, number);
    const auto n = static_cast<std::int16_t>(number);
    auto& bgm = clsBGMAPI::instance();
    bgm.BGMPlay(kLoop, false);
    bgm.WaitForLoad();
    bgm.BGMPlay(n, false);
    bgm.BGMPlay(n, true);
    bgm.WaitForLoad();
    QCOMPARE(bgm.CurrentTrack(), kLoop);
    QVERIFY(Mix_PlayingMusic());
    QCOMPARE(m_trackStarts, 1);
    QCOMPARE(warningsAbout(QStringLiteral("track number %1").arg(number)), 1);

    auto& snd = Sound::instance();
    snd.PlayAsync(n, 0, 1, 0);
    snd.PlayAsync(n, 1, 1, 1);
    QCOMPARE(Mix_Playing(0), 0);
    QCOMPARE(warningsAbout(QStringLiteral("sound number %1").arg(number)), 1);
}

void TestAudio::badTrackFiles_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("file");
    QTest::newRow("missing") << int(kMissing) << "missing.mid";
    QTest::newRow("not MIDI") << int(kBroken) << "broken.mid";
    QTest::newRow("header only") << int(kCut) << "cut.mid";
}

void TestAudio::badTrackFiles()
{
    QFETCH(int, number);
    QFETCH(QString, file);
    const auto n = static_cast<std::int16_t>(number);
    auto& bgm = clsBGMAPI::instance();
    for (int i = 0; i < 3; ++i) {
        bgm.BGMStop();
        bgm.BGMPlay(n, false);
        bgm.WaitForLoad();
        QVERIFY(bgm.GetBGMStopped());
        QCOMPARE(bgm.CurrentTrack(), n);
        pollFor(150); // the poll does not keep trying either
    }
    QVERIFY(!Mix_PlayingMusic());
    QCOMPARE(m_trackStarts, 3);
    QCOMPARE(warningsAbout(file), 1);

    // A good track plays after a bad one.
    bgm.BGMPlay(kLoop, false);
    bgm.WaitForLoad();
    QVERIFY(Mix_PlayingMusic());
}

// ------------------------------------------------------------ shutdown

void TestAudio::shutdownInAnyOrder_data()
{
    QTest::addColumn<QString>("order"); // m = music shutdown, s = sound shutdown
    QTest::addColumn<bool>("whileLoading");
    QTest::newRow("music, then sounds") << "ms" << false;
    QTest::newRow("sounds, then music") << "sm" << false;
    QTest::newRow("twice each") << "mssm" << false;
    QTest::newRow("while a track loads") << "ms" << true;
}

void TestAudio::shutdownInAnyOrder()
{
    QFETCH(QString, order);
    QFETCH(bool, whileLoading);
    auto& bgm = clsBGMAPI::instance();
    auto& snd = Sound::instance();

    bgm.BGMPlay(kLoop, false);
    if (!whileLoading)
        bgm.WaitForLoad();
    snd.PlayAsync(kBeep1, 1, 1, 0);
    QVERIFY(audio::isOpen());

    for (int i = 0; i < order.size(); ++i) {
        if (order.at(i) == QLatin1Char('m'))
            bgm.Shutdown();
        else
            snd.Shutdown();
        // The device stays open while the other one still uses it.
        const bool bothDone = order.left(i + 1).contains(QLatin1Char('m')) &&
                              order.left(i + 1).contains(QLatin1Char('s'));
        QCOMPARE(audio::isOpen(), !bothDone);
    }
    QCOMPARE(SDL_WasInit(SDL_INIT_AUDIO), Uint32(0));

    // The poll may still tick once more; nothing is open.
    QVERIFY(bgm.GetBGMStopped());
    bgm.CalledByTimer();
    bgm.BGMStop();
    snd.StopSound();

    // Everything works again afterwards.
    bgm.BGMPlay(kOnce, false);
    bgm.WaitForLoad();
    QVERIFY(Mix_PlayingMusic());
    snd.PlayAsync(kBeep2, 0, 1, 0);
    QVERIFY(Mix_Playing(0) != 0);
    bgm.Shutdown();
    snd.Shutdown();
    QVERIFY(!audio::isOpen());
}

void TestAudio::signalsLeftToTheProgram_data()
{
    QTest::addColumn<int>("sig");
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("SIGTERM") << SIGTERM;
}

// SDL would catch these and turn them into an event nobody reads; the
// program must get them to close its window and save.
void TestAudio::signalsLeftToTheProgram()
{
    QFETCH(int, sig);
    clsBGMAPI::instance().Shutdown();
    Sound::instance().Shutdown();
    QVERIFY(!audio::isOpen());
    // The test framework has its own handler; SDL only replaces the default.
    struct sigaction plain = {};
    plain.sa_handler = SIG_DFL;
    struct sigaction framework = {};
    QCOMPARE(sigaction(sig, &plain, &framework), 0);

    Sound::instance().PlayAsync(kBeep1, 0, 1, 0);
    const bool opened = audio::isOpen();
    struct sigaction after = {};
    sigaction(sig, &framework, &after);
    QVERIFY(opened);
    QVERIFY(after.sa_handler == SIG_DFL);
}

QTEST_GUILESS_MAIN(TestAudio)
#include "test_audio.moc"
