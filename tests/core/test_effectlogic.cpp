#include "effects/EffectLogic.h"

#include <QTest>

using namespace zorbel;

namespace
{
const std::string kDigits = [] {
    std::string s;
    for (int i = 0; i < kBannerDigits; ++i)
        s += static_cast<char>('0' + (i * 7 + 3) % 10);
    return s;
}();

QStringList lines(const std::string& text)
{
    return QString::fromStdString(text).split("\r\n");
}
} // namespace

class TestEffectLogic : public QObject
{
    Q_OBJECT
private slots:
    void banner_data()
    {
        QTest::addColumn<int>("tick");
        QTest::addColumn<int>("stage");
        QTest::addColumn<int>("wiped");
        QTest::addColumn<bool>("label");
        QTest::newRow("tick 1 FIRST") << 1 << 0 << 7 << false;
        QTest::newRow("tick 10 SECOND") << 10 << 1 << 70 << false;
        QTest::newRow("tick 22 THIRD") << 22 << 2 << 154 << false;
        QTest::newRow("tick 23 FIRST") << 23 << 0 << 155 << true;
        QTest::newRow("tick 40 SECOND") << 40 << 1 << 155 << true;
    }
    void banner()
    {
        QFETCH(int, tick);
        QFETCH(int, stage);
        QFETCH(int, wiped);
        QFETCH(bool, label);
        const auto text = BannerText(tick, stage, kDigits);
        QVERIFY(text.has_value());
        const QStringList ls = lines(*text);
        QCOMPARE(ls.size(), 5);
        for (const QString& l : ls)
            QCOMPARE(l.size(), 31);
        const QString flat = ls.join("");
        const QChar digit('1' + stage);
        const QString ordinal = QStringList{"1ST", "2ND", "3RD"}[stage];
        const QString expectedLabel = " " + ordinal + " stage ";
        for (int i = 0; i < 155; ++i) {
            const bool inLabel = label && i >= 72 && i < 83;
            if (inLabel)
                QCOMPARE(flat.at(i), expectedLabel.at(i - 72));
            else if (i < wiped)
                QCOMPARE(flat.at(i), digit);
            else
                QCOMPARE(flat.at(i), QChar(kDigits[static_cast<std::size_t>(i)]));
        }
        if (label) {
            QCOMPARE(ls[2], QString(10, digit) + expectedLabel + QString(10, digit));
        } else {
            QVERIFY(!flat.contains("stage"));
        }
    }
    void bannerHidesAfterTick40()
    {
        QVERIFY(!BannerText(41, 0, kDigits).has_value());
        QVERIFY(!BannerText(100, 2, kDigits).has_value());
    }

    void waitingIndicator()
    {
        const QStringList expected = {"?--", "-?-", "--?", "---"};
        for (int t = 0; t < 100; ++t)
            QCOMPARE(QString::fromStdString(WaitingText(t)), expected[t % 4]);
        QCOMPARE(NextSCTick(98), 99);
        QCOMPARE(NextSCTick(99), 0);
        // The wrap from 99 to 0 keeps the cycle: "---" is followed by "?--".
        QCOMPARE(QString::fromStdString(WaitingText(99)), QString("---"));
        QCOMPARE(QString::fromStdString(WaitingText(NextSCTick(99))), QString("?--"));
    }

    void flashSequence()
    {
        // Countdown 9..1: white, black, white, ... then the ninth tick settles.
        QList<int> greys;
        for (int c = 9; c >= 1; --c)
            greys << FlashGrey(c);
        QCOMPARE(greys, (QList<int>{255, 0, 255, 0, 255, 0, 255, 0, 255}));
    }

    void thirdStageOverwrite()
    {
        // Level 5: cells 0..80 are overwritten with 0,1,...,9,0,... then it stops.
        int cell = 0;
        QString written;
        for (;;) {
            written += QChar(St3Digit(cell));
            ++cell;
            if (St3Finished(cell, 100))
                break;
        }
        QCOMPARE(cell, 81);
        QCOMPARE(written.size(), 81);
        for (int i = 0; i < 81; ++i)
            QCOMPARE(written.at(i), QChar('0' + i % 10));
        QVERIFY(!St3Finished(80, 100));
    }

    void endingPositions_data()
    {
        QTest::addColumn<int>("tick");
        QTest::addColumn<bool>("hidden");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::newRow("1") << 1 << true << 0 << 0;
        QTest::newRow("4") << 4 << true << 0 << 0;
        QTest::newRow("5") << 5 << false << 390 << 1020;
        QTest::newRow("24 last of first stroke") << 24 << false << 300 << 2250;
        QTest::newRow("52 first of イ") << 52 << false << 4365 << 630;
        QTest::newRow("85") << 85 << false << 3525 << 4260;
        QTest::newRow("86") << 86 << true << 0 << 0;
        QTest::newRow("100") << 100 << true << 0 << 0;
    }
    void endingPositions()
    {
        QFETCH(int, tick);
        QFETCH(bool, hidden);
        const EndingStep s = EndingPosition(tick);
        QCOMPARE(s.cell, tick - 1);
        QCOMPARE(s.hidden, hidden);
        if (!hidden) {
            QTEST(s.x, "x");
            QTEST(s.y, "y");
        }
    }

    void endingCounterNeverRunsAway()
    {
        QCOMPARE(EndPoints.size(), std::size_t(648));
        int t = 0;
        for (int i = 0; i < 181; ++i)
            t = NextEndTick(t);
        QCOMPARE(t, 181);
        // Ten hours of 60 ms ticks.
        int phase = t & 7;
        for (int i = 0; i < 600000; ++i) {
            t = NextEndTick(t);
            phase = (phase + 1) & 7;
            QVERIFY(t > kEndingCloseTick);
            QVERIFY(t <= kEndingCloseTick + 8);
            QCOMPARE(t & 7, phase);
        }
        QCOMPARE(FarewellBlue(101), 160);
        QCOMPARE(FarewellBlue(104), 0);
    }
};

QTEST_APPLESS_MAIN(TestEffectLogic)
#include "test_effectlogic.moc"
