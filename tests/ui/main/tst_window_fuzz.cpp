// Drives the real window through long random runs of user actions and checks after each one
// that nothing the window shows contradicts its inputs, and that the report file is never left
// holding a part of a report.

#include "ui/ui_test_support.h"

#include "core/coverage.h"
#include "report/report_file.h"
#include "report/report_format.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QMenuBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTimer>

#include <array>
#include <optional>

namespace {

// Actions per run; the environment can ask for more, or fewer, to hunt or to bisect.
int actionsPerRun() {
    bool ok = false;
    const int fromEnvironment = qEnvironmentVariableIntValue("PA_WINDOW_FUZZ_ACTIONS", &ok);
    return ok && fromEnvironment > 0 ? fromEnvironment : 10000;
}

quint32 seedFor(quint32 fixed) {
    bool ok = false;
    const int fromEnvironment = qEnvironmentVariableIntValue("PA_WINDOW_FUZZ_SEED", &ok);
    return ok ? static_cast<quint32>(fromEnvironment) : fixed;
}

// Real 500 ms waits for the area timer are slow; a few of them prove the real tick, the rest of
// the ticks are delivered at once.
constexpr int kRealTimerWaits = 3;

const char* const kNumericFields[] = {"TxtPv", "TxtPd", "TxtN", "TxtH", "TxtL", "TxtW", "TxtDln"};
const char* const kLists[] = {"CmbD", "CmbDn", "CmbOn", "CmbUPS", "CmbVP"};
const char* const kTypeOptions[] = {"Opt1", "Opt2", "Opt3"};
const char* const kGradation[] = {"Opt_1_1", "Opt_1_2", "Opt_1_3"};

// Typed one at a time: mostly digits, then the point and characters no field takes.
const QString kTypedCharacters = QStringLiteral("01234567890123456789..,-e +жЯ");

const char* const kClipboardTexts[] = {
    "5",
    "12",
    "2.5",
    ".",
    "007",
    "1.2.3",
    "99999999999999999999",
    "0",
    "0.0",
    "12a",
    "-3",
    "2,5",
    "9 0",
    "ж",
    "",
    "3\n",
    "+1",
    "1e3",
    "99999999999999999999999999999999999999999999999999999999999999999999999999999999999"
    "99999999999999999999999999999999999999999999999999999999999999999999999999999999999"
    "99999999999999999999999999999999999999999999999999999999999999999999999999999999999"
    "99999999999999999999999999999999999999999999999999999999999999999999999999999999999"};

// Texts a user puts into a field to start again from sensible inputs, so that a good share of
// the calculations succeed and their results stay on show for the checks.
struct SensibleTexts {
    const char* field;
    std::array<const char*, 4> texts;
};

constexpr std::array<SensibleTexts, 7> kSensibleTexts{{
    {"TxtPv", {"3", "10", "25", "6"}},
    {"TxtPd", {"90", "95", "100", "107"}},
    {"TxtN", {"50", "60", "40", "70"}},
    {"TxtH", {"3", "4", "2.5", "6"}},
    {"TxtL", {"6", "12", "7.5", "30"}},
    {"TxtW", {"6", "4", "10", "1"}},
    {"TxtDln", {"10", "2.5", "100", "1"}},
}};

enum class Action {
    Retype,
    ListPick,
    ArrowPick,
    ClickField,
    TypeCharacter,
    Backspace,
    Delete,
    MoveCursor,
    Paste,
    Copy,
    Cut,
    Undo,
    Redo,
    OtherKey,
    TypeOption,
    Gradation,
    Calculate,
    Attenuate,
    AreaTick,
    Report,
    RemoveReport,
    HelpOrAbout,
};

struct WeightedAction {
    Action action;
    int weight;
};

constexpr std::array<WeightedAction, 22> kActions{{
    {Action::Retype, 6},
    {Action::ListPick, 8},
    {Action::ArrowPick, 4},
    {Action::ClickField, 7},
    {Action::TypeCharacter, 24},
    {Action::Backspace, 6},
    {Action::Delete, 4},
    {Action::MoveCursor, 6},
    {Action::Paste, 5},
    {Action::Copy, 2},
    {Action::Cut, 2},
    {Action::Undo, 3},
    {Action::Redo, 2},
    {Action::OtherKey, 3},
    {Action::TypeOption, 4},
    {Action::Gradation, 3},
    {Action::Calculate, 8},
    {Action::Attenuate, 3},
    {Action::AreaTick, 4},
    {Action::Report, 3},
    {Action::RemoveReport, 1},
    {Action::HelpOrAbout, 1},
}};

const QByteArray kCrLf("\r\n");
const int kReportLines = 26;

QByteArray cp1251(const QString& text) {
    QStringEncoder encoder("windows-1251");
    return encoder.encode(text);
}

// Empty when the bytes are a whole number of complete reports, otherwise what is wrong.
QString reportStructureProblem(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return QStringLiteral("the report file is empty");
    if (!bytes.endsWith(kCrLf))
        return QStringLiteral("the report file does not end with CR LF");
    QList<QByteArray> lines = bytes.split('\n');
    lines.removeLast(); // after the final LF
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (!lines[i].endsWith('\r'))
            return QStringLiteral("line %1 of the report file lacks its CR: \"%2\"")
                .arg(i + 1)
                .arg(QStringDecoder("windows-1251").decode(lines[i]));
    if (lines.size() % kReportLines != 0)
        return QStringLiteral("the report file holds %1 lines, not whole reports")
            .arg(lines.size());
    const QByteArray heading = cp1251(QStringLiteral("ВХОДНЫЕ ДАННЫЕ")) + '\r';
    const QByteArray hyphens = QByteArray(45, '-') + '\r';
    for (qsizetype start = 0; start < lines.size(); start += kReportLines) {
        if (lines[start] != heading)
            return QStringLiteral("line %1 does not start a report").arg(start + 1);
        if (lines[start + 23] != "\r" || lines[start + 24] != hyphens || lines[start + 25] != "\r")
            return QStringLiteral("the report from line %1 does not end with its closing lines")
                .arg(start + 1);
    }
    return {};
}

QString describeCharacter(QChar c) {
    if (c == QLatin1Char('\n'))
        return QStringLiteral("\\n");
    return QString(c);
}

class WindowFuzzer {
public:
    WindowFuzzer(quint32 seed, const QString& folder)
        : random_(seed), w_(folder), reportPath_(QDir(folder).filePath(pa::kReportFileName)) {
        for (const WeightedAction& a : kActions)
            totalWeight_ += a.weight;
        timer_ = w_.get<QTimer>("Timer1");
        // Connected after the window's own handler, so this sees the caption the tick left.
        QObject::connect(timer_, &QTimer::timeout, w_.window.get(), [this] { checkTick(); });
    }

    // Runs one random action; returns what it did, for the trail printed on failure.
    QString act() {
        w_.dialogs.shown.clear();
        w_.dialogs.answers.clear();
        int roll = static_cast<int>(random_.bounded(totalWeight_));
        for (const WeightedAction& a : kActions) {
            if (roll < a.weight)
                return run(a.action);
            roll -= a.weight;
        }
        return {};
    }

    // Empty when every invariant holds after the last action, otherwise what is broken.
    QString check() const {
        if (!problem_.isEmpty())
            return problem_;
        if (QString p = coverageProblem(); !p.isEmpty())
            return p;
        if (QString p = attenuationProblem(); !p.isEmpty())
            return p;
        if (w_.caption("LblSr") != expectedArea_)
            return QStringLiteral("LblSr shows \"%1\" where the last tick or calculation left "
                                  "\"%2\"")
                .arg(w_.caption("LblSr"), expectedArea_);
        if (QString p = fieldProblem(); !p.isEmpty())
            return p;
        return reportProblem();
    }

    int ticks() const { return ticks_; }
    int realTicks() const { return realTicks_; }
    int successfulCalculations() const { return successes_; }
    int reports() const { return reports_; }

private:
    template <class T> T pickOne(std::initializer_list<T> items) {
        return *(items.begin() + random_.bounded(static_cast<int>(items.size())));
    }
    template <class T, std::size_t N> T pickFrom(const T (&items)[N]) {
        return items[random_.bounded(static_cast<int>(N))];
    }

    // The offscreen platform delivers a closed list's activation late and then takes the hidden
    // list for the active window; a user would simply be back in the main window.
    void settle() {
        QCoreApplication::processEvents();
        if (QApplication::activeWindow() != w_.window.get())
            QApplication::setActiveWindow(w_.window.get());
    }

    // A pick that does not reach its handler would leave every later check vacuous.
    void checkPickRan(const char* name, int index) {
        const QString item = w_.combo(name)->itemText(index);
        const pa::CalculationRecord& record = w_.window->record();
        const QString list = QLatin1String(name);
        bool ran = w_.combo(name)->currentText() == item;
        if (list == QLatin1String("CmbDn"))
            ran = ran && record.DirAngle == pa::RecordValue(item.toStdString());
        else if (list == QLatin1String("CmbUPS"))
            ran = ran && record.OverlapLevel == pa::RecordValue(item.toDouble());
        else if (list == QLatin1String("CmbVP"))
            ran = ran && record.ListenHeight == pa::RecordValue(item.toDouble());
        else if (list == QLatin1String("CmbOn"))
            ran = ran && w_.edit("TxtN")->text().toInt() ==
                             w_.window->NoisePreset().at(static_cast<std::size_t>(index));
        else
            ran = ran && w_.edit("TxtPv")->isReadOnly() == (index < w_.combo(name)->count() - 1);
        for (const char* label : kCoverageLabels)
            ran = ran && w_.caption(label).isEmpty();
        if (!ran && problem_.isEmpty())
            problem_ =
                QStringLiteral("the pick of \"%1\" in %2 did not take effect").arg(item, list);
    }

    // Opens the list and clicks the item in it.
    void clickInList(const char* name, int index) {
        pa::PickComboBox* box = w_.combo(name);
        box->showPopup();
        QAbstractItemView* view = box->view();
        const QModelIndex item = box->model()->index(index, 0);
        view->scrollTo(item);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                          view->visualRect(item).center());
        if (box->view()->isVisible())
            problem_ = QStringLiteral("the list %1 stayed open after a click on an item")
                           .arg(QLatin1String(name));
    }

    // Edits go to the field that has the focus; with the focus elsewhere the user clicks into a
    // field first.
    QWidget* editTarget() {
        if (!qobject_cast<QLineEdit*>(focused()))
            clickField();
        return focusedOrWindow();
    }

    QString clickField() {
        // Mostly the numeric fields; sometimes the edit part of a list.
        const bool list = random_.bounded(5) == 0;
        const char* name = list ? pickFrom(kLists) : pickFrom(kNumericFields);
        QLineEdit* edit = list ? w_.combo(name)->lineEdit() : w_.edit(name);
        const QPoint at(random_.bounded(edit->width()), edit->height() / 2);
        QTest::mouseClick(edit, Qt::LeftButton, Qt::NoModifier, at);
        return QStringLiteral("click %1 at %2").arg(QLatin1String(name)).arg(at.x());
    }

    QWidget* focused() const { return QApplication::focusWidget(); }
    QWidget* focusedOrWindow() const {
        QWidget* f = focused();
        return f ? f : w_.window.get();
    }

    std::string separator() const { return QLocale().decimalPoint().toStdString(); }

    QString run(Action action) {
        switch (action) {
        case Action::Retype: {
            const SensibleTexts& sensible = kSensibleTexts[random_.bounded(7)];
            QLineEdit* edit = w_.edit(sensible.field);
            QTest::mouseClick(edit, Qt::LeftButton, Qt::NoModifier, edit->rect().center());
            QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
            const char* text = sensible.texts[random_.bounded(4)];
            QTest::keyClicks(edit, text);
            return QStringLiteral("retype %1 as %2")
                .arg(QLatin1String(sensible.field), QLatin1String(text));
        }
        case Action::ListPick: {
            const char* list = pickFrom(kLists);
            const int index = static_cast<int>(random_.bounded(w_.combo(list)->count()));
            const bool byMouse = random_.bounded(2) == 0;
            if (byMouse)
                clickInList(list, index);
            else
                w_.pick(list, index);
            settle();
            checkPickRan(list, index);
            return QStringLiteral("pick %1 in %2 by %3")
                .arg(index)
                .arg(QLatin1String(list), QLatin1String(byMouse ? "mouse" : "keyboard"));
        }
        case Action::ArrowPick: {
            const char* list = pickFrom(kLists);
            const Qt::Key key = pickOne({Qt::Key_Up, Qt::Key_Down});
            w_.combo(list)->setFocus();
            QTest::keyClick(w_.combo(list), key);
            return QStringLiteral("arrow %1 in %2")
                .arg(QLatin1String(key == Qt::Key_Up ? "up" : "down"), QLatin1String(list));
        }
        case Action::ClickField:
            return clickField();
        case Action::TypeCharacter: {
            const QChar c = kTypedCharacters.at(random_.bounded(kTypedCharacters.size()));
            QTest::sendKeyEvent(QTest::Click, editTarget(), Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
            return QStringLiteral("type %1 into %2").arg(c).arg(focusName());
        }
        case Action::Backspace:
            return editKey(Qt::Key_Backspace, Qt::NoModifier, "Backspace");
        case Action::Delete:
            return editKey(Qt::Key_Delete, Qt::NoModifier, "Delete");
        case Action::MoveCursor: {
            const Qt::Key k = pickOne({Qt::Key_Home, Qt::Key_End, Qt::Key_Left, Qt::Key_Right});
            const bool select = random_.bounded(2) == 0;
            if (random_.bounded(6) == 0)
                return editKey(Qt::Key_A, Qt::ControlModifier, "select all");
            return editKey(k, select ? Qt::ShiftModifier : Qt::NoModifier, "move cursor");
        }
        case Action::Paste: {
            const QString clip = QString::fromUtf8(pickFrom(kClipboardTexts));
            QApplication::clipboard()->setText(clip);
            return editKey(Qt::Key_V, Qt::ControlModifier, "paste") +
                   QStringLiteral(" \"%1\"").arg(
                       clip.left(12).replace(QLatin1Char('\n'), QStringLiteral("\\n")));
        }
        case Action::Copy:
            return editKey(Qt::Key_C, Qt::ControlModifier, "copy");
        case Action::Cut:
            return editKey(Qt::Key_X, Qt::ControlModifier, "cut");
        case Action::Undo:
            return editKey(Qt::Key_Z, Qt::ControlModifier, "undo");
        case Action::Redo:
            return random_.bounded(2) == 0
                       ? editKey(Qt::Key_Y, Qt::ControlModifier, "redo")
                       : editKey(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, "redo");
        case Action::OtherKey: {
            const Qt::Key k = pickOne({Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape, Qt::Key_Tab,
                                       Qt::Key_Backtab, Qt::Key_Space});
            return key(k, Qt::NoModifier, "key");
        }
        case Action::TypeOption:
            return clickOption(pickFrom(kTypeOptions));
        case Action::Gradation:
            return clickOption(pickFrom(kGradation));
        case Action::Calculate:
            return calculate();
        case Action::Attenuate:
            return attenuate();
        case Action::AreaTick:
            return tick();
        case Action::Report:
            return report();
        case Action::RemoveReport:
            QFile::remove(reportPath_);
            expectedFile_.reset();
            return QStringLiteral("remove the report file");
        case Action::HelpOrAbout: {
            const char* item = pickOne({"Mspr", "Mopr"});
            if (!clickMenu(item))
                problem_ = QStringLiteral("the menu item %1 showed no box").arg(item);
            return QStringLiteral("menu %1").arg(QLatin1String(item));
        }
        }
        return {};
    }

    QString focusName() const {
        QWidget* f = focused();
        if (!f)
            return QStringLiteral("nothing");
        if (f->objectName().isEmpty() && f->parentWidget())
            return f->parentWidget()->objectName();
        return f->objectName();
    }

    // A key for the focused widget, whatever it is.
    QString key(Qt::Key k, Qt::KeyboardModifiers modifiers, const char* what) {
        const QString target = focusName();
        QTest::keyClick(focusedOrWindow(), k, modifiers);
        return QStringLiteral("%1 in %2").arg(QLatin1String(what), target);
    }

    // A key for a field: the focused one, or one the user clicks into first.
    QString editKey(Qt::Key k, Qt::KeyboardModifiers modifiers, const char* what) {
        QWidget* target = editTarget();
        const QString name = focusName();
        QTest::keyClick(target, k, modifiers);
        return QStringLiteral("%1 in %2").arg(QLatin1String(what), name);
    }

    QString clickOption(const char* name) {
        QRadioButton* option = w_.option(name);
        QTest::mouseClick(option, Qt::LeftButton, Qt::NoModifier, QPoint(8, option->height() / 2));
        return QStringLiteral("click %1%2")
            .arg(QLatin1String(name), option->isEnabled() ? QString() : " (disabled)");
    }

    pa::CoverageInputs currentInputs() const {
        pa::CoverageInputs in;
        in.power = w_.edit("TxtPv")->text().toStdString();
        in.sensitivity = w_.edit("TxtPd")->text().toStdString();
        in.noise = w_.edit("TxtN")->text().toStdString();
        in.height = w_.edit("TxtH")->text().toStdString();
        in.length = w_.edit("TxtL")->text().toStdString();
        in.width = w_.edit("TxtW")->text().toStdString();
        in.gradation = 0;
        for (int i = 0; i < 3; ++i)
            if (w_.option(kGradation[i])->isChecked())
                in.gradation = i + 1;
        in.ceiling = w_.option("Opt1")->isChecked();
        return in;
    }

    // What a calculation on the inputs as they stand would show, on a copy of the record.
    pa::CoverageOutcome freshCoverage() const {
        pa::CalculationRecord copy = w_.window->record();
        return pa::calculateCoverage(currentInputs(), copy, separator());
    }

    pa::AttenuationOutcome freshAttenuation() const {
        return pa::calculateAttenuation(w_.edit("TxtDln")->text().toStdString(), separator());
    }

    QString calculate() {
        const pa::CoverageOutcome expected = freshCoverage();
        QTest::mouseClick(w_.get<QPushButton>("Command1"), Qt::LeftButton);
        if (expected.area)
            expectedArea_ = QString::fromStdString(*expected.area);
        const qsizetype boxes = expected.stop ? 1 : 0;
        if (w_.dialogs.shown.size() != boxes)
            problem_ = QStringLiteral("the calculation showed %1 boxes, expected %2")
                           .arg(w_.dialogs.shown.size())
                           .arg(boxes);
        else if (expected.stop &&
                 w_.dialogs.shown.first().text != QString::fromStdString(expected.stop->message))
            problem_ = QStringLiteral("the calculation stopped with \"%1\", expected \"%2\"")
                           .arg(w_.dialogs.shown.first().text,
                                QString::fromStdString(expected.stop->message));
        // A success must show its results; "all empty" alone would let a dead button pass.
        for (std::size_t i = 0; i < 4 && problem_.isEmpty(); ++i) {
            const QString shown = w_.caption(kCoverageLabels[i]);
            if (shown != QString::fromStdString(expected.results[i]))
                problem_ = QStringLiteral("after the click %1 shows \"%2\", expected \"%3\"")
                               .arg(QLatin1String(kCoverageLabels[i]), shown,
                                    QString::fromStdString(expected.results[i]));
        }
        if (expected.stop && problem_.isEmpty() && !w_.caption("LblZat").isEmpty())
            problem_ = QStringLiteral("a stopped calculation left LblZat \"%1\"")
                           .arg(w_.caption("LblZat"));
        if (!expected.stop)
            ++successes_;
        return expected.stop ? QStringLiteral("calculate: %1")
                                   .arg(QString::fromStdString(expected.stop->message))
                             : QStringLiteral("calculate: %1 %2 %3 %4")
                                   .arg(QString::fromStdString(expected.results[0]),
                                        QString::fromStdString(expected.results[1]),
                                        QString::fromStdString(expected.results[2]),
                                        QString::fromStdString(expected.results[3]));
    }

    QString attenuate() {
        const pa::AttenuationOutcome expected = freshAttenuation();
        QTest::mouseClick(w_.get<QPushButton>("Command2"), Qt::LeftButton);
        const QString want = expected.stop ? QString() : QString::fromStdString(expected.caption);
        if (w_.caption("LblZat") != want)
            problem_ = QStringLiteral("after the attenuation click LblZat shows \"%1\", "
                                      "expected \"%2\"")
                           .arg(w_.caption("LblZat"), want);
        else if (w_.dialogs.shown.size() != (expected.stop ? 1 : 0))
            problem_ =
                QStringLiteral("the attenuation showed %1 boxes").arg(w_.dialogs.shown.size());
        return QStringLiteral("attenuate: \"%1\"").arg(want);
    }

    QString tick() {
        if (!timer_->isActive())
            return QStringLiteral("no tick: timer stopped");
        const int ticksBefore = ticks_;
        if (realWaitsLeft_ > 0 && random_.bounded(50) == 0) {
            --realWaitsLeft_;
            QTest::qWait(timer_->remainingTime() + 50);
            ++realTicks_;
        } else if (!QMetaObject::invokeMethod(timer_, "timeout", Qt::DirectConnection)) {
            problem_ = QStringLiteral("the area timer's tick could not be delivered");
        }
        if (ticks_ != ticksBefore + 1)
            problem_ = QStringLiteral("%1 ticks came instead of one").arg(ticks_ - ticksBefore);
        else if (timer_->isActive())
            problem_ = QStringLiteral("the area timer still runs after its tick");
        return QStringLiteral("area tick: %1").arg(expectedArea_);
    }

    void checkTick() {
        ++ticks_;
        expectedArea_ = QString::fromStdString(
            pa::roomAreaText(w_.edit("TxtL")->text().toStdString(),
                             w_.edit("TxtW")->text().toStdString(), separator()));
        if (w_.caption("LblSr") != expectedArea_ && problem_.isEmpty())
            problem_ =
                QStringLiteral("after the tick LblSr shows \"%1\" for %2 by %3")
                    .arg(w_.caption("LblSr"), w_.edit("TxtL")->text(), w_.edit("TxtW")->text());
    }

    bool clickMenu(const char* item) {
        QMenuBar* bar = w_.window->menuBar();
        auto* action = w_.window->findChild<QAction*>(QLatin1String(item));
        const QRect at = bar->actionGeometry(action);
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, at.center());
        return !w_.dialogs.shown.isEmpty();
    }

    QString report() {
        const auto answer = pickOne(
            {pa::Dialogs::Answer::Yes, pa::Dialogs::Answer::No, pa::Dialogs::Answer::Cancel});
        w_.dialogs.answers = {answer};
        pa::SpeakerType type = pa::SpeakerType::Ceiling;
        if (w_.option("Opt2")->isChecked())
            type = pa::SpeakerType::Wall;
        else if (w_.option("Opt3")->isChecked())
            type = pa::SpeakerType::Horn;
        const pa::ReportSources sources{w_.combo("CmbD")->currentText(),
                                        w_.combo("CmbOn")->currentText(), type};
        const QByteArray report =
            pa::formatReport(w_.window->record(), sources, QLocale().decimalPoint());
        const bool existed = expectedFile_.has_value();

        if (!clickMenu("Mppech")) {
            problem_ = QStringLiteral("the report command showed no box");
            return QStringLiteral("report");
        }
        const bool asked = w_.dialogs.shown.first().question;
        if (asked != existed)
            problem_ = existed ? QStringLiteral("no question although the file exists")
                               : QStringLiteral("a question although there is no file");
        const char* said = "first";
        if (!existed) {
            expectedFile_ = report;
        } else if (answer == pa::Dialogs::Answer::Yes) {
            said = "yes";
            expectedFile_->append(report);
        } else if (answer == pa::Dialogs::Answer::No) {
            said = "no";
            expectedFile_ = report;
        } else {
            said = "cancel";
        }
        const bool wrote = !existed || answer != pa::Dialogs::Answer::Cancel;
        const qsizetype boxes = (existed ? 1 : 0) + (wrote ? 1 : 0);
        if (problem_.isEmpty() && w_.dialogs.shown.size() != boxes)
            problem_ = QStringLiteral("the report command showed %1 boxes, expected %2")
                           .arg(w_.dialogs.shown.size())
                           .arg(boxes);
        if (wrote)
            ++reports_;
        return QStringLiteral("report, answer %1").arg(QLatin1String(said));
    }

    QString coverageProblem() const {
        QStringList shown;
        for (const char* name : kCoverageLabels)
            shown << w_.caption(name);
        if (shown.join(QString()).isEmpty())
            return {};
        const pa::CoverageOutcome fresh = freshCoverage();
        QStringList expected;
        for (const std::string& r : fresh.results)
            expected << QString::fromStdString(r);
        if (shown != expected)
            return QStringLiteral("results [%1] stand beside inputs that give [%2]")
                .arg(shown.join(QLatin1Char(' ')), expected.join(QLatin1Char(' ')));
        return {};
    }

    QString attenuationProblem() const {
        const QString shown = w_.caption("LblZat");
        if (shown.isEmpty())
            return {};
        const pa::AttenuationOutcome fresh = freshAttenuation();
        if (fresh.stop || shown != QString::fromStdString(fresh.caption))
            return QStringLiteral("LblZat \"%1\" stands beside the distance \"%2\"")
                .arg(shown, w_.edit("TxtDln")->text());
        return {};
    }

    // No character the filter refuses may ever get into a numeric field.
    QString fieldProblem() const {
        for (const char* name : kNumericFields) {
            const QString text = w_.edit(name)->text();
            const bool pointAllowed = qstrcmp(name, "TxtPd") != 0 && qstrcmp(name, "TxtN") != 0;
            for (QChar c : text) {
                const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
                if (!digit && !(pointAllowed && c == QLatin1Char('.')))
                    return QStringLiteral("%1 holds \"%2\", with the refused \"%3\"")
                        .arg(QLatin1String(name), text, describeCharacter(c));
            }
        }
        return {};
    }

    QString reportProblem() const {
        QFile file(reportPath_);
        if (!file.exists()) {
            if (expectedFile_)
                return QStringLiteral("the report file is gone");
            return {};
        }
        if (!file.open(QIODevice::ReadOnly))
            return QStringLiteral("the report file cannot be read");
        const QByteArray bytes = file.readAll();
        if (QString p = reportStructureProblem(bytes); !p.isEmpty())
            return p;
        if (!expectedFile_)
            return QStringLiteral("a report file appeared without a report command");
        if (bytes != *expectedFile_)
            return QStringLiteral("the report file holds %1 bytes that differ from the %2 "
                                  "expected of the reports written")
                .arg(bytes.size())
                .arg(expectedFile_->size());
        return {};
    }

    QRandomGenerator random_;
    WindowUnderTest w_;
    QString reportPath_;
    QTimer* timer_ = nullptr;
    int totalWeight_ = 0;
    QString expectedArea_ = QStringLiteral("36");
    std::optional<QByteArray> expectedFile_;
    QString problem_;
    int realWaitsLeft_ = kRealTimerWaits;
    int ticks_ = 0;
    int realTicks_ = 0;
    int successes_ = 0;
    int reports_ = 0;
};

} // namespace

namespace {

QtMessageHandler testLogHandler = nullptr;

// Every opened list makes the offscreen platform say that it cannot raise or grab; thousands of
// those lines would bury a failure.
void withoutPlatformNoise(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtWarningMsg && text.startsWith(QLatin1String("This plugin does not support")))
        return;
    testLogHandler(type, context, text);
}

} // namespace

class TestWindowFuzz : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { testLogHandler = qInstallMessageHandler(withoutPlatformNoise); }
    void cleanupTestCase() { qInstallMessageHandler(testLogHandler); }
    void randomUserActions_data();
    void randomUserActions();
    void structureCheckRefusesBrokenFiles_data();
    void structureCheckRefusesBrokenFiles();
};

void TestWindowFuzz::randomUserActions_data() {
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<QString>("locale");
    QTest::newRow("point separator run keeps every invariant") << 20240611u << "C";
    QTest::newRow("comma separator run keeps every invariant") << 7051962u << "ru_RU";
}

void TestWindowFuzz::randomUserActions() {
    QFETCH(quint32, seed);
    QFETCH(QString, locale);
    seed = seedFor(seed);
    const QLocale before;
    QLocale::setDefault(QLocale(locale));
    const auto restore = qScopeGuard([&before] { QLocale::setDefault(before); });
    QTemporaryDir folder;
    QVERIFY(folder.isValid());

    WindowFuzzer fuzzer(seed, folder.path());
    const int actions = actionsPerRun();
    const bool trace = qEnvironmentVariableIsSet("PA_WINDOW_FUZZ_TRACE");
    QStringList trail;
    for (int i = 0; i < actions; ++i) {
        trail << fuzzer.act();
        if (trace)
            qInfo("%d: %s", i + 1, qPrintable(trail.last()));
        if (trail.size() > 15)
            trail.removeFirst();
        const QString problem = fuzzer.check();
        if (!problem.isEmpty()) {
            const QString message =
                QStringLiteral("seed %1 (PA_WINDOW_FUZZ_SEED), action %2: %3\nlast actions:\n  %4")
                    .arg(seed)
                    .arg(i + 1)
                    .arg(problem, trail.join(QStringLiteral("\n  ")));
            QFAIL(qPrintable(message));
        }
    }
    // A run that never calculated, ticked or wrote proves little.
    QVERIFY2(fuzzer.successfulCalculations() > actions / 400,
             qPrintable(QString::number(fuzzer.successfulCalculations())));
    QVERIFY2(fuzzer.ticks() > actions / 200, qPrintable(QString::number(fuzzer.ticks())));
    QVERIFY2(fuzzer.reports() > actions / 200, qPrintable(QString::number(fuzzer.reports())));
    qInfo("seed %u: %d actions, %d successful calculations, %d ticks (%d real), %d reports", seed,
          actions, fuzzer.successfulCalculations(), fuzzer.ticks(), fuzzer.realTicks(),
          fuzzer.reports());
}

void TestWindowFuzz::structureCheckRefusesBrokenFiles_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("whole");
    pa::CalculationRecord record;
    const QByteArray one =
        pa::formatReport(record, {QStringLiteral("TD-13"), QStringLiteral("ТЕАТР"), {}}, ".");
    QTest::newRow("one report accepted") << one << true;
    QTest::newRow("two reports accepted") << one + one << true;
    QTest::newRow("report cut short refused") << one.left(one.size() - 2) << false;
    QTest::newRow("report without its last line refused")
        << one + one.left(one.lastIndexOf("\r\n", one.size() - 3) + 2) << false;
    QTest::newRow("bare LF refused") << QByteArray(one).replace("\r\n", "\n") << false;
    QTest::newRow("empty file refused") << QByteArray() << false;
}

// The file check must be able to fail, or the random run proves nothing about the file.
void TestWindowFuzz::structureCheckRefusesBrokenFiles() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, whole);
    QCOMPARE(reportStructureProblem(bytes).isEmpty(), whole);
}

QTEST_MAIN(TestWindowFuzz)
#include "tst_window_fuzz.moc"
