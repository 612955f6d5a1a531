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

#include <malloc.h>

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <csignal>

using zorbel::clsBGMAPI;
using zorbel::Sound;
namespace audio = zorbel::audio;

namespace
{

// Tracks: once.mid and loop.mid last 1 s each. Sounds: two 0.3 s beeps.
constexpr qint16 kOnce = 1, kLoop = 2, kMissing = 3, kBroken = 4, kCut = 5;
constexpr qint16 kBeep1 = 1, kBeep2 = 2, kNoWav = 3, kBadWav = 4;

QString dataFile(const QString& name)
{
    return QStringLiteral(AUDIO_TEST_DATA "/") + name;
}

void writeFile(const QString& name, const QByteArray& bytes)
{
    QFile f(dataFile(name));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

void registerSounds()
{
    zorbel::clsCommon::SetPathOverride(QStringLiteral(AUDIO_TEST_DATA));
    for (const char* name : {"beep1.wav", "beep2.wav", "missing.wav", "broken.wav"})
        Sound::instance().Add(QString::fromLatin1(name));
    zorbel::clsCommon::SetPathOverride(QString());
}

// Asks for a track and waits until its file has been loaded.
void play(qint16 track, bool notLoop)
{
    clsBGMAPI::instance().BGMPlay(track, notLoop);
    clsBGMAPI::instance().WaitForLoad();
}

// One tick of the main window's music poll, including any load it starts.
void tick()
{
    clsBGMAPI::instance().CalledByTimer();
    clsBGMAPI::instance().WaitForLoad();
}

} // namespace

class TestAudio : public QObject
{
    Q_OBJECT
    clsBGMAPI& bgm = clsBGMAPI::instance();
    Sound& snd = Sound::instance();
    int m_trackStarts = 0;
    int m_soundRequests = 0;

private slots:
    void initTestCase()
    {
        qputenv("SDL_AUDIODRIVER", "dummy"); // also when run by hand
        writeFile("broken.mid", "this is not a MIDI file at all\n");
        writeFile("cut.mid", QByteArray::fromHex("4d546864000000060001000101e0")); // header only
        writeFile("broken.wav", "RIFF....WAVEnonsense");
        zorbel::clsCommon::SetPathOverride(QStringLiteral(AUDIO_TEST_DATA));
        bgm.InitBGM();
        for (const char* name : {"once.mid", "loop.mid", "missing.mid", "broken.mid", "cut.mid"})
            bgm.AddBGM(QString::fromLatin1(name));
        registerSounds();
    }

    void init()
    {
        m_trackStarts = m_soundRequests = 0;
        bgm.BGMOnOff(true);
        bgm.playHook = [this](int) { ++m_trackStarts; };
        snd.SoundOn = true;
        snd.playHook = [this](int) { ++m_soundRequests; };
    }

    void cleanup()
    {
        bgm.playHook = nullptr;
        snd.playHook = nullptr;
        bgm.BGMStop();
        snd.StopSound();
    }

    // TimGM6mb in any folder comes before default-GM; dangling links,
    // folders and other fonts do not count.
    void soundFontSearch()
    {
        QTemporaryDir tmp;
        const QDir root(tmp.path());
        const auto found = [&root] {
            const QString f =
                audio::findSoundFont({root.filePath("sf2"), root.filePath("sf3") + "/"});
            return f.isEmpty() ? QString() : QDir::cleanPath(root.relativeFilePath(f));
        };
        QVERIFY(root.mkpath("sf2") && root.mkpath("sf3/TimGM6mb.sf2"));
        QVERIFY(QFile::link(root.filePath("gone"), root.filePath("sf2/TimGM6mb.sf2")));
        for (const char* name : {"sf2/FluidR3_GM.sf2", "sf2/default-GM.sf2", "sf3/TimGM6mb.sf3"}) {
            QFile f(root.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QCOMPARE(found(), "sf3/TimGM6mb.sf3");
        QVERIFY(QFile::remove(root.filePath("sf3/TimGM6mb.sf3")));
        QCOMPARE(found(), "sf2/default-GM.sf2");
        QVERIFY(QFile::remove(root.filePath("sf2/default-GM.sf2")));
        QCOMPARE(found(), QString());
    }

    // The length follows the tempo map: 1 s at 240, then 2 s at 120 beats a minute.
    void midiLength()
    {
        const double got = audio::midiLengthSeconds(dataFile("tempo.mid"));
        QVERIFY2(got >= 3.0 && got < 3.05, qPrintable(QString::number(got)));
        QVERIFY(audio::midiLengthSeconds(dataFile("broken.mid")) < 0);
        QVERIFY(audio::midiLengthSeconds(dataFile("missing.mid")) < 0);
    }

    void soundOffReachesNothing()
    {
        snd.SoundOn = false;
        snd.PlayAsync(kBadWav, 0, 1, 0);
        snd.PlayAsync(kBeep1, 1, 1, 0);
        snd.PlayAsync(kBeep2, 0, 1, 1);
        QCOMPARE(m_soundRequests, 0);
        if (audio::isOpen())
            QCOMPARE(Mix_Playing(0), 0);
    }

    void soundRequests_data()
    {
        QTest::addColumn<int>("secondNoStop"); // negative: no second request
        QTest::addColumn<int>("firstLoop");
        QTest::addColumn<int>("waitMs");
        QTest::addColumn<int>("expectChunkOf"); // the sound on the channel then; 0: none
        QTest::newRow("second cuts the first") << 0 << 0 << 0 << 2;
        QTest::newRow("no-stop leaves the first") << 1 << 0 << 0 << 1;
        QTest::newRow("once-only ends") << -1 << 0 << 450 << 0;
        QTest::newRow("looping goes on") << -1 << 1 << 450 << 1;
    }

    void soundRequests()
    {
        QFETCH(int, secondNoStop);
        QFETCH(int, firstLoop);
        QFETCH(int, waitMs);
        QFETCH(int, expectChunkOf);
        snd.PlayAsync(kBeep2, 0, 1, 0);
        Mix_Chunk* second = Mix_GetChunk(0);
        snd.PlayAsync(kBeep1, qint16(firstLoop), 1, 0);
        Mix_Chunk* first = Mix_GetChunk(0);
        QVERIFY(first && second && first != second);
        if (secondNoStop >= 0)
            snd.PlayAsync(kBeep2, 0, 1, qint16(secondNoStop));
        QTest::qWait(waitMs);
        QCOMPARE(Mix_Playing(0) != 0, expectChunkOf != 0);
        if (expectChunkOf != 0)
            QCOMPARE(Mix_GetChunk(0), expectChunkOf == 1 ? first : second);
        snd.StopSound();
        QCOMPARE(Mix_Playing(0), 0);
    }

    // Once read, a sound plays from memory even when its file has gone,
    // until RemoveAll forgets it.
    void soundLoadedOnceUntilRemoveAll()
    {
        snd.PlayAsync(kBeep1, 0, 1, 0);
        Mix_Chunk* loaded = Mix_GetChunk(0);
        const QString path = dataFile("beep1.wav");
        QVERIFY(loaded && QFile::rename(path, path + ".aside"));
        snd.PlayAsync(kBeep1, 1, 1, 0);
        const bool fromMemory = Mix_Playing(0) && Mix_GetChunk(0) == loaded;
        snd.RemoveAll();
        const bool stopped = !Mix_Playing(0);
        registerSounds();
        snd.PlayAsync(kBeep1, 0, 1, 0);
        const bool reread = Mix_Playing(0);
        QVERIFY(QFile::rename(path + ".aside", path));
        snd.RemoveAll(); // a sound that failed is not tried again until then
        registerSounds();
        QVERIFY(fromMemory && stopped);
        QVERIFY(!reread);
    }

    // A bad request for a track or a sound, made again and again while music
    // and a looping sound play: warned about once; whether what played goes
    // on; the good tracks and sounds still play after it.
    void badRequests_data()
    {
        QTest::addColumn<bool>("isTrack");
        QTest::addColumn<qint16>("number");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<bool>("goesOn");
        QTest::newRow("track 0") << true << qint16(0) << "track number 0" << true;
        QTest::newRow("track past the list") << true << qint16(6) << "track number 6" << true;
        QTest::newRow("missing track") << true << kMissing << "missing.mid" << false;
        QTest::newRow("track not MIDI") << true << kBroken << "broken.mid" << false;
        QTest::newRow("track header only") << true << kCut << "cut.mid" << false;
        QTest::newRow("sound 0") << false << qint16(0) << "sound number 0" << true;
        QTest::newRow("sound past the list") << false << qint16(5) << "sound number 5" << true;
        QTest::newRow("missing sound") << false << kNoWav << "missing.wav" << false;
        QTest::newRow("broken sound") << false << kBadWav << "broken.wav" << false;
    }

    void badRequests()
    {
        QFETCH(bool, isTrack);
        QFETCH(qint16, number);
        QFETCH(QString, warning);
        QFETCH(bool, goesOn);
        play(kLoop, false);
        snd.PlayAsync(kBeep1, 1, 1, 0);
        for (int i = 0; i < 3; ++i) {
            if (isTrack) {
                bgm.BGMPlay(kLoop, false); // so that the next request is a new one
                play(number, i % 2);
                tick();
            } else {
                snd.PlayAsync(number, i % 2, 1, 0);
            }
        }
        QCOMPARE(audio::warnings().filter(warning).size(), 1);
        const bool musicGoesOn = !isTrack || goesOn;
        QCOMPARE(Mix_PlayingMusic() != 0, musicGoesOn);
        QCOMPARE(bgm.GetBGMStopped(), !musicGoesOn);
        QCOMPARE(bgm.CurrentTrack(), musicGoesOn ? kLoop : number);
        QCOMPARE(Mix_Playing(0) != 0, isTrack || goesOn);
        play(kLoop, false);
        snd.PlayAsync(kBeep2, 0, 1, 0);
        QVERIFY(Mix_PlayingMusic() && Mix_Playing(0));
    }

    void onceOnlyStopsAtItsEnd()
    {
        bgm.BGMPlay(kOnce, true);
        QVERIFY(!bgm.GetBGMStopped()); // loading counts as playing
        bgm.WaitForLoad();
        QElapsedTimer t;
        t.start();
        QVERIFY(!bgm.GetBGMStopped() && Mix_PlayingMusic());
        while (!bgm.GetBGMStopped() && t.elapsed() < 5000)
            QTest::qWait(10);
        const double heard = t.elapsed() / 1000.0;
        QVERIFY2(heard > 0.95 && heard < 1.5, qPrintable(QString::number(heard)));
        for (int i = 0; i < 3; ++i)
            tick(); // the poll closes it, and it stays closed
        QVERIFY(bgm.GetBGMStopped() && !Mix_PlayingMusic());
        QCOMPARE(bgm.CurrentTrack(), kOnce);
        QCOMPARE(m_trackStarts, 1);
    }

    // FluidSynth notices the end of a tune two to four seconds after it, so
    // a loop restarted from the poll would show as "stopped" within 4.5 s.
    void loopingKeepsPlaying()
    {
        play(kLoop, false);
        play(kLoop, true); // the track that plays, and its loop flag, stay as they are
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 4500) {
            QVERIFY(!bgm.GetBGMStopped());
            bgm.CalledByTimer();
            QTest::qWait(75);
        }
        QVERIFY(Mix_PlayingMusic());
        QVERIFY(Mix_VolumeMusic(-1) <= 100); // low enough for the SoundFont not to clip
        Mix_HaltMusic(); // stopped by the mixer after all: the poll starts it again
        QVERIFY(bgm.GetBGMStopped());
        tick();
        QVERIFY(!bgm.GetBGMStopped() && Mix_PlayingMusic());
        QCOMPARE(m_trackStarts, 1);
    }

    void silencedUntilNextPlay_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("stopped after it started") << "stop";
        QTest::newRow("stopped while it loads") << "stop while loading";
        QTest::newRow("switched off, then asked for music") << "switch off";
    }

    void silencedUntilNextPlay()
    {
        QFETCH(QString, how);
        bgm.BGMPlay(kLoop, false);
        if (how != "stop while loading")
            bgm.WaitForLoad();
        if (how == "switch off") {
            bgm.BGMOnOff(false);
            QVERIFY(Mix_PlayingMusic() && !bgm.GetBGMStopped()); // not before the next BGMPlay
            bgm.BGMPlay(kOnce, false);
            bgm.BGMOnOff(true);
        } else {
            bgm.BGMStop();
        }
        for (int i = 0; i < 3; ++i)
            tick(); // nothing comes back by itself
        QVERIFY(bgm.GetBGMStopped() && !Mix_PlayingMusic());
        QCOMPARE(bgm.CurrentTrack(), qint16(-1));
        // The same track starts again, once loaded, from the event loop
        // rather than at the next poll.
        bgm.BGMPlay(kLoop, false);
        QTRY_VERIFY_WITH_TIMEOUT(Mix_PlayingMusic(), 3000);
        QVERIFY(!bgm.GetBGMStopped());
        QCOMPARE(m_trackStarts, 2);
    }

    void shutdownInAnyOrder_data()
    {
        QTest::addColumn<QString>("order"); // m: music shuts down, s: sounds shut down
        QTest::addColumn<bool>("whileLoading");
        QTest::newRow("sounds, then music") << "sm" << false;
        QTest::newRow("twice each") << "mssm" << false;
        QTest::newRow("while a track loads") << "ms" << true;
    }

    void shutdownInAnyOrder()
    {
        QFETCH(QString, order);
        QFETCH(bool, whileLoading);
        bgm.BGMPlay(kLoop, false);
        if (!whileLoading)
            bgm.WaitForLoad();
        snd.PlayAsync(kBeep1, 1, 1, 0);
        for (int i = 0; i < order.size(); ++i) {
            if (order.at(i) == 'm')
                bgm.Shutdown();
            else
                snd.Shutdown();
            // The device stays open while the other one still uses it.
            const QString done = order.left(i + 1);
            QCOMPARE(audio::isOpen(), !(done.contains('m') && done.contains('s')));
        }
        QCOMPARE(SDL_WasInit(SDL_INIT_AUDIO), Uint32(0));
        QVERIFY(bgm.GetBGMStopped()); // a late poll tick and stops find nothing open
        bgm.CalledByTimer();
        bgm.BGMStop();
        snd.StopSound();
        play(kOnce, false); // everything works again afterwards
        snd.PlayAsync(kBeep2, 0, 1, 0);
        QVERIFY(Mix_PlayingMusic() && Mix_Playing(0));
    }

    // Every track start loads a new FluidSynth synthesizer; none of them may
    // leave memory behind, or a long session grows without end.
    void trackStartsLeaveNothingBehind()
    {
#ifdef __SANITIZE_ADDRESS__
        QSKIP("the sanitizer's allocator keeps freed memory on purpose");
#endif
        auto heap = [] { return static_cast<qint64>(mallinfo2().uordblks); };
        auto startTracks = [this](int n) {
            for (int i = 0; i < n; ++i) {
                play(i % 2 ? kLoop : kOnce, false);
                bgm.BGMStop();
            }
        };
        startTracks(10);
        const qint64 before = heap();
        startTracks(40);
        const qint64 grown = heap() - before;
        QVERIFY2(grown < 40 * 1024,
                 qPrintable(QString("heap grew by %1 bytes over 40 track starts").arg(grown)));
    }

    // SDL would turn SIGINT and SIGTERM into an event nobody reads; the
    // program needs them to close its window and save.
    void signalsLeftToTheProgram()
    {
        bgm.Shutdown();
        snd.Shutdown();
        // The test framework has its own handlers; SDL only replaces the default.
        const int sigs[] = {SIGINT, SIGTERM};
        struct sigaction plain = {}, saved[2] = {}, after[2] = {};
        plain.sa_handler = SIG_DFL;
        for (int i = 0; i < 2; ++i)
            QCOMPARE(sigaction(sigs[i], &plain, &saved[i]), 0);
        snd.PlayAsync(kBeep1, 0, 1, 0);
        const bool opened = audio::isOpen();
        for (int i = 0; i < 2; ++i)
            sigaction(sigs[i], &saved[i], &after[i]);
        QVERIFY(opened);
        QVERIFY(after[0].sa_handler == SIG_DFL && after[1].sa_handler == SIG_DFL);
    }
};

QTEST_GUILESS_MAIN(TestAudio)
#include "test_audio.moc"
