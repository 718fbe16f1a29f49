#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QValidator>

namespace pa {

// Lets through a text only when every character is a digit, or a digit or the point. Typed
// characters, pastes and drops all pass through it, so a refused character inserts nothing.
class CharacterFilter final : public QValidator {
public:
    CharacterFilter(bool allowPoint, QObject* parent)
        : QValidator(parent), allowPoint_(allowPoint) {}
    State validate(QString& input, int& pos) const override;
    bool allowsPoint() const { return allowPoint_; }

private:
    bool allowPoint_;
};

// A single-line field on which Enter and Escape do nothing at all: they neither confirm an
// edit nor travel on to a button or to the window.
class QuietLineEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// An editable list whose picked() comes only from a choice in the list (the drop-down, or the
// arrow keys on the closed box). A plain QComboBox also reports the edit text as chosen when it
// matches an item and the box loses the focus or gets Enter; those reports are dropped here.
class PickComboBox final : public QComboBox {
    Q_OBJECT
public:
    explicit PickComboBox(QWidget* parent = nullptr);

signals:
    void picked(int index);

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    bool leaving_ = false;
};

} // namespace pa
