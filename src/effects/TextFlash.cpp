#include "effects/TextFlash.h"

#include "effects/CellLook.h"
#include "effects/EffectLogic.h"

#include <QLineEdit>

namespace zorbel
{

TextFlash::TextFlash(const QList<QLineEdit*>& cells, QObject* parent)
    : QObject(parent), cells_(cells)
{
    timTextFlash.setObjectName(QStringLiteral("timTextFlash"));
    timTextFlash.setInterval(40);
    timTextFlash.setTimerType(Qt::PreciseTimer);
    connect(&timTextFlash, &QTimer::timeout, this, &TextFlash::timTextFlash_Timer);
}

void TextFlash::settleCell(int index)
{
    if (index < 0 || index >= cells_.size())
        return;
    QLineEdit* cell = cells_[index];
    cells::setTextColour(cell, cells::kSettledText);
    cells::setBold(cell, false);
    cell->repaint();
}

void TextFlash::start(int index)
{
    if (FlashCount > 0)
        settleCell(FlashCell);
    timTextFlash.start();
    FlashCell = index;
    FlashCount = 9;
    if (index >= 0 && index < cells_.size()) {
        cells::setTextColour(cells_[index], cells::kFlashText);
        cells::setBold(cells_[index], true);
    }
}

void TextFlash::settle()
{
    if (FlashCount > 0)
        settleCell(FlashCell);
    FlashCount = 0;
    timTextFlash.stop();
}

void TextFlash::timTextFlash_Timer()
{
    if (FlashCount < 1) {
        timTextFlash.stop();
        return;
    }
    const int grey = FlashGrey(FlashCount);
    if (FlashCell >= 0 && FlashCell < cells_.size())
        cells::setTextColour(cells_[FlashCell], QColor(grey, grey, grey));
    FlashCount -= 1;
    if (FlashCount < 1) {
        settleCell(FlashCell);
        timTextFlash.stop();
    }
}

} // namespace zorbel
