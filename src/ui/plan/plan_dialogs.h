#pragma once

#include "ui/dialogs.h"

class QPrinter;

namespace pa {

// The boxes the plan window shows: the program's own, and the printer's, which only the plan
// needs and which brings Qt Print Support with it.
class PlanDialogs : public Dialogs {
public:
    // Lets the user choose and set up the printer; false when cancelled.
    virtual bool choosePrinter(QPrinter& printer) = 0;
};

// The program's boxes as they are, with Qt's print dialog beside them.
class PrintingDialogs final : public PlanDialogs {
public:
    explicit PrintingDialogs(Dialogs& boxes) : boxes_(boxes) {}
    void information(const QString& title, const QString& text) override;
    Answer question(const QString& title, const QString& text) override;
    Answer yesNoQuestion(const QString& title, const QString& text) override;
    QString saveFileName(const QString& title, const QString& folder, const QString& filters,
                         QString* selectedFilter) override;
    QString openFileName(const QString& title, const QString& folder,
                         const QString& filters) override;
    std::unique_ptr<Progress> progress(const QString& title, const QString& text) override;
    bool choosePrinter(QPrinter& printer) override;

private:
    Dialogs& boxes_;
};

} // namespace pa
