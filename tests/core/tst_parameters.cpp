#include "core/parameters.h"

#include <QTest>

#include <cmath>

using namespace pa;

Q_DECLARE_METATYPE(pa::SpeakerType)

class TestParameters : public QObject {
    Q_OBJECT

private slots:
    void directivityPick_data() {
        QTest::addColumn<QString>("angle");
        QTest::addColumn<double>("coef"); // to ten decimals
        QTest::newRow("90 degrees gives 1.57075") << "90" << 1.5707500000;
        QTest::newRow("120 degrees gives 2.0943") << "120" << 2.0943333333;
        QTest::newRow("60 degrees gives 1.0472") << "60" << 1.0471666667;
        QTest::newRow("40 degrees gives 0.6981") << "40" << 0.6981111111;
        QTest::newRow("10 degrees gives 0.1745") << "10" << 0.1745277778;
        QTest::newRow("170 degrees gives 2.9670") << "170" << 2.9669722222;
    }
    void directivityPick() {
        QFETCH(QString, angle);
        QFETCH(double, coef);
        CalculationRecord rec;
        applyDirectivity(rec, angle.toStdString());
        QVERIFY(rec.DirAngle.isText());
        QCOMPARE(QString::fromStdString(rec.DirAngle.text()), angle);
        QVERIFY(std::fabs(rec.DirCoef.number() - coef) < 5e-11);
    }

    void typeDefaultAgreesWithThePick_data() {
        QTest::addColumn<pa::SpeakerType>("type");
        QTest::addColumn<QString>("angle");
        QTest::addColumn<double>("coef");
        QTest::addColumn<QString>("caption");
        QTest::newRow("ceiling defaults to 90 degrees and ceiling height")
            << SpeakerType::Ceiling << "90" << 3.1415 / 2 << QStringLiteral("Высота потолков");
        QTest::newRow("wall defaults to 120 degrees and mounting height")
            << SpeakerType::Wall << "120" << 6.283 / 3 << QStringLiteral("Высота установки");
        QTest::newRow("horn defaults to 40 degrees and mounting height")
            << SpeakerType::Horn << "40" << 6.283 / 9 << QStringLiteral("Высота установки");
    }
    void typeDefaultAgreesWithThePick() {
        QFETCH(pa::SpeakerType, type);
        QFETCH(QString, angle);
        QFETCH(double, coef);
        QFETCH(QString, caption);
        CalculationRecord rec;
        applyDirectivity(rec, "60"); // a picked angle the type change must discard
        applyTypeDefault(rec, type);
        QCOMPARE(QString::fromStdString(rec.DirAngle.text()), angle);
        QCOMPARE(rec.DirCoef.number(), coef);
        QCOMPARE(QString::fromUtf8(typeDefaults(type).heightCaption.data(),
                                   qsizetype(typeDefaults(type).heightCaption.size())),
                 caption);
        QVERIFY(std::fabs(dirCoefFromAngle(angle.toStdString()) - coef) < 1e-10);
    }

    void levelPicks_data() {
        QTest::addColumn<QString>("overlap");
        QTest::addColumn<QString>("listen");
        QTest::addColumn<double>("overlapLevel");
        QTest::addColumn<double>("listenHeight");
        QTest::newRow("smallest overlap and listening height are stored") << "3"
                                                                          << "120" << 3.0 << 120.0;
        QTest::newRow("largest overlap and listening height are stored") << "10"
                                                                         << "190" << 10.0 << 190.0;
    }
    void levelPicks() {
        QFETCH(QString, overlap);
        QFETCH(QString, listen);
        QFETCH(double, overlapLevel);
        QFETCH(double, listenHeight);
        CalculationRecord rec;
        applyOverlapLevel(rec, overlap.toStdString());
        applyListenHeight(rec, listen.toStdString());
        QVERIFY(rec.OverlapLevel.isNumber());
        QCOMPARE(rec.OverlapLevel.number(), overlapLevel);
        QCOMPARE(rec.ListenHeight.number(), listenHeight);
    }

    void startValues() {
        CalculationRecord rec;
        applyStartValues(rec);
        QCOMPARE(rec.DirCoef.number(), 1.57075);
        QVERIFY(rec.DirAngle.isText());
        QCOMPARE(rec.DirAngle.print("."), std::string("90"));
        QCOMPARE(rec.OverlapLevel.print("."), std::string("10"));
        QCOMPARE(rec.ListenHeight.print("."), std::string("150"));
        QVERIFY(rec.SpeakerPower.isUnset());
        QCOMPARE(rec.SpeakerPower.print("."), std::string());
        QVERIFY(rec.MsgAnswer.isUnset());
    }

    void recordPrintsByKind_data() {
        QTest::addColumn<int>("kind"); // 0 unset, 1 number, 2 text
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("number");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("printed");
        QTest::newRow("unset prints nothing") << 0 << "" << 0.0 << "."
                                              << "";
        QTest::newRow("number prints with point") << 1 << "" << 7.5 << "."
                                                  << "7.5";
        QTest::newRow("number prints with comma") << 1 << "" << 7.5 << ","
                                                  << "7,5";
        QTest::newRow("whole number prints without separator") << 1 << "" << 94.0 << ","
                                                               << "94";
        QTest::newRow("text kept as typed") << 2 << "090" << 0.0 << ","
                                            << "090";
        QTest::newRow("text keeps its point under comma") << 2 << "7.5" << 0.0 << ","
                                                          << "7.5";
    }
    void recordPrintsByKind() {
        QFETCH(int, kind);
        QFETCH(QString, text);
        QFETCH(double, number);
        QFETCH(QString, separator);
        QFETCH(QString, printed);
        const RecordValue value = kind == 0   ? RecordValue()
                                  : kind == 1 ? RecordValue(number)
                                              : RecordValue(text.toStdString());
        QCOMPARE(QString::fromStdString(value.print(separator.toStdString())), printed);
    }
};

QTEST_GUILESS_MAIN(TestParameters)
#include "tst_parameters.moc"
