// Helpers that drive the real main window in tests: a fresh program
// folder, typed digits, and time stepped tick by tick.
#pragma once

#include "audio/Sound.h"
#include "audio/clsBGMAPI.h"
#include "common/clsCommon.h"
#include "game/Random.h"
#include "game/basZorb.h"
#include "ui/AnswerCell.h"
#include "ui/ClickLabel.h"
#include "ui/Prompter.h"
#include "ui/frmMain.h"

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

namespace zorbel::testing
{

// Sequences whose scores are known (from the worked examples).
inline const char* const kScore88 = "314159265358979323846264338327";
inline const char* const kScore71 = "012345678901234567890123456789";

// A sequence of `n` digits that starts with `prefix` and scores at least
// `atLeast`, found by a fixed search so every run types the same board.
inline std::string passingSequence(int n, const std::string& prefix = {}, double atLeast = 90)
{
    std::uint64_t state =
        0x9e3779b97f4a7c15ULL + static_cast<std::uint64_t>(prefix.size() * 131 + n);
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return static_cast<int>(state % 10);
    };
    for (;;) {
        std::string s = prefix;
        while (static_cast<int>(s.size()) < n)
            s += static_cast<char>('0' + next());
        std::vector<std::int16_t> d;
        for (char c : s)
            d.push_back(static_cast<std::int16_t>(c - '0'));
        if (ScoreDigits(d, false).score >= atLeast)
            return s;
    }
}

class GameDriver
{
public:
    explicit GameDriver(bool load = true, const QByteArray& iniText = {})
    {
        clsCommon::SetPathOverride(dir.path());
        frmMain::setShowSplash(false);
        Rnd::Seed(12345);
        Prompter::setHandler(
            [this](Prompter::Kind kind, const QString& title, const QString& text) {
                prompts.append(title + QLatin1Char('|') + text);
                if (kind == Prompter::Kind::Error)
                    return Prompter::Answer::Ok;
                return answerYes ? Prompter::Answer::Yes : Prompter::Answer::No;
            });
        Sound::instance().playHook = [this](int n) { sounds.append(n); };
        clsBGMAPI::instance().playHook = [this](int n) { tracks.append(n); };
        if (!iniText.isEmpty()) {
            QFile f(iniPath());
            f.open(QIODevice::WriteOnly);
            f.write(iniText);
        }
        w = std::make_unique<frmMain>();
        if (load) {
            w->Form_Load();
            w->show();
            // Focus moves are part of what is tested: make the window active.
            w->activateWindow();
            (void)QTest::qWaitForWindowActive(w.get());
        }
    }
    ~GameDriver()
    {
        if (w)
            w->close();
        w.reset();
        clsBGMAPI::instance().BGMStop();
        Prompter::setHandler({});
        Sound::instance().playHook = {};
        clsBGMAPI::instance().playHook = {};
        clsCommon::SetPathOverride({});
    }

    QString iniPath() const { return dir.filePath(QStringLiteral("zorbel.ini")); }
    QString iniText() const
    {
        QFile f(iniPath());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll());
    }

    // Types one character into a cell, as a key press.
    void type(int cell, char c) { QTest::keyClick(w->txtAns[cell], c); }

    // Types a whole sequence into the free cells, in order, skipping cells
    // that are fixed.
    void typeBoard(const std::string& digits, int from = 0)
    {
        for (std::size_t i = 0; i < digits.size(); ++i) {
            AnswerCell* cell = w->txtAns[from + static_cast<int>(i)];
            if (cell->isEnabled())
                QTest::keyClick(cell, digits[i]);
        }
    }

    // Starts a real-game round at this level and stage straight away, as if
    // the earlier stages had been passed.
    void startStage(int level, int stage)
    {
        w->Zorb.LevelMax = static_cast<std::int16_t>(std::max<int>(w->Zorb.LevelMax, level));
        w->Level = static_cast<std::int16_t>(level);
        w->Stage = static_cast<std::int16_t>(stage);
        w->StartRound();
    }

    // Runs the result suspense to its end; returns the number of ticks.
    int finishResult()
    {
        int ticks = 0;
        while (w->timResult.isActive() && ticks < 1000) {
            w->timResult_Timer();
            ++ticks;
        }
        return ticks;
    }

    // Plays one real-game round with the given board and waits for the result.
    void playRound(const std::string& digits)
    {
        const int fixed = w->Stage == 1 ? FixedCellCount(w->Zorb.CellCount) : 0;
        typeBoard(digits.substr(static_cast<std::size_t>(fixed)), fixed);
        QVERIFY(w->cmdChk->isEnabled());
        w->cmdChk->click();
        finishResult();
    }

    // The fixed digit of a SECOND stage, as shown in cell 0.
    std::string fixedPrefix() const
    {
        const int fixed = FixedCellCount(w->Zorb.CellCount);
        return std::string(static_cast<std::size_t>(fixed), w->txtAns[0]->text().toLatin1().at(0));
    }

    // Clears the first stage and the second stage of the current level.
    void passLevel()
    {
        const int n = w->Zorb.CellCount;
        playRound(passingSequence(n));
        w->cmdTry->click(); // NextStage
        playRound(passingSequence(n, fixedPrefix()));
        if (w->Stage == 2) {
            w->cmdTry->click(); // THIRD stage
            playRound(passingSequence(n));
        }
    }

    QTemporaryDir dir;
    std::unique_ptr<frmMain> w;
    QStringList prompts;
    QList<int> sounds;
    QList<int> tracks;
    bool answerYes = true;
};

} // namespace zorbel::testing
