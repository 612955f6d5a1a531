// Small builders for the window's controls, placed by design positions in
// twips, and the caption setter that lets a label grow to its text.
#pragma once

#include <QFont>
#include <QString>

#include <initializer_list>
#include <utility>

class QFrame;
class QLabel;
class QObject;
class QPushButton;
class QWidget;

namespace zorbel
{

QLabel* makeLabel(QWidget* parent, const QString& text, const QFont& f, int l, int t, int w, int h);

// A button that Enter presses when it has the focus, as Space does.
QPushButton* makeButton(QWidget* parent, const QString& text, const QFont& f, int l, int t, int w,
                        int h);

// A one-pixel horizontal line from x1 to x2 at height y.
QFrame* makeLine(QWidget* parent, int x1, int y, int x2);

// Sets a label's text and sizes the label to it.
void setCaption(QLabel* label, const QString& text);

// Names each control, so the game can be driven from outside the way a
// player does (tests, accessibility tools).
void nameControls(std::initializer_list<std::pair<QObject*, const char*>> names);

} // namespace zorbel
