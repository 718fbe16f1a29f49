#include "ui/input_widgets.h"

#include <QKeyEvent>
#include <QWheelEvent>

namespace pa {

QValidator::State CharacterFilter::validate(QString& input, int& /*pos*/) const {
    for (QChar c : input) {
        const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
        if (!digit && !(allowPoint_ && c == QLatin1Char('.')))
            return Invalid;
    }
    return Acceptable;
}

void QuietLineEdit::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QLineEdit::keyPressEvent(event);
    }
}

PickComboBox::PickComboBox(QWidget* parent) : QComboBox(parent) {
    // Handing over our own field makes the box editable; setEditable() would first build a
    // default field and its completer only for them to be thrown away.
    setLineEdit(new QuietLineEdit(this));
    setInsertPolicy(QComboBox::NoInsert);
    // Inline completion would quietly pick items while the user types.
    setCompleter(nullptr);
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (!leaving_)
            emit picked(index);
    });
}

void PickComboBox::focusOutEvent(QFocusEvent* event) {
    leaving_ = true;
    QComboBox::focusOutEvent(event);
    leaving_ = false;
}

void PickComboBox::wheelEvent(QWheelEvent* event) {
    // Scrolling the page over a list must not change the calculation's parameters.
    event->ignore();
}

} // namespace pa
