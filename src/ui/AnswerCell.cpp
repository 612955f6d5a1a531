#include "ui/AnswerCell.h"

#include "effects/CellLook.h"
#include "game/CellRules.h"
#include "effects/Look.h"

#include <QKeyEvent>

namespace zorbel
{

AnswerCell::AnswerCell(int index, QWidget* parent) : QLineEdit(parent), index_(index)
{
    setFrame(false);
    setTextMargins(0, 0, 0, 0);
    setContentsMargins(0, 0, 0, 0);
    setAlignment(Qt::AlignCenter);
    setFont(look::font(look::Face::Modern, 11.25));
    // Digits only: no input method composing full-width characters.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setContextMenuPolicy(Qt::NoContextMenu);
    cells::setBackground(this, cells::kBlack);
    cells::setTextColour(this, cells::kDesignText);
    connect(this, &QLineEdit::textChanged, this, &AnswerCell::onTextChanged);
}

void AnswerCell::onTextChanged(const QString& text)
{
    if (trimming_)
        return;
    if (text.size() > 1) {
        // Pasted or dropped text: keep only its last character, as if it
        // had been typed last.
        const QByteArray utf8 = text.toUtf8();
        const std::string_view last = LastCharacter(
            std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
        trimming_ = true;
        setText(QString::fromUtf8(last.data(), static_cast<qsizetype>(last.size())));
        trimming_ = false;
    }
    emit changed(index_);
}

void AnswerCell::keyPressEvent(QKeyEvent* event)
{
    // A fixed or locked cell takes no keys at all.
    if (!isEnabled() || isReadOnly()) {
        event->ignore();
        return;
    }
    clear();
    const QString typed = event->text();
    if (!typed.isEmpty() && typed.at(0).isPrint())
        setText(typed.right(1));
    event->accept();
}

void AnswerCell::inputMethodEvent(QInputMethodEvent* event)
{
    event->ignore();
}

void AnswerCell::contextMenuEvent(QContextMenuEvent* event)
{
    event->ignore();
}

} // namespace zorbel
