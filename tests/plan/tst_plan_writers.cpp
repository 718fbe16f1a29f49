#include "plan/dxf.h"
#include "plan/positions_csv.h"

#include <QProcess>
#include <QTest>

#include <cmath>
#include <limits>

using namespace pa;
using namespace pa::plan;

class TestPlanWriters : public QObject {
    Q_OBJECT

private slots:
    // The drawing read back by an independent reader; the spreadsheet text as built here.
    void readBack_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("method");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<double>("length");
        QTest::newRow("ceiling start example, comma")
            << int(SpeakerType::Ceiling) << int(Method::ByCount) << "," << 6.0;
        QTest::newRow("wall staggered on both walls")
            << int(SpeakerType::Wall) << int(Method::ByCount) << "," << 14.5;
        QTest::newRow("horn on one wall")
            << int(SpeakerType::Horn) << int(Method::OneWall) << "." << 14.5;
    }
    void readBack() {
        QFETCH(int, type);
        QFETCH(int, method);
        QFETCH(QString, separator);
        QFETCH(double, length);
        // The start example's figures; wall and horn rows in a longer room.
        const PlanInputs in{SpeakerType(type), length, 6, 3, 1.5, 1.5708, 94, 4.2, 5, 70, 10, 3};
        const std::vector<Speaker> speakers = layOut(in, Method(method));
        QVERIFY(speakers.size() > 1);

        QStringList arguments{QFINDTESTDATA("dxf_check.py"),
                              in.type == SpeakerType::Ceiling ? "circle" : "sector"};
        for (const Speaker& s : speakers)
            arguments.append(QString::number(s.x, 'g', 17) + ',' + QString::number(s.y, 'g', 17));
        QProcess reader;
        reader.setProcessChannelMode(QProcess::MergedChannels);
        reader.start(QStringLiteral("/usr/bin/python3"), arguments);
        reader.write(QByteArray::fromStdString(planDxf(in, speakers)));
        reader.closeWriteChannel();
        const bool ran = reader.waitForFinished();
        const QString said = QString::fromUtf8(reader.readAll()).trimmed();
        if (!ran || said.contains(QStringLiteral("No module named 'ezdxf'")))
            QSKIP("Debian's python3 with ezdxf is not installed");
        QCOMPARE(said, QStringLiteral("ok"));

        // Spreadsheet text: byte-order mark, header, one row per loudspeaker, CR LF after each.
        QString expected = QStringLiteral("№;X, м;Y, м;Стена\r\n");
        for (std::size_t i = 0; i < speakers.size(); ++i) {
            const Speaker& s = speakers[i];
            const char* wall = s.wall == Wall::None   ? ""
                               : s.wall == Wall::Near ? "ближняя"
                                                      : "дальняя";
            expected += QStringLiteral("%1;%2;%3;%4\r\n")
                            .arg(i + 1)
                            .arg(QString::number(s.x, 'f', 2).replace('.', separator),
                                 QString::number(s.y, 'f', 2).replace('.', separator),
                                 QString::fromUtf8(wall));
        }
        QCOMPARE(QByteArray::fromStdString(positionsCsv(speakers, separator.toStdString())),
                 "\xEF\xBB\xBF" + expected.toUtf8());
    }

    // A place typed far outside any room still writes as a number that reads back.
    void farPlacesReadBack_data() {
        QTest::addColumn<double>("x");
        QTest::newRow("1e90 m") << 1e90;
        QTest::newRow("the largest double, negative") << -std::numeric_limits<double>::max();
    }
    void farPlacesReadBack() {
        QFETCH(double, x);
        const PlanInputs in{SpeakerType::Ceiling, 6, 6, 3, 1.5, 1.5708, 94, 4.2, 1, 70, 10, 3};
        const std::vector<Speaker> speakers{{x, 2}};
        const auto readsBack = [&](const QString& text) {
            bool ok = false;
            const double value = text.toDouble(&ok);
            return ok && std::abs(value - x) <= std::abs(x) * 1e-15;
        };

        const QStringList dxf = QString::fromStdString(planDxf(in, speakers)).split("\r\n");
        const auto point = dxf.indexOf("POINT");
        QVERIFY(point > 0 && dxf.at(point + 3) == "10");
        QVERIFY2(readsBack(dxf.at(point + 4)), qPrintable(dxf.at(point + 4)));

        const std::string csv = positionsCsv(speakers, ",");
        QVERIFY(csv.find('\0') == std::string::npos);
        const QStringList row =
            QString::fromStdString(csv).split("\r\n").at(1).split(';'); // after the header
        QVERIFY2(readsBack(QString(row.at(1)).replace(',', '.')), qPrintable(row.at(1)));
    }
};

QTEST_GUILESS_MAIN(TestPlanWriters)
#include "tst_plan_writers.moc"
