#include "project/project_figures.h"
#include "project/project_file.h"
#include "ui/plan/plan_window.h"
#include "ui/project/project_recovery.h"
#include "ui/project/project_window.h"
#include "ui/project/recent_projects.h"
#include "ui/project/room_table.h"
#include "ui/ui_test_support.h"

#include <QAction>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>

using namespace pa;

namespace {

struct ProjectUnderTest {
    ProjectUnderTest() {
        w.window->findChild<QAction*>(QStringLiteral("Mproject"))->trigger();
        project = w.window->findChild<ProjectWindow*>();
    }
    QTableWidget* rooms() const { return project->findChild<QTableWidget*>("roomTable"); }
    // Every cell of the rooms table, row by row.
    QStringList roomCells() const {
        QStringList cells;
        for (int r = 0; r < rooms()->rowCount(); ++r)
            for (int c = 0; c < rooms()->columnCount(); ++c)
                cells << rooms()->item(r, c)->text();
        return cells;
    }
    void calculate() const { w.get<QPushButton>("Command1")->click(); }
    void add() const { project->findChild<QPushButton*>("addFromCalculationButton")->click(); }
    void trigger(const char* action) const {
        project->findChild<QAction*>(QString::fromLatin1(action))->trigger();
    }
    QString file(const char* name) const { return folder.filePath(QString::fromLatin1(name)); }
    QStringList roomNames() const {
        QStringList names;
        for (const project::Room& room : project->project().rooms)
            names << QString::fromStdString(room.name);
        return names;
    }

    WindowUnderTest w;
    ProjectWindow* project = nullptr;
    QTemporaryDir folder;
};

} // namespace

class TstProjectWindow : public QObject {
    Q_OBJECT

private slots:
    void addFromCalculation_data();
    void addFromCalculation();
    void saveAndOpenRoundTrip();
    void unsavedChanges_data();
    void unsavedChanges();
    void fileFaults_data();
    void fileFaults();
    void lineEdits_data();
    void lineEdits();
    void fileChangedElsewhere_data();
    void fileChangedElsewhere();
    void recoveryCopies_data();
    void recoveryCopies();
    void levelsOffTheInterfaceThread();
    void openInCalculation_data();
    void openInCalculation();
    void dragReorders_data();
    void dragReorders();
    void headerSorts_data();
    void headerSorts();
    void recentFiles_data();
    void recentFiles();
    void commandLineOpen_data();
    void commandLineOpen();
};

void TstProjectWindow::addFromCalculation_data() {
    QTest::addColumn<QString>("length");
    QTest::addColumn<QString>("width");
    QTest::addColumn<int>("listenPick");
    QTest::newRow("the start example") << "6"
                                       << "6" << -1;
    QTest::newRow("a long hall") << "48"
                                 << "12" << -1;
    QTest::newRow("a seated audience") << "20"
                                       << "10" << 0;
}

// The room the window adds lays out as many loudspeakers as the main window counted.
void TstProjectWindow::addFromCalculation() {
    QFETCH(QString, length);
    QFETCH(QString, width);
    QFETCH(int, listenPick);
    ProjectUnderTest p;
    p.w.edit("TxtL")->setText(length);
    p.w.edit("TxtW")->setText(width);
    if (listenPick >= 0)
        p.w.pick("CmbVP", listenPick);
    p.calculate();
    const QString count = p.w.caption("LblKs");
    QVERIFY(!count.isEmpty());
    p.add();
    QCOMPARE(p.rooms()->rowCount(), 1);
    QCOMPARE(p.rooms()->item(0, 5)->text(), count);
    QCOMPARE(QString::fromStdString(p.project->project().rooms.at(0).length), length);
    QVERIFY(p.project->isWindowModified());
    // A room's acoustics last through a calculation before the plan is built.
    project::Room kept = *p.w.window->lastCalculation();
    kept.acoustics.emplace().floor = "concrete";
    p.w.window->openRoom(kept);
    p.calculate();
    QCOMPARE(p.w.window->lastCalculation()->acoustics, kept.acoustics);
    // Undo takes the room back out.
    p.trigger("undoAction");
    QCOMPARE(p.rooms()->rowCount(), 0);
}

void TstProjectWindow::saveAndOpenRoundTrip() {
    ProjectUnderTest p;
    p.calculate();
    p.add();
    p.w.edit("TxtL")->setText(QStringLiteral("30"));
    p.calculate();
    p.add();
    p.rooms()->item(0, 0)->setText(QStringLiteral("Холл 1"));
    QTRY_COMPARE(p.project->project().rooms.at(0).name, std::string("Холл 1"));
    // Delete removes the selected room; Ctrl+Z brings it back.
    p.rooms()->setFocus();
    p.rooms()->setCurrentCell(1, 0);
    QTest::keyClick(p.rooms(), Qt::Key_Delete);
    QCOMPARE(p.rooms()->rowCount(), 1);
    QTest::keyClick(p.rooms(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(p.rooms()->rowCount(), 2);
    const QStringList shown = p.roomCells();

    p.w.dialogs.saves.append({p.file("a.pacov"), {}});
    p.trigger("saveAction");
    p.trigger("newAction");
    QCOMPARE(p.rooms()->rowCount(), 0);
    QVERIFY(p.w.dialogs.questions().isEmpty());
    p.w.dialogs.opens.append(p.file("a.pacov"));
    p.trigger("openAction");
    QCOMPARE(p.roomCells(), shown);
    QCOMPARE(p.project->fileName(), p.file("a.pacov"));
    QVERIFY(!p.project->isWindowModified());
}

void TstProjectWindow::unsavedChanges_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<Dialogs::Answer>("answer");
    QTest::addColumn<bool>("stillOpen");
    QTest::addColumn<int>("roomsAfter");
    QTest::addColumn<bool>("saved");
    QTest::newRow("close, Нет discards") << "close" << Dialogs::Answer::No << false << 0 << false;
    QTest::newRow("close, Отмена keeps")
        << "close" << Dialogs::Answer::Cancel << true << 1 << false;
    QTest::newRow("close, Да saves") << "close" << Dialogs::Answer::Yes << false << 1 << true;
    QTest::newRow("new, Нет discards") << "newAction" << Dialogs::Answer::No << true << 0 << false;
    QTest::newRow("new, Отмена keeps")
        << "newAction" << Dialogs::Answer::Cancel << true << 1 << false;
    QTest::newRow("open, Да saves first")
        << "openAction" << Dialogs::Answer::Yes << true << 1 << true;
    // stillOpen is then the main window's: quitting is refused or done.
    QTest::newRow("quit, Отмена keeps the program")
        << "quit" << Dialogs::Answer::Cancel << true << 1 << false;
    QTest::newRow("quit, Да saves") << "quit" << Dialogs::Answer::Yes << false << 1 << true;
}

void TstProjectWindow::unsavedChanges() {
    QFETCH(QString, command);
    QFETCH(Dialogs::Answer, answer);
    QFETCH(bool, stillOpen);
    QFETCH(int, roomsAfter);
    QFETCH(bool, saved);
    ProjectUnderTest p;
    p.project->show();
    p.project->findChild<QLineEdit*>("projectName")->setText(QStringLiteral("Школа"));
    emit p.project->findChild<QLineEdit*>("projectName")->editingFinished();
    p.calculate();
    p.add();
    p.w.dialogs.answers.append(answer);
    p.w.dialogs.saves.append({p.file("s.pacov"), {}});
    if (command == "close")
        p.project->close();
    else if (command == "quit")
        p.w.window->close();
    else
        p.trigger(command.toLatin1().constData());
    QCOMPARE(p.w.dialogs.questions(),
             QStringList("Расчет громкоговорителей|Сохранить изменения в проекте «Школа»?"));
    QCOMPARE((command == "quit" ? static_cast<QWidget*>(p.w.window.get()) : p.project)->isVisible(),
             stillOpen);
    QCOMPARE(static_cast<int>(p.project->project().rooms.size()), roomsAfter);
    QCOMPARE(QFile::exists(p.file("s.pacov")), saved);
    if (saved)
        QCOMPARE(project::openProject(p.file("s.pacov").toStdString()).project->rooms.size(), 1U);
}

void TstProjectWindow::fileFaults_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("saving");
    QTest::addColumn<QString>("reason");
    QTest::newRow("not a project")
        << QByteArray("{\"rooms\": []}") << false << "В файле нет номера формата";
    QTest::newRow("newer format") << QByteArray("{\"format\": 99}") << false
                                  << "более новой версией программы";
    QTest::newRow("damaged bytes") << QByteArray("{\"format\": 1, \"rooms\": [") << false << "";
    QTest::newRow("read-only target") << QByteArray("{}") << true << "только для чтения";
}

// A file that will not do is named with the reason; the project shown stays as it was.
void TstProjectWindow::fileFaults() {
    QFETCH(QByteArray, content);
    QFETCH(bool, saving);
    QFETCH(QString, reason);
    ProjectUnderTest p;
    p.calculate();
    p.add();
    const QString path = p.file("bad.pacov");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    if (saving) {
        QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        p.w.dialogs.saves.append({path, {}});
        p.trigger("saveAsAction");
    } else {
        p.w.dialogs.answers.append(Dialogs::Answer::No);
        p.w.dialogs.opens.append(path);
        p.trigger("openAction");
    }
    const QStringList shown = p.w.dialogs.informations();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown[0].contains("«" + path + "»") && shown[0].contains(reason),
             qPrintable(shown[0]));
    QCOMPARE(p.project->project().rooms.size(), 1U);
    QVERIFY(p.project->isWindowModified());
    QCOMPARE(p.project->fileName(), QString());
}

void TstProjectWindow::lineEdits_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown"); // the cell afterwards
    QTest::addColumn<bool>("refused");
    QTest::newRow("cable length taken") << 2 << "120"
                                        << "120.0" << false;
    QTest::newRow("70 V taken") << 1 << "70"
                                << "70" << false;
    QTest::newRow("50 V refused") << 1 << "50"
                                  << "100" << true;
    QTest::newRow("a section that is no number") << 3 << "abc"
                                                 << "1.50" << true;
    QTest::newRow("control characters leave a name")
        << 0 << QString("Л\x01ифт\t") << "Лифт" << true;
}

// A line's fields take what a file can hold; a room wired to it counts on it.
void TstProjectWindow::lineEdits() {
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(bool, refused);
    ProjectUnderTest p;
    p.calculate();
    p.add();
    p.project->findChild<QPushButton*>("addLineButton")->click();
    auto* lines = p.project->findChild<QTableWidget*>("lineTable");
    QCOMPARE(lines->rowCount(), 1);
    p.rooms()->item(0, 9)->setData(Qt::UserRole,
                                   QString::fromStdString(p.project->project().lines[0].id));
    QTRY_COMPARE(lines->item(0, 4)->text(), QString("1"));
    QCOMPARE(p.rooms()->item(0, 9)->text(), QString("Линия 1"));
    lines->item(0, column)->setText(typed);
    QTRY_COMPARE(lines->item(0, column)->text(), shown);
    QCOMPARE(p.w.dialogs.informations().size(), refused ? 1 : 0);
}

void TstProjectWindow::fileChangedElsewhere_data() {
    QTest::addColumn<Dialogs::Answer>("answer");
    QTest::newRow("Нет keeps the other program's file") << Dialogs::Answer::No;
    QTest::newRow("Да replaces it") << Dialogs::Answer::Yes;
}

// Saving over a file another program wrote since asks first, and «Нет» leaves it byte for byte.
void TstProjectWindow::fileChangedElsewhere() {
    QFETCH(Dialogs::Answer, answer);
    ProjectUnderTest p;
    p.calculate();
    p.add();
    const QString path = p.file("a.pacov");
    p.w.dialogs.saves.append({path, {}});
    p.trigger("saveAsAction");
    const QByteArray theirs = R"({"format": 1, "rooms": [], "name": "чужой"})";
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(theirs);
    file.close();
    p.add();
    p.w.dialogs.answers.append(answer);
    p.trigger("saveAction");
    QCOMPARE(p.w.dialogs.questions().size(), 1);
    QVERIFY(p.w.dialogs.questions()[0].contains("изменен другой программой"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray after = file.readAll();
    QCOMPARE(after == theirs, answer == Dialogs::Answer::No);
    QCOMPARE(p.project->isWindowModified(), answer == Dialogs::Answer::No);
}

void TstProjectWindow::recoveryCopies_data() {
    QTest::addColumn<Dialogs::Answer>("answer");
    QTest::newRow("taken back") << Dialogs::Answer::Yes;
    QTest::newRow("declined") << Dialogs::Answer::No;
}

// One program's copy is not another running program's to offer; once its owner is gone (here:
// the lock let go without the copy being dropped, as a killed program leaves it) the next start
// offers it, and it is gone from the folder either way.
void TstProjectWindow::recoveryCopies() {
    QFETCH(Dialogs::Answer, answer);
    QTemporaryDir folder;
    ProjectUnderTest p;
    ProjectRecovery running(folder.path());
    p.w.window->keepRecoveryCopies(running);
    p.calculate();
    p.add();
    p.project->writeRecoveryCopy();
    const QDir copies(folder.path(), "*.pacov");
    QCOMPARE(copies.count(), 1U);
    ProjectRecovery other(folder.path());
    QVERIFY(other.orphans().empty());

    // What a killed program leaves: its copy and its name, and no lock.
    const QString copy = copies.absoluteFilePath(copies.entryList()[0]);
    QVERIFY(QFile::copy(copy, folder.filePath("gone.pacov")));
    QFile source(folder.filePath("gone.source"));
    QVERIFY(source.open(QIODevice::WriteOnly));
    source.write("/x/Школа.pacov");
    source.close();
    ProjectUnderTest next;
    next.w.dialogs.answers.append(answer);
    offerRecovery(other, next.w.dialogs,
                  [&](const project::Project& project, const QString& fileName) {
                      next.w.window->restoreProject(project, fileName);
                  });
    QCOMPARE(next.w.dialogs.questions().size(), 1);
    QVERIFY(next.w.dialogs.questions()[0].contains("(файл «/x/Школа.pacov»)"));
    QVERIFY(!QFile::exists(folder.filePath("gone.pacov")));
    const bool taken = answer == Dialogs::Answer::Yes;
    QCOMPARE(next.project->project().rooms.size(), taken ? 1U : 0U);
    QCOMPARE(next.project->fileName(), taken ? QString("/x/Школа.pacov") : QString());
    QCOMPARE(next.project->isWindowModified(), taken);

    // Saved, the running program's copy goes.
    p.w.dialogs.saves.append({p.file("s.pacov"), {}});
    p.trigger("saveAsAction");
    QCOMPARE(QDir(folder.path(), "*.pacov").count(), 0U);
}

// A hall too big to map within a frame shows its count at once and its levels when the thread
// brings them, the same levels the project's figures give.
void TstProjectWindow::levelsOffTheInterfaceThread() {
    ProjectUnderTest p;
    p.calculate();
    p.add();
    project::Project hall = p.project->project();
    hall.rooms[0].length = hall.rooms[0].width = "80";
    p.project->restore(hall, {});
    const project::ProjectFigures expected = project::projectFigures(hall);
    QVERIFY(expected.rooms[0].figures.mapped);
    QCOMPARE(p.rooms()->item(0, 5)->text(), QString::number(expected.rooms[0].speakers.size()));
    QCOMPARE(p.rooms()->item(0, 6)->text(), QString("…"));
    QVERIFY(p.project->findChild<QWidget*>("figuresProgress")->isVisibleTo(p.project));
    QTRY_VERIFY_WITH_TIMEOUT(p.rooms()->item(0, 6)->text() != "…", 20000);
    QCOMPARE(p.rooms()->item(0, 6)->text(),
             QString::fromStdString(plan::fixedText(expected.rooms[0].figures.minLevel, 1, ".")) +
                 " дБ");
    QVERIFY(!p.project->findChild<QWidget*>("figuresProgress")->isVisibleTo(p.project));
}

void TstProjectWindow::openInCalculation_data() {
    QTest::addColumn<int>("model"); // the model list's item; -1 keeps the start model
    QTest::addColumn<QString>("length");
    QTest::addColumn<int>("gradation");
    QTest::addColumn<QString>("renamedModel"); // the room's model as a newer file may name it
    QTest::addColumn<bool>("moved");           // a loudspeaker moved by hand in the plan
    QTest::newRow("the start example") << -1 << "6" << 1 << "" << false;
    QTest::newRow("a wall model, third step") << 20 << "30" << 3 << "" << false;
    QTest::newRow("typed power") << int(kModelOtherPosition) << "12" << 2 << "" << false;
    QTest::newRow("a model gone from the list") << -1 << "18" << 1 << "XR-999" << false;
    QTest::newRow("hand positions") << -1 << "24" << 1 << "" << true;
}

// A room opened in the main window calculates there and lays out in the plan exactly as its
// figures in the project say; written back, it is the same room.
void TstProjectWindow::openInCalculation() {
    QFETCH(int, model);
    QFETCH(QString, length);
    QFETCH(int, gradation);
    QFETCH(QString, renamedModel);
    QFETCH(bool, moved);
    ProjectUnderTest p;
    if (model >= 0)
        p.w.pick("CmbD", model);
    if (model == int(kModelOtherPosition))
        p.w.edit("TxtPv")->setText(QStringLiteral("7.5"));
    p.w.edit("TxtL")->setText(length);
    p.w.option(QStringLiteral("Opt_1_%1").arg(gradation).toLatin1().constData())->setChecked(true);
    p.calculate();
    p.w.window->findChild<QAction*>(QStringLiteral("Mplan"))->trigger();
    auto* plan = p.w.window->findChild<PlanWindow*>();
    if (moved) {
        auto* view = plan->findChild<PlanView*>();
        const plan::Speaker first = view->scene().speakers.at(0);
        QTest::mouseClick(view, Qt::LeftButton, {},
                          view->mapping().toScreen(first.x, first.y).toPoint());
        auto* x = plan->findChild<QDoubleSpinBox*>(QStringLiteral("selectedX"));
        x->setValue(first.x + 0.5);
    }
    plan::RoomSetup concrete;
    concrete.floor = concrete.ceiling = concrete.walls = "concrete";
    concrete.people = 7;
    plan->setAcoustics(concrete);
    p.add();
    project::Project before = p.project->project();
    QCOMPARE(before.rooms[0].acoustics, std::optional(concrete));
    plan->setAcoustics({});
    if (!renamedModel.isEmpty())
        before.rooms[0].model = renamedModel.toStdString();
    const project::RoomFigures figures = project::roomFigures(before.rooms[0]);
    QCOMPARE(before.rooms[0].positions.has_value(), moved);

    // Another room in between, so that every input has to be given anew.
    p.w.pick("CmbD", 5);
    p.w.pick("CmbOn", 2);
    p.w.edit("TxtL")->setText(QStringLiteral("40"));
    p.calculate();
    QVERIFY(project::saveProject(p.file("r.pacov").toStdString(), before).empty());
    p.w.dialogs.answers.append(Dialogs::Answer::No);
    p.project->open(p.file("r.pacov"));
    p.w.dialogs.shown.clear();
    p.rooms()->setCurrentCell(0, 0);
    p.project->openInCalculation();

    QCOMPARE(p.w.caption("LblKs"), QString::number(figures.inputs->count));
    QCOMPARE(plan->scene()->speakers, figures.speakers);
    QCOMPARE(plan->acoustics(), concrete);
    QCOMPARE(plan->scene()->figures.minLevel, figures.figures.minLevel);
    QCOMPARE(plan->scene()->figures.shareAtTarget, figures.figures.shareAtTarget);
    const QStringList told = p.w.dialogs.informations();
    QCOMPARE(told.size(), renamedModel.isEmpty() ? 0 : 1);
    if (!renamedModel.isEmpty()) {
        QVERIFY2(told[0].contains(renamedModel) && told[0].contains("ПРОЧИЕ"), qPrintable(told[0]));
        QCOMPARE(p.w.combo("CmbD")->currentText(), QString("ПРОЧИЕ"));
        before.rooms[0].model = "ПРОЧИЕ";
    }
    // Written back unchanged, the room is the room it was: no step, nothing unsaved.
    p.project->updateFromCalculation();
    QCOMPARE(p.project->project(), before);
    QCOMPARE(p.project->isWindowModified(), !renamedModel.isEmpty());
    p.w.edit("TxtL")->setText(QStringLiteral("50"));
    p.calculate();
    p.project->updateFromCalculation();
    QCOMPARE(p.project->project().rooms[0].length, std::string("50"));
    p.trigger("undoAction");
    QCOMPARE(p.project->project().rooms[0].length, length.toStdString());
    // A room kept without acoustics has the plan's start ones, not the last room's.
    before.rooms[0].acoustics.reset();
    p.project->restore(before, {});
    p.project->openInCalculation();
    QCOMPARE(plan->acoustics(), plan::RoomSetup{});
}

void TstProjectWindow::dragReorders_data() {
    QTest::addColumn<int>("row");  // the row dragged
    QTest::addColumn<int>("onto"); // the row dropped on, in its lower half when below
    QTest::addColumn<bool>("lowerHalf");
    QTest::addColumn<QStringList>("order");
    QTest::addColumn<QString>("floorOfMoved");
    // Rows: "1 этаж" header, A, C, then "2 этаж" header, B.
    QTest::newRow("up within a floor") << 2 << 1 << false << QStringList{"C", "A", "B"} << "1 этаж";
    QTest::newRow("onto another floor") << 1 << 4 << true << QStringList{"B", "A", "C"} << "2 этаж";
    QTest::newRow("onto a floor's header")
        << 4 << 0 << false << QStringList{"B", "A", "C"} << "1 этаж";
}

// Rooms stand under their floors; a drop moves one in the project as one step that undo takes
// back, and the file keeps the order.
void TstProjectWindow::dragReorders() {
    QFETCH(int, row);
    QFETCH(int, onto);
    QFETCH(bool, lowerHalf);
    QFETCH(QStringList, order);
    QFETCH(QString, floorOfMoved);
    ProjectUnderTest p;
    p.calculate();
    project::Project start;
    for (const char* floor : {"1 этаж", "2 этаж", "1 этаж"}) {
        start.rooms.push_back(*p.w.window->lastCalculation());
        start.rooms.back().floor = floor;
        start.rooms.back().name = std::string(1, char('A' + start.rooms.size() - 1));
    }
    QVERIFY(project::saveProject(p.file("d.pacov").toStdString(), start).empty());
    p.project->open(p.file("d.pacov"));
    QCOMPARE(p.rooms()->rowCount(), 5);
    QCOMPARE(p.rooms()->item(3, 0)->text(), QString("2 этаж (помещений: 1)"));
    const QString movedName = p.rooms()->item(row, 0)->text();

    // What a drop at the point asks, as the table reports it.
    auto* table = p.project->findChild<RoomTable*>();
    table->setCurrentCell(row, 0);
    const QRect cell = table->visualRect(table->model()->index(onto, 0));
    const auto drop = table->dropAt(lowerHalf ? cell.bottomLeft() + QPoint(2, -2)
                                              : cell.topLeft() + QPoint(2, 2));
    QVERIFY(drop);
    emit table->moved(table->currentRoom(), drop->target, drop->after);
    QTRY_COMPARE(p.roomNames(), order);
    QCOMPARE(p.rooms()->item(p.rooms()->currentRow(), 0)->text(), movedName);
    QCOMPARE(p.rooms()->item(p.rooms()->currentRow(), 1)->text(), floorOfMoved);
    QVERIFY(p.project->save());
    QCOMPARE(project::openProject(p.file("d.pacov").toStdString()).project, p.project->project());
    p.trigger("undoAction");
    QCOMPARE(p.project->project(), start);
}

void TstProjectWindow::headerSorts_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("names as people count") << 0 << 1 << QStringList{"Зал", "Каб. 9", "Каб. 10"};
    QTest::newRow("names the other way") << 0 << 2 << QStringList{"Каб. 10", "Каб. 9", "Зал"};
    QTest::newRow("third click: the project's order")
        << 0 << 3 << QStringList{"Каб. 10", "Зал", "Каб. 9"};
    QTest::newRow("count by number") << 5 << 1 << QStringList{"Каб. 9", "Каб. 10", "Зал"};
}

// A click on a header sorts the rows shown; the project keeps its own order.
void TstProjectWindow::headerSorts() {
    QFETCH(int, column);
    QFETCH(int, clicks);
    QFETCH(QStringList, shown);
    ProjectUnderTest p;
    const std::array<std::pair<const char*, const char*>, 3> rooms{
        {{"Каб. 10", "20"}, {"Зал", "60"}, {"Каб. 9", "6"}}};
    for (const auto& [name, length] : rooms) {
        p.w.edit("TxtL")->setText(QString::fromUtf8(length));
        p.calculate();
        p.add();
        p.rooms()->item(p.rooms()->currentRow(), 0)->setText(QString::fromUtf8(name));
        QTRY_COMPARE(p.roomNames().last(), QString::fromUtf8(name));
    }
    const QStringList order = p.roomNames();
    auto* header = p.rooms()->horizontalHeader();
    for (int i = 0; i < clicks; ++i)
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, 3));
    QStringList names;
    for (int r = 0; r < p.rooms()->rowCount(); ++r)
        names << p.rooms()->item(r, 0)->text();
    QCOMPARE(names, shown);
    QCOMPARE(p.roomNames(), order);
}

void TstProjectWindow::recentFiles_data() {
    QTest::addColumn<QStringList>("saved"); // files saved one after the other, by number
    QTest::addColumn<int>("removed");       // a file gone before the window opens, -1 none
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("newest first, once")
        << QStringList{"1", "2", "1"} << -1 << QStringList{"1", "2"};
    QTest::newRow("eight at most") << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9"} << -1
                                   << QStringList{"9", "8", "7", "6", "5", "4", "3", "2"};
    QTest::newRow("a missing file dropped")
        << QStringList{"1", "2", "3"} << 2 << QStringList{"3", "1"};
    QTest::newRow("the last one missing") << QStringList{"1", "2"} << 2 << QStringList{"1"};
}

// The recent files live in the settings handed in; a file gone is dropped from them with a
// word, and a new window opens the project that was last open.
void TstProjectWindow::recentFiles() {
    QFETCH(QStringList, saved);
    QFETCH(int, removed);
    QFETCH(QStringList, listed);
    QTemporaryDir folder;
    const auto path = [&](const QString& n) { return folder.filePath(n + ".pacov"); };
    QSettings settings(folder.filePath("settings.ini"), QSettings::IniFormat);
    ScriptedDialogs dialogs;
    const CalculationLink none{[] { return std::optional<project::Room>(); },
                               [](const project::Room&) { return QString(); },
                               [] { return std::string("."); }};
    {
        ProjectWindow first(dialogs, none, folder.path(), {}, &settings);
        for (const QString& n : saved) {
            dialogs.saves.append({path(n), {}});
            QVERIFY(first.saveAs());
        }
    }
    if (removed > 0)
        QVERIFY(QFile::remove(path(QString::number(removed))));
    ProjectWindow second(dialogs, none, folder.path(), {}, &settings);
    second.openLast();
    QCOMPARE(second.fileName(), removed == saved.size() ? QString() : path(saved.last()));
    auto* menu = second.findChild<QMenu*>("recentMenu");
    if (removed > 0 && removed != saved.size()) {
        // Picked from the menu, the missing file goes and says so.
        for (QAction* a : menu->actions())
            if (a->data().toString() == path(QString::number(removed)))
                a->trigger();
    }
    QCOMPARE(dialogs.informations().size(), removed > 0 ? 1 : 0);
    QStringList files;
    for (const QString& n : listed)
        files << path(n);
    QCOMPARE(RecentProjects(&settings).files(), files);
    QCOMPARE(menu->actions().size(), files.size());
}

void TstProjectWindow::commandLineOpen_data() {
    QTest::addColumn<bool>("exists");
    QTest::newRow("a project file") << true;
    QTest::newRow("a file that is not there") << false;
}

// The program's argument opens the project window with that file, or says why it cannot.
void TstProjectWindow::commandLineOpen() {
    QFETCH(bool, exists);
    WindowUnderTest w;
    QTemporaryDir folder;
    const QString path = folder.filePath("c.pacov");
    project::Project start;
    start.name = "Школа";
    if (exists)
        QVERIFY(project::saveProject(path.toStdString(), start).empty());
    w.window->openProject(path);
    auto* project = w.window->findChild<ProjectWindow*>();
    QVERIFY(project && project->isVisible());
    QCOMPARE(project->fileName(), exists ? path : QString());
    QCOMPARE(project->project().name, exists ? start.name : std::string());
    QCOMPARE(w.dialogs.informations().size(), exists ? 0 : 1);
}

QTEST_MAIN(TstProjectWindow)
#include "tst_project_window.moc"
