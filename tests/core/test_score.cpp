#include "game/Random.h"
#include "game/basZorb.h"

#include <QTest>

#include <cmath>

using namespace zorbel;

namespace
{

std::vector<std::int16_t> digitsOf(const char* text)
{
    std::vector<std::int16_t> d;
    for (const char* p = text; *p; ++p)
        if (*p >= '0' && *p <= '9')
            d.push_back(static_cast<std::int16_t>(*p - '0'));
    return d;
}

double scoreOf(basZorb& g, const std::vector<std::int16_t>& d)
{
    g.CellCount = static_cast<std::int16_t>(d.size());
    std::copy(d.begin(), d.end(), g.Digits.begin());
    return g.CalcScore();
}

// The formula evaluated independently, straight from its description.
double referenceScore(const std::vector<std::int16_t>& x)
{
    const double N = static_cast<double>(x.size());
    double s = N / 2.5 + 100;
    int c[10] = {}, e[10] = {};
    int S = 0;
    for (auto v : x) {
        c[v]++;
        S += v;
    }
    for (int v = 0; v < 10; ++v)
        s -= std::floor(std::abs(c[v] - N / 10));
    s -= std::floor(std::abs(S - N * 4.5) / (N / 25));
    for (std::size_t j = 0; j + 1 < x.size(); ++j)
        e[std::abs(x[j + 1] - x[j])]++;
    const int m[10] = {5, 9, 8, 7, 6, 5, 4, 3, 2, 1};
    for (int k = 0; k < 10; ++k)
        s -= std::floor(std::abs(e[k] - (N - 1) / 50 * m[k]));
    return std::clamp(s, 0.0, 100.0);
}

} // namespace

class TestScore : public QObject
{
    Q_OBJECT
private slots:
    void workedExamples_data()
    {
        QTest::addColumn<QString>("digits");
        QTest::addColumn<double>("score");
        QTest::addColumn<QString>("text");
        QTest::newRow("example 1")
            << "314159265358979323846264338327" << 88.0
            << "*素点 112\r\n各数字の出現回数減点 =  3 1 1 4 0 0 0 1 0 0\r\n"
               "平均差減点= 5\r\n差 0～9 の出現回数減点 =  1 0 2 1 2 1 1 0 1 0";
        QTest::newRow("example 2")
            << "012345678901234567890123456789" << 71.0
            << "*素点 112\r\n各数字の出現回数減点 =  0 0 0 0 0 0 0 0 0 0\r\n"
               "平均差減点= 0\r\n差 0～9 の出現回数減点 =  2 21 4 4 3 2 2 1 1 1";
        QTest::newRow("example 3")
            << QString(30, QLatin1Char('0')) << 0.0
            << "*素点 112\r\n各数字の出現回数減点 =  27 3 3 3 3 3 3 3 3 3\r\n"
               "平均差減点= 112\r\n差 0～9 の出現回数減点 =  26 5 4 4 3 2 2 1 1 0";
    }
    void workedExamples()
    {
        QFETCH(QString, digits);
        QFETCH(double, score);
        QFETCH(QString, text);
        basZorb g;
        QCOMPARE(scoreOf(g, digitsOf(digits.toLatin1().constData())), score);
        QCOMPARE(QString::fromStdString(g.DecInfoText), text);
        // A second call gives the same score and the same text.
        QCOMPARE(g.CalcScore(), score);
        QCOMPARE(QString::fromStdString(g.DecInfoText), text);
    }

    void identicalDigitsScoreZero_data()
    {
        QTest::addColumn<int>("digit");
        QTest::addColumn<int>("count");
        for (int level = 1; level <= 5; ++level)
            for (int d : {0, 4, 9})
                QTest::addRow("%d x %d", CellsForLevel(static_cast<std::int16_t>(level)), d)
                    << d << int(CellsForLevel(static_cast<std::int16_t>(level)));
    }
    void identicalDigitsScoreZero()
    {
        QFETCH(int, digit);
        QFETCH(int, count);
        basZorb g;
        QCOMPARE(scoreOf(g, std::vector<std::int16_t>(static_cast<std::size_t>(count),
                                                      static_cast<std::int16_t>(digit))),
                 0.0);
    }

    void perfectSequenceScoresHundredNotRaw()
    {
        // 100 digits whose counts, average and neighbour differences all sit
        // within one count of what uniform digits give: the raw score is 140,
        // the deductions stay small, so the clamp makes it exactly 100.
        const std::vector<std::int16_t> first =
            digitsOf("71406947422787582698013411056167011391247229262193081614099169206159775502429"
                     "84889341834482357622051");
        basZorb g;
        const double s = scoreOf(g, first);
        QCOMPARE(s, referenceScore(first));
        QVERIFY2(s == 100.0, qPrintable(QString::fromStdString(g.DecInfoText)));
    }

    void onlyFirstCellCountDigitsCount()
    {
        basZorb g;
        // A level-5 board leaves digits in every entry.
        g.CellCount = 100;
        for (int i = 0; i < 100; ++i)
            g.Digits[static_cast<std::size_t>(i)] = static_cast<std::int16_t>((i * 7) % 10);
        g.CalcScore();
        // Then a level-1 board is scored: only its 30 digits matter.
        const auto ex1 = digitsOf("314159265358979323846264338327");
        std::copy(ex1.begin(), ex1.end(), g.Digits.begin());
        g.CellCount = 30;
        QCOMPARE(g.CalcScore(), 88.0);
    }

    void fractionalRawScoreText()
    {
        basZorb g;
        QCOMPARE(scoreOf(g, {1, 5, 8}), referenceScore({1, 5, 8}));
        QVERIFY(QString::fromStdString(g.DecInfoText).startsWith("*素点 101.2\r\n"));
        QCOMPARE(QString::fromStdString(FormatDetailNumber(101.2)), QString(" 101.2"));
        QCOMPARE(QString::fromStdString(FormatDetailNumber(112)), QString(" 112"));
        QCOMPARE(QString::fromStdString(FormatDetailNumber(0)), QString(" 0"));
    }

    void agreesWithDoubleFormulaForEveryLength()
    {
        Rnd::Seed(2024);
        for (int n = 1; n <= 100; ++n) {
            for (int trial = 0; trial < 200; ++trial) {
                std::vector<std::int16_t> d(static_cast<std::size_t>(n));
                // Mix fair digits with skewed ones so the average deduction varies.
                const int bias = trial % 4;
                for (auto& v : d)
                    v = static_cast<std::int16_t>(
                        bias == 0 ? Rnd::Digit() : std::min(9, Rnd::Digit() / (bias + 1) + bias));
                const double got = ScoreDigits(d, false).score;
                if (got != referenceScore(d))
                    QFAIL(qPrintable(QString("length %1 trial %2: %3 vs %4")
                                         .arg(n)
                                         .arg(trial)
                                         .arg(got)
                                         .arg(referenceScore(d))));
            }
        }
    }

    void averageDeductionUsesDoubleRounding()
    {
        // N = 14, sum 77: the sum is 14 off the expected 63, and 14 / (14 / 25)
        // is exactly 25 in rationals but 24.999... in doubles, so the
        // deduction is 24, as the game has always computed it.
        std::vector<std::int16_t> d = {9, 9, 9, 9, 9, 9, 9, 9, 5, 0, 0, 0, 0, 0};
        QCOMPARE(ScoreDigits(d, false).score, referenceScore(d));
        basZorb g;
        scoreOf(g, d);
        QVERIFY(QString::fromStdString(g.DecInfoText).contains("平均差減点= 24\r\n"));
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
        QFETCH(int, cells);
        QFETCH(int, stages);
        QFETCH(int, fixed);
        const auto l = static_cast<std::int16_t>(level);
        QCOMPARE(int(CellsForLevel(l)), cells);
        QCOMPARE(int(StageCount(l)), stages);
        QCOMPARE(int(FixedCellCount(CellsForLevel(l))), fixed);
    }

    void calcScoreSurvivesBadState()
    {
        basZorb g;
        g.CellCount = 0;
        g.Digits[0] = 42;
        const double s = g.CalcScore();
        QVERIFY(s >= 0 && s <= 100);
        g.CellCount = 1000;
        QVERIFY(g.CalcScore() >= 0);
    }

    void randomDigitsStayInRange()
    {
        Rnd::Seed(7);
        int seen[10] = {};
        for (int i = 0; i < 100000; ++i) {
            const double r = Rnd::Next();
            QVERIFY(r >= 0 && r < 1);
            const int d = Rnd::Digit();
            QVERIFY(d >= 0 && d <= 9);
            seen[d]++;
        }
        for (int c : seen)
            QVERIFY(c > 9000 && c < 11000);
    }
};

QTEST_APPLESS_MAIN(TestScore)
#include "test_score.moc"
