#include "data/catalogue.h"
#include "project/bill_csv.h"
#include "project/project_figures.h"

#include <QTest>

using namespace pa;
using namespace pa::project;

namespace {

// A 6 x 6 m room of five loudspeakers; described as "model/power/type letter/gradation".
Room room(const QString& described, const std::string& line) {
    const QStringList parts = described.split('/');
    Room r;
    r.name = "Комната";
    r.model = parts[0].toStdString();
    r.power = parts[1].toStdString();
    r.sensitivity = "90";
    r.type = typeOfLetter(parts[2].toStdString());
    r.directivity = r.type == SpeakerType::Ceiling ? "90" : "120";
    r.gradation = parts[3].toInt();
    r.roomType = "АВТОСТОЯНКА";
    r.noise = "70";
    r.length = "6";
    r.width = "6";
    r.height = "3";
    r.line = line;
    return r;
}

// Records as a spreadsheet reads them: quoted fields may hold the separator, quotes and breaks.
QList<QStringList> records(const QString& text) {
    QList<QStringList> rows{{}};
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted && c == '"' && text.mid(i + 1, 1) == "\"")
            field += text[++i];
        else if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == ';')
            rows.last() << std::exchange(field, {});
        else if (!quoted && text.mid(i, 2) == "\r\n") {
            rows.last() << std::exchange(field, {});
            rows.append(QStringList());
            ++i;
        } else
            field += c;
    }
    rows.removeLast(); // after the last CR LF
    return rows;
}

} // namespace

class TestBillCsv : public QObject {
    Q_OBJECT

private slots:
    void bill_data() {
        QTest::addColumn<QStringList>("rooms");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("lineName"); // the rooms' line; none when empty
        QTest::addColumn<QStringList>("bill"); // its rows as the file writes them
        QTest::newRow("one model over two rooms")
            << QStringList{"TD-13/3/П/1", "TD-13/3/П/1"} << ","
            << "" << QStringList{"TD-13;Потолочный;3;90;10;30,0", "Итого;;;;10;30,0"};
        QTest::newRow("ПРОЧИЕ apart by power")
            << QStringList{"ПРОЧИЕ/3/П/1", "ПРОЧИЕ/6/П/1"} << ","
            << ""
            << QStringList{"ПРОЧИЕ;Потолочный;3;90;5;15,0", "ПРОЧИЕ;Потолочный;6;90;5;30,0",
                           "Итого;;;;10;45,0"};
        QTest::newRow("ПРОЧИЕ alike counted together, power as used")
            << QStringList{"ПРОЧИЕ/6/П/2", "ПРОЧИЕ/6/П/2"} << "."
            << "" << QStringList{"ПРОЧИЕ;Потолочный;6;90;10;30.0", "Итого;;;;10;30.0"};
        QTest::newRow("ПРОЧИЕ apart by type")
            << QStringList{"ПРОЧИЕ/7.5/П/1", "ПРОЧИЕ/7.5/Н/1"} << ","
            << ""
            << QStringList{"ПРОЧИЕ;Потолочный;7,5;90;5;40,0", "ПРОЧИЕ;Настенный;7,5;90;1;8,0",
                           "Итого;;;;6;48,0"};
        QTest::newRow("lines follow, a name with separator and quote kept")
            << QStringList{"TD-13/3/П/1"} << ","
            << "Л;1 \"щит\"" << QStringList{"TD-13;Потолочный;3;90;5;15,0", "Итого;;;;5;15,0"};
    }

    // Read back as a spreadsheet would: the mark, CR LF only, a field count a table, the rows.
    void bill() {
        QFETCH(QStringList, rooms);
        QFETCH(QString, separator);
        QFETCH(QString, lineName);
        QFETCH(QStringList, bill);
        Project p;
        if (!lineName.isEmpty()) {
            p.lines.emplace_back();
            p.lines[0].id = "Л1";
            p.lines[0].name = lineName.toStdString();
        }
        for (const QString& described : rooms)
            p.rooms.push_back(room(described, lineName.isEmpty() ? "" : "Л1"));
        const std::string sep = separator.toStdString();
        const std::string csv = billCsv(p, projectFigures(p, {1, false, nullptr, sep}), sep);
        QVERIFY(csv.starts_with("\xEF\xBB\xBF") && csv.ends_with("\r\n"));
        QCOMPARE(QString::fromStdString(csv).count('\n'),
                 QString::fromStdString(csv).count("\r\n"));
        const QList<QStringList> read = records(QString::fromStdString(csv.substr(3)));
        QCOMPARE(read.size(), 1 + bill.size() + (lineName.isEmpty() ? 0 : 3));
        QCOMPARE(read[0].size(), 6);
        for (qsizetype i = 0; i < bill.size(); ++i)
            QCOMPARE(read[i + 1].join(';'), bill[i]);
        if (lineName.isEmpty())
            return;
        const qsizetype at = bill.size() + 1;
        QCOMPARE(read[at], QStringList{""}); // the empty row between the tables
        QCOMPARE(read[at + 1].size(), 13);
        QCOMPARE(read[at + 2].size(), 13);
        QCOMPARE(read[at + 2][0], lineName);
        QCOMPARE(read[at + 2][2], QString::number(rooms.size()));
    }
};

QTEST_MAIN(TestBillCsv)
#include "tst_bill_csv.moc"
