#include "core/parameters.h"
#include "report/report_format.h"

#include "support/start_record.h"
#include <QStringEncoder>

#include <QTest>

#include <utility>

using namespace pa;

Q_DECLARE_METATYPE(pa::CalculationRecord)
Q_DECLARE_METATYPE(pa::ReportSources)

namespace {

// The report written right after start-up, line by line without line ends.
const QStringList kStartUpLines{
    "ВХОДНЫЕ ДАННЫЕ",
    "________________________________________",
    "Наименование громкоговорителя:\t TD-13",
    "Тип громкоговорителя:\t Потолочный",
    "Мощность громкоговорителя:\t-  Вт",
    "Чувствительность громковорителя:\t-  дБ",
    "Диаграмма направленности:\t- 90 град",
    "Уровень перекрытия шума:\t- 10 дБ",
    "Высота точки прослушивания:\t- 150 См",
    "________________________________________",
    "Тип помещения:\t- АВТОСТОЯНКА",
    "Уровень шума помещения:\t-  дБ",
    "Высота   потолков:\t-  м",
    "Длина   помещения:\t-  м",
    "Ширина  помещения:\t-  м",
    "Площадь помещения:\t-  кв.м",
    "",
    "ВЫХОДНЫЕ ДАННЫЕ",
    "________________________________________",
    "Общее звуковое давление:\t-  дБ",
    "Эффективная дальность:\t-  м",
    "Озвучиваемая площадь \t-  кв.м",
    "Необходимое кол-во громкоговорителей: -  Шт",
    "",
    "---------------------------------------------",
    "",
};

// The start-up report with some lines (numbered from 1) replaced.
QStringList withLines(const QList<std::pair<int, QString>>& changes,
                      QStringList lines = kStartUpLines) {
    for (const auto& [number, text] : changes)
        lines[number - 1] = text;
    return lines;
}

// Expected file bytes. Every expected text is within the code page, so a failed conversion
// here is a mistake in the test itself.
QByteArray expectedBytes(const QStringList& lines) {
    QStringEncoder encoder("windows-1251");
    QByteArray bytes = encoder.encode(lines.join("\r\n") + "\r\n");
    if (encoder.hasError())
        qFatal("expected report text is outside Windows-1251");
    return bytes;
}

// As the worked example leaves the record after "РАСЧИТАТЬ".
CalculationRecord startExampleRecord() {
    CalculationRecord record = startRecord();
    record.PowerFactor = 1.0;
    record.SpeakerPower = 3.0;
    record.PowerDb = 5.0;
    record.SpeakerSpl = "90";
    record.RoomNoise = "70";
    record.MountHeight = 3.0;
    record.RoomLength = 6.0;
    record.RoomWidth = 6.0;
    record.RoomArea = "36";
    record.TotalSpl = 94.0;
    record.LevelMargin = 14.0;
    record.EffRange = 6.0;
    record.CoverArea = 8.0;
    record.SpeakerCount = 5.0;
    return record;
}

const QList<std::pair<int, QString>> kStartExampleLines{
    {5, "Мощность громкоговорителя:\t- 3 Вт"},
    {6, "Чувствительность громковорителя:\t- 90 дБ"},
    {12, "Уровень шума помещения:\t- 70 дБ"},
    {13, "Высота   потолков:\t- 3 м"},
    {14, "Длина   помещения:\t- 6 м"},
    {15, "Ширина  помещения:\t- 6 м"},
    {16, "Площадь помещения:\t- 36 кв.м"},
    {20, "Общее звуковое давление:\t- 94 дБ"},
    {21, "Эффективная дальность:\t- 6 м"},
    {22, "Озвучиваемая площадь \t- 8 кв.м"},
    {23, "Необходимое кол-во громкоговорителей: - 5 Шт"},
};

const ReportSources kStartSources{"TD-13", "АВТОСТОЯНКА", SpeakerType::Ceiling};

} // namespace

class TestReportFormat : public QObject {
    Q_OBJECT

private slots:
    void wholeReport_data();
    void wholeReport();
    void cyrillicIsWindows1251Bytes();
    void charactersOutsideCodePageBecomeQuestionMarks_data();
    void charactersOutsideCodePageBecomeQuestionMarks();
};

void TestReportFormat::wholeReport_data() {
    QTest::addColumn<CalculationRecord>("record");
    QTest::addColumn<ReportSources>("sources");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("start-up record prints unset numbers as nothing")
        << startRecord() << kStartSources << "." << kStartUpLines;

    QTest::newRow("start example prints every value at its place")
        << startExampleRecord() << kStartSources << "." << withLines(kStartExampleLines);

    // Stopped at the missing noise level: the inputs before it are new, the rest as before.
    CalculationRecord stopped = startExampleRecord();
    stopped.PowerFactor = 0.5;
    stopped.SpeakerPower = 10.0;
    stopped.PowerDb = 7.0;
    stopped.SpeakerSpl = "95";
    QTest::newRow("stopped calculation prints the record mixture as it stands")
        << stopped << ReportSources{"TD-13", "ПРОЧИЕ", SpeakerType::Ceiling} << "."
        << withLines({{5, "Мощность громкоговорителя:\t- 10 Вт"},
                      {6, "Чувствительность громковорителя:\t- 95 дБ"},
                      {11, "Тип помещения:\t- ПРОЧИЕ"}},
                     withLines(kStartExampleLines));

    const QString otherHeight = "Высота установки громкоговорителя:\t- 3 м";
    QTest::newRow("wall type prints its type word and mounting height")
        << startExampleRecord() << ReportSources{"TD-13", "АВТОСТОЯНКА", SpeakerType::Wall} << "."
        << withLines({{4, "Тип громкоговорителя:\t Настенный"}, {13, otherHeight}},
                     withLines(kStartExampleLines));
    QTest::newRow("horn type prints its type word and mounting height")
        << startExampleRecord() << ReportSources{"TD-13", "АВТОСТОЯНКА", SpeakerType::Horn} << "."
        << withLines({{4, "Тип громкоговорителя:\t Рупорный"}, {13, otherHeight}},
                     withLines(kStartExampleLines));

    QTest::newRow("typed model name is written as typed")
        << startRecord() << ReportSources{"  мой  динамик 5W ", "АВТОСТОЯНКА", SpeakerType::Ceiling}
        << "." << withLines({{3, "Наименование громкоговорителя:\t   мой  динамик 5W "}});
    QTest::newRow("pasted line breaks become blanks in the model and room lines")
        << startRecord() << ReportSources{"TD-60\n43", "ТЕАТР\r\nЗАЛ\r", SpeakerType::Ceiling}
        << "."
        << withLines({{3, "Наименование громкоговорителя:\t TD-60 43"},
                      {11, "Тип помещения:\t- ТЕАТР  ЗАЛ "}});
    QTest::newRow("empty model and room fields keep the space or dash after the tab")
        << startRecord() << ReportSources{"", "", SpeakerType::Ceiling} << "."
        << withLines({{3, "Наименование громкоговорителя:\t "}, {11, "Тип помещения:\t- "}});

    CalculationRecord fractional = startExampleRecord();
    fractional.RoomLength = 7.5;
    fractional.SpeakerSpl = "92.5";
    fractional.RoomArea = "45.5";
    fractional.TotalSpl = -3.0;
    const QList<std::pair<int, QString>> fractionalLines{
        {6, "Чувствительность громковорителя:\t- 92.5 дБ"},
        {16, "Площадь помещения:\t- 45.5 кв.м"},
        {20, "Общее звуковое давление:\t- -3 дБ"}};
    QTest::newRow("point separator writes the fraction with the point")
        << fractional << kStartSources << "."
        << withLines({{14, "Длина   помещения:\t- 7.5 м"}},
                     withLines(fractionalLines, withLines(kStartExampleLines)));
    QTest::newRow("comma separator writes numbers with the comma and texts as typed")
        << fractional << kStartSources << ","
        << withLines({{14, "Длина   помещения:\t- 7,5 м"}},
                     withLines(fractionalLines, withLines(kStartExampleLines)));
}

void TestReportFormat::wholeReport() {
    QFETCH(CalculationRecord, record);
    QFETCH(ReportSources, sources);
    QFETCH(QString, separator);
    QFETCH(QStringList, lines);

    QCOMPARE(lines.size(), 26);
    QCOMPARE(formatReport(record, sources, separator), expectedBytes(lines));
}

void TestReportFormat::cyrillicIsWindows1251Bytes() {
    const QByteArray report = formatReport(startRecord(), kStartSources, ".");
    // "ВХОДНЫЕ ДАННЫЕ" in the code page, then CR LF, then the 40 underscores.
    const QByteArray firstLine("\xC2\xD5\xCE\xC4\xCD\xDB\xC5 \xC4\xC0\xCD\xCD\xDB\xC5\r\n");
    QCOMPARE(report.left(firstLine.size()), firstLine);
    QCOMPARE(report.mid(firstLine.size(), 42), QByteArray(40, '_') + "\r\n");
}

void TestReportFormat::charactersOutsideCodePageBecomeQuestionMarks_data() {
    QTest::addColumn<QString>("model");
    QTest::addColumn<QByteArray>("line3");

    const QByteArray caption(
        "\xCD\xE0\xE8\xEC\xE5\xED\xEE\xE2\xE0\xED\xE8\xE5 "
        "\xE3\xF0\xEE\xEC\xEA\xEE\xE3\xEE\xE2\xEE\xF0\xE8\xF2\xE5\xEB\xFF:\t ");
    QTest::newRow("latin accent becomes a question mark, not the control character SUB")
        << QString("Caf\u00E9") << caption + "Caf?";
    QTest::newRow("a character outside the basic plane is one question mark")
        << QString::fromUtf8("A\U0001F600B") << caption + "A?B";
    QTest::newRow("code page characters next to missing ones survive")
        << QString("\u20AC\u4E2D\u2116\u0416") << caption + "\x88?\xB9\xC6";
    QTest::newRow("stray halves of surrogate pairs are each one question mark")
        << (QString("x") + QChar(0xD800) + "y" + QChar(0xDC00) + "z") << caption + "x?y?z";
}

void TestReportFormat::charactersOutsideCodePageBecomeQuestionMarks() {
    QFETCH(QString, model);
    QFETCH(QByteArray, line3);

    const QByteArray report =
        formatReport(startRecord(), {model, "АВТОСТОЯНКА", SpeakerType::Ceiling}, ".");
    const QList<QByteArray> lines = report.split('\n');
    QCOMPARE(lines.size(), 27);
    QCOMPARE(lines.at(2), line3 + "\r");
    QVERIFY(!report.contains('\x1A'));
}

QTEST_APPLESS_MAIN(TestReportFormat)
#include "tst_report_format.moc"
