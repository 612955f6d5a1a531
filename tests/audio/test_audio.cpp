// The tune check on files written byte by byte; sound effects and music on SDL's
// dummy driver, in real time. The rows of `degraded` need a fresh process each.
#include "audio/AudioDevice.h"
#include "audio/MidiCheck.h"
#include "audio/Sound.h"
#include "audio/clsBGMAPI.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <csignal>
#include <malloc.h>

using namespace zorbel;

namespace
{
// Tracks 1 (once-only) and 2 (looping): one note of 1 s. Sounds 1 (pi2, 0.1 s) and 2.
constexpr qint16 kOnce = 1, kLoop = 2, kPi = 1, kBuzzer = 2;
const QTemporaryDir kDir;
const QString kFolder = kDir.path() + "/";
const char* const kNote = "00903c40 60803c00 00ff2f00"; // a quarter note, then the end

// Format 0 with one track unless the header says otherwise; 96 pulses a quarter note.
QByteArray smf(std::initializer_list<const char*> tracks, const char* header = "00000006000000010060")
{
    QByteArray file = QByteArray::fromHex(QByteArray("4d546864") + header);
    for (const char* hex : tracks) {
        const QByteArray body = QByteArray::fromHex(hex);
        file += "MTrk" + QByteArray::fromHex(QByteArray::number(body.size(), 16).rightJustified(8, '0')) + body;
    }
    return file;
}

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

void add(clsBGMAPI& bgm, const QStringList& names = {})
{
    for (const QString& name : QStringList{"once.mid", "loop.mid"} + names)
        bgm.AddBGM(name);
    bgm.InitBGM();
}

void add(Sound& snd)
{
    for (const char* name : {"pi2.wav", "buzzer1.wav", "missing.wav", "broken.wav"})
        snd.Add(name);
    snd.SoundOn = true;
}

void play(clsBGMAPI& bgm, qint16 track, bool notLoop = false) // and wait for the load
{
    bgm.BGMPlay(track, notLoop);
    bgm.WaitForLoad();
}

struct Requests { // pi2 looping or not, then the buzzer (no-stop flag; -1: not); channel 0 then
    bool on;
    qint16 loop, secondNoStop;
    int heard; // 1: pi2, 2: buzzer, 0: nothing
};

struct Bad { // a request for track 3 (its file's bytes; none: no file) or another number
    QByteArray bytes;
    qint16 track, sound; // the sound asked for instead of the track unless negative
    QString warning;
};
} // namespace

class TestAudio : public QObject
{
    Q_OBJECT
    clsBGMAPI bgm{kFolder};
    Sound snd{kFolder};

private slots:
    void initTestCase()
    {
        for (const char* name : {"once.mid", "loop.mid"})
            writeFile(name, smf({"00ff510303d090 00c000 00903c40 8300803c00 00ff2f00"}));
        for (const char* name : {"pi2.wav", "buzzer1.wav"})
            writeFile(name, shipped(name));
        writeFile("broken.wav", "RIFF....WAVEnonsense");
        add(bgm);
        add(snd);
    }

    void tuneCheck_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("error");
        QTest::addColumn<double>("seconds");
        QTest::newRow("a quarter note at 120") << smf({kNote}) << "" << 0.5;
        QTest::newRow("running status") << smf({"00903c40 603c00 00ff2f00"}) << "" << 0.5;
        QTest::newRow("tempo map in another track") << smf({"00ff5103 0f4240 60ff5103 07a120 00ff2f00", kNote}, "00000006000100020060") << "" << 1.0;
        QTest::newRow("tempo halves at the second beat") << smf({"00ff5103 07a120 60ff5103 0f4240 60ff2f00"}) << "" << 1.5;
        QTest::newRow("other chunks skipped") << smf({kNote}) + QByteArray::fromHex("4d54657800000002abcd") << "" << 0.5;
        QTest::newRow("five-byte number") << smf({"8080808000ff2f00"}) << "a variable-length number longer than four bytes" << 0.0;
        QTest::newRow("running status after a meta event") << smf({"00ff5103 07a120 003c40 00ff2f00"}) << "running status without a channel message before it" << 0.0;
        QTest::newRow("note cut short") << smf({"00903c"}) << "an event runs past the end of its track" << 0.0;
        QTest::newRow("status byte among the data") << smf({"00903c90 00ff2f00"}) << "a channel message cut short by a status byte" << 0.0;
        QTest::newRow("sysex past the track") << smf({"00f00a0102 00ff2f00"}) << "an event runs past the end of its track" << 0.0;
        QTest::newRow("no End of Track") << smf({"00903c40 60803c00"}) << "a track without an End of Track event" << 0.0;
        QTest::newRow("events after End of Track") << smf({"60ff2f00 00903c40"}) << "data after the End of Track event" << 0.0;
        QTest::newRow("stray bytes") << smf({kNote}) + "MTr" << "stray bytes after the last chunk" << 0.0;
        QTest::newRow("status 0xF4") << smf({"00f4 60ff2f00"}) << "a status byte that has no place in a file" << 0.0;
        QTest::newRow("tempo zero") << smf({"00ff5103000000 60ff2f00"}) << "a tempo of zero" << 0.0;
        QTest::newRow("division zero") << smf({kNote}, "00000006000000010000") << "a division of zero pulses a quarter note" << 0.0;
        QTest::newRow("time-code division") << smf({kNote}, "0000000600000001e728") << "time-code timing, which is not supported" << 0.0;
        QTest::newRow("track missing") << smf({kNote}, "00000006000100020060") << "fewer track chunks than the header says" << 0.0;
        QTest::newRow("two tracks in format 0") << smf({kNote, kNote}, "00000006000000020060") << "a wrong number of tracks for its format" << 0.0;
        QTest::newRow("lasts no time") << smf({"00ff2f00"}) << "the tune is empty" << 0.0;
        QTest::newRow("over an hour") << smf({"00ff5103ffffff 8fffff7fff2f00"}) << "longer than an hour" << 0.0;
    }

    void tuneCheck()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, error);
        QFETCH(double, seconds);
        const auto got = audio::checkMidi(reinterpret_cast<const unsigned char*>(file.constData()), std::size_t(file.size()));
        QCOMPARE(QString::fromStdString(got.error), error);
        QCOMPARE(got.ok, error.isEmpty());
        QCOMPARE(got.seconds, seconds);
    }

    // TimGM6mb in any folder before default-GM; dangling links, folders and other fonts do not count.
    void soundFontSearch()
    {
        QTemporaryDir tmp;
        const QDir root(tmp.path());
        QVERIFY(root.mkpath("sf2") && root.mkpath("sf3/TimGM6mb.sf2"));
        QVERIFY(QFile::link(root.filePath("gone"), root.filePath("sf2/TimGM6mb.sf2")));
        const char* steps[][2] = {{"sf2/FluidR3_GM.sf2", ""}, {"sf2/default-GM.sf2", "sf2/default-GM.sf2"},
                                  {"sf3/TimGM6mb.sf3", "sf3/TimGM6mb.sf3"}};
        for (const auto& [add, expect] : steps) {
            QVERIFY(QFile(root.filePath(add)).open(QIODevice::WriteOnly));
            const QString f = audio::findSoundFont({root.filePath("sf2"), root.filePath("sf3") + "/"});
            QCOMPARE(f.isEmpty() ? QString() : QDir::cleanPath(root.relativeFilePath(f)), expect);
        }
    }

    // A sound effect cuts off the one before unless asked not to; a once-only one ends. A
    // sound is read once, from memory after; a failed one is not read again.
    void soundRequests_data()
    {
        QTest::addColumn<Requests>("r");
        QTest::newRow("second cuts the first") << Requests{true, 0, 0, 2};
        QTest::newRow("no-stop leaves the first") << Requests{true, 0, 1, 1};
        QTest::newRow("once-only ends") << Requests{true, 0, -1, 0};
        QTest::newRow("looping goes on") << Requests{true, 1, -1, 1};
        QTest::newRow("switched off") << Requests{false, 1, 0, 0};
    }

    void soundRequests()
    {
        QFETCH(Requests, r);
        writeFile("beep.wav", shipped("pi2.wav"));
        Sound own(kFolder);
        add(own);
        own.Add("beep.wav");
        Mix_Chunk* chunks[3] = {};
        for (qint16 n : {kBuzzer, kPi})
            own.PlayAsync(n, 0, 1, 0), chunks[n] = Mix_GetChunk(0);
        own.PlayAsync(5, 0, 1, 0); // reads beep.wav
        QVERIFY(chunks[1] && chunks[2] && chunks[1] != chunks[2] && QFile::remove(kDir.filePath("beep.wav")));
        own.StopSound();
        own.SoundOn = r.on;
        own.PlayAsync(kPi, r.loop, 1, 0);
        if (r.secondNoStop >= 0)
            own.PlayAsync(kBuzzer, 0, 1, r.secondNoStop);
        QTest::qWait(r.secondNoStop < 0 ? 450 : 0);
        QCOMPARE(Mix_Playing(0) ? Mix_GetChunk(0) : nullptr, chunks[r.heard]);
        own.SoundOn = true;
        own.PlayAsync(5, 0, 1, 0);
        QVERIFY(Mix_Playing(0)); // from memory
        own.RemoveAll(), own.Add("beep.wav"), own.PlayAsync(1, 0, 1, 0); // no file
        writeFile("beep.wav", shipped("pi2.wav"));
        own.PlayAsync(1, 0, 1, 0);
        QVERIFY(!Mix_Playing(0)); // not read again
    }

    // A bad track or sound asked for again and again while music and a looping sound play:
    // one warning, silence for it; whether what played goes on; then everything plays.
    void badRequests_data()
    {
        QTest::addColumn<Bad>("bad");
        const QByteArray rg1 = shipped("rg1.mid");
        const QString cut = ".mid (a chunk runs past the end of the file)";
        QTest::newRow("track 0") << Bad{{}, 0, -1, "track number 0"};
        QTest::newRow("track past the list") << Bad{{}, 4, -1, "track number 4"};
        QTest::newRow("missing track") << Bad{{}, 3, -1, ".mid (no such file)"};
        QTest::newRow("not MIDI") << Bad{"MIDI?", 3, -1, ".mid (not a Standard MIDI File)"};
        QTest::newRow("menu tune cut to 2400 bytes") << Bad{shipped("rg8.mid").left(2400), 3, -1, cut};
        QTest::newRow("tune cut to 100 bytes") << Bad{rg1.left(100), 3, -1, ".mid ("};
        QTest::newRow("MTrk claims 0x7FFFFFFF bytes")
            << Bad{rg1.left(18) + QByteArray::fromHex("7fffffff") + rg1.mid(22), 3, -1, cut};
        QTest::newRow("sound 0") << Bad{{}, 0, 0, "sound number 0"};
        QTest::newRow("sound past the list") << Bad{{}, 0, 5, "sound number 5"};
        QTest::newRow("missing sound") << Bad{{}, 0, 3, "missing.wav"};
        QTest::newRow("broken sound") << Bad{{}, 0, 4, "broken.wav"};
    }

    void badRequests()
    {
        QFETCH(Bad, bad);
        static int row = 0; // a file of its own for each row: each file is warned about once a run
        const QString file = QString("bad%1.mid").arg(++row);
        if (!bad.bytes.isEmpty())
            writeFile(file, bad.bytes);
        clsBGMAPI music(kFolder);
        add(music, {file});
        const qsizetype warned = audio::warnings().filter(bad.warning).size();
        const bool musicGoesOn = bad.sound >= 0 || bad.track != 3, soundGoesOn = bad.sound != 3 && bad.sound != 4;
        play(music, kLoop);
        snd.PlayAsync(kPi, 1, 1, 0);
        for (int i = 0; i < 3; ++i) {
            music.BGMPlay(kLoop, false); // so that the next request is a new one
            bad.sound >= 0 ? snd.PlayAsync(bad.sound, i % 2, 1, 0) : play(music, bad.track, i % 2);
            music.CalledByTimer(), music.WaitForLoad();
        }
        QCOMPARE(audio::warnings().filter(bad.warning).size() - warned, 1);
        QCOMPARE(Mix_PlayingMusic() != 0 && !music.GetBGMStopped(), musicGoesOn);
        QCOMPARE(Mix_Playing(0) != 0, soundGoesOn);
        play(music, kOnce);
        snd.PlayAsync(kBuzzer, 0, 1, 0);
        QVERIFY(Mix_PlayingMusic() && Mix_Playing(0));
    }

    // Each shipped tune cut anywhere (every length below 200 bytes, then every 64th) is
    // silence; the whole tune plays. Cut tunes once froze or crashed the game.
    void everyCutIsSilent()
    {
        for (const char* name : {"rg1", "rg2", "rg3", "rg4", "rg5", "rg7", "rg8", "rg9"}) {
            const QByteArray tune = shipped(name + QString(".mid"));
            QStringList files;
            for (int cut = 0; cut < tune.size(); cut += cut < 200 ? 1 : 64)
                writeFile(files.emplace_back(QString("%1-%2.mid").arg(name).arg(cut)), tune.left(cut));
            writeFile(files.emplace_back(name + QString(".mid")), tune);
            clsBGMAPI music(kFolder);
            add(music, files);
            for (qint16 track = 3; track <= files.size() + 2; ++track) {
                play(music, track);
                const bool stopped = music.GetBGMStopped();
                QVERIFY2(stopped == !Mix_PlayingMusic() && stopped != (track == files.size() + 2),
                         qPrintable(files.at(track - 3)));
            }
        }
    }

    // A once-only track ends after its 1 s; a loop outlasts FluidSynth's late notice of an
    // end (2-4 s), asked for again as once-only too; after a stop or a play with the music
    // off nothing comes back until the next play, which starts without a poll.
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
        QVERIFY2(t.elapsed() >= (how == "loop" ? 4500 : once ? 950 : 0) && t.elapsed() < (once ? 1500 : 5000),
                 qPrintable(QString::number(t.elapsed())));
        if (how == "switch off") {
            bgm.BGMOnOff(false);
            QVERIFY(Mix_PlayingMusic() && !bgm.GetBGMStopped()); // not before the next BGMPlay
            bgm.BGMPlay(kOnce, false);
            bgm.BGMOnOff(true);
        } else if (how == "loop") {
            Mix_HaltMusic(); // stopped by the mixer after all: the poll starts it again
        } else if (!once) {
            bgm.BGMStop();
        }
        for (int i = 0; i < 3; ++i)
            bgm.CalledByTimer(), bgm.WaitForLoad();
        QCOMPARE(bgm.GetBGMStopped() && !Mix_PlayingMusic(), how != "loop");
        QCOMPARE(bgm.CurrentTrack(), once ? kOnce : how == "loop" ? kLoop : qint16(-1));
        QVERIFY(Mix_VolumeMusic(-1) <= 100); // low enough not to clip
        bgm.BGMPlay(kLoop, false);
        QTRY_VERIFY_WITH_TIMEOUT(Mix_PlayingMusic() && !bgm.GetBGMStopped(), 3000);
        bgm.BGMStop();
    }

    // The device stays open while any object uses it (m: music, s: sounds, t: a second
    // Sound), and everything works again afterwards.
    void shutdownInAnyOrder_data()
    {
        QTest::addColumn<QString>("order");
        QTest::newRow("sounds, then music") << "stm";
        QTest::newRow("twice each") << "mtsstm";
        QTest::newRow("while a track loads") << "mts"; // no wait for the load
    }

    void shutdownInAnyOrder()
    {
        QFETCH(QString, order);
        Sound other(kFolder);
        add(other);
        other.PlayAsync(kBuzzer, 0, 1, 0);
        bgm.BGMPlay(kLoop, false);
        if (order != "mts")
            bgm.WaitForLoad();
        snd.PlayAsync(kPi, 1, 1, 0);
        for (int i = 0; i < order.size(); ++i) {
            order.at(i) == 'm' ? bgm.Shutdown() : order.at(i) == 's' ? snd.Shutdown() : other.Shutdown();
            const QString done = order.left(i + 1);
            QCOMPARE(audio::isOpen(), !(done.contains('m') && done.contains('s') && done.contains('t')));
        }
        QCOMPARE(SDL_WasInit(SDL_INIT_AUDIO), Uint32(0));
        QVERIFY(bgm.GetBGMStopped()); // a late poll tick and stops find nothing open
        bgm.CalledByTimer(), bgm.BGMStop(), snd.StopSound();
        play(bgm, kOnce);
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
                play(bgm, i % 2 ? kLoop : kOnce), bgm.BGMStop();
            return qint64(mallinfo2().uordblks);
        };
        const qint64 before = startTracks(10), grown = startTracks(40) - before;
        QVERIFY2(grown < 40 * 1024, qPrintable(QString("heap grew by %1 bytes in 40 starts").arg(grown)));
    }

    // No device (SDL has no such driver) or no SoundFont: silent music, sounds when there is a
    // device, the cause told once. SDL leaves SIGINT and SIGTERM to the program (it saves on them).
    void degraded_data()
    {
        QTest::addColumn<bool>("noDevice");
        QTest::newRow("nodevice") << true;
        QTest::newRow("nosoundfont") << false;
    }

    void degraded()
    {
        QFETCH(bool, noDevice);
        if (!QCoreApplication::arguments().contains(QString("degraded:") + QTest::currentDataTag()))
            QSKIP("runs alone, in a fresh process");
        qputenv("SDL_AUDIODRIVER", noDevice ? "none" : "dummy");
        const QTemporaryDir empty;
        audio::setSoundFontDirs({empty.path()});
        std::signal(SIGINT, SIG_DFL), std::signal(SIGTERM, SIG_DFL); // the test framework has its own
        for (int i = 0; i < 3; ++i) {
            play(bgm, qint16(1 + i % 2), i % 2);
            bgm.CalledByTimer(), bgm.WaitForLoad(), snd.PlayAsync(kPi, 0, 1, 0);
            QVERIFY(bgm.GetBGMStopped() && audio::isOpen() != noDevice && !Mix_PlayingMusic());
            QCOMPARE(Mix_Playing(0) != 0, !noDevice);
        }
        QVERIFY(std::signal(SIGINT, SIG_DFL) == SIG_DFL && std::signal(SIGTERM, SIG_DFL) == SIG_DFL);
        const QStringList warned = audio::warnings();
        QVERIFY2(warned.size() == 1 && warned[0].startsWith(noDevice ? "zorbel: no audio device (" : "zorbel: no General MIDI SoundFont in"),
                 qPrintable(warned.join('\n')));
        for (int i = 0; i < 2; ++i)
            bgm.Shutdown(), snd.Shutdown();
        QVERIFY(!audio::isOpen() && bgm.GetBGMStopped());
    }
};

QTEST_GUILESS_MAIN(TestAudio)
#include "test_audio.moc"
