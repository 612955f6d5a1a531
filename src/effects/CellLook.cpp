#include "effects/CellLook.h"

#include "effects/Look.h"

#include <QLineEdit>

namespace zorbel::cells
{

// The same colours in every colour group, so a disabled (fixed) cell keeps
// its look instead of the style's greyed-out one.
void setTextColour(QLineEdit* cell, const QColor& c)
{
    look::setColour(cell, {QPalette::Text}, c);
}

void setBackground(QLineEdit* cell, const QColor& c)
{
    look::setColour(cell, {QPalette::Base, QPalette::Window}, c);
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
