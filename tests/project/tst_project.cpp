#include "core/parameters.h"
#include "data/catalogue.h"
#include "project/project.h"
#include "project/project_figures.h"
#include "project/project_file.h"
#include "support/closed_folder.h"
#include "support/start_plan.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <sys/stat.h>

using namespace pa;
using namespace pa::project;

namespace {

// The worked example the main window opens with: 5 ceiling loudspeakers of 3 W.
Room exampleRoom(const std::string& name, const std::string& line) {
    Room room;
    room.name = name;
    room.model = "TD-13";
    room.power = "3";
    room.sensitivity = "90";
    room.roomType = "АВТОСТОЯНКА";
    room.noise = "70";
    room.length = "6";
    room.width = "6";
    room.height = "3";
    room.line = line;
    return room;
}

Line line(const std::string& id, int voltage, double length, double section) {
    Line out;
    out.id = id;
    out.name = id;
    out.voltage = voltage;
    out.cableLength = length;
    out.crossSection = section;
    return out;
}

std::string text(const Project& project) {
    return writeProject(project).value_or("<not written>");
}

std::string fileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<unreadable>";
}

} // namespace

Q_DECLARE_METATYPE(std::string)
Q_DECLARE_METATYPE(pa::project::LossCheck)

class TestProject : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void badFile_data();
    void badFile();
    void lineFigures_data();
    void lineFigures();
    void roomRunsTheMainCalculation();
    void projectSumsRoomsIntoLinesAndBill();
    void saveRefusals_data();
    void saveRefusals();
};

void TestProject::roundTrip_data() {
    QTest::addColumn<std::string>("file");
    QTest::addColumn<QString>("keptKey");

    QTest::newRow("unknown keys of the project, a line and a room come back")
        << std::string(R"({"format":1,"colour":{"a":[1,2]},"lines":[{"id":"L","future":true}],)"
                       R"("rooms":[{"name":"Зал","line":"L","mood":"calm"}]})")
        << "mood";
    QTest::newRow("hand positions on both walls come back")
        << std::string(R"({"format":1,"rooms":[{"type":"wall","method":"oneWall","wall":"far",)"
                       R"("positions":[[0.1,0,"near"],[2.5e-7,6,"far"]]}]})")
        << "";
    QTest::newRow("doubles that print long come back to the last bit")
        << std::string(
               R"({"format":1,"lines":[{"id":"a","cableLength":0.30000000000000004,)"
               R"("crossSection":5e-324,"amplifierMargin":0.1999999999999999}],)"
               R"("rooms":[{"listenHeight":149.99999999999997,"overlap":3.3333333333333335,)"
               R"("positions":[[-0.0,1e-300]]}]})")
        << "";
    QTest::newRow("a room's acoustics, every field and one unknown, to the last bit")
        << std::string(
               R"({"format":1,"rooms":[{"acoustics":{"height":3.3000000000000003,)"
               R"("floor":"carpet-underlay","ceiling":"a-finish-of-a-newer-table","walls":"brick",)"
               R"("people":12,"measured":[1.1,1.0,0.9,0.8,0.7,0.6,0.5000000000000001],)"
               R"("noise":[-3.5,40,45,50,45,40,35],"sleeping":true,"headHeight":0.6000000000000001,)"
               R"("glow":[1]}}]})")
        << "acoustics";
}

void TestProject::roundTrip() {
    QFETCH(std::string, file);
    QFETCH(QString, keptKey);

    const ReadOutcome first = readProject(file);
    QVERIFY2(first.project, first.error.c_str());
    const std::string written = text(*first.project);
    const ReadOutcome second = readProject(written);
    QVERIFY2(second.project, second.error.c_str());
    QCOMPARE(*second.project, *first.project);
    QCOMPARE(text(*second.project), written);
    using Json = nlohmann::ordered_json;
    const Json original = Json::parse(file);
    const Json reread = Json::parse(written);
    if (!keptKey.isEmpty())
        QVERIFY(reread["rooms"][0][keptKey.toStdString()] ==
                original["rooms"][0][keptKey.toStdString()]);
}

void TestProject::badFile_data() {
    QTest::addColumn<std::string>("file");
    QTest::addColumn<QString>("message");

    const std::string good = text(Project{"Корпус", "", "", "", {exampleRoom("Зал", "")}, {}, {}});
    QTest::newRow("empty") << std::string() << "Файл пуст";
    QTest::newRow("cut short") << good.substr(0, good.size() / 2) << "Файл обрывается";
    QTest::newRow("not JSON") << std::string("PK\x03\x04zip") << "ошибка в записи данных у байта";
    QTest::newRow("NaN is no JSON")
        << std::string(R"({"format":1,"rooms":[{"overlap":NaN}]})") << "ошибка в записи данных";
    QTest::newRow("a list, not a project") << std::string("[1,2]") << "не является файлом проекта";
    QTest::newRow("no format number") << std::string(R"({"rooms":[]})") << "нет номера формата";
    QTest::newRow("newer format") << std::string(R"({"format":2})")
                                  << "более новой версией программы (формат 2)";
    QTest::newRow("wrong type") << std::string(R"({"format":1,"rooms":[{"length":6}]})")
                                << "Помещение 1, поле «length»: ожидается текст";
    QTest::newRow("negative size") << std::string(R"({"format":1,"rooms":[{},{"width":"-5"}]})")
                                   << "Помещение 2, поле «width»: допускаются только цифры";
    QTest::newRow("number too large for a double")
        << std::string(R"({"format":1,"lines":[{"id":"a","cableLength":1e999}]})")
        << "число вне допустимых пределов";
    std::string millionRooms = R"({"format":1,"rooms":[{})";
    for (int i = 1; i < 1'000'000; ++i)
        millionRooms += ",{}";
    QTest::newRow("a million rooms") << millionRooms + "]}"
                                     << "слишком много помещений (1000000";
    QTest::newRow("a 10 MB name") << R"({"format":1,"name":")" + std::string(10U << 20U, 'a') +
                                         "\"}"
                                  << "Файл, поле «name»: слишком длинный текст";
    QTest::newRow("220 V line") << std::string(R"({"format":1,"lines":[{"id":"a","voltage":220}]})")
                                << "100 или 70 В";
    QTest::newRow("two lines with one id")
        << std::string(R"({"format":1,"lines":[{"id":"a"},{"id":"a"}]})") << "Линия 2";
    QTest::newRow("a room on a line not in the project")
        << std::string(R"({"format":1,"rooms":[{"line":"x"}]})") << "которой нет в проекте";
    QTest::newRow("acoustics that are no object")
        << std::string(R"({"format":1,"rooms":[{"acoustics":"бетон"}]})")
        << "Помещение 1, акустика: ожидается объект";
    QTest::newRow("six octaves of reverberation")
        << std::string(R"({"format":1,"rooms":[{"acoustics":{"measured":[1,1,1,1,1,1]}}]})")
        << "поле «measured»: ожидается 7 чисел";
    QTest::newRow("a negative reverberation time")
        << std::string(R"({"format":1,"rooms":[{"acoustics":{"measured":[1,1,1,-1,1,1,1]}}]})")
        << "октава 1000 Гц";
    QTest::newRow("a sleeping tick that is no truth value")
        << std::string(R"({"format":1,"rooms":[{"acoustics":{"sleeping":"да"}}]})")
        << "ожидается true или false";
    QTest::newRow("nesting that would exhaust the stack")
        << R"({"format":1,"x":)" + std::string(100000, '[') + std::string(100000, ']') + "}"
        << "вложенность";
}

void TestProject::badFile() {
    QFETCH(std::string, file);
    QFETCH(QString, message);
    const ReadOutcome outcome = readProject(file);
    QVERIFY(!outcome.project);
    QVERIFY2(QString::fromStdString(outcome.error).contains(message), outcome.error.c_str());
}

void TestProject::lineFigures_data() {
    QTest::addColumn<int>("voltage");
    QTest::addColumn<double>("watts");
    QTest::addColumn<double>("length");
    QTest::addColumn<double>("section");
    QTest::addColumn<bool>("aluminium");
    QTest::addColumn<double>("lossDb"); // -1: not computed
    QTest::addColumn<LossCheck>("check");
    QTest::addColumn<double>("smallest"); // 0: none
    QTest::addColumn<double>("amplifier");
    QTest::addColumn<QString>("note");

    // Z = U²/ΣP, R = 2ρL/A (ρ copper 0.0175, aluminium 0.028), loss = 20 lg((Z + R)/Z); the
    // smallest section needs R <= Z (10^(0.5/20) - 1) = 0.059254 Z.
    // 100 V, 100 W: Z = 100; 100 m of 1.5: R = 2.3333, loss 20 lg 1.023333 = 0.2003.
    // 0.5 gives R = 7, 0.5877 dB; 0.75 gives R = 4.6667, 0.3962 dB: 0.75. Amplifier 120 W.
    QTest::newRow("a short line within the loss")
        << 100 << 100.0 << 100.0 << 1.5 << false << 0.2003424 << LossCheck::Ok << 0.75 << 120.0
        << "";
    // 70 V, 490 W: Z = 10; 50 m of 2.5: R = 0.7, loss 20 lg 1.07 = 0.5877 > 0.5.
    // R <= 0.59254 needs A >= 1.75 / 0.59254 = 2.95: 4. Amplifier 588 W.
    QTest::newRow("70 V line over half a decibel warns")
        << 70 << 490.0 << 50.0 << 2.5 << false << 0.5876756 << LossCheck::Warning << 4.0 << 588.0
        << "больше 0.50 дБ";
    // 100 V, 1000 W: Z = 10; 300 m of 1.5: R = 7, loss 20 lg 1.7 = 4.609 > 1.
    // A >= 10.5 / 0.59254 = 17.7: no standard section.
    QTest::newRow("a long loaded line fails and no section saves it")
        << 100 << 1000.0 << 300.0 << 1.5 << false << 4.6089784 << LossCheck::Failure << 0.0
        << 1200.0 << "даже сечение 6 мм²";
    // Aluminium: R = 2 * 0.028 * 100 / 1.5 = 3.7333, 20 lg 1.037333 = 0.3184; 0.75 gives
    // 0.6256 dB, 1 gives R = 5.6 and 0.4730 dB: 1.
    QTest::newRow("aluminium needs a larger section than copper")
        << 100 << 100.0 << 100.0 << 1.5 << true << 0.3183667 << LossCheck::Ok << 1.0 << 120.0 << "";
    QTest::newRow("a cable of 0 m loses nothing")
        << 100 << 100.0 << 0.0 << 1.5 << false << 0.0 << LossCheck::Ok << 0.5 << 120.0 << "";
    QTest::newRow("a cross-section of 0 is refused with a reason")
        << 100 << 100.0 << 100.0 << 0.0 << false << -1.0 << LossCheck::Unknown << 0.75 << 120.0
        << "не задано сечение кабеля";
    QTest::newRow("a line with no rooms")
        << 100 << 0.0 << 100.0 << 1.5 << false << -1.0 << LossCheck::Unknown << 0.0 << 0.0
        << "не подключено ни одного помещения";
}

void TestProject::lineFigures() {
    QFETCH(int, voltage);
    QFETCH(double, watts);
    QFETCH(double, length);
    QFETCH(double, section);
    QFETCH(bool, aluminium);
    QFETCH(double, lossDb);
    QFETCH(LossCheck, check);
    QFETCH(double, smallest);
    QFETCH(double, amplifier);
    QFETCH(QString, note);

    Line l = line("Этаж 1", voltage, length, section);
    l.conductor = aluminium ? Conductor::Aluminium : Conductor::Copper;
    const LineFigures f = pa::project::lineFigures(l, watts, watts > 0 ? 1 : 0);
    QCOMPARE(f.lossDb.has_value(), lossDb >= 0);
    if (f.lossDb)
        QVERIFY2(std::abs(*f.lossDb - lossDb) < 1e-6, qPrintable(QString::number(*f.lossDb)));
    QCOMPARE(f.check, check);
    QCOMPARE(f.smallestSection.value_or(0), smallest);
    QCOMPARE(f.amplifierWatts, amplifier);
    QString notes;
    for (const std::string& n : f.notes)
        notes += QString::fromStdString(n) + '\n';
    QCOMPARE(notes.isEmpty(), note.isEmpty());
    QVERIFY2(notes.contains(note), qPrintable(notes));
}

void TestProject::roomRunsTheMainCalculation() {
    // The room's texts and picks must reach the calculation as the window's fields do.
    CoverageOutcome outcome;
    QCOMPARE(roomRecord(exampleRoom("Зал", ""), outcome), calculatedStartRecord("."));
    Room wall = exampleRoom("Коридор", "");
    wall.type = SpeakerType::Wall;
    wall.directivity = "120";
    wall.listenHeight = 120;
    wall.overlap = 6;
    wall.gradation = 3;
    const CalculationRecord record = roomRecord(wall, outcome);
    QCOMPARE(record.DirCoef, RecordValue(dirCoefFromAngle("120")));
    QCOMPARE(record.ListenHeight, RecordValue(120.0));
    QCOMPARE(record.OverlapLevel, RecordValue(6.0));
    QCOMPARE(record.PowerFactor, RecordValue(1.0 / 3));
}

void TestProject::projectSumsRoomsIntoLinesAndBill() {
    Project p;
    p.lines = {line("a", 100, 0, 1.5), line("b", 100, 0, 1.5)};
    Room other = exampleRoom("Склад", "a");
    other.model = std::string(kOtherItem);
    Room halved = exampleRoom("Склад 2", "");
    halved.model = std::string(kOtherItem);
    halved.power = "6";
    halved.gradation = 2; // 6 W at half power: 3 W as used, as the example
    Room broken = exampleRoom("Без длины", "b");
    broken.length = "";
    p.rooms = {exampleRoom("Зал 1", "a"), exampleRoom("Зал 2", "a"), other, halved, broken};

    const ProjectFigures f = projectFigures(p, {2});
    QCOMPARE(f.rooms.size(), std::size_t(5));
    QVERIFY(!f.rooms[4].calculated() && !f.rooms[4].reason.empty());
    QCOMPARE(f.lines[0].totalWatts, 45.0); // three rooms of 5 x 3 W
    QCOMPARE(f.lines[0].rooms, std::size_t(3));
    QCOMPARE(f.lines[1].totalWatts, 0.0);
    QCOMPARE(f.totalWatts, 60.0);
    const std::vector<BillRow> bill{{"TD-13", 0, 0, 10, SpeakerType::Ceiling, 30},
                                    {std::string(kOtherItem), 3, 90, 5, SpeakerType::Ceiling, 15},
                                    {std::string(kOtherItem), 6, 90, 5, SpeakerType::Ceiling, 15}};
    QCOMPARE(f.bill, bill);
    QCOMPARE(f.notes.size(), std::size_t(2)); // the broken room, the room on no line
}

void TestProject::saveRefusals_data() {
    QTest::addColumn<int>("obstacle"); // 0 read-only file, 1 closed folder, 2 bad text
    QTest::addColumn<QString>("message");
    QTest::newRow("a read-only file") << 0 << "только для чтения";
    QTest::newRow("a folder that takes no new file") << 1 << "не позволяет создать";
    QTest::newRow("a text that is not UTF-8") << 2 << "UTF-8";
}

void TestProject::saveRefusals() {
    QFETCH(int, obstacle);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::string path = dir.filePath("дом.pacov").toStdString();
    Project p{"Дом", "", "", "", {exampleRoom("Зал", "")}, {}, {}};
    QCOMPARE(saveProject(path, p), std::string());
    const std::string before = fileText(QString::fromStdString(path));
    QCOMPARE(*openProject(path).project, p);

    const QByteArray folder = dir.path().toLocal8Bit();
    if (obstacle == 0)
        QCOMPARE(chmod(path.c_str(), 0444), 0);
    if (obstacle == 1 && !setImmutable(folder.constData(), true))
        QSKIP("the folder cannot be closed to new files here");
    p.name = obstacle == 2 ? "\xff\xfe" : "Дом 2";
    const std::string reason = saveProject(path, p);
    if (obstacle == 1)
        setImmutable(folder.constData(), false);
    QVERIFY2(QString::fromStdString(reason).contains(message), reason.c_str());
    QCOMPARE(fileText(QString::fromStdString(path)), before);
}

QTEST_APPLESS_MAIN(TestProject)
#include "tst_project.moc"
