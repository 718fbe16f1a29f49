#include "ui/plan/sheet_writer.h"
#include "ui/qt_text.h"

#include "plan/positions_csv.h"
#include "ui/dialogs.h"
#include "ui/plan/plan_painter.h"
#include "ui/plan_port.h"
#include "ui/sheet_style.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <utility>

namespace pa {

namespace {

// Sizes are in millimetres of the page and become device units through the device's resolution,
// so a PDF writer and any printer get the same sheet.

constexpr double kLeftColumnMm = 95;
constexpr double kGutterMm = 5;
constexpr double kPlanHeightMm = 130;
constexpr int kContinuationColumns = 3;

constexpr double kTitlePt = 14;
constexpr double kPlanTextPt = 7;

// Share of the frame width each column of the positions table takes; ceiling loudspeakers
// leave out the wall column.
constexpr std::array<double, 4> kColumnShares{0.14, 0.24, 0.24, 0.38};
constexpr std::array<double, 4> kCeilingColumnShares{0.2, 0.4, 0.4, 0};

// The first page's share of the sheet's work as the progress shows it; the rest is the table.
constexpr double kFirstPageShare = 0.05;
// Rows drawn between two progress steps: a few milliseconds' work.
constexpr std::size_t kRowsPerStep = 64;

// Lays blocks of text into frames, top to bottom, frame after frame and page after page.
class SheetWriter {
public:
    SheetWriter(QPainter& painter, QPagedPaintDevice& device, const PlanDocument& document,
                Progress* progress)
        : painter_(painter), device_(device), document_(document), progress_(progress),
          unit_(device.logicalDpiY() / 25.4), page_(0, 0, device.width(), device.height()) {}

    void firstPage() {
        pageHeader({});
        const double top = mm(kSheetHeaderMm);
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
        const QFont font = sheetFont(kSheetHeadingPt, true);
        const double space = y_ > frames_[frame_].top() ? mm(3) : 0;
        const double height = textHeight(font, frameWidth(), text);
        // A heading never stands alone at the foot of a frame.
        fit(space + height + lineHeight(sheetFont(kSheetTextPt)) * 2);
        if (y_ > frames_[frame_].top())
            y_ += space;
        drawText(font, QRectF(left(), y_, frameWidth(), height), Qt::AlignLeft, text);
        y_ += height + mm(1);
    }

    void paragraph(const QString& text) {
        const QFont font = sheetFont(kSheetTextPt);
        const double height = textHeight(font, frameWidth(), text);
        fit(height);
        drawText(font, QRectF(left(), y_, frameWidth(), height), Qt::AlignLeft, text);
        y_ += height + mm(0.6);
    }

    // A caption and its value side by side, each wrapped in its own part of the frame.
    void entry(const QString& caption, const QString& value) {
        const QFont font = sheetFont(kSheetTextPt);
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
        const double height = lineHeight(sheetFont(kSheetTextPt)) + mm(1);
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

        std::array<QString, 4> header;
        std::ranges::transform(plan::kPositionHeader, header.begin(), qs);
        const Cells body(sheetFont(kSheetTextPt), device_);
        const Cells headerCells(sheetFont(kSheetTextPt, true), device_);
        std::size_t inFrame = 0;
        double blockTop = y_;
        for (std::size_t i = 0; i < rows.size() && going_; ++i) {
            if (inFrame > 0 && (inFrame == perFrame || y_ + height > frames_[frame_].bottom())) {
                ruleBlock(blockTop, inFrame + 1, height);
                done_ = static_cast<double>(i) / static_cast<double>(rows.size());
                nextFrame();
                if (page_number_ == page)
                    y_ = startOf(frame_);
                inFrame = 0;
            }
            if (inFrame == 0) {
                blockTop = y_;
                painter_.fillRect(QRectF(left(), y_, tableWidth(), height), kSheetHeaderFill);
                rowTexts(headerCells, header, height);
                y_ += height;
            }
            std::array<QString, 4> texts;
            std::ranges::transform(rows[i], texts.begin(), qs);
            rowTexts(body, texts, height);
            y_ += height;
            ++inFrame;
            if (i % kRowsPerStep == kRowsPerStep - 1)
                step(static_cast<double>(i + 1) / static_cast<double>(rows.size()));
        }
        if (inFrame > 0)
            ruleBlock(blockTop, inFrame + 1, height);
    }

    // False once the user cancelled: the writer then adds nothing more.
    bool going() const { return going_; }

    // Reports the share of the sheet's work done, 0 to 1.
    void step(double fraction) {
        done_ = fraction;
        if (going_ && progress_ != nullptr)
            going_ = progress_->step(kFirstPageShare + (1 - kFirstPageShare) * fraction);
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

    // A font with its measures, for the many cells of a table.
    struct Cells {
        Cells(const QFont& face, QPaintDevice& device) : font(face), metrics(face, &device) {}
        QFont font;
        QFontMetricsF metrics;
    };

    double tableWidth() const {
        return frameWidth() * std::accumulate(shares_.begin(), shares_.end(), 0.0);
    }

    // One row's texts, the number and the wall to the left of their cells, the coordinates to the
    // right. Drawn at a point, not laid out in a box: a long table has hundreds of thousands.
    void rowTexts(const Cells& cells, const std::array<QString, 4>& texts, double height) {
        painter_.setFont(cells.font);
        painter_.setPen(Qt::black);
        const double baseline = y_ +
                                (height - cells.metrics.ascent() - cells.metrics.descent()) / 2 +
                                cells.metrics.ascent();
        double x = left();
        for (std::size_t i = 0; i < texts.size() && shares_.at(i) > 0; ++i) {
            const double width = frameWidth() * shares_.at(i);
            const bool leftAligned = i == 0 || i == 3;
            const double at =
                leftAligned ? x + mm(1)
                            : x + width - mm(1) - cells.metrics.horizontalAdvance(texts.at(i));
            painter_.drawText(QPointF(at, baseline), texts.at(i));
            x += width;
        }
    }

    // The rules of a block of rows, the header row among them, all at once.
    void ruleBlock(double top, std::size_t rowCount, double height) {
        const double bottom = top + static_cast<double>(rowCount) * height;
        QList<QLineF> lines;
        lines.reserve(static_cast<qsizetype>(rowCount) + 6);
        for (std::size_t r = 0; r <= rowCount; ++r) {
            const double y = top + static_cast<double>(r) * height;
            lines.append(QLineF(left(), y, left() + tableWidth(), y));
        }
        double x = left();
        lines.append(QLineF(x, top, x, bottom));
        for (const double share : shares_) {
            if (share <= 0)
                break;
            x += frameWidth() * share;
            lines.append(QLineF(x, top, x, bottom));
        }
        painter_.setPen(QPen(Qt::black, mm(0.15)));
        painter_.drawLines(lines);
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
        step(done_);
        device_.newPage();
        ++page_number_;
        pageHeader(QStringLiteral(" (продолжение), лист ") + QString::number(page_number_));
        frames_.clear();
        const double top = mm(kSheetHeaderMm);
        const double gutter = mm(kGutterMm);
        const double width =
            (page_.width() - gutter * (kContinuationColumns - 1)) / kContinuationColumns;
        for (int i = 0; i < kContinuationColumns; ++i)
            frames_.append(QRectF(i * (width + gutter), top, width, page_.height() - top));
        frame_ = 0;
    }

    // The title, with the room's name when the sheet has one, shortened to the title's line;
    // suffix marks a continued page.
    void pageHeader(const QString& suffix) {
        const QFont titleFont = sheetFont(kTitlePt, true);
        const QFont dateFont = sheetFont(kSheetTextPt);
        const double height = lineHeight(titleFont);
        const QString date =
            QStringLiteral("Дата: ") + document_.date.toString(QStringLiteral("dd.MM.yyyy"));
        // The title takes all but the date, so that a room's name is cut only when it must be.
        const double dateWidth = QFontMetricsF(dateFont, &device_).horizontalAdvance(date) + mm(5);
        const double titleWidth = page_.width() - dateWidth;
        QString title = kSheetTitle;
        if (!document_.room.isEmpty()) {
            const QString colon = QStringLiteral(": ");
            const QFontMetricsF metrics(titleFont, &device_);
            const double left = titleWidth - metrics.horizontalAdvance(title + colon + suffix);
            title +=
                colon + metrics.elidedText(document_.room, Qt::ElideRight, std::max(0.0, left));
        }
        drawText(titleFont, QRectF(0, 0, titleWidth, height), Qt::AlignLeft, title + suffix);
        drawText(dateFont, QRectF(titleWidth, 0, dateWidth, height), Qt::AlignRight, date);
        painter_.setPen(QPen(Qt::black, mm(0.3)));
        painter_.drawLine(QPointF(0, height + mm(1)), QPointF(page_.width(), height + mm(1)));
    }

    QPainter& painter_;
    QPagedPaintDevice& device_;
    const PlanDocument& document_;
    Progress* progress_;
    bool going_ = true;
    double done_ = 0; // share of the positions table drawn
    double unit_;     // device units per millimetre
    QRectF page_;
    QList<QRectF> frames_;
    qsizetype frame_ = 0;
    double y_ = 0;
    int page_number_ = 1;
    std::array<double, 4> shares_ = kColumnShares;
};

} // namespace

bool paintSheet(QPainter& painter, QPagedPaintDevice& device, const PlanDocument& document,
                Progress* progress) {
    SheetWriter sheet(painter, device, document, progress);
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
    const std::string separator = document.scene.decimalSeparator.toStdString();
    sheet.heading(QStringLiteral("Показатели плана"));
    if (!document.method.isEmpty())
        sheet.paragraph(
            QStringLiteral("Способ размещения: ") + document.method +
            (document.handEdited ? QStringLiteral(", положения изменены вручную") : QString()));
    for (const plan::FigureRow& row : sceneRows(scene))
        sheet.paragraph(qs(plan::rowText(row)));
    sheet.step(0);
    if (scene.speakers.empty())
        return sheet.going();

    // The table begins under the plan, where a short one fits whole.
    sheet.breakFrame();
    sheet.heading(QStringLiteral("Положение громкоговорителей"));
    const bool onWalls = std::ranges::any_of(
        scene.speakers, [](const plan::Speaker& s) { return s.wall != plan::Wall::None; });
    if (onWalls)
        sheet.paragraph(QStringLiteral("Стена: ближняя — Y = 0, дальняя — Y = ") +
                        qs(plan::metres(scene.inputs.width, separator)) + QStringLiteral(" м"));
    sheet.table(plan::positionRows(scene.speakers, separator), onWalls);
    sheet.step(1);
    return sheet.going();
}

bool paintRoomSheet(QPainter& painter, QPagedPaintDevice& device, const RoomSheet& sheet,
                    Progress* progress) {
    return paintSheet(painter, device, roomDocument(sheet), progress);
}

bool printSheet(QPrinter& printer, const PlanDocument& document) {
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    paintSheet(painter, printer, document);
    return painter.end();
}

std::optional<QByteArray> sheetPdf(const PlanDocument& document, Progress* progress) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        prepareSheetPdf(writer, kSheetTitle);
        QPainter painter;
        if (!painter.begin(&writer))
            return QByteArray();
        const bool complete = paintSheet(painter, writer, document, progress);
        if (!painter.end())
            return QByteArray();
        if (!complete)
            return std::nullopt;
    }
    return buffer.data();
}

} // namespace pa
