// The waiting indicator: while a round is played, the score display shows
// a question mark walking across three dashes, one step a second.
#pragma once

#include <QObject>
#include <QTimer>

class QLabel;

namespace zorbel
{

class WaitingIndicator : public QObject
{
    Q_OBJECT
public:
    WaitingIndicator(QLabel* lblScore, QObject* parent = nullptr);

    void start(); // the cycle carries on where the last round left it
    void stop();
    bool isRunning() const { return timSCAction.isActive(); }

public slots:
    void timSCAction_Timer(); // one step

private:
    QLabel* lblScore_;
    int SCTick = 0;           // 0..99, never reset
    QTimer timSCAction{this}; // a child named "timSCAction", for tools that watch it
};

} // namespace zorbel
