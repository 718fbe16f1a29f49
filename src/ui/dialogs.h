#pragma once

#include <QString>

#include <memory>

class QWidget;

namespace pa {

// The program's own title, used by every box that has no title of its own.
inline const QString kProgramTitle = QStringLiteral("Расчет громкоговорителей");

// How far a long task has come, shown to the user with a way to cancel it.
class Progress {
public:
    virtual ~Progress() = default;
    // The share done, 0 to 1; also keeps the windows alive. False once the user cancelled, and
    // from then on.
    virtual bool step(double fraction) = 0;
};

// The message boxes the window shows. The window receives one, so tests can script the answers
// and read what was shown.
class Dialogs {
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~Dialogs() = default;
    // A modal box with the OK button only and no icon.
    virtual void information(const QString& title, const QString& text) = 0;
    // A modal box with Yes, No and Cancel, the question icon and Yes as the default; closing it
    // counts as Cancel.
    virtual Answer question(const QString& title, const QString& text) = 0;
    // A modal box with Yes and No only, Yes the default; closing it counts as No.
    virtual Answer yesNoQuestion(const QString& title, const QString& text) = 0;
    // A save dialog opened in folder with filters separated by ";;"; selectedFilter comes in as
    // the filter to preselect and goes out as the one chosen. The chosen path, or an empty
    // string when cancelled. A name typed without an extension may come back with the chosen
    // filter's; the dialog then asks about replacing the file under that name.
    virtual QString saveFileName(const QString& title, const QString& folder,
                                 const QString& filters, QString* selectedFilter) = 0;
    // An open dialog for an existing file, opened in folder with filters separated by ";;". The
    // chosen path, or an empty string when cancelled.
    virtual QString openFileName(const QString& title, const QString& folder,
                                 const QString& filters) = 0;
    // Progress of a task that has just begun; shown only when the task takes a while, and gone
    // when the object is.
    virtual std::unique_ptr<Progress> progress(const QString& title, const QString& text) = 0;
};

// The real boxes, built on QMessageBox.
class MessageBoxDialogs final : public Dialogs {
public:
    explicit MessageBoxDialogs(QWidget* parent) : parent_(parent) {}
    void information(const QString& title, const QString& text) override;
    Answer question(const QString& title, const QString& text) override;
    Answer yesNoQuestion(const QString& title, const QString& text) override;
    QString saveFileName(const QString& title, const QString& folder, const QString& filters,
                         QString* selectedFilter) override;
    QString openFileName(const QString& title, const QString& folder,
                         const QString& filters) override;
    std::unique_ptr<Progress> progress(const QString& title, const QString& text) override;

private:
    QWidget* parent_;
};

} // namespace pa
