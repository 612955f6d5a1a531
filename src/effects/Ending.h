// The ending: the cells leave their grid one by one, every 60 ms, and
// land so that they spell スゴイ!!; then the message board says
// "See you again!" on a flickering yellow box until the game closes.
#pragma once

#include <QList>
#include <QObject>
#include <QTimer>

#include <functional>

class QLineEdit;

namespace zorbel
{

class MessageBoardBox;

class Ending : public QObject
{
    Q_OBJECT
public:
    Ending(const QList<QLineEdit*>& cells, MessageBoardBox* box, QObject* parent = nullptr);

    void start();
    bool isRunning() const { return timEnd.isActive(); }

    void timEnd_Timer(); // one tick; tests call it directly

    // Asked on the closing tick and after: is background music on?
    std::function<bool()> musicOn;
    // Music on: the window closes when the tune is reported stopped.
    std::function<void()> setQuitPending;
    // Closes the main window the normal way (so progress is saved).
    std::function<void()> closeWindow;

    int EndTick = 0;      // never reset; wraps by 8 past the closing tick
    int farewellWait = 0; // ticks waited for the tune past the closing tick
    QTimer timEnd;

    // With music on, the game closes at the latest this many ticks (60 s)
    // after the closing tick, even if the tune never reports its end.
    static constexpr int kMaxWaitTicks = 1000;

private:
    QList<QLineEdit*> cells_;
    MessageBoardBox* box_;
};

} // namespace zorbel
