#include "ui/project/project_document.h"
#include "ui/project/project_window.h"
#include "ui/ui_test_support.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>

using namespace pa;

namespace {

// A room of the start example, in a hall of the given size when there is one.
project::Room room(const QString& name, const QString& size = QString()) {
    project::Room r;
    r.name = name.toStdString();
    r.model = "TD-13";
    r.power = "3";
    r.sensitivity = "90";
    r.roomType = "АВТОСТОЯНКА";
    r.noise = "70";
    r.length = "6";
    r.width = "6";
    r.height = "3";
    if (!size.isEmpty()) {
        r.length = size.section('x', 0, 0).toStdString();
        r.width = size.section('x', 1, 1).toStdString();
    }
    return r;
}

// What a reader prints of a file; empty when the reader is missing or fails.
QString read(const QStringList& arguments, const char* program = "pdftotext") {
    QProcess reader;
    reader.start(QString::fromLatin1(program), arguments);
    return reader.waitForFinished() && reader.exitCode() == 0
               ? QString::fromUtf8(reader.readAllStandardOutput())
               : QString();
}

int pageCount(const QString& pdf) {
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(read({pdf}, "pdfinfo"));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QString pageText(const QString& pdf, int page) {
    const QString n = QString::number(page);
    return read({QStringLiteral("-f"), n, QStringLiteral("-l"), n, pdf, QStringLiteral("-")})
        .simplified();
}

} // namespace

class TstProjectDocuments : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
            QSKIP("pdftotext and pdfinfo are not installed");
    }

    void roomPages_data() {
        QTest::addColumn<QStringList>("rooms");   // name, and "LxW" for a hall
        QTest::addColumn<int>("leastTablePages"); // after the title page
        QTest::newRow("a page a room") << QStringList{"Холл", "Класс 1", "Класс 2"} << 1;
        QTest::newRow("a room without figures keeps its page")
            << QStringList{"Холл", "Склад|0x6"} << 1;
        QTest::newRow("a long positions table continues the room's sheet")
            << QStringList{"Зал|60x40", "Тамбур"} << 1;
        QStringList many;
        for (int i = 1; i <= 45; ++i)
            many << QStringLiteral("Кабинет %1").arg(i);
        QTest::newRow("many rooms carry the tables over") << many << 2;
    }

    // Each room's sheet begins on a page of its own, right after the last page of the one
    // before, and takes as many pages as the plan's own sheet of the room.
    void roomPages() {
        QFETCH(QStringList, rooms);
        QFETCH(int, leastTablePages);
        project::Project p;
        p.name = "Школа №5";
        p.objectName = "Корпус Б";
        for (const QString& r : rooms)
            p.rooms.push_back(room(r.section('|', 0, 0), r.section('|', 1, 1)));
        const project::ProjectFigures figures = project::projectFigures(p, {0, true, nullptr, ","});
        const ProjectDocument document{p, figures, QStringLiteral("Школа №5"), QDate(2026, 12, 7),
                                       ","};
        QTemporaryDir dir;
        dir.setAutoRemove(false);
        qWarning("DIR %s", qPrintable(dir.path()));
        const QString path = dir.filePath(QStringLiteral("project.pdf"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(projectPdf(document, &paintRoomSheet).value_or(QByteArray()));
        file.close();
        const int total = pageCount(path);

        const QString title = pageText(path, 1);
        QVERIFY2(title.startsWith(QStringLiteral("Школа №5")) &&
                     title.contains(QStringLiteral("Объект: Корпус Б")),
                 qPrintable(title));
        QVERIFY(pageText(path, 2).contains(QStringLiteral("Сводная таблица помещений")));
        int page = 2;
        const QString sheetTitle = QStringLiteral("План размещения громкоговорителей: ");
        while (page <= total && !pageText(path, page).contains(sheetTitle))
            ++page;
        QVERIFY(page - 2 >= leastTablePages);
        for (std::size_t i = 0; i < p.rooms.size(); ++i) {
            const QString name = QString::fromStdString(p.rooms[i].name);
            const QString text = pageText(path, page);
            int own = 1;
            if (figures.rooms[i].calculated()) {
                QVERIFY2(text.contains(sheetTitle + name), qPrintable(text));
                const QString alone = dir.filePath(QStringLiteral("room.pdf"));
                QFile sheet(alone);
                QVERIFY(sheet.open(QIODevice::WriteOnly));
                RoomSheet alike;
                alike.room = name;
                alike.entries = reportEntries(figures.rooms[i].record,
                                              {"TD-13", "АВТОСТОЯНКА", SpeakerType::Ceiling}, ",");
                alike.inputs = *figures.rooms[i].inputs;
                alike.speakers = figures.rooms[i].speakers;
                alike.decimalSeparator = ",";
                sheet.write(sheetPdf(roomDocument(alike)).value_or(QByteArray()));
                sheet.close();
                own = pageCount(alone);
            } else {
                QVERIFY2(text.contains(
                             QStringLiteral("Помещение «%1» Помещение не рассчитано").arg(name)),
                         qPrintable(text));
            }
            page += own;
        }
        QCOMPARE(total, page - 1);
    }

    void windowCommands_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("chosen"); // the save dialog's answer
        QTest::addColumn<QString>("saved");  // the file, which holds "old" before
        QTest::addColumn<int>("answer");     // to the question about replacing it; -1 none
        QTest::addColumn<bool>("replaced");
        QTest::addColumn<int>("cancelAt"); // the progress step the user cancels at; 0 none
        QTest::newRow("PDF, extension added") << "pdfAction"
                                              << "doc"
                                              << "" << -1 << true << 0;
        QTest::newRow("PDF, completed name kept on Нет")
            << "pdfAction"
            << "doc"
            << "doc.pdf" << int(Dialogs::Answer::No) << false << 0;
        QTest::newRow("CSV, chosen name replaced without a second question")
            << "billAction"
            << "bill.csv"
            << "bill.csv" << -1 << true << 0;
        QTest::newRow("CSV, completed name replaced on Да")
            << "billAction"
            << "bill"
            << "bill.csv" << int(Dialogs::Answer::Yes) << true << 0;
        QTest::newRow("CSV, a folder in the way") << "billAction"
                                                  << "bill.csv"
                                                  << "bill.csv/" << -1 << false << 0;
        QTest::newRow("PDF, cancelled among the rooms") << "pdfAction"
                                                        << "doc.pdf"
                                                        << "doc.pdf" << -1 << false << 2;
    }

    // Through the project window's menu: the name, the question, the file whole or untouched,
    // a failure named with its reason.
    void windowCommands() {
        QFETCH(QString, action);
        QFETCH(QString, chosen);
        QFETCH(QString, saved);
        QFETCH(int, answer);
        QFETCH(bool, replaced);
        QFETCH(int, cancelAt);
        QTemporaryDir dir;
        WindowUnderTest w;
        w.window->findChild<QAction*>(QStringLiteral("Mproject"))->trigger();
        auto* window = w.window->findChild<ProjectWindow*>();
        for (const char* length : {"6", "30"}) {
            w.edit("TxtL")->setText(QString::fromLatin1(length));
            w.get<QPushButton>("Command1")->click();
            window->findChild<QPushButton*>(QStringLiteral("addFromCalculationButton"))->click();
        }
        const QString target =
            dir.filePath(saved.isEmpty() ? chosen + QStringLiteral(".pdf") : saved);
        QFile old(target);
        if (saved.endsWith('/'))
            QVERIFY(QDir(dir.path()).mkdir(saved));
        else if (!saved.isEmpty())
            QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();
        if (answer >= 0)
            w.dialogs.answers.append(static_cast<Dialogs::Answer>(answer));
        w.dialogs.saves.append({dir.filePath(chosen), {}});
        w.dialogs.cancelAtStep = cancelAt;
        window->findChild<QAction*>(action)->trigger();

        QCOMPARE(w.dialogs.questions().size(), answer >= 0 ? 1 : 0);
        const QStringList failures = w.dialogs.informations();
        QCOMPARE(failures.size(), saved.endsWith('/') ? 1 : 0);
        QVERIFY(failures.isEmpty() ||
                failures[0].startsWith(QStringLiteral("Расчет громкоговорителей|Не удалось "
                                                      "сохранить файл bill.csv\r\n")));
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 1);
        if (!replaced || saved.endsWith('/')) {
            QVERIFY(saved.endsWith('/') ||
                    (old.open(QIODevice::ReadOnly) && old.readAll() == "old"));
            return;
        }
        if (action == "billAction") {
            QVERIFY(old.open(QIODevice::ReadOnly));
            const QStringList rows = QString::fromUtf8(old.readAll()).split(QStringLiteral("\r\n"));
            const auto* table = window->findChild<QTableWidget*>(QStringLiteral("roomTable"));
            QCOMPARE(rows.at(1).section(';', 4, 4).toInt(),
                     table->item(0, 5)->text().toInt() + table->item(1, 5)->text().toInt());
            QCOMPARE(rows.at(2).section(';', 0, 0), QStringLiteral("Итого"));
        } else {
            // The window's name for a project never named or saved.
            QVERIFY(pageText(target, 1).startsWith(QStringLiteral("Новый проект")));
        }
    }
};

QTEST_MAIN(TstProjectDocuments)
#include "tst_project_documents.moc"
