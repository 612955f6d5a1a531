#include "effects/Ending.h"

#include "effects/EffectLogic.h"
#include "effects/Look.h"
#include "effects/MessageBoard.h"

#include <QLineEdit>

namespace zorbel
{

Ending::Ending(const QList<QLineEdit*>& cells, MessageBoardBox* box, QObject* parent)
    : QObject(parent), cells_(cells), box_(box)
{
    timEnd.setObjectName(QStringLiteral("timEnd"));
    timEnd.setInterval(60);
    timEnd.setTimerType(Qt::PreciseTimer);
    connect(&timEnd, &QTimer::timeout, this, &Ending::timEnd_Timer);
}

void Ending::start(bool musicOn)
{
    musicOn_ = musicOn;
    timEnd.start();
}

void Ending::timEnd_Timer()
{
    EndTick = NextEndTick(EndTick);
    const int t = EndTick;

    if (t <= kEndingDrawTicks) {
        const EndingStep step = EndingPosition(t);
        if (step.cell >= 0 && step.cell < cells_.size()) {
            QLineEdit* cell = cells_[step.cell];
            if (!step.hidden) {
                cell->move(look::px(step.x), look::px(step.y));
                cell->setText(QString());
                cell->setEnabled(false);
                cell->show();
            } else {
                cell->hide();
            }
            cell->setReadOnly(true);
        }
    }

    if (t > kEndingDrawTicks) {
        box_->setText(QStringLiteral("\r\n\r\nSee you again!"));
        box_->setBold(true);
        box_->setBackgroundColour(QColor(255, 255, FarewellBlue(t)));
        box_->show();
        box_->raise();
        if (t >= kEndingCloseTick) {
            if (musicOn_) {
                emit quitWhenMusicEnds();
                // A tune that never reports its end must not keep the game
                // open for ever.
                farewellWait += 1;
                if (farewellWait > kMaxWaitTicks) {
                    timEnd.stop();
                    emit closeRequested();
                }
            } else {
                timEnd.stop();
                emit closeRequested();
            }
        }
    }
}

} // namespace zorbel
