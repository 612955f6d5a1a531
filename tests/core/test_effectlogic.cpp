#include "effects/EffectLogic.h"

#include <QTest>

using namespace zorbel;

class TestEffectLogic : public QObject
{
    Q_OBJECT
private slots:
    // One line of the banner drawn over the digits 0123456789 0123...
    void banner_data()
    {
        QTest::addColumn<int>("tick");
        QTest::addColumn<int>("stage");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("text"); // empty: the banner is gone
        QTest::newRow("1 FIRST top") << 1 << 0 << 0 << "1111111789012345678901234567890";
        QTest::newRow("10 SECOND middle") << 10 << 1 << 2 << "2222222201234567890123456789012";
        QTest::newRow("22 THIRD middle") << 22 << 2 << 2 << "3333333333333333333333333333333";
        QTest::newRow("22 THIRD bottom") << 22 << 2 << 4 << "3333333333333333333333333333334";
        QTest::newRow("40 SECOND bottom") << 40 << 1 << 4 << "2222222222222222222222222222222";
        QTest::newRow("23 FIRST middle") << 23 << 0 << 2 << "1111111111 1ST stage 1111111111";
        QTest::newRow("40 THIRD middle") << 40 << 2 << 2 << "3333333333 3RD stage 3333333333";
        QTest::newRow("41 gone") << 41 << 0 << 0 << "";
    }
    void banner()
    {
        QFETCH(int, tick);
        QFETCH(int, stage);
        QFETCH(int, line);
        QFETCH(QString, text);
        std::string digits;
        for (int i = 0; i < kBannerDigits; ++i)
            digits += char('0' + i % 10);
        const auto shown = BannerText(tick, stage, digits);
        const QStringList lines =
            shown ? QString::fromStdString(*shown).split("\r\n") : QStringList();
        QCOMPARE(lines.size(), text.isEmpty() ? 0 : 5);
        QCOMPARE(lines.value(line), text);
    }

    void boardEffects()
    {
        // The waiting indicator cycles through four states, also across 99 -> 0.
        QString waiting;
        for (int t = 96, i = 0; i < 8; ++i, t = NextSCTick(t))
            waiting += QString::fromStdString(WaitingText(t)) + ' ';
        QCOMPARE(waiting, "?-- -?- --? --- ?-- -?- --? --- ");
        // The digit flash counts down 9..1: white, black, white, ...
        QCOMPARE((QList{FlashGrey(9), FlashGrey(8), FlashGrey(2), FlashGrey(1)}),
                 (QList{255, 0, 0, 255}));
        // The THIRD stage writes 0,1,...,9,0,... into cells 0 to 80 of 100.
        QCOMPARE(QString(QChar(St3Digit(0))) + St3Digit(9) + St3Digit(10) + St3Digit(80), "0900");
        QVERIFY(!St3Finished(80, 100) && St3Finished(81, 100));
    }

    // Where the ending puts a cell on a tick (none: the cell is hidden).
    void endingPositions_data()
    {
        QTest::addColumn<int>("tick");
        QTest::addColumn<QList<int>>("at");
        static constexpr int rows[][3] = {{1, 0, 0},       {4, 0, 0},       {5, 390, 1020},
                                          {24, 300, 2250}, {52, 4365, 630}, {85, 3525, 4260},
                                          {86, 0, 0},      {100, 0, 0}};
        for (const auto& r : rows)
            QTest::addRow("%d", r[0]) << r[0] << (r[1] ? QList{r[1], r[2]} : QList<int>());
    }
    void endingPositions()
    {
        QFETCH(int, tick);
        const EndingStep s = EndingPosition(tick);
        QCOMPARE(s.cell, tick - 1);
        QTEST((s.hidden ? QList<int>() : QList{s.x, s.y}), "at");
    }

    // The whole table: 81 points shown, and the sums of their X and Y as
    // printed in the table, so a single changed digit shows.
    void endingTableWhole()
    {
        QList<int> sums{0, 0, 0};
        for (int tick = 1; tick <= kEndingDrawTicks; ++tick) {
            const EndingStep s = EndingPosition(tick);
            sums = {sums[0] + !s.hidden, sums[1] + s.x, sums[2] + s.y};
        }
        QCOMPARE(sums, (QList<int>{81, 214320, 162855}));
    }

    // Past tick 181 the counter stops growing; the flicker keeps its phase.
    void endingCounterNeverRunsAway()
    {
        QList<int> blues;
        for (int t = 0, i = 1; i <= 100000; ++i)
            if ((t = NextEndTick(t)) == 181 || i > 99990)
                blues << t << FarewellBlue(t);
        QCOMPARE(blues, (QList<int>{181, 160, 183, 224, 184, 0,   185, 32,  186, 64,  187,
                                    96,  188, 128, 189, 160, 182, 192, 183, 224, 184, 0}));
    }
};

QTEST_APPLESS_MAIN(TestEffectLogic)
#include "test_effectlogic.moc"
