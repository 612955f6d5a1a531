#include "effects/EffectLogic.h"

#include <QTest>

using namespace zorbel;

class TestEffectLogic : public QObject
{
    Q_OBJECT
private slots:
    // One line of the banner for a tick, given the digits 0123456789 0123...
    // (line -1: the whole banner is gone).
    void banner_data()
    {
        QTest::addColumn<int>("tick");
        QTest::addColumn<int>("stage");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("text");
        QTest::newRow("1 FIRST top") << 1 << 0 << 0 << "1111111789012345678901234567890";
        QTest::newRow("1 FIRST bottom") << 1 << 0 << 4 << "4567890123456789012345678901234";
        QTest::newRow("10 SECOND middle") << 10 << 1 << 2 << "2222222201234567890123456789012";
        QTest::newRow("22 THIRD middle") << 22 << 2 << 2 << "3333333333333333333333333333333";
        QTest::newRow("22 THIRD bottom") << 22 << 2 << 4 << "3333333333333333333333333333334";
        QTest::newRow("23 FIRST middle") << 23 << 0 << 2 << "1111111111 1ST stage 1111111111";
        QTest::newRow("40 THIRD middle") << 40 << 2 << 2 << "3333333333 3RD stage 3333333333";
        QTest::newRow("40 SECOND bottom") << 40 << 1 << 4 << "2222222222222222222222222222222";
        QTest::newRow("41 gone") << 41 << 0 << -1 << "";
    }
    void banner()
    {
        QFETCH(int, tick);
        QFETCH(int, stage);
        QFETCH(int, line);
        std::string digits;
        for (int i = 0; i < kBannerDigits; ++i)
            digits += char('0' + i % 10);
        const auto text = BannerText(tick, stage, digits);
        QCOMPARE(text.has_value(), line >= 0);
        if (text) {
            const QStringList lines = QString::fromStdString(*text).split("\r\n");
            QCOMPARE(lines.size(), 5);
            QTEST(lines[line], "text");
        }
    }

    void boardEffects()
    {
        // The waiting indicator cycles through four states, also across 99 -> 0.
        QString waiting;
        for (int t = 96, i = 0; i < 8; ++i, t = NextSCTick(t))
            waiting += QString::fromStdString(WaitingText(t)) + ' ';
        QCOMPARE(waiting, "?-- -?- --? --- ?-- -?- --? --- ");
        // The digit flash counts down 9..1: white, black, white, ...
        QList<int> greys;
        for (int c = 9; c >= 1; --c)
            greys << FlashGrey(c);
        QCOMPARE(greys, (QList<int>{255, 0, 255, 0, 255, 0, 255, 0, 255}));
        // The THIRD stage writes 0,1,...,9,0,... into cells 0 to 80 of 100.
        QCOMPARE(QString(QChar(St3Digit(0))) + St3Digit(9) + St3Digit(10) + St3Digit(80), "0900");
        QVERIFY(!St3Finished(80, 100));
        QVERIFY(St3Finished(81, 100));
    }

    void endingPositions_data()
    {
        QTest::addColumn<int>("tick");
        QTest::addColumn<bool>("hidden");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        static constexpr int rows[][4] = {
            {1, 1, 0, 0},       {4, 1, 0, 0},        {5, 0, 390, 1020}, {24, 0, 300, 2250},
            {52, 0, 4365, 630}, {85, 0, 3525, 4260}, {86, 1, 0, 0},     {100, 1, 0, 0}};
        for (const auto& r : rows)
            QTest::addRow("%d", r[0]) << r[0] << bool(r[1]) << r[2] << r[3];
    }
    void endingPositions()
    {
        QFETCH(int, tick);
        const EndingStep s = EndingPosition(tick);
        QCOMPARE(s.cell, tick - 1);
        QTEST(s.hidden, "hidden");
        QTEST(s.hidden ? 0 : s.x, "x");
        QTEST(s.hidden ? 0 : s.y, "y");
    }

    // Past tick 181 the counter waits for the tune without growing, and the
    // farewell's flicker keeps its 8-tick phase.
    void endingCounterNeverRunsAway()
    {
        int t = 0;
        for (int i = 0; i < 181; ++i)
            t = NextEndTick(t);
        QCOMPARE(t, 181);
        QList<int> blues;
        for (int i = 0; i < 100000; ++i, t = NextEndTick(t))
            if (i >= 99990)
                blues << t << FarewellBlue(t);
        QCOMPARE(blues, (QList<int>{187, 96, 188, 128, 189, 160, 182, 192, 183, 224,
                                    184, 0,  185, 32,  186, 64,  187, 96,  188, 128}));
    }
};

QTEST_APPLESS_MAIN(TestEffectLogic)
#include "test_effectlogic.moc"
