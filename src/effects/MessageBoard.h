// The message board: the small orange box over the board that announces
// each real-game stage with a wipe of digits, and later says farewell.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <QWidget>

namespace zorbel
{

class Random;

// The box itself (txtMB): paints its lines in a fixed-pitch font sized in
// pixels, centred, never wrapping, never taking the focus.
class MessageBoardBox : public QWidget
{
    Q_OBJECT
public:
    explicit MessageBoardBox(QWidget* parent = nullptr);

    void setText(const QString& text); // lines separated by CR LF
    QString text() const { return text_; }
    void setBold(bool bold);
    bool isBold() const;
    void setBackgroundColour(const QColor& c);
    QColor backgroundColour() const { return background_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    QColor background_;
    QColor foreground_;
};

// The stage banner (timMB): 40 ticks of 40 ms, hidden on tick 41.
class MessageBoard : public QObject
{
    Q_OBJECT
public:
    MessageBoard(MessageBoardBox* box, Random& random, QObject* parent = nullptr);

    void start(int stage); // the tick count back to 0, the timer on
    void stop();           // timer off, box hidden
    bool isRunning() const { return timMB.isActive(); }

public slots:
    void timMB_Timer(); // one tick

private:
    MessageBoardBox* box_;
    Random& random_;
    int stage_ = 0;
    int MBTick = 0;
    QTimer timMB{this}; // a child named "timMB", for tools that watch it
};

} // namespace zorbel
