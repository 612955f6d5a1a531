#include "game/Random.h"
#include "game/basZorb.h"

#include <QTest>

using namespace zorbel;

class TestScore : public QObject
{
    Q_OBJECT
private slots:
    // Boards worked out by hand from the rules, with the four lines of their
    // details; 'x' stands for a bad entry (42), which must count as a 0.
    void boards_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<int>("cells");
        QTest::addColumn<QString>("digits");
        QTest::addColumn<double>("score");
        QTest::addColumn<QString>("counts"); // A0..A9
        QTest::addColumn<int>("average");
        QTest::addColumn<QString>("diffs"); // D0..D9
        QTest::newRow("example 1") << "112" << 30 << "314159265358979323846264338327" << 88.0
                                   << "3 1 1 4 0 0 0 1 0 0" << 5 << "1 0 2 1 2 1 1 0 1 0";
        QTest::newRow("example 2") << "112" << 30 << "012345678901234567890123456789" << 71.0
                                   << "0 0 0 0 0 0 0 0 0 0" << 0 << "2 21 4 4 3 2 2 1 1 1";
        QTest::newRow("example 3") << "112" << 30 << QString(30, '0') << 0.0
                                   << "27 3 3 3 3 3 3 3 3 3" << 112 << "26 5 4 4 3 2 2 1 1 0";
        QTest::newRow("3 cells, raw 101.2")
            << "101.2" << 3 << "158" << 97.2 << "0 0 0 0 0 0 0 0 0 0" << 4 << "0 0 0 0 0 0 0 0 0 0";
        // 14 / (14 / 25) is 25 in exact arithmetic but just below it in doubles.
        QTest::newRow("14 cells, B rounds down")
            << "105.6" << 14 << "99999999500000" << 50.6 << "3 1 1 1 1 0 1 1 1 6" << 24
            << "9 2 2 1 0 0 1 0 0 0";
        QTest::newRow("level 2") << "116" << 40 << "2718281828459045235360287471352662497757"
                                 << 87.0 << "2 1 3 1 0 1 1 2 1 2" << 3 << "1 3 2 0 0 1 4 0 1 0";
        QTest::newRow("level 3") << "124" << 60
                                 << "141421356237309504880168872420969807856967187537694807317667"
                                 << 94.0 << "0 0 2 1 1 2 2 3 2 1" << 7 << "2 2 0 1 1 1 2 0 0 0";
        QTest::newRow("level 4")
            << "132" << 80
            << "12345678909876543210135792468024681357975318642086420135792468097531864213579246"
            << 45.0 << "2 0 1 0 1 0 1 0 0 1" << 0 << "7 5 34 11 9 7 6 1 0 1";
        const QString perfect = "71406947422787582698013411056167011391247229262193081614099169"
                                "20615977550242984889341834482357622051";
        // Raw 140 less 34 points of deductions: the clamp makes it exactly 100.
        QTest::newRow("level 5, clamped") << "140" << 100 << perfect << 100.0
                                          << "1 5 4 4 1 3 1 1 1 1" << 5 << "0 0 1 1 0 3 0 1 1 0";
        QTest::newRow("level 5, all nines")
            << "140" << 100 << QString(100, '9') << 0.0 << "10 10 10 10 10 10 10 10 10 90" << 112
            << "89 17 15 13 11 9 7 5 3 1";
        // State the round flow never produces is guarded, not indexed blindly.
        QTest::newRow("no cells, bad digit")
            << "100.4" << 0 << "x" << 0.0 << "0 0 0 0 0 0 0 0 0 0" << 112 << "0 0 0 0 0 0 0 0 0 0";
        QTest::newRow("1000 cells") << "140" << 1000 << perfect << 100.0 << "1 5 4 4 1 3 1 1 1 1"
                                    << 5 << "0 0 1 1 0 3 0 1 1 0";
    }
    void boards()
    {
        QFETCH(int, cells);
        QFETCH(QString, digits);
        QFETCH(double, score);
        QFETCH(QString, raw);
        QFETCH(QString, counts);
        QFETCH(int, average);
        QFETCH(QString, diffs);
        const QString text = "*素点 " + raw + "\r\n各数字の出現回数減点 =  " + counts +
                             "\r\n平均差減点= " + QString::number(average) +
                             "\r\n差 0～9 の出現回数減点 =  " + diffs;
        basZorb g;
        g.Digits.fill(9); // a larger board left before: only the first cells count
        for (int i = 0; i < digits.size(); ++i)
            g.Digits[std::size_t(i)] = std::int16_t(digits[i] == 'x' ? 42 : digits[i].digitValue());
        g.CellCount = std::int16_t(cells);
        for (int call = 0; call < 2; ++call) { // a second call changes nothing
            QCOMPARE(g.CalcScore(), score);
            QCOMPARE(QString::fromStdString(g.DecInfoText), text);
        }
    }

    void levelTable_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("cells");
        QTest::addColumn<int>("stages");
        QTest::addColumn<int>("fixed");
        QTest::newRow("-1") << -1 << 0 << 2 << 0;
        QTest::newRow("0") << 0 << 3 << 2 << 0;
        QTest::newRow("1") << 1 << 30 << 2 << 2;
        QTest::newRow("2") << 2 << 40 << 2 << 2;
        QTest::newRow("3") << 3 << 60 << 2 << 4;
        QTest::newRow("4") << 4 << 80 << 2 << 5;
        QTest::newRow("5") << 5 << 100 << 3 << 6;
        QTest::newRow("6") << 6 << 0 << 2 << 0;
    }
    void levelTable()
    {
        QFETCH(int, level);
        const auto l = std::int16_t(level);
        QTEST(int(CellsForLevel(l)), "cells");
        QTEST(int(StageCount(l)), "stages");
        QTEST(int(FixedCellCount(CellsForLevel(l))), "fixed");
    }

    // A digit is the integer part of a draw times 10, and the draws are even.
    void randomDigits()
    {
        Rnd::Seed(7);
        std::vector<int> fromDraws;
        for (int i = 0; i < 100000; ++i)
            fromDraws.push_back(int(Rnd::Next() * 10));
        Rnd::Seed(7);
        int seen[10] = {};
        for (int expected : fromDraws) {
            const int d = Rnd::Digit();
            QCOMPARE(d, expected);
            seen[d]++;
        }
        for (int c : seen)
            QVERIFY(c > 9500 && c < 10500);
    }
};

QTEST_APPLESS_MAIN(TestScore)
#include "test_score.moc"
