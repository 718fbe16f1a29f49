#include "core/geometry.h"
#include "plan/acoustics.h"
#include "plan/level_model.h"
#include "plan/room_setup.h"
#include "plan/sti.h"

#include <QTest>

#include <cmath>
#include <numbers>

using namespace pa;
using namespace pa::plan;

namespace {

constexpr std::size_t k125 = 0;
constexpr std::size_t k500 = 2;
constexpr std::size_t k1k = 3;

PlanInputs room(SpeakerType type, double length, double width, double mount) {
    PlanInputs in;
    in.type = type;
    in.length = length;
    in.width = width;
    in.mountHeight = mount;
    in.listenHeight = 1.5;
    in.dirCoef = kApproxPi / 2;
    in.totalSpl = 90;
    in.roomNoise = 40;
    return in;
}

Bands flat(double value) {
    Bands b{};
    b.fill(value);
    return b;
}

RoomInput finishes(double floor, double ceiling, double walls) {
    RoomInput r;
    r.floor = flat(floor);
    r.ceiling = flat(ceiling);
    r.walls = flat(walls);
    return r;
}

} // namespace

Q_DECLARE_METATYPE(PlanInputs)
Q_DECLARE_METATYPE(RoomInput)
Q_DECLARE_METATYPE(Bands)
Q_DECLARE_METATYPE(RoomSetup)

class TestAcoustics : public QObject {
    Q_OBJECT

private slots:
    void reverberation_data() {
        QTest::addColumn<PlanInputs>("in");
        QTest::addColumn<RoomInput>("room");
        QTest::addColumn<int>("band");
        QTest::addColumn<double>("sabine");
        QTest::addColumn<double>("eyring");
        // m(1 kHz) = 4.66 dB/km / 4343 = 1.0730e-3 1/m, m(125 Hz) = 0.44 / 4343 = 1.0131e-4.
        // 10 x 8 x 3 m, every surface 0.1: V = 240, S = 160 + 108 = 268, A = 26.8,
        // 4mV = 1.0301; Sabine 38.64 / 27.830 = 1.3884 s; Eyring -268 ln 0.9 = 28.237,
        // 38.64 / 29.267 = 1.3203 s.
        RoomInput even = finishes(0.1, 0.1, 0.1);
        even.height = 3;
        QTest::newRow("even finish, 1 kHz")
            << room(SpeakerType::Wall, 10, 8, 2.5) << even << int(k1k) << 1.3884 << 1.3203;
        // Ceiling loudspeakers at 3 m, the room as high. 12 x 6 x 3 m: V = 216, floor and ceiling
        // 72 each, walls 108, S = 252; at 1 kHz concrete 0.02, mineral tiles 0.79, plaster 0.03,
        // ten listeners 0.80: A = 1.44 + 56.88 + 3.24 + 8 = 69.56, mean 0.27603, 4mV = 0.92708;
        // Sabine 34.776 / 70.487 = 0.49337 s; Eyring 252 * 0.32299 = 81.393,
        // 34.776 / 82.320 = 0.42245 s.
        RoomInput office;
        office.floor = findMaterial("concrete")->alpha;
        office.ceiling = findMaterial("mineral-tile")->alpha;
        office.walls = findMaterial("plaster-masonry")->alpha;
        office.people = 10;
        QTest::newRow("ceiling height from the mounting, people")
            << room(SpeakerType::Ceiling, 12, 6, 3) << office << int(k1k) << 0.49337 << 0.42245;
        // 20 x 15 x 6 m at 125 Hz: S = 600 + 420 = 1020, A = 300 * 0.02 + 300 * 0.15 +
        // 420 * 0.29 = 172.8, mean 0.16941, 4mV = 0.72946; Sabine 289.8 / 173.53 = 1.6700 s;
        // Eyring 1020 * 0.18562 = 189.34, 289.8 / 190.07 = 1.5248 s.
        RoomInput hall = finishes(0.02, 0.15, 0.29);
        hall.height = 6;
        QTest::newRow("hall, 125 Hz")
            << room(SpeakerType::Horn, 20, 15, 4) << hall << int(k125) << 1.6700 << 1.5248;
    }

    void reverberation() {
        QFETCH(PlanInputs, in);
        QFETCH(RoomInput, room);
        QFETCH(int, band);
        QFETCH(double, sabine);
        QFETCH(double, eyring);
        const RoomAcoustics r = roomAcoustics(in, room, ",");
        QVERIFY2(r.ok(), r.error.c_str());
        const auto k = static_cast<std::size_t>(band);
        QVERIFY(std::abs(r.sabine[k] - sabine) < 1e-4);
        QVERIFY(std::abs(r.eyring[k] - eyring) < 1e-4);
        QCOMPARE(r.reverberation[k], r.eyring[k]);
    }

    void directivityFactor_data() {
        QTest::addColumn<double>("halfAngle");
        QTest::newRow("30 degrees, floor from 67") << std::numbers::pi / 6;
        QTest::newRow("60 degrees, floor from 134") << std::numbers::pi / 3;
        QTest::newRow("90 degrees, no floor") << std::numbers::pi / 2;
    }

    // Q = 4π / ∮ gain dΩ = 2 / ∫ gain sin θ dθ, here by the midpoint rule in small steps.
    void directivityFactor() {
        QFETCH(double, halfAngle);
        constexpr int kSteps = 400'000;
        const double h = std::numbers::pi / kSteps;
        double integral = 0;
        for (int i = 0; i < kSteps; ++i) {
            const double theta = (i + 0.5) * h;
            integral += std::pow(10.0, directivity(theta, halfAngle) / 10) * std::sin(theta) * h;
        }
        const double q = plan::directivityFactor(halfAngle);
        QVERIFY2(std::abs(q / (2 / integral) - 1) < 1e-8, std::to_string(q).c_str());
    }

    void pureReverberation_data() {
        QTest::addColumn<double>("t");
        for (const double t : {0.5, 1.0, 2.0, 5.0})
            QTest::newRow(("T = " + std::to_string(t)).c_str()) << t;
    }

    // Without direct sound or noise every octave's modulation transfer is the reverberant decay's,
    // m(F) = 1 / √(1 + (2πFT / 13.8)²); with the same T in every octave every MTI is equal and
    // the index is that MTI, since the weights less the redundancies sum to 1 (T = 1 s: 0.588).
    // At 60 dB(A) the masking and the reception threshold take less than 0.002 off.
    void pureReverberation() {
        QFETCH(double, t);
        double mti = 0;
        for (const double f : kModulationHz) {
            const double x = 2 * std::numbers::pi * f * t / 13.8;
            const double m = 1 / std::sqrt(1 + x * x);
            mti += (std::clamp(10 * std::log10(m / (1 - m)), -15.0, 15.0) + 15) / 30;
        }
        mti /= kModulationHz.size();

        PlanInputs in = room(SpeakerType::Ceiling, 20, 10, 4);
        RoomInput room;
        room.measured = flat(t);
        const RoomAcoustics acoustics = roomAcoustics(in, room, ",");
        SoundField field = soundField(in, 4, acoustics);
        in.totalSpl += 60 - field.reverberantLevelA;
        field = soundField(in, 4, acoustics);
        const Speech speech = speechOf(field, flat(0), ",");
        QVERIFY2(speech.ok(), speech.error.c_str());
        const double sti = stiAt(speech, 0);
        QVERIFY2(std::abs(sti - mti) < 0.003,
                 (std::to_string(sti) + " against " + std::to_string(mti)).c_str());
    }

    void mapAgreesWithPoints_data() {
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("to");
        QTest::newRow("narrow span, noise-limited") << 40.0 << 45.0;
        QTest::newRow("one level") << 80.0 << 80.0;
        QTest::newRow("span beyond the table's finest steps") << 0.0 << 140.0;
    }

    void mapAgreesWithPoints() {
        QFETCH(double, from);
        QFETCH(double, to);
        const PlanInputs in = room(SpeakerType::Ceiling, 20, 10, 4);
        RoomInput room = finishes(0.02, 0.3, 0.05);
        const SoundField field = soundField(in, 10, roomAcoustics(in, room, ","));
        const Speech speech = speechOf(field, pinkNoise(in.roomNoise), ",");
        std::vector<float> levels;
        for (int i = 0; i <= 9973; ++i)
            levels.push_back(static_cast<float>(from + (to - from) * i / 9973.0));
        const std::vector<float> sti = stiMap(speech, levels);
        QCOMPARE(sti.size(), levels.size());
        for (std::size_t i = 0; i < levels.size(); ++i)
            QVERIFY(std::abs(sti[i] - stiAtLevel(speech, levels[i])) <= 0.001);
    }

    void badInput_data() {
        QTest::addColumn<PlanInputs>("in");
        QTest::addColumn<RoomInput>("room");
        QTest::addColumn<Bands>("noise");
        QTest::addColumn<QString>("message");
        const PlanInputs wall = room(SpeakerType::Wall, 10, 8, 3);
        const Bands quiet = pinkNoise(30);
        RoomInput low = finishes(0.1, 0.1, 0.1);
        low.height = 2.5;
        QTest::newRow("room below the loudspeakers")
            << wall << low << quiet
            << "Высота помещения (2,50 м) должна быть не меньше высоты подвеса громкоговорителей "
               "(3,00 м).";
        QTest::newRow("wall loudspeakers, no height")
            << wall << finishes(0.1, 0.1, 0.1) << quiet
            << "Укажите высоту помещения: у настенных и рупорных громкоговорителей она не следует "
               "из высоты подвеса.";
        RoomInput over = finishes(0.1, 0.1, 0.1);
        over.height = 4;
        over.walls[k500] = 1.2;
        QTest::newRow("coefficient above 1")
            << wall << over << quiet
            << "Коэффициент поглощения стен в октаве 500 Гц (1,20) должен быть от 0 до 1.";
        RoomInput under = over;
        under.walls = flat(0.1);
        under.floor[k125] = -0.1;
        QTest::newRow("coefficient below 0")
            << wall << under << quiet
            << "Коэффициент поглощения пола в октаве 125 Гц (-0,10) должен быть от 0 до 1.";
        RoomInput typed;
        typed.height = 4;
        typed.measured = flat(1);
        (*typed.measured)[k125] = 0;
        QTest::newRow("typed time 0")
            << wall << typed << quiet
            << "Время реверберации в октаве 125 Гц (0,00 с) должно быть от 0,1 до 30 с.";
        (*typed.measured)[k125] = 1;
        (*typed.measured)[k1k] = 100;
        QTest::newRow("typed time 100 s")
            << wall << typed << quiet
            << "Время реверберации в октаве 1000 Гц (100,00 с) должно быть от 0,1 до 30 с.";
        RoomInput huge = finishes(0.1, 0.1, 0.1);
        huge.height = 100;
        QTest::newRow("volume 1e9")
            << room(SpeakerType::Horn, 10'000, 1'000, 6) << huge << quiet
            << "Объём помещения (1000000000 м³) больше 10000000 м³: такой зал не считается одним "
               "диффузным полем.";
        RoomInput open = finishes(1, 1, 1);
        open.height = 4;
        QTest::newRow("everything absorbed")
            << wall << open << quiet
            << "Средний коэффициент поглощения в октаве 125 Гц (1,00) достигает 1: помещение "
               "поглощает всё, реверберации нет, формула Эйринга теряет смысл.";
        Bands loud = quiet;
        loud[6] = 200;
        RoomInput fine = finishes(0.1, 0.1, 0.1);
        fine.height = 4;
        QTest::newRow("typed noise 200 dB")
            << wall << fine << loud
            << "Уровень шума в октаве 8000 Гц (200,0 дБ) должен быть от -50 до 140 дБ.";
    }

    void badInput() {
        QFETCH(PlanInputs, in);
        QFETCH(RoomInput, room);
        QFETCH(Bands, noise);
        QFETCH(QString, message);
        const RoomAcoustics acoustics = roomAcoustics(in, room, ",");
        const SoundField field = soundField(in, 4, acoustics);
        const Speech speech = speechOf(field, noise, ",");
        QCOMPARE(QString::fromStdString(speech.error), message);
        // Nothing downstream of a refusal gives a number.
        QCOMPARE(stiMap(speech, {80.0F, 90.0F}).size(), std::size_t{0});
        QCOMPARE(stiAt(speech, 1), 0.0);
        if (!acoustics.ok()) {
            QCOMPARE(acoustics.reverberation, Bands{});
            QCOMPARE(totalLevelMap(field, {80.0F}).size(), std::size_t{0});
            QCOMPARE(field.reverberantLevelA, 0.0);
        }
    }

    // What a kept room may hold beyond the room's own inputs, refused before any map.
    void setupRefusals_data() {
        QTest::addColumn<RoomSetup>("setup");
        QTest::addColumn<QString>("message");
        RoomSetup lost;
        lost.walls = "asbestos";
        QTest::newRow("finish no longer in the table")
            << lost << "Отделки «asbestos» нет в таблице материалов: выберите другую.";
        RoomSetup measured = lost;
        measured.measured = flat(1);
        QTest::newRow("measured times need no finishes") << measured << "";
        RoomSetup loud;
        loud.noise = flat(60);
        loud.noise->back() = 141;
        QTest::newRow("typed noise over 140 dB")
            << loud << "Уровень шума в октаве 8000 Гц (141,0 дБ) должен быть от -50 до 140 дБ.";
        RoomSetup high;
        high.sleeping = true;
        high.headHeight = 3;
        QTest::newRow("head as high as the loudspeakers")
            << high
            << "Высота головы спящего (3,00 м) должна быть больше 0 и ниже высоты подвеса "
               "громкоговорителей (3,00 м).";
        high.sleeping = false;
        QTest::newRow("a head not asked for is not checked") << high << "";
    }
    void setupRefusals() {
        QFETCH(RoomSetup, setup);
        QFETCH(QString, message);
        const RoomAcoustics r = roomAcoustics(room(SpeakerType::Ceiling, 10, 8, 3), setup, ",");
        QCOMPARE(QString::fromStdString(r.error), message);
    }
};

QTEST_GUILESS_MAIN(TestAcoustics)
#include "tst_acoustics.moc"
