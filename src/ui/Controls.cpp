#include "ui/Controls.h"

#include "effects/Look.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace zorbel
{

QLabel* makeLabel(QWidget* parent, const QString& text, const QFont& f, int l, int t, int w, int h)
{
    auto* label = new QLabel(text, parent);
    label->setFont(f);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    look::place(label, l, t, w, h);
    return label;
}

QPushButton* makeButton(QWidget* parent, const QString& text, const QFont& f, int l, int t, int w,
                        int h)
{
    auto* b = new QPushButton(text, parent);
    b->setFont(f);
    b->setAutoDefault(true);
    look::place(b, l, t, w, h);
    return b;
}

QFrame* makeLine(QWidget* parent, int x1, int y, int x2)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setLineWidth(1);
    line->setGeometry(look::px(x1), look::px(y), look::px(x2 - x1), 1);
    return line;
}

void setCaption(QLabel* label, const QString& text)
{
    label->setText(text);
    label->adjustSize();
}

void nameControls(std::initializer_list<std::pair<QObject*, const char*>> names)
{
    for (const auto& [object, name] : names)
        object->setObjectName(QString::fromLatin1(name));
}

} // namespace zorbel
