#include "ui/plan/plan_dialogs.h"

#include <QApplication>
#include <QPrintDialog>

namespace pa {

void PrintingDialogs::information(const QString& title, const QString& text) {
    boxes_.information(title, text);
}

Dialogs::Answer PrintingDialogs::question(const QString& title, const QString& text) {
    return boxes_.question(title, text);
}

Dialogs::Answer PrintingDialogs::yesNoQuestion(const QString& title, const QString& text) {
    return boxes_.yesNoQuestion(title, text);
}

QString PrintingDialogs::saveFileName(const QString& title, const QString& folder,
                                      const QString& filters, QString* selectedFilter) {
    return boxes_.saveFileName(title, folder, filters, selectedFilter);
}

QString PrintingDialogs::openFileName(const QString& title, const QString& folder,
                                      const QString& filters) {
    return boxes_.openFileName(title, folder, filters);
}

std::unique_ptr<Progress> PrintingDialogs::progress(const QString& title, const QString& text) {
    return boxes_.progress(title, text);
}

bool PrintingDialogs::choosePrinter(QPrinter& printer) {
    // Over the plan window, the one that asks to print.
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    return dialog.exec() == QDialog::Accepted;
}

} // namespace pa
