#include "ui/dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QProgressDialog>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <utility>

namespace pa {

namespace {

QWidget* owner(QWidget* parent) {
    return parent ? parent : QApplication::activeWindow();
}

// The buttons read Russian also where Qt's own translation is missing.
void nameButtons(QMessageBox& box) {
    const std::array<std::pair<QMessageBox::StandardButton, QString>, 4> names{{
        {QMessageBox::Yes, QStringLiteral("&Да")},
        {QMessageBox::No, QStringLiteral("&Нет")},
        {QMessageBox::Cancel, QStringLiteral("Отмена")},
        {QMessageBox::Ok, QStringLiteral("ОК")},
    }};
    for (const auto& [button, text] : names)
        if (QAbstractButton* shown = box.button(button))
            shown->setText(text);
}

// A key held down, or left down by a tool that never sent its release, repeats into every box
// that opens after it and would answer each at once with its default button. Only a key pressed
// while the box is up answers it. Qt marks a repeat only when the server's release and press
// pair reach it together; the pair also shares one time stamp, which a fresh press never does.
class FreshKeysOnly final : public QObject {
public:
    explicit FreshKeysOnly(QWidget& box) : box_(box) {
        QCoreApplication::instance()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::KeyPress && type != QEvent::KeyRelease &&
            type != QEvent::ShortcutOverride)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget == nullptr)
            return false;
        if (type == QEvent::KeyRelease) {
            lastRelease_ = {key->key(), key->timestamp()};
            return false;
        }
        const bool repeated =
            key->isAutoRepeat() || (key->timestamp() != 0 && lastRelease_.first == key->key() &&
                                    lastRelease_.second == key->timestamp());
        if (!repeated || (widget != &box_ && !box_.isAncestorOf(widget)))
            return false;
        // An accepted shortcut override keeps a repeated mnemonic from pressing its button.
        event->accept();
        return true;
    }

private:
    QWidget& box_;
    std::pair<int, quint64> lastRelease_{};
};

// Texts go in as the program composed them, CR LF and all: a label draws a line break at CR LF
// with the same pixels as at LF.
int run(QMessageBox& box) {
    box.setTextFormat(Qt::PlainText);
    nameButtons(box);
    const FreshKeysOnly freshKeys(box);
    return box.exec();
}

// The extension of a filter's first pattern: "pdf" of "PDF (*.pdf)"; empty when it has none.
QString filterSuffix(const QString& filter) {
    static const QRegularExpression pattern(QStringLiteral("\\(\\*\\.([^ ;)*]+)"));
    return pattern.match(filter).captured(1);
}

// A window-modal bar with «Отмена» that shows itself once the task has run for half a second.
class ProgressDialog final : public Progress {
public:
    ProgressDialog(QWidget* parent, const QString& title, const QString& text)
        : dialog_(text, QStringLiteral("Отмена"), 0, kSteps, parent) {
        dialog_.setWindowTitle(title);
        dialog_.setWindowModality(Qt::WindowModal);
        dialog_.setMinimumDuration(kShowAfterMs);
        // The bar stays up at its end while the finished file is written.
        dialog_.setAutoReset(false);
        dialog_.setAutoClose(false);
        dialog_.setValue(0); // starts the clock that shows the bar
        sinceEvents_.start();
    }

    bool step(double fraction) override {
        // Events cost time of their own; a few dozen rounds a second keep the windows alive.
        if (sinceEvents_.elapsed() >= kEventsEveryMs) {
            sinceEvents_.restart();
            dialog_.setValue(qRound(std::clamp(fraction, 0.0, 1.0) * kSteps));
            // Until the bar shows, the windows only repaint: a click would start another command
            // inside this one.
            QCoreApplication::processEvents(
                dialog_.isVisible() ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
        }
        return !dialog_.wasCanceled();
    }

private:
    static constexpr int kSteps = 1000;
    static constexpr int kShowAfterMs = 500;
    static constexpr qint64 kEventsEveryMs = 40;

    QProgressDialog dialog_;
    QElapsedTimer sinceEvents_;
};

} // namespace

void MessageBoxDialogs::information(const QString& title, const QString& text) {
    // QMessageBox::information() always shows an icon; these boxes have none.
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, owner(parent_));
    run(box);
}

Dialogs::Answer MessageBoxDialogs::question(const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Question, title, text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, owner(parent_));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (run(box)) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

Dialogs::Answer MessageBoxDialogs::yesNoQuestion(const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                    owner(parent_));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return run(box) == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

QString MessageBoxDialogs::saveFileName(const QString& title, const QString& folder,
                                        const QString& filters, QString* selectedFilter) {
    QFileDialog dialog(owner(parent_), title, folder, filters);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // A name typed without an extension gets the chosen filter's before the dialog asks whether
    // to replace a file: its question is then about the file that would be replaced.
    const auto followFilter = [&dialog](const QString& filter) {
        dialog.setDefaultSuffix(filterSuffix(filter));
    };
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, followFilter);
    if (selectedFilter != nullptr && !selectedFilter->isEmpty())
        dialog.selectNameFilter(*selectedFilter);
    followFilter(dialog.selectedNameFilter());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    if (selectedFilter != nullptr)
        *selectedFilter = dialog.selectedNameFilter();
    return dialog.selectedFiles().constFirst();
}

QString MessageBoxDialogs::openFileName(const QString& title, const QString& folder,
                                        const QString& filters) {
    QFileDialog dialog(owner(parent_), title, folder, filters);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

std::unique_ptr<Progress> MessageBoxDialogs::progress(const QString& title, const QString& text) {
    return std::make_unique<ProgressDialog>(owner(parent_), title, text);
}

} // namespace pa
