// One answer cell (txtAns): a one-character box. Every key pressed in it
// first empties it, so it always shows only the last character typed.
#pragma once

#include <QLineEdit>

namespace zorbel
{

class AnswerCell : public QLineEdit
{
    Q_OBJECT
public:
    AnswerCell(int index, QWidget* parent = nullptr);

    int index() const { return index_; }

signals:
    // The text changed, by typing or by the program (the Change event).
    void changed(int index);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void onTextChanged(const QString& text);
    int index_;
    bool trimming_ = false;
};

} // namespace zorbel
