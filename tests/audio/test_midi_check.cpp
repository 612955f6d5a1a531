// The tune check on whole files written out byte by byte: 96 pulses a quarter
// note, tracks of format 0 unless the row says otherwise.
#include "audio/MidiCheck.h"

#include <QTest>

namespace
{
QByteArray smf(const char* header, std::initializer_list<const char*> tracks)
{
    QByteArray file = QByteArray::fromHex(QByteArray("4d546864") + header);
    for (const char* hex : tracks) {
        const QByteArray body = QByteArray::fromHex(hex);
        file += "MTrk" + QByteArray::fromHex(QByteArray::number(body.size(), 16).rightJustified(8, '0')) + body;
    }
    return file;
}
const char* const kOne = "00000006000000010060";       // format 0, one track
const char* const kNote = "00903c40 60803c00 00ff2f00"; // a quarter note, then the end
} // namespace

class TestMidiCheck : public QObject
{
    Q_OBJECT
private slots:
    void check_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("error");
        QTest::addColumn<double>("seconds");
        QTest::newRow("a quarter note at 120") << smf(kOne, {kNote}) << QString("") << 0.5;
        QTest::newRow("running status") << smf(kOne, {"00903c40 603c00 00ff2f00"}) << QString("") << 0.5;
        QTest::newRow("tempo map in another track") << smf("00000006000100020060", {"00ff5103 0f4240 60ff5103 07a120 00ff2f00", kNote}) << QString("") << 1.0;
        QTest::newRow("tempo halves at the second beat") << smf(kOne, {"00ff5103 07a120 60ff5103 0f4240 60ff2f00"}) << QString("") << 1.5;
        QTest::newRow("other chunks skipped") << smf(kOne, {kNote}) + QByteArray::fromHex("4d54657800000002abcd") << QString("") << 0.5;
        QTest::newRow("cut inside the header") << QByteArray::fromHex("4d546864000000060000") << QString("not a Standard MIDI File") << 0.0;
        QTest::newRow("MTrk claims 0x7FFFFFFF bytes") << smf(kOne, {}) + QByteArray::fromHex("4d54726b7fffffff00ff2f00") << QString("a chunk runs past the end of the file") << 0.0;
        QTest::newRow("five-byte number") << smf(kOne, {"8080808000ff2f00"}) << QString("a variable-length number longer than four bytes") << 0.0;
        QTest::newRow("running status after a meta event") << smf(kOne, {"00ff5103 07a120 003c40 00ff2f00"}) << QString("running status without a channel message before it") << 0.0;
        QTest::newRow("note cut short") << smf(kOne, {"00903c"}) << QString("an event runs past the end of its track") << 0.0;
        QTest::newRow("status byte among the data") << smf(kOne, {"00903c90 00ff2f00"}) << QString("a channel message cut short by a status byte") << 0.0;
        QTest::newRow("sysex past the track") << smf(kOne, {"00f00a0102 00ff2f00"}) << QString("an event runs past the end of its track") << 0.0;
        QTest::newRow("no End of Track") << smf(kOne, {"00903c40 60803c00"}) << QString("a track without an End of Track event") << 0.0;
        QTest::newRow("events after End of Track") << smf(kOne, {"60ff2f00 00903c40"}) << QString("data after the End of Track event") << 0.0;
        QTest::newRow("stray bytes") << smf(kOne, {kNote}) + "MTr" << QString("stray bytes after the last chunk") << 0.0;
        QTest::newRow("status 0xF4") << smf(kOne, {"00f4 60ff2f00"}) << QString("a status byte that has no place in a file") << 0.0;
        QTest::newRow("tempo zero") << smf(kOne, {"00ff5103000000 60ff2f00"}) << QString("a tempo of zero") << 0.0;
        QTest::newRow("division zero") << smf("00000006000000010000", {kNote}) << QString("a division of zero pulses a quarter note") << 0.0;
        QTest::newRow("time-code division") << smf("0000000600000001e728", {kNote}) << QString("time-code timing, which is not supported") << 0.0;
        QTest::newRow("track missing") << smf("00000006000100020060", {kNote}) << QString("fewer track chunks than the header says") << 0.0;
        QTest::newRow("two tracks in format 0") << smf("00000006000000020060", {kNote, kNote}) << QString("a wrong number of tracks for its format") << 0.0;
        QTest::newRow("lasts no time") << smf(kOne, {"00ff2f00"}) << QString("the tune is empty") << 0.0;
        QTest::newRow("over an hour") << smf(kOne, {"00ff5103ffffff 8fffff7fff2f00"}) << QString("longer than an hour") << 0.0;
    }

    void check()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, error);
        QFETCH(double, seconds);
        const auto got = zorbel::audio::checkMidi(reinterpret_cast<const unsigned char*>(file.constData()),
                                                  std::size_t(file.size()));
        QCOMPARE(QString::fromStdString(got.error), error);
        QCOMPARE(got.ok, error.isEmpty());
        QCOMPARE(got.seconds, seconds);
    }
};

QTEST_GUILESS_MAIN(TestMidiCheck)
#include "test_midi_check.moc"
