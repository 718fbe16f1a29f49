#include "core/coverage.h"
#include "core/messages.h"
#include "core/parameters.h"
#include "support/start_record.h"

#include <QTest>

#include <array>
#include <cmath>

using namespace pa;

Q_DECLARE_METATYPE(pa::Field)

namespace {

QString q(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// What a row changes against the worked example.
struct Variation {
    QString field;
    QString value;
};

void applyVariation(CoverageInputs& in, CalculationRecord& rec, const QString& field,
                    const QString& value) {
    const std::string v = value.toStdString();
    if (field == "power")
        in.power = v;
    else if (field == "sensitivity")
        in.sensitivity = v;
    else if (field == "noise")
        in.noise = v;
    else if (field == "height")
        in.height = v;
    else if (field == "length")
        in.length = v;
    else if (field == "width")
        in.width = v;
    else if (field == "gradation")
        in.gradation = value.toInt();
    else if (field == "type") {
        const SpeakerType type = value == "wall"   ? SpeakerType::Wall
                                 : value == "horn" ? SpeakerType::Horn
                                                   : SpeakerType::Ceiling;
        in.ceiling = type == SpeakerType::Ceiling;
        applyTypeDefault(rec, type);
    } else if (field == "directivity")
        applyDirectivity(rec, v);
    else if (field == "overlap")
        applyOverlapLevel(rec, v);
    else if (field == "listen")
        applyListenHeight(rec, v);
    else
        qFatal("unknown field %s", qPrintable(field));
}

// "field=value;field=value" applied to the worked example.
CoverageOutcome run(const QString& changes, CalculationRecord& rec, std::string_view sep = ".") {
    CoverageInputs in = startFields();
    for (const QString& change : changes.split(';', Qt::SkipEmptyParts)) {
        const qsizetype eq = change.indexOf('=');
        applyVariation(in, rec, change.left(eq), change.mid(eq + 1));
    }
    return calculateCoverage(in, rec, sep);
}

} // namespace

class TestCoverage : public QObject {
    Q_OBJECT

private slots:
    void results_data() {
        QTest::addColumn<QString>("changes");
        QTest::addColumn<QString>("area");
        QTest::addColumn<QStringList>("results"); // sound pressure, range, area, count
        QTest::newRow("start example needs 5 ceiling speakers")
            << ""
            << "36" << QStringList{"94", "6", "8", "5"};
        QTest::newRow("wall projects the range over 1.5 m")
            << "type=wall"
            << "36" << QStringList{"94", "5", "27", "1"};
        QTest::newRow("horn narrows the sector") << "type=horn"
                                                 << "36" << QStringList{"94", "5", "9", "4"};
        QTest::newRow("ceiling directivity 60 needs 12 speakers")
            << "directivity=60"
            << "36" << QStringList{"94", "6", "3", "12"};
        QTest::newRow("long corridor needs a row of 11")
            << "length=30;width=1"
            << "30" << QStringList{"94", "6", "8", "11"};
        QTest::newRow("tiny room still needs one") << "length=1;width=1"
                                                   << "1" << QStringList{"94", "6", "8", "1"};
        QTest::newRow("noise 73 leaves range 4") << "noise=73"
                                                 << "36" << QStringList{"94", "4", "8", "5"};
        QTest::newRow("half of 3 W rounds to 2 W") << "gradation=2"
                                                   << "36" << QStringList{"93", "5", "8", "5"};
        QTest::newRow("half of 5 W rounds to even 2 W") << "gradation=2;power=5"
                                                        << "36" << QStringList{"93", "5", "8", "5"};
        QTest::newRow("third of 15 W is 5 W") << "gradation=3;power=15"
                                              << "36" << QStringList{"96", "7", "8", "5"};
        QTest::newRow("fractional length shows with the separator")
            << "length=7.5;width=4"
            << "30" << QStringList{"94", "6", "8", "4"};
        QTest::newRow("second point of the length ignored")
            << "length=1.2.3;width=10"
            << "12" << QStringList{"94", "6", "8", "2"};
        QTest::newRow("overlap 3 widens the range") << "overlap=3"
                                                    << "36" << QStringList{"94", "12", "8", "5"};
        QTest::newRow("listening height 190 shrinks the circle")
            << "listen=190"
            << "36" << QStringList{"94", "6", "4", "9"};
        QTest::newRow("decade of power is exact") << "power=1000;sensitivity=70"
                                                  << "36" << QStringList{"100", "11", "8", "5"};
        QTest::newRow("area at the top of the range is counted, not read as 0")
            << "length=1;width=17976931348623157" + QString(292, '0')
            << "179769313486231" + QString(294, '0')
            << QStringList{"94", "6", "8", "224711641857789" + QString(293, '0')};
    }
    void results() {
        QFETCH(QString, changes);
        QFETCH(QString, area);
        QFETCH(QStringList, results);
        CalculationRecord rec = startRecord();
        const CoverageOutcome out = run(changes, rec);
        QVERIFY2(!out.stop, out.stop ? out.stop->message.c_str() : "");
        QCOMPARE(q(out.area.value_or("<none>")), area);
        QStringList shown;
        for (const std::string& caption : out.results)
            shown << q(caption);
        QCOMPARE(shown, results);
        QCOMPARE(rec.TotalSpl.number(), results[0].toDouble());
        QCOMPARE(rec.EffRange.number(), results[1].toDouble());
        QCOMPARE(rec.CoverArea.number(), results[2].toDouble());
        QCOMPARE(rec.SpeakerCount.number(), results[3].toDouble());
        QCOMPARE(q(rec.RoomArea.text()), area);
    }

    void startExampleIntermediates() {
        CalculationRecord rec = startRecord();
        run("", rec);
        QCOMPARE(rec.PowerDb.number(), 4.771212547196624);
        QCOMPARE(rec.LevelMargin.number(), 14.0);
        QCOMPARE(rec.PowerFactor.number(), 1.0);
        QVERIFY(rec.CorridorSpan.isUnset());
        QVERIFY(rec.RoomArea.isText());
        QVERIFY(rec.SpeakerSpl.isText());

        run("type=wall", rec);
        QCOMPARE(rec.CorridorSpan.number(), 5.0);
        run("type=horn", rec);
        QCOMPARE(rec.CorridorSpan.number(), 2.0);
        run("", rec); // a ceiling calculation leaves the corridor span alone
        QCOMPARE(rec.CorridorSpan.number(), 2.0);
    }

    void powerLevel_data() {
        QTest::addColumn<QString>("changes");
        QTest::addColumn<double>("powerDb");
        QTest::addColumn<double>("factor");
        QTest::newRow("3 W at full power is 4.77 dB") << "" << 4.771212547196624 << 1.0;
        QTest::newRow("3 W at half is 3 dB") << "gradation=2" << 3.0102999566398116 << 0.5;
        QTest::newRow("5 W at half is 3 dB") << "gradation=2;power=5" << 3.0102999566398116 << 0.5;
        QTest::newRow("third is the exact quotient")
            << "gradation=3;power=15" << 10 * std::log10(5.0) << 1.0 / 3;
        QTest::newRow("1000 W is exactly 30 dB") << "power=1000" << 30.0 << 1.0;
    }
    void powerLevel() {
        QFETCH(QString, changes);
        QFETCH(double, powerDb);
        QFETCH(double, factor);
        CalculationRecord rec = startRecord();
        run(changes, rec);
        QCOMPARE(rec.PowerDb.number(), powerDb);
        QCOMPARE(rec.PowerFactor.number(), factor);
    }

    void stops_data() {
        QTest::addColumn<QString>("changes");
        QTest::addColumn<QString>("message");
        QTest::addColumn<pa::Field>("focus");
        QTest::addColumn<bool>("areaShown");
        QTest::newRow("empty power is asked for")
            << "power=" << q(msg::PowerMissing) << Field::Power << false;
        QTest::newRow("zero power is asked for")
            << "power=0.0" << q(msg::PowerMissing) << Field::Power << false;
        QTest::newRow("power and noise empty report power only")
            << "power=;noise=" << q(msg::PowerMissing) << Field::Power << false;
        QTest::newRow("empty sensitivity is asked for")
            << "sensitivity=" << q(msg::SensitivityMissing) << Field::Sensitivity << false;
        QTest::newRow("lone point as noise is asked for")
            << "noise=." << q(msg::NoiseMissing) << Field::Noise << false;
        QTest::newRow("empty ceiling height is asked for")
            << "height=" << q(msg::CeilingMissing) << Field::Height << false;
        QTest::newRow("empty mounting height is asked for")
            << "type=wall;height=" << q(msg::MountMissing) << Field::Height << false;
        QTest::newRow("length without a number is asked for")
            << "length=." << q(msg::LengthMissing) << Field::Length << false;
        QTest::newRow("empty width is asked for")
            << "width=" << q(msg::WidthMissing) << Field::Width << false;
        QTest::newRow("zero width is asked for")
            << "width=0" << q(msg::WidthMissing) << Field::Width << false;
        QTest::newRow("speaker too weak when headroom at noise 74 equals overlap")
            << "noise=74" << q(msg::SpeakerTooWeak) << Field::None << true;
        QTest::newRow("ceiling at listening height is too low")
            << "height=1.5" << q(msg::CeilingTooLow) << Field::None << true;
        QTest::newRow("wall at listening height says too low")
            << "type=wall;height=1.5" << q(msg::MountTooLow) << Field::None << true;
        QTest::newRow("horn below listening height says too low")
            << "type=horn;height=1" << q(msg::MountTooLow) << Field::None << true;
        QTest::newRow("speaker too weak for ceiling directivity 170")
            << "directivity=170" << q(msg::SpeakerTooWeak) << Field::None << true;
        QTest::newRow("speaker too weak when wall mounted above its range")
            << "type=wall;height=8" << q(msg::SpeakerTooWeak) << Field::None << true;
        QTest::newRow("half of 1 W rounds to nothing")
            << "power=1;gradation=2" << q(msg::PowerTooSmall) << Field::Power << false;
        QTest::newRow("third of 1 W rounds to nothing")
            << "power=1;gradation=3" << q(msg::PowerTooSmall) << Field::Power << false;
        QTest::newRow("below half a watt rounds to nothing")
            << "power=0.4" << q(msg::PowerTooSmall) << Field::Power << false;
        QTest::newRow("power beyond 32 bits is too large")
            << "power=2147483648" << q(msg::PowerTooLarge) << Field::Power << false;
        QTest::newRow("letters pasted after the sensitivity are invalid")
            << "sensitivity=90x" << q(msg::SensitivityInvalid) << Field::Sensitivity << false;
        QTest::newRow("noise with a second point is invalid")
            << "noise=7.0.1" << q(msg::NoiseInvalid) << Field::Noise << false;
        QTest::newRow("sensitivity of 25 digits overflows the range")
            << "sensitivity=9999999999999999999999999" << q(msg::OutOfRange) << Field::None << true;
        QTest::newRow("length beyond a double is out of range")
            << "length=" + QString(400, '9') << q(msg::OutOfRange) << Field::None << false;
        QTest::newRow("area beyond a double is out of range")
            << "length=1" + QString(200, '0') + ";width=1" + QString(200, '0') << q(msg::OutOfRange)
            << Field::None << false;
        QTest::newRow("wall height beyond a double is out of range")
            << "type=wall;height=" + QString(320, '9') << q(msg::OutOfRange) << Field::None
            << false;
    }
    void stops() {
        QFETCH(QString, changes);
        QFETCH(QString, message);
        QFETCH(pa::Field, focus);
        QFETCH(bool, areaShown);
        CalculationRecord rec = startRecord();
        const CoverageOutcome out = run(changes, rec);
        QVERIFY(out.stop.has_value());
        QCOMPARE(q(out.stop->message), message);
        QCOMPARE(out.stop->focus, focus);
        QCOMPARE(out.area.has_value(), areaShown);
        for (const std::string& caption : out.results)
            QVERIFY(caption.empty());
        // Whatever stopped it, nothing in the record is inf or nan.
        for (auto field : kRecordFields)
            QVERIFY(std::isfinite((rec.*field).number()));
    }

    void recordAfterNoiseStop() {
        CalculationRecord rec = startRecord();
        run("length=10;width=8", rec);
        const CalculationRecord before = rec;
        run("power=5;sensitivity=91;noise=;gradation=2;length=4;width=4", rec);
        // New: everything up to the failed noise check.
        QCOMPARE(rec.PowerFactor.number(), 0.5);
        QCOMPARE(rec.SpeakerPower.number(), 5.0);
        QCOMPARE(rec.PowerDb.number(), 3.0102999566398116);
        QCOMPARE(q(rec.SpeakerSpl.text()), QStringLiteral("91"));
        // Kept from the calculation before.
        QCOMPARE(rec.RoomNoise, before.RoomNoise);
        QCOMPARE(rec.MountHeight, before.MountHeight);
        QCOMPARE(rec.RoomLength, before.RoomLength);
        QCOMPARE(rec.RoomWidth, before.RoomWidth);
        QCOMPARE(rec.RoomArea, before.RoomArea);
        QCOMPARE(rec.TotalSpl, before.TotalSpl);
        QCOMPARE(rec.LevelMargin, before.LevelMargin);
        QCOMPARE(rec.EffRange, before.EffRange);
        QCOMPARE(rec.CoverArea, before.CoverArea);
        QCOMPARE(rec.SpeakerCount, before.SpeakerCount);
    }

    void recordAfterHeadroomStop() {
        CalculationRecord rec = startRecord();
        run("noise=50", rec);
        const CalculationRecord before = rec;
        run("noise=74;length=9", rec);
        QCOMPARE(rec.TotalSpl.number(), 94.0);
        QCOMPARE(rec.LevelMargin.number(), 10.0);
        QCOMPARE(q(rec.RoomNoise.text()), QStringLiteral("74"));
        QCOMPARE(rec.RoomLength.number(), 9.0);
        QCOMPARE(q(rec.RoomArea.text()), QStringLiteral("54"));
        QCOMPARE(rec.EffRange, before.EffRange);
        QCOMPARE(rec.CoverArea, before.CoverArea);
        QCOMPARE(rec.SpeakerCount, before.SpeakerCount);
        QVERIFY(rec.EffRange.number() != 0);
    }

    void recordAfterMountingHeightStop() {
        CalculationRecord rec = startRecord();
        run("", rec);
        run("type=wall;height=;length=12", rec);
        QVERIFY(rec.MountHeight.isNumber());
        QCOMPARE(rec.MountHeight.number(), 0.0);
        QCOMPARE(rec.RoomLength.number(), 6.0); // the stop came before the length
    }

    void noGradationKeepsTheFactor() {
        CalculationRecord rec = startRecord();
        run("gradation=3;power=15", rec);
        const CoverageOutcome out = run("gradation=0;power=15", rec);
        QCOMPARE(rec.PowerFactor.number(), 1.0 / 3);
        QCOMPARE(q(out.results[0]), QStringLiteral("96"));
    }

    void separatorOfTheLocale() {
        CalculationRecord rec = startRecord();
        const CoverageOutcome out = run("length=2.5;width=3;noise=40", rec, ",");
        QVERIFY(!out.stop);
        QCOMPARE(q(*out.area), QStringLiteral("7,5"));
        QCOMPARE(q(rec.RoomArea.text()), QStringLiteral("7,5"));
        QCOMPARE(q(out.results[3]), QStringLiteral("1"));
    }

    void roomAreaCaption_data() {
        QTest::addColumn<QString>("length");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("caption");
        QTest::newRow("start room is 36") << "6"
                                          << "6"
                                          << "36";
        QTest::newRow("digit typed behind the length gives 366") << "61"
                                                                 << "6"
                                                                 << "366";
        QTest::newRow("fractional length 7.5 by 4 is 30") << "7.5"
                                                          << "4"
                                                          << "30";
        QTest::newRow("fractional area 2.5 by 3 is 7.5") << "2.5"
                                                         << "3"
                                                         << "7.5";
        QTest::newRow("empty width gives 0") << "61"
                                             << ""
                                             << "0";
        QTest::newRow("second point ignored") << "10"
                                              << "1.2.3"
                                              << "12";
        QTest::newRow("overflow shows nothing") << QString(400, '9') << "1"
                                                << "";
    }
    void roomAreaCaption() {
        QFETCH(QString, length);
        QFETCH(QString, width);
        QFETCH(QString, caption);
        QCOMPARE(q(roomAreaText(length.toStdString(), width.toStdString(), ".")), caption);
    }

    void attenuation_data() {
        QTest::addColumn<QString>("distance");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("message");
        QTest::newRow("10 m is 20 dB") << "10"
                                       << "."
                                       << "20"
                                       << "";
        QTest::newRow("1 m is 0 dB") << "1"
                                     << "."
                                     << "0"
                                     << "";
        QTest::newRow("2 m is 6 dB") << "2"
                                     << "."
                                     << "6"
                                     << "";
        QTest::newRow("25 m is 27 dB") << "25"
                                       << "."
                                       << "27"
                                       << "";
        QTest::newRow("100 m is 40 dB") << "100"
                                        << "."
                                        << "40"
                                        << "";
        QTest::newRow("1000 m is a whole 60") << "1000"
                                              << "."
                                              << "60"
                                              << "";
        QTest::newRow("half a metre floors to -7") << "0.5"
                                                   << "."
                                                   << "-7"
                                                   << "";
        QTest::newRow("a tenth of a metre is -20 dB") << ".1"
                                                      << "."
                                                      << "-20"
                                                      << "";
        QTest::newRow("point accepted under a comma locale") << "2.5"
                                                             << ","
                                                             << "7"
                                                             << "";
        QTest::newRow("empty distance is asked for") << ""
                                                     << "."
                                                     << "" << q(msg::DistanceMissing);
        QTest::newRow("zero distance is asked for") << "0"
                                                    << "."
                                                    << "" << q(msg::DistanceMissing);
        QTest::newRow("lone point as distance is asked for") << "."
                                                             << "."
                                                             << "" << q(msg::DistanceMissing);
        QTest::newRow("two points in a row are invalid") << "1..2"
                                                         << "."
                                                         << "" << q(msg::DistanceInvalid);
        QTest::newRow("distance in three parts is invalid") << "1.2.3"
                                                            << "."
                                                            << "" << q(msg::DistanceInvalid);
        QTest::newRow("400 digits are invalid") << QString(400, '9') << "."
                                                << "" << q(msg::DistanceInvalid);
    }
    void attenuation() {
        QFETCH(QString, distance);
        QFETCH(QString, separator);
        QFETCH(QString, caption);
        QFETCH(QString, message);
        const AttenuationOutcome out =
            calculateAttenuation(distance.toStdString(), separator.toStdString());
        QCOMPARE(q(out.caption), caption);
        QCOMPARE(out.stop.has_value(), !message.isEmpty());
        if (out.stop) {
            QCOMPARE(q(out.stop->message), message);
            QCOMPARE(out.stop->focus, Field::Distance);
        }
    }
};

QTEST_GUILESS_MAIN(TestCoverage)
#include "tst_coverage.moc"
