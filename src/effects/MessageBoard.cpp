#include "effects/MessageBoard.h"

#include "effects/EffectLogic.h"
#include "game/Random.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

namespace zorbel
{

MessageBoardBox::MessageBoardBox(QWidget* parent)
    : QWidget(parent), background_(255, 128, 0), foreground_(128, 64, 64)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // "ＭＳ ゴシック" 9 pt: IPAゴシック at 12 px, whose half-width characters
    // are 6 px wide, so 31 of them fit the 197 px box.
    QFont f;
    f.setFamilies({QStringLiteral("IPAGothic"), QStringLiteral("IPAゴシック")});
    f.setFixedPitch(true);
    f.setStyleHint(QFont::TypeWriter);
    f.setPixelSize(12);
    setFont(f);
}

void MessageBoardBox::setText(const QString& text)
{
    if (text == text_)
        return;
    text_ = text;
    update();
}

void MessageBoardBox::setBold(bool bold)
{
    QFont f = font();
    f.setBold(bold);
    setFont(f);
    update();
}

bool MessageBoardBox::isBold() const
{
    return font().bold();
}

void MessageBoardBox::setBackgroundColour(const QColor& c)
{
    if (c == background_)
        return;
    background_ = c;
    update();
}

void MessageBoardBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), background_);
    p.setPen(QColor(64, 64, 64));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setPen(foreground_);
    p.setFont(font());
    const QStringList lines = text_.split(QStringLiteral("\r\n"));
    const int lineHeight = 13;
    const int top = (height() - lineHeight * 5) / 2;
    for (int i = 0; i < lines.size(); ++i) {
        const QRect r(0, top + i * lineHeight, width(), lineHeight);
        p.drawText(r, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, lines[i]);
    }
}

MessageBoard::MessageBoard(MessageBoardBox* box, Random& random, QObject* parent)
    : QObject(parent), box_(box), random_(random)
{
    timMB.setObjectName(QStringLiteral("timMB"));
    timMB.setInterval(40);
    timMB.setTimerType(Qt::PreciseTimer);
    connect(&timMB, &QTimer::timeout, this, &MessageBoard::timMB_Timer);
}

void MessageBoard::start(int stage)
{
    stage_ = stage;
    MBTick = 0;
    timMB.start();
}

void MessageBoard::stop()
{
    box_->hide();
    timMB.stop();
}

void MessageBoard::timMB_Timer()
{
    MBTick += 1;
    // Fresh digits on every tick, the last one included.
    std::string digits(kBannerDigits, '0');
    for (char& c : digits)
        c = static_cast<char>('0' + random_.Digit());
    const auto text = BannerText(MBTick, stage_, digits);
    if (!text) {
        stop();
        return;
    }
    box_->setText(QString::fromStdString(*text));
    box_->show();
    box_->raise();
}

} // namespace zorbel
