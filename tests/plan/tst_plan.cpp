#include "core/coverage.h"
#include "core/geometry.h"
#include "core/parameters.h"
#include "plan/dxf.h"
#include "plan/plan.h"
#include "support/start_plan.h"

#include <QTest>

#include <cmath>
#include <map>
#include <random>
#include <tuple>

using namespace pa;
using namespace pa::plan;

using Speakers = std::vector<Speaker>;
using RecordField = RecordValue CalculationRecord::*;
Q_DECLARE_METATYPE(Method)
Q_DECLARE_METATYPE(PlanInputs)
Q_DECLARE_METATYPE(Speakers)
Q_DECLARE_METATYPE(RecordField)
Q_DECLARE_METATYPE(SpeakerType)
Q_DECLARE_METATYPE(RoomChecks)
Q_DECLARE_METATYPE(Verdict)

namespace {

// The start example changed in room, count and type.
PlanInputs room(double length, double width, int count, double wallDirCoef = 0) {
    PlanInputs in = startPlan(",");
    std::tie(in.length, in.width, in.count) = std::tuple(length, width, count);
    if (wallDirCoef > 0)
        std::tie(in.type, in.dirCoef) = std::tuple(SpeakerType::Wall, wallDirCoef);
    return in;
}

// Level at distance r and angle theta off the axis, written out by hand.
double level(const PlanInputs& in, double r, double theta) {
    return in.totalSpl - 20 * std::log10(r) - 6 * std::pow(theta / (in.dirCoef / 2), 2);
}

// The row whose caption begins so; an empty row where none does.
FigureRow rowOf(const PlanInputs& in, const Figures& f, const QString& caption) {
    for (FigureRow& row : figureRows(in, f, ","))
        if (QString::fromStdString(row.caption).startsWith(caption))
            return row;
    return {};
}

// The figure lines as one text, a line break after each.
std::string text(const PlanInputs& in, const Figures& f, std::string_view separator) {
    std::string all;
    for (const std::string& line : figureLines(in, f, separator))
        all += line + "\n";
    return all;
}

} // namespace

class TestPlan : public QObject {
    Q_OBJECT

private slots:
    void levelModel_data() {
        QTest::addColumn<PlanInputs>("in");
        QTest::addColumn<Speakers>("speakers");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<double>("expected");
        const PlanInputs in = startPlan(",");
        const double drop = 1.5;
        const double half = in.dirCoef / 2;
        QTest::newRow("straight below")
            << in << Speakers{{3, 3}} << 3.0 << 3.0 << level(in, drop, 0);
        QTest::newRow("edge of the opening angle is 6 dB down")
            << in << Speakers{{3, 3}} << 3 + coverRadius(drop, half) << 3.0
            << level(in, slantRange(drop, half), 0) - 6;
        QTest::newRow("two equal loudspeakers add 3.01 dB")
            << in << Speakers{{2, 3}, {4, 3}} << 3.0 << 3.0
            << level(in, std::hypot(1, drop), std::atan(1 / drop)) + 10 * std::log10(2.0);
        // A point as far out as the drop sees a wall loudspeaker 45 degrees off its axis.
        const PlanInputs wall = room(12, 6, 4, kApproxFullTurn / 3);
        const double offAxis = level(wall, std::hypot(drop, drop), std::atan(1.0));
        QTest::newRow("near wall aims across the room")
            << wall << Speakers{{3, 0, Wall::Near}} << 3.0 << drop << offAxis;
        QTest::newRow("far wall aims back")
            << wall << Speakers{{3, 6, Wall::Far}} << 3.0 << 6 - drop << offAxis;
        const PlanInputs horn = room(12, 6, 4, kApproxFullTurn / 9);
        QTest::newRow("directivity stops at -30 dB")
            << horn << Speakers{{0, 0, Wall::Near}} << 6.0 << 0.0
            << level(horn, std::hypot(6, drop), 0) - 30;
    }

    void levelModel() {
        QFETCH(PlanInputs, in);
        QFETCH(Speakers, speakers);
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(double, expected);
        QVERIFY(std::abs(levelAt(in, speakers, x, y) - expected) < 1e-9);
        const std::vector<float> map = levelMap(in, speakers, Grid{1, 1, 2 * x, 2 * y});
        QVERIFY(map.size() == 1 && std::abs(map[0] - expected) < 0.01); // the grid's middle
    }

    void layouts_data() {
        QTest::addColumn<PlanInputs>("in");
        QTest::addColumn<Method>("method");
        QTest::addColumn<int>("count");
        QTest::addColumn<double>("stepX"); // 0: no step
        QTest::addColumn<double>("stepY");
        const PlanInputs start = startPlan(",");
        QTest::newRow("by count 5 in 6 x 6: 2 + 2 + 1")
            << start << Method::ByCount << 5 << 3.0 << 2.0;
        QTest::newRow("edge to edge: 6 m is two steps despite the short pi")
            << start << Method::EdgeToEdge << 4 << 3.0 << 3.0;
        QTest::newRow("minimum overlap") << start << Method::MinimumOverlap << 9 << 2.0 << 2.0;
        QTest::newRow("edge to centre") << start << Method::EdgeToCentre << 16 << 1.5 << 1.5;
        QTest::newRow("room smaller than one step")
            << room(1, 0.5, 1) << Method::EdgeToCentre << 1 << 0.0 << 0.0;
        QTest::newRow("1 x N corridor by count")
            << room(30, 1, 11) << Method::ByCount << 11 << 30.0 / 11 << 0.0;
        // Along each wall: the neighbour across the room covers the other side.
        QTest::newRow("wall staggered")
            << room(12, 6, 4, 2.0) << Method::ByCount << 4 << 6.0 << 0.0;
        QTest::newRow("wall staggered, 60 x 12 hall")
            << room(60, 12, 3, 2.0) << Method::ByCount << 3 << 40.0 << 0.0;
        QTest::newRow("wall on one wall")
            << room(12, 6, 4, 2.0) << Method::OneWall << 4 << 3.0 << 0.0;
    }

    void layouts() {
        QFETCH(PlanInputs, in);
        QFETCH(Method, method);
        QFETCH(int, count);
        QFETCH(double, stepX);
        QFETCH(double, stepY);
        const Speakers speakers = layOut(in, method);
        QCOMPARE(int(speakers.size()), count);
        const Figures f = figures(in, speakers);
        // Fuzzy: a step is a difference of positions. As laid out, all steps are the same.
        for (const auto& [step, expected] : {std::pair{f.stepX, stepX}, {f.stepY, stepY}})
            for (const double value : {step.value_or(Span{}).min, step.value_or(Span{}).max})
                QCOMPARE(value, expected);
        const bool staggered = in.type != SpeakerType::Ceiling && method == Method::ByCount;
        if (f.stepX) // cell centres: the outer loudspeakers stand half a cell from the end walls
            QCOMPARE(*f.wallX, f.stepX->min / (staggered ? 4 : 2));
        for (std::size_t i = 0; i < speakers.size(); ++i) {
            const Speaker& s = speakers[i];
            QVERIFY(s.x > 0 && s.x < in.length && s.y >= 0 && s.y <= in.width);
            const bool far = method == Method::ByCount && i % 2 == 1;
            const Wall wall = in.type == SpeakerType::Ceiling ? Wall::None
                              : far                           ? Wall::Far
                                                              : Wall::Near;
            QCOMPARE(s.wall, wall);
            if (wall != Wall::None)
                QCOMPARE(s.y, far ? in.width : 0.0);
        }
    }

    // Lines of layouts moved by hand, and of shares set on the start example's figures.
    void figureTexts_data() {
        QTest::addColumn<PlanInputs>("in");
        QTest::addColumn<Speakers>("speakers");
        QTest::addColumn<double>("share"); // below 0: as computed
        QTest::addColumn<QString>("shown");
        const auto row = [](const char* name, PlanInputs in, Speakers s, double share,
                            const char* shown) {
            QTest::newRow(name) << in << s << share << shown;
        };
        row("steps range, no column", room(10, 6, 4), {{1, 1}, {3.9, 1}, {8, 1}, {2, 4}}, -1,
            "Шаг по длине: от 2,90 до 4,10 м\nОт крайних");
        row("no loudspeaker passes no check", startPlan(","), {}, -1,
            "п. 4.1): 84,5 дБ — нет громкоговорителей\n");
        row("99.66 % is not 100 %", startPlan(","), {{3, 3}}, 0.9966, "целевого: 99,6 %\n");
        row("100 % with no point below", startPlan(","), {{3, 3}}, 1, "целевого: 100 %\n");
        row("45.9 % cut to whole", startPlan(","), {{3, 3}}, 0.459, "целевого: 45 %\n");
    }

    void figureTexts() {
        QFETCH(PlanInputs, in);
        QFETCH(Speakers, speakers);
        QFETCH(double, share);
        QFETCH(QString, shown);
        Figures f = figures(in, speakers);
        if (share >= 0)
            f.shareAtTarget = share;
        QVERIFY(speakers.size() || (!f.onAxisOk && !f.maxOk && !f.aboveNoiseOk));
        const std::string lines = text(in, f, ",");
        QVERIFY2(lines.find(shown.toStdString()) != std::string::npos, lines.c_str());
    }

    // The three checks' verdicts come off their lines into the rows, a check without a value
    // included; none is left in a caption or a value.
    void figureRowVerdicts_data() {
        QTest::addColumn<Speakers>("speakers");
        QTest::newRow("no loudspeaker: checks without values") << Speakers{};
        QTest::newRow("one loudspeaker: checks with values") << Speakers{{3, 3}};
    }
    void figureRowVerdicts() {
        QFETCH(Speakers, speakers);
        const PlanInputs in = startPlan(",");
        int checks = 0;
        for (const FigureRow& row : figureRows(in, figures(in, speakers), ",")) {
            if (row.verdict == Verdict::None)
                continue;
            ++checks;
            QCOMPARE(row.verdict == Verdict::NoSpeakers, speakers.empty());
            for (const std::string& text : {row.caption, row.value})
                QVERIFY2(!text.ends_with(verdictWord(row.verdict)), text.c_str());
        }
        QCOMPARE(checks, 3);
    }

    // The room's checks: each names its item and says where it does not apply.
    void roomChecks_data() {
        QTest::addColumn<PlanInputs>("in");
        QTest::addColumn<RoomChecks>("checks");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("value");
        QTest::addColumn<Verdict>("verdict");
        const auto wall = [](double mount) {
            PlanInputs in = room(12, 6, 4, dirCoefFromAngle("90"));
            in.mountHeight = mount;
            return in;
        };
        const auto high = [](std::optional<double> height) {
            RoomChecks c;
            c.height = height;
            return c;
        };
        const QString top = "Верх громкоговорителя";
        QTest::newRow("top edge at both limits")
            << wall(2.15) << high(2.45) << top << "верх 2,30 м (подвес + 0,15 м), до потолка 0,15 м"
            << Verdict::Met;
        QTest::newRow("top edge too low")
            << wall(2.1) << high(3.0) << top << "верх 2,25 м (подвес + 0,15 м), до потолка 0,75 м"
            << Verdict::NotMet;
        QTest::newRow("top edge against the ceiling")
            << wall(2.5) << high(2.6) << top << "верх 2,65 м (подвес + 0,15 м), до потолка -0,05 м"
            << Verdict::NotMet;
        QTest::newRow("no room height: the floor's limit alone")
            << wall(2.5) << high({}) << top
            << "верх 2,65 м (подвес + 0,15 м), высота помещения не задана, до потолка не проверено"
            << Verdict::Met;
        QTest::newRow("ceiling loudspeakers have no top edge rule")
            << room(12, 6, 4) << high(3.0) << top << "не применяется: громкоговорители потолочные"
            << Verdict::None;
        PlanInputs loud = room(12, 6, 4);
        loud.roomNoise = 96;
        QTest::newRow("above 95 dB light signals go with the sound")
            << loud << RoomChecks{} << "Световые"
            << "нужны: шум 96,0 дБ, звуковые сигналы дополняются световыми (допускаются мигающие)"
            << Verdict::None;
        loud.roomNoise = 95;
        QTest::newRow("95 dB needs no light signals")
            << loud << RoomChecks{} << "Световые"
            << "не применяется: шум 95,0 дБ" << Verdict::None;
        // 70 dB at 3 m; with 71 dB reverberant and 70 dB noise 10 lg(10^7 + 10^7.1 + 10^7) = 75.1.
        PlanInputs faint = room(12, 6, 4);
        faint.totalSpl = 70 + 20 * std::log10(3.0);
        faint.roomNoise = 70;
        RoomChecks reverberant;
        reverberant.reverberant = 71;
        QTest::newRow("reverberation and noise count at 3 m")
            << faint << reverberant << "Каждый громкоговоритель вместе с реверберацией и шумом"
            << "75,1 дБ" << Verdict::Met;
        QTest::newRow("the direct sound's check stays without noise")
            << faint << RoomChecks{} << "Каждый громкоговоритель не менее"
            << "70,0 дБ" << Verdict::NotMet;
        RoomChecks sleeping;
        sleeping.sleeping = true;
        QTest::newRow("a room for sleep leaves the 1.5 m check")
            << room(12, 6, 4) << sleeping << "Уровень не менее чем на 15 дБ выше шума во всех"
            << "не применяется: в помещении для сна уровень над шумом проверяется по п. 4.3"
            << Verdict::None;
        QTest::newRow("other rooms leave the sleeper's check")
            << room(12, 6, 4) << RoomChecks{} << "Уровень на высоте головы спящего"
            << "не применяется: помещение не отмечено как помещение для сна" << Verdict::None;
    }
    void roomChecks() {
        QFETCH(PlanInputs, in);
        QFETCH(RoomChecks, checks);
        QFETCH(QString, caption);
        QFETCH(QString, value);
        QFETCH(Verdict, verdict);
        const FigureRow row = rowOf(in, figures(in, layOut(in, Method::ByCount), checks), caption);
        QCOMPARE(QString::fromStdString(row.value), value);
        QCOMPARE(row.verdict, verdict);
    }

    // In a room for sleep the level over the noise is taken at the head, where one loudspeaker in
    // the middle of the room is quietest in the first corner, and never below 70 dB.
    void sleepersHead_data() {
        QTest::addColumn<double>("head");
        QTest::addColumn<double>("noise");
        QTest::addColumn<double>("fainter");     // dB off the loudspeaker's level
        QTest::addColumn<double>("reverberant"); // dB, NaN for none
        QTest::addColumn<bool>("met");
        QTest::newRow("quiet room, loud enough") << 0.6 << 40.0 << 0.0 << double(NAN) << true;
        QTest::newRow("quiet room, under 70 dB") << 0.6 << 40.0 << 6.0 << double(NAN) << false;
        QTest::newRow("noisy room: the noise decides")
            << 0.6 << 62.0 << 0.0 << double(NAN) << false;
        QTest::newRow("higher head, reverberation lifts it over 70 dB")
            << 1.1 << 40.0 << 6.0 << 68.0 << true;
    }
    void sleepersHead() {
        QFETCH(double, head);
        QFETCH(double, noise);
        QFETCH(double, fainter);
        QFETCH(double, reverberant);
        QFETCH(bool, met);
        PlanInputs in = room(4, 4, 1);
        in.roomNoise = noise;
        in.totalSpl -= fainter;
        RoomChecks checks;
        checks.sleeping = true;
        checks.headHeight = head;
        if (!std::isnan(reverberant))
            checks.reverberant = reverberant;
        const Speakers centre{{2, 2}};
        const Figures f = figures(in, centre, checks);
        PlanInputs atHead = in;
        atHead.listenHeight = head;
        double least = levelAt(atHead, centre, 0, 0);
        if (checks.reverberant)
            least = 10 * std::log10(std::pow(10, least / 10) + std::pow(10, reverberant / 10));
        QVERIFY(f.headMapped);
        QVERIFY2(std::abs(f.headMinLevel - least) < 0.01, qPrintable(QString::number(least)));
        QCOMPARE(f.headMinAt.x + f.headMinAt.y, 0.0);
        const double required = std::max(noise + 15, 70.0);
        QCOMPARE(least >= required, met);
        QCOMPARE(f.headOk, met);
        const FigureRow row = rowOf(in, f, "Уровень не менее чем на 15 дБ выше шума и не ниже 70");
        QVERIFY2(row.value.ends_with("при требуемых " + fixedText(required, 1, ",") + " дБ"),
                 row.value.c_str());
        QCOMPARE(row.verdict, f.headOk ? Verdict::Met : Verdict::NotMet);
    }

    // 769 = 32 x 24 + 1 in 25 rows: 30 or 31 in each, no row alone; each row spread evenly.
    void evenRows() {
        const PlanInputs in = room(200, 150, 769);
        std::map<double, std::vector<double>> byRow;
        for (const Speaker& s : layOut(in, Method::ByCount))
            byRow[s.y].push_back(s.x);
        QCOMPARE(byRow.size(), std::size_t{25});
        for (const auto& [y, xs] : byRow) {
            QVERIFY(xs.size() == 30 || xs.size() == 31);
            for (std::size_t k = 0; k < xs.size(); ++k)
                QCOMPARE(xs[k], (double(k) + 0.5) * in.length / double(xs.size()));
        }
    }

    // Aimed back from the far wall, the sector spanning the typed 120 degrees as in the picture.
    void farWallSectors() {
        const PlanInputs in = room(12, 6, 4, dirCoefFromAngle("120"));
        const Speakers speakers = layOut(in, Method::OneWall, Wall::Far);
        for (const Speaker& s : speakers)
            QVERIFY(s.wall == Wall::Far && s.y == in.width);
        QVERIFY(planDxf(in, speakers).find("50\r\n210.0\r\n51\r\n330.0\r\n") != std::string::npos);
    }

    // The fast map against the reference at every point, and against itself where the layout
    // is symmetric: mirrored along the length, or turned by half a turn.
    void mapsAgreeWithReference_data() {
        QTest::addColumn<PlanInputs>("in");
        QTest::addColumn<Method>("method");
        QTest::addColumn<QString>("symmetry");
        QTest::newRow("ceiling by count") << startPlan(",") << Method::ByCount << "mirror";
        QTest::newRow("wall staggered")
            << room(12, 6, 4, kApproxFullTurn / 3) << Method::ByCount << "half turn";
        QTest::newRow("narrow horn on one wall")
            << room(20, 4, 7, kApproxFullTurn / 36) << Method::OneWall << "";
        // Far from the corner a single-precision coordinate is a millimetre coarse; the wall
        // loudspeakers hang a centimetre above the plane, among the figure grid's points.
        PlanInputs longHall = room(1000, 100, 330, kApproxFullTurn / 3);
        longHall.mountHeight = longHall.listenHeight + 0.01;
        QTest::newRow("long hall just above the plane") << longHall << Method::ByCount << "";
    }

    void mapsAgreeWithReference() {
        QFETCH(PlanInputs, in);
        QFETCH(Method, method);
        QFETCH(QString, symmetry);
        const Speakers speakers = layOut(in, method);
        const Grid grid = figureGrid(in.length, in.width);
        const std::vector<float> map = levelMap(in, speakers, grid);
        QCOMPARE(int(map.size()), grid.columns * grid.rows);
        const auto at = [&](int row, int column) {
            return map[std::size_t(row * grid.columns + column)];
        };
        for (int row = 0; row < grid.rows; ++row)
            for (int column = 0; column < grid.columns; ++column) {
                QVERIFY(std::abs(at(row, column) -
                                 levelAt(in, speakers, grid.x(column), grid.y(row))) < 0.01);
                const int turned = symmetry == "half turn" ? grid.rows - 1 - row : row;
                if (!symmetry.isEmpty())
                    QVERIFY(std::abs(at(row, column) - at(turned, grid.columns - 1 - column)) <
                            0.01);
            }
    }

    void gridEndsOnTheWalls_data() {
        QTest::addColumn<double>("side");
        QTest::newRow("1.3 m: 26 points") << 1.3;
    }

    void gridEndsOnTheWalls() {
        QFETCH(double, side);
        const Grid grid = figureGrid(side, side);
        for (int i = 0; i < grid.columns; ++i)
            QVERIFY(grid.x(i) >= 0 && grid.x(i) <= side && grid.y(i) >= 0 && grid.y(i) <= side);
        QCOMPARE(grid.x(grid.columns - 1), side);
        QCOMPARE(grid.y(grid.rows - 1), side);
    }

    // Places no layout has: the map is refused rather than filled with overflowed levels.
    void unmappable_data() {
        QTest::addColumn<PlanInputs>("in");
        QTest::addColumn<Speakers>("speakers");
        const PlanInputs in = startPlan(",");
        QTest::newRow("loudspeaker 1e20 m away") << in << Speakers{{1e20, 3}, {3, 3}};
        PlanInputs onThePlane = in;
        std::tie(onThePlane.mountHeight, onThePlane.listenHeight) = std::tuple(1e-200, 0.0);
        QTest::newRow("mounted 1e-200 m above the plane") << onThePlane << Speakers{{3, 3}};
    }

    void unmappable() {
        QFETCH(PlanInputs, in);
        QFETCH(Speakers, speakers);
        QVERIFY(levelMap(in, speakers, figureGrid(in.length, in.width)).empty());
        QVERIFY(!figures(in, speakers).mapped);
    }

    void minimumOverlapLeavesNoGap() {
        std::mt19937 random(9);
        std::uniform_real_distribution<double> unit(0, 1);
        for (int room = 0; room < 100; ++room) {
            PlanInputs in = startPlan(",");
            in.length = 0.3 + 30 * unit(random);
            in.width = 0.3 + 30 * unit(random);
            in.dirCoef = 0.8 + 2 * unit(random);
            const double reach = coverageRadius(in) + 0.001;
            const Speakers speakers = layOut(in, Method::MinimumOverlap);
            // The room's corners, where a gap would open first, and random points.
            std::vector<Point> points{{0, 0}, {in.length, 0}, {0, in.width}, {in.length, in.width}};
            for (int i = 0; i < 300; ++i)
                points.push_back({in.length * unit(random), in.width * unit(random)});
            for (const Point& p : points) {
                double nearest = INFINITY;
                for (const Speaker& s : speakers)
                    nearest = std::min(nearest, std::hypot(p.x - s.x, p.y - s.y));
                QVERIFY2(nearest <= reach, qPrintable(QString("room %1").arg(room)));
            }
        }
    }

    void startExample() {
        const PlanInputs in = startPlan(",");
        QCOMPARE(figureGrid(in.length, in.width).columns, 121); // 5 cm, both edges included
        const Figures f = figures(in, layOut(in, Method::ByCount));
        QVERIFY(f.mapped && !f.aboveNoiseOk && f.maxOk && f.onAxisOk && f.standardHeight);
        QCOMPARE(f.minAt.y, 6.0); // a far corner, beside the single loudspeaker of the last row
        const std::string lines = text(in, f, ",");
        for (const char* expected :
             {"торцевых стен: 1,50 м\nОт крайних громкоговорителей до продольных стен: 1,00 м",
              "Минимальный уровень: 74,2 дБ (x = ",
              "Максимальный уровень: 90,9 дБ (x = 1,50 м, y = 3,00 м)",
              "Доля площади с уровнем не ниже целевого: 91 %", // over 91.5 %, cut
              "п. 4.2): минимум 74,2 дБ при требуемых 85,0 дБ — не выполнено",
              "мощность громкоговорителей: 5 × 3,0 Вт = 15,0 Вт",
              "Усилитель не менее (сумма + 20 %): 18,0 Вт"})
            QVERIFY2(lines.find(expected) != std::string::npos, expected);
        PlanInputs seated = in;
        seated.listenHeight = 1.2;
        QVERIFY(text(seated, figures(seated, {{3, 3}}), ",")
                    .find("на выбранной высоте прослушивания 1,20 м, а не на 1,5 м") !=
                std::string::npos);
    }

    void tooManyToDraw() {
        const PlanInputs in = room(200, 200, int(kMaxDrawnSpeakers) + 1);
        const Speakers speakers = layOut(in, Method::ByCount);
        const Grid grid = figureGrid(in.length, in.width);
        QCOMPARE(grid.rows, 400); // 5 cm would be 4001 points
        QVERIFY(levelMap(in, speakers, grid).empty());
        QVERIFY(levelMap(in, {{NAN, 1}, {1, 1}}, grid).empty()); // a drag gone wrong
        const Figures f = figures(in, speakers);
        QVERIFY(!f.mapped);
        const std::string lines = text(in, f, ".");
        QVERIFY(lines.starts_with("Слишком много громкоговорителей для плана (2001)\n"));
        QVERIFY(lines.ends_with("Усилитель не менее (сумма + 20 %): 7203.6 Вт\n"));
    }

    void readsRecords_data() {
        QTest::addColumn<RecordField>("field");
        QTest::addColumn<RecordValue>("value");
        QTest::addColumn<SpeakerType>("type");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("reason"); // how it begins
        const auto refused = [](const char* name, RecordField field, RecordValue value,
                                const char* reason = "") {
            QTest::newRow(name) << field << value << SpeakerType::Ceiling << false << reason;
        };
        refused("no total level yet", &CalculationRecord::TotalSpl, {},
                "Расчет не закончен: нет значения «Общее звуковое давление»");
        refused("noise not a number", &CalculationRecord::RoomNoise, "шум");
        refused("zero width", &CalculationRecord::RoomWidth, 0.0);
        refused("mounting at the listening plane", &CalculationRecord::MountHeight, 1.5);
        refused("ceiling angle of a half turn", &CalculationRecord::DirCoef, kApproxPi);
        refused("fractional count", &CalculationRecord::SpeakerCount, 2.5);
        refused("room 100 km long", &CalculationRecord::RoomLength, 1e5, // and an infinite one
                "Длина помещения 100 000 м вне пределов плана (больше 0 и до 10 000 м)");
        refused("power rounding to 0 W", &CalculationRecord::SpeakerPower, 0.4);
        refused("mounting 2 mm above the plane", &CalculationRecord::MountHeight, 1.502,
                "Помещение слишком велико для плана: при размещении «Край к центру» "
                "понадобилось бы больше 1 000 000 громкоговорителей");
        QTest::newRow("wall mounting half a millimetre above the plane")
            << &CalculationRecord::MountHeight << RecordValue(1.5005) << SpeakerType::Wall << false
            << "";
        QTest::newRow("wall opening angle of 1e-312 rad")
            << &CalculationRecord::DirCoef << RecordValue(1e-312) << SpeakerType::Wall << false
            << "";
        // What a wall loudspeaker mounted as high as its range reaches gets from the calculation.
        QTest::newRow("wall range projected to 0 m")
            << &CalculationRecord::EffRange << RecordValue(0.0) << SpeakerType::Wall << true << "";
    }

    void readsRecords() {
        QFETCH(RecordField, field);
        QFETCH(RecordValue, value);
        QFETCH(SpeakerType, type);
        QFETCH(bool, accepted);
        QFETCH(QString, reason);
        CalculationRecord record = calculatedStartRecord(",");
        QVERIFY(planInputs(record, type, ","));
        record.*field = value;
        QCOMPARE(planInputs(record, type, ",").has_value(), accepted);
        const PlanCheck check = planInputsOrReason(record, type, ",");
        QCOMPARE(check.reason.empty(), accepted); // every refusal says why
        QVERIFY2(QString::fromStdString(check.reason).startsWith(reason), check.reason.c_str());
    }
};

QTEST_GUILESS_MAIN(TestPlan)
#include "tst_plan.moc"
