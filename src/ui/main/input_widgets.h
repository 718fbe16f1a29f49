#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>

namespace pa {

// Lets through a text only when every character is a digit, or a digit or the point. Typed
// characters, pastes and drops all pass through it, so a refused character inserts nothing.
class CharacterFilter final : public QValidator {
public:
    CharacterFilter(bool allowPoint, QObject* parent)
        : QValidator(parent), allowPoint_(allowPoint) {}
    State validate(QString& input, int& pos) const override;

private:
    bool allowPoint_;
};

// A single-line field on which Enter and Escape do nothing at all: they neither confirm an
// edit nor travel on to a button or to the window. Under a CharacterFilter a typed decimal comma
// is typed as the point.
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

// A push button that Enter and keypad Enter press when it has the focus, as Space does. It never
// becomes a default button: Enter in a field must not reach it.
class EnterPushButton final : public QPushButton {
    Q_OBJECT
public:
    EnterPushButton(const QString& caption, QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// A result label that never shows part of a number as if it were whole: a caption wider than
// the label is drawn cut with "…", and the whole caption becomes the tooltip and the accessible
// description. text() always gives the whole caption.
class ResultLabel final : public QLabel {
    Q_OBJECT
public:
    explicit ResultLabel(QWidget* parent);

    // Hide QLabel's own so that every caption change updates the cut; the window always holds
    // these labels by this type.
    void setText(const QString& text);
    void clear() { setText(QString()); }
    // A tooltip of the label's own, shown ahead of the whole caption when that is cut.
    void setFixedToolTip(const QString& tip);

    bool isCut() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRect textRect() const;
    void updateCut();

    QString fixedTip_;
};

} // namespace pa
