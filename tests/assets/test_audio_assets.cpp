// Checks on the tunes and sound effects that the build makes from our ABC
// sources and puts into the program folder: the files read back with the
// same kind of library the game uses, last as long as their moment needs,
// close every note, loop on a bar line, stay below full scale and start and
// end without a click; and an install puts all of them beside the program.

// smf.h includes glib inside extern "C"; glib must come first for C++.
#include <glib.h>
#include <smf.h>

#include <SDL.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

namespace
{

const QString programDir = QStringLiteral(ZORBEL_PROGRAM_DIR);

const QStringList audioFiles = {
    "fanfale1.wav", "buzzer1.wav", "drums2.wav", "pi2.wav", "rg1.mid", "rg2.mid",
    "rg3.mid",      "rg4.mid",     "rg5.mid",    "rg7.mid", "rg8.mid", "rg9.mid",
};

constexpr int drumChannel = 9; // channel 10 in General MIDI's own counting

struct SmfDeleter {
    void operator()(smf_t* smf) const { smf_delete(smf); }
};
using Smf = std::unique_ptr<smf_t, SmfDeleter>;

Smf loadTune(const QString& file)
{
    return Smf(smf_load(QFile::encodeName(programDir + '/' + file).constData()));
}

// One channel message of a tune, in playing order over all its tracks.
struct ChannelEvent {
    int pulses;
    double seconds;
    int kind; // high nibble of the status byte: 0x80 note off, 0x90 note on, ...
    int channel;
    int data1;
    int data2;

    bool isNoteOn() const { return kind == 0x90 && data2 > 0; }
    bool isNoteOff() const { return kind == 0x80 || (kind == 0x90 && data2 == 0); }
};

std::vector<ChannelEvent> channelEvents(smf_t* smf)
{
    std::vector<ChannelEvent> events;
    smf_rewind(smf);
    while (smf_event_t* event = smf_get_next_event(smf)) {
        if (smf_event_is_metadata(event) || event->midi_buffer_length < 1)
            continue;
        const int status = event->midi_buffer[0];
        if (status < 0x80 || status >= 0xF0)
            continue;
        const int data1 = event->midi_buffer_length > 1 ? event->midi_buffer[1] : 0;
        const int data2 = event->midi_buffer_length > 2 ? event->midi_buffer[2] : 0;
        events.push_back(
            {event->time_pulses, event->time_seconds, status & 0xF0, status & 0x0F, data1, data2});
    }
    smf_rewind(smf);
    return events;
}

int barPulses(const smf_t* smf)
{
    const smf_tempo_t* first = smf_get_tempo_by_number(smf, 0);
    if (!first || first->numerator <= 0 || first->denominator <= 0)
        return smf->ppqn * 4;
    return smf->ppqn * 4 * first->numerator / first->denominator;
}

// A sound effect as SDL reads it, the way the game's mixer will.
struct Wav {
    SDL_AudioSpec spec{};
    std::vector<std::int16_t> samples; // interleaved
    int frames = 0;

    double seconds() const { return spec.freq > 0 ? double(frames) / spec.freq : 0.0; }
    int peak() const
    {
        int peak = 0;
        for (std::int16_t s : samples)
            peak = std::max(peak, std::abs(int(s)));
        return peak;
    }
};

bool loadWav(const QString& file, Wav& wav, QString& why)
{
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    const QByteArray path = QFile::encodeName(programDir + '/' + file);
    if (!SDL_LoadWAV(path.constData(), &wav.spec, &buffer, &length)) {
        why = QString::fromUtf8(SDL_GetError());
        return false;
    }
    if (wav.spec.format != AUDIO_S16LSB || wav.spec.channels < 1) {
        SDL_FreeWAV(buffer);
        why = QStringLiteral("not 16-bit PCM");
        return false;
    }
    wav.samples.resize(length / sizeof(std::int16_t));
    std::memcpy(wav.samples.data(), buffer, wav.samples.size() * sizeof(std::int16_t));
    SDL_FreeWAV(buffer);
    wav.frames = int(wav.samples.size() / wav.spec.channels);
    return true;
}

constexpr double fullScale = 32767.0;

double dbfs(int peak)
{
    return peak > 0 ? 20.0 * std::log10(peak / fullScale) : -200.0;
}

// Tunes: file, shortest and longest allowed length in seconds, loops or not.
void addTuneRows(bool loopingOnly)
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<double>("minSeconds");
    QTest::addColumn<double>("maxSeconds");
    // Looping tunes: long enough not to tire, short enough to load at once.
    for (const char* name : {"rg1", "rg2", "rg3", "rg4", "rg5", "rg7", "rg8"})
        QTest::newRow(name) << QString::fromLatin1(name) + ".mid" << 20.0 << 60.0;
    // The ending plays once and must outlast the 10.86-second farewell.
    if (!loopingOnly)
        QTest::newRow("rg9") << QStringLiteral("rg9.mid") << 12.0 << 16.0;
}

// Sound effects: file, shortest and longest allowed length in seconds.
void addSoundRows()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<double>("minSeconds");
    QTest::addColumn<double>("maxSeconds");
    QTest::newRow("fanfare") << QStringLiteral("fanfale1.wav") << 1.3 << 1.7;
    QTest::newRow("buzzer") << QStringLiteral("buzzer1.wav") << 0.3 << 0.99;
    QTest::newRow("drum roll") << QStringLiteral("drums2.wav") << 0.8 << 1.2;
    QTest::newRow("beep") << QStringLiteral("pi2.wav") << 0.05 << 0.15;
}

} // namespace

class TestAudioAssets : public QObject
{
    Q_OBJECT

private slots:
    void tuneLength_data() { addTuneRows(false); }
    void tuneLength()
    {
        QFETCH(QString, file);
        QFETCH(double, minSeconds);
        QFETCH(double, maxSeconds);
        Smf smf = loadTune(file);
        QVERIFY2(smf, qPrintable(file + " does not read as a Standard MIDI File"));
        QVERIFY(smf->ppqn > 0);
        const double seconds = smf_get_length_seconds(smf.get());
        QVERIFY2(seconds >= minSeconds && seconds <= maxSeconds,
                 qPrintable(QString("%1 lasts %2 s").arg(file).arg(seconds)));
    }

    // Every note that starts also ends, and no key is struck again while it
    // still sounds (the synthesizer would end both notes at the first release).
    void tuneClosesEveryNote_data() { addTuneRows(false); }
    void tuneClosesEveryNote()
    {
        QFETCH(QString, file);
        Smf smf = loadTune(file);
        QVERIFY(smf);
        std::map<std::pair<int, int>, int> sounding;
        int notes = 0;
        for (const ChannelEvent& e : channelEvents(smf.get())) {
            const auto key = std::make_pair(e.channel, e.data1);
            const QString where = QString("%1: channel %2 note %3 at pulse %4")
                                      .arg(file)
                                      .arg(e.channel + 1)
                                      .arg(e.data1)
                                      .arg(e.pulses);
            if (e.isNoteOn()) {
                QVERIFY2(sounding[key] == 0, qPrintable(where + " struck again while sounding"));
                ++sounding[key];
                ++notes;
            } else if (e.isNoteOff()) {
                QVERIFY2(sounding[key] == 1, qPrintable(where + " released but not sounding"));
                --sounding[key];
            }
        }
        QVERIFY(notes > 0);
        for (const auto& [key, count] : sounding)
            QVERIFY2(count == 0, qPrintable(QString("%1: channel %2 note %3 never released")
                                                .arg(file)
                                                .arg(key.first + 1)
                                                .arg(key.second)));
    }

    // The music starts at once and the file ends with it: no silence at
    // either end (a looping tune would stumble, the ending would keep the
    // program waiting after its last chord).
    void tuneEndsWithItsMusic_data() { addTuneRows(false); }
    void tuneEndsWithItsMusic()
    {
        QFETCH(QString, file);
        Smf smf = loadTune(file);
        QVERIFY(smf);
        double firstOn = -1.0;
        double lastOff = 0.0;
        for (const ChannelEvent& e : channelEvents(smf.get())) {
            if (e.isNoteOn() && firstOn < 0.0)
                firstOn = e.seconds;
            if (e.isNoteOff())
                lastOff = std::max(lastOff, e.seconds);
        }
        const double end = smf_get_length_seconds(smf.get());
        QVERIFY2(firstOn >= 0.0 && firstOn < 0.05,
                 qPrintable(QString("%1: first note at %2 s").arg(file).arg(firstOn)));
        QVERIFY2(
            end - lastOff < 0.5,
            qPrintable(QString("%1: %2 s of silence at the end").arg(file).arg(end - lastOff)));
    }

    // A looping tune lasts a whole number of bars, so that starting again
    // keeps the beat.
    void tuneLoopsOnBarLine_data() { addTuneRows(true); }
    void tuneLoopsOnBarLine()
    {
        QFETCH(QString, file);
        Smf smf = loadTune(file);
        QVERIFY(smf);
        const int bar = barPulses(smf.get());
        const int length = smf_get_length_pulses(smf.get());
        QVERIFY(bar > 0);
        QVERIFY2(
            length % bar == 0,
            qPrintable(QString("%1 lasts %2 pulses, bars are %3").arg(file).arg(length).arg(bar)));
    }

    // Melody, accompaniment and bass on General MIDI instruments, plus drums:
    // each melodic channel chooses its instrument before its first note and
    // keeps it (two voices sharing a channel would fight over it).
    void tuneInstruments_data() { addTuneRows(false); }
    void tuneInstruments()
    {
        QFETCH(QString, file);
        Smf smf = loadTune(file);
        QVERIFY(smf);
        std::map<int, int> program;
        std::set<int> playing;
        bool drums = false;
        for (const ChannelEvent& e : channelEvents(smf.get())) {
            if (e.channel == drumChannel) {
                drums = drums || e.isNoteOn();
                continue;
            }
            if (e.kind == 0xC0) {
                QVERIFY2(
                    !program.count(e.channel) || program[e.channel] == e.data1,
                    qPrintable(
                        QString("%1: channel %2 changes instrument").arg(file).arg(e.channel + 1)));
                program[e.channel] = e.data1;
            } else if (e.isNoteOn()) {
                QVERIFY2(program.count(e.channel),
                         qPrintable(QString("%1: channel %2 plays before choosing an instrument")
                                        .arg(file)
                                        .arg(e.channel + 1)));
                playing.insert(e.channel);
            }
        }
        QVERIFY2(playing.size() >= 3,
                 qPrintable(QString("%1: %2 melodic channels").arg(file).arg(playing.size())));
        QVERIFY2(drums, qPrintable(file + ": no drums"));
    }

    void soundLength_data() { addSoundRows(); }
    void soundLength()
    {
        QFETCH(QString, file);
        QFETCH(double, minSeconds);
        QFETCH(double, maxSeconds);
        Wav wav;
        QString why;
        QVERIFY2(loadWav(file, wav, why), qPrintable(file + ": " + why));
        QVERIFY2(wav.seconds() >= minSeconds && wav.seconds() <= maxSeconds,
                 qPrintable(QString("%1 lasts %2 s").arg(file).arg(wav.seconds())));
    }

    // Loud enough to be heard, and below full scale so that nothing clips.
    void soundLevel_data() { addSoundRows(); }
    void soundLevel()
    {
        QFETCH(QString, file);
        Wav wav;
        QString why;
        QVERIFY2(loadWav(file, wav, why), qPrintable(file + ": " + why));
        const double peak = dbfs(wav.peak());
        QVERIFY2(peak <= -0.5 && peak >= -20.0,
                 qPrintable(QString("%1 peaks at %2 dBFS").arg(file).arg(peak)));
    }

    // A sound that starts or stops away from zero clicks.
    void soundStartsAndEndsSilent_data() { addSoundRows(); }
    void soundStartsAndEndsSilent()
    {
        QFETCH(QString, file);
        Wav wav;
        QString why;
        QVERIFY2(loadWav(file, wav, why), qPrintable(file + ": " + why));
        QVERIFY(wav.frames > 0);
        const int limit = int(0.005 * fullScale);
        const int channels = wav.spec.channels;
        for (int c = 0; c < channels; ++c) {
            const int first = std::abs(int(wav.samples[c]));
            const int last = std::abs(int(wav.samples[wav.samples.size() - channels + c]));
            QVERIFY2(first <= limit, qPrintable(QString("%1 starts at %2").arg(file).arg(first)));
            QVERIFY2(last <= limit, qPrintable(QString("%1 ends at %2").arg(file).arg(last)));
        }
    }

    // An install into any prefix puts all twelve files beside the program.
    void installPutsAudioBesideProgram()
    {
        QTemporaryDir prefix;
        QVERIFY(prefix.isValid());
        QProcess cmake;
        cmake.start(QStringLiteral(ZORBEL_CMAKE_COMMAND),
                    {"--install", programDir, "--prefix", prefix.path(), "--component", "audio"});
        QVERIFY(cmake.waitForFinished(60000));
        QVERIFY2(cmake.exitStatus() == QProcess::NormalExit && cmake.exitCode() == 0,
                 cmake.readAllStandardError().constData());
        const QDir installed(prefix.path() + "/" ZORBEL_INSTALL_LIBDIR "/zorbel");
        for (const QString& file : audioFiles) {
            const QFileInfo built(programDir + '/' + file);
            const QFileInfo copy(installed.filePath(file));
            QVERIFY2(built.exists(), qPrintable(file + " missing from the program folder"));
            QVERIFY2(copy.exists(), qPrintable(file + " not installed"));
            QCOMPARE(copy.size(), built.size());
        }
    }
};

QTEST_GUILESS_MAIN(TestAudioAssets)
#include "test_audio_assets.moc"
