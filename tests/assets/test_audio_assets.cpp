// The tunes and sound effects the build makes from our ABC sources, read back
// as the game reads them (its tune check, SDL): each lasts as long as its
// moment needs, closes every note, loops on a bar line, stays below full scale
// and starts and ends without a click; an install puts all of them beside the program.
#include "audio/MidiCheck.h"

#include <SDL.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <set>

namespace
{
const QString kProgramDir = QStringLiteral(ZORBEL_PROGRAM_DIR);
constexpr int kDrumChannel = 9; // channel 10 in General MIDI's own counting
} // namespace

class TestAudioAssets : public QObject
{
    Q_OBJECT
private slots:
    void tune_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<double>("minSeconds");
        QTest::addColumn<double>("maxSeconds");
        QTest::addColumn<bool>("loops");
        for (const char* name : {"rg1", "rg2", "rg3", "rg4", "rg5", "rg7", "rg8"})
            QTest::newRow(name) << QString(name) + ".mid" << 20.0 << 60.0 << true;
        QTest::newRow("rg9") << "rg9.mid" << 12.0 << 16.0 << false; // must outlast the 10.86 s farewell
    }
    // Every note that starts also ends, and no key is struck again while it
    // sounds (the synthesizer would end both at the first release); no silence
    // at either end; a loop lasts whole bars; each melodic channel chooses one
    // instrument before its first note; three melodic channels and drums.
    void tune()
    {
        QFETCH(QString, file);
        QFETCH(double, minSeconds);
        QFETCH(double, maxSeconds);
        QFETCH(bool, loops);
        QFile f(kProgramDir + '/' + file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        const auto midi = zorbel::audio::checkMidi(reinterpret_cast<const unsigned char*>(bytes.constData()),
                                                   std::size_t(bytes.size()));
        QVERIFY2(midi.ok && midi.seconds >= minSeconds && midi.seconds <= maxSeconds,
                 qPrintable(QString("%1 (%2 s)").arg(midi.error.c_str()).arg(midi.seconds)));
        std::map<std::pair<int, int>, int> sounding;
        std::map<int, int> program;
        std::set<int> melodic;
        double firstOn = -1.0, lastOff = 0.0;
        for (const auto& e : midi.events) {
            const int kind = e.status & 0xF0, channel = e.status & 0x0F;
            const bool on = kind == 0x90 && e.data2 > 0, off = kind == 0x80 || (kind == 0x90 && !on);
            const QString where = QString("channel %1 note %2 at pulse %3: ").arg(channel + 1).arg(e.data1).arg(e.pulse);
            int& count = sounding[{channel, e.data1}];
            QVERIFY2(!on || count++ == 0, qPrintable(where + "struck again while sounding"));
            QVERIFY2(!off || count-- == 1, qPrintable(where + "released but not sounding"));
            firstOn = on && firstOn < 0.0 ? e.seconds : firstOn;
            lastOff = off ? std::max(lastOff, e.seconds) : lastOff;
            if (kind == 0xC0 && channel != kDrumChannel)
                QVERIFY2(program.emplace(channel, e.data1).first->second == e.data1, qPrintable(where + "new instrument"));
            QVERIFY2(!on || channel == kDrumChannel || program.count(channel), qPrintable(where + "no instrument"));
            if (on)
                melodic.insert(channel);
        }
        for (const auto& [key, count] : sounding)
            QVERIFY2(count == 0, qPrintable(QString("channel %1 note %2 never released").arg(key.first + 1).arg(key.second)));
        QVERIFY2(firstOn >= 0.0 && firstOn < 0.05, qPrintable(QString::number(firstOn)));
        QVERIFY2(midi.seconds - lastOff < 0.5, qPrintable(QString::number(midi.seconds - lastOff)));
        QVERIFY2(melodic.erase(kDrumChannel) && melodic.size() >= 3, "wants three melodic channels and drums");
        const int bar = midi.pulsesPerQuarter * 4 * midi.timeSigNumerator / midi.timeSigDenominator;
        QVERIFY2(!loops || midi.tracks.front().endPulse % bar == 0, "ends inside a bar");
    }

    void sound_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<double>("minSeconds");
        QTest::addColumn<double>("maxSeconds");
        QTest::newRow("fanfare") << "fanfale1.wav" << 1.3 << 1.7;
        QTest::newRow("buzzer") << "buzzer1.wav" << 0.3 << 0.99;
        QTest::newRow("drum roll") << "drums2.wav" << 0.8 << 1.2;
        QTest::newRow("beep") << "pi2.wav" << 0.05 << 0.15;
    }
    // Its length, a peak loud enough to be heard yet below full scale, and no
    // click (a sample away from zero) at either end.
    void sound()
    {
        QFETCH(QString, file);
        QFETCH(double, minSeconds);
        QFETCH(double, maxSeconds);
        SDL_AudioSpec spec{};
        Uint8* buffer = nullptr;
        Uint32 bytes = 0;
        QVERIFY2(SDL_LoadWAV(QFile::encodeName(kProgramDir + '/' + file).constData(), &spec, &buffer, &bytes),
                 SDL_GetError());
        const std::unique_ptr<Uint8, void (*)(Uint8*)> owner(buffer, SDL_FreeWAV);
        const auto* samples = reinterpret_cast<const std::int16_t*>(buffer);
        const int count = int(bytes / 2), channels = spec.channels, peak = *std::max_element(samples, samples + count,
                                          [](int a, int b) { return std::abs(a) < std::abs(b); });
        QVERIFY(spec.format == AUDIO_S16LSB && channels > 0 && count >= channels);
        const double seconds = double(count / channels) / spec.freq, dbfs = 20.0 * std::log10(std::max(std::abs(peak), 1) / 32767.0);
        QVERIFY2(seconds >= minSeconds && seconds <= maxSeconds, qPrintable(QString::number(seconds)));
        QVERIFY2(dbfs <= -0.5 && dbfs >= -20.0, qPrintable(QString("peak %1 dBFS").arg(dbfs)));
        for (int c = 0; c < channels; ++c)
            QVERIFY2(std::abs(samples[c]) <= 163 && std::abs(samples[count - channels + c]) <= 163, "click");
    }

    // An install into any prefix puts all twelve files beside the program.
    void installPutsAudioBesideProgram()
    {
        QTemporaryDir prefix;
        QProcess cmake;
        cmake.start(ZORBEL_CMAKE_COMMAND, {"--install", kProgramDir, "--prefix", prefix.path(), "--component", "audio"});
        QVERIFY(cmake.waitForFinished(60000) && cmake.exitStatus() == QProcess::NormalExit && cmake.exitCode() == 0);
        for (const char* file : {"fanfale1.wav", "buzzer1.wav", "drums2.wav", "pi2.wav", "rg1.mid", "rg2.mid",
                                 "rg3.mid", "rg4.mid", "rg5.mid", "rg7.mid", "rg8.mid", "rg9.mid"}) {
            const QFileInfo built(kProgramDir + '/' + file), copy(prefix.path() + "/" ZORBEL_INSTALL_LIBDIR "/zorbel/" + file);
            QVERIFY2(built.size() > 0 && copy.size() == built.size(), file);
        }
    }
};

QTEST_GUILESS_MAIN(TestAudioAssets)
#include "test_audio_assets.moc"
