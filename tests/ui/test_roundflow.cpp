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
        saved.progress.LevelMax = static_cast<std::int16_t>(levelMax);
        saved.progress.MaxScore[1] = static_cast<std::int16_t>(best1);
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
    Random random{1};
    RoundFlow f{random};
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
    // Rounds from a level's FIRST stage (or practice), boards played in order:
    // what the last result shows, where the player stands after it, what Try
    // does, how often the progress was saved and how long the count ran.
    void rounds_data()
    {
        QTest::addColumn<int>("levelMax");
        QTest::addColumn<int>("best");
        QTest::addColumn<bool>("practice");
        QTest::addColumn<QStringList>("boards");
        QTest::addColumn<QString>("score");
        QTest::addColumn<QString>("verdict");
        QTest::addColumn<QString>("tryCaption");
        QTest::addColumn<StageState>("stage");
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("levelMax1");
        QTest::addColumn<int>("best1");
        QTest::addColumn<RoundFlow::TryAction>("tryAction");
        QTest::addColumn<int>("saves");
        QTest::addColumn<int>("countTexts");
        QTest::addColumn<Phase>("phase");
        const QStringList b88{kScore88}, b71{kScore71}, b100{kPass100};
        using enum StageState;
        using A = RoundFlow::TryAction;
        QTest::newRow("L1 pass") << 1 << 0 << false << b88 << "088"
                                 << "Nice!"
                                 << "NextStage" << Second << 1 << 1 << 88 << A::NextRound << 1
                                 << 12 << Phase::Judged;
        QTest::newRow("L1 fail") << 1 << 0 << false << b71 << "071"
                                 << "Valueable..."
                                 << "Retry" << Practice << 1 << 1 << 71 << A::RealGame << 1 << 12
                                 << Phase::Judged;
        QTest::newRow("L1 fail, best kept")
            << 1 << 88 << false << b71 << "071"
            << "Valueable..."
            << "Retry" << Practice << 1 << 1 << 88 << A::RealGame << 0 << 12 << Phase::Judged;
        QTest::newRow("L1 pass below best")
            << 1 << 95 << false << b88 << "088"
            << "Nice!"
            << "NextStage" << Second << 1 << 1 << 95 << A::NextRound << 0 << 12 << Phase::Judged;
        QTest::newRow("L1 done") << 1 << 0 << false << b88 + b88 << "088"
                                 << "Nice!"
                                 << "Go to Level2" << LevelDone << 2 << 2 << 88 << A::Menu << 2
                                 << 12 << Phase::Judged;
        QTest::newRow("L1 SECOND fails")
            << 1 << 0 << false << b88 + b71 << "071"
            << "Valueable..."
            << "Retry" << Practice << 1 << 1 << 88 << A::RealGame << 1 << 12 << Phase::Judged;
        QTest::newRow("L5 SECOND")
            << 5 << 0 << false << b100 + b100 << "092"
            << "Great!!"
            << "NextStage" << Third << 5 << 5 << 0 << A::NextRound << 1 << 40 << Phase::Judged;
        QTest::newRow("L5 THIRD") << 5 << 0 << false << b100 + b100 + b100 << "092"
                                  << "Great!!"
                                  << "Good Job!!!" << LevelDone << 6 << 5 << 0 << A::Ending << 2
                                  << 40 << Phase::Ending;
        QTest::newRow("L1 practice")
            << 1 << 0 << true << b88 + b88 << "088"
            << ""
            << "" << Practice << 1 << 1 << 0 << A::RealGame << 0 << 12 << Phase::Typing;
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
        QTEST(t.last.scoreText, "score");
        QTEST(QString::fromStdString(j.verdict.text), "verdict");
        QTEST(t.last.judged ? TryCaption(j) : QString(), "tryCaption");
        QTEST(t.f.Stage(), "stage");
        QTEST(int(t.f.Level()), "level");
        QTEST(int(t.f.progress().LevelMax), "levelMax1");
        QTEST(int(t.f.progress().MaxScore[1]), "best1");
        QTEST(int(t.progress.count()), "saves");
        QTEST(t.texts, "countTexts");
        QTEST(t.f.Try(), "tryAction");
        QTEST(t.f.phase(), "phase");
        QCOMPARE(t.stopped.count(), 0);
        QCOMPARE(t.f.Saved().progress.ClearFlg, t.f.GameCleared());
        if (t.f.GameCleared())
            QCOMPARE(int(t.f.KeepLevel()), 1); // level 6 is out of reach
    }

    // Which buttons a round offers: 採点 once the last cell fills the board,
    // taken away by a blank in the real game and given back by the digit
    // that fills the board again; nothing new once judged.
    void buttons_data()
    {
        QTest::addColumn<bool>("practice");
        QTest::addColumn<QString>("steps"); // d: a digit in cell i, b: cell i blanked, j: judged
        QTest::addColumn<QList<bool>>("offered"); // 採点 after each step
        QTest::addColumn<QList<bool>>("focus");   // ... and whether that step gave it the focus
        using B = QList<bool>;
        QTest::newRow("last cell") << false << "d28 d29" << B{false, true} << B{false, true};
        QTest::newRow("corrected")
            << false << "d29 b5 d5" << B{true, false, true} << B{true, false, true};
        QTest::newRow("blank before full")
            << false << "b3 d29" << B{false, true} << B{false, true};
        QTest::newRow("practice blank")
            << true << "d29 b5 d5" << B{true, true, true} << B{true, false, false};
        QTest::newRow("judged") << false << "d29 j b5 d5 d29"
                                << B{true, false, false, false, false}
                                << B{true, false, false, false, false};
    }
    void buttons()
    {
        QFETCH(bool, practice);
        QFETCH(QString, steps);
        Flow t(1);
        practice ? t.f.ChoosePractice() : t.f.ChooseRealGame();
        t.f.StartRound();
        QCOMPARE(t.f.buttons(), (Buttons{false, false, true, practice}));
        QList<bool> offered, focus;
        for (const QString& step : steps.split(' ')) {
            bool focused = false;
            if (step == "j")
                t.play(kScore71);
            else
                focused = t.f.CellChanged(step.mid(1).toInt(), step[0] == 'd', true);
            offered << t.f.buttons().score;
            focus << focused;
        }
        QTEST(offered, "offered");
        QTEST(focus, "focus");
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
        QCOMPARE(int(t.f.progress().MaxScore[1]), 71);
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
