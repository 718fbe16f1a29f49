#pragma once

#include "ui/main/form1.h"
#include "ui/main/input_widgets.h"
#include "ui/plan/plan_dialogs.h"
#include "ui/plan/plan_window_port.h"
#include "ui/plan/sheet_writer.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QPrinter>
#include <QRadioButton>
#include <QTest>

#include <array>
#include <memory>
#include <span>

// The result labels: the four coverage results in the order they are emptied, then the
// attenuation, then the room area.
inline constexpr std::array<const char*, 6> kAllResultLabels{"LblPd", "LblD",   "LblS",
                                                             "LblKs", "LblZat", "LblSr"};
inline constexpr std::span<const char* const> kCoverageLabels{kAllResultLabels.data(), 4};
inline constexpr std::span<const char* const> kResultLabels{kAllResultLabels.data(), 5};

// Message boxes that answer from a script and remember what was shown, and where the keyboard
// focus was at that moment.
class ScriptedDialogs final : public pa::PlanDialogs {
public:
    struct Shown {
        QString title;
        QString text;
        bool question = false;
    };

    void information(const QString& title, const QString& text) override {
        shown.append({title, text, false});
    }
    Answer question(const QString& title, const QString& text) override {
        shown.append({title, text, true});
        return answers.isEmpty() ? Answer::Cancel : answers.takeFirst();
    }
    // A scripted Cancel stands for closing the box, which counts as No.
    Answer yesNoQuestion(const QString& title, const QString& text) override {
        const Answer answer = question(title, text);
        return answer == Answer::Yes ? Answer::Yes : Answer::No;
    }
    // Answers with the next scripted path and filter; cancels when none is left.
    QString saveFileName(const QString&, const QString& folder, const QString&,
                         QString* filter) override {
        saveFolders.append(folder);
        const auto [path, chosen] =
            saves.isEmpty() ? std::pair<QString, QString>() : saves.takeFirst();
        *filter = chosen.isEmpty() ? *filter : chosen;
        return path;
    }
    // Answers with the next scripted path; cancels when none is left.
    QString openFileName(const QString&, const QString& folder, const QString&) override {
        openFolders.append(folder);
        return opens.isEmpty() ? QString() : opens.takeFirst();
    }
    // Prints into the scripted file; cancels when there is none.
    bool choosePrinter(QPrinter& printer) override {
        printer.setOutputFileName(printFile); // a name ending in .pdf makes it a PDF printer
        return !printFile.isEmpty();
    }

    // Counts the steps of every task; cancels from the scripted step on, counted from 1.
    std::unique_ptr<pa::Progress> progress(const QString&, const QString&) override {
        struct Counted final : pa::Progress {
            explicit Counted(ScriptedDialogs& d) : dialogs(d) {}
            bool step(double) override {
                return ++dialogs.progressSteps < dialogs.cancelAtStep || dialogs.cancelAtStep == 0;
            }
            ScriptedDialogs& dialogs;
        };
        return std::make_unique<Counted>(*this);
    }

    // Every box of one kind, as "title|text".
    QStringList questions() const { return shownAs(true); }
    QStringList informations() const { return shownAs(false); }

    QList<Shown> shown;
    QList<Answer> answers;
    QList<std::pair<QString, QString>> saves; // path and filter the save dialog returns
    QStringList saveFolders;                  // the folder each save dialog opened in
    QStringList opens;                        // paths the open dialog returns
    QStringList openFolders;                  // the folder each open dialog opened in
    QString printFile;
    int progressSteps = 0; // steps reported so far
    int cancelAtStep = 0;  // none when 0

private:
    QStringList shownAs(bool questions) const {
        QStringList boxes;
        for (const Shown& box : shown)
            if (box.question == questions)
                boxes.append(box.title + '|' + box.text);
        return boxes;
    }
};

// A shown and active main window with scripted boxes. Its plan window is built from the linked
// plan library, with the same port the program's plan module gives.
struct WindowUnderTest {
    explicit WindowUnderTest(const QString& folder = QString())
        : window(std::make_unique<pa::Form1>(dialogs, planFactory(), sheetSource(), folder)) {
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            qWarning("main window did not become active");
    }

    template <class T> T* get(const char* name) const {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    QLineEdit* edit(const char* name) const { return get<QLineEdit>(name); }
    QLabel* label(const char* name) const { return get<QLabel>(name); }
    QRadioButton* option(const char* name) const { return get<QRadioButton>(name); }
    pa::PickComboBox* combo(const char* name) const { return get<pa::PickComboBox>(name); }
    QString caption(const char* name) const { return label(name)->text(); }

    // Picks an item the way a user does: open the list, move to the item, press Enter.
    void pick(const char* name, int index) const {
        pa::PickComboBox* box = combo(name);
        box->setFocus();
        box->showPopup();
        QAbstractItemView* view = box->view();
        view->setCurrentIndex(box->model()->index(index, 0));
        QTest::keyClick(view, Qt::Key_Return);
    }

    // Fills the result labels so that a test can see which ones a step empties.
    void fillResults() const {
        for (const char* name : kAllResultLabels)
            label(name)->setText(QStringLiteral("x"));
    }

    pa::PlanFactory planFactory() {
        return [this](pa::Dialogs&, std::function<std::string()> separator, QWidget* parent) {
            return pa::PlanOpening{
                std::make_unique<pa::PlanWindowPort>(dialogs, std::move(separator), parent), {}};
        };
    }

    // The sheets from the linked plan library, as the module exports them.
    static pa::SheetSource sheetSource() {
        return [] { return pa::SheetOpening{&pa::paintRoomSheet, {}}; };
    }

    ScriptedDialogs dialogs;
    std::unique_ptr<pa::Form1> window;
};
