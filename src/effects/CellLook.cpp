#include "effects/CellLook.h"

#include <QLineEdit>
#include <QPalette>

namespace zorbel::cells
{

// The same colours in every colour group, so a disabled (fixed) cell keeps
// its look instead of the style's greyed-out one.
void setTextColour(QLineEdit* cell, const QColor& c)
{
    QPalette p = cell->palette();
    for (auto g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(g, QPalette::Text, c);
    cell->setPalette(p);
}

void setBackground(QLineEdit* cell, const QColor& c)
{
    QPalette p = cell->palette();
    for (auto g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(g, QPalette::Base, c);
        p.setColor(g, QPalette::Window, c);
    }
    cell->setPalette(p);
}

void setBold(QLineEdit* cell, bool bold)
{
    QFont f = cell->font();
    if (f.bold() != bold) {
        f.setBold(bold);
        cell->setFont(f);
    }
}

QColor textColour(const QLineEdit* cell)
{
    return cell->palette().color(QPalette::Active, QPalette::Text);
}
QColor background(const QLineEdit* cell)
{
    return cell->palette().color(QPalette::Active, QPalette::Base);
}

} // namespace zorbel::cells
