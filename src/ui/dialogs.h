#pragma once

#include <QString>

class QWidget;

namespace pa {

// The program's own title, used by every box that has no title of its own.
inline const QString kProgramTitle = QStringLiteral("Расчет громкоговорителей");

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
    // A save dialog opened in folder with filters separated by ";;"; selectedFilter comes in as
    // the filter to preselect and goes out as the one chosen. The chosen path, or an empty
    // string when cancelled.
    virtual QString saveFileName(const QString& title, const QString& folder,
                                 const QString& filters, QString* selectedFilter) = 0;
};

// The real boxes, built on QMessageBox.
class MessageBoxDialogs final : public Dialogs {
public:
    explicit MessageBoxDialogs(QWidget* parent) : parent_(parent) {}
    void information(const QString& title, const QString& text) override;
    Answer question(const QString& title, const QString& text) override;
    QString saveFileName(const QString& title, const QString& folder, const QString& filters,
                         QString* selectedFilter) override;

private:
    QWidget* parent_;
};

} // namespace pa
