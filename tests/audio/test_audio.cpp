// The tune check, the shipped tunes and sounds, and playback on SDL's dummy driver in real time.
#include "audio/AudioDevice.h"
#include "audio/MidiCheck.h"
#include "audio/MusicLoader.h"
#include "audio/Sound.h"
#include "audio/clsBGMAPI.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <csignal>
#include <future>
#include <malloc.h>
#include <map>
#include <set>
#include <sys/stat.h>

using namespace zorbel;

namespace
{
// Tracks 1 (once-only) and 2 (looping): one note of 1 s. Sounds 1 (pi2, 0.1 s) and 2.
constexpr qint16 kOnce = 1, kLoop = 2, kPi = 1, kBuzzer = 2;
const QString kBuilt = QStringLiteral(ZORBEL_PROGRAM_DIR "/");
const QTemporaryDir kDir;
const QString kFolder = kDir.path() + "/";
const char* const kNote = "00903c40 60803c00 00ff2f00"; // a quarter note, then the end

// Format 0 with one track unless the header says otherwise; 96 pulses a quarter note.
QByteArray smf(std::initializer_list<const char*> tracks,
               const char* header = "00000006000000010060")
{
    QByteArray file = QByteArray::fromHex(QByteArray("4d546864") + header);
    for (const char* hex : tracks) {
        const QByteArray body = QByteArray::fromHex(hex);
        file += "MTrk" +
                QByteArray::fromHex(QByteArray::number(body.size(), 16).rightJustified(8, '0')) +
                body;
    }
    return file;
}

QByteArray shipped(const QString& name)
{
    QFile f(kBuilt + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& name, const QByteArray& bytes)
{
    QFile f(kDir.filePath(name));
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
}

audio::MidiCheck check(const QByteArray& file)
{
    return audio::checkMidi(reinterpret_cast<const unsigned char*>(file.constData()),
                            std::size_t(file.size()));
}

// Tracks once.mid, loop.mid, then names; sounds pi2, buzzer1, missing, broken and pipe.wav.
void add(clsBGMAPI& bgm, const QStringList& names = {})
{
    for (const QString& name : QStringList{"once.mid", "loop.mid"} + names)
        bgm.AddBGM(name);
    bgm.InitBGM();
}

void add(Sound& snd)
{
    for (const char* name : {"pi2.wav", "buzzer1.wav", "missing.wav", "broken.wav", "pipe.wav"})
        snd.Add(name);
    snd.SoundOn = true;
}

void play(clsBGMAPI& bgm, qint16 track, bool notLoop = false) // and wait for the load
{
    bgm.BGMPlay(track, notLoop);
    bgm.WaitForLoad();
}

// pi2, looping or not, then the buzzer with its no-stop flag (-1: none); then heard 1: pi2,
// 2: buzzer, 0: nothing. Track 3's bytes (none: no file, "pipe": a named pipe), or a sound instead
// unless negative.
struct Requests {
    bool on;
    qint16 loop, secondNoStop;
    int heard;
};
struct Bad {
    QByteArray bytes;
    qint16 track, sound;
    QString warning;
};
struct Tune {
    QByteArray file;
    QString error;
    double seconds;
}; // no error: the file lasts seconds
} // namespace

class TestAudio : public QObject
{
    Q_OBJECT
    clsBGMAPI bgm{kFolder};
    Sound snd{kFolder};
    QTemporaryDir prefix;

private slots:
    void initTestCase()
    {
        for (const QString name : {"once.mid", "loop.mid", "pi2.wav", "buzzer1.wav"})
            writeFile(name, name.endsWith(".wav")
                                ? shipped(name)
                                : smf({"00ff510303d090 00c000 00903c40 8300803c00 00ff2f00"}));
        writeFile("broken.wav", "RIFF....WAVEnonsense");
        QCOMPARE(mkfifo(QFile::encodeName(kFolder + "pipe.wav"), 0600), 0); // nobody writes to it
        add(bgm), add(snd);
        QProcess cmake;
        cmake.start(ZORBEL_CMAKE_COMMAND,
                    {"--install", kBuilt, "--prefix", prefix.path(), "--component", "audio"});
        QVERIFY(cmake.waitForFinished(60000) && cmake.exitStatus() == QProcess::NormalExit &&
                cmake.exitCode() == 0);
    }

    void tuneCheck_data()
    {
        QTest::addColumn<Tune>("tune");
        QTest::newRow("a quarter note at 120") << Tune{smf({kNote}), "", 0.5};
        QTest::newRow("running status") << Tune{smf({"00903c40 603c00 00ff2f00"}), "", 0.5};
        QTest::newRow("tempo map in another track") << Tune{
            smf({"00ff5103 0f4240 60ff5103 07a120 00ff2f00", kNote}, "00000006000100020060"), "",
            1.0};
        QTest::newRow("tempo halves at the second beat")
            << Tune{smf({"00ff5103 07a120 60ff5103 0f4240 60ff2f00"}), "", 1.5};
        QTest::newRow("other chunks skipped")
            << Tune{smf({kNote}) + QByteArray::fromHex("4d54657800000002abcd"), "", 0.5};
        QTest::newRow("five-byte number") << Tune{
            smf({"8080808000ff2f00"}), "a variable-length number longer than four bytes", 0.0};
        QTest::newRow("running status after a meta event")
            << Tune{smf({"00903c40 00ff5103 07a120 003c00 00ff2f00"}),
                    "running status without a channel message before it", 0.0};
        QTest::newRow("note cut short")
            << Tune{smf({"00903c"}), "an event runs past the end of its track", 0.0};
        QTest::newRow("status byte among the data") << Tune{
            smf({"00903c90 00ff2f00"}), "a channel message cut short by a status byte", 0.0};
        QTest::newRow("sysex past the track")
            << Tune{smf({"00f00a0102 00ff2f00"}), "an event runs past the end of its track", 0.0};
        QTest::newRow("no End of Track")
            << Tune{smf({"00903c40 60803c00"}), "a track without an End of Track event", 0.0};
        QTest::newRow("events after End of Track")
            << Tune{smf({"60ff2f00 00903c40"}), "data after the End of Track event", 0.0};
        QTest::newRow("stray bytes")
            << Tune{smf({kNote}) + "MTr", "stray bytes after the last chunk", 0.0};
        QTest::newRow("status 0xF4")
            << Tune{smf({"00f4 60ff2f00"}), "a status byte that has no place in a file", 0.0};
        QTest::newRow("tempo zero")
            << Tune{smf({"00ff5103000000 60ff2f00"}), "a tempo of zero", 0.0};
        QTest::newRow("division zero") << Tune{smf({kNote}, "00000006000000010000"),
                                               "a division of zero pulses a quarter note", 0.0};
        QTest::newRow("time-code division") << Tune{
            smf({kNote}, "0000000600000001e728"), "time-code timing, which is not supported", 0.0};
        QTest::newRow("track missing") << Tune{smf({kNote}, "00000006000100020060"),
                                               "fewer track chunks than the header says", 0.0};
        QTest::newRow("two tracks in format 0")
            << Tune{smf({kNote, kNote}, "00000006000000020060"),
                    "a wrong number of tracks for its format", 0.0};
        QTest::newRow("lasts no time") << Tune{smf({"00ff2f00"}), "the tune is empty", 0.0};
        QTest::newRow("over an hour")
            << Tune{smf({"00ff5103ffffff 8fffff7fff2f00"}), "longer than an hour", 0.0};
    }

    void tuneCheck()
    {
        QFETCH(Tune, tune);
        QCOMPARE(QString::fromStdString(check(tune.file).error), tune.error);
        QCOMPARE(check(tune.file).seconds, tune.seconds);
    }

    void shippedFiles_data()
    {
        QTest::addColumn<double>("minSeconds");
        QTest::addColumn<double>("maxSeconds");
        for (const char* name :
             {"rg1.mid", "rg2.mid", "rg3.mid", "rg4.mid", "rg5.mid", "rg7.mid", "rg8.mid"})
            QTest::newRow(name) << 20.0 << 60.0;  // loops
        QTest::newRow("rg9.mid") << 12.0 << 16.0; // once, outlasting the 10.86 s farewell
        QTest::newRow("fanfale1.wav") << 1.3 << 1.7;
        QTest::newRow("buzzer1.wav") << 0.3 << 0.99;
        QTest::newRow("drums2.wav") << 0.8 << 1.2;
        QTest::newRow("pi2.wav") << 0.05 << 0.15;
    }

    // Installed as built; as long as its moment needs. A tune closes every note, strikes no
    // sounding key again, starts and ends at once, loops on a bar line, has one instrument on each
    // of three melodic channels, and drums. A sound peaks in range and starts and ends on silence.
    void shippedFiles()
    {
        QFETCH(double, minSeconds);
        QFETCH(double, maxSeconds);
        const QString name = QTest::currentDataTag();
        const QByteArray bytes = shipped(name);
        QVERIFY(!bytes.isEmpty() &&
                QFileInfo(prefix.path() + "/lib/zorbel/" + name).size() == bytes.size());
        double seconds = 0.0;
        if (name.endsWith(".mid")) {
            const auto midi = check(bytes);
            std::map<std::pair<int, int>, int> sounding;
            std::map<int, int> program;
            std::set<int> melodic;
            double firstOn = -1.0, lastOff = 0.0;
            for (const auto& e : midi.events) {
                const int kind = e.status & 0xF0, ch = e.status & 0x0F;
                const bool on = kind == 0x90 && e.data2 > 0,
                           off = kind == 0x80 || (kind == 0x90 && !on);
                const QString at =
                    QString("channel %1 key %2 pulse %3: ").arg(ch + 1).arg(e.data1).arg(e.pulse);
                int& count = sounding[{ch, e.data1}];
                QVERIFY2(!on || count++ == 0, qPrintable(at + "struck again while sounding"));
                QVERIFY2(!off || count-- == 1, qPrintable(at + "released but not sounding"));
                if (kind == 0xC0 && ch != 9)
                    QVERIFY2(program.emplace(ch, e.data1).first->second == e.data1,
                             qPrintable(at + "new instrument"));
                QVERIFY2(!on || ch == 9 || program.count(ch), qPrintable(at + "no instrument"));
                if (on)
                    melodic.insert(ch), firstOn = firstOn < 0.0 ? e.seconds : firstOn;
                lastOff = off ? std::max(lastOff, e.seconds) : lastOff;
            }
            for (const auto& [key, count] : sounding)
                QVERIFY2(count == 0, qPrintable(QString("channel %1 key %2 never released")
                                                    .arg(key.first + 1)
                                                    .arg(key.second)));
            QVERIFY2(midi.ok && firstOn >= 0.0 && firstOn < 0.05 && midi.seconds - lastOff < 0.5,
                     qPrintable(QString("%1: from %2 s, last off at %3 s")
                                    .arg(midi.error.c_str())
                                    .arg(firstOn)
                                    .arg(lastOff)));
            QVERIFY2(melodic.erase(9) && melodic.size() >= 3,
                     "wants three melodic channels and drums");
            const int bar =
                midi.pulsesPerQuarter * 4 * midi.timeSigNumerator / midi.timeSigDenominator;
            QVERIFY2(name == "rg9.mid" || midi.tracks.front().endPulse % bar == 0,
                     "ends inside a bar");
            seconds = midi.seconds;
        } else {
            SDL_AudioSpec spec{};
            Uint8* buffer = nullptr;
            Uint32 size = 0;
            QVERIFY2(
                SDL_LoadWAV(QFile::encodeName(kBuilt + name).constData(), &spec, &buffer, &size),
                SDL_GetError());
            const std::unique_ptr<Uint8, void (*)(Uint8*)> owner(buffer, SDL_FreeWAV);
            const auto* samples = reinterpret_cast<const std::int16_t*>(buffer);
            const int count = int(size / 2), channels = spec.channels,
                      peak = *std::max_element(samples, samples + count, [](int a, int b) {
                          return std::abs(a) < std::abs(b);
                      });
            QVERIFY(spec.format == AUDIO_S16LSB && channels > 0 && count >= channels);
            const double dbfs = 20.0 * std::log10(std::max(std::abs(peak), 1) / 32767.0);
            QVERIFY2(dbfs <= -0.5 && dbfs >= -20.0, qPrintable(QString("peak %1 dBFS").arg(dbfs)));
            for (int c = 0; c < channels; ++c)
                QVERIFY2(std::abs(samples[c]) <= 163 &&
                             std::abs(samples[count - channels + c]) <= 163,
                         "click");
            seconds = double(count / channels) / spec.freq;
        }
        QVERIFY2(seconds >= minSeconds && seconds <= maxSeconds,
                 qPrintable(QString::number(seconds)));
    }

    // TimGM6mb in any folder before default-GM; dangling links, folders and other fonts do not
    // count.
    void soundFontSearch()
    {
        QTemporaryDir tmp;
        const QDir root(tmp.path());
        QVERIFY(root.mkpath("sf2") && root.mkpath("sf3/TimGM6mb.sf2") &&
                QFile::link(root.filePath("gone"), root.filePath("sf2/TimGM6mb.sf2")));
        for (const auto& [add, expect] : {std::pair{"sf2/FluidR3_GM.sf2", ""},
                                          {"sf2/default-GM.sf2", "sf2/default-GM.sf2"},
                                          {"sf3/TimGM6mb.sf3", "sf3/TimGM6mb.sf3"}}) {
            QVERIFY(QFile(root.filePath(add)).open(QIODevice::WriteOnly));
            const QString f =
                audio::findSoundFont({root.filePath("sf2"), root.filePath("sf3") + "/"});
            QCOMPARE(f.isEmpty() ? QString() : QDir::cleanPath(root.relativeFilePath(f)), expect);
        }
    }

    // A sound is read once, then played from memory; a failed one is not read again.
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
        add(own), own.Add("beep.wav");
        Mix_Chunk* chunks[3] = {};
        for (qint16 n : {kBuzzer, kPi})
            own.PlayAsync(n, 0, 1, 0), chunks[n] = Mix_GetChunk(0);
        own.PlayAsync(6, 0, 1, 0); // reads beep.wav
        QVERIFY(chunks[1] && chunks[2] && chunks[1] != chunks[2] &&
                QFile::remove(kDir.filePath("beep.wav")));
        own.StopSound(), own.SoundOn = r.on;
        own.PlayAsync(kPi, r.loop, 1, 0);
        if (r.secondNoStop >= 0)
            own.PlayAsync(kBuzzer, 0, 1, r.secondNoStop);
        QTest::qWait(r.secondNoStop < 0 ? 450 : 0);
        QCOMPARE(Mix_Playing(0) ? Mix_GetChunk(0) : nullptr, chunks[r.heard]);
        own.SoundOn = true, own.PlayAsync(6, 0, 1, 0);
        QVERIFY(Mix_Playing(0));                                         // from memory
        own.RemoveAll(), own.Add("beep.wav"), own.PlayAsync(1, 0, 1, 0); // no file
        writeFile("beep.wav", shipped("pi2.wav"));
        own.PlayAsync(1, 0, 1, 0);
        QVERIFY(!Mix_Playing(0)); // not read again
    }

    // A bad track or sound asked for again and again: one warning, silence for it, whether
    // what played goes on; then everything plays.
    void badRequests_data()
    {
        QTest::addColumn<Bad>("bad");
        const QByteArray rg1 = shipped("rg1.mid");
        const QString cut = ".mid (a chunk runs past the end of the file)";
        QTest::newRow("track 0") << Bad{{}, 0, -1, "track number 0"};
        QTest::newRow("track past the list") << Bad{{}, 4, -1, "track number 4"};
        QTest::newRow("missing track") << Bad{{}, 3, -1, ".mid (no such file)"};
        QTest::newRow("not MIDI") << Bad{"MIDI?", 3, -1, ".mid (not a Standard MIDI File)"};
        QTest::newRow("menu tune cut to 2400 bytes")
            << Bad{shipped("rg8.mid").left(2400), 3, -1, cut};
        QTest::newRow("tune cut to 100 bytes") << Bad{rg1.left(100), 3, -1, ".mid ("};
        QTest::newRow("MTrk claims 0x7FFFFFFF bytes")
            << Bad{rg1.left(18) + QByteArray::fromHex("7fffffff") + rg1.mid(22), 3, -1, cut};
        QTest::newRow("sound 0") << Bad{{}, 0, 0, "sound number 0"};
        QTest::newRow("track a named pipe") << Bad{"pipe", 3, -1, ".mid (not a regular file)"};
        QTest::newRow("sound past the list") << Bad{{}, 0, 6, "sound number 6"};
        QTest::newRow("missing sound") << Bad{{}, 0, 3, "missing.wav"};
        QTest::newRow("broken sound") << Bad{{}, 0, 4, "broken.wav"};
        QTest::newRow("sound a named pipe") << Bad{{}, 0, 5, "pipe.wav (not a regular file)"};
    }

    void badRequests()
    {
        QFETCH(Bad, bad);
        const QString file = QTest::currentDataTag() + QString(".mid");
        if (bad.bytes == "pipe")
            QCOMPARE(mkfifo(QFile::encodeName(kDir.filePath(file)), 0600), 0);
        else if (!bad.bytes.isEmpty())
            writeFile(file, bad.bytes);
        clsBGMAPI music(kFolder);
        add(music, {file});
        const QRegularExpression warning(
            QRegularExpression::escape((bad.track == 3 ? file.chopped(4) : "") + bad.warning));
        QTest::ignoreMessage(QtWarningMsg, warning); // once
        QTest::failOnWarning(warning);
        const bool musicGoesOn = bad.sound >= 0 || bad.track != 3;
        const bool soundGoesOn = bad.sound < 3 || bad.sound > 5;
        play(music, kLoop), snd.PlayAsync(kPi, 1, 1, 0);
        for (int i = 0; i < 3; ++i) {
            music.BGMPlay(kLoop, false); // so that the next request is a new one
            bad.sound >= 0 ? snd.PlayAsync(bad.sound, i % 2, 1, 0) : play(music, bad.track, i % 2);
            music.CalledByTimer(), music.WaitForLoad();
        }
        QCOMPARE(Mix_PlayingMusic() != 0 && !music.GetBGMStopped(), musicGoesOn);
        QCOMPARE(Mix_Playing(0) != 0, soundGoesOn);
        play(music, kOnce);
        snd.PlayAsync(kBuzzer, 0, 1, 0);
        QVERIFY(Mix_PlayingMusic() && Mix_Playing(0));
    }

    // Each shipped tune cut anywhere (below 200 bytes, then every 64th) is silence; all of it
    // plays. Cut tunes once froze or crashed the game.
    void everyCutIsSilent()
    {
        QLoggingCategory::setFilterRules("zorbel.audio.warning=false"); // one for every cut
        const auto warnAgain = qScopeGuard([] { QLoggingCategory::setFilterRules({}); });
        for (const char* name : {"rg1", "rg2", "rg3", "rg4", "rg5", "rg7", "rg8", "rg9"}) {
            const QByteArray tune = shipped(name + QString(".mid"));
            QStringList files;
            for (int cut = 0; cut < tune.size(); cut += cut < 200 ? 1 : 64)
                writeFile(files.emplace_back(QString("%1-%2.mid").arg(name).arg(cut)),
                          tune.left(cut));
            writeFile(files.emplace_back(name + QString(".mid")), tune);
            clsBGMAPI music(kFolder);
            add(music, files);
            for (qint16 track = 3; track <= files.size() + 2; ++track) {
                play(music, track);
                QVERIFY2(music.GetBGMStopped() == !Mix_PlayingMusic() &&
                             music.GetBGMStopped() != (track == files.size() + 2),
                         qPrintable(files.at(track - 3)));
            }
        }
    }

    // A once-only track ends after 1 s; a loop outlasts FluidSynth's late notice of an end
    // (2-4 s); after a stop nothing comes back until the next play, started without a poll.
    void trackLifetimes_data()
    {
        QTest::addColumn<QString>("how");
        for (const char* how : {"once", "loop", "stop", "stop while loading", "switch off"})
            QTest::newRow(how) << QString(how);
    }

    void trackLifetimes()
    {
        const QString how = QTest::currentDataTag();
        const bool once = how == "once";
        bgm.BGMPlay(once ? kOnce : kLoop, once);
        QVERIFY(!bgm.GetBGMStopped()); // loading counts as playing
        if (how != "stop while loading")
            bgm.WaitForLoad();
        bgm.BGMPlay(once ? kOnce : kLoop, true); // the track that plays stays as it is
        QElapsedTimer t;
        t.start();
        for (int ms = once            ? 5000
                      : how == "loop" ? 4500
                                      : 0;
             !bgm.GetBGMStopped() && t.elapsed() < ms;)
            QTest::qWait(10);
        QVERIFY2(t.elapsed() >= (how == "loop" ? 4500
                                 : once        ? 950
                                               : 0) &&
                     t.elapsed() < (once ? 1500 : 5000),
                 qPrintable(QString::number(t.elapsed())));
        if (how == "switch off") {
            bgm.BGMOnOff(false);
            QVERIFY(Mix_PlayingMusic() && !bgm.GetBGMStopped()); // not before the next BGMPlay
            bgm.BGMPlay(kOnce, false), bgm.BGMOnOff(true);
        } else if (!once) {
            how == "loop" ? void(Mix_HaltMusic())
                          : bgm.BGMStop(); // halted by the mixer: the poll restarts it
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

    // The device stays open while any object uses it (m: music, s: sounds, t: a second Sound).
    void shutdownInAnyOrder_data()
    {
        QTest::addColumn<QString>("order");
        for (const char* order : {"stm", "mtsstm", "mts"}) // the last without waiting for the load
            QTest::newRow(order) << QString(order);
    }

    void shutdownInAnyOrder()
    {
        QFETCH(QString, order);
        Sound other(kFolder);
        add(other), other.PlayAsync(kBuzzer, 0, 1, 0);
        bgm.BGMPlay(kLoop, false);
        if (order != "mts")
            bgm.WaitForLoad();
        snd.PlayAsync(kPi, 1, 1, 0);
        for (int i = 0; i < order.size(); ++i) {
            order.at(i) == 'm'   ? bgm.Shutdown()
            : order.at(i) == 's' ? snd.Shutdown()
                                 : other.Shutdown();
            const QString done = order.left(i + 1);
            QCOMPARE(audio::isOpen(),
                     !(done.contains('m') && done.contains('s') && done.contains('t')));
        }
        QCOMPARE(SDL_WasInit(SDL_INIT_AUDIO), Uint32(0));
        QVERIFY(bgm.GetBGMStopped()); // a late poll tick and stops find nothing open
        bgm.CalledByTimer(), bgm.BGMStop(), snd.StopSound();
        play(bgm, kOnce), other.PlayAsync(kPi, 0, 1, 0);
        QVERIFY(Mix_PlayingMusic() && Mix_Playing(0));
        bgm.BGMStop();
    }

    // A worker whose read never returns (a share that stopped answering) holds up no close.
    void stuckReadLeftBehind()
    {
        const auto reading = std::make_shared<std::promise<void>>();
        std::future<void> started = reading->get_future();
        std::promise<void> answer;
        {
            const auto read = [reading, later = answer.get_future().share()](auto&&...) {
                reading->set_value(), later.wait();
                return audio::FileBytes{};
            };
            audio::MusicLoader loader({}, read);
            loader.request(1, "stuck.mid");
            started.wait();
        } // stops the loader
        answer.set_value();
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
        QVERIFY2(grown < 40 * 1024,
                 qPrintable(QString("heap grew by %1 bytes in 40 starts").arg(grown)));
    }

    // No device (SDL has no such driver) or no SoundFont: silent music, sounds when there is a
    // device, the cause told once. SDL leaves SIGINT and SIGTERM to the program (it saves on
    // them).
    void degraded_data()
    {
        QTest::addColumn<bool>("noDevice");
        QTest::newRow("nodevice") << true;
        QTest::newRow("nosoundfont") << false;
    }

    void degraded()
    {
        QFETCH(bool, noDevice);
        if (!QCoreApplication::arguments().contains(QString("degraded:") +
                                                    QTest::currentDataTag()))
            QSKIP("runs alone, in a fresh process");
        qputenv("SDL_AUDIODRIVER", noDevice ? "none" : "dummy");
        clsBGMAPI music(kFolder, {kFolder}); // no SoundFont there; it opens the device
        add(music);
        std::signal(SIGINT, SIG_DFL), std::signal(SIGTERM, SIG_DFL); // not the test framework's
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(noDevice ? "^no audio device \\("
                                                         : "^no General MIDI SoundFont in "));
        QTest::failOnWarning(QRegularExpression()); // nothing else
        for (int i = 0; i < 3; ++i) {
            play(music, qint16(1 + i % 2), i % 2);
            music.CalledByTimer(), music.WaitForLoad(), snd.PlayAsync(kPi, 0, 1, 0);
            QVERIFY(music.GetBGMStopped() && audio::isOpen() != noDevice && !Mix_PlayingMusic());
            QCOMPARE(Mix_Playing(0) != 0, !noDevice);
        }
        QVERIFY(std::signal(SIGINT, SIG_DFL) == SIG_DFL &&
                std::signal(SIGTERM, SIG_DFL) == SIG_DFL);
    }
};

QTEST_GUILESS_MAIN(TestAudio)
#include "test_audio.moc"
