#include "core/coverage.h"
#include "core/parameters.h"
#include "plan/positions_csv.h"
#include "support/start_plan.h"
#include "ui/application_setup.h"
#include "ui/plan/plan_export.h"
#include "ui/plan/plan_window.h"
#include "ui/plan/sheet_writer.h"
#include "ui/ui_test_support.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

using namespace pa;

namespace {

// The start example as the window has it after "РАСЧИТАТЬ"; extra loudspeakers fill a large hall.
PlanDocument startDocument(int hallCount = 0, SpeakerType type = SpeakerType::Ceiling) {
    const CalculationRecord record = calculatedStartRecord(",");
    plan::PlanInputs in = startPlan(",");
    in.type = type;
    if (hallCount > 0) {
        in.length = 60;
        in.width = 40;
        in.count = hallCount;
    }
    PlanScene scene = makeScene(in, plan::layOut(in, plan::Method::ByCount));
    scene.decimalSeparator = QStringLiteral(",");
    return {reportEntries(record, {"TD-13", "АВТОСТОЯНКА", SpeakerType::Ceiling}, ","),
            std::move(scene), QDate(2026, 12, 7),
            QString::fromUtf8(plan::methodName(plan::Method::ByCount)), false};
}

// What a reader prints; the test is skipped when the reader is not installed.
#define READ_BACK(output, program, ...)                                                            \
    QProcess reader;                                                                               \
    reader.start(program, {__VA_ARGS__});                                                          \
    if (!reader.waitForFinished())                                                                 \
        QSKIP(program " is not installed");                                                        \
    QCOMPARE(reader.exitCode(), 0);                                                                \
    const QString output = QString::fromUtf8(reader.readAllStandardOutput())

} // namespace

class TestPlanExport : public QObject {
    Q_OBJECT

private slots:
    // Through the window's button: the type follows a known extension, else the filter; the
    // first dialog opens in the working folder, the next in the last one used.
    void savedTypes_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("saved");
        QTest::newRow("filter adds extension") << "plan"
                                               << "SVG (*.svg)"
                                               << "plan.svg";
        QTest::newRow("extension over filter") << "plan.PNG"
                                               << "PDF (*.pdf)"
                                               << "plan.PNG";
        QTest::newRow("other extension kept") << "plan.v2"
                                              << "CSV (*.csv)"
                                              << "plan.v2.csv";
    }
    void savedTypes() {
        QFETCH(QString, chosen);
        QFETCH(QString, filter);
        QFETCH(QString, saved);
        QTemporaryDir dir;
        ScriptedDialogs dialogs;
        dialogs.saves = {{dir.filePath(chosen), filter}, {}};
        PlanWindow window(dialogs, [] { return std::string(","); });
        auto* button = window.findChild<QPushButton*>(QStringLiteral("BtnExport"));
        QVERIFY(!button->isEnabled());
        const PlanDocument document = startDocument();
        window.showCalculation(document.scene.inputs, document.entries);
        button->click();
        button->click();
        QCOMPARE(dialogs.saveFolders, QStringList({QDir::currentPath(), dir.path()}));
        QVERIFY(dialogs.shown.isEmpty());
        const QString path = dir.filePath(saved);
        if (saved.endsWith(QLatin1String(".svg"))) {
            const QString rendered = dir.filePath(QStringLiteral("rendered.png"));
            READ_BACK(ignored, "rsvg-convert", path, "-o", rendered);
            const QImage image(rendered);
            QVERIFY(image.convertToFormat(QImage::Format_Indexed8).colorCount() > 16);
        } else if (saved.endsWith(QLatin1String(".PNG"))) {
            const QImage image(path);
            QCOMPARE(image.dotsPerMeterX(), 11811);
            QCOMPARE(image.size(), QSize(2362, 1654));
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly) && file.read(3) == "\xEF\xBB\xBF");
        }
        window.markStale();
        QVERIFY(!button->isEnabled());
    }

    // The sheet's pages, its last position on the last page; the start example's sheet as text
    // against the fixture, the date masked.
    void sheet_data() {
        QTest::addColumn<int>("hallCount");
        QTest::addColumn<int>("pages");
        QTest::newRow("start example on one page") << 0 << 1;
        QTest::newRow("long table continues on further pages") << 300 << 4;
    }
    void sheet() {
        QFETCH(int, hallCount);
        QFETCH(int, pages);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("plan.pdf"));
        const PlanDocument document = startDocument(hallCount);
        QCOMPARE(saveExport(path, ExportType::Pdf, document), QString());
        {
            READ_BACK(info, "pdfinfo", path);
            QVERIFY(
                info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(pages))));
        }
        READ_BACK(text, "pdftotext", "-raw", "-f", QString::number(pages), path, "-");
        const plan::Speaker& last = document.scene.speakers.back();
        QVERIFY(text.contains(QStringLiteral("%1 %2 %3\n")
                                  .arg(QString::number(document.scene.speakers.size()),
                                       QString::fromStdString(plan::metres(last.x, ",")),
                                       QString::fromStdString(plan::metres(last.y, ",")))));
        QFile fixture(QFINDTESTDATA("fixtures/plan_sheet_start_example.txt"));
        const QString seen = QString(text).replace(
            QRegularExpression(QStringLiteral("Дата: [0-9.]+")), QStringLiteral("Дата:"));
        // What was seen stays beside the test, ready to become the fixture after a wanted change.
        QFile kept(QStringLiteral("plan_sheet_seen.txt"));
        if (hallCount == 0 && kept.open(QIODevice::WriteOnly))
            kept.write(seen.toUtf8());
        if (hallCount == 0 && fixture.open(QIODevice::ReadOnly))
            QCOMPARE(seen, QString::fromUtf8(fixture.readAll()));
        QVERIFY(hallCount > 0 || fixture.isOpen());
    }

    // With the index shown, the sheet gives its figures first, the level's after them.
    void sheetCarriesIndex() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("plan.pdf"));
        PlanDocument document = startDocument();
        PlanScene& scene = document.scene;
        scene.room = plan::roomAcoustics(scene.inputs, plan::RoomSetup{}, ",");
        scene.map = MapKind::Sti;
        deriveMap(scene);
        QCOMPARE(scene.shown, MapKind::Sti);
        QCOMPARE(saveExport(path, ExportType::Pdf, document), QString());
        READ_BACK(text, "pdftotext", "-raw", path, "-");
        const qsizetype index =
            text.indexOf(QStringLiteral("STI, среднее: ") +
                         QString::fromStdString(plan::fixedText(scene.sti.mean, 2, ",")));
        QVERIFY2(index >= 0, qPrintable(text));
        QVERIFY(index < text.indexOf(QStringLiteral("Громкоговорителей: 5")));
    }

    void failedWriteKeepsOldFile_data() {
        QTest::addColumn<bool>("sizeLimit");
        QTest::newRow("folder in the way") << false;
        QTest::newRow("file size limit") << true;
    }
    void failedWriteKeepsOldFile() {
        QFETCH(bool, sizeLimit);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("plan.pdf"));
        QFile old(path);
        QVERIFY(sizeLimit ? old.open(QIODevice::WriteOnly) && old.write("old") == 3
                          : QDir(dir.path()).mkdir(QStringLiteral("plan.pdf")));
        old.close();
        ScriptedDialogs dialogs;
        dialogs.saves = {{path, QString()}};
        PlanExporter exporter(dialogs, dir.path());
        rlimit oldLimit{};
        getrlimit(RLIMIT_FSIZE, &oldLimit);
        prepareApplication(*qApp); // as at start-up: the limit fails the write, not the program
        const rlimit limit{2000, oldLimit.rlim_max};
        QVERIFY(!sizeLimit || setrlimit(RLIMIT_FSIZE, &limit) == 0);
        const QString saved = exporter.saveAs(startDocument());
        setrlimit(RLIMIT_FSIZE, &oldLimit);
        QCOMPARE(saved, QString());
        QVERIFY(dialogs.informations().join('#').contains(QRegularExpression(QStringLiteral(
            "^Расчет громкоговорителей\\|Не удалось сохранить файл plan.pdf\r\n.+$"))));
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList{QStringLiteral("plan.pdf")});
        QVERIFY(!sizeLimit || (old.open(QIODevice::ReadOnly) && old.readAll() == "old"));
    }

    // An old file is replaced only by a whole export: not after «Нет» to the question about a
    // name completed here with the filter's extension, nor after a cancel at any step.
    void oldFile_data() {
        QTest::addColumn<QString>("chosen");  // the PDF filter is chosen
        QTest::addColumn<double>("cancelAt"); // share of an export's steps; none when negative
        QTest::addColumn<bool>("replaced");   // and the answer was «Да»
        QTest::newRow("completed name, Нет") << "a" << -1.0 << false;
        QTest::newRow("completed name, Да") << "a" << -1.0 << true;
        QTest::newRow("sheet, first step") << "a.pdf" << 0.0 << false;
        QTest::newRow("sheet, among the rows") << "a.pdf" << 0.5 << false;
        QTest::newRow("sheet, last step") << "a.pdf" << 1.0 << false;
    }
    void oldFile() {
        QFETCH(QString, chosen);
        QFETCH(double, cancelAt);
        QFETCH(bool, replaced);
        QTemporaryDir dir;
        const QString path = dir.filePath(chosen.contains('.') ? chosen : chosen + ".pdf");
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();
        const QString filter = QStringLiteral("PDF (*.pdf)");
        ScriptedDialogs dialogs;
        dialogs.answers = {replaced ? Dialogs::Answer::Yes : Dialogs::Answer::No};
        PlanExporter exporter(dialogs, dir.path());
        const PlanDocument document = startDocument(300);
        if (cancelAt >= 0) { // the steps of a whole export, elsewhere
            const QTemporaryDir counting;
            dialogs.saves = {{counting.filePath(chosen), filter}};
            QVERIFY(!exporter.saveAs(document).isEmpty());
            dialogs.cancelAtStep = std::max(1, qRound(cancelAt * dialogs.progressSteps));
            dialogs.progressSteps = 0;
        }
        dialogs.saves = {{dir.filePath(chosen), filter}};
        QCOMPARE(exporter.saveAs(document), replaced ? path : QString());
        QCOMPARE(dialogs.shown.size(), path.endsWith(chosen) ? 0 : 1);
        QVERIFY(path.endsWith(chosen) ||
                dialogs.questions().constFirst() ==
                    "ВНИМАНИЕ!|Файл «a.pdf» уже существует. Заменить его?");
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll() == "old", !replaced);
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 1);
    }

    // The sheet reads back without a reader's complaint; its numbers all have the scene's
    // separator, the picture's included; the positions are left out when there are none.
    void readableSheet_data() {
        QTest::addColumn<bool>("emptied"); // deleting every loudspeaker edits the layout by hand
        QTest::newRow("wall loudspeakers") << false;
        QTest::newRow("every loudspeaker deleted") << true;
    }
    void readableSheet() {
        QFETCH(bool, emptied);
        PlanDocument document = startDocument(0, SpeakerType::Wall);
        if (emptied) {
            document.scene = makeScene(document.scene.inputs, {});
            document.scene.decimalSeparator = QStringLiteral(",");
        }
        document.handEdited = emptied;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("plan.pdf"));
        QCOMPARE(saveExport(path, ExportType::Pdf, document), QString());
        {
            READ_BACK(ignored, "pdftoppm", "-r", "30", "-png", path, dir.filePath("page"));
            QCOMPARE(reader.readAllStandardError(), QByteArray());
        }
        READ_BACK(text, "pdftotext", path, "-");
        QCOMPARE(reader.readAllStandardError(), QByteArray());
        QCOMPARE(text.simplified().contains( // a long line may wrap
                     QStringLiteral("Способ размещения: По расчету, положения изменены вручную")),
                 emptied);
        QCOMPARE(text.contains(QStringLiteral("Положение громкоговорителей")), !emptied);
        QCOMPARE(text.contains(QStringLiteral("Стена: ")), !emptied);
        // Dates and the numbers of a code and its clauses have points of their own.
        const QRegularExpression ownPoints(QStringLiteral("(Дата:|СП|п\\.)\\s+[0-9.]+"));
        QCOMPARE(QString(text).remove(ownPoints).indexOf(
                     QRegularExpression(QStringLiteral("\\d\\.\\d"))),
                 -1);
    }

    // The printed sheet, seen through the print preview and printed into a file.
    void printedSheet() {
        const PlanDocument document = startDocument();
        QPrintPreviewWidget preview;
        connect(&preview, &QPrintPreviewWidget::paintRequested, this,
                [&](QPrinter* printer) { QVERIFY(printSheet(*printer, document)); });
        preview.updatePreview();
        QCOMPARE(preview.pageCount(), 1);

        QTemporaryDir dir;
        ScriptedDialogs dialogs;
        dialogs.printFile = dir.filePath(QStringLiteral("printed.pdf"));
        PlanWindow window(dialogs, [] { return std::string(","); });
        window.showCalculation(document.scene.inputs, document.entries);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keySequence(&window, QKeySequence::Print);
        READ_BACK(text, "pdftotext", dialogs.printFile, "-");
        QVERIFY(text.contains(kSheetTitle));
    }
};

QTEST_MAIN(TestPlanExport)
#include "tst_plan_export.moc"
