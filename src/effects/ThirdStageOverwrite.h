// The THIRD stage's rule: every three seconds the game takes the next cell,
// writes the predictable digit (cell index mod 10) into it, greys and
// locks it, and flashes the window yellow.
#pragma once

#include <QList>
#include <QObject>
#include <QTimer>

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
    // palette and would keep every one of them). The digit written into a
    // cell is not a player's input: the cell's signals are blocked meanwhile.
    ThirdStageOverwrite(const QList<QLineEdit*>& cells, QWidget* flashLayer,
                        QObject* parent = nullptr);

    bool isFlashing() const;
    void start(int cellCount); // from the first cell again; the first overwrite 3 s later
    void stop();
    bool isRunning() const { return timSt3.isActive(); }

public slots:
    void timSt3_Timer(); // one overwrite
    void endFlash();     // the window's background back to normal

signals:
    // A cell has been taken; `hadFocus` says whether it had the focus (the
    // window then moves the focus on to the next free cell).
    void cellTaken(int index, bool hadFocus);

private:
    void setWindowYellow(bool yellow);

    QList<QLineEdit*> cells_;
    QWidget* flashLayer_;
    int cellCount_ = 0;
    int St3Cell = 0;
    QTimer timSt3{this}; // a child named "timSt3", for tools that watch it
    QTimer flashOff;     // ends the yellow flash about 80 ms later
};

} // namespace zorbel
