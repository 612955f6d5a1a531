#include "game/RoundRules.h"

#include <QTest>

#include <tuple>

using namespace zorbel;

Q_DECLARE_METATYPE(VerdictColour)

class TestRules : public QObject
{
    Q_OBJECT
private slots:
    void verdict_data()
    {
        QTest::addColumn<double>("score");
        QTest::addColumn<QString>("text");
        QTest::addColumn<VerdictColour>("colour");
        const auto red = VerdictColour::Red, blue = VerdictColour::Blue;
        // clang-format off
        for (auto [score, text, colour] : {std::tuple{100.0, "Excellent!!!", red},
                {95.0, "Excellent!!!", red}, {94.0, "Great!!", red}, {90.0, "Great!!", red},
                {89.0, "Nice!", red}, {80.0, "Nice!", red}, {79.0, "Valueable...", blue},
                {70.0, "Valueable...", blue}, {69.0, "Fault...", blue}, {0.0, "Fault...", blue},
                {89.2, "", VerdictColour::None}}) // level 0 alone gives fractions
            // clang-format on
            QTest::addRow("%g", score) << score << QString(text) << colour;
    }
    void verdict()
    {
        QFETCH(double, score);
        const Verdict v = VerdictFor(score);
        QTEST(QString::fromStdString(v.text), "text");
        QTEST(v.colour, "colour");
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

    void judge_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("stage");
        QTest::addColumn<int>("levelMax");
        QTest::addColumn<double>("score");
        QTest::addColumn<int>("newLevel");
        QTest::addColumn<int>("newStage");
        QTest::addColumn<int>("newLevelMax");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QList<int>>("infos");
        // clang-format off
        QTest::newRow("L1 FIRST 80 passes") << 1 << 0 << 1 << 80.0 << 1 << 1 << 1 << "NextStage" << QList{4};
        QTest::newRow("L1 FIRST 79 fails") << 1 << 0 << 1 << 79.0 << 1 << -1 << 1 << "Retry" << QList{3};
        QTest::newRow("L1 SECOND pass") << 1 << 1 << 1 << 90.0 << 2 << -2 << 2 << "Go to Level2" << QList{4};
        QTest::newRow("L2 SECOND pass, max 4") << 2 << 1 << 4 << 90.0 << 3 << -2 << 4 << "Go to Level3" << QList{4};
        QTest::newRow("L4 SECOND pass") << 4 << 1 << 4 << 95.0 << 5 << -2 << 5 << "Go to Level5" << QList{4};
        QTest::newRow("L5 SECOND pass") << 5 << 1 << 5 << 95.0 << 5 << 2 << 5 << "NextStage" << QList{4};
        QTest::newRow("L5 THIRD pass") << 5 << 2 << 5 << 100.0 << 6 << 3 << 5 << "Good Job!!!" << QList{4, 8};
        QTest::newRow("L5 THIRD fail") << 5 << 2 << 5 << 60.0 << 5 << -1 << 5 << "Retry" << QList{3};
        // clang-format on
    }
    void judge()
    {
        QFETCH(int, level);
        QFETCH(int, stage);
        QFETCH(int, levelMax);
        QFETCH(double, score);
        QFETCH(int, newStage);
        const Progress p{std::int16_t(level), std::int16_t(stage), std::int16_t(levelMax), {}, {}};
        const Judgement j = JudgeResult(p, score);
        QTEST(int(j.after.Level), "newLevel");
        QCOMPARE(int(j.after.Stage), newStage);
        QTEST(int(j.after.LevelMax), "newLevelMax");
        QCOMPARE(j.after.ClearFlg, newStage == 3);
        QTEST(QString::fromStdString(j.tryCaption), "caption");
        QTEST(QList<int>(j.infos.begin(), j.infos.end()), "infos");
        const bool pass = newStage != -1;
        QCOMPARE(j.passed, pass);
        QCOMPARE(j.scoreRed, pass);
        QCOMPARE(j.sound, pass ? 1 : 2);
        QCOMPARE(j.disableRetire, newStage == -2 || newStage == 3);
        QCOMPARE(int(j.after.MaxScore[std::size_t(level)]), int(score));
    }

    void bestScoreOnlyGrows()
    {
        std::array<std::int16_t, 6> best{};
        // Level and score of each round; halves are rounded to even when kept.
        static constexpr double rounds[][2] = {{2, 71},   {2, 65},   {3, 40}, {3, 88},
                                               {4, 80.5}, {5, 81.5}, {0, 99}, {6, 99}};
        for (auto [level, score] : rounds)
            RecordBestScore(best, std::int16_t(level), score);
        QCOMPARE(best, (std::array<std::int16_t, 6>{0, 0, 71, 88, 80, 82}));
    }
};

QTEST_APPLESS_MAIN(TestRules)
#include "test_rules.moc"
