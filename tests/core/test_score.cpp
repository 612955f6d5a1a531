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
    // The details: raw score, the deduction for each digit's count, for the
    // mean, and for each step size 0-9.
    void boards_data()
    {
        QTest::addColumn<int>("cells");
        QTest::addColumn<QString>("digits");
        QTest::addColumn<double>("score");
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("counts");
        QTest::addColumn<QString>("mean");
        QTest::addColumn<QString>("steps");
        const QString perfect = "71406947422787582698013411056167011391247229262193081614099169"
                                "20615977550242984889341834482357622051";
        QTest::newRow("example 1") << 30 << "314159265358979323846264338327" << 88.0 << "112"
                                   << "3 1 1 4 0 0 0 1 0 0"
                                   << "5"
                                   << "1 0 2 1 2 1 1 0 1 0";
        QTest::newRow("example 2") << 30 << "012345678901234567890123456789" << 71.0 << "112"
                                   << "0 0 0 0 0 0 0 0 0 0"
                                   << "0"
                                   << "2 21 4 4 3 2 2 1 1 1";
        QTest::newRow("example 3") << 30 << QString(30, '0') << 0.0 << "112"
                                   << "27 3 3 3 3 3 3 3 3 3"
                                   << "112"
                                   << "26 5 4 4 3 2 2 1 1 0";
        QTest::newRow("3 cells, raw 101.2") << 3 << "158" << 97.2 << "101.2"
                                            << "0 0 0 0 0 0 0 0 0 0"
                                            << "4"
                                            << "0 0 0 0 0 0 0 0 0 0";
        // 14 / (14 / 25) is 25 in exact arithmetic but just below it in doubles.
        QTest::newRow("14 cells, B rounds down") << 14 << "99999999500000" << 50.6 << "105.6"
                                                 << "3 1 1 1 1 0 1 1 1 6"
                                                 << "24"
                                                 << "9 2 2 1 0 0 1 0 0 0";
        QTest::newRow("level 4")
            << 80
            << "12345678909876543210135792468024681357975318642086420135792468097531864213579246"
            << 45.0 << "132"
            << "2 0 1 0 1 0 1 0 0 1"
            << "0"
            << "7 5 34 11 9 7 6 1 0 1";
        // Raw 140 less 34 points of deductions: the clamp makes it exactly 100.
        QTest::newRow("level 5, clamped") << 100 << perfect << 100.0 << "140"
                                          << "1 5 4 4 1 3 1 1 1 1"
                                          << "5"
                                          << "0 0 1 1 0 3 0 1 1 0";
        QTest::newRow("level 5, all nines") << 100 << QString(100, '9') << 0.0 << "140"
                                            << "10 10 10 10 10 10 10 10 10 90"
                                            << "112"
                                            << "89 17 15 13 11 9 7 5 3 1";
        // State the round flow never produces is guarded, not indexed blindly.
        QTest::newRow("no cells, bad digit") << 0 << "x" << 0.0 << "100.4"
                                             << "0 0 0 0 0 0 0 0 0 0"
                                             << "112"
                                             << "0 0 0 0 0 0 0 0 0 0";
        QTest::newRow("1000 cells") << 1000 << perfect << 100.0 << "140"
                                    << "1 5 4 4 1 3 1 1 1 1"
                                    << "5"
                                    << "0 0 1 1 0 3 0 1 1 0";
    }
    void boards()
    {
        QFETCH(int, cells);
        QFETCH(QString, digits);
        QFETCH(QString, raw);
        QFETCH(QString, counts);
        QFETCH(QString, mean);
        QFETCH(QString, steps);
        const QString text = "*素点 " + raw + "\r\n各数字の出現回数減点 =  " + counts +
                             "\r\n平均差減点= " + mean + "\r\n差 0～9 の出現回数減点 =  " + steps;
        basZorb g;
        g.Digits.fill(9); // a larger board left before: only the first cells count
        for (int i = 0; i < digits.size(); ++i)
            g.Digits[std::size_t(i)] =
                std::int16_t(digits[i] == 'x' ? 42 : digits[i].digitValue());
        g.CellCount = std::int16_t(cells);
        for (int call = 0; call < 2; ++call) { // a second call changes nothing
            QTEST(g.CalcScore(), "score");
            QCOMPARE(QString::fromStdString(g.DecInfoText), text);
        }
    }

    void levelTable_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("cells");
        QTest::addColumn<int>("stages");
        QTest::addColumn<int>("fixed"); // cells fixed in a SECOND stage
        static constexpr int rows[][4] = {{-1, 0, 2, 0},  {0, 3, 2, 0},  {1, 30, 2, 2},
                                          {2, 40, 2, 2},  {3, 60, 2, 4}, {4, 80, 2, 5},
                                          {5, 100, 3, 6}, {6, 0, 2, 0}};
        for (const auto& r : rows)
            QTest::addRow("%d", r[0]) << r[0] << r[1] << r[2] << r[3];
    }
    void levelTable()
    {
        QFETCH(int, level);
        const int cells = CellsForLevel(std::int16_t(level));
        QTEST(cells, "cells");
        QTEST(int(StageCount(std::int16_t(level))), "stages");
        QTEST(int(FixedCellCount(std::int16_t(cells))), "fixed");
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
        Random random(7);
        QString digits;
        for (int i = 0; i < 30; ++i)
            digits += QString::number(random.Digit());
        QCOMPARE(digits, QString("791810892775338399826200113366"));
    }

    // Verdict and its colour (1 red, 2 blue) at the edges of every band.
    void verdict_data()
    {
        QTest::addColumn<double>("score");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("colour");
        for (auto [score, text, colour] :
             {std::tuple{100.0, "Excellent!!!", 1},
              {95.0, "Excellent!!!", 1},
              {94.0, "Great!!", 1},
              {90.0, "Great!!", 1},
              {89.0, "Nice!", 1},
              {80.0, "Nice!", 1},
              {79.0, "Valueable...", 2},
              {70.0, "Valueable...", 2},
              {69.0, "Fault...", 2},
              {0.0, "Fault...", 2},
              {89.2, "", 0}}) // between bands: only the 3-cell level 0 scores a fraction
            QTest::addRow("%g", score) << score << QString(text) << colour;
    }
    void verdict()
    {
        QFETCH(double, score);
        QTEST(QString::fromStdString(VerdictFor(score).text), "text");
        QTEST(int(VerdictFor(score).colour), "colour");
    }

    // Track, flicker ticks and lblStage's caption by level and stage.
    void round_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<StageState>("stage");
        QTest::addColumn<int>("track");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<QString>("caption");
        using enum StageState;
        const QString practice = "Practice mode";
        QTest::newRow("L1 practice") << 1 << Practice << 6 << 12 << practice;
        QTest::newRow("L1 FIRST") << 1 << First << 4 << 12 << "FIRST stage";
        QTest::newRow("L1 SECOND") << 1 << Second << 2 << 12 << "SECONDstage";
        QTest::newRow("L2 FIRST") << 2 << First << 4 << 12 << "FIRST stage";
        QTest::newRow("L2 SECOND") << 2 << Second << 2 << 12 << "SECONDstage";
        QTest::newRow("L3 FIRST") << 3 << First << 3 << 12 << "FIRST stage";
        QTest::newRow("L3 SECOND") << 3 << Second << 5 << 12 << "SECONDstage";
        QTest::newRow("L4 FIRST") << 4 << First << 3 << 12 << "FIRST stage";
        QTest::newRow("L4 SECOND") << 4 << Second << 5 << 12 << "SECONDstage";
        QTest::newRow("L5 practice") << 5 << Practice << 6 << 12 << practice;
        QTest::newRow("L5 FIRST") << 5 << First << 5 << 12 << "FIRST stage";
        QTest::newRow("L5 SECOND") << 5 << Second << 1 << 40 << "SECONDstage";
        QTest::newRow("L5 THIRD") << 5 << Third << 1 << 40 << "THIRD stage";
        QTest::newRow("L5 done") << 5 << LevelDone << 6 << 12 << practice;
        QTest::newRow("L0 FIRST") << 0 << First << 0 << 12 << "FIRST stage";
        QTest::newRow("L6 SECOND") << 6 << Second << 0 << 12 << "SECONDstage";
    }
    void round()
    {
        QFETCH(int, level);
        QFETCH(StageState, stage);
        QTEST(int(TrackForRound(std::int16_t(level), stage)), "track");
        QTEST(ResultTickLimit(std::int16_t(level), stage), "ticks");
        QTEST(QString(StageCaption(stage)), "caption");
    }

    // A real-game score judged: where the player stands after it (the
    // level's best was 85), what Try does and what the round shows.
    void judge_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<StageState>("stage");
        QTest::addColumn<int>("levelMax");
        QTest::addColumn<double>("score");
        QTest::addColumn<int>("levelAfter");
        QTest::addColumn<StageState>("stageAfter");
        QTest::addColumn<int>("levelMaxAfter");
        QTest::addColumn<int>("best");
        QTest::addColumn<TryStep>("next");
        QTest::addColumn<SoundCue>("sound");
        QTest::addColumn<QList<Hint>>("hints");
        QTest::addColumn<bool>("retireGone");
        QTest::addColumn<bool>("cleared");
        using enum StageState;
        using enum TryStep;
        using enum SoundCue;
        const QList<Hint> passed{Hint::WellDone}, failed{Hint::PassMark};
        QTest::newRow("L1 FIRST 80 passes") << 1 << First << 1 << 80.0 << 1 << Second << 1 << 85
                                            << NextStage << Fanfare << passed << false << false;
        QTest::newRow("L1 FIRST 79 fails") << 1 << First << 1 << 79.0 << 1 << Practice << 1 << 85
                                           << Retry << Buzzer << failed << false << false;
        QTest::newRow("L1 SECOND") << 1 << Second << 1 << 90.0 << 2 << LevelDone << 2 << 90
                                   << GoToLevel << Fanfare << passed << true << false;
        QTest::newRow("L2 SECOND max 4") << 2 << Second << 4 << 90.0 << 3 << LevelDone << 4 << 90
                                         << GoToLevel << Fanfare << passed << true << false;
        QTest::newRow("L5 SECOND") << 5 << Second << 5 << 95.0 << 5 << Third << 5 << 95
                                   << NextStage << Fanfare << passed << false << false;
        QTest::newRow("L5 THIRD") << 5 << Third << 5 << 100.0 << 6 << LevelDone << 5 << 100
                                  << GameCleared << Fanfare
                                  << QList{Hint::WellDone, Hint::YouAreGreat} << true << true;
        QTest::newRow("L5 THIRD fails") << 5 << Third << 5 << 60.0 << 5 << Practice << 5 << 85
                                        << Retry << Buzzer << failed << false << false;
    }
    void judge()
    {
        QFETCH(int, level);
        QFETCH(StageState, stage);
        QFETCH(int, levelMax);
        QFETCH(double, score);
        Standing before{std::int16_t(level), stage, {std::int16_t(levelMax), {}, false}};
        before.progress.MaxScore.fill(85);
        const Judgement j = JudgeResult(before, score);
        QTEST(int(j.after.Level), "levelAfter");
        QTEST(j.after.Stage, "stageAfter");
        QTEST(int(j.after.progress.LevelMax), "levelMaxAfter");
        QTEST(int(j.after.progress.MaxScore[std::size_t(level)]), "best");
        QTEST(j.tryStep, "next");
        QTEST(j.sound, "sound");
        QTEST(QList<Hint>(j.infos.begin(), j.infos.end()), "hints");
        QTEST(j.disableRetire, "retireGone");
        QTEST(j.after.progress.ClearFlg, "cleared");
        QCOMPARE(j.scoreRed, j.sound == SoundCue::Fanfare); // a pass turns the score red
    }
};

QTEST_APPLESS_MAIN(TestScore)
#include "test_score.moc"
