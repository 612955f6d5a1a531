#include "game/Random.h"
#include "game/Records.h"
#include "game/RoundRules.h"
#include "game/basZorb.h"

#include <QTest>

using namespace zorbel;

class TestScore : public QObject
{
    Q_OBJECT
private slots:
    // Boards worked out by hand; 'x' stands for a bad entry (42), counted as 0.
    void boards_data()
    {
        QTest::addColumn<int>("cells");
        QTest::addColumn<QString>("digits");
        QTest::addColumn<double>("score");
        QTest::addColumn<QString>("details"); // raw | A0..A9 | B | D0..D9
        QTest::newRow("example 1") << 30 << "314159265358979323846264338327" << 88.0
                                   << "112 | 3 1 1 4 0 0 0 1 0 0 | 5 | 1 0 2 1 2 1 1 0 1 0";
        QTest::newRow("example 2") << 30 << "012345678901234567890123456789" << 71.0
                                   << "112 | 0 0 0 0 0 0 0 0 0 0 | 0 | 2 21 4 4 3 2 2 1 1 1";
        QTest::newRow("example 3") << 30 << QString(30, '0') << 0.0
                                   << "112 | 27 3 3 3 3 3 3 3 3 3 | 112 | 26 5 4 4 3 2 2 1 1 0";
        QTest::newRow("3 cells, raw 101.2")
            << 3 << "158" << 97.2 << "101.2 | 0 0 0 0 0 0 0 0 0 0 | 4 | 0 0 0 0 0 0 0 0 0 0";
        // 14 / (14 / 25) is 25 in exact arithmetic but just below it in doubles.
        QTest::newRow("14 cells, B rounds down")
            << 14 << "99999999500000" << 50.6
            << "105.6 | 3 1 1 1 1 0 1 1 1 6 | 24 | 9 2 2 1 0 0 1 0 0 0";
        QTest::newRow("level 4")
            << 80
            << "12345678909876543210135792468024681357975318642086420135792468097531864213579246"
            << 45.0 << "132 | 2 0 1 0 1 0 1 0 0 1 | 0 | 7 5 34 11 9 7 6 1 0 1";
        const QString perfect = "71406947422787582698013411056167011391247229262193081614099169"
                                "20615977550242984889341834482357622051";
        // Raw 140 less 34 points of deductions: the clamp makes it exactly 100.
        QTest::newRow("level 5, clamped")
            << 100 << perfect << 100.0 << "140 | 1 5 4 4 1 3 1 1 1 1 | 5 | 0 0 1 1 0 3 0 1 1 0";
        QTest::newRow("level 5, all nines")
            << 100 << QString(100, '9') << 0.0
            << "140 | 10 10 10 10 10 10 10 10 10 90 | 112 | 89 17 15 13 11 9 7 5 3 1";
        // State the round flow never produces is guarded, not indexed blindly.
        QTest::newRow("no cells, bad digit")
            << 0 << "x" << 0.0 << "100.4 | 0 0 0 0 0 0 0 0 0 0 | 112 | 0 0 0 0 0 0 0 0 0 0";
        QTest::newRow("1000 cells")
            << 1000 << perfect << 100.0 << "140 | 1 5 4 4 1 3 1 1 1 1 | 5 | 0 0 1 1 0 3 0 1 1 0";
    }
    void boards()
    {
        QFETCH(int, cells);
        QFETCH(QString, digits);
        QFETCH(QString, details);
        const QStringList n = details.split(" | ");
        const QString text = "*素点 " + n[0] + "\r\n各数字の出現回数減点 =  " + n[1] +
                             "\r\n平均差減点= " + n[2] + "\r\n差 0～9 の出現回数減点 =  " + n[3];
        basZorb g;
        g.Digits.fill(9); // a larger board left before: only the first cells count
        for (int i = 0; i < digits.size(); ++i)
            g.Digits[std::size_t(i)] = std::int16_t(digits[i] == 'x' ? 42 : digits[i].digitValue());
        g.CellCount = std::int16_t(cells);
        for (int call = 0; call < 2; ++call) { // a second call changes nothing
            QTEST(g.CalcScore(), "score");
            QCOMPARE(QString::fromStdString(g.DecInfoText), text);
        }
    }

    void levelTable_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QList<int>>("table"); // cells, stages, fixed cells of a SECOND stage
        static constexpr int rows[][4] = {{-1, 0, 2, 0},  {0, 3, 2, 0},  {1, 30, 2, 2},
                                          {2, 40, 2, 2},  {3, 60, 2, 4}, {4, 80, 2, 5},
                                          {5, 100, 3, 6}, {6, 0, 2, 0}};
        for (const auto& r : rows)
            QTest::addRow("%d", r[0]) << r[0] << QList{r[1], r[2], r[3]};
    }
    void levelTable()
    {
        QFETCH(int, level);
        const int cells = CellsForLevel(std::int16_t(level));
        QTEST((QList{cells, int(StageCount(std::int16_t(level))),
                     int(FixedCellCount(std::int16_t(cells)))}),
              "table");
    }

    // zorbel-score writes numbers its own fast way; printf is the reference.
    void numbersAsPrintfWritesThem()
    {
        std::uint64_t x = 88172645463325252u; // xorshift: any bits at all, and then near-ties
        for (int i = 0; i < 300000; ++i) {
            x ^= x << 13, x ^= x >> 7, x ^= x << 17;
            double v = std::ldexp(double(x >> 11), int(x % 90) - 100);
            if (i % 3 == 0)
                v = double(x % 100000000) / 1e6 + 5e-16 * double(x % 7);
            char mine[40], printf[40];
            *zorbel::WriteNumber(mine, v) = 0;
            std::snprintf(printf, sizeof printf, "%.15g", v);
            QCOMPARE(mine, printf);
        }
    }

    // The first digits after a seed, worked out with the published
    // MT19937-64 reference algorithm: every digit 0-9 can come up, and a
    // seed replays.
    void randomDigits()
    {
        Rnd::Seed(7);
        QString digits;
        for (int i = 0; i < 30; ++i)
            digits += QString::number(Rnd::Digit());
        QCOMPARE(digits, QString("791810892775338399826200113366"));
    }

    // Verdict and its colour (1 red, 2 blue) at the edges of every band.
    void verdict_data()
    {
        QTest::addColumn<double>("score");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("colour");
        // clang-format off
        for (auto [score, text, colour] : {std::tuple{100.0, "Excellent!!!", 1},
                {95.0, "Excellent!!!", 1}, {94.0, "Great!!", 1}, {90.0, "Great!!", 1},
                {89.0, "Nice!", 1}, {80.0, "Nice!", 1}, {79.0, "Valueable...", 2},
                {70.0, "Valueable...", 2}, {69.0, "Fault...", 2}, {0.0, "Fault...", 2},
                {89.2, "", 0}}) // between bands: only the 3-cell level 0 scores a fraction
            // clang-format on
            QTest::addRow("%g", score) << score << QString(text) << colour;
    }
    void verdict()
    {
        QFETCH(double, score);
        QTEST(QString::fromStdString(VerdictFor(score).text), "text");
        QTEST(int(VerdictFor(score).colour), "colour");
    }

    // Track and flicker ticks of a round by level and stage (-1 practice).
    void round_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("stage");
        QTest::addColumn<int>("track");
        QTest::addColumn<int>("ticks");
        static constexpr int rows[][4] = {
            {1, -1, 6, 12}, {1, 0, 4, 12},  {1, 1, 2, 12},  {2, -1, 6, 12}, {2, 0, 4, 12},
            {2, 1, 2, 12},  {3, -1, 6, 12}, {3, 0, 3, 12},  {3, 1, 5, 12},  {4, -1, 6, 12},
            {4, 0, 3, 12},  {4, 1, 5, 12},  {5, -1, 6, 12}, {5, 0, 5, 12},  {5, 1, 1, 40},
            {5, 2, 1, 40},  {0, 0, 0, 12},  {6, 1, 0, 12}};
        for (const auto& r : rows)
            QTest::addRow("L%d stage %d", r[0], r[1]) << r[0] << r[1] << r[2] << r[3];
    }
    void round()
    {
        QFETCH(int, level);
        QFETCH(int, stage);
        QTEST(int(TrackForRound(std::int16_t(level), std::int16_t(stage))), "track");
        QTEST(ResultTickLimit(std::int16_t(level), std::int16_t(stage)), "ticks");
    }

    // Level, Stage, LevelMax before and after a round, and the level's best (was 85).
    void judge_data()
    {
        QTest::addColumn<QList<int>>("before");
        QTest::addColumn<double>("score");
        QTest::addColumn<QList<int>>("after");
        QTest::addColumn<TryStep>("next");
        using L = QList<int>;
        using enum TryStep;
        // clang-format off
        QTest::newRow("L1 FIRST 80 passes") << L{1, 0, 1} << 80.0 << L{1, 1, 1, 85} << NextStage;
        QTest::newRow("L1 FIRST 79 fails") << L{1, 0, 1} << 79.0 << L{1, -1, 1, 85} << Retry;
        QTest::newRow("L1 SECOND") << L{1, 1, 1} << 90.0 << L{2, -2, 2, 90} << GoToLevel;
        QTest::newRow("L2 SECOND max 4") << L{2, 1, 4} << 90.0 << L{3, -2, 4, 90} << GoToLevel;
        QTest::newRow("L5 SECOND") << L{5, 1, 5} << 95.0 << L{5, 2, 5, 95} << NextStage;
        QTest::newRow("L5 THIRD") << L{5, 2, 5} << 100.0 << L{6, 3, 5, 100} << GameCleared;
        QTest::newRow("L5 THIRD fails") << L{5, 2, 5} << 60.0 << L{5, -1, 5, 85} << Retry;
        // clang-format on
    }
    void judge()
    {
        QFETCH(QList<int>, before);
        QFETCH(double, score);
        QFETCH(QList<int>, after);
        Progress p{std::int16_t(before[0]), std::int16_t(before[1]), std::int16_t(before[2])};
        p.MaxScore.fill(85);
        const Judgement j = JudgeResult(p, score);
        const int best = j.after.MaxScore[std::size_t(p.Level)];
        QCOMPARE((QList<int>{j.after.Level, j.after.Stage, j.after.LevelMax, best}), after);
        QTEST(j.tryStep, "next");
        const bool pass = after[1] != -1; // a pass plays the fanfare, a failure the buzzer
        QCOMPARE((QList{j.passed, j.scoreRed, j.sound == 1}), QList<bool>(3, pass));
        QCOMPARE(j.after.ClearFlg, after[1] == 3);
        const QList<int> hints = pass ? (after[1] == 3 ? QList{4, 8} : QList{4}) : QList{3};
        QCOMPARE(QList<int>(j.infos.begin(), j.infos.end()), hints);
        QCOMPARE(j.disableRetire, after[1] == -2 || j.after.ClearFlg); // no round to retire from
    }
};

QTEST_APPLESS_MAIN(TestScore)
#include "test_score.moc"
