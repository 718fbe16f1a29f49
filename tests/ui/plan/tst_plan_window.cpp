#include "core/coverage.h"
#include "core/parameters.h"
#include "plan/rules.h"
#include "support/start_plan.h"
#include "ui/plan/plan_window.h"
#include "ui/ui_test_support.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>
#include <QTextBrowser>
#include <QWheelEvent>

#include <memory>

using namespace pa;

namespace {

struct PlanUnderTest {
    PlanUnderTest() : window(std::make_unique<PlanWindow>(dialogs, [] { return ","; })) {
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            qWarning("plan window not active");
    }
    PlanView* view() const { return window->findChild<PlanView*>(); }
    QTableWidget* table() const { return window->findChild<QTableWidget*>("figureTable"); }
    // The table's rows as lines, "caption: value".
    QString figures() const {
        QStringList lines;
        for (int r = 0; r < table()->rowCount(); ++r) {
            const QString value = table()->item(r, 1)->text();
            lines << table()->item(r, 0)->text() + (value.isEmpty() ? "" : ": " + value);
        }
        return lines.join('\n');
    }
    int rowOf(const QString& caption) const {
        for (int r = 0; r < table()->rowCount(); ++r)
            if (table()->item(r, 0)->text().startsWith(caption))
                return r;
        return -1;
    }
    QString state() const { return window->findChild<QLabel*>("LblPlanState")->text(); }
    std::size_t count() const { return view()->scene().speakers.size(); }
    QPoint at(const plan::Speaker& s) const {
        return view()->mapping().toScreen(s.x, s.y).toPoint();
    }
    QPoint at(double x, double y) const { return view()->mapping().toScreen(x, y).toPoint(); }
    const std::vector<plan::Speaker>& speakers() const { return view()->scene().speakers; }
    QComboBox* methods() const { return window->findChild<QComboBox*>("CmbMethod"); }
    QPushButton* button(const char* name) const { return window->findChild<QPushButton*>(name); }
    // Types a value into a spin box of the picked loudspeaker's panel and confirms it.
    void type(const char* name, const QString& text) const {
        auto* spin = window->findChild<QDoubleSpinBox*>(name);
        spin->selectAll();
        QTest::keyClicks(spin, text);
        QTest::keyClick(spin, Qt::Key_Return);
    }
    void wheel(QPoint at, int notches) const {
        QWheelEvent event(at, view()->mapToGlobal(at), {}, {0, 120 * notches}, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view(), &event);
    }
    // Picks an entry of a list as the user does.
    void pick(const char* list, int index) const {
        auto* combo = window->findChild<QComboBox*>(list);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
    void pickMaterial(const char* list, const char* id) const {
        pick(list, window->findChild<QComboBox*>(list)->findData(QString::fromLatin1(id)));
    }
    // Types a row of octave values, one per field, each confirmed.
    void typeOctaves(const char* row, const QStringList& values) const {
        for (int k = 0; k < values.size(); ++k) {
            auto* field = window->findChild<QLineEdit*>(
                row + QString::number(plan::kBandHz.at(static_cast<std::size_t>(k))));
            field->selectAll();
            if (values.at(k).isEmpty())
                QTest::keyClick(field, Qt::Key_Delete);
            QTest::keyClicks(field, values.at(k));
            QTest::keyClick(field, Qt::Key_Return);
        }
    }
    void drag(QPoint from, QPoint to, Qt::MouseButton button) const {
        QTest::mousePress(view(), button, {}, from);
        QTest::mouseMove(view(), to);
        QTest::mouseRelease(view(), button, {}, to);
    }

    ScriptedDialogs dialogs;
    std::unique_ptr<PlanWindow> window;
};

} // namespace

class TstPlanWindow : public QObject {
    Q_OBJECT
private slots:
    // The plan opened from the main window's menu follows its calculations and never runs one.
    void followsMainWindow() {
        WindowUnderTest w;
        const CalculationRecord before = w.window->record();
        w.window->findChild<QAction*>(QStringLiteral("Mplan"))->trigger();
        auto* plan = w.window->findChild<PlanWindow*>();
        QVERIFY(plan && plan->isVisible());
        QCOMPARE(w.window->record(), before);
        QVERIFY(!plan->scene());

        QTest::mouseClick(w.get<QPushButton>("Command1"), Qt::LeftButton);
        QVERIFY(plan->scene());
        QCOMPARE(plan->scene()->speakers.size(), std::size_t{5});
        QVERIFY(!plan->scene()->stale);
        // The sheet carries the calculation as the report words it.
        const QList<ReportEntry> entries = plan->document().entries;
        QVERIFY(!entries.isEmpty());
        QCOMPARE(entries.front().value, QStringLiteral("TD-13"));
        QCOMPARE(entries.back().value, QStringLiteral("5 Шт"));

        w.pick("CmbUPS", 0);
        QVERIFY(plan->scene()->stale);
        QCOMPARE(plan->findChild<QLabel*>("LblPlanState")->text(),
                 QStringLiteral("Исходные данные изменились — нажмите «РАСЧИТАТЬ»"));

        w.edit("TxtL")->setText(QStringLiteral("12"));
        QTest::mouseClick(w.get<QPushButton>("Command1"), Qt::LeftButton);
        QVERIFY(!plan->scene()->stale);
        QCOMPARE(plan->scene()->inputs.length, 12.0);

        // A room the main window calculates but the plan cannot draw says why.
        for (const char* side : {"TxtL", "TxtW"})
            w.edit(side)->setText(QStringLiteral("10000"));
        QTest::mouseClick(w.get<QPushButton>("Command1"), Qt::LeftButton);
        QVERIFY(plan->scene()->stale);
        QVERIFY(plan->findChild<QLabel*>("LblPlanState")
                    ->text()
                    .startsWith(
                        QStringLiteral("План не построен. Количество громкоговорителей 12 500 000 "
                                       "вне пределов плана (от 1 до 1 000 000)")));

        // A second click raises the same window.
        w.window->findChild<QAction*>(QStringLiteral("Mplan"))->trigger();
        QCOMPARE(w.window->findChildren<PlanWindow*>().size(), 1);
    }

    // Opened only after the results went stale: the last plan, greyed.
    void openedLateShowsStalePlan() {
        WindowUnderTest w;
        QTest::mouseClick(w.get<QPushButton>("Command1"), Qt::LeftButton);
        w.option("Opt_1_2")->click();
        w.window->findChild<QAction*>(QStringLiteral("Mplan"))->trigger();
        auto* plan = w.window->findChild<PlanWindow*>();
        QVERIFY(plan->scene() && plan->scene()->stale);
    }

    void beforeCalculation() {
        PlanUnderTest t;
        QCOMPARE(t.state(), QStringLiteral("Нажмите «РАСЧИТАТЬ», чтобы построить план"));
        QVERIFY(t.figures().isEmpty());
        QVERIFY(!t.window->scene());
        QVERIFY(!t.window->findChild<QComboBox*>("CmbMethod")->isEnabled());
    }

    void startExample() {
        PlanUnderTest t;
        t.window->showCalculation(startPlan("."));
        QCOMPARE(t.count(), std::size_t{5});
        QVERIFY(t.figures().contains(QStringLiteral("Громкоговорителей: 5")));
        QCOMPARE(t.table()->item(t.rowOf("Громкоговорителей"), 0)->text(), "Громкоговорителей");
        QVERIFY(t.figures().contains(QStringLiteral(",")));
        QVERIFY(!t.view()->scene().levels.empty());
        QCOMPARE(t.window->findChild<QComboBox*>("CmbMethod")->currentText(),
                 QStringLiteral("По расчету"));
    }

    // Each user edit changes the layout and the figures follow.
    void edits_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("count");
        QTest::addColumn<double>("dx");
        QTest::addColumn<double>("dy");
        QTest::newRow("drag moves a loudspeaker with the mouse") << "drag" << 5 << 1.0 << -0.5;
        QTest::newRow("right arrow moves by a tenth") << "right" << 5 << 0.1 << 0.0;
        QTest::newRow("shift and up move a metre up the room") << "shift-up" << 5 << 0.0 << 1.0;
        QTest::newRow("arrows stop at the wall") << "shift-left" << 5 << -5.0 << 0.0;
        QTest::newRow("delete removes the picked one") << "delete" << 4 << 0.0 << 0.0;
        QTest::newRow("double click on the floor adds one") << "double" << 6 << 0.0 << 0.0;
    }
    void edits() {
        QFETCH(QString, action);
        QFETCH(int, count);
        QFETCH(double, dx);
        QFETCH(double, dy);
        PlanUnderTest t;
        t.window->showCalculation(startPlan("."));
        const QString before = t.figures();
        // The last loudspeaker of the start layout stands alone in its row, in the middle.
        const plan::Speaker start = t.view()->scene().speakers.back();
        const int last = static_cast<int>(t.count()) - 1;
        QTest::mouseClick(t.view(), Qt::LeftButton, {}, t.at(start));
        QCOMPARE(t.view()->scene().selected, last);
        if (action == "drag") {
            QTest::mousePress(t.view(), Qt::LeftButton, {}, t.at(start));
            QTest::mouseMove(t.view(), t.at(start.x + dx / 2, start.y + dy / 2));
            QTest::mouseMove(t.view(), t.at(start.x + dx, start.y + dy));
            QTest::mouseRelease(t.view(), Qt::LeftButton, {}, t.at(start.x + dx, start.y + dy));
        } else if (action == "double") {
            QTest::mouseDClick(t.view(), Qt::LeftButton, {}, t.at(0.3, 0.3));
        } else {
            const Qt::Key key = action == "delete"       ? Qt::Key_Delete
                                : action == "right"      ? Qt::Key_Right
                                : action == "shift-left" ? Qt::Key_Left
                                                         : Qt::Key_Up;
            const Qt::KeyboardModifiers mod =
                action.startsWith("shift") ? Qt::ShiftModifier : Qt::NoModifier;
            for (int i = 0; i < (action == "shift-left" ? 5 : 1); ++i)
                QTest::keyClick(t.view(), key, mod);
        }
        QCOMPARE(t.count(), std::size_t(count));
        QVERIFY(t.figures() != before);
        if (count == 5) {
            const plan::Speaker moved = t.view()->scene().speakers.back();
            const double tolerance = action == "drag" ? 0.05 : 1e-9;
            QVERIFY(std::abs(moved.x - std::max(start.x + dx, 0.0)) <= tolerance);
            QVERIFY(std::abs(moved.y - (start.y + dy)) <= tolerance);
        }
    }

    void wallLoudspeakersStayOnTheirWall() {
        PlanUnderTest t;
        plan::PlanInputs in = startPlan(".");
        in.type = SpeakerType::Wall;
        t.window->showCalculation(in);
        const plan::Speaker first = t.view()->scene().speakers.front();
        QTest::mousePress(t.view(), Qt::LeftButton, {}, t.at(first));
        QTest::mouseMove(t.view(), t.at(first.x + 1, first.y + 2));
        QTest::mouseRelease(t.view(), Qt::LeftButton, {}, t.at(first.x + 1, first.y + 2));
        const plan::Speaker moved = t.view()->scene().speakers.front();
        QCOMPARE(moved.y, first.y);
        QVERIFY(moved.x > first.x + 0.9);
        QTest::mouseDClick(t.view(), Qt::LeftButton, {}, t.at(3, in.width - 1));
        QCOMPARE(t.view()->scene().speakers.back().y, in.width);
        QCOMPARE(t.view()->scene().speakers.back().wall, plan::Wall::Far);
    }

    void staleKeepsGreyedPictureAndTakesNoEdits() {
        PlanUnderTest t;
        t.window->showCalculation(startPlan("."));
        const QString figures = t.figures();
        t.window->markStale();
        QCOMPARE(t.state(), QStringLiteral("Исходные данные изменились — нажмите «РАСЧИТАТЬ»"));
        QVERIFY(t.view()->scene().stale);
        QCOMPARE(t.count(), std::size_t{5});
        QTest::mouseClick(t.view(), Qt::LeftButton, {}, t.at(t.view()->scene().speakers[0]));
        QTest::keyClick(t.view(), Qt::Key_Delete);
        QCOMPARE(t.count(), std::size_t{5});
        QCOMPARE(t.figures(), figures);
        t.window->showCalculation(startPlan("."));
        QVERIFY(!t.view()->scene().stale);
    }

    // The chosen method stays while the type stays; a new type starts from its default.
    void methodFollowsType() {
        PlanUnderTest t;
        auto* methods = t.window->findChild<QComboBox*>("CmbMethod");
        t.window->showCalculation(startPlan("."));
        methods->setCurrentIndex(1);
        emit methods->activated(1);
        const std::size_t edgeToEdge = t.count();
        t.window->showCalculation(startPlan("."));
        QCOMPARE(methods->currentIndex(), 1);
        QCOMPARE(t.count(), edgeToEdge);
        plan::PlanInputs horn = startPlan(".");
        horn.type = SpeakerType::Horn;
        t.window->showCalculation(horn);
        QCOMPARE(methods->currentIndex(), 0);
        // «Одна стена» is offered on either long wall.
        QCOMPARE(methods->count(), 3);
        for (const auto& [index, y] : {std::pair(1, 0.0), std::pair(2, horn.width)}) {
            methods->setCurrentIndex(index);
            emit methods->activated(index);
            for (const plan::Speaker& s : t.view()->scene().speakers)
                QCOMPARE(s.y, y);
            QVERIFY(t.window->document().method.startsWith(QStringLiteral("Одна стена: ")));
        }
    }

    void tooManyToDraw() {
        PlanUnderTest t;
        plan::PlanInputs in = startPlan(".");
        in.count = 2001;
        t.window->showCalculation(in);
        QVERIFY(t.figures().contains(
            QStringLiteral("Слишком много громкоговорителей для плана (2001)")));
        QCOMPARE(t.state(), QStringLiteral("Слишком много громкоговорителей для плана (2001)"));
        QVERIFY(t.view()->scene().levels.empty());
        QVERIFY(!t.view()->grab().isNull());
    }

    // Every kind of change is one step back and one step forward, named on the buttons.
    void undoRedo_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("step");
        using Row = std::pair<const char*, const char*>;
        for (const auto& [action, step] :
             {Row{"drag", "перемещение громкоговорителя 5"},
              Row{"arrows", "перемещение громкоговорителя 5"},
              Row{"add", "добавление громкоговорителя 6"},
              Row{"delete", "удаление громкоговорителя 5"}, Row{"reset", "сброс расстановки"},
              Row{"method", "расстановка способом «Край к краю»"},
              Row{"typed X", "перемещение громкоговорителя 5"}})
            QTest::newRow(action) << QString(action) << QString(step);
    }
    void undoRedo() {
        QFETCH(QString, action);
        QFETCH(QString, step);
        PlanUnderTest t;
        t.window->showCalculation(startPlan("."));
        const std::vector<plan::Speaker> start = t.speakers();
        const plan::Speaker last = start.back();
        QTest::mouseClick(t.view(), Qt::LeftButton, {}, t.at(last));
        if (action == "reset")
            QTest::keyClick(t.view(), Qt::Key_Right);
        const std::vector<plan::Speaker> before = t.speakers();
        if (action == "drag") {
            QTest::mousePress(t.view(), Qt::LeftButton, {}, t.at(last));
            for (int i = 1; i <= 4; ++i)
                QTest::mouseMove(t.view(), t.at(last.x - 0.3 * i, last.y + 0.2 * i));
            QTest::mouseRelease(t.view(), Qt::LeftButton, {}, t.at(last.x - 1.2, last.y + 0.8));
        } else if (action == "arrows") {
            for (const Qt::Key key : {Qt::Key_Left, Qt::Key_Up, Qt::Key_Left})
                QTest::keyClick(t.view(), key);
        } else if (action == "add") {
            QTest::mouseDClick(t.view(), Qt::LeftButton, {}, t.at(0.3, 0.3));
        } else if (action == "delete") {
            QTest::keyClick(t.view(), Qt::Key_Delete);
        } else if (action == "reset") {
            t.button("BtnReset")->click();
        } else if (action == "method") {
            t.methods()->setCurrentIndex(1);
            emit t.methods()->activated(1);
        } else {
            t.type("selectedX", QStringLiteral("1,5"));
        }
        t.view()->setFocus();
        const std::vector<plan::Speaker> after = t.speakers();
        QVERIFY(after != before);
        QCOMPARE(t.button("undoButton")->toolTip(), QStringLiteral("Отменить: ") + step);
        QTest::keyClick(t.view(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(t.speakers() == before);
        QCOMPARE(t.view()->scene().selected, 4); // picked before the step
        QCOMPARE(t.button("redoButton")->toolTip(), QStringLiteral("Повторить: ") + step);
        QCOMPARE(t.methods()->currentIndex(), 0);
        QTest::keyClick(t.view(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(t.speakers() == after);
        QTest::keyClick(t.view(), Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(t.view(), Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(t.speakers() == after);
        // Undo stops at the first layout.
        for (int i = 0; i < 4; ++i)
            t.button("undoButton")->click();
        QVERIFY(t.speakers() == start);
        QVERIFY(!t.button("undoButton")->isEnabled());
    }

    // A calculation keeps what the user placed by hand unless the user agrees to lose it.
    void calculationAfterHandEdits_data() {
        QTest::addColumn<bool>("edited");
        QTest::addColumn<double>("length");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("laidOutAnew");
        const int none = -1, yes = int(Dialogs::Answer::Yes), no = int(Dialogs::Answer::No);
        QTest::newRow("same inputs keep the edit") << true << 6.0 << none << false << false;
        QTest::newRow("new inputs, nothing edited") << false << 4.0 << none << false << true;
        QTest::newRow("new inputs, «Да»") << true << 4.0 << yes << true << true;
        QTest::newRow("new inputs, «Нет»") << true << 4.0 << no << true << false;
    }
    void calculationAfterHandEdits() {
        QFETCH(bool, edited);
        QFETCH(double, length);
        QFETCH(int, answer);
        QFETCH(bool, asked);
        QFETCH(bool, laidOutAnew);
        PlanUnderTest t;
        plan::PlanInputs in = startPlan(".");
        t.window->showCalculation(in);
        // The last one to the far end wall.
        QTest::mouseClick(t.view(), Qt::LeftButton, {}, t.at(t.speakers().back()));
        for (int i = 0; i < (edited ? 5 : 0); ++i)
            QTest::keyClick(t.view(), Qt::Key_Right, Qt::ShiftModifier);
        const std::vector<plan::Speaker> mine = t.speakers();
        if (answer >= 0)
            t.dialogs.answers.append(Dialogs::Answer(answer));
        in.length = length;
        t.window->showCalculation(in);
        QCOMPARE(t.dialogs.questions(),
                 asked ? QStringList{"План помещения|Расстановка изменена вручную. Расставить "
                                     "громкоговорители заново?"}
                       : QStringList());
        if (laidOutAnew) {
            QVERIFY(t.speakers() == plan::layOut(in, plan::Method::ByCount));
        } else {
            // Kept, the one at the old end wall now at the new one.
            QCOMPARE(t.speakers().back().x, length);
            QCOMPARE(t.speakers().front(), mine.front());
        }
        QCOMPARE(t.window->document().handEdited, edited && !laidOutAnew);
        QCOMPARE(t.window->document().method, QStringLiteral("По расчету"));
    }

    // At the most the plan draws, a double click adds nothing and says why; Delete still works.
    void addBeyondTheLimitRefused() {
        PlanUnderTest t;
        plan::PlanInputs in = startPlan(".");
        in.type = SpeakerType::Wall;
        in.count = int(plan::kMaxDrawnSpeakers);
        t.window->showCalculation(in);
        const std::vector<plan::Speaker> full = t.speakers();
        QCOMPARE(full.size(), plan::kMaxDrawnSpeakers);
        QVERIFY(!t.state().contains(QStringLiteral("двойной щелчок")));
        QTest::mouseDClick(t.view(), Qt::LeftButton, {}, t.at(in.length / 2, in.width / 2));
        QVERIFY(t.speakers() == full);
        QCOMPARE(t.state(),
                 QStringLiteral("Не больше 2000 громкоговорителей на плане — новый не добавлен"));
        QVERIFY(!t.button("undoButton")->isEnabled());
        QTest::keyClick(t.view(), Qt::Key_PageDown);
        QVERIFY(t.state().contains(QStringLiteral("Delete — удалить")));
        QTest::keyClick(t.view(), Qt::Key_Delete);
        QCOMPARE(t.count(), plan::kMaxDrawnSpeakers - 1);
    }

    // The picked loudspeaker's panel moves it, only inside the room, and across to the other wall.
    void panelMovesThePicked_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("x");
        QTest::newRow("typed X") << int(SpeakerType::Ceiling) << "2,25" << 2.25;
        // The 7 would leave the 6 m room and is refused.
        QTest::newRow("typed X beyond the room") << int(SpeakerType::Ceiling) << "75" << 5.0;
        QTest::newRow("the other wall") << int(SpeakerType::Horn) << "" << -1.0;
    }
    void panelMovesThePicked() {
        QFETCH(int, type);
        QFETCH(QString, typed);
        QFETCH(double, x);
        PlanUnderTest t;
        plan::PlanInputs in = startPlan(".");
        in.type = SpeakerType(type);
        t.window->showCalculation(in);
        const plan::Speaker first = t.speakers().front();
        QTest::mouseClick(t.view(), Qt::LeftButton, {}, t.at(first));
        QVERIFY(t.window->findChild<QLabel*>("selectedLevel")->text().contains(" дБ"));
        if (typed.isEmpty()) {
            auto* wall = t.window->findChild<QComboBox*>("selectedWall");
            QVERIFY(t.window->findChild<QDoubleSpinBox*>("selectedY")->isReadOnly());
            wall->setCurrentIndex(1);
            emit wall->activated(1);
            QCOMPARE(t.speakers().front().wall, plan::Wall::Far);
            QCOMPARE(t.speakers().front().y, in.width);
        } else {
            t.type("selectedX", typed);
            QCOMPARE(t.speakers().front().x, x);
            QCOMPARE(t.speakers().front().y, first.y);
        }
    }

    void windowKeys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("helpShown");
        QTest::addColumn<bool>("stillOpen");
        QTest::newRow("F1 shows the plan's help") << int(Qt::Key_F1) << true << true;
        QTest::newRow("the ? button shows it") << 0 << true << true;
        QTest::newRow("Escape closes the window") << int(Qt::Key_Escape) << false << false;
    }
    void windowKeys() {
        QFETCH(int, key);
        QFETCH(bool, helpShown);
        QFETCH(bool, stillOpen);
        PlanUnderTest t;
        if (key)
            QTest::keyClick(t.window.get(), Qt::Key(key));
        else
            t.window->findChild<QPushButton*>("BtnHelp")->click();
        auto* help = t.window->findChild<QDialog*>("planHelp");
        QCOMPARE(help && help->isVisible(), helpShown);
        QVERIFY(t.dialogs.shown.isEmpty());
        if (helpShown) {
            QCOMPARE(help->windowTitle(), QStringLiteral("Справка по плану"));
            // A screen 768 pixels high holds it whole, title bar and task bar included.
            QVERIFY(help->frameGeometry().height() <= 700);
            // Its numbers are the ones the plan checks, with the window's separator.
            const QString text = help->findChild<QTextBrowser*>()->toPlainText();
            for (const QString& number :
                 {QString::number(plan::kFigureSpacing).replace('.', ','),
                  QString::number(plan::kStandardListen).replace('.', ','),
                  QString::number(plan::kMaxTotalLevel), QString::number(plan::kAboveNoise)})
                QVERIFY2(text.contains(number + " "), qPrintable(number));
            for (QPushButton* button : help->findChildren<QPushButton*>())
                if (button->text() == QStringLiteral("Закрыть"))
                    button->click();
            QVERIFY(!help->isVisible());
        }
        QCOMPARE(t.window->isVisible(), stillOpen);
    }

    // A check reads its verdict in a word and a colour; the worst point's row finds the point.
    void figureTable_data() {
        QTest::addColumn<double>("noise");
        QTest::addColumn<QString>("verdict");
        QTest::addColumn<bool>("green");
        QTest::newRow("noise check met") << 40.0 << "— выполнено" << true;
        QTest::newRow("noise check failed") << 85.0 << "— не выполнено" << false;
    }
    void figureTable() {
        QFETCH(double, noise);
        QFETCH(QString, verdict);
        QFETCH(bool, green);
        PlanUnderTest t;
        plan::PlanInputs in = startPlan(".");
        in.roomNoise = noise;
        t.window->showCalculation(in);
        const int check = t.rowOf(QStringLiteral("Уровень не менее чем на"));
        QVERIFY(check >= 0);
        const QTableWidgetItem* value = t.table()->item(check, 1);
        QVERIFY(value->text().endsWith(verdict));
        const QColor colour = value->foreground().color();
        QCOMPARE(colour.green() > colour.red(), green);
        QVERIFY(colour.green() != colour.red());

        const int worst = t.rowOf(QStringLiteral("Минимальный уровень"));
        QVERIFY(worst >= 0 && worst != check);
        t.table()->setCurrentCell(check, 0);
        QVERIFY(!t.view()->scene().worstFlash);
        t.table()->setCurrentCell(worst, 0);
        QVERIFY(t.view()->scene().worstFlash);
        QTRY_VERIFY_WITH_TIMEOUT(!t.view()->scene().worstFlash, 3000);
    }

    // No label of the picture covers another, in a narrow corridor as in a square room, and
    // each axis ends in a number.
    void labelsKeepApart_data() {
        QTest::addColumn<double>("length");
        QTest::addColumn<double>("width");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("atLeast"); // labels there is room for: numbers and axis ends
        QTest::newRow("start example") << 0.0 << 0.0 << 5 << int(SpeakerType::Ceiling) << 9;
        QTest::newRow("corridor 100 x 2, a row of ceiling loudspeakers")
            << 100.0 << 2.0 << 40 << int(SpeakerType::Ceiling) << 4;
        QTest::newRow("corridor 60 x 1.5, numbered ceiling loudspeakers")
            << 60.0 << 1.5 << 30 << int(SpeakerType::Ceiling) << 34;
        QTest::newRow("corridor 100 x 2, wall loudspeakers on both walls")
            << 100.0 << 2.0 << 30 << int(SpeakerType::Wall) << 4;
    }
    void labelsKeepApart() {
        QFETCH(double, length);
        QFETCH(double, width);
        QFETCH(int, count);
        QFETCH(int, type);
        QFETCH(int, atLeast);
        plan::PlanInputs in = startPlan(".");
        if (length > 0)
            std::tie(in.length, in.width, in.count, in.type) =
                std::tuple(length, width, count, SpeakerType(type));
        const PlanScene scene = makeScene(in, plan::layOut(in, plan::Method::ByCount));
        QImage image(900, 400, QImage::Format_RGB32);
        QPainter painter(&image);
        std::vector<QRectF> labels;
        paintPlan(painter, image.rect(), scene, nullptr, &labels);
        painter.end();
        QVERIFY(int(labels.size()) >= atLeast);
        for (std::size_t i = 0; i < labels.size(); ++i)
            for (std::size_t j = i + 1; j < labels.size(); ++j)
                QVERIFY2(!labels[i].intersects(labels[j]),
                         qPrintable(QString("%1 and %2").arg(i).arg(j)));
        // The room's far end carries its number below the axis.
        const QPointF end = planMapping(image.rect(), scene).toScreen(in.length, 0);
        QVERIFY(std::any_of(labels.begin(), labels.end(), [&](const QRectF& r) {
            return std::abs(r.center().x() - end.x()) < 1 && r.top() > end.y();
        }));
    }

    void deletingEveryLoudspeakerLeavesAnEmptyRoom() {
        PlanUnderTest t;
        t.window->showCalculation(startPlan("."));
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(t.view(), Qt::Key_PageDown);
            QTest::keyClick(t.view(), Qt::Key_Delete);
        }
        QCOMPARE(t.count(), std::size_t{0});
        QVERIFY(!t.view()->grab().isNull());
        QTest::mouseDClick(t.view(), Qt::LeftButton, {}, t.at(2, 2));
        QCOMPARE(t.count(), std::size_t{1});
    }

    // Zooming keeps the room's point under the pointer, moving keeps the loudspeakers, and the
    // fitted room comes back whole.
    void zoomAndPan_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<bool>("fitted");
        QTest::addColumn<QPoint>("shift"); // of the room's point that was under the pointer
        const QStringList in{"wheel 3"};
        QTest::newRow("wheel zooms in about the pointer") << in << false << QPoint();
        QTest::newRow("wheel stops at the deepest zoom, still about the pointer")
            << QStringList{"wheel 400"} << false << QPoint();
        QTest::newRow("wheel out of the fitted room keeps it fitted")
            << QStringList{"wheel -3"} << true << QPoint();
        QTest::newRow("0 fits the room again") << in + QStringList{"key 0"} << true << QPoint();
        QTest::newRow("the fit button fits the room again")
            << in + QStringList{"fit"} << true << QPoint();
        QTest::newRow("middle drag moves the zoomed room")
            << in + QStringList{"middle"} << false << QPoint(-40, 25);
        QTest::newRow("left drag with Space moves the room, not the loudspeaker under it")
            << in + QStringList{"space"} << false << QPoint(-40, 25);
    }
    void zoomAndPan() {
        QFETCH(QStringList, steps);
        QFETCH(bool, fitted);
        QFETCH(QPoint, shift);
        PlanUnderTest t;
        t.window->showCalculation(startPlan("."));
        const PlanMapping fit = t.view()->mapping();
        const PlanScene before = t.view()->scene();
        // The fourth loudspeaker, so that a drag starting there would move it.
        const QPoint pointer = t.at(before.speakers.at(3));
        const QPointF held = fit.toRoom(pointer);
        for (const QString& step : steps) {
            if (step.startsWith("wheel"))
                t.wheel(pointer, step.section(' ', 1).toInt());
            else if (step == "key 0")
                QTest::keyClick(t.view(), Qt::Key_0);
            else if (step == "fit")
                QTest::mouseClick(t.window->findChild<QPushButton*>("fitButton"), Qt::LeftButton);
            else if (step == "middle")
                t.drag(pointer, pointer + shift, Qt::MiddleButton);
            else if (step == "space") {
                QTest::keyPress(t.view(), Qt::Key_Space);
                t.drag(pointer, pointer + shift, Qt::LeftButton);
                QTest::keyRelease(t.view(), Qt::Key_Space);
            }
        }
        const PlanMapping now = t.view()->mapping();
        QVERIFY(std::isfinite(now.pixelsPerMetre) && std::isfinite(now.origin.x()));
        if (fitted) {
            QCOMPARE(now.pixelsPerMetre, fit.pixelsPerMetre);
            QVERIFY(QLineF(now.origin, fit.origin).length() < 1e-6);
        } else {
            QVERIFY(now.pixelsPerMetre > 1.5 * fit.pixelsPerMetre);
            QVERIFY(QLineF(now.toScreen(held.x(), held.y()), pointer + shift).length() <= 1);
        }
        QCOMPARE(t.view()->scene().speakers, before.speakers);
        QCOMPARE(t.view()->scene().figures.minLevel, before.figures.minLevel);
    }

    // A dragged loudspeaker keeps to the chosen step and to the room, in a zoomed view too.
    void dragKeepsToSnapAndRoom_data() {
        QTest::addColumn<int>("snap"); // row of the snap list
        QTest::addColumn<int>("zoom"); // wheel notches first
        QTest::addColumn<QPointF>("to");
        QTest::addColumn<QPointF>("expected");
        QTest::newRow("tenths") << 2 << 0 << QPointF(2.41, 4.09) << QPointF(2.4, 4.1);
        QTest::newRow("half metres, zoomed") << 3 << 4 << QPointF(2.41, 4.09) << QPointF(2.5, 4.0);
        QTest::newRow("tile centres") << 4 << 0 << QPointF(2.2, 3.8) << QPointF(2.1, 3.9);
        QTest::newRow("far outside the window: the room's corner")
            << 0 << 0 << QPointF(-400, -300) << QPointF(0, 0);
        QTest::newRow("far outside with tiles: the last tile inside")
            << 4 << 0 << QPointF(400, 300) << QPointF(5.7, 5.7);
    }
    void dragKeepsToSnapAndRoom() {
        QFETCH(int, snap);
        QFETCH(int, zoom);
        QFETCH(QPointF, to);
        QFETCH(QPointF, expected);
        PlanUnderTest t;
        t.window->showCalculation(startPlan("."));
        auto* snaps = t.window->findChild<QComboBox*>("snapList");
        QCOMPARE(snaps->itemText(4), QStringLiteral("плитка 0,6 м"));
        snaps->setCurrentIndex(snap);
        emit snaps->activated(snap);
        const plan::Speaker start = t.view()->scene().speakers.back();
        t.wheel(t.at(start), zoom);
        t.drag(t.at(start), t.at(to.x(), to.y()), Qt::LeftButton);
        const plan::Speaker moved = t.view()->scene().speakers.back();
        QVERIFY(std::abs(moved.x - expected.x()) < 1e-9);
        QVERIFY(std::abs(moved.y - expected.y()) < 1e-9);
    }

    // The map's colours stand where the levels are: a louder point is drawn lighter, and a
    // stale picture only in greys.
    void mapFollowsLevels_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("method");
        QTest::addColumn<QPointF>("a");
        QTest::addColumn<QPointF>("b");
        QTest::addColumn<bool>("stale");
        // Points whose order of levels turns round when the map is drawn upside down.
        QTest::newRow("ceiling: far corner against beside a loudspeaker")
            << int(SpeakerType::Ceiling) << 0 << QPointF(0.3, 5.6) << QPointF(0.3, 1.0) << false;
        QTest::newRow("one wall: below the loudspeakers against across the room")
            << int(SpeakerType::Wall) << 1 << QPointF(2.4, 0.15) << QPointF(2.4, 5.6) << false;
        QTest::newRow("stale picture in greys")
            << int(SpeakerType::Ceiling) << 0 << QPointF(0.3, 5.6) << QPointF(0.3, 1.0) << true;
    }
    void mapFollowsLevels() {
        QFETCH(int, type);
        QFETCH(int, method);
        QFETCH(QPointF, a);
        QFETCH(QPointF, b);
        QFETCH(bool, stale);
        plan::PlanInputs in = startPlan(".");
        in.type = SpeakerType(type);
        PlanScene scene =
            makeScene(in, plan::layOut(in, plan::methodsFor(in.type).at(std::size_t(method))));
        scene.stale = stale;
        QImage image(800, 600, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        paintPlan(painter, image.rect(), scene);
        painter.end();
        const PlanMapping m = planMapping(image.rect(), scene);
        auto colour = [&](QPointF p) {
            return image.pixelColor(m.toScreen(p.x(), p.y()).toPoint());
        };
        const double levelA = plan::levelAt(in, scene.speakers, a.x(), a.y());
        const double levelB = plan::levelAt(in, scene.speakers, b.x(), b.y());
        QVERIFY(levelA + 3 < levelB);
        QVERIFY(qGray(colour(a).rgb()) + 20 < qGray(colour(b).rgb()));
        for (const QPointF p : {a, b})
            QCOMPARE(colour(p).red() == colour(p).blue() && colour(p).green() == colour(p).blue(),
                     stale);
    }

    // The chosen map is what the picture and the figures show; the direct one comes back as it
    // was.
    void mapChoice_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("map");
        QTest::newRow("ceiling, total level") << int(SpeakerType::Ceiling) << 1;
        QTest::newRow("ceiling, STI") << int(SpeakerType::Ceiling) << 2;
        QTest::newRow("wall, total level") << int(SpeakerType::Wall) << 1;
        QTest::newRow("wall, STI") << int(SpeakerType::Wall) << 2;
    }
    void mapChoice() {
        QFETCH(int, type);
        QFETCH(int, map);
        PlanUnderTest t;
        plan::PlanInputs in = startPlan(",");
        in.type = SpeakerType(type);
        t.window->showCalculation(in);
        const std::vector<float> direct = t.view()->scene().levels;
        const QString directFigures = t.figures();
        // Against the direct levels of the loudspeakers as they stand; a drag's own map may
        // differ from them in the last digits.
        auto follows = [&](const std::vector<float>& below) {
            const std::vector<float>& shown = t.view()->scene().levels;
            QCOMPARE(shown.size(), below.size());
            float apart = 0;
            for (std::size_t i = 0; i < shown.size(); ++i) {
                if (map == 1)
                    QVERIFY(shown[i] >= below[i] - 1e-3f);
                else
                    QVERIFY(shown[i] >= 0 && shown[i] <= 1);
                apart = std::max(apart, std::abs(shown[i] - below[i]));
            }
            QVERIFY(apart > 0.1f);
        };
        t.pick("mapList", map);
        follows(direct);
        QVERIFY(t.figures() != directFigures);
        QCOMPARE(t.rowOf(QStringLiteral("STI, среднее")) >= 0, map == 2);
        // Mid-drag, the map still is the one chosen.
        const plan::Speaker first = t.speakers().front();
        QTest::mousePress(t.view(), Qt::LeftButton, {}, t.at(first));
        QTest::mouseMove(t.view(), t.at(first.x + 1, first.y));
        QTRY_VERIFY(t.speakers().front() != first);
        QTest::qWait(10);
        follows(makeScene(in, t.speakers()).levels);
        QTest::mouseRelease(t.view(), Qt::LeftButton, {}, t.at(first.x + 1, first.y));
        t.button("undoButton")->click();
        t.pick("mapList", 0);
        QCOMPARE(t.view()->scene().levels, direct);
        QCOMPARE(t.figures(), directFigures);
    }

    // Hard finishes carry the reverberation that blurs speech; the index follows the room.
    void stiFollowsFinishes_data() {
        QTest::addColumn<int>("type");
        QTest::newRow("ceiling") << int(SpeakerType::Ceiling);
        QTest::newRow("wall") << int(SpeakerType::Wall);
    }
    void stiFollowsFinishes() {
        QFETCH(int, type);
        PlanUnderTest t;
        plan::PlanInputs in = startPlan(",");
        in.type = SpeakerType(type);
        t.window->showCalculation(in);
        t.pick("mapList", 2);
        auto meanWith = [&](const char* floor, const char* ceiling, const char* walls) {
            t.pickMaterial("floorList", floor);
            t.pickMaterial("ceilingList", ceiling);
            t.pickMaterial("wallList", walls);
            return t.view()->scene().sti.mean;
        };
        const double hard = meanWith("concrete", "concrete", "concrete");
        const double damped = meanWith("carpet-underlay", "mineral-tile", "concrete");
        QVERIFY2(hard + 0.05 < damped, qPrintable(QString("%1 %2").arg(hard).arg(damped)));
    }

    // A room lower than the loudspeakers hang says so in red; the last good map stays.
    void roomBelowMountingKeepsMap() {
        PlanUnderTest t;
        const plan::PlanInputs in = startPlan(",");
        t.window->showCalculation(in);
        t.pick("mapList", 1);
        const std::vector<float> before = t.view()->scene().levels;
        auto* error = t.window->findChild<QLabel*>("roomError");
        QVERIFY(error->isHidden());
        t.type("roomHeight", QString::number(in.mountHeight - 0.5).replace('.', ','));
        QVERIFY(!error->isHidden());
        QVERIFY(error->text().startsWith(QStringLiteral("Высота помещения")));
        QCOMPARE(t.view()->scene().levels, before);
        t.type("roomHeight", QString::number(in.mountHeight + 3).replace('.', ','));
        QVERIFY(error->isHidden());
        QVERIFY(t.view()->scene().levels != before);
    }

    // Typed values the room cannot take say why in red; the last good map stays.
    void typedRoomRefusals_data() {
        QTest::addColumn<QString>("row");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("message"); // how it begins
        const QStringList seven(7, QStringLiteral("50"));
        QTest::newRow("noise in one octave only")
            << "noise" << QStringList{"50"} << "Заполните все семь октав в строке «Шум, дБ»";
        QStringList word = seven;
        word[3] = QStringLiteral("abc");
        QTest::newRow("noise not a number")
            << "noise" << word << "В строке «Шум, дБ» в октаве 1000 Гц «abc» — не число.";
        QTest::newRow("noise of 200 dB")
            << "noise" << QStringList(7, "200") << "Уровень шума в октаве 125 Гц (200,0 дБ)";
        QTest::newRow("reverberation of 0 s")
            << "measured" << QStringList(7, "0") << "Время реверберации в октаве 125 Гц (0,00 с)";
        QTest::newRow("reverberation of 100 s") << "measured" << QStringList(7, "100")
                                                << "Время реверберации в октаве 125 Гц (100,00 с)";
    }
    void typedRoomRefusals() {
        QFETCH(QString, row);
        QFETCH(QStringList, values);
        QFETCH(QString, message);
        PlanUnderTest t;
        t.window->showCalculation(startPlan(","));
        t.pick("mapList", 2);
        const std::vector<float> before = t.view()->scene().levels;
        auto* error = t.window->findChild<QLabel*>("roomError");
        t.typeOctaves(row.toLatin1().constData(), values);
        QVERIFY(!error->isHidden());
        QVERIFY2(error->text().startsWith(message), qPrintable(error->text()));
        QCOMPARE(t.view()->scene().levels, before);
        t.typeOctaves(row.toLatin1().constData(), QStringList(7, QString()));
        QVERIFY(error->isHidden());
    }

    // The tick moves the check over the noise to the sleeper's head, at the height typed.
    void sleepingRoom() {
        PlanUnderTest t;
        const plan::PlanInputs in = startPlan(",");
        t.window->showCalculation(in);
        const QString atHead = QStringLiteral("Уровень не менее чем на 15 дБ выше шума и не ниже");
        const QString notApplied = QStringLiteral("не применяется");
        auto value = [&](const QString& caption) {
            return t.table()->item(t.rowOf(caption), 1)->text();
        };
        QVERIFY(value(QStringLiteral("Уровень на высоте головы")).startsWith(notApplied));
        t.window->findChild<QCheckBox*>("sleepingRoom")->click();
        QVERIFY(value(QStringLiteral("Уровень не менее чем на 15 дБ выше шума во всех"))
                    .startsWith(notApplied));
        const QString low = value(atHead);
        QVERIFY2(low.startsWith(QStringLiteral("минимум")), qPrintable(low));
        QVERIFY(t.table()->item(t.rowOf(atHead), 0)->text().contains(QStringLiteral("0,60 м")));
        t.type("headHeight", QStringLiteral("1,2"));
        QVERIFY(t.table()->item(t.rowOf(atHead), 0)->text().contains(QStringLiteral("1,20 м")));
        QVERIFY(value(atHead) != low);
        // Mid-drag the head's map follows the loudspeaker as a whole new one would.
        const plan::Speaker first = t.speakers().front();
        QTest::mousePress(t.view(), Qt::LeftButton, {}, t.at(first));
        QTest::mouseMove(t.view(), t.at(first.x + 1, first.y + 1));
        QTRY_VERIFY(t.speakers().front() != first);
        QTest::qWait(10);
        const plan::RoomChecks checks = checksOf(t.view()->scene());
        QVERIFY(std::abs(t.view()->scene().figures.headMinLevel -
                         makeScene(in, t.speakers(), checks).figures.headMinLevel) < 0.01);
        QTest::mouseRelease(t.view(), Qt::LeftButton, {}, t.at(first.x + 1, first.y + 1));
    }

    // The tab's state is one value: set, it is shown and mapped, and read back the same.
    void acousticsRoundTrip() {
        PlanUnderTest t;
        const plan::PlanInputs in = startPlan(",");
        t.window->showCalculation(in);
        t.pick("mapList", 2);
        plan::RoomSetup setup;
        setup.height = in.mountHeight + 1.25;
        setup.floor = "carpet-underlay";
        setup.people = 12;
        setup.measured = plan::Bands{1.5, 1.4, 1.2, 1.1, 1.0, 0.9, 0.75};
        setup.noise = plan::Bands{55, 52, 50, 47.5, 44, 40, 35};
        setup.sleeping = true;
        setup.headHeight = 0.45;
        t.window->setAcoustics(setup);
        QVERIFY(t.window->acoustics() == setup);
        const PlanScene& scene = t.view()->scene();
        QVERIFY(scene.setup == setup && scene.room && scene.room->measured);
        QCOMPARE(scene.room->reverberation, *setup.measured);
        QCOMPARE(scene.shown, MapKind::Sti);
        t.window->setAcoustics({});
        QVERIFY(t.window->acoustics() == plan::RoomSetup{});
        QVERIFY(!t.view()->scene().room->measured);
    }
};

QTEST_MAIN(TstPlanWindow)
#include "tst_plan_window.moc"
