// The digit flash: an accepted digit blinks white and black in bold for
// nine ticks of 40 ms, then settles in yellow at regular weight.
#pragma once

#include <QList>
#include <QObject>
#include <QTimer>

class QLineEdit;

namespace zorbel
{

class TextFlash : public QObject
{
    Q_OBJECT
public:
    TextFlash(const QList<QLineEdit*>& cells, QObject* parent = nullptr);

    // Starts a flash on cell `index`; a flash still running elsewhere is
    // settled at once.
    void start(int index);
    // Settles the running flash now (yellow, regular weight), if any.
    void settle();
    void stop() { settle(); }
    bool isRunning() const { return timTextFlash.isActive(); }
    // True while cell `index` is the one flashing.
    bool isFlashing(int index) const { return FlashCount > 0 && FlashCell == index; }

public slots:
    void timTextFlash_Timer(); // one tick

private:
    void settleCell(int index);

    QList<QLineEdit*> cells_;
    int FlashCell = 0;
    int FlashCount = 0;        // 9 when a flash starts, 0 when none runs
    QTimer timTextFlash{this}; // a child named "timTextFlash", for tools that watch it
};

} // namespace zorbel
