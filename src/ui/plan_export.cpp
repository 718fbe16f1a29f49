#include "ui/plan_export.h"
#include "ui/qt_text.h"

#include "plan/dxf.h"
#include "plan/positions_csv.h"
#include "report/report_file.h"
#include "ui/dialogs.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSvgGenerator>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace pa {

namespace {

// ---- The sheet --------------------------------------------------------------------------------
// Sizes are in millimetres of the page and become device units through the device's resolution,
// so a PDF writer and any printer get the same sheet.

constexpr double kMarginMm = 10;
constexpr double kHeaderMm = 12; // title band at the top of every page
constexpr double kLeftColumnMm = 95;
constexpr double kGutterMm = 5;
constexpr double kPlanHeightMm = 130;
constexpr double kPdfResolution = 1200; // dpi: vector lines and text placed finely enough
constexpr int kContinuationColumns = 3;

constexpr double kTitlePt = 14;
constexpr double kHeadingPt = 10;
constexpr double kTextPt = 8;
constexpr double kPlanTextPt = 7;

const QString kFontFamily = QStringLiteral("DejaVu Sans");

QFont sheetFont(double points, bool bold = false) {
    QFont font(kFontFamily);
    font.setPointSizeF(points);
    font.setBold(bold);
    // Outline glyphs embed in a PDF as text with its Unicode mapping; a bitmap face would not.
    font.setStyleStrategy(QFont::PreferOutline);
    return font;
}

QPageLayout sheetLayout() {
    return {QPageSize(QPageSize::A4), QPageLayout::Landscape,
            QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter};
}

// Share of the frame width each column of the positions table takes; ceiling loudspeakers
// leave out the wall column.
constexpr std::array<double, 4> kColumnShares{0.14, 0.24, 0.24, 0.38};
constexpr std::array<double, 4> kCeilingColumnShares{0.2, 0.4, 0.4, 0};

// Lays blocks of text into frames, top to bottom, frame after frame and page after page.
class SheetWriter {
public:
    SheetWriter(QPainter& painter, QPagedPaintDevice& device, const PlanDocument& document)
        : painter_(painter), device_(device), document_(document),
          unit_(device.logicalDpiY() / 25.4), page_(0, 0, device.width(), device.height()) {}

    void firstPage() {
        pageHeader(kSheetTitle);
        const double top = mm(kHeaderMm);
        const double left = mm(kLeftColumnMm);
        const double gutter = mm(kGutterMm);
        const QRectF plan(left + gutter, top, page_.width() - left - gutter, mm(kPlanHeightMm));
        painter_.save();
        painter_.setFont(sheetFont(kPlanTextPt));
        PlanScene scene = document_.scene;
        scene.selected = -1;
        paintPlan(painter_, plan, scene);
        painter_.restore();

        frames_ = {QRectF(0, top, left, page_.height() - top)};
        const double below = plan.bottom() + gutter;
        const double half = (plan.width() - gutter) / 2;
        for (int i = 0; i < 2; ++i)
            frames_.append(
                QRectF(plan.left() + i * (half + gutter), below, half, page_.height() - below));
        frame_ = 0;
        y_ = frames_[0].top();
    }

    void heading(const QString& text) {
        const QFont font = sheetFont(kHeadingPt, true);
        const double space = y_ > frames_[frame_].top() ? mm(3) : 0;
        const double height = textHeight(font, frameWidth(), text);
        // A heading never stands alone at the foot of a frame.
        fit(space + height + lineHeight(sheetFont(kTextPt)) * 2);
        if (y_ > frames_[frame_].top())
            y_ += space;
        drawText(font, QRectF(left(), y_, frameWidth(), height), Qt::AlignLeft, text);
        y_ += height + mm(1);
    }

    void paragraph(const QString& text) {
        const QFont font = sheetFont(kTextPt);
        const double height = textHeight(font, frameWidth(), text);
        fit(height);
        drawText(font, QRectF(left(), y_, frameWidth(), height), Qt::AlignLeft, text);
        y_ += height + mm(0.6);
    }

    // A caption and its value side by side, each wrapped in its own part of the frame.
    void entry(const QString& caption, const QString& value) {
        const QFont font = sheetFont(kTextPt);
        const double captionWidth = frameWidth() * 0.62;
        const double valueWidth = frameWidth() - captionWidth - mm(1);
        const double height =
            std::max(textHeight(font, captionWidth, caption), textHeight(font, valueWidth, value));
        fit(height);
        drawText(font, QRectF(left(), y_, captionWidth, height), Qt::AlignLeft, caption);
        drawText(font, QRectF(left() + captionWidth + mm(1), y_, valueWidth, height), Qt::AlignLeft,
                 value);
        y_ += height + mm(0.6);
    }

    // Further blocks start at the top of the next frame.
    void breakFrame() {
        if (y_ > frames_[frame_].top())
            fit(frames_[frame_].height() + 1);
    }

    // The positions table, its header row repeated at the top of every frame it continues in.
    // A table that fits on the rest of the page is shared evenly among the frames it needs, and
    // frames beside its first one start level with it.
    void table(const std::vector<plan::PositionRow>& rows, bool withWalls) {
        shares_ = withWalls ? kColumnShares : kCeilingColumnShares;
        const double height = lineHeight(sheetFont(kTextPt)) + mm(1);
        fit(2 * height);
        const double top = y_;
        const qsizetype first = frame_;
        const int page = page_number_;
        const auto startOf = [&](qsizetype f) {
            return frames_[f].top() == frames_[first].top() ? top : frames_[f].top();
        };
        std::size_t room = 0;
        std::size_t used = 0;
        for (qsizetype f = first; f < frames_.size() && room < rows.size(); ++f, ++used)
            room += static_cast<std::size_t>(
                std::max(0.0, std::floor((frames_[f].bottom() - startOf(f)) / height) - 1));
        const std::size_t perFrame =
            room >= rows.size() && used > 0 ? (rows.size() + used - 1) / used : rows.size();

        std::size_t inFrame = 0;
        for (const plan::PositionRow& row : rows) {
            if (inFrame > 0 && (inFrame == perFrame || y_ + height > frames_[frame_].bottom())) {
                nextFrame();
                if (page_number_ == page)
                    y_ = startOf(frame_);
                inFrame = 0;
            }
            if (inFrame == 0) {
                std::array<QString, 4> header;
                std::ranges::transform(plan::kPositionHeader, header.begin(), qs);
                cells(header, true);
                y_ += height;
            }
            std::array<QString, 4> texts;
            std::ranges::transform(row, texts.begin(), qs);
            cells(texts, false);
            y_ += height;
            ++inFrame;
        }
    }

private:
    double mm(double millimetres) const { return millimetres * unit_; }
    double left() const { return frames_[frame_].left(); }
    double frameWidth() const { return frames_[frame_].width(); }

    double lineHeight(const QFont& font) const { return QFontMetricsF(font, &device_).height(); }

    double textHeight(const QFont& font, double width, const QString& text) const {
        const QRectF bound =
            QFontMetricsF(font, &device_)
                .boundingRect(QRectF(0, 0, width, 1e9), Qt::TextWordWrap | Qt::AlignLeft, text);
        return std::max(bound.height(), lineHeight(font));
    }

    void drawText(const QFont& font, const QRectF& rect, Qt::Alignment align, const QString& text) {
        painter_.setFont(font);
        painter_.setPen(Qt::black);
        painter_.drawText(rect, static_cast<int>(align | Qt::AlignTop) | Qt::TextWordWrap, text);
    }

    void cells(const std::array<QString, 4>& texts, bool header) {
        const QFont font = sheetFont(kTextPt, header);
        const double height = lineHeight(font) + mm(1);
        double x = left();
        for (std::size_t i = 0; i < texts.size() && shares_.at(i) > 0; ++i) {
            const double width = frameWidth() * shares_.at(i);
            const QRectF cell(x, y_, width, height);
            painter_.setPen(QPen(Qt::black, mm(0.15)));
            painter_.setBrush(header ? QColor(230, 230, 230) : QColor(Qt::white));
            painter_.drawRect(cell);
            painter_.setFont(font);
            painter_.drawText(cell.adjusted(mm(1), 0, -mm(1), 0),
                              static_cast<int>(Qt::AlignVCenter |
                                               (i == 0 || i == 3 ? Qt::AlignLeft : Qt::AlignRight)),
                              texts.at(i));
            x += width;
        }
    }

    // Moves on to the next frame, and to a new page after the last one, when the block does not
    // fit; true when it moved.
    bool fit(double height) {
        if (y_ + height <= frames_[frame_].bottom() || y_ == frames_[frame_].top())
            return false;
        nextFrame();
        return true;
    }

    void nextFrame() {
        if (++frame_ >= frames_.size())
            nextPage();
        y_ = frames_[frame_].top();
    }

    void nextPage() {
        device_.newPage();
        ++page_number_;
        pageHeader(kSheetTitle + QStringLiteral(" (продолжение), лист ") +
                   QString::number(page_number_));
        frames_.clear();
        const double top = mm(kHeaderMm);
        const double gutter = mm(kGutterMm);
        const double width =
            (page_.width() - gutter * (kContinuationColumns - 1)) / kContinuationColumns;
        for (int i = 0; i < kContinuationColumns; ++i)
            frames_.append(QRectF(i * (width + gutter), top, width, page_.height() - top));
        frame_ = 0;
    }

    void pageHeader(const QString& title) {
        const QFont titleFont = sheetFont(kTitlePt, true);
        const QFont dateFont = sheetFont(kTextPt);
        const double height = lineHeight(titleFont);
        drawText(titleFont, QRectF(0, 0, page_.width() * 0.75, height), Qt::AlignLeft, title);
        drawText(dateFont, QRectF(page_.width() * 0.75, 0, page_.width() * 0.25, height),
                 Qt::AlignRight,
                 QStringLiteral("Дата: ") + document_.date.toString(QStringLiteral("dd.MM.yyyy")));
        painter_.setPen(QPen(Qt::black, mm(0.3)));
        painter_.drawLine(QPointF(0, height + mm(1)), QPointF(page_.width(), height + mm(1)));
    }

    QPainter& painter_;
    QPagedPaintDevice& device_;
    const PlanDocument& document_;
    double unit_; // device units per millimetre
    QRectF page_;
    QList<QRectF> frames_;
    qsizetype frame_ = 0;
    double y_ = 0;
    int page_number_ = 1;
    std::array<double, 4> shares_ = kColumnShares;
};

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

QByteArray sheetPdf(const PlanDocument& document) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(static_cast<int>(kPdfResolution));
        writer.setPageLayout(sheetLayout());
        writer.setTitle(kSheetTitle);
        writer.setCreator(kProgramTitle);
        QPainter painter;
        if (!painter.begin(&writer))
            return {};
        paintSheet(painter, writer, document);
        if (!painter.end())
            return {};
    }
    return buffer.data();
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

} // namespace

void paintSheet(QPainter& painter, QPagedPaintDevice& device, const PlanDocument& document) {
    SheetWriter sheet(painter, device, document);
    sheet.firstPage();

    // A section without lines leaves out its heading too.
    for (const bool results : {false, true}) {
        bool headed = false;
        for (const ReportEntry& entry : document.entries) {
            if (entry.result != results)
                continue;
            if (!std::exchange(headed, true))
                sheet.heading(results ? QStringLiteral("Результаты расчета")
                                      : QStringLiteral("Исходные данные"));
            sheet.entry(entry.caption, entry.value);
        }
    }

    const PlanScene& scene = document.scene;
    const std::string separator = document.decimalSeparator.toStdString();
    sheet.heading(QStringLiteral("Показатели плана"));
    for (const std::string& line : plan::figureLines(scene.inputs, scene.figures, separator))
        sheet.paragraph(qs(line));

    // The table begins under the plan, where a short one fits whole.
    sheet.breakFrame();
    sheet.heading(QStringLiteral("Положение громкоговорителей"));
    const bool onWalls = std::ranges::any_of(
        scene.speakers, [](const plan::Speaker& s) { return s.wall != plan::Wall::None; });
    if (onWalls)
        sheet.paragraph(QStringLiteral("Стена: ближняя — Y = 0, дальняя — Y = ") +
                        qs(plan::metres(scene.inputs.width, separator)) + QStringLiteral(" м"));
    sheet.table(plan::positionRows(scene.speakers, separator), onWalls);
}

bool printSheet(QPrinter& printer, const PlanDocument& document) {
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    paintSheet(painter, printer, document);
    return painter.end();
}

QByteArray exportBytes(ExportType type, const PlanDocument& document) {
    const PlanScene& scene = document.scene;
    switch (type) {
    case ExportType::Pdf:
        return sheetPdf(document);
    case ExportType::Svg:
        return planSvg(document);
    case ExportType::Png:
        return planPng(document);
    case ExportType::Dxf:
        return fromStdBytes(plan::planDxf(scene.inputs, scene.speakers));
    case ExportType::Csv:
        return fromStdBytes(
            plan::positionsCsv(scene.speakers, document.decimalSeparator.toStdString()));
    }
    return {};
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
    const QByteArray bytes = exportBytes(type, document);
    if (bytes.isEmpty())
        return QStringLiteral("Документ не удалось построить");
    return writeReportFile(path, bytes, WriteMode::Replace);
}

PlanExporter::PlanExporter(Dialogs& dialogs, QString folder)
    : dialogs_(dialogs), folder_(std::move(folder)),
      filter_(QString::fromLatin1(kTypes.front().filter)) {}

QString PlanExporter::saveAs(const PlanDocument& document) {
    QString filter = filter_;
    const QString folder = folder_.isEmpty() ? QDir::currentPath() : folder_;
    const QString chosen =
        dialogs_.saveFileName(QStringLiteral("Экспорт плана"), folder, exportFilters(), &filter);
    if (chosen.isEmpty())
        return {};
    const ExportTarget target = exportTarget(chosen, filter);
    folder_ = QFileInfo(target.path).absolutePath();
    filter_ = filter;
    const QString reason = saveExport(target.path, target.type, document);
    if (!reason.isEmpty()) {
        dialogs_.information(kProgramTitle, QStringLiteral("Не удалось сохранить файл ") +
                                                QFileInfo(target.path).fileName() +
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
