#include "effects/Demonstration.h"

#include "game/Random.h"

#include <QLineEdit>

namespace zorbel
{

void FillWithRandomDigits(const QList<QLineEdit*>& cells, int count, bool& autoInput)
{
    autoInput = true;
    for (int i = 0; i < count && i < cells.size(); ++i)
        cells[i]->setText(QString(QChar(u'0' + Rnd::Digit())));
    autoInput = false;
}

} // namespace zorbel
