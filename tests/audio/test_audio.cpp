// Sound effects and music on SDL's dummy audio driver: real playback in real
// time, without a sound card. Each test uses its own objects.
#include "audio/AudioDevice.h"
#include "audio/Sound.h"
#include "audio/clsBGMAPI.h"
#include "common/clsCommon.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <malloc.h>

#include <csignal>

using zorbel::clsBGMAPI;
using zorbel::Sound;
namespace audio = zorbel::audio;

namespace
{
// once.mid and loop.mid last 1 s each; beep1 and beep2 0.3 s each.
constexpr qint16 kOnce = 1, kLoop = 2, kBeep1 = 1, kBeep2 = 2;
const QString kData = QStringLiteral(AUDIO_TEST_DATA);

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
}

QByteArray shippedTune(const char* name)
{
    QFile f(QStringLiteral(ZORBEL_PROGRAM_DIR "/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void addFiles(clsBGMAPI* bgm, Sound* snd, const QString& dir, const QStringList& names)
{
    zorbel::clsCommon::SetPathOverride(dir);
    for (const QString& name : names)
        bgm ? bgm->AddBGM(name) : snd->Add(name);
    zorbel::clsCommon::SetPathOverride(QString());
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
    clsBGMAPI bgm;
    Sound snd;

private slots:
    void initTestCase()
    {
        qputenv("SDL_AUDIODRIVER", "dummy"); // also when run by hand
        writeFile(kData + "/broken.wav", "RIFF....WAVEnonsense");
        addFiles(&bgm, nullptr, kData, {"once.mid", "loop.mid"});
        addFiles(nullptr, &snd, kData, {"beep1.wav", "beep2.wav", "missing.wav", "broken.wav"});
        bgm.InitBGM();
        snd.SoundOn = true;
    }

    void cleanup()
    {
        bgm.BGMOnOff(true);
        bgm.BGMStop();
        snd.SoundOn = true;
        snd.StopSound();
    }

    // TimGM6mb in any folder comes before default-GM; dangling links,
    // folders and other fonts do not count.
    void soundFontSearch()
    {
        QTemporaryDir tmp;
        const QDir root(tmp.path());
        const auto found = [&root] {
            const QString f = audio::findSoundFont({root.filePath("sf2"), root.filePath("sf3") + "/"});
            return f.isEmpty() ? QString() : QDir::cleanPath(root.relativeFilePath(f));
        };
        QVERIFY(root.mkpath("sf2") && root.mkpath("sf3/TimGM6mb.sf2"));
        QVERIFY(QFile::link(root.filePath("gone"), root.filePath("sf2/TimGM6mb.sf2")));
        for (const char* name : {"sf2/FluidR3_GM.sf2", "sf2/default-GM.sf2", "sf3/TimGM6mb.sf3"})
            writeFile(root.filePath(name), {});
        QCOMPARE(found(), "sf3/TimGM6mb.sf3");
        QVERIFY(QFile::remove(root.filePath("sf3/TimGM6mb.sf3")));
        QCOMPARE(found(), "sf2/default-GM.sf2");
        QVERIFY(QFile::remove(root.filePath("sf2/default-GM.sf2")));
        QCOMPARE(found(), QString());
    }

    void soundRequests_data()
    {
        QTest::addColumn<bool>("on");
        QTest::addColumn<int>("secondNoStop"); // negative: no second request
        QTest::addColumn<int>("firstLoop");
        QTest::addColumn<int>("waitMs");
        QTest::addColumn<int>("expectChunkOf"); // the sound on the channel then; 0: none
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
        QFETCH(int, firstLoop);
        QFETCH(int, waitMs);
        QFETCH(int, expectChunkOf);
        snd.PlayAsync(kBeep2, 0, 1, 0);
        Mix_Chunk* second = Mix_GetChunk(0);
        snd.PlayAsync(kBeep1, 0, 1, 0);
        Mix_Chunk* first = Mix_GetChunk(0);
        QVERIFY(first && second && first != second);
        snd.StopSound();
        snd.SoundOn = on;
        snd.PlayAsync(kBeep1, qint16(firstLoop), 1, 0);
        if (secondNoStop >= 0)
            snd.PlayAsync(on ? kBeep2 : 9, 0, 1, qint16(secondNoStop)); // 9 would be warned about
        QTest::qWait(waitMs);
        QCOMPARE(Mix_Playing(0) != 0, expectChunkOf != 0);
        if (expectChunkOf != 0)
            QCOMPARE(Mix_GetChunk(0), expectChunkOf == 1 ? first : second);
        QVERIFY(audio::warnings().filter("sound number 9").isEmpty());
    }

    // Once read, a sound plays from memory even when its file has gone,
    // until RemoveAll forgets it; one that failed is not read again till then.
    void soundLoadedOnceUntilRemoveAll()
    {
        snd.PlayAsync(kBeep1, 0, 1, 0);
        Mix_Chunk* loaded = Mix_GetChunk(0);
        const QString path = kData + "/beep1.wav";
        QVERIFY(loaded && QFile::rename(path, path + ".aside"));
        snd.PlayAsync(kBeep1, 1, 1, 0);
        const bool fromMemory = Mix_Playing(0) && Mix_GetChunk(0) == loaded;
        snd.RemoveAll();
        const bool stopped = !Mix_Playing(0);
        addFiles(nullptr, &snd, kData, {"beep1.wav", "beep2.wav", "missing.wav", "broken.wav"});
        snd.PlayAsync(kBeep1, 0, 1, 0);
        const bool reread = Mix_Playing(0);
        QVERIFY(QFile::rename(path + ".aside", path));
        snd.PlayAsync(kBeep1, 0, 1, 0);
        QVERIFY(fromMemory && stopped && !reread && !Mix_Playing(0));
        snd.RemoveAll();
        addFiles(nullptr, &snd, kData, {"beep1.wav", "beep2.wav", "missing.wav", "broken.wav"});
    }

    // A bad track or sound asked for again and again while music and a
    // looping sound play: one warning, silence for it; whether what played
    // goes on; everything good still plays afterwards. The cut and garbled
    // tunes once froze the game for good or crashed it.
    void badRequests_data()
    {
        QTest::addColumn<bool>("isTrack");
        QTest::addColumn<QByteArray>("bytes"); // written to bad.mid; empty: no file
        QTest::addColumn<qint16>("number");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<bool>("goesOn");
        const QByteArray rg1 = shippedTune("rg1.mid");
        QTest::newRow("track 0") << true << QByteArray() << qint16(0) << "track number 0" << true;
        QTest::newRow("track past the list") << true << QByteArray() << qint16(4) << "track number 4" << true;
        QTest::newRow("missing track") << true << QByteArray() << qint16(3) << "(no such file)" << false;
        QTest::newRow("not MIDI") << true << QByteArray("not a MIDI file\n") << qint16(3) << "bad.mid (not a Standard MIDI File)" << false;
        const QString pastTheEnd = "bad.mid (a chunk runs past the end of the file)";
        QTest::newRow("menu tune cut to 2400 bytes") << true << shippedTune("rg8.mid").left(2400) << qint16(3)
                                                     << pastTheEnd << false;
        QTest::newRow("tune cut to 100 bytes") << true << rg1.left(100) << qint16(3) << "bad.mid" << false;
        QTest::newRow("MTrk claims 0x7FFFFFFF bytes")
            << true << rg1.left(18) + QByteArray::fromHex("7fffffff") + rg1.mid(22) << qint16(3) << pastTheEnd
            << false;
        QTest::newRow("sound 0") << false << QByteArray() << qint16(0) << "sound number 0" << true;
        QTest::newRow("sound past the list") << false << QByteArray() << qint16(5) << "sound number 5" << true;
        QTest::newRow("missing sound") << false << QByteArray() << qint16(3) << "missing.wav" << false;
        QTest::newRow("broken sound") << false << QByteArray() << qint16(4) << "broken.wav" << false;
    }

    void badRequests()
    {
        QFETCH(bool, isTrack);
        QFETCH(QByteArray, bytes);
        QFETCH(qint16, number);
        QFETCH(QString, warning);
        QFETCH(bool, goesOn);
        QTemporaryDir dir;
        if (!bytes.isEmpty())
            writeFile(dir.filePath("bad.mid"), bytes);
        clsBGMAPI music;
        addFiles(&music, nullptr, kData, {"once.mid", "loop.mid"});
        addFiles(&music, nullptr, dir.path(), {"bad.mid"});
        music.InitBGM();
        const int warnedBefore = audio::warnings().filter(warning).size();
        play(music, kLoop, false);
        snd.PlayAsync(kBeep1, 1, 1, 0);
        for (int i = 0; i < 3; ++i) {
            music.BGMPlay(kLoop, false); // so that the next request is a new one
            isTrack ? play(music, number, i % 2) : snd.PlayAsync(number, i % 2, 1, 0);
            tick(music);
        }
        QCOMPARE(audio::warnings().filter(warning).size() - warnedBefore, 1);
        const bool musicGoesOn = !isTrack || goesOn;
        QCOMPARE(Mix_PlayingMusic() != 0, musicGoesOn);
        QCOMPARE(music.GetBGMStopped(), !musicGoesOn);
        QCOMPARE(music.CurrentTrack(), musicGoesOn ? kLoop : number);
        QCOMPARE(Mix_Playing(0) != 0, isTrack || goesOn);
        play(music, kLoop, false);
        snd.PlayAsync(kBeep2, 0, 1, 0);
        QVERIFY(Mix_PlayingMusic() && Mix_Playing(0));
    }

    // Every shipped tune, cut short anywhere (every byte of its first 200,
    // then every 64th), is silence; the whole tune plays.
    void everyCutIsSilent_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* name : {"rg1", "rg2", "rg3", "rg4", "rg5", "rg7", "rg8", "rg9"})
            QTest::newRow(name) << QString(name) + ".mid";
    }

    void everyCutIsSilent()
    {
        QFETCH(QString, name);
        const QByteArray tune = shippedTune(qPrintable(name));
        QVERIFY(tune.size() > 1000);
        QTemporaryDir dir;
        clsBGMAPI music;
        music.InitBGM();
        QStringList files;
        for (int cut = 0; cut < tune.size(); cut += cut < 200 ? 1 : 64) {
            files << QString("%1.mid").arg(cut);
            writeFile(dir.filePath(files.last()), tune.left(cut));
        }
        writeFile(dir.filePath(name), tune);
        addFiles(&music, nullptr, dir.path(), files << name);
        for (qint16 track = 1; track <= files.size(); ++track) {
            play(music, track, false);
            QVERIFY2(music.GetBGMStopped() != (track == files.size()), qPrintable(files.at(track - 1)));
            QCOMPARE(Mix_PlayingMusic() != 0, track == files.size());
        }
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
            tick(bgm); // the poll closes it, and it stays closed
        QVERIFY(bgm.GetBGMStopped() && !Mix_PlayingMusic());
        QCOMPARE(bgm.CurrentTrack(), kOnce);
    }

    // FluidSynth notices the end of a tune two to four seconds after it, so
    // a loop restarted from the poll would show as "stopped" within 4.5 s.
    void loopingKeepsPlaying()
    {
        play(bgm, kLoop, false);
        play(bgm, kLoop, true); // the track that plays, and its loop flag, stay as they are
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 4500) {
            QVERIFY(!bgm.GetBGMStopped());
            bgm.CalledByTimer();
            QTest::qWait(75);
        }
        QVERIFY(Mix_PlayingMusic() && Mix_VolumeMusic(-1) <= 100); // low enough not to clip
        Mix_HaltMusic(); // stopped by the mixer after all: the poll starts it again
        QVERIFY(bgm.GetBGMStopped());
        tick(bgm);
        QVERIFY(!bgm.GetBGMStopped() && Mix_PlayingMusic());
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
            tick(bgm); // nothing comes back by itself
        QVERIFY(bgm.GetBGMStopped() && !Mix_PlayingMusic());
        QCOMPARE(bgm.CurrentTrack(), qint16(-1));
        // The same track starts again, from the event loop rather than at the next poll.
        bgm.BGMPlay(kLoop, false);
        QTRY_VERIFY_WITH_TIMEOUT(Mix_PlayingMusic(), 3000);
        QVERIFY(!bgm.GetBGMStopped());
    }

    // The device stays open while any object still uses it; a second Sound
    // object shares it.
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
        Sound other;
        addFiles(nullptr, &other, kData, {"beep2.wav"});
        other.SoundOn = true;
        other.PlayAsync(1, 0, 1, 0);
        bgm.BGMPlay(kLoop, false);
        if (!whileLoading)
            bgm.WaitForLoad();
        snd.PlayAsync(kBeep1, 1, 1, 0);
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
        other.PlayAsync(1, 0, 1, 0);
        QVERIFY(Mix_PlayingMusic() && Mix_Playing(0));
    }

    // Every track start loads a new FluidSynth synthesizer; none of them may
    // leave memory behind, or a long session grows without end.
    void trackStartsLeaveNothingBehind()
    {
#ifdef __SANITIZE_ADDRESS__
        QSKIP("the sanitizer's allocator keeps freed memory on purpose");
#endif
        auto startTracks = [this](int n) {
            for (int i = 0; i < n; ++i) {
                play(bgm, i % 2 ? kLoop : kOnce, false);
                bgm.BGMStop();
            }
            return static_cast<qint64>(mallinfo2().uordblks);
        };
        const qint64 before = startTracks(10);
        const qint64 grown = startTracks(40) - before;
        QVERIFY2(grown < 40 * 1024, qPrintable(QString("heap grew by %1 bytes in 40 starts").arg(grown)));
    }

    // SDL would turn SIGINT and SIGTERM into an event nobody reads; the
    // program needs them to close its window and save.
    void signalsLeftToTheProgram()
    {
        bgm.Shutdown();
        snd.Shutdown();
        const int sigs[] = {SIGINT, SIGTERM}; // the test framework has its own handlers
        struct sigaction plain = {}, saved[2] = {}, after[2] = {};
        plain.sa_handler = SIG_DFL;
        for (int i = 0; i < 2; ++i)
            QCOMPARE(sigaction(sigs[i], &plain, &saved[i]), 0);
        snd.PlayAsync(kBeep1, 0, 1, 0);
        const bool opened = audio::isOpen();
        for (int i = 0; i < 2; ++i)
            sigaction(sigs[i], &saved[i], &after[i]);
        QVERIFY(opened && after[0].sa_handler == SIG_DFL && after[1].sa_handler == SIG_DFL);
    }
};

QTEST_GUILESS_MAIN(TestAudio)
#include "test_audio.moc"
