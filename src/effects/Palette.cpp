#include "effects/Palette.h"

#include <QWidget>

namespace zorbel
{

void setColour(QWidget* w, std::initializer_list<QPalette::ColorRole> roles, const QColor& c)
{
    QPalette p = w->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        for (QPalette::ColorRole role : roles)
            p.setColor(group, role, c);
    w->setPalette(p);
}

} // namespace zorbel
