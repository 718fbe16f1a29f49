#include "core/coverage.h"
#include "core/geometry.h"
#include "core/parameters.h"
#include "plan/plan.h"

#include <QTest>

#include <cmath>
#include <random>

using namespace pa;
using namespace pa::plan;

Q_DECLARE_METATYPE(pa::plan::Method)
Q_DECLARE_METATYPE(pa::plan::PlanInputs)
Q_DECLARE_METATYPE(std::vector<pa::plan::Speaker>)

namespace {

// The record the window holds after "РАСЧИТАТЬ" on the example it starts with.
CalculationRecord startRecord() {
    CalculationRecord record;
    applyStartValues(record);
    calculateCoverage({"3", "90", "70", "3", "6", "6", 1, true}, record, ",");
    return record;
}

PlanInputs startInputs() {
    return planInputs(startRecord(), SpeakerType::Ceiling, ",").value();
}

PlanInputs wallInputs(double dirCoef, double length = 12, double width = 6, int count = 4) {
    PlanInputs in = startInputs();
    in.type = SpeakerType::Wall;
    in.dirCoef = dirCoef;
    in.length = length;
    in.width = width;
    in.count = count;
    return in;
}

double dB(double energyRatio) {
    return 10 * std::log10(energyRatio);
}

} // namespace

class TestPlan : public QObject {
    Q_OBJECT

private slots:
    void levelModel_data() {
        QTest::addColumn<PlanInputs>("in");
        QTest::addColumn<std::vector<Speaker>>("speakers");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<double>("expected");

        const PlanInputs in = startInputs();
        const double drop = 1.5;
        const double half = in.dirCoef / 2;
        const double below = in.totalSpl - 20 * std::log10(drop);
        QTest::newRow("straight below")
            << in << std::vector<Speaker>{{3, 3}} << 3.0 << 3.0 << below;
        const double edge = slantRange(drop, half);
        QTest::newRow("edge of the opening angle is 6 dB down")
            << in << std::vector<Speaker>{{3, 3}} << 3.0 + coverRadius(drop, half) << 3.0
            << in.totalSpl - 20 * std::log10(edge) - 6;
        const double side = in.totalSpl - 20 * std::log10(std::hypot(1.0, drop)) -
                            6 * std::pow(std::atan(1 / drop) / half, 2);
        QTest::newRow("two equal loudspeakers add 3.01 dB")
            << in << std::vector<Speaker>{{2, 3}, {4, 3}} << 3.0 << 3.0 << side + dB(2);

        // A point as far out as the drop sees the wall loudspeaker 45 degrees off its axis.
        const PlanInputs wall = wallInputs(kApproxFullTurn / 3);
        const double wallHalf = wall.dirCoef / 2;
        const double offAxis = wall.totalSpl - 20 * std::log10(std::hypot(drop, drop)) -
                               6 * std::pow(std::atan(1.0) / wallHalf, 2);
        QTest::newRow("near wall aims across the room")
            << wall << std::vector<Speaker>{{3, 0, Wall::Near}} << 3.0 << drop << offAxis;
        QTest::newRow("far wall aims back")
            << wall << std::vector<Speaker>{{3, 6, Wall::Far}} << 3.0 << 6 - drop << offAxis;
        const PlanInputs horn = wallInputs(kApproxFullTurn / 9);
        QTest::newRow("directivity stops at -30 dB")
            << horn << std::vector<Speaker>{{0, 0, Wall::Near}} << 6.0 << 0.0
            << horn.totalSpl - 20 * std::log10(std::hypot(6.0, drop)) - 30;
    }

    void levelModel() {
        QFETCH(PlanInputs, in);
        QFETCH(std::vector<Speaker>, speakers);
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(double, expected);
        QVERIFY(std::abs(levelAt(in, speakers, x, y) - expected) < 1e-9);
        const Grid point{1, 1, 2 * x, 2 * y}; // one point, in the middle
        const std::vector<float> map = levelMap(in, speakers, point);
        QCOMPARE(map.size(), std::size_t{1});
        QVERIFY(std::abs(map[0] - expected) < 0.01);
    }

    void layouts_data() {
        QTest::addColumn<PlanInputs>("in");
        QTest::addColumn<Method>("method");
        QTest::addColumn<int>("count");
        QTest::addColumn<double>("stepX"); // 0: no step
        QTest::addColumn<double>("stepY");

        const PlanInputs start = startInputs();
        QTest::newRow("by count 5 in 6 x 6: 2 + 2 + 1")
            << start << Method::ByCount << 5 << 3.0 << 2.0;
        QTest::newRow("edge to edge: 6 m is two steps despite the short pi")
            << start << Method::EdgeToEdge << 4 << 3.0 << 3.0;
        QTest::newRow("minimum overlap") << start << Method::MinimumOverlap << 9 << 2.0 << 2.0;
        QTest::newRow("edge to centre") << start << Method::EdgeToCentre << 16 << 1.5 << 1.5;
        PlanInputs small = start;
        small.length = 1;
        small.width = 0.5;
        QTest::newRow("room smaller than one step")
            << small << Method::EdgeToCentre << 1 << 0.0 << 0.0;
        PlanInputs corridor = start;
        corridor.length = 30;
        corridor.width = 1;
        corridor.count = 11;
        QTest::newRow("1 x N corridor by count")
            << corridor << Method::ByCount << 11 << 30.0 / 11 << 0.0;
        QTest::newRow("corridor edge to edge")
            << corridor << Method::EdgeToEdge << 11 << 30.0 / 11 << 0.0;
        QTest::newRow("wall staggered") << wallInputs(2.0) << Method::ByCount << 4 << 3.0 << 0.0;
        QTest::newRow("wall on one wall") << wallInputs(2.0) << Method::OneWall << 4 << 3.0 << 0.0;
    }

    void layouts() {
        QFETCH(PlanInputs, in);
        QFETCH(Method, method);
        QFETCH(int, count);
        QFETCH(double, stepX);
        QFETCH(double, stepY);
        const std::vector<Speaker> speakers = layOut(in, method);
        QCOMPARE(int(speakers.size()), count);
        const Figures f = figures(in, speakers);
        QCOMPARE(f.stepX.value_or(0), stepX);
        QCOMPARE(f.stepY.value_or(0), stepY);
        const bool ceiling = in.type == SpeakerType::Ceiling;
        for (std::size_t i = 0; i < speakers.size(); ++i) {
            const Speaker& s = speakers[i];
            QVERIFY(s.x > 0 && s.x < in.length && s.y >= 0 && s.y <= in.width);
            const Wall wall = ceiling                     ? Wall::None
                              : method == Method::OneWall ? Wall::Near
                              : i % 2 == 0                ? Wall::Near
                                                          : Wall::Far;
            QCOMPARE(s.wall, wall);
            if (!ceiling)
                QCOMPARE(s.y, wall == Wall::Near ? 0.0 : in.width);
        }
        // Cell centres: the outer loudspeakers stand half a step from the end walls.
        if (f.stepX)
            QCOMPARE(*f.wallX, *f.stepX / 2);
    }

    void mapsAgreeWithReference_data() {
        QTest::addColumn<PlanInputs>("in");
        QTest::addColumn<Method>("method");
        QTest::newRow("ceiling by count") << startInputs() << Method::ByCount;
        QTest::newRow("ceiling edge to centre") << startInputs() << Method::EdgeToCentre;
        QTest::newRow("wall staggered") << wallInputs(kApproxFullTurn / 3) << Method::ByCount;
        QTest::newRow("narrow horn on one wall")
            << wallInputs(kApproxFullTurn / 36, 20, 4, 7) << Method::OneWall;
    }

    void mapsAgreeWithReference() {
        QFETCH(PlanInputs, in);
        QFETCH(Method, method);
        const std::vector<Speaker> speakers = layOut(in, method);
        const Grid grid{81, 57, in.length, in.width};
        const std::vector<float> map = levelMap(in, speakers, grid);
        QCOMPARE(int(map.size()), grid.columns * grid.rows);
        double worst = 0;
        for (int row = 0; row < grid.rows; ++row)
            for (int column = 0; column < grid.columns; ++column)
                worst =
                    std::max(worst, std::abs(map[std::size_t(row * grid.columns + column)] -
                                             levelAt(in, speakers, grid.x(column), grid.y(row))));
        QVERIFY2(worst < 0.01, qPrintable(QString::number(worst)));
    }

    void symmetricLayoutGivesSymmetricMap_data() {
        QTest::addColumn<PlanInputs>("in");
        QTest::addColumn<bool>("pointSymmetric"); // else mirrored along the length
        QTest::newRow("ceiling by count mirrors") << startInputs() << false;
        QTest::newRow("staggered walls turn by half a turn") << wallInputs(2.0) << true;
    }

    void symmetricLayoutGivesSymmetricMap() {
        QFETCH(PlanInputs, in);
        QFETCH(bool, pointSymmetric);
        const Grid grid = figureGrid(in.length, in.width);
        const std::vector<float> map = levelMap(in, layOut(in, Method::ByCount), grid);
        for (int row = 0; row < grid.rows; ++row)
            for (int column = 0; column < grid.columns; ++column) {
                const int mirrorRow = pointSymmetric ? grid.rows - 1 - row : row;
                const float a = map[std::size_t(row * grid.columns + column)];
                const float b =
                    map[std::size_t(mirrorRow * grid.columns + grid.columns - 1 - column)];
                QVERIFY(std::abs(a - b) < 0.01);
            }
    }

    void minimumOverlapLeavesNoGap() {
        std::mt19937 random(9);
        std::uniform_real_distribution<double> side(0.3, 40);
        std::uniform_real_distribution<double> angle(0.3, 2.8);
        for (int room = 0; room < 200; ++room) {
            PlanInputs in = startInputs();
            in.length = side(random);
            in.width = side(random);
            in.dirCoef = angle(random);
            const double reach = coverageRadius(in) + 0.001;
            const std::vector<Speaker> speakers = layOut(in, Method::MinimumOverlap);
            const Grid grid{41, 41, in.length, in.width};
            for (int row = 0; row < grid.rows; ++row)
                for (int column = 0; column < grid.columns; ++column) {
                    double nearest = INFINITY;
                    for (const Speaker& s : speakers)
                        nearest =
                            std::min(nearest, std::hypot(grid.x(column) - s.x, grid.y(row) - s.y));
                    QVERIFY2(nearest <= reach, qPrintable(QString("room %1").arg(room)));
                }
        }
    }

    void figureGridSize_data() {
        QTest::addColumn<double>("side");
        QTest::addColumn<int>("points");
        QTest::newRow("6 m at 5 cm, both edges") << 6.0 << 121;
        QTest::newRow("long side capped at 400 points") << 100.0 << 400;
        QTest::newRow("tiny side keeps both edges") << 0.01 << 2;
    }

    void figureGridSize() {
        QFETCH(double, side);
        QFETCH(int, points);
        const Grid grid = figureGrid(side, 1);
        QCOMPARE(grid.columns, points);
        QCOMPARE(grid.x(0), 0.0);
        QCOMPARE(grid.x(points - 1), side);
    }

    void startExample() {
        const PlanInputs in = startInputs();
        QCOMPARE(in.count, 5);
        const Figures f = figures(in, layOut(in, Method::ByCount));
        QCOMPARE(f.count, std::size_t{5});
        QCOMPARE(*f.wallX, 1.5);
        QCOMPARE(*f.wallY, 1.0);
        QVERIFY(f.mapped);
        QCOMPARE(std::round(f.minLevel * 10) / 10, 74.2);
        QCOMPARE(f.minAt.y, 6.0); // a far corner, beside the single loudspeaker of the last row
        QCOMPARE(std::round(f.maxLevel * 10) / 10, 90.9);
        QCOMPARE(std::round(f.shareAtTarget * 100), 92.0);
        QVERIFY(!f.aboveNoiseOk);
        QVERIFY(f.maxOk);
        QVERIFY(f.onAxisOk);
        QVERIFY(f.standardHeight);
        QCOMPARE(f.totalWatts, 15.0);
        QCOMPARE(f.amplifierWatts, 18.0);
        const std::vector<std::string> lines = figureLines(in, f, ",");
        const auto has = [&](const std::string& part) {
            return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
                return line.find(part) != std::string::npos;
            });
        };
        QVERIFY(has("Минимальный уровень: 74,2 дБ"));
        QVERIFY(has("Доля площади с уровнем не ниже целевого: 92 %"));
        QVERIFY(has("п. 4.2): минимум 74,2 дБ при требуемых 85,0 дБ — не выполнено"));
        QVERIFY(has("Усилитель не менее (сумма + 20 %): 18,0 Вт"));
        QVERIFY(!has("высоте прослушивания"));
    }

    void tooManyToDraw() {
        PlanInputs in = startInputs();
        in.length = 200;
        in.width = 200;
        in.count = int(kMaxDrawnSpeakers) + 1;
        const std::vector<Speaker> speakers = layOut(in, Method::ByCount);
        QCOMPARE(speakers.size(), kMaxDrawnSpeakers + 1);
        QVERIFY(levelMap(in, speakers, figureGrid(in.length, in.width)).empty());
        const Figures f = figures(in, speakers);
        QVERIFY(!f.mapped);
        const std::vector<std::string> lines = figureLines(in, f, ".");
        QCOMPARE(lines.front(), std::string("Слишком много громкоговорителей для плана (2001)"));
        QCOMPARE(lines.back(), std::string("Усилитель не менее (сумма + 20 %): 7203.6 Вт"));
    }

    void refusesRecords_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text"); // "" leaves the field unset
        QTest::newRow("no total level yet") << "TotalSpl"
                                            << "";
        QTest::newRow("noise not a number") << "RoomNoise"
                                            << "шум";
        QTest::newRow("infinite length") << "RoomLength"
                                         << "inf";
        QTest::newRow("zero width") << "RoomWidth"
                                    << "0";
        QTest::newRow("mounting at the listening plane") << "MountHeight"
                                                         << "1.5";
        QTest::newRow("ceiling angle of a half turn") << "DirCoef"
                                                      << "3.1415";
        QTest::newRow("fractional count") << "SpeakerCount"
                                          << "2.5";
        QTest::newRow("room 100 km long") << "RoomLength"
                                          << "100000";
        QTest::newRow("power rounding to 0 W") << "SpeakerPower"
                                               << "0.4";
    }

    void refusesRecords() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        CalculationRecord record = startRecord();
        RecordValue value;
        if (!text.isEmpty())
            value = field == "RoomNoise" ? RecordValue(text.toStdString())
                                         : RecordValue(text.toDouble());
        if (field == "TotalSpl")
            record.TotalSpl = value;
        else if (field == "RoomNoise")
            record.RoomNoise = value;
        else if (field == "RoomLength")
            record.RoomLength = value;
        else if (field == "RoomWidth")
            record.RoomWidth = value;
        else if (field == "MountHeight")
            record.MountHeight = value;
        else if (field == "DirCoef")
            record.DirCoef = value;
        else if (field == "SpeakerCount")
            record.SpeakerCount = value;
        else if (field == "SpeakerPower")
            record.SpeakerPower = value;
        QVERIFY(planInputs(startRecord(), SpeakerType::Ceiling, ","));
        QVERIFY(!planInputs(record, SpeakerType::Ceiling, ","));
    }
};

QTEST_GUILESS_MAIN(TestPlan)
#include "tst_plan.moc"
