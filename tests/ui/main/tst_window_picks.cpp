#include "ui/ui_test_support.h"

#include <QLineEdit>

namespace {

const QColor kGrey(192, 192, 192);

QColor fieldColour() {
    return QApplication::palette().color(QPalette::Base);
}

// The coverage results are empty and the attenuation and area labels kept their captions.
void verifyOnlyCoverageEmptied(const WindowUnderTest& w) {
    for (const char* name : kCoverageLabels)
        QVERIFY2(w.caption(name).isEmpty(), name);
    QCOMPARE(w.caption("LblZat"), QStringLiteral("x"));
    QCOMPARE(w.caption("LblSr"), QStringLiteral("x"));
}

} // namespace

class TestWindowPicks : public QObject {
    Q_OBJECT

private slots:
    void modelPick_data();
    void modelPick();
    void otherModelUnlocksAndKeepsTexts();
    void catalogueAfterOtherLocksAgain();
    void roomPicks();
    void parameterPicks_data();
    void parameterPicks();
    void focusLossIsNoPick();
    void enterInListIsNoPick();
    void typeChange_data();
    void typeChange();
    void modelPickDiscardsPickedDirectivity();
    void gradationEmptiesAllFive();
};

void TestWindowPicks::modelPick_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("power");
    QTest::addColumn<QString>("spl");
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("heightCaption");
    QTest::addColumn<QString>("angle");
    QTest::newRow("TD-13 is ceiling with 3 W 90 dB") << 1 << "3"
                                                     << "90"
                                                     << "Opt1"
                                                     << "Высота потолков"
                                                     << "90";
    QTest::newRow("VR-28 is wall with 20 W 90 dB") << 32 << "20"
                                                   << "90"
                                                   << "Opt2"
                                                   << "Высота установки"
                                                   << "120";
    QTest::newRow("BQ-75 is horn with 50 W 107 dB") << 25 << "50"
                                                    << "107"
                                                    << "Opt3"
                                                    << "Высота установки"
                                                    << "40";
}

void TestWindowPicks::modelPick() {
    QFETCH(int, index);
    QFETCH(QString, power);
    QFETCH(QString, spl);
    QFETCH(QString, option);
    QFETCH(QString, heightCaption);
    QFETCH(QString, angle);
    WindowUnderTest w;
    w.fillResults();
    w.pick("CmbD", index);
    QCOMPARE(w.edit("TxtPv")->text(), power);
    QCOMPARE(w.edit("TxtPd")->text(), spl);
    for (const char* name : {"Opt1", "Opt2", "Opt3"}) {
        const bool own = option == QLatin1String(name);
        QCOMPARE(w.option(name)->isChecked(), own);
        QCOMPARE(w.option(name)->isEnabled(), own);
    }
    for (const char* name : {"TxtPv", "TxtPd"}) {
        QVERIFY(w.edit(name)->isReadOnly());
        QCOMPARE(w.edit(name)->palette().color(QPalette::Base), kGrey);
    }
    QCOMPARE(w.caption("Label3"), heightCaption);
    QCOMPARE(w.combo("CmbDn")->currentText(), angle);
    QCOMPARE(QString::fromStdString(w.window->record().DirAngle.text()), angle);
    verifyOnlyCoverageEmptied(w);
}

void TestWindowPicks::otherModelUnlocksAndKeepsTexts() {
    WindowUnderTest w;
    w.pick("CmbD", 32); // wall type, 20 W
    w.fillResults();
    w.pick("CmbD", 33);
    QCOMPARE(w.edit("TxtPv")->text(), QStringLiteral("20"));
    QCOMPARE(w.edit("TxtPd")->text(), QStringLiteral("90"));
    for (const char* name : {"TxtPv", "TxtPd"}) {
        QVERIFY(!w.edit(name)->isReadOnly());
        QCOMPARE(w.edit(name)->palette().color(QPalette::Base), fieldColour());
    }
    QVERIFY(w.edit("TxtPv")->hasFocus());
    for (const char* name : {"Opt1", "Opt2", "Opt3"})
        QVERIFY2(w.option(name)->isEnabled(), name);
    QVERIFY(w.option("Opt2")->isChecked());
    verifyOnlyCoverageEmptied(w);
}

void TestWindowPicks::catalogueAfterOtherLocksAgain() {
    WindowUnderTest w;
    w.pick("CmbD", 33);
    QTest::keyClicks(w.edit("TxtPv"), "7");
    QCOMPARE(w.edit("TxtPv")->text(), QStringLiteral("37"));
    w.pick("CmbD", 2); // TD-15
    QCOMPARE(w.edit("TxtPv")->text(), QStringLiteral("5"));
    QCOMPARE(w.edit("TxtPd")->text(), QStringLiteral("91"));
    QVERIFY(w.edit("TxtPv")->isReadOnly());
    QCOMPARE(w.edit("TxtPv")->palette().color(QPalette::Base), kGrey);
    QVERIFY(!w.option("Opt2")->isEnabled());
}

void TestWindowPicks::roomPicks() {
    WindowUnderTest w;
    w.fillResults();
    w.pick("CmbOn", 14);
    QCOMPARE(w.edit("TxtN")->text(), QStringLiteral("60"));
    QVERIFY(!w.edit("TxtN")->isReadOnly());
    QCOMPARE(w.edit("TxtN")->palette().color(QPalette::Base), fieldColour());
    QVERIFY(w.edit("TxtN")->hasFocus());
    verifyOnlyCoverageEmptied(w);
    w.pick("CmbOn", 2);
    QCOMPARE(w.edit("TxtN")->text(), QStringLiteral("40"));
    QVERIFY(w.edit("TxtN")->isReadOnly());
    QCOMPARE(w.edit("TxtN")->palette().color(QPalette::Base), kGrey);
}

void TestWindowPicks::parameterPicks_data() {
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("angle");
    QTest::addColumn<double>("dirCoef");
    QTest::addColumn<double>("overlap");
    QTest::addColumn<double>("listenHeight");
    QTest::newRow("directivity 60 is stored")
        << "CmbDn" << 5 << "60" << 1.0471666667 << 10.0 << 150.0;
    QTest::newRow("directivity 170 is stored")
        << "CmbDn" << 16 << "170" << 2.9669722222 << 10.0 << 150.0;
    QTest::newRow("overlap 3 is stored") << "CmbUPS" << 0 << "90" << 1.57075 << 3.0 << 150.0;
    QTest::newRow("listening height 190 is stored")
        << "CmbVP" << 7 << "90" << 1.57075 << 10.0 << 190.0;
}

void TestWindowPicks::parameterPicks() {
    QFETCH(QString, list);
    QFETCH(int, index);
    QFETCH(QString, angle);
    QFETCH(double, dirCoef);
    QFETCH(double, overlap);
    QFETCH(double, listenHeight);
    WindowUnderTest w;
    w.fillResults();
    w.pick(qPrintable(list), index);
    const pa::CalculationRecord& r = w.window->record();
    QCOMPARE(QString::fromStdString(r.DirAngle.text()), angle);
    QVERIFY(qAbs(r.DirCoef.number() - dirCoef) < 1e-10);
    QCOMPARE(r.OverlapLevel.number(), overlap);
    QCOMPARE(r.ListenHeight.number(), listenHeight);
    verifyOnlyCoverageEmptied(w);
    QVERIFY(w.edit("TxtPv")->isReadOnly());
}

void TestWindowPicks::focusLossIsNoPick() {
    // The start texts match list items that are not current; leaving each list must not pick.
    WindowUnderTest w;
    w.fillResults();
    for (const char* name : {"CmbD", "CmbOn", "CmbDn", "CmbUPS", "CmbVP"}) {
        w.combo(name)->setFocus();
        QTest::keyClick(w.combo(name), Qt::Key_Tab);
        QVERIFY2(!w.combo(name)->hasFocus(), name);
    }
    QCOMPARE(w.edit("TxtPv")->palette().color(QPalette::Base),
             QApplication::palette().color(QPalette::Window));
    QCOMPARE(w.edit("TxtN")->palette().color(QPalette::Base),
             QApplication::palette().color(QPalette::Window));
    QCOMPARE(w.caption("LblPd"), QStringLiteral("x"));
}

void TestWindowPicks::enterInListIsNoPick() {
    WindowUnderTest w;
    w.fillResults();
    pa::PickComboBox* rooms = w.combo("CmbOn");
    rooms->setFocus();
    QTest::keyClick(rooms, Qt::Key_Return);
    rooms->lineEdit()->setText(QStringLiteral("СКЛАД"));
    QTest::keyClick(rooms, Qt::Key_Enter);
    QCOMPARE(rooms->count(), 15);
    QVERIFY(rooms->hasFocus());
    QCOMPARE(rooms->currentText(), QStringLiteral("СКЛАД"));
    QVERIFY(w.edit("TxtN")->isReadOnly());
    QCOMPARE(w.edit("TxtN")->palette().color(QPalette::Base),
             QApplication::palette().color(QPalette::Window));
    QCOMPARE(w.caption("LblPd"), QStringLiteral("x"));
}

void TestWindowPicks::typeChange_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("heightCaption");
    QTest::addColumn<QString>("angle");
    QTest::addColumn<double>("dirCoef");
    QTest::newRow("ceiling to wall takes wall defaults") << "Opt1"
                                                         << "Opt2"
                                                         << "Высота установки"
                                                         << "120" << 6.283 / 3;
    QTest::newRow("horn back to ceiling takes ceiling defaults") << "Opt3"
                                                                 << "Opt1"
                                                                 << "Высота потолков"
                                                                 << "90" << 3.1415 / 2;
    QTest::newRow("wall to horn takes horn defaults") << "Opt2"
                                                      << "Opt3"
                                                      << "Высота установки"
                                                      << "40" << 6.283 / 9;
}

void TestWindowPicks::typeChange() {
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, heightCaption);
    QFETCH(QString, angle);
    QFETCH(double, dirCoef);
    WindowUnderTest w;
    w.pick("CmbD", 33);
    w.option(qPrintable(from))->click();
    w.edit("TxtH")->setText(QStringLiteral("4.5"));
    w.fillResults();
    w.option(qPrintable(to))->click();
    QCOMPARE(w.caption("Label3"), heightCaption);
    QCOMPARE(w.edit("TxtH")->accessibleName(), heightCaption);
    QCOMPARE(w.combo("CmbDn")->currentText(), angle);
    QCOMPARE(w.combo("CmbDn")->currentIndex(), -1);
    QCOMPARE(QString::fromStdString(w.window->record().DirAngle.text()), angle);
    QCOMPARE(w.window->record().DirCoef.number(), dirCoef);
    QCOMPARE(w.edit("TxtH")->text(), QStringLiteral("4.5"));
    verifyOnlyCoverageEmptied(w);
}

void TestWindowPicks::modelPickDiscardsPickedDirectivity() {
    WindowUnderTest w;
    w.pick("CmbDn", 5);
    QCOMPARE(w.window->record().DirAngle.text(), std::string("60"));
    w.pick("CmbD", 23); // BQ-72, a horn
    QCOMPARE(w.combo("CmbDn")->currentText(), QStringLiteral("40"));
    QCOMPARE(w.window->record().DirAngle.text(), std::string("40"));
    QVERIFY(qAbs(w.window->record().DirCoef.number() - 0.6981111111) < 1e-10);
    // Leaving the list afterwards must not bring the picked 60 back.
    w.combo("CmbDn")->setFocus();
    QTest::keyClick(w.combo("CmbDn"), Qt::Key_Tab);
    QCOMPARE(w.window->record().DirAngle.text(), std::string("40"));
}

void TestWindowPicks::gradationEmptiesAllFive() {
    WindowUnderTest w;
    for (const char* name : {"Opt_1_2", "Opt_1_3", "Opt_1_1"}) {
        w.fillResults();
        w.option(name)->click();
        for (const char* result : kResultLabels)
            QVERIFY2(w.caption(result).isEmpty(), result);
        QCOMPARE(w.caption("LblSr"), QStringLiteral("x"));
    }
    w.pick("CmbD", 33);
    w.fillResults();
    w.option("Opt2")->click();
    QCOMPARE(w.caption("LblZat"), QStringLiteral("x"));
}

QTEST_MAIN(TestWindowPicks)
#include "tst_window_picks.moc"
