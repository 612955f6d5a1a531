// Shared look of the game's windows and effects: positions in twips, the
// design's fonts and colours, and the light palette every window uses.
#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QRect>
#include <QString>

#include <initializer_list>

class QApplication;
class QWidget;

namespace zorbel::look
{

inline constexpr int kTwipsPerPixel = 15;

// Twips to logical pixels, at a fixed 15 per pixel on every screen.
constexpr int px(int twips)
{
    return twips / kTwipsPerPixel;
}
inline QRect rectTw(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

// Places a widget at a design position given in twips.
void place(QWidget* w, int left, int top, int width, int height);

// The design's font names, mapped to the fonts we ship with:
//   "ＭＳ Ｐ明朝" -> IPA P明朝, "ＭＳ Ｐゴシック" -> IPA Pゴシック,
//   "ＭＳ ゴシック" -> IPAゴシック, "FixedSys"/"Modern" -> a fixed-pitch font.
enum class Face { PMincho, PGothic, Gothic, FixedSys, Modern, Default };

// A font of the given face at a design point size, as a pixel size so the
// layout is the same on every screen (96 dpi: 1 pt = 4/3 px).
QFont font(Face face, double points, bool bold = false, bool italic = false);

// A colour written &H00BBGGRR (red in the low byte).
constexpr QColor vbColor(unsigned int bbggrr)
{
    return QColor(static_cast<int>(bbggrr & 0xff), static_cast<int>((bbggrr >> 8) & 0xff),
                  static_cast<int>((bbggrr >> 16) & 0xff));
}

// System colours: 15 button face, 18 button text.
QColor buttonFace();
QColor buttonText();

// Fusion style with a light palette for every colour group, so a dark
// desktop theme cannot make the design's black labels unreadable.
void applyLightStyle(QApplication& app);

// Sets the text colour of a label or similar widget.
void setTextColor(QWidget* w, const QColor& c);
// Sets the background colour of a widget (and makes it paint it).
void setBackground(QWidget* w, const QColor& c);

// Sets a colour in every colour group of a widget's palette, so a disabled
// or inactive widget keeps the design's colours instead of the style's
// greyed-out ones.
void setColour(QWidget* w, std::initializer_list<QPalette::ColorRole> roles, const QColor& c);

} // namespace zorbel::look
