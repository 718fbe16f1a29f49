#include "core/numbers.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace pa;

namespace {
constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();
}

class TestNumbers : public QObject {
    Q_OBJECT

private slots:
    void leadingNumberReading_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("plain whole number reads as it is") << "36" << 36.0;
        QTest::newRow("fraction with point reads 7.5") << "7.5" << 7.5;
        QTest::newRow("second point ends the number") << "1.2.3" << 1.2;
        QTest::newRow("leading point reads as fraction") << ".5" << 0.5;
        QTest::newRow("trailing point ignored") << "12." << 12.0;
        QTest::newRow("lone point reads 0") << "." << 0.0;
        QTest::newRow("empty text reads 0") << "" << 0.0;
        QTest::newRow("letters read 0") << "abc" << 0.0;
        QTest::newRow("digits before letters are read") << "90dB" << 90.0;
        QTest::newRow("comma is no separator") << "7,5" << 7.0;
        QTest::newRow("no sign taken") << "-5" << 0.0;
        QTest::newRow("no blank skipped") << " 5" << 0.0;
        QTest::newRow("no exponent taken") << "1e5" << 1.0;
        QTest::newRow("leading zeros are skipped") << "007" << 7.0;
        QTest::newRow("zero written as 0.0 reads 0") << "0.0" << 0.0;
        QTest::newRow("non-ascii digits are not digits") << "٣" << 0.0;
        QTest::newRow("too long for a double overflows")
            << QString(400, QLatin1Char('9')) << std::numeric_limits<double>::infinity();
        QTest::newRow("too small for a double underflows")
            << "0." + QString(400, QLatin1Char('0')) + "1" << 0.0;
    }
    void leadingNumberReading() {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(leadingNumber(text.toStdString()), expected);
    }

    void wholeTextConversion_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<double>("expected"); // NaN: the conversion must fail
        QTest::newRow("whole number converts") << "90"
                                               << "." << 90.0;
        QTest::newRow("point separator converts") << "2.5"
                                                  << "." << 2.5;
        QTest::newRow("comma separator of the locale converts") << "2,5"
                                                                << "," << 2.5;
        QTest::newRow("point accepted where the locale uses comma") << "2.5"
                                                                    << "," << 2.5;
        QTest::newRow("comma refused where the locale uses point") << "2,5"
                                                                   << "." << kNoValue;
        QTest::newRow("blanks around ignored") << "  70\t"
                                               << "." << 70.0;
        QTest::newRow("inner blank fails") << "7 0"
                                           << "." << kNoValue;
        QTest::newRow("minus sign is taken") << "-3.5"
                                             << "." << -3.5;
        QTest::newRow("plus sign is taken") << "+3"
                                            << "." << 3.0;
        QTest::newRow("exponent is taken") << "1.5e2"
                                           << "." << 150.0;
        QTest::newRow("negative exponent is taken") << "25E-1"
                                                    << "." << 2.5;
        QTest::newRow("exponent without digits fails") << "1e"
                                                       << "." << kNoValue;
        QTest::newRow("leading point converts") << ".5"
                                                << "." << 0.5;
        QTest::newRow("trailing point converts") << "5."
                                                 << "." << 5.0;
        QTest::newRow("empty text fails") << ""
                                          << "." << kNoValue;
        QTest::newRow("blanks only fail") << "   "
                                          << "." << kNoValue;
        QTest::newRow("lone point fails") << "."
                                          << "." << kNoValue;
        QTest::newRow("two points fail") << "1..2"
                                         << "." << kNoValue;
        QTest::newRow("second point fails") << "1.2.3"
                                            << "." << kNoValue;
        QTest::newRow("trailing letter fails") << "90x"
                                               << "." << kNoValue;
        QTest::newRow("sign alone fails") << "-"
                                          << "." << kNoValue;
        QTest::newRow("hexadecimal fails") << "0x10"
                                           << "." << kNoValue;
        QTest::newRow("infinity word fails") << "inf"
                                             << "." << kNoValue;
        QTest::newRow("nan word fails") << "nan"
                                        << "." << kNoValue;
        QTest::newRow("beyond the double range fails") << "1e400"
                                                       << "." << kNoValue;
        QTest::newRow("400 digits fail") << QString(400, QLatin1Char('9')) << "." << kNoValue;
        QTest::newRow("zero converts") << "0"
                                       << "." << 0.0;
    }
    void wholeTextConversion() {
        QFETCH(QString, text);
        QFETCH(QString, separator);
        QFETCH(double, expected);
        const auto value = parseNumber(text.toStdString(), separator.toStdString());
        if (std::isnan(expected)) {
            QVERIFY2(!value, qPrintable(QStringLiteral("converted to %1").arg(value.value_or(0))));
        } else {
            QVERIFY(value.has_value());
            QCOMPARE(*value, expected);
        }
    }

    void numberTextForm_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("expected");
        QTest::newRow("whole number is written as plain digits") << 36.0 << "."
                                                                 << "36";
        QTest::newRow("zero is written 0") << 0.0 << "."
                                           << "0";
        QTest::newRow("negative zero has no sign") << -0.0 << "."
                                                   << "0";
        QTest::newRow("fraction is written with point") << 7.5 << "."
                                                        << "7.5";
        QTest::newRow("fraction is written with comma") << 7.5 << ","
                                                        << "7,5";
        QTest::newRow("negative whole keeps its minus") << -7.0 << "."
                                                        << "-7";
        QTest::newRow("negative fraction keeps its minus") << -0.25 << ","
                                                           << "-0,25";
        QTest::newRow("small fraction keeps leading zero") << 0.05 << "."
                                                           << "0.05";
        QTest::newRow("binary artefact rounded away") << 7.199999999999999 << "."
                                                      << "7.2";
        QTest::newRow("sum artefact rounded away") << 0.1 + 0.2 << "."
                                                   << "0.3";
        QTest::newRow("15 significant digits kept") << 1.23456789012345 << "."
                                                    << "1.23456789012345";
        QTest::newRow("16th digit rounded") << 2.0 / 3 << "."
                                            << "0.666666666666667";
        QTest::newRow("power level of 3 W keeps 15 digits") << 4.771212547196624 << "."
                                                            << "4.77121254719662";
        QTest::newRow("large whole number stays positional") << 1e20 << "."
                                                             << "100000000000000000000";
        QTest::newRow("large number keeps 15 digits") << 123456789012345678.0 << "."
                                                      << "123456789012346000";
        QTest::newRow("tiny number stays positional") << 1e-5 << "."
                                                      << "0.00001";
        QTest::newRow("no trailing zeros") << 2.50 << "."
                                           << "2.5";
        QTest::newRow("multi-byte separator is written whole") << 1.5 << "٫"
                                                               << "1٫5";
        QTest::newRow("infinity has no text") << std::numeric_limits<double>::infinity() << "."
                                              << "";
        QTest::newRow("nan has no text") << kNoValue << "."
                                         << "";
    }
    void numberTextForm() {
        QFETCH(double, value);
        QFETCH(QString, separator);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(numberText(value, separator.toStdString())), expected);
    }

    void numberTextRoundTrips_data() {
        QTest::addColumn<double>("value");
        QTest::newRow("area of a 7.5 by 4 room reads back") << 30.0;
        QTest::newRow("fractional area reads back") << 7.5 * 3.3;
        QTest::newRow("tiny number reads back") << 1.5e-12;
        QTest::newRow("huge number reads back") << 9.87654321e250;
        QTest::newRow("largest double does not round past the range")
            << std::numeric_limits<double>::max();
    }
    void numberTextRoundTrips() {
        QFETCH(double, value);
        for (const char* separator : {".", ","}) {
            const auto back = parseNumber(numberText(value, separator), separator);
            QVERIFY(back.has_value());
            QVERIFY(std::fabs(*back - value) <= std::fabs(value) * 1e-14);
        }
    }

    void rounding_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("floor");
        QTest::addColumn<double>("halfEven");
        QTest::newRow("negative fraction floors downward") << -6.02 << -7.0 << -6.0;
        QTest::newRow("one and a half floors to 1 and goes to even 2") << 1.5 << 1.0 << 2.0;
        QTest::newRow("two and a half goes to even") << 2.5 << 2.0 << 2.0;
        QTest::newRow("half goes to zero") << 0.5 << 0.0 << 0.0;
        QTest::newRow("one third of three watts stays 1") << 1.0 << 1.0 << 1.0;
        QTest::newRow("just above half rounds up") << 2.5000001 << 2.0 << 3.0;
        QTest::newRow("just below half rounds down") << 1.4999999 << 1.0 << 1.0;
    }
    void rounding() {
        QFETCH(double, value);
        QFETCH(double, floor);
        QFETCH(double, halfEven);
        QCOMPARE(wholePart(value), floor);
        QCOMPARE(roundHalfEven(value), halfEven);
    }

    void missingInput_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("missing");
        QTest::newRow("empty text is missing") << "" << true;
        QTest::newRow("zero is missing") << "0" << true;
        QTest::newRow("zero point zero is missing") << "0.0" << true;
        QTest::newRow("lone point is missing") << "." << true;
        QTest::newRow("text without a leading number is missing") << "x5" << true;
        QTest::newRow("a number is not missing") << "3" << false;
        QTest::newRow("a fraction below one is not missing") << ".5" << false;
    }
    void missingInput() {
        QFETCH(QString, text);
        QFETCH(bool, missing);
        QCOMPARE(isMissing(text.toStdString()), missing);
    }
};

QTEST_GUILESS_MAIN(TestNumbers)
#include "tst_numbers.moc"
