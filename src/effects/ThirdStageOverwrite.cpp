#include "effects/ThirdStageOverwrite.h"

#include "effects/CellLook.h"
#include "effects/EffectLogic.h"
#include "effects/Look.h"

#include <QLineEdit>
#include <QSignalBlocker>
#include <QWidget>

namespace zorbel
{

ThirdStageOverwrite::ThirdStageOverwrite(const QList<QLineEdit*>& cells, QWidget* flashLayer,
                                         QObject* parent)
    : QObject(parent), cells_(cells), flashLayer_(flashLayer)
{
    flashLayer_->setAutoFillBackground(true);
    look::setColour(flashLayer_, {QPalette::Window}, QColor(255, 255, 0));
    flashLayer_->setAttribute(Qt::WA_TransparentForMouseEvents);
    flashLayer_->hide();

    timSt3.setObjectName(QStringLiteral("timSt3"));
    timSt3.setInterval(3000);
    connect(&timSt3, &QTimer::timeout, this, &ThirdStageOverwrite::timSt3_Timer);
    // A flash restored within the same tick would never reach the screen on
    // a composited desktop, so the yellow stays up for a moment.
    flashOff.setSingleShot(true);
    flashOff.setInterval(80);
    connect(&flashOff, &QTimer::timeout, this, &ThirdStageOverwrite::endFlash);
}

void ThirdStageOverwrite::start(int cellCount)
{
    cellCount_ = cellCount;
    St3Cell = 0;
    timSt3.start();
}

void ThirdStageOverwrite::stop()
{
    timSt3.stop();
}

void ThirdStageOverwrite::endFlash()
{
    setWindowYellow(false);
}

void ThirdStageOverwrite::setWindowYellow(bool yellow)
{
    flashLayer_->lower();
    flashLayer_->setVisible(yellow);
    if (QWidget* window = flashLayer_->parentWidget())
        window->repaint();
}

bool ThirdStageOverwrite::isFlashing() const
{
    return flashLayer_->isVisible();
}

void ThirdStageOverwrite::timSt3_Timer()
{
    if (St3Cell < 0 || St3Cell >= cells_.size() || St3Cell >= cellCount_) {
        timSt3.stop();
        return;
    }
    setWindowYellow(true);
    flashOff.start();

    QLineEdit* cell = cells_[St3Cell];
    {
        const QSignalBlocker notTyped(cell);
        cell->setText(QString(QChar::fromLatin1(St3Digit(St3Cell))));
    }
    cells::setBackground(cell, cells::kFixedBackground);
    const int taken = St3Cell;
    const bool hadFocus = cell->hasFocus();
    cell->setEnabled(false);

    St3Cell += 1;
    if (St3Finished(St3Cell, cellCount_))
        timSt3.stop();
    emit cellTaken(taken, hadFocus);
}

} // namespace zorbel
