#include "ui/dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>

namespace pa {

namespace {

QWidget* owner(QWidget* parent) {
    return parent ? parent : QApplication::activeWindow();
}

// Texts keep CR LF between lines; a label would show the CR as a stray glyph.
QString displayed(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

} // namespace

void MessageBoxDialogs::information(const QString& title, const QString& text) {
    // QMessageBox::information() always shows an icon; these boxes have none.
    QMessageBox box(QMessageBox::NoIcon, title, displayed(text), QMessageBox::Ok, owner(parent_));
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

Dialogs::Answer MessageBoxDialogs::question(const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Question, title, displayed(text),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, owner(parent_));
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

QString MessageBoxDialogs::saveFileName(const QString& title, const QString& folder,
                                        const QString& filters, QString* selectedFilter) {
    return QFileDialog::getSaveFileName(owner(parent_), title, folder, filters, selectedFilter);
}

bool MessageBoxDialogs::choosePrinter(QPrinter& printer) {
    QPrintDialog dialog(&printer, owner(parent_));
    return dialog.exec() == QDialog::Accepted;
}

} // namespace pa
