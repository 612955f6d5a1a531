#include "effects/Demonstration.h"

#include "game/Random.h"

#include <QLineEdit>
#include <QSignalBlocker>

namespace zorbel
{

void FillWithRandomDigits(const QList<QLineEdit*>& cells, int count, Random& random)
{
    for (int i = 0; i < count && i < cells.size(); ++i) {
        const QSignalBlocker notTyped(cells[i]);
        cells[i]->setText(QString(QChar(u'0' + random.Digit())));
    }
}

} // namespace zorbel
