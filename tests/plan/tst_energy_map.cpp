#include "core/geometry.h"
#include "plan/energy_map.h"
#include "plan/plan.h"
#include "support/start_plan.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <random>

using namespace pa;
using namespace pa::plan;

namespace {

// One change of the layout; kAny picks a random loudspeaker, a place of two nans a random one in
// the room.
struct Change {
    enum Kind { Move, Add, Remove } kind = Move;
    std::size_t index = 0;
    double x = NAN;
    double y = NAN;
};
using Changes = std::vector<Change>;
constexpr std::size_t kAny = static_cast<std::size_t>(-1);

PlanInputs wallPlan() {
    PlanInputs in = startPlan(",");
    in.type = SpeakerType::Wall;
    in.dirCoef = kApproxFullTurn / 3;
    return in;
}

} // namespace

Q_DECLARE_METATYPE(Changes)
Q_DECLARE_METATYPE(PlanInputs)

class TestEnergyMap : public QObject {
    Q_OBJECT

private slots:
    void followsChanges_data() {
        QTest::addColumn<PlanInputs>("in");
        QTest::addColumn<Changes>("changes");
        QTest::addColumn<bool>("mapped");
        const PlanInputs ceiling = startPlan(",");
        const Changes random(300, {Change::Move, kAny});
        Changes mixed;
        for (int i = 0; i < 100; ++i)
            mixed.push_back({i % 5 == 3   ? Change::Add
                             : i % 5 == 4 ? Change::Remove
                                          : Change::Move,
                             kAny});
        QTest::newRow("ceiling, random moves") << ceiling << random << true;
        QTest::newRow("walls, moves, adds and removes") << wallPlan() << mixed << true;
        // Right over a grid point the one loudspeaker outweighs the rest many times over; what it
        // leaves behind there when it goes must be gone.
        QTest::newRow("onto a grid point and far away")
            << ceiling << Changes{{Change::Move, 0, 3.05, 2.95}, {Change::Move, 0, 6, 6}} << true;
        QTest::newRow("all removed, one added")
            << ceiling << Changes{{Change::Remove, 0}, {Change::Remove, 0}, {Change::Remove, 0},
                                  {Change::Remove, 0}, {Change::Remove, 0}, {Change::Add, 0, 1, 1}}
            << true;
        QTest::newRow("a place gone wrong")
            << ceiling << Changes{{Change::Move, 2, NAN, 1}} << false;
        QTest::newRow("a place gone wrong and back")
            << ceiling << Changes{{Change::Move, 2, NAN, 1}, {Change::Move, 2, 1, 1}} << true;
        QTest::newRow("over the limit")
            << ceiling << Changes(kMaxDrawnSpeakers - 4, {Change::Add, 0}) << false;
        // The start example's five and as many more as take it one over the limit.
        Changes back(kMaxDrawnSpeakers - 4, {Change::Add, 0});
        back.insert(back.end(), {{Change::Remove, kAny}, {Change::Move, kAny}});
        QTest::newRow("over the limit and back") << ceiling << back << true;
    }

    void followsChanges() {
        QFETCH(PlanInputs, in);
        QFETCH(Changes, changes);
        QFETCH(bool, mapped);
        std::vector<Speaker> speakers = layOut(in, Method::ByCount);
        EnergyMap map(in, speakers);
        std::mt19937 random(7);
        const auto uniform = [&](double high) {
            return std::uniform_real_distribution<double>(0, high)(random);
        };
        for (Change c : changes) {
            if (c.index == kAny)
                c.index =
                    std::uniform_int_distribution<std::size_t>(0, speakers.size() - 1)(random);
            if (std::isnan(c.x) && std::isnan(c.y))
                std::tie(c.x, c.y) = std::pair(uniform(in.length), uniform(in.width));
            Speaker s{c.x, c.y, Wall::None};
            if (in.type != SpeakerType::Ceiling)
                s = {c.x, c.y < in.width / 2 ? 0 : in.width,
                     c.y < in.width / 2 ? Wall::Near : Wall::Far};
            if (c.kind == Change::Move) {
                map.move(c.index, s);
                speakers[c.index] = s;
            } else if (c.kind == Change::Add) {
                map.add(s);
                speakers.push_back(s);
            } else {
                map.remove(c.index);
                speakers.erase(speakers.begin() + std::ptrdiff_t(c.index));
            }
        }
        // A place gone wrong is nan on both sides, which no == takes for equal.
        const auto same = [](const Speaker& a, const Speaker& b) {
            return QString::asprintf("%g %g %d", a.x, a.y, int(a.wall)) ==
                   QString::asprintf("%g %g %d", b.x, b.y, int(b.wall));
        };
        QVERIFY(std::equal(speakers.begin(), speakers.end(), map.speakers().begin(),
                           map.speakers().end(), same));
        const std::vector<float> full = levelMap(in, speakers, map.grid());
        const std::vector<float> kept = map.levels();
        QCOMPARE(kept.size(), full.size());
        QCOMPARE(!kept.empty(), mapped);
        for (std::size_t i = 0; i < kept.size(); ++i)
            QVERIFY2(std::abs(kept[i] - full[i]) <= 0.01, qPrintable(QString::number(i)));
    }

    // The figures of a map handed in are those of the map figures() computes itself.
    void figuresFromMap_data() {
        QTest::addColumn<PlanInputs>("in");
        QTest::addColumn<int>("count");
        QTest::newRow("ceiling") << startPlan(",") << 0;
        QTest::newRow("walls") << wallPlan() << 0;
        QTest::newRow("no loudspeakers") << startPlan(",") << -1;
    }

    void figuresFromMap() {
        QFETCH(PlanInputs, in);
        QFETCH(int, count);
        std::vector<Speaker> speakers = layOut(in, Method::ByCount);
        if (count < 0)
            speakers.clear();
        std::vector<float> map;
        const Figures direct = figures(in, speakers, map);
        QCOMPARE(map, levelMap(in, speakers, figureGrid(in.length, in.width)));
        const Figures f = plan::figuresFromMap(in, speakers, map);
        QCOMPARE(figureLines(in, f, ","), figureLines(in, direct, ","));
        QCOMPARE(f.mapped, !speakers.empty());
        QCOMPARE(f.minLevel, direct.minLevel);
        QCOMPARE(f.maxLevel, direct.maxLevel);
        QCOMPARE(f.shareAtTarget, direct.shareAtTarget);
    }
};

QTEST_GUILESS_MAIN(TestEnergyMap)
#include "tst_energy_map.moc"
