// Sound effects and music on SDL's dummy audio driver: real playback in real
// time, without a sound card. Each test uses objects of its own.
#include "audio/AudioDevice.h"
#include "audio/Sound.h"
#include "audio/clsBGMAPI.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <malloc.h>

using zorbel::clsBGMAPI;
using zorbel::Sound;
namespace audio = zorbel::audio;

namespace
{
// Tracks 1 (once-only) and 2 (looping): one note of 1 s. Sounds 1 (pi2, 0.1 s) and 2.
constexpr qint16 kOnce = 1, kLoop = 2, kPi = 1, kBuzzer = 2;
const QByteArray kSecond = QByteArray::fromHex("4d546864000000060000000100604d54726b00000017"
                                               "00ff510303d09000c00000903c408300803c0000ff2f00");
const QTemporaryDir kDir;

void writeFile(const QString& name, const QByteArray& bytes)
{
    QFile f(kDir.filePath(name));
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
}

QByteArray shipped(const QString& name)
{
    QFile f(QStringLiteral(ZORBEL_PROGRAM_DIR "/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString folder()
{
    return kDir.path() + "/";
}

void addTracks(clsBGMAPI& bgm, const QStringList& names)
{
    for (const QString& name : QStringList{"once.mid", "loop.mid"} + names)
        bgm.AddBGM(name);
    bgm.InitBGM();
}

void addSounds(Sound& snd) // pi2.wav, buzzer1.wav, missing.wav, broken.wav
{
    for (const char* name : {"pi2.wav", "buzzer1.wav", "missing.wav", "broken.wav"})
        snd.Add(name);
    snd.SoundOn = true;
}

void play(clsBGMAPI& bgm, qint16 track, bool notLoop) // and wait for its file to load
{
    bgm.BGMPlay(track, notLoop);
    bgm.WaitForLoad();
}

void tick(clsBGMAPI& bgm) // one poll of the main window, and any load it starts
{
    bgm.CalledByTimer();
    bgm.WaitForLoad();
}
} // namespace

class TestAudio : public QObject
{
    Q_OBJECT
    clsBGMAPI bgm{folder()};
    Sound snd{folder()};

private slots:
    void initTestCase()
    {
        writeFile("once.mid", kSecond);
        writeFile("loop.mid", kSecond);
        writeFile("broken.wav", "RIFF....WAVEnonsense");
        writeFile("pi2.wav", shipped("pi2.wav"));
        writeFile("buzzer1.wav", shipped("buzzer1.wav"));
        addTracks(bgm, {});
        addSounds(snd);
    }

    // TimGM6mb in any folder before default-GM; dangling links, folders and other fonts do not count.
    void soundFontSearch()
    {
        QTemporaryDir tmp;
        const QDir root(tmp.path());
        QVERIFY(root.mkpath("sf2") && root.mkpath("sf3/TimGM6mb.sf2"));
        QVERIFY(QFile::link(root.filePath("gone"), root.filePath("sf2/TimGM6mb.sf2")));
        const QStringList dirs = {root.filePath("sf2"), root.filePath("sf3") + "/"};
        const char* steps[][2] = {{"sf2/FluidR3_GM.sf2", ""}, {"sf2/default-GM.sf2", "sf2/default-GM.sf2"},
                                  {"sf3/TimGM6mb.sf3", "sf3/TimGM6mb.sf3"}};
        for (const auto& [add, expect] : steps) {
            QVERIFY(QFile(root.filePath(add)).open(QIODevice::WriteOnly));
            const QString f = audio::findSoundFont(dirs);
            QCOMPARE(f.isEmpty() ? QString() : QDir::cleanPath(root.relativeFilePath(f)), expect);
        }
    }

    void soundRequests_data()
    {
        QTest::addColumn<bool>("on");
        QTest::addColumn<int>("secondNoStop"); // negative: no second request
        QTest::addColumn<int>("loop");         // of the first
        QTest::addColumn<int>("waitMs");
        QTest::addColumn<int>("heard"); // the sound on the channel then; 0: none
        QTest::newRow("second cuts the first") << true << 0 << 0 << 0 << 2;
        QTest::newRow("no-stop leaves the first") << true << 1 << 0 << 0 << 1;
        QTest::newRow("once-only ends") << true << -1 << 0 << 450 << 0;
        QTest::newRow("looping goes on") << true << -1 << 1 << 450 << 1;
        QTest::newRow("switched off") << false << 0 << 1 << 0 << 0;
    }

    void soundRequests()
    {
        QFETCH(bool, on);
        QFETCH(int, secondNoStop);
        QFETCH(int, loop);
        QFETCH(int, waitMs);
        QFETCH(int, heard);
        Sound own(folder());
        addSounds(own);
        own.PlayAsync(kBuzzer, 0, 1, 0);
        Mix_Chunk* chunks[] = {nullptr, Mix_GetChunk(0), Mix_GetChunk(0)};
        own.PlayAsync(kPi, 0, 1, 0);
        chunks[1] = Mix_GetChunk(0);
        own.StopSound();
        own.SoundOn = on;
        own.PlayAsync(kPi, qint16(loop), 1, 0);
        if (secondNoStop >= 0)
            own.PlayAsync(on ? kBuzzer : 9, 0, 1, qint16(secondNoStop)); // 9 would be warned about
        QTest::qWait(waitMs);
        QVERIFY(chunks[1] && chunks[2] && chunks[1] != chunks[2]);
        QCOMPARE(Mix_Playing(0) ? Mix_GetChunk(0) : nullptr, chunks[heard]);
        QVERIFY(audio::warnings().filter("sound number 9").isEmpty());
    }

    // Once read, a sound plays from memory even when its file has gone, until
    // RemoveAll forgets it; one that failed is not read again till then.
    void soundLoadedOnceUntilRemoveAll()
    {
        Sound own(folder());
        addSounds(own);
        writeFile("beep.wav", shipped("pi2.wav"));
        own.Add("beep.wav");
        own.PlayAsync(5, 0, 1, 0);
        Mix_Chunk* loaded = Mix_GetChunk(0);
        QVERIFY(loaded && QFile::remove(kDir.filePath("beep.wav")));
        own.PlayAsync(5, 1, 1, 0);
        QVERIFY(Mix_Playing(0) && Mix_GetChunk(0) == loaded);
        own.RemoveAll();
        QVERIFY(!Mix_Playing(0));
        addSounds(own);
        own.Add("beep.wav");
        own.PlayAsync(5, 0, 1, 0);
        writeFile("beep.wav", shipped("pi2.wav"));
        own.PlayAsync(5, 0, 1, 0);
        QVERIFY(!Mix_Playing(0));
    }

    // A bad track or sound asked for again and again while music and a looping
    // sound play: one warning, silence for it; whether what played goes on;
    // everything good plays afterwards. The cut tunes once froze or crashed the game.
    void badRequests_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // of the file of track 3; empty: no such file
        QTest::addColumn<qint16>("track");
        QTest::addColumn<qint16>("sound"); // asked for instead of the track unless negative
        QTest::addColumn<QString>("warning");
        const QByteArray rg1 = shipped("rg1.mid"), none;
        const QString cut = ".mid (a chunk runs past the end of the file)";
        QTest::newRow("track 0") << none << qint16(0) << qint16(-1) << "track number 0";
        QTest::newRow("track past the list") << none << qint16(4) << qint16(-1) << "track number 4";
        QTest::newRow("missing track") << none << qint16(3) << qint16(-1) << ".mid (no such file)";
        QTest::newRow("not MIDI") << QByteArray("MIDI?") << qint16(3) << qint16(-1) << ".mid (not a Standard MIDI File)";
        QTest::newRow("menu tune cut to 2400 bytes") << shipped("rg8.mid").left(2400) << qint16(3) << qint16(-1) << cut;
        QTest::newRow("tune cut to 100 bytes") << rg1.left(100) << qint16(3) << qint16(-1) << ".mid (";
        QTest::newRow("MTrk claims 0x7FFFFFFF bytes")
            << rg1.left(18) + QByteArray::fromHex("7fffffff") + rg1.mid(22) << qint16(3) << qint16(-1) << cut;
        QTest::newRow("sound 0") << none << qint16(0) << qint16(0) << "sound number 0";
        QTest::newRow("sound past the list") << none << qint16(0) << qint16(5) << "sound number 5";
        QTest::newRow("missing sound") << none << qint16(0) << qint16(3) << "missing.wav";
        QTest::newRow("broken sound") << none << qint16(0) << qint16(4) << "broken.wav";
    }

    void badRequests()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qint16, track);
        QFETCH(qint16, sound);
        QFETCH(QString, warning);
        static int row = 0; // a file of its own for each row: each file is warned about once a run
        const QString file = QString("bad%1.mid").arg(++row);
        if (!bytes.isEmpty())
            writeFile(file, bytes);
        clsBGMAPI music(folder());
        addTracks(music, {file});
        const qsizetype warned = audio::warnings().filter(warning).size();
        const bool musicGoesOn = sound >= 0 || track < 1 || track > 3, soundGoesOn = sound != 3 && sound != 4;
        play(music, kLoop, false);
        snd.PlayAsync(kPi, 1, 1, 0);
        for (int i = 0; i < 3; ++i) {
            music.BGMPlay(kLoop, false); // so that the next request is a new one
            sound >= 0 ? snd.PlayAsync(sound, i % 2, 1, 0) : play(music, track, i % 2);
            tick(music);
        }
        QCOMPARE(audio::warnings().filter(warning).size() - warned, 1);
        QCOMPARE(Mix_PlayingMusic() != 0 && !music.GetBGMStopped(), musicGoesOn);
        QCOMPARE(music.CurrentTrack(), musicGoesOn ? kLoop : track);
        QCOMPARE(Mix_Playing(0) != 0, soundGoesOn);
        play(music, kOnce, false);
        snd.PlayAsync(kBuzzer, 0, 1, 0);
        QVERIFY(Mix_PlayingMusic() && Mix_Playing(0));
    }

    // Each shipped tune cut anywhere (every length up to 200 bytes, then every
    // 64th) is silence; the whole tune plays.
    void everyCutIsSilent_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* name : {"rg1", "rg2", "rg3", "rg4", "rg5", "rg7", "rg8", "rg9"})
            QTest::newRow(name) << QString(name) + ".mid";
    }

    void everyCutIsSilent()
    {
        QFETCH(QString, name);
        const QByteArray tune = shipped(name);
        QStringList files;
        for (int cut = 0; cut < tune.size(); cut += cut < 200 ? 1 : 64) {
            files << QString("cut%1.mid").arg(cut);
            writeFile(files.last(), tune.left(cut));
        }
        writeFile(name, tune);
        clsBGMAPI music(folder());
        addTracks(music, files << name);
        QVERIFY(tune.size() > 1000);
        for (qint16 track = 3; track <= files.size() + 2; ++track) {
            play(music, track, false);
            QVERIFY2(music.GetBGMStopped() == !Mix_PlayingMusic(), qPrintable(files.at(track - 3)));
            QVERIFY2(music.GetBGMStopped() != (track == files.size() + 2), qPrintable(files.at(track - 3)));
        }
    }

    // The once-only track ends after its 1 s; a loop keeps on for longer than
    // FluidSynth takes to notice an end (two to four seconds), and also when
    // asked for again as once-only; after a stop or a play with the music
    // switched off nothing comes back until the next play, which then starts
    // from the event loop without a poll.
    void trackLifetimes_data()
    {
        QTest::addColumn<QString>("how");
        for (const char* how : {"once", "loop", "stop", "stop while loading", "switch off"})
            QTest::newRow(how) << QString(how);
    }

    void trackLifetimes()
    {
        QFETCH(QString, how);
        const bool once = how == "once";
        bgm.BGMPlay(once ? kOnce : kLoop, once);
        QVERIFY(!bgm.GetBGMStopped()); // loading counts as playing
        if (how != "stop while loading")
            bgm.WaitForLoad();
        bgm.BGMPlay(once ? kOnce : kLoop, true); // the track that plays stays as it is
        QElapsedTimer t;
        t.start();
        for (int ms = once ? 5000 : how == "loop" ? 4500 : 0; !bgm.GetBGMStopped() && t.elapsed() < ms;)
            QTest::qWait(10);
        QVERIFY2(t.elapsed() > (how == "loop" ? 4500 : once ? 950 : -1) && t.elapsed() < (once ? 1500 : 5000),
                 qPrintable(QString::number(t.elapsed())));
        if (how == "switch off") {
            bgm.BGMOnOff(false);
            QVERIFY(Mix_PlayingMusic() && !bgm.GetBGMStopped()); // not before the next BGMPlay
            bgm.BGMPlay(kOnce, false);
            bgm.BGMOnOff(true);
        } else if (how == "loop") {
            Mix_HaltMusic(); // stopped by the mixer after all: the poll starts it again
        } else if (how != "once") {
            bgm.BGMStop();
        }
        for (int i = 0; i < 3; ++i)
            tick(bgm);
        QCOMPARE(bgm.GetBGMStopped() && !Mix_PlayingMusic(), how != "loop");
        QCOMPARE(bgm.CurrentTrack(), once ? kOnce : how == "loop" ? kLoop : qint16(-1));
        QVERIFY(Mix_VolumeMusic(-1) <= 100); // low enough not to clip
        bgm.BGMPlay(kLoop, false);
        QTRY_VERIFY_WITH_TIMEOUT(Mix_PlayingMusic() && !bgm.GetBGMStopped(), 3000);
        bgm.BGMStop();
    }

    // The device stays open while any object uses it; a second Sound shares it.
    void shutdownInAnyOrder_data()
    {
        QTest::addColumn<QString>("order"); // m: music, s: sounds, t: a second Sound object
        QTest::addColumn<bool>("whileLoading");
        QTest::newRow("sounds, then music") << "stm" << false;
        QTest::newRow("twice each") << "mtsstm" << false;
        QTest::newRow("while a track loads") << "mts" << true;
    }

    void shutdownInAnyOrder()
    {
        QFETCH(QString, order);
        QFETCH(bool, whileLoading);
        Sound other(folder());
        addSounds(other);
        other.PlayAsync(kBuzzer, 0, 1, 0);
        bgm.BGMPlay(kLoop, false);
        if (!whileLoading)
            bgm.WaitForLoad();
        snd.PlayAsync(kPi, 1, 1, 0);
        for (int i = 0; i < order.size(); ++i) {
            order.at(i) == 'm' ? bgm.Shutdown() : order.at(i) == 's' ? snd.Shutdown() : other.Shutdown();
            const QString done = order.left(i + 1);
            QCOMPARE(audio::isOpen(), !(done.contains('m') && done.contains('s') && done.contains('t')));
        }
        QCOMPARE(SDL_WasInit(SDL_INIT_AUDIO), Uint32(0));
        QVERIFY(bgm.GetBGMStopped()); // a late poll tick and stops find nothing open
        bgm.CalledByTimer();
        bgm.BGMStop();
        snd.StopSound();
        play(bgm, kOnce, false); // everything works again afterwards
        other.PlayAsync(kPi, 0, 1, 0);
        QVERIFY(Mix_PlayingMusic() && Mix_Playing(0));
        bgm.BGMStop();
    }

    // Each track start loads a new FluidSynth synthesizer; none may leave memory behind.
    void trackStartsLeaveNothingBehind()
    {
#ifdef __SANITIZE_ADDRESS__
        QSKIP("the sanitizer's allocator keeps freed memory on purpose");
#endif
        auto startTracks = [this](int n) {
            for (int i = 0; i < n; ++i)
                play(bgm, i % 2 ? kLoop : kOnce, false), bgm.BGMStop();
            return qint64(mallinfo2().uordblks);
        };
        const qint64 before = startTracks(10), grown = startTracks(40) - before;
        QVERIFY2(grown < 40 * 1024, qPrintable(QString("heap grew by %1 bytes in 40 starts").arg(grown)));
    }
};

QTEST_GUILESS_MAIN(TestAudio)
#include "test_audio.moc"
