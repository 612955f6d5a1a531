// The round flow without a window: judging, stages and levels, the result
// count, and when the progress must be saved.
#include "Fakes.h"

#include <QSignalSpy>

using namespace zorbel;
using namespace zorbel::testing;

namespace
{
struct Flow {
    explicit Flow(int levelMax, int best1 = 0)
    {
        GameData saved;
        saved.LevelMax = static_cast<std::int16_t>(levelMax);
        saved.MaxScore[1] = static_cast<std::int16_t>(best1);
        f.Load(saved);
        QObject::connect(&f, &RoundFlow::resultReady, &f,
                         [this](const RoundResult& r) { last = r; });
        QObject::connect(&f, &RoundFlow::countText, &f, [this] { ++texts; });
    }
    // Starts a round, scores `board` and runs the count to its end.
    void play(const char* board)
    {
        f.StartRound();
        f.BeginResult(digitsOf(board));
        texts = 0;
        for (int i = 0; i < 100 && f.Counting(); ++i)
            f.timResult_Timer();
    }
    RoundFlow f;
    QSignalSpy progress{&f, &RoundFlow::progressChanged};
    QSignalSpy stopped{&f, &RoundFlow::countStopped};
    RoundResult last;
    int texts = 0;
};
} // namespace

class TestRoundFlow : public QObject
{
    Q_OBJECT
private slots:
    // Rounds from a level's FIRST stage (or practice), boards played in order.
    // after: stage level LevelMax best-of-level-1 TryAction saves count-texts
    void rounds_data()
    {
        QTest::addColumn<int>("levelMax");
        QTest::addColumn<int>("best");
        QTest::addColumn<bool>("practice");
        QTest::addColumn<QStringList>("boards");
        QTest::addColumn<QString>("shown"); // score, verdict, Try caption
        QTest::addColumn<QString>("after");
        const QString b88 = kScore88, b71 = kScore71, b100 = kPass100;
        // clang-format off
        QTest::newRow("L1 pass") << 1 << 0 << false << QStringList{b88} << "088 Nice! NextStage" << "1 1 1 88 3 1 12";
        QTest::newRow("L1 fail") << 1 << 0 << false << QStringList{b71} << "071 Valueable... Retry" << "-1 1 1 71 2 1 12";
        QTest::newRow("L1 fail, best kept") << 1 << 88 << false << QStringList{b71} << "071 Valueable... Retry" << "-1 1 1 88 2 0 12";
        QTest::newRow("L1 pass below best") << 1 << 95 << false << QStringList{b88} << "088 Nice! NextStage" << "1 1 1 95 3 0 12";
        QTest::newRow("L1 done") << 1 << 0 << false << QStringList{b88, b88} << "088 Nice! Go to Level2" << "-2 2 2 88 1 2 12";
        QTest::newRow("L1 SECOND fails") << 1 << 0 << false << QStringList{b88, b71} << "071 Valueable... Retry" << "-1 1 1 88 2 1 12";
        QTest::newRow("L5 SECOND") << 5 << 0 << false << QStringList{b100, b100} << "092 Great!! NextStage" << "2 5 5 0 3 1 40";
        QTest::newRow("L5 THIRD") << 5 << 0 << false << QStringList{b100, b100, b100} << "092 Great!! Good Job!!!" << "3 6 5 0 0 2 40";
        QTest::newRow("L1 practice") << 1 << 0 << true << QStringList{b88, b88} << "088  " << "-1 1 1 0 2 0 12";
        // clang-format on
    }
    void rounds()
    {
        QFETCH(int, levelMax);
        QFETCH(int, best);
        QFETCH(bool, practice);
        QFETCH(QStringList, boards);
        Flow t(levelMax, best);
        QCOMPARE(t.f.Level(), levelMax);
        practice ? t.f.ChoosePractice() : t.f.ChooseRealGame();
        for (const QString& b : boards)
            t.play(b.toLatin1().constData());
        QCOMPARE(t.last.judged, !practice);
        const Judgement& j = t.last.judgement;
        QTEST(t.last.scoreText + ' ' + QString::fromStdString(j.verdict.text) + ' ' +
                  (t.last.judged ? TryCaption(j) : QString()),
              "shown");
        QTEST(QString::asprintf("%d %d %d %d %d %d %d", int(t.f.Stage()), t.f.Level(),
                                t.f.Zorb.LevelMax, t.f.Zorb.MaxScore[1], int(t.f.Try()),
                                int(t.progress.count()), t.texts),
              "after");
        QCOMPARE(t.stopped.count(), 0);
        QCOMPARE(t.f.ClearFlg(), t.f.GameCleared());
        QCOMPARE(t.f.Saved().ClearFlg, t.f.GameCleared());
        if (t.f.GameCleared())
            QCOMPARE(int(t.f.KeepLevel()), 1); // level 6 is out of reach
    }

    // A new round or the menu ends a running count (countStopped) without a
    // judgement; a finished count is not stopped again.
    void cutShort()
    {
        Flow t(1);
        t.f.ChooseRealGame();
        t.play(kScore71);
        t.f.EnterMenu();
        QCOMPARE(t.stopped.count(), 0);
        for (bool toMenu : {true, false}) {
            t.f.ChooseRealGame();
            t.f.StartRound();
            t.f.BeginResult(digitsOf(kScore88));
            toMenu ? t.f.EnterMenu() : void(t.f.StartRound());
            QVERIFY(!t.f.Counting());
        }
        QCOMPARE(t.stopped.count(), 2);
        QCOMPARE(t.progress.count(), 1);
        QCOMPARE(int(t.f.Zorb.MaxScore[1]), 71);
    }

    // The level button (N) cycles through the unlocked levels; the menu (K)
    // shows the current level again.
    void levelButton()
    {
        const std::tuple<int, const char*, const char*> rows[] = {
            {3, "NNNK", "1233"}, {1, "NKN", "111"}, {5, "KNN", "512"}};
        for (const auto& [levelMax, presses, levels] : rows) {
            Flow t(levelMax);
            QString seen;
            for (const char* p = presses; *p; ++p)
                seen += QString::number(*p == 'N' ? t.f.NextLevel() : t.f.KeepLevel());
            QCOMPARE(seen, QString(levels));
        }
    }
};

QTEST_MAIN(TestRoundFlow)
#include "test_roundflow.moc"
