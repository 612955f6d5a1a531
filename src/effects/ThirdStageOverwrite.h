// The THIRD stage's rule: every three seconds the game takes the next cell,
// writes the predictable digit (cell index mod 10) into it, greys and
// locks it, and flashes the window yellow.
#pragma once

#include <QList>
#include <QObject>
#include <QTimer>

#include <functional>

class QLineEdit;
class QWidget;

namespace zorbel
{

class ThirdStageOverwrite : public QObject
{
    Q_OBJECT
public:
    // `flashLayer` is a yellow widget lying under every control of the
    // window, shown during the flash: the window's palette never changes, so
    // no control is repainted with a new palette (Qt caches a pixmap per
    // palette and would keep every one of them). `autoInput` is the window's
    // flag that makes the cell-change handling ignore our writes.
    ThirdStageOverwrite(const QList<QLineEdit*>& cells, QWidget* flashLayer, bool& autoInput,
                        QObject* parent = nullptr);

    bool isFlashing() const;

    void start(int cellCount); // St3Cell := 0, first overwrite 3 s later
    void stop();
    bool isRunning() const { return timSt3.isActive(); }

    void timSt3_Timer(); // one tick; tests call it directly
    void endFlash();     // the window's background back to normal

    // Called after a cell has been taken, with its index and whether it had
    // the focus (the window then moves the focus to the next free cell).
    std::function<void(int index, bool hadFocus)> cellTaken;

    int St3Cell = 0;
    QTimer timSt3;
    QTimer flashOff; // ends the yellow flash about 80 ms later

private:
    void setWindowYellow(bool yellow);
    QList<QLineEdit*> cells_;
    QWidget* flashLayer_;
    bool& autoInput_;
    int cellCount_ = 0;
};

} // namespace zorbel
