#include "game/RoundRules.h"

#include <QTest>

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
        QTest::newRow("100") << 100.0 << "Excellent!!!" << VerdictColour::Red;
        QTest::newRow("95") << 95.0 << "Excellent!!!" << VerdictColour::Red;
        QTest::newRow("94") << 94.0 << "Great!!" << VerdictColour::Red;
        QTest::newRow("90") << 90.0 << "Great!!" << VerdictColour::Red;
        QTest::newRow("89") << 89.0 << "Nice!" << VerdictColour::Red;
        QTest::newRow("80") << 80.0 << "Nice!" << VerdictColour::Red;
        QTest::newRow("79") << 79.0 << "Valueable..." << VerdictColour::Blue;
        QTest::newRow("70") << 70.0 << "Valueable..." << VerdictColour::Blue;
        QTest::newRow("69") << 69.0 << "Fault..." << VerdictColour::Blue;
        QTest::newRow("0") << 0.0 << "Fault..." << VerdictColour::Blue;
        QTest::newRow("89.2 between bands") << 89.2 << "" << VerdictColour::None;
    }
    void verdict()
    {
        QFETCH(double, score);
        QFETCH(QString, text);
        QFETCH(VerdictColour, colour);
        const Verdict v = VerdictFor(score);
        QCOMPARE(QString::fromStdString(v.text), text);
        QCOMPARE(v.colour, colour);
    }

    void tracks_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("stage");
        QTest::addColumn<int>("track");
        for (int l = 1; l <= 5; ++l)
            QTest::addRow("practice L%d", l) << l << -1 << 6;
        QTest::newRow("L1 FIRST") << 1 << 0 << 4;
        QTest::newRow("L2 FIRST") << 2 << 0 << 4;
        QTest::newRow("L3 FIRST") << 3 << 0 << 3;
        QTest::newRow("L4 FIRST") << 4 << 0 << 3;
        QTest::newRow("L5 FIRST") << 5 << 0 << 5;
        QTest::newRow("L1 SECOND") << 1 << 1 << 2;
        QTest::newRow("L2 SECOND") << 2 << 1 << 2;
        QTest::newRow("L3 SECOND") << 3 << 1 << 5;
        QTest::newRow("L4 SECOND") << 4 << 1 << 5;
        QTest::newRow("L5 SECOND") << 5 << 1 << 1;
        QTest::newRow("L5 THIRD") << 5 << 2 << 1;
        QTest::newRow("L0 FIRST: none") << 0 << 0 << 0;
        QTest::newRow("L6 SECOND: none") << 6 << 1 << 0;
    }
    void tracks()
    {
        QFETCH(int, level);
        QFETCH(int, stage);
        QFETCH(int, track);
        QCOMPARE(
            int(TrackForRound(static_cast<std::int16_t>(level), static_cast<std::int16_t>(stage))),
            track);
    }

    void tickLimit_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("stage");
        QTest::addColumn<int>("limit");
        QTest::newRow("L1 practice") << 1 << -1 << 12;
        QTest::newRow("L1 SECOND") << 1 << 1 << 12;
        QTest::newRow("L5 practice") << 5 << -1 << 12;
        QTest::newRow("L5 FIRST") << 5 << 0 << 12;
        QTest::newRow("L5 SECOND") << 5 << 1 << 40;
        QTest::newRow("L5 THIRD") << 5 << 2 << 40;
    }
    void tickLimit()
    {
        QFETCH(int, level);
        QFETCH(int, stage);
        QFETCH(int, limit);
        QCOMPARE(
            ResultTickLimit(static_cast<std::int16_t>(level), static_cast<std::int16_t>(stage)),
            limit);
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
        QTest::addColumn<bool>("clear");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("sound");
        QTest::addColumn<bool>("retireOff");
        QTest::newRow("L1 FIRST pass")
            << 1 << 0 << 1 << 88.0 << 1 << 1 << 1 << false << "NextStage" << 1 << false;
        QTest::newRow("L1 FIRST 80 passes")
            << 1 << 0 << 1 << 80.0 << 1 << 1 << 1 << false << "NextStage" << 1 << false;
        QTest::newRow("L1 FIRST 79 fails")
            << 1 << 0 << 1 << 79.0 << 1 << -1 << 1 << false << "Retry" << 2 << false;
        QTest::newRow("L1 SECOND fail")
            << 1 << 1 << 1 << 71.0 << 1 << -1 << 1 << false << "Retry" << 2 << false;
        QTest::newRow("L1 SECOND pass")
            << 1 << 1 << 1 << 90.0 << 2 << -2 << 2 << false << "Go to Level2" << 1 << true;
        QTest::newRow("L2 SECOND pass, max 4")
            << 2 << 1 << 4 << 90.0 << 3 << -2 << 4 << false << "Go to Level3" << 1 << true;
        QTest::newRow("L4 SECOND pass")
            << 4 << 1 << 4 << 95.0 << 5 << -2 << 5 << false << "Go to Level5" << 1 << true;
        QTest::newRow("L5 SECOND pass")
            << 5 << 1 << 5 << 95.0 << 5 << 2 << 5 << false << "NextStage" << 1 << false;
        QTest::newRow("L5 THIRD pass")
            << 5 << 2 << 5 << 100.0 << 6 << 3 << 5 << true << "Good Job!!!" << 1 << true;
        QTest::newRow("L5 THIRD fail")
            << 5 << 2 << 5 << 60.0 << 5 << -1 << 5 << false << "Retry" << 2 << false;
    }
    void judge()
    {
        QFETCH(int, level);
        QFETCH(int, stage);
        QFETCH(int, levelMax);
        QFETCH(double, score);
        Progress p;
        p.Level = static_cast<std::int16_t>(level);
        p.Stage = static_cast<std::int16_t>(stage);
        p.LevelMax = static_cast<std::int16_t>(levelMax);
        const Judgement j = JudgeResult(p, score);
        QTEST(int(j.after.Level), "newLevel");
        QTEST(int(j.after.Stage), "newStage");
        QTEST(int(j.after.LevelMax), "newLevelMax");
        QTEST(j.after.ClearFlg, "clear");
        QTEST(QString::fromStdString(j.tryCaption), "caption");
        QTEST(j.sound, "sound");
        QTEST(j.disableRetire, "retireOff");
        QCOMPARE(j.passed, score >= 80);
        QCOMPARE(j.scoreRed, score >= 80);
        if (j.after.Level == 6)
            QCOMPARE(j.infos, (std::vector<int>{4, 8}));
        else
            QCOMPARE(j.infos, (std::vector<int>{score >= 80 ? 4 : 3}));
    }

    void bestScoreOnlyGrows()
    {
        std::array<std::int16_t, 6> best{};
        RecordBestScore(best, 2, 71);
        QCOMPARE(int(best[2]), 71);
        RecordBestScore(best, 2, 65);
        QCOMPARE(int(best[2]), 71);
        RecordBestScore(best, 2, 88);
        QCOMPARE(int(best[2]), 88);
        RecordBestScore(best, 0, 99);
        RecordBestScore(best, 6, 99);
        QCOMPARE(int(best[0]), 0);
        QCOMPARE(best[1] + best[3] + best[4] + best[5], 0);
    }
};

QTEST_APPLESS_MAIN(TestRules)
#include "test_rules.moc"
