// Recording stand-ins for sound, music and prompts, and a loaded main
// window in a fresh program folder.
#pragma once

#include "audio/AudioInterfaces.h"
#include "game/Random.h"
#include "settings/INI.h"
#include "ui/Prompter.h"
#include "ui/RoundFlow.h"
#include "ui/frmMain.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

namespace zorbel::testing
{

// Boards with their scores, checked with zorbel-score.
inline const char* const kScore88 = "314159265358979323846264338327";
inline const char* const kScore71 = "012345678901234567890123456789";
inline const char* const kPass100 =
    "39825979190748337887623286012904047966697251027346468695896935"
    "04925899139441177151620466109906958483";

inline std::array<std::int16_t, kMaxCells> digitsOf(const char* board)
{
    std::array<std::int16_t, kMaxCells> d{};
    for (std::size_t i = 0; board[i] != 0 && i < d.size(); ++i)
        d[i] = static_cast<std::int16_t>(board[i] - '0');
    return d;
}

struct FakeSound : SoundEffects {
    QList<int> played;
    void Add(const QString&) override {}
    void SetSoundOn(bool) override {}
    void play(SoundCue cue) override { played << int(cue); }
};

struct FakeMusic : BackgroundMusic {
    QList<int> tracks;
    QList<bool> switches;
    void InitBGM() override {}
    void AddBGM(const QString&) override {}
    void BGMOnOff(bool on) override { switches << on; }
    void BGMPlay(std::int16_t n, bool) override { tracks << n; }
    void BGMStop() override {}
    bool GetBGMStopped() override { return true; }
    void CalledByTimer() override {}
};

struct FakePrompter : Prompter {
    QList<QStringList> asked;  // {title, text}, questions and errors alike
    QList<QStringList> opened; // {path, fragment}
    bool yes = true;
    bool shellResult = false;
    std::function<void()> whileAsking; // what the timers do while a question is open
    bool askYesNo(QWidget*, const QString& title, const QString& text) override
    {
        asked << QStringList{title, text};
        if (whileAsking)
            whileAsking();
        return yes;
    }
    void showError(QWidget*, const QString& title, const QString& text) override
    {
        asked << QStringList{title, text};
    }
    bool ShellExe(const QString& path, const QString& fragment) override
    {
        opened << QStringList{path, fragment};
        return shellResult;
    }
};

// A loaded, shown main window in its own program folder.
struct Game {
    explicit Game(const QByteArray& iniText = {})
    {
        if (!iniText.isEmpty()) {
            QFile f(dir.filePath(QStringLiteral("zorbel.ini")));
            if (f.open(QIODevice::WriteOnly))
                f.write(iniText);
        }
        w = std::make_unique<frmMain>(
            frmMain::Services{sound, music, prompter, settings, random, dir.path() + u'/', false});
        w->Form_Load();
        w->show();
        w->activateWindow();
        (void)QTest::qWaitForWindowActive(w.get());
    }
    template <class T = QWidget> T* get(const QString& name) const
    {
        return w->findChild<T*>(name);
    }
    QPushButton* button(const char* name) const { return get<QPushButton>(QLatin1String(name)); }
    QString text(const char* name) const { return get<QLabel>(QLatin1String(name))->text(); }
    QLineEdit* cell(int i) const { return get<QLineEdit>(QStringLiteral("txtAns%1").arg(i)); }
    RoundFlow* flow() const { return get<RoundFlow>(QStringLiteral("flow")); }
    void click(const char* name) const
    {
        QTest::mouseClick(get(QLatin1String(name)), Qt::LeftButton);
    }
    // Types digits into the first cells, one key each.
    void type(const QString& digits) const
    {
        for (int i = 0; i < digits.size(); ++i)
            QTest::keyClicks(cell(i), digits.mid(i, 1));
    }
    // Runs a result count to its end.
    void finish() const
    {
        for (int i = 0; i < 100 && flow()->Counting(); ++i)
            flow()->timResult_Timer();
    }
    QString ini() const
    {
        QFile f(dir.filePath(QStringLiteral("zorbel.ini")));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    QTemporaryDir dir;
    FakeSound sound;
    FakeMusic music;
    FakePrompter prompter;
    INI settings{dir.path()};
    Random random{12345};
    std::unique_ptr<frmMain> w;
};

} // namespace zorbel::testing
