#include "ui/project/project_document.h"
#include "ui/qt_text.h"

#include "plan/plan.h"
#include "project/project_tables.h"
#include "report/report_format.h"
#include "ui/dialogs.h"
#include "ui/sheet_style.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <numeric>
#include <utility>
#include <vector>

namespace pa {

namespace {

// Sizes in millimetres of the page, as the plan sheet has them.
constexpr double kPaddingMm = 1;
constexpr double kTitleTopShare = 0.22; // of the page's height, above the project's name
constexpr double kFactsLeftShare = 0.3; // of the page's width, left of the title page's facts
constexpr double kFactCaptionMm = 50;
// A word wider than this breaks anywhere rather than widen its column further.
constexpr double kWidestWordMm = 40;
// A cell's text is cut here: the table stays a table whatever a name holds.
constexpr qsizetype kMaxCellCharacters = 200;

constexpr double kNamePt = 20;
constexpr double kSubtitlePt = 12;
constexpr double kBandPt = 14;

// Share of the progress the title and the tables take; the rooms' sheets share the rest by the
// number of loudspeakers they draw, plus a room's own work.
constexpr double kTablesShare = 0.05;
constexpr double kRoomWeight = 20;

QString dateText(const QDate& date) {
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}

QString cellText(const std::string& text) {
    const QString cell = qs(text);
    return cell.size() > kMaxCellCharacters ? cell.left(kMaxCellCharacters - 1) + QChar(0x2026)
                                            : cell;
}

// The rest of the work goes into a part of a larger task's progress.
class PartProgress final : public Progress {
public:
    PartProgress(Progress* whole, double from, double span)
        : whole_(whole), from_(from), span_(span) {}
    bool step(double fraction) override {
        return whole_ == nullptr || whole_->step(from_ + span_ * std::clamp(fraction, 0.0, 1.0));
    }

private:
    Progress* whole_;
    double from_;
    double span_;
};

// Lays the title page and the tables out, page after page, a band with the project's name and
// the date at the top of each page after the title.
class Pages {
public:
    Pages(QPainter& painter, QPagedPaintDevice& device, const ProjectDocument& document)
        : painter_(painter), device_(device), document_(document),
          unit_(device.logicalDpiY() / 25.4), page_(0, 0, device.width(), device.height()) {}

    void titlePage(const std::vector<std::pair<QString, QString>>& facts) {
        const QFont nameFont = sheetFont(kNamePt, true);
        const QFont subtitleFont = sheetFont(kSubtitlePt);
        const QFont font = sheetFont(kSheetTextPt + 2);
        y_ = page_.height() * kTitleTopShare;
        block(nameFont, document_.name, Qt::AlignHCenter, 0, page_.width());
        y_ += mm(4);
        block(subtitleFont, QStringLiteral("Расчет громкоговорителей системы оповещения"),
              Qt::AlignHCenter, 0, page_.width());
        y_ += mm(15);
        const double left = page_.width() * kFactsLeftShare;
        const double valueLeft = left + mm(kFactCaptionMm);
        const double valueWidth = page_.width() - valueLeft - left / 2;
        for (const auto& [caption, value] : facts) {
            if (caption.isEmpty()) {
                y_ += mm(4);
                continue;
            }
            const double height =
                textHeight(font, valueWidth, value, wrapping(font, valueWidth, value));
            draw(font, QRectF(left, y_, mm(kFactCaptionMm), height), Qt::AlignLeft, caption);
            draw(font, QRectF(valueLeft, y_, valueWidth, height),
                 Qt::AlignLeft | wrapping(font, valueWidth, value), value);
            y_ += height + mm(1.5);
        }
    }

    void startPage() {
        device_.newPage();
        const QFont font = sheetFont(kBandPt, true);
        const QFontMetricsF metrics(font, &device_);
        const double height = metrics.height();
        const double titleWidth = page_.width() * 0.75;
        const QString title = metrics.elidedText(QStringLiteral("Проект ") + quoted(document_.name),
                                                 Qt::ElideRight, titleWidth);
        draw(font, QRectF(0, 0, titleWidth, height), Qt::AlignLeft, title);
        draw(sheetFont(kSheetTextPt), QRectF(titleWidth, 0, page_.width() - titleWidth, height),
             Qt::AlignRight, QStringLiteral("Дата: ") + dateText(document_.date));
        painter_.setPen(QPen(Qt::black, mm(0.3)));
        painter_.drawLine(QPointF(0, height + mm(1)), QPointF(page_.width(), height + mm(1)));
        y_ = mm(kSheetHeaderMm);
    }

    void heading(const QString& text) {
        const QFont font = sheetFont(kSheetHeadingPt, true);
        const double space = y_ > mm(kSheetHeaderMm) ? mm(4) : 0;
        const double height = textHeight(font, page_.width(), text, Qt::TextWordWrap);
        // A heading never stands alone at the foot of a page.
        fit(space + height + 3 * QFontMetricsF(sheetFont(kSheetTextPt), &device_).height());
        if (y_ > mm(kSheetHeaderMm))
            y_ += space;
        block(font, text, Qt::AlignLeft, 0, page_.width());
        y_ += mm(1);
    }

    void paragraph(const QString& text) {
        const QFont font = sheetFont(kSheetTextPt);
        fit(textHeight(font, page_.width(), text, wrapping(font, page_.width(), text)));
        block(font, text, Qt::AlignLeft, 0, page_.width());
        y_ += mm(0.6);
    }

    // The table, its header row repeated on every page it continues on; a last row that sums
    // the others is set bold.
    void table(const project::TextTable& table, bool totalRow) {
        const QFont headFont = sheetFont(kSheetTextPt, true);
        const QFont bodyFont = sheetFont(kSheetTextPt);
        QStringList header;
        for (const std::string& caption : table.header)
            header.append(qs(caption));
        std::vector<QStringList> rows;
        rows.reserve(table.rows.size());
        for (const std::vector<std::string>& row : table.rows) {
            QStringList cells;
            for (const std::string& cell : row)
                cells.append(cellText(cell));
            rows.push_back(std::move(cells));
        }
        widths_ = columnWidths(header, rows, headFont);
        numeric_ = table.numeric;

        const double headHeight = rowHeight(headFont, header);
        bool headed = false;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const bool total = totalRow && i + 1 == rows.size();
            const QFont& font = total ? headFont : bodyFont;
            const double height = rowHeight(font, rows[i]);
            if (!headed || y_ + height > page_.height()) {
                fit(headHeight + height);
                row(headFont, header, headHeight, true);
                headed = true;
            }
            row(font, rows[i], height, false);
        }
        if (!headed) {
            fit(headHeight);
            row(headFont, header, headHeight, true);
        }
    }

private:
    double mm(double millimetres) const { return millimetres * unit_; }

    // Word wrapping, or breaking anywhere for a text with a word wider than the width.
    Qt::TextFlag wrapping(const QFont& font, double width, const QString& text) const {
        const QRectF bound = QFontMetricsF(font, &device_)
                                 .boundingRect(QRectF(0, 0, width, 1e9), Qt::TextWordWrap, text);
        return bound.width() > width ? Qt::TextWrapAnywhere : Qt::TextWordWrap;
    }

    double textHeight(const QFont& font, double width, const QString& text, int flags) const {
        const QFontMetricsF metrics(font, &device_);
        return std::max(metrics.boundingRect(QRectF(0, 0, width, 1e9), flags, text).height(),
                        metrics.height());
    }

    void draw(const QFont& font, const QRectF& rect, int flags, const QString& text) {
        painter_.setFont(font);
        painter_.setPen(Qt::black);
        painter_.drawText(rect, flags | Qt::AlignTop, text);
    }

    // A block of text across the given width at the current height.
    void block(const QFont& font, const QString& text, Qt::Alignment align, double left,
               double width) {
        const Qt::TextFlag wrap = wrapping(font, width, text);
        const double height = textHeight(font, width, text, wrap);
        draw(font, QRectF(left, y_, width, height), static_cast<int>(align) | wrap, text);
        y_ += height;
    }

    // Moves to a new page when what follows does not fit on this one.
    void fit(double height) {
        if (y_ + height > page_.height() && y_ > mm(kSheetHeaderMm))
            startPage();
    }

    // Each column as wide as its widest cell; when the page is too narrow for that, each keeps
    // its widest word and shares the rest by what it would want beyond.
    // Measured in the bold face of the header and the totals, a little wider than the body's.
    std::vector<double> columnWidths(const QStringList& header,
                                     const std::vector<QStringList>& rows,
                                     const QFont& headFont) const {
        const QFontMetricsF metrics(headFont, &device_);
        const double padding = 2 * mm(kPaddingMm);
        std::vector<double> natural(static_cast<std::size_t>(header.size()), 0);
        std::vector<double> least(natural.size(), 0);
        const auto measure = [&](const QFontMetricsF& metrics, const QStringList& cells) {
            for (qsizetype c = 0; c < cells.size() && c < header.size(); ++c) {
                const auto at = static_cast<std::size_t>(c);
                natural[at] = std::max(natural[at], metrics.horizontalAdvance(cells[c]) + padding);
                for (const QString& word : cells[c].split(QLatin1Char(' '), Qt::SkipEmptyParts))
                    least[at] = std::max(
                        least[at],
                        std::min(metrics.horizontalAdvance(word), mm(kWidestWordMm)) + padding);
            }
        };
        measure(metrics, header);
        for (const QStringList& row : rows)
            measure(metrics, row);
        const double available = page_.width();
        const double wanted = std::accumulate(natural.begin(), natural.end(), 0.0);
        if (wanted <= available)
            return natural;
        const double leastSum = std::accumulate(least.begin(), least.end(), 0.0);
        std::vector<double> widths(natural.size());
        for (std::size_t c = 0; c < widths.size(); ++c)
            widths[c] = leastSum >= available
                            ? least[c] * available / leastSum
                            : least[c] + (available - leastSum) * (natural[c] - least[c]) /
                                             (wanted - leastSum);
        return widths;
    }

    double rowHeight(const QFont& font, const QStringList& cells) const {
        double height = 0;
        for (qsizetype c = 0; c < cells.size() && static_cast<std::size_t>(c) < widths_.size();
             ++c) {
            const double width = widths_[static_cast<std::size_t>(c)] - 2 * mm(kPaddingMm);
            height = std::max(height,
                              textHeight(font, width, cells[c], wrapping(font, width, cells[c])));
        }
        return height + 2 * mm(kPaddingMm);
    }

    void row(const QFont& font, const QStringList& cells, double height, bool header) {
        const double width = std::accumulate(widths_.begin(), widths_.end(), 0.0);
        if (header)
            painter_.fillRect(QRectF(0, y_, width, height), kSheetHeaderFill);
        QList<QLineF> rules{QLineF(0, y_, width, y_), QLineF(0, y_ + height, width, y_ + height),
                            QLineF(0, y_, 0, y_ + height)};
        double x = 0;
        for (std::size_t c = 0; c < widths_.size(); ++c) {
            const double inner = widths_[c] - 2 * mm(kPaddingMm);
            const QString text = static_cast<qsizetype>(c) < cells.size()
                                     ? cells[static_cast<qsizetype>(c)]
                                     : QString();
            const bool right = !header && c < numeric_.size() && numeric_[c];
            draw(font, QRectF(x + mm(kPaddingMm), y_ + mm(kPaddingMm), inner, height),
                 (right ? Qt::AlignRight : Qt::AlignLeft) | wrapping(font, inner, text), text);
            x += widths_[c];
            rules.append(QLineF(x, y_, x, y_ + height));
        }
        painter_.setPen(QPen(Qt::black, mm(0.15)));
        painter_.drawLines(rules);
        y_ += height;
    }

    QPainter& painter_;
    QPagedPaintDevice& device_;
    const ProjectDocument& document_;
    double unit_; // device units per millimetre
    QRectF page_;
    double y_ = 0;
    std::vector<double> widths_;
    std::vector<bool> numeric_;
};

// The title page's facts; an empty caption leaves a space.
std::vector<std::pair<QString, QString>> titleFacts(const ProjectDocument& document) {
    const project::Project& project = document.project;
    const project::ProjectFigures& figures = document.figures;
    const auto orDash = [](const std::string& text) {
        return text.empty() ? QStringLiteral("—") : qs(text);
    };
    std::size_t speakers = 0;
    for (const project::BillRow& row : figures.bill)
        speakers += row.count;
    return {
        {QStringLiteral("Объект:"), orDash(project.objectName)},
        {QStringLiteral("Адрес:"), orDash(project.address)},
        {QStringLiteral("Автор:"), orDash(project.author)},
        {QStringLiteral("Дата:"), dateText(document.date)},
        {},
        {QStringLiteral("Помещений:"), QString::number(project.rooms.size())},
        {QStringLiteral("Громкоговорителей:"), QString::number(speakers) + QStringLiteral(" шт.")},
        {QStringLiteral("Суммарная мощность:"),
         qs(plan::fixedText(figures.totalWatts, 1, document.decimalSeparator)) +
             QStringLiteral(" Вт")},
        {QStringLiteral("Линий:"), QString::number(project.lines.size())},
    };
}

void paintTables(Pages& pages, const ProjectDocument& document) {
    const project::Project& project = document.project;
    const project::ProjectFigures& figures = document.figures;
    const std::string& separator = document.decimalSeparator;
    pages.startPage();
    pages.heading(QStringLiteral("Сводная таблица помещений"));
    if (project.rooms.empty())
        pages.paragraph(QStringLiteral("В проекте нет помещений."));
    else
        pages.table(project::roomTable(project, figures, separator), false);
    pages.heading(QStringLiteral("Спецификация громкоговорителей"));
    pages.table(project::billTable(figures, separator), true);
    pages.heading(QStringLiteral("Линии и усилители"));
    if (project.lines.empty())
        pages.paragraph(QStringLiteral("В проекте нет линий."));
    else
        pages.table(project::lineTable(project, figures, separator), false);
    QStringList notes;
    for (const project::LineFigures& line : figures.lines)
        for (const std::string& note : line.notes)
            notes.append(qs(note));
    for (const std::string& note : figures.notes)
        notes.append(qs(note));
    if (notes.isEmpty())
        return;
    pages.heading(QStringLiteral("Замечания"));
    for (const QString& note : notes)
        pages.paragraph(note);
}

// The room's sheet as the plan draws it for the room's inputs and layout.
RoomSheet roomSheet(const project::Room& room, const project::RoomFigures& figures,
                    const ProjectDocument& document) {
    const QString separator = QString::fromStdString(document.decimalSeparator);
    RoomSheet sheet;
    sheet.room = qs(room.name);
    if (!room.floor.empty())
        sheet.room += QStringLiteral(", ") + qs(room.floor);
    sheet.entries =
        reportEntries(figures.record, {qs(room.model), qs(room.roomType), room.type}, separator);
    sheet.inputs = *figures.inputs;
    sheet.speakers = figures.speakers;
    sheet.method = room.method;
    sheet.wall = room.oneWall;
    sheet.handEdited = room.positions.has_value();
    sheet.date = document.date;
    sheet.decimalSeparator = separator;
    return sheet;
}

} // namespace

bool paintProjectDocument(QPainter& painter, QPagedPaintDevice& device,
                          const ProjectDocument& document, SheetPainter paintSheet,
                          Progress* progress) {
    Pages pages(painter, device, document);
    pages.titlePage(titleFacts(document));
    paintTables(pages, document);
    if (progress != nullptr && !progress->step(kTablesShare))
        return false;

    const std::vector<project::Room>& rooms = document.project.rooms;
    const std::vector<project::RoomFigures>& figures = document.figures.rooms;
    double whole = 0;
    for (const project::RoomFigures& room : figures)
        whole += kRoomWeight + static_cast<double>(room.speakers.size());
    double done = 0;
    for (std::size_t i = 0; i < rooms.size() && i < figures.size(); ++i) {
        const double weight = kRoomWeight + static_cast<double>(figures[i].speakers.size());
        const double from = kTablesShare + (1 - kTablesShare) * done / whole;
        PartProgress part(progress, from, (1 - kTablesShare) * weight / whole);
        done += weight;
        if (figures[i].calculated()) {
            device.newPage();
            if (!paintSheet(painter, device, roomSheet(rooms[i], figures[i], document),
                            progress != nullptr ? &part : nullptr))
                return false;
            continue;
        }
        pages.startPage();
        pages.heading(QStringLiteral("Помещение ") + quoted(qs(rooms[i].name)));
        pages.paragraph(QStringLiteral("Помещение не рассчитано: ") + qs(figures[i].reason));
        if (!part.step(1))
            return false;
    }
    return true;
}

std::optional<QByteArray> projectPdf(const ProjectDocument& document, SheetPainter paintSheet,
                                     Progress* progress) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        prepareSheetPdf(writer, QStringLiteral("Проект ") + quoted(document.name));
        QPainter painter;
        if (!painter.begin(&writer))
            return QByteArray();
        const bool complete = paintProjectDocument(painter, writer, document, paintSheet, progress);
        if (!painter.end())
            return QByteArray();
        if (!complete)
            return std::nullopt;
    }
    return buffer.data();
}

} // namespace pa
