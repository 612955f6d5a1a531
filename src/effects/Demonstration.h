// The demonstration (お手本): fills every cell in play with a fresh
// machine-made random digit, without flashing or moving the focus.
#pragma once

#include <QList>

class QLineEdit;

namespace zorbel
{

class Random;

// Writes one random digit into each of cells 0..count-1, in index order,
// with each cell's signals blocked so the writes are not taken as typing.
void FillWithRandomDigits(const QList<QLineEdit*>& cells, int count, Random& random);

} // namespace zorbel
