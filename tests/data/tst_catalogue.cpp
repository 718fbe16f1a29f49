#include "data/catalogue.h"
#include "data/presets.h"

#include <QTest>

#include <set>

using namespace pa;

namespace {
QString q(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}
} // namespace

class TestCatalogue : public QObject {
    Q_OBJECT

private slots:
    void lookups_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("power"); // -1: no value
        QTest::addColumn<int>("spl");
        QTest::newRow("TD-13 is 3 W 90 dB") << "TD-13" << 3 << 90;
        QTest::newRow("NE-89 has the largest power of 100 W") << "NE-89" << 100 << 92;
        QTest::newRow("KLT-7 has the smallest power of 1 W") << "KLT-7" << 1 << 90;
        QTest::newRow("BQ-75 has the highest sensitivity of 107 dB") << "BQ-75" << 50 << 107;
        QTest::newRow("TD-601 has the lowest sensitivity of 88 dB") << "TD-601" << 10 << 88;
        QTest::newRow("VR-28 before the manual item is 20 W 90 dB") << "VR-28" << 20 << 90;
        QTest::newRow("suffixed horn BQ-73K is 30 W 105 dB") << "BQ-73K" << 30 << 105;
        QTest::newRow("lower case is no code") << "td-13" << -1 << -1;
        QTest::newRow("leading blank is no code") << " TD-13" << -1 << -1;
        QTest::newRow("trailing blank is no code") << "TD-13 " << -1 << -1;
        QTest::newRow("empty text is no code") << "" << -1 << -1;
        QTest::newRow("manual item is no code") << "ПРОЧИЕ" << -1 << -1;
        QTest::newRow("prefix of a code is no code") << "TD-1" << -1 << -1;
    }
    void lookups() {
        QFETCH(QString, code);
        QFETCH(int, power);
        QFETCH(int, spl);
        const std::string c = code.toStdString();
        QCOMPARE(ModelPower(c).value_or(-1), power);
        QCOMPARE(ModelSpl(c).value_or(-1), spl);
        QCOMPARE(ModelPower(c).has_value(), power != -1);
    }

    void catalogueShape() {
        int ceiling = 0, wall = 0, horn = 0;
        std::set<std::string_view> codes;
        for (std::size_t i = 0; i + 1 < kCatalogue.size(); ++i) {
            const CatalogueEntry& e = kCatalogue[i];
            codes.insert(e.code);
            QVERIFY(e.power && e.spl);
            QCOMPARE(typeOfLetter(typeLetter(e.type)), e.type);
            ceiling += e.type == SpeakerType::Ceiling;
            wall += e.type == SpeakerType::Wall;
            horn += e.type == SpeakerType::Horn;
        }
        QCOMPARE(codes.size(), std::size_t(33));
        QCOMPARE(ceiling, 6);
        QCOMPARE(wall, 20);
        QCOMPARE(horn, 7);
        QCOMPARE(q(typeLetter(kCatalogue[0].type)), QStringLiteral("Н"));
        QCOMPARE(q(kCatalogue[1].code), QStringLiteral("TD-13"));
        QCOMPARE(q(typeLetter(kCatalogue[21].type)), QStringLiteral("Р"));
        QCOMPARE(q(kCatalogue[32].code), QStringLiteral("VR-28"));
        QCOMPARE(q(kCatalogue[33].code), QStringLiteral("ПРОЧИЕ"));
        QCOMPARE(q(typeLetter(kCatalogue[33].type)), QStringLiteral("П"));
        QVERIFY(!kCatalogue[33].power);
    }

    void roomPresets_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("level");
        QTest::newRow("hospital is first at 20 dB") << 0 << "БОЛЬНИЦА" << 20;
        QTest::newRow("church is fourth at 45 dB") << 3 << "ЦЕРКОВЬ" << 45;
        QTest::newRow("car park as start room is 70 dB") << 7 << "АВТОСТОЯНКА" << 70;
        QTest::newRow("railway station keeps the blanks in its name") << 10 << "Ж Д СТАНЦИЯ" << 90;
        QTest::newRow("heavy industry keeps the blank in its name") << 12 << "ТЯЖ ПРОМЫШ" << 110;
        QTest::newRow("thunder is last before the manual item at 120 dB") << 13 << "ГРОМ" << 120;
        QTest::newRow("manual item starts at 60") << 14 << "ПРОЧИЕ" << 60;
    }
    void roomPresets() {
        QFETCH(int, position);
        QFETCH(QString, name);
        QFETCH(int, level);
        const RoomPreset& preset = kRoomPresets.at(std::size_t(position));
        QCOMPARE(q(preset.name), name);
        QCOMPARE(preset.noiseDb, level);
    }

    void presetsRiseUpToTheManualItem() {
        QCOMPARE(kRoomPresets.size(), std::size_t(15));
        QCOMPARE(kRoomOtherPosition, std::size_t(14));
        for (std::size_t i = 1; i < kRoomOtherPosition; ++i)
            QVERIFY(kRoomPresets[i - 1].noiseDb < kRoomPresets[i].noiseDb);
    }

    void parameterLists() {
        QCOMPARE(kDirectivityItems.size(), std::size_t(17));
        QCOMPARE(q(kDirectivityItems.front()), QStringLiteral("10"));
        QCOMPARE(q(kDirectivityItems.back()), QStringLiteral("170"));
        QCOMPARE(q(kDirectivityItems[8]), QStringLiteral("90"));
        QCOMPARE(q(kOverlapItems.front()), QStringLiteral("3"));
        QCOMPARE(q(kOverlapItems.back()), QStringLiteral("10"));
        QCOMPARE(q(kListenHeightItems[3]), QStringLiteral("150"));
        QCOMPARE(q(kListenHeightItems.back()), QStringLiteral("190"));
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
