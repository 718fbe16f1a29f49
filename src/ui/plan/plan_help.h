#pragma once

#include <QDialog>
#include <QString>

class QTextBrowser;

namespace pa {

// The plan's help: what the picture shows, the methods, the level model, the figures and the
// mouse and keys, with numbers written with the given decimal separator.
QString helpText(const QString& separator);
// The help window's title.
QString helpTitle();

// The plan's help in a window of its own, small enough for a screen 768 pixels high, that
// leaves the plan usable beside it. Esc and «Закрыть» close it.
class PlanHelp final : public QDialog {
    Q_OBJECT
public:
    explicit PlanHelp(QWidget* parent = nullptr);

    // Shows the text, the window raised and scrolled to the top.
    void showText(const QString& text);

private:
    QTextBrowser* text_ = nullptr;
};

} // namespace pa
