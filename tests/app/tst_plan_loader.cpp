#include "app/plan_loader.h"
#include "ui/dialogs.h"

#include <QFile>
#include <QTest>
#include <QWidget>

#include <memory>

namespace {

class NoBoxes final : public pa::Dialogs {
public:
    void information(const QString&, const QString&) override {}
    Answer question(const QString&, const QString&) override { return Answer::Cancel; }
    Answer yesNoQuestion(const QString&, const QString&) override { return Answer::No; }
    QString saveFileName(const QString&, const QString&, const QString&, QString*) override {
        return {};
    }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    std::unique_ptr<pa::Progress> progress(const QString&, const QString&) override {
        return nullptr;
    }
};

bool mapped(const char* library) {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(library);
}

pa::PlanOpening open(const QStringList& places, pa::Dialogs& boxes, QWidget& parent) {
    return pa::planModuleFactory(places)(
        boxes, [] { return std::string(","); }, &parent);
}

} // namespace

class TestPlanLoader : public QObject {
    Q_OBJECT

private slots:
    // Runs first: until the plan is opened, its printing and picture libraries stay out.
    void printingComesWithTheModule() {
        QVERIFY(!mapped("libQt6PrintSupport") && !mapped("libQt6Svg"));
        QWidget parent;
        const pa::PlanOpening opened = open({QStringLiteral(PLAN_MODULE)}, boxes_, parent);
        QVERIFY2(opened.port, qPrintable(opened.failure));
        QVERIFY(mapped("libQt6PrintSupport") && mapped("libQt6Svg"));
    }

    void places_data() {
        QTest::addColumn<QStringList>("places");
        QTest::addColumn<QString>("failure");
        const QString module = QStringLiteral(PLAN_MODULE);
        const QString missing = QStringLiteral("/nonexistent/pa-coverage-plan.so");
        QTest::newRow("module beside the program") << QStringList{module, missing} << "";
        QTest::newRow("module only in the installed place") << QStringList{missing, module} << "";
        QTest::newRow("no place holds it names the last")
            << QStringList{QStringLiteral("/nowhere/a.so"), missing} << missing;
        QTest::newRow("library without the entry") << QStringList{QStringLiteral(OTHER_LIBRARY)}
                                                   << QString::fromLatin1(pa::kPlanModuleEntry);
    }
    void places() {
        QFETCH(QStringList, places);
        QFETCH(QString, failure);
        QWidget parent;
        const pa::PlanOpening opened = open(places, boxes_, parent);
        if (!failure.isEmpty()) {
            QVERIFY(!opened.port);
            QVERIFY2(opened.failure.contains(failure), qPrintable(opened.failure));
            return;
        }
        QVERIFY2(opened.port, qPrintable(opened.failure));
        opened.port->showWindow();
        auto* window = parent.findChild<QWidget*>(QStringLiteral("PlanWindow"));
        QVERIFY(window && window->isVisible());
    }

    // The project's document draws the rooms' sheets through the module's second entry.
    void sheets_data() {
        QTest::addColumn<QString>("place");
        QTest::addColumn<QString>("failure");
        QTest::newRow("the module's painter") << QStringLiteral(PLAN_MODULE) << "";
        QTest::newRow("library without it")
            << QStringLiteral(OTHER_LIBRARY) << QString::fromLatin1(pa::kSheetPainterEntry);
    }
    void sheets() {
        QFETCH(QString, place);
        QFETCH(QString, failure);
        const pa::SheetOpening opened = pa::planSheetSource({place})();
        QCOMPARE(opened.paint == nullptr, !failure.isEmpty());
        QVERIFY2(opened.failure.contains(failure), qPrintable(opened.failure));
    }

private:
    NoBoxes boxes_;
};

QTEST_MAIN(TestPlanLoader)
#include "tst_plan_loader.moc"
