#include "effects/WaitingIndicator.h"

#include "effects/EffectLogic.h"

#include <QLabel>

namespace zorbel
{

WaitingIndicator::WaitingIndicator(QLabel* lblScore, QObject* parent)
    : QObject(parent), lblScore_(lblScore)
{
    timSCAction.setObjectName(QStringLiteral("timSCAction"));
    timSCAction.setInterval(1000);
    connect(&timSCAction, &QTimer::timeout, this, &WaitingIndicator::timSCAction_Timer);
}

void WaitingIndicator::start()
{
    timSCAction.start();
}
void WaitingIndicator::stop()
{
    timSCAction.stop();
}

void WaitingIndicator::timSCAction_Timer()
{
    SCTick = NextSCTick(SCTick);
    lblScore_->setText(QString::fromStdString(WaitingText(SCTick)));
}

} // namespace zorbel
