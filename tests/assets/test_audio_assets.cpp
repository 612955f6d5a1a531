// The tunes and sound effects the build makes from our ABC sources, read back
// as the game reads them (its tune check, SDL) and as an install places them.
#include "audio/MidiCheck.h"

#include <SDL.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <set>

class TestAudioAssets : public QObject
{
    Q_OBJECT
    const QString built = QStringLiteral(ZORBEL_PROGRAM_DIR "/");
    QTemporaryDir prefix;

    // Every note that starts also ends, and no key is struck again while it sounds (the
    // synthesizer would end both at the first release); no silence at either end; a loop
    // lasts whole bars; each melodic channel chooses one instrument before its first note;
    // three melodic channels and drums (channel 10, 9 counted from 0).
    void checkTune(const QByteArray& bytes, bool loops, double& seconds)
    {
        const auto midi = zorbel::audio::checkMidi(reinterpret_cast<const unsigned char*>(bytes.constData()),
                                                   std::size_t(bytes.size()));
        QVERIFY2(midi.ok, midi.error.c_str());
        std::map<std::pair<int, int>, int> sounding;
        std::map<int, int> program;
        std::set<int> channels;
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
            if (kind == 0xC0 && channel != 9)
                QVERIFY2(program.emplace(channel, e.data1).first->second == e.data1, qPrintable(where + "new instrument"));
            QVERIFY2(!on || channel == 9 || program.count(channel), qPrintable(where + "no instrument"));
            if (on)
                channels.insert(channel);
        }
        for (const auto& [key, count] : sounding)
            QVERIFY2(count == 0, qPrintable(QString("channel %1 note %2 never released").arg(key.first + 1).arg(key.second)));
        QVERIFY2(firstOn >= 0.0 && firstOn < 0.05 && midi.seconds - lastOff < 0.5,
                 qPrintable(QString("first note at %1 s, last ends at %2 s").arg(firstOn).arg(lastOff)));
        QVERIFY2(channels.erase(9) && channels.size() >= 3, "wants three melodic channels and drums");
        const int bar = midi.pulsesPerQuarter * 4 * midi.timeSigNumerator / midi.timeSigDenominator;
        QVERIFY2(!loops || midi.tracks.front().endPulse % bar == 0, "ends inside a bar");
        seconds = midi.seconds;
    }

    // A peak loud enough to be heard yet below full scale; no click (a sample away from
    // zero) at either end.
    void checkSound(const QString& path, double& seconds)
    {
        SDL_AudioSpec spec{};
        Uint8* buffer = nullptr;
        Uint32 bytes = 0;
        QVERIFY2(SDL_LoadWAV(QFile::encodeName(path).constData(), &spec, &buffer, &bytes), SDL_GetError());
        const std::unique_ptr<Uint8, void (*)(Uint8*)> owner(buffer, SDL_FreeWAV);
        const auto* samples = reinterpret_cast<const std::int16_t*>(buffer);
        const int count = int(bytes / 2), channels = spec.channels, peak = *std::max_element(samples, samples + count,
                                          [](int a, int b) { return std::abs(a) < std::abs(b); });
        QVERIFY(spec.format == AUDIO_S16LSB && channels > 0 && count >= channels);
        const double dbfs = 20.0 * std::log10(std::max(std::abs(peak), 1) / 32767.0);
        QVERIFY2(dbfs <= -0.5 && dbfs >= -20.0, qPrintable(QString("peak %1 dBFS").arg(dbfs)));
        for (int c = 0; c < channels; ++c)
            QVERIFY2(std::abs(samples[c]) <= 163 && std::abs(samples[count - channels + c]) <= 163, "click");
        seconds = double(count / channels) / spec.freq;
    }

private slots:
    void initTestCase()
    {
        QProcess cmake;
        cmake.start(ZORBEL_CMAKE_COMMAND, {"--install", built, "--prefix", prefix.path(), "--component", "audio"});
        QVERIFY(cmake.waitForFinished(60000) && cmake.exitStatus() == QProcess::NormalExit && cmake.exitCode() == 0);
    }

    void file_data()
    {
        QTest::addColumn<double>("minSeconds");
        QTest::addColumn<double>("maxSeconds");
        for (const char* name : {"rg1.mid", "rg2.mid", "rg3.mid", "rg4.mid", "rg5.mid", "rg7.mid", "rg8.mid"})
            QTest::newRow(name) << 20.0 << 60.0;  // loops
        QTest::newRow("rg9.mid") << 12.0 << 16.0; // once, outlasting the 10.86 s farewell
        QTest::newRow("fanfale1.wav") << 1.3 << 1.7;
        QTest::newRow("buzzer1.wav") << 0.3 << 0.99;
        QTest::newRow("drums2.wav") << 0.8 << 1.2;
        QTest::newRow("pi2.wav") << 0.05 << 0.15;
    }

    // Installed beside the program as built, and lasting as long as its moment needs.
    void file()
    {
        QFETCH(double, minSeconds);
        QFETCH(double, maxSeconds);
        const QString name = QTest::currentDataTag();
        QFile f(built + name);
        QVERIFY(f.open(QIODevice::ReadOnly) && f.size() > 0 && QFileInfo(prefix.path() + "/lib/zorbel/" + name).size() == f.size());
        double seconds = 0.0;
        name.endsWith(".mid") ? checkTune(f.readAll(), name != "rg9.mid", seconds) : checkSound(f.fileName(), seconds);
        QVERIFY2(seconds >= minSeconds && seconds <= maxSeconds, qPrintable(QString::number(seconds)));
    }
};

QTEST_GUILESS_MAIN(TestAudioAssets)
#include "test_audio_assets.moc"
