// Colours and weight of an answer cell, shared by the window and the
// effects that paint cells.
#pragma once

#include <QColor>

class QLineEdit;

namespace zorbel::cells
{

inline const QColor kDesignText{255, 255, 128}; // light yellow, as a cell starts
inline const QColor kSettledText{255, 255, 0};  // yellow, after a flash has ended
inline const QColor kFlashText{255, 255, 255};  // white, while a digit flashes
inline const QColor kBlack{0, 0, 0};
inline const QColor kFixedBackground{192, 192, 192};

void setTextColour(QLineEdit* cell, const QColor& c);
void setBackground(QLineEdit* cell, const QColor& c);
void setBold(QLineEdit* cell, bool bold);
QColor textColour(const QLineEdit* cell);
QColor background(const QLineEdit* cell);

} // namespace zorbel::cells
