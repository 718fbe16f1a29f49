#include "ui/plan/plan_export.h"
#include "ui/qt_text.h"

#include "plan/dxf.h"
#include "plan/positions_csv.h"
#include "report/report_file.h"
#include "ui/plan/plan_dialogs.h"
#include "ui/plan/plan_painter.h"
#include "ui/plan/sheet_writer.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QSvgGenerator>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <utility>

namespace pa {

namespace {

// ---- The picture alone ------------------------------------------------------------------------

// The plan with its legend at a size that reads well on a page of a report.
constexpr double kPictureWidthMm = 200;
constexpr double kPictureHeightMm = 140;
constexpr double kSvgResolution = 96;
constexpr double kPngResolution = 300;
constexpr double kPictureTextPt = 8;

QSize pictureSize(double dpi) {
    return {qRound(kPictureWidthMm / 25.4 * dpi), qRound(kPictureHeightMm / 25.4 * dpi)};
}

void paintPicture(QPainter& painter, const QSize& size, const PlanScene& original) {
    PlanScene scene = original;
    scene.selected = -1;
    const QRectF target(QPointF(0, 0), QSizeF(size));
    painter.fillRect(target, Qt::white);
    painter.setFont(sheetFont(kPictureTextPt));
    paintPlan(painter, target, scene);
}

QByteArray planSvg(const PlanDocument& document) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const QSize size = pictureSize(kSvgResolution);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setResolution(static_cast<int>(kSvgResolution));
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setTitle(kSheetTitle);
    QPainter painter;
    if (!painter.begin(&generator))
        return {};
    paintPicture(painter, size, document.scene);
    if (!painter.end())
        return {};
    return buffer.data();
}

QByteArray planPng(const PlanDocument& document) {
    const QSize size = pictureSize(kPngResolution);
    QImage image(size, QImage::Format_RGB32);
    const int dotsPerMetre = qRound(kPngResolution / 0.0254);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    {
        QPainter painter(&image);
        paintPicture(painter, size, document.scene);
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return {};
    return buffer.data();
}

QByteArray fromStdBytes(const std::string& bytes) {
    return {bytes.data(), static_cast<qsizetype>(bytes.size())};
}

// ---- Types and the dialog -------------------------------------------------------------------

struct TypeInfo {
    ExportType type;
    const char* filter;
    const char* extension;
};

constexpr std::array<TypeInfo, 5> kTypes{{
    {ExportType::Pdf, "PDF (*.pdf)", "pdf"},
    {ExportType::Svg, "SVG (*.svg)", "svg"},
    {ExportType::Png, "PNG (*.png)", "png"},
    {ExportType::Dxf, "DXF (*.dxf)", "dxf"},
    {ExportType::Csv, "CSV (*.csv)", "csv"},
}};

const QString kExportTitle = QStringLiteral("Экспорт плана");

// Writes complete bytes only: the old file is replaced once the new one is whole.
QString writeExport(const QString& path, const QByteArray& bytes) {
    if (bytes.isEmpty())
        return QStringLiteral("Документ не удалось построить");
    return writeReportFile(path, bytes, WriteMode::Replace);
}

} // namespace

std::optional<QByteArray> exportBytes(ExportType type, const PlanDocument& document,
                                      Progress* progress) {
    if (progress != nullptr && !progress->step(0))
        return std::nullopt;
    const PlanScene& scene = document.scene;
    switch (type) {
    case ExportType::Pdf:
        return sheetPdf(document, progress);
    case ExportType::Svg:
        return planSvg(document);
    case ExportType::Png:
        return planPng(document);
    case ExportType::Dxf:
        return fromStdBytes(plan::planDxf(scene.inputs, scene.speakers));
    case ExportType::Csv:
        return fromStdBytes(
            plan::positionsCsv(scene.speakers, document.scene.decimalSeparator.toStdString()));
    }
    return QByteArray();
}

QString exportFilters() {
    QStringList filters;
    for (const TypeInfo& info : kTypes)
        filters.append(QString::fromLatin1(info.filter));
    return filters.join(QStringLiteral(";;"));
}

ExportTarget exportTarget(const QString& chosenPath, const QString& selectedFilter) {
    const QString suffix = QFileInfo(chosenPath).suffix().toLower();
    for (const TypeInfo& info : kTypes)
        if (suffix == QLatin1String(info.extension))
            return {chosenPath, info.type};
    const auto* chosen = std::ranges::find_if(
        kTypes, [&](const TypeInfo& info) { return selectedFilter == QLatin1String(info.filter); });
    const TypeInfo& info = chosen != kTypes.end() ? *chosen : kTypes.front();
    return {chosenPath + QLatin1Char('.') + QLatin1String(info.extension), info.type};
}

QString saveExport(const QString& path, ExportType type, const PlanDocument& document) {
    return writeExport(path, exportBytes(type, document).value_or(QByteArray()));
}

PlanExporter::PlanExporter(PlanDialogs& dialogs, QString folder)
    : dialogs_(dialogs), folder_(std::move(folder)),
      filter_(QString::fromLatin1(kTypes.front().filter)) {}

QString PlanExporter::saveAs(const PlanDocument& document) {
    QString filter = filter_;
    const QString folder = folder_.isEmpty() ? QDir::currentPath() : folder_;
    const QString chosen = dialogs_.saveFileName(kExportTitle, folder, exportFilters(), &filter);
    if (chosen.isEmpty())
        return {};
    const ExportTarget target = exportTarget(chosen, filter);
    folder_ = QFileInfo(target.path).absolutePath();
    filter_ = filter;
    const QString name = QFileInfo(target.path).fileName();
    // The dialog asked about the name it returned; a file under the name with the extension
    // added here is asked about now. As with the report, only a file, or a link to one, is.
    if (target.path != chosen && QFileInfo(target.path).isFile() &&
        dialogs_.question(QStringLiteral("ВНИМАНИЕ!"),
                          QStringLiteral("Файл «%1» уже существует. Заменить его?").arg(name)) !=
            Dialogs::Answer::Yes)
        return {};
    const std::unique_ptr<Progress> progress =
        dialogs_.progress(kExportTitle, QStringLiteral("Сохранение файла «%1»…").arg(name));
    const std::optional<QByteArray> bytes = exportBytes(target.type, document, progress.get());
    // A cancel up to the last step leaves the old file as it was.
    if (!bytes || (progress != nullptr && !progress->step(1)))
        return {};
    const QString reason = writeExport(target.path, *bytes);
    if (!reason.isEmpty()) {
        dialogs_.information(kProgramTitle, QStringLiteral("Не удалось сохранить файл ") + name +
                                                QStringLiteral("\r\n") + reason);
        return {};
    }
    return target.path;
}

void PlanExporter::print(const PlanDocument& document) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(sheetLayout());
    printer.setDocName(kSheetTitle);
    if (!dialogs_.choosePrinter(printer))
        return;
    if (!printSheet(printer, document))
        dialogs_.information(kProgramTitle, QStringLiteral("Не удалось напечатать план"));
}

} // namespace pa
