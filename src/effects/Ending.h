// The ending: the cells leave their grid one by one, every 60 ms, and
// land so that they spell スゴイ!!; then the message board says
// "See you again!" on a flickering yellow box until the game closes.
#pragma once

#include <QList>
#include <QObject>
#include <QTimer>

class QLineEdit;

namespace zorbel
{

class MessageBoardBox;

class Ending : public QObject
{
    Q_OBJECT
public:
    Ending(const QList<QLineEdit*>& cells, MessageBoardBox* box, QObject* parent = nullptr);

    // With the music on, the game closes when the ending's tune stops;
    // otherwise as soon as the farewell has shown.
    void start(bool musicOn);
    void stop() { timEnd.stop(); }
    bool isRunning() const { return timEnd.isActive(); }

    // With music on, the game closes at the latest this many ticks (60 s)
    // after the closing tick, even if the tune never reports its end.
    static constexpr int kMaxWaitTicks = 1000;

public slots:
    void timEnd_Timer(); // one tick

signals:
    // The farewell has shown: close when the tune reports its end.
    void quitWhenMusicEnds();
    // Close the main window now, the normal way (so progress is saved).
    void closeRequested();

private:
    QList<QLineEdit*> cells_;
    MessageBoardBox* box_;
    bool musicOn_ = false;
    int EndTick = 0;      // never reset; wraps by 8 past the closing tick
    int farewellWait = 0; // ticks waited for the tune past the closing tick
    QTimer timEnd{this};  // a child named "timEnd", for tools that watch it
};

} // namespace zorbel
