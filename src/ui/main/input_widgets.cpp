#include "ui/main/input_widgets.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
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
        break;
    }
    // A Russian desktop types the decimal comma, from the comma key and from the keypad's decimal
    // key alike, and the numbers here are written with the point. The point then meets the field's
    // filter as a typed point would: refused where a point is refused.
    if (event->text() == QStringLiteral(",") &&
        dynamic_cast<const CharacterFilter*>(validator()) != nullptr) {
        QKeyEvent point(event->type(), Qt::Key_Period, event->modifiers(), QStringLiteral("."),
                        event->isAutoRepeat(), event->count());
        QLineEdit::keyPressEvent(&point);
        event->setAccepted(point.isAccepted());
        return;
    }
    QLineEdit::keyPressEvent(event);
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

namespace pa {

EnterPushButton::EnterPushButton(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent) {
    setAutoDefault(false);
}

void EnterPushButton::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        !event->isAutoRepeat()) {
        event->accept();
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

ResultLabel::ResultLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void ResultLabel::setText(const QString& text) {
    QLabel::setText(text);
    updateCut();
}

void ResultLabel::setFixedToolTip(const QString& tip) {
    fixedTip_ = tip;
    updateCut();
}

// Where QLabel puts a single line of text: inside the frame, past the indent it adds to framed
// labels.
QRect ResultLabel::textRect() const {
    const int indent = frameWidth() > 0 ? fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 : 0;
    return contentsRect().adjusted(margin() + indent, margin(), -margin() - indent, -margin());
}

bool ResultLabel::isCut() const {
    return fontMetrics().horizontalAdvance(text()) > textRect().width();
}

void ResultLabel::updateCut() {
    const bool cut = isCut();
    QString tip = fixedTip_;
    if (cut)
        tip = tip.isEmpty() ? text() : tip + QStringLiteral(": ") + text();
    setToolTip(tip);
    setAccessibleDescription(cut ? text() : QString());
    update();
}

void ResultLabel::paintEvent(QPaintEvent* event) {
    if (!isCut()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    drawFrame(&painter);
    const QRect rect = textRect();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, rect.width());
    style()->drawItemText(&painter, rect, QStyle::visualAlignment(layoutDirection(), alignment()),
                          palette(), isEnabled(), shown, foregroundRole());
}

void ResultLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    updateCut();
}

} // namespace pa
