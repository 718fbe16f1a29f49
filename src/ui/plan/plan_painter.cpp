#include "ui/plan/plan_painter.h"

#include "ui/qt_text.h"
#include "ui/table_style.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <QLinearGradient>
#include <QPaintEngine>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <numeric>
#include <optional>

namespace pa {

namespace {

// The main window's small captions.
QFont planFont() {
    return tableFont(layout::Font::F1);
}

QString decimal(double value, int decimals, const QString& separator) {
    return qs(plan::fixedText(value, decimals, separator.toStdString()));
}

QString metres(double value, const QString& separator) {
    return decimal(value, 2, separator) + QStringLiteral(" м");
}

const QColor kWall(0, 0, 0);
const QColor kContour(215, 25, 28);
const QColor kSelection(255, 140, 0);
const QColor kEmptyFloor(238, 238, 238);
const QColor kAxisText = tableColour(layout::Colour::DarkBlue);

// Parts of the legend, beside the colour bar.
const QString kLegendTitle = QStringLiteral("Уровень, дБ");
const QString kKeySpeaker = QStringLiteral("громкоговоритель");
const QString kKeyCoverage = QStringLiteral("зона покрытия");
const QString kKeyWorst = QStringLiteral("худшая точка");
constexpr int kKeyLines = 4;

// A sequential palette that reads evenly from dark to light and stays readable in grey: the
// quiet floor dark, the loud floor light.
QColor paletteAt(double t) {
    static constexpr std::array<std::array<int, 3>, 5> kStops{{
        {68, 1, 84},
        {59, 82, 139},
        {33, 145, 140},
        {94, 201, 98},
        {253, 231, 37},
    }};
    t = std::clamp(t, 0.0, 1.0) * (kStops.size() - 1);
    const auto i = std::min(static_cast<std::size_t>(t), kStops.size() - 2);
    const double f = t - static_cast<double>(i);
    auto mix = [&](std::size_t c) {
        return static_cast<int>(
            std::lround(kStops.at(i).at(c) * (1 - f) + kStops.at(i + 1).at(c) * f));
    };
    return {mix(0), mix(1), mix(2)};
}

// A stale plan is drawn in greys.
QColor shown(const QColor& colour, bool stale) {
    const int grey = qGray(colour.rgb());
    return stale ? QColor(grey, grey, grey) : colour;
}

// The colour bar's range: whole decibels around the map's levels.
struct LevelRange {
    double low = 0;
    double high = 1;
    double at(double level) const { return (level - low) / (high - low); }
};

std::optional<LevelRange> rangeOf(const std::vector<float>& levels) {
    if (levels.empty())
        return std::nullopt;
    const auto [lo, hi] = std::minmax_element(levels.begin(), levels.end());
    LevelRange range{std::floor(*lo), std::ceil(*hi)};
    if (!std::isfinite(range.low) || !std::isfinite(range.high))
        return std::nullopt;
    if (range.high - range.low < 1)
        range.high = range.low + 1;
    return range;
}

// Where the parts of the picture go for a target, in the device's units; unit is one line of
// the plan's text.
struct Frame {
    QRectF room;
    double ppm = 1;
    QRectF legend;
    bool legendBelow = false; // a wide room leaves more of the picture with the legend below
    // Where the room may show under a view's mapping: the picture's part left of or above the
    // legend, less the strips the axes' labels keep to.
    QRectF floor;
    bool zoomed = false; // the room placed by a view's mapping, drawn only over the floor
    double unit = 1;
    QString separator; // the decimal separator of the numbers drawn
};

double safeSide(double metres) {
    return std::isfinite(metres) && metres > 0 ? metres : 1;
}

// Height of the legend laid out in rows below the room, in lines.
constexpr double kLegendRows = 4.4;
// Height of the x axis's labels below the room, in lines.
constexpr double kBelowRoom = 1.6;

Frame frameFor(const QRectF& target, const PlanScene& scene, const QFontMetricsF& fm) {
    Frame f;
    f.separator = scene.decimalSeparator;
    f.unit = fm.height();
    const double u = f.unit;
    const double length = safeSide(scene.inputs.length);
    const double width = safeSide(scene.inputs.width);
    const double left = fm.horizontalAdvance(QString::number(std::ceil(width))) + 0.8 * u;
    const double top = 1.4 * u;
    const double bottom = kBelowRoom * u;
    const double gap = 1.2 * u;
    double text = fm.horizontalAdvance(kLegendTitle);
    for (const QString& key : {kKeySpeaker, kKeyCoverage, kKeyWorst})
        text = std::max(text, 2 * u + fm.horizontalAdvance(key));
    const double legendWidth = text + 0.5 * u;

    const double height = std::max(target.height() - top - bottom, 1.0);
    const double besideW = std::max(target.width() - left - gap - legendWidth - 0.5 * u, 1.0);
    const double belowW = std::max(target.width() - left - 0.5 * u, 1.0);
    const double belowH = std::max(height - kLegendRows * u, 1.0);
    const double besidePpm = std::min(besideW / length, height / width);
    const double belowPpm = std::min(belowW / length, belowH / width);
    f.legendBelow = belowPpm > besidePpm * 1.05;
    f.ppm = f.legendBelow ? belowPpm : besidePpm;
    const QSizeF room(length * f.ppm, width * f.ppm);
    if (f.legendBelow) {
        const double x0 = target.left() + std::max((target.width() - left - room.width()) / 2, 0.0);
        const double block = room.height() + bottom + kLegendRows * u;
        const double y0 = target.top() + top + std::max((height - block) / 2, 0.0);
        f.room = QRectF(QPointF(x0 + left, y0), room);
        f.legend = QRectF(x0, f.room.bottom() + bottom, target.right() - x0, kLegendRows * u);
    } else {
        const double block = left + room.width() + gap + legendWidth;
        const double x0 = target.left() + std::max((target.width() - block) / 2, 0.0) + left;
        f.room = QRectF(QPointF(x0, target.top() + top + (height - room.height()) / 2), room);
        f.legend = QRectF(f.room.right() + gap, target.top() + top, legendWidth, height);
    }
    const double right = f.legendBelow ? target.right() : f.legend.left() - 0.5 * u;
    const double floorBottom = f.legendBelow ? f.legend.top() - bottom : target.bottom() - bottom;
    const QPointF floorTop(target.left() + left, target.top() + top);
    f.floor = QRectF(floorTop,
                     QPointF(std::max(right, floorTop.x()), std::max(floorBottom, floorTop.y())));
    return f;
}

// The frame with the room where a view's mapping puts it. The legend keeps the fitted frame's
// place; the room shows only beside it, so that the legend and the axes' labels stay readable
// however far the view is zoomed or moved.
Frame viewFrame(const QRectF& target, const PlanScene& scene, const QFontMetricsF& fm,
                const PlanMapping& view) {
    Frame f = frameFor(target, scene, fm);
    if (!std::isfinite(view.pixelsPerMetre) || view.pixelsPerMetre <= 0 ||
        !std::isfinite(view.origin.x()) || !std::isfinite(view.origin.y()))
        return f;
    // A legend below goes to the picture's foot, so the zoomed room takes all the height above.
    if (f.legendBelow) {
        f.legend.moveBottom(target.bottom());
        f.floor.setBottom(std::max(f.legend.top() - kBelowRoom * f.unit, f.floor.top()));
    }
    // Room for the y axis's labels in tenths of a metre.
    const double widest = std::ceil(safeSide(scene.inputs.width));
    f.floor.setLeft(std::min(target.left() + fm.horizontalAdvance(decimal(widest, 1, f.separator)) +
                                 0.8 * f.unit,
                             f.floor.right()));
    f.ppm = view.pixelsPerMetre;
    const QSizeF room(safeSide(scene.inputs.length) * f.ppm, safeSide(scene.inputs.width) * f.ppm);
    f.room = QRectF(QPointF(view.origin.x(), view.origin.y() - room.height()), room);
    f.zoomed = true;
    return f;
}

PlanMapping mappingOf(const Frame& f) {
    return {f.room.bottomLeft(), f.ppm};
}

// Text on a light plate, readable over any colour of the map.
void plateText(QPainter& p, const QRectF& box, int flags, const QString& text) {
    const QFontMetricsF fm(p.font(), p.device());
    const QRectF bounds = fm.boundingRect(box, flags, text);
    const double pad = 0.12 * fm.height();
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 200));
    p.drawRoundedRect(bounds.adjusted(-pad, 0, pad, 0), pad, pad);
    p.setPen(QColor(0, 0, 0));
    p.drawText(bounds, flags, text);
    p.restore();
}

QImage levelImage(const PlanScene& scene, const LevelRange& range) {
    const int columns = scene.grid.columns;
    const int rows = scene.grid.rows;
    std::array<QRgb, 256> lut{};
    for (std::size_t i = 0; i < lut.size(); ++i)
        lut.at(i) = paletteAt(static_cast<double>(i) / 255.0).rgb();
    QImage image(columns, rows, QImage::Format_RGB32);
    for (int r = 0; r < rows; ++r) {
        // Image rows run downward, the room's y upward.
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(rows - 1 - r));
        for (int c = 0; c < columns; ++c) {
            const double t = range.at(scene.levels[static_cast<std::size_t>(r) * columns + c]);
            line[c] = lut.at(static_cast<std::size_t>(std::lround(std::clamp(t, 0.0, 1.0) * 255)));
        }
    }
    return scene.stale ? image.convertToFormat(QImage::Format_Grayscale8) : image;
}

// The level map, scaled smoothly so that each grid point's colour sits on that point.
void drawMap(QPainter& p, const Frame& f, const PlanScene& scene, const LevelRange& range) {
    const QImage image = levelImage(scene, range);
    const QRectF source = scene.grid.columns > 1 && scene.grid.rows > 1
                              ? QRectF(0.5, 0.5, scene.grid.columns - 1, scene.grid.rows - 1)
                              : QRectF(image.rect());
    // A zoomed room is mostly out of sight: only the part on the floor is scaled.
    const QRectF shown = f.zoomed ? f.room & f.floor : f.room;
    if (shown.isEmpty())
        return;
    const double sx = source.width() / f.room.width();
    const double sy = source.height() / f.room.height();
    const QRectF part(source.left() + (shown.left() - f.room.left()) * sx,
                      source.top() + (shown.top() - f.room.top()) * sy, shown.width() * sx,
                      shown.height() * sy);
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(shown, image, part);
    p.restore();
}

// Metres between grid lines: lines at least two text lines apart, whole metres when the room is
// fitted, down to a tenth when a view zooms in.
double gridStep(double ppm, double unit, bool zoomed) {
    for (const double step : {0.1, 0.2, 0.5, 1.0, 2.0, 5.0, 10.0, 20.0, 50.0, 100.0, 200.0, 500.0})
        if ((zoomed || step >= 1) && step * ppm >= 1.5 * unit)
            return step;
    return 1000.0;
}

// How many grid steps lie between two labels so that the labels keep clear of each other.
int labelEvery(double stepPixels, double labelSize) {
    return std::max(1, static_cast<int>(std::ceil(labelSize / stepPixels)));
}

// The grid lines' numbers i * step of [0, side] that fall between two room coordinates.
std::pair<long long, long long> stepsWithin(double from, double to, double side, double step) {
    const double low = std::clamp(std::min(from, to), 0.0, side);
    const double high = std::clamp(std::max(from, to), 0.0, side);
    return {std::llround(std::ceil(low / step - 1e-9)),
            std::llround(std::floor(high / step + 1e-9))};
}

void drawGridAndAxes(QPainter& p, const Frame& f, const PlanScene& scene) {
    const PlanMapping m = mappingOf(f);
    const double length = safeSide(scene.inputs.length);
    const double width = safeSide(scene.inputs.width);
    const double step = gridStep(f.ppm, f.unit, f.zoomed);
    const int decimals = step < 1 ? 1 : 0;
    auto label = [&](double metres) { return decimal(metres, decimals, f.separator); };
    const double u = f.unit;
    const QFontMetricsF fm(p.font(), p.device());
    // Only the lines the floor shows; the axes keep to the floor's edges once the room's edges
    // leave it.
    const QPointF lowCorner = m.toRoom(f.floor.bottomLeft());
    const QPointF highCorner = m.toRoom(f.floor.topRight());
    const auto [firstX, lastX] = stepsWithin(lowCorner.x(), highCorner.x(), length, step);
    const auto [firstY, lastY] = stepsWithin(lowCorner.y(), highCorner.y(), width, step);
    const double axisY = std::min(f.room.bottom(), f.floor.bottom());
    const double axisX = std::max(f.room.left(), f.floor.left());
    const double top = std::max(f.room.top(), f.floor.top());
    const double right = std::min(f.room.right(), f.floor.right());
    p.save();
    // Light lines over the map, grey ones on the empty floor.
    p.setPen(
        QPen(scene.levels.empty() ? QColor(200, 200, 200) : QColor(255, 255, 255, 90), u * 0.06));
    for (long long i = std::max(firstX, 1LL); i <= lastX; ++i)
        if (i * step < length - 1e-9)
            p.drawLine(QPointF(m.toScreen(i * step, 0).x(), axisY),
                       QPointF(m.toScreen(i * step, 0).x(), top));
    for (long long i = std::max(firstY, 1LL); i <= lastY; ++i)
        if (i * step < width - 1e-9)
            p.drawLine(QPointF(axisX, m.toScreen(0, i * step).y()),
                       QPointF(right, m.toScreen(0, i * step).y()));

    p.setPen(QPen(kAxisText, u * 0.06));
    const double tick = u * 0.3;
    const QString xTitle = QStringLiteral("x, м");
    const double xTitleLeft = right - fm.horizontalAdvance(xTitle);
    p.drawText(QRectF(xTitleLeft, axisY + tick, fm.horizontalAdvance(xTitle), u),
               Qt::AlignLeft | Qt::AlignTop, xTitle);
    const int everyX =
        labelEvery(step * f.ppm, fm.horizontalAdvance(label(std::floor(length))) + 0.6 * u);
    for (long long i = firstX; i <= lastX; ++i) {
        const QPointF at(m.toScreen(i * step, 0).x(), axisY);
        p.drawLine(at, at + QPointF(0, tick));
        const QString text = label(i * step);
        const double w = fm.horizontalAdvance(text);
        if (i % everyX == 0 && at.x() + w / 2 < xTitleLeft - 0.3 * u)
            p.drawText(QRectF(at.x() - w / 2, at.y() + tick, w, u), Qt::AlignCenter, text);
    }
    const int everyY = labelEvery(step * f.ppm, 1.1 * u);
    for (long long i = firstY; i <= lastY; ++i) {
        const QPointF at(axisX, m.toScreen(0, i * step).y());
        p.drawLine(at, at - QPointF(tick, 0));
        if (i % everyY == 0)
            p.drawText(QRectF(at.x() - tick - u * 4, at.y() - u / 2, u * 4 - 0.15 * u, u),
                       Qt::AlignRight | Qt::AlignVCenter, label(i * step));
    }
    p.drawText(QRectF(axisX - u * 4, top - 1.3 * u, u * 4 + tick, u),
               Qt::AlignRight | Qt::AlignBottom, QStringLiteral("y, м"));
    p.restore();
}

// What the painter's clip lets show, widened by reach: marks centred outside it are not seen.
QRectF seenPart(const QPainter& p, double reach) {
    const double far = std::numeric_limits<double>::max() / 4;
    const QRectF clip =
        p.hasClipping() ? p.clipBoundingRect() : QRectF(-far, -far, 2 * far, 2 * far);
    return clip.adjusted(-reach, -reach, reach, reach);
}

// Each loudspeaker's coverage as the calculation sees it: a circle for the ceiling, a sector
// aimed across the room for the walls.
void drawCoverage(QPainter& p, const Frame& f, const PlanScene& scene) {
    const PlanMapping m = mappingOf(f);
    const plan::PlanInputs& in = scene.inputs;
    QPainterPath path;
    if (in.type == SpeakerType::Ceiling) {
        const double r = plan::coverageRadius(in) * f.ppm;
        const QRectF seen = seenPart(p, r);
        for (const plan::Speaker& s : scene.speakers)
            if (seen.contains(m.toScreen(s.x, s.y)))
                path.addEllipse(m.toScreen(s.x, s.y), r, r);
    } else {
        const double r = in.effRange * f.ppm;
        const QRectF seen = seenPart(p, r);
        const double half = plan::halfAngleDegrees(in); // either side of the axis
        for (const plan::Speaker& s : scene.speakers) {
            const QPointF c = m.toScreen(s.x, s.y);
            if (!seen.contains(c))
                continue;
            const double axis = s.wall == plan::Wall::Far ? -90.0 : 90.0; // counter-clockwise
            path.moveTo(c);
            path.arcTo(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), axis - half, 2 * half);
            path.closeSubpath();
        }
    }
    // The PDF engine writes an empty path as a bare closepath, which readers report as an error.
    if (path.isEmpty())
        return;
    p.save();
    p.setClipRect(f.room, Qt::IntersectClip);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 170), f.unit * 0.07));
    p.drawPath(path);
    p.restore();
}

// The line where the level crosses the target, by marching squares over the map's grid.
QPainterPath targetContour(const PlanScene& scene, const PlanMapping& m) {
    QPainterPath path;
    const plan::Grid& g = scene.grid;
    const double t = scene.figures.target;
    auto level = [&](int c, int r) {
        return static_cast<double>(scene.levels[static_cast<std::size_t>(r) * g.columns + c]);
    };
    std::vector<double> xs(static_cast<std::size_t>(std::max(g.columns, 0)));
    std::vector<double> ys(static_cast<std::size_t>(std::max(g.rows, 0)));
    for (std::size_t c = 0; c < xs.size(); ++c)
        xs[c] = g.x(static_cast<int>(c));
    for (std::size_t r = 0; r < ys.size(); ++r)
        ys[r] = g.y(static_cast<int>(r));
    for (int r = 0; r + 1 < g.rows; ++r) {
        for (int c = 0; c + 1 < g.columns; ++c) {
            // Corners counter-clockwise from (c, r); edge k joins corner k and k + 1.
            const std::array<double, 4> v{level(c, r), level(c + 1, r), level(c + 1, r + 1),
                                          level(c, r + 1)};
            int corners = 0;
            for (std::size_t k = 0; k < 4; ++k)
                if (v.at(k) >= t)
                    corners |= 1 << k;
            if (corners == 0 || corners == 15)
                continue;
            const auto uc = static_cast<std::size_t>(c);
            const auto ur = static_cast<std::size_t>(r);
            const std::array<QPointF, 4> at{QPointF(xs[uc], ys[ur]), QPointF(xs[uc + 1], ys[ur]),
                                            QPointF(xs[uc + 1], ys[ur + 1]),
                                            QPointF(xs[uc], ys[ur + 1])};
            auto cross = [&](std::size_t k) {
                const std::size_t n = (k + 1) % 4;
                const double s = (t - v.at(k)) / (v.at(n) - v.at(k));
                const QPointF p = at.at(k) + (at.at(n) - at.at(k)) * s;
                return m.toScreen(p.x(), p.y());
            };
            auto segment = [&](std::size_t a, std::size_t b) {
                path.moveTo(cross(a));
                path.lineTo(cross(b));
            };
            // A corner alone on its side is cut off by the two edges that meet there.
            auto isolate = [&](std::size_t k) { segment((k + 3) % 4, k); };
            const bool centreAbove = (v[0] + v[1] + v[2] + v[3]) / 4 >= t;
            switch (corners) {
            case 5:
                isolate(centreAbove ? 1 : 0);
                isolate(centreAbove ? 3 : 2);
                break;
            case 10:
                isolate(centreAbove ? 0 : 1);
                isolate(centreAbove ? 2 : 3);
                break;
            default: {
                const int above = std::popcount(static_cast<unsigned>(corners));
                if (above == 2) {
                    // Two neighbouring corners: the line crosses the two other edges.
                    for (std::size_t k = 0; k < 4; ++k)
                        if (((corners >> k) & 1) && ((corners >> ((k + 1) % 4)) & 1))
                            segment((k + 1) % 4, (k + 3) % 4);
                } else {
                    for (std::size_t k = 0; k < 4; ++k)
                        if (((corners >> k) & 1) == (above == 1 ? 1 : 0))
                            isolate(k);
                }
            }
            }
        }
    }
    return path;
}

void drawWorstPoint(QPainter& p, const Frame& f, const PlanScene& scene) {
    const PlanMapping m = mappingOf(f);
    const QPointF c = m.toScreen(scene.figures.minAt.x, scene.figures.minAt.y);
    const double r = 0.4 * f.unit;
    p.save();
    p.setPen(QPen(QColor(255, 255, 255), f.unit * 0.25, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(-r, -r), c + QPointF(r, r));
    p.drawLine(c + QPointF(-r, r), c + QPointF(r, -r));
    p.setPen(QPen(shown(kContour, scene.stale), f.unit * 0.12, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(-r, -r), c + QPointF(r, r));
    p.drawLine(c + QPointF(-r, r), c + QPointF(r, -r));
    const QString text =
        decimal(scene.figures.minLevel, 1, scene.decimalSeparator) + QStringLiteral(" дБ");
    const QFontMetricsF fm(p.font(), p.device());
    const double w = fm.horizontalAdvance(text);
    // Beside the mark, on the side that stays inside the room.
    const double x = c.x() + r + w + 0.3 * f.unit <= f.room.right() ? c.x() + r + 0.2 * f.unit
                                                                    : c.x() - r - 0.2 * f.unit - w;
    const double y = c.y() - f.unit - 0.1 * f.unit >= f.room.top() ? c.y() - f.unit : c.y();
    plateText(p, QRectF(x, y, w, f.unit), Qt::AlignLeft | Qt::AlignVCenter, text);
    p.restore();
}

// Two neighbours of one row (same y) or one column (same x), as indices; nothing when no two
// loudspeakers share a line.
std::optional<std::pair<std::size_t, std::size_t>> neighbours(const std::vector<plan::Speaker>& s,
                                                              bool alongX) {
    auto along = [alongX](const plan::Speaker& a) { return alongX ? a.x : a.y; };
    auto across = [alongX](const plan::Speaker& a) { return alongX ? a.y : a.x; };
    auto line = [&](const plan::Speaker& a) { return std::llround(across(a) * 1000); };
    std::vector<std::size_t> order(s.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return std::pair(line(s[a]), along(s[a])) < std::pair(line(s[b]), along(s[b]));
    });
    // The first line holding two loudspeakers apart; of its neighbours, the middle pair, which
    // keeps the dimension clear of the corners where the worst point usually lies.
    for (std::size_t begin = 0; begin < order.size();) {
        std::size_t end = begin;
        while (end < order.size() && line(s[order[end]]) == line(s[order[begin]]))
            ++end;
        std::vector<std::pair<std::size_t, std::size_t>> pairs;
        for (std::size_t i = begin + 1; i < end; ++i)
            if (along(s[order[i]]) - along(s[order[i - 1]]) > 1e-3)
                pairs.emplace_back(order[i - 1], order[i]);
        if (!pairs.empty())
            return pairs[(pairs.size() - 1) / 2];
        begin = end;
    }
    return std::nullopt;
}

// A dimension line between two loudspeakers of a row or a column, set off toward the middle
// of the room so that it clears the symbols.
void drawDimension(QPainter& p, const Frame& f, QPointF a, QPointF b, double distance) {
    const bool horizontal = std::abs(a.y() - b.y()) < std::abs(a.x() - b.x());
    const QPointF centre = f.room.center();
    const double offset = 1.3 * f.unit;
    const QPointF shift = horizontal ? QPointF(0, a.y() > centre.y() ? -offset : offset)
                                     : QPointF(a.x() < centre.x() ? offset : -offset, 0);
    const QLineF line(a + shift, b + shift);
    const QPointF tick = horizontal ? QPointF(0, 0.3 * f.unit) : QPointF(0.3 * f.unit, 0);
    auto strokes = [&] {
        p.drawLine(line);
        p.drawLine(line.p1() - tick, line.p1() + tick);
        p.drawLine(line.p2() - tick, line.p2() + tick);
    };
    p.save();
    p.setPen(QPen(QColor(255, 255, 255, 200), f.unit * 0.2, Qt::SolidLine, Qt::FlatCap));
    strokes();
    p.setPen(QPen(QColor(0, 0, 0), f.unit * 0.07, Qt::SolidLine, Qt::FlatCap));
    strokes();
    p.setPen(QPen(QColor(0, 0, 0, 120), f.unit * 0.05, Qt::DashLine));
    p.drawLine(a, line.p1());
    p.drawLine(b, line.p2());
    const QString text = metres(distance, f.separator);
    const double w = QFontMetricsF(p.font(), p.device()).horizontalAdvance(text);
    const QPointF mid = line.center();
    const QRectF box =
        horizontal
            ? QRectF(mid.x() - w / 2, mid.y() + (shift.y() < 0 ? -1.1 : 0.1) * f.unit, w, f.unit)
            : QRectF(shift.x() > 0 ? mid.x() + 0.4 * f.unit : mid.x() - 0.4 * f.unit - w,
                     mid.y() - f.unit / 2, w, f.unit);
    plateText(p, box, Qt::AlignCenter, text);
    p.restore();
}

void drawSteps(QPainter& p, const Frame& f, const PlanScene& scene) {
    const PlanMapping m = mappingOf(f);
    for (const bool alongX : {true, false}) {
        if (const auto pair = neighbours(scene.speakers, alongX)) {
            const plan::Speaker& a = scene.speakers[pair->first];
            const plan::Speaker& b = scene.speakers[pair->second];
            drawDimension(p, f, m.toScreen(a.x, a.y), m.toScreen(b.x, b.y),
                          alongX ? b.x - a.x : b.y - a.y);
        }
    }
}

// The distance of the two closest points, or limit where no two are closer than that; found
// through square cells of the limit's size, so thousands of points take no time.
double closestDistance(const std::vector<QPointF>& points, double limit) {
    auto cell = [limit](QPointF p) {
        return std::pair(std::llround(std::floor(p.x() / limit)),
                         std::llround(std::floor(p.y() / limit)));
    };
    std::vector<std::pair<std::pair<long long, long long>, std::size_t>> cells;
    cells.reserve(points.size());
    for (std::size_t i = 0; i < points.size(); ++i)
        cells.emplace_back(cell(points[i]), i);
    std::sort(cells.begin(), cells.end());
    double best = limit;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const auto [cx, cy] = cell(points[i]);
        for (long long dx = -1; dx <= 1; ++dx) {
            for (long long dy = -1; dy <= 1; ++dy) {
                const std::pair key(cx + dx, cy + dy);
                auto it =
                    std::lower_bound(cells.begin(), cells.end(), std::pair(key, std::size_t{0}));
                for (; it != cells.end() && it->first == key; ++it)
                    if (it->second > i)
                        best = std::min(best, QLineF(points[i], points[it->second]).length());
            }
        }
    }
    return best;
}

// A loudspeaker's symbol drawn once for each quarter-pixel offset and then copied: thousands of
// antialiased outlines drawn one by one take longer than all the rest of the picture. Copies
// land pixel for pixel only on a raster device that the painter does not scale or turn; on any
// other (print, vector files) there are no stamps and each symbol is drawn.
class Stamps {
public:
    Stamps(const QPainter& p, double radius, const QPen& pen, const QBrush& brush)
        : usable_(p.paintEngine() != nullptr && p.paintEngine()->type() == QPaintEngine::Raster &&
                  p.deviceTransform().type() <= QTransform::TxTranslate),
          radius_(radius), pen_(pen), brush_(brush),
          half_(static_cast<int>(std::ceil(radius + pen.widthF())) + 1) {}

    bool usable() const { return usable_; }

    void draw(QPainter& p, QPointF centre) {
        const QPointF at = p.deviceTransform().map(centre);
        // The nearest quarter of a pixel, as the whole pixel and the quarters past it.
        const auto split = [](double v) {
            const double quarters = std::floor(v * kPhases + 0.5);
            const double pixel = std::floor(quarters / kPhases);
            return std::pair(static_cast<int>(pixel), static_cast<int>(quarters - pixel * kPhases));
        };
        const auto [x, phaseX] = split(at.x());
        const auto [y, phaseY] = split(at.y());
        QImage& stamp = stamps_.at(static_cast<std::size_t>(phaseY) * kPhases +
                                   static_cast<std::size_t>(phaseX));
        if (stamp.isNull()) {
            stamp = QImage(2 * half_ + 1, 2 * half_ + 1, QImage::Format_ARGB32_Premultiplied);
            stamp.fill(Qt::transparent);
            QPainter painter(&stamp);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(pen_);
            painter.setBrush(brush_);
            painter.drawEllipse(QPointF(half_ + static_cast<double>(phaseX) / kPhases,
                                        half_ + static_cast<double>(phaseY) / kPhases),
                                radius_, radius_);
        }
        p.drawImage(p.deviceTransform().inverted().map(QPointF(x - half_, y - half_)), stamp);
    }

private:
    static constexpr int kPhases = 4;
    bool usable_;
    double radius_;
    QPen pen_;
    QBrush brush_;
    int half_;
    std::array<QImage, std::size_t{kPhases} * kPhases> stamps_;
};

void drawSpeakers(QPainter& p, const Frame& f, const PlanScene& scene) {
    const PlanMapping m = mappingOf(f);
    std::vector<QPointF> at;
    at.reserve(scene.speakers.size());
    for (const plan::Speaker& s : scene.speakers)
        at.push_back(m.toScreen(s.x, s.y));
    QFont small = p.font();
    small.setBold(true);
    small.setPointSizeF(p.font().pointSizeF() * 0.85);
    const QFontMetricsF fm(small, p.device());
    // Every symbol as wide as the longest number needs; where loudspeakers stand closer than
    // that, small plain dots.
    const double widest = fm.horizontalAdvance(QString::number(scene.speakers.size()));
    const double numberedRadius = std::max(0.5 * f.unit, widest / 2 + 0.15 * f.unit);
    const double roomy = 2 * numberedRadius + 0.6 * f.unit;
    const double spacing = closestDistance(at, roomy);
    const bool numbered = spacing >= roomy;
    const double r =
        numbered ? numberedRadius : std::clamp(0.35 * spacing, 0.12 * f.unit, 0.45 * f.unit);
    const QPen outline(QColor(0, 0, 0), 0.08 * f.unit);
    const QBrush fill(QColor(255, 255, 255));
    Stamps stamps(p, r, outline, fill);
    // A zoomed view leaves most symbols out of sight, and thousands of them cost.
    const double reach = r + 0.5 * f.unit;
    const QRectF seen = seenPart(p, reach);
    p.save();
    p.setFont(small);
    for (std::size_t i = 0; i < scene.speakers.size(); ++i) {
        const QPointF c = at[i];
        if (!seen.contains(c))
            continue;
        if (static_cast<int>(i) == scene.selected) {
            p.setPen(QPen(kSelection, 0.25 * f.unit));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(c, r + 0.25 * f.unit, r + 0.25 * f.unit);
        }
        p.setPen(outline);
        p.setBrush(fill);
        if (stamps.usable())
            stamps.draw(p, c);
        else
            p.drawEllipse(c, r, r);
        if (numbered)
            p.drawText(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), Qt::AlignCenter,
                       QString::number(i + 1));
    }
    p.restore();
}

// Decibels between the legend's labels, each label given room of its own.
double legendStep(const LevelRange& range, double length, double perLabel) {
    for (const double step : {1.0, 2.0, 5.0, 10.0, 20.0, 50.0})
        if ((range.high - range.low) / step * perLabel <= length)
            return step;
    return 100.0;
}

// The colour bar, low levels at its bottom or left end, with labels in decibels and the
// target marked across it.
void drawColourBar(QPainter& p, const QRectF& bar, bool vertical, const PlanScene& scene,
                   const LevelRange& range, double u) {
    const QPointF low = vertical ? bar.bottomLeft() : bar.topLeft();
    const QPointF high = vertical ? bar.topLeft() : bar.topRight();
    QLinearGradient gradient(low, high);
    for (int i = 0; i <= 16; ++i)
        gradient.setColorAt(i / 16.0, shown(paletteAt(i / 16.0), scene.stale));
    p.fillRect(bar, gradient);
    p.setPen(QPen(QColor(0, 0, 0), 0.05 * u));
    p.setBrush(Qt::NoBrush);
    p.drawRect(bar);
    auto along = [&](double level) { return low + (high - low) * range.at(level); };
    const QFontMetricsF fm(p.font(), p.device());
    const double perLabel = vertical ? 1.5 * u : fm.horizontalAdvance(QStringLiteral("000")) + u;
    const double step = legendStep(range, vertical ? bar.height() : bar.width(), perLabel);
    p.setPen(QPen(kAxisText, 0.05 * u));
    for (double level = std::ceil(range.low / step) * step; level <= range.high + 1e-9;
         level += step) {
        const QPointF at = along(level);
        const QString label = QString::number(level);
        if (vertical) {
            p.drawLine(QPointF(bar.right(), at.y()), QPointF(bar.right() + 0.3 * u, at.y()));
            p.drawText(QRectF(bar.right() + 0.4 * u, at.y() - u / 2, 4 * u, u),
                       Qt::AlignLeft | Qt::AlignVCenter, label);
        } else {
            p.drawLine(QPointF(at.x(), bar.bottom()), QPointF(at.x(), bar.bottom() + 0.3 * u));
            p.drawText(QRectF(at.x() - 2 * u, bar.bottom() + 0.3 * u, 4 * u, u), Qt::AlignCenter,
                       label);
        }
    }
    const double t = range.at(scene.figures.target);
    if (t >= 0 && t <= 1) {
        const QPointF at = along(scene.figures.target);
        p.setPen(QPen(shown(kContour, scene.stale), 0.18 * u));
        if (vertical)
            p.drawLine(QPointF(bar.left() - 0.2 * u, at.y()),
                       QPointF(bar.right() + 0.2 * u, at.y()));
        else
            p.drawLine(QPointF(at.x(), bar.top() - 0.2 * u),
                       QPointF(at.x(), bar.bottom() + 0.2 * u));
    }
}

// The key: a sample of each mark and what it stands for, in a column or in a row.
void drawKeys(QPainter& p, QPointF at, bool column, const PlanScene& scene, double u) {
    const QFontMetricsF fm(p.font(), p.device());
    auto entry = [&](const QString& text) {
        p.setPen(kAxisText);
        const double w = fm.horizontalAdvance(text);
        p.drawText(QRectF(at.x() + 1.6 * u, at.y(), w + u, u), Qt::AlignLeft | Qt::AlignVCenter,
                   text);
        at += column ? QPointF(0, 1.3 * u) : QPointF(2.6 * u + w, 0);
    };
    auto mid = [&] { return QPointF(at.x() + 0.7 * u, at.y() + 0.5 * u); };
    p.setPen(QPen(QColor(0, 0, 0), 0.08 * u));
    p.setBrush(QColor(255, 255, 255));
    p.drawEllipse(mid(), 0.4 * u, 0.4 * u);
    entry(kKeySpeaker);
    p.setPen(QPen(QColor(90, 90, 90), 0.07 * u));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(mid().x() - 0.6 * u, at.y() + 0.1 * u, 1.2 * u, 1.2 * u), 0, 180 * 16);
    entry(kKeyCoverage);
    p.setPen(QPen(shown(kContour, scene.stale), 0.18 * u));
    p.drawLine(mid() - QPointF(0.6 * u, 0), mid() + QPointF(0.6 * u, 0));
    entry(QStringLiteral("T = ") + decimal(scene.figures.target, 1, scene.decimalSeparator) +
          QStringLiteral(" дБ"));
    p.setPen(QPen(shown(kContour, scene.stale), 0.12 * u));
    const double r = 0.3 * u;
    p.drawLine(mid() + QPointF(-r, -r), mid() + QPointF(r, r));
    p.drawLine(mid() + QPointF(-r, r), mid() + QPointF(r, -r));
    entry(kKeyWorst);
}

void drawLegend(QPainter& p, const Frame& f, const PlanScene& scene,
                const std::optional<LevelRange>& range) {
    const double u = f.unit;
    const QRectF& box = f.legend;
    const QFontMetricsF fm(p.font(), p.device());
    p.save();
    p.setPen(kAxisText);
    const double titleWidth = fm.horizontalAdvance(kLegendTitle);
    if (range)
        p.drawText(QRectF(box.left(), box.top(), titleWidth + u, u),
                   Qt::AlignLeft | Qt::AlignVCenter, kLegendTitle);
    if (f.legendBelow) {
        const double barLeft = box.left() + titleWidth + u;
        const QRectF bar(barLeft, box.top() + 0.05 * u,
                         std::clamp(box.right() - barLeft - u, 4 * u, 30 * u), 0.9 * u);
        if (range)
            drawColourBar(p, bar, false, scene, *range, u);
        drawKeys(p, QPointF(box.left(), box.top() + 2.8 * u), false, scene, u);
    } else {
        const double keysHeight = kKeyLines * 1.3 * u;
        const double barTop = box.top() + 1.7 * u;
        const double barBottom = std::max(barTop + 3 * u, box.bottom() - keysHeight - 0.8 * u);
        const QRectF bar(box.left(), barTop, u, barBottom - barTop);
        if (range)
            drawColourBar(p, bar, true, scene, *range, u);
        drawKeys(p, QPointF(box.left(), bar.bottom() + 0.8 * u), true, scene, u);
    }
    p.restore();
}

} // namespace

PlanMapping planMapping(const QRectF& target, const PlanScene& scene) {
    return mappingOf(frameFor(target, scene, QFontMetricsF(planFont())));
}

void paintPlan(QPainter& painter, const QRectF& target, const PlanScene& scene) {
    paintPlan(painter, target, scene, nullptr);
}

void paintPlan(QPainter& painter, const QRectF& target, const PlanScene& scene,
               const PlanMapping* view) {
    painter.save();
    painter.setClipRect(target);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(planFont());
    const QFontMetricsF fm(painter.font(), painter.device());
    const Frame f = view ? viewFrame(target, scene, fm, *view) : frameFor(target, scene, fm);
    // The room's drawing stays off the axes' strips; the walls' half width is let through, so
    // that the fitted room looks the same either way.
    const double wallHalf = 0.1 * f.unit;
    const QRectF roomClip =
        f.zoomed ? f.floor.adjusted(-wallHalf, -wallHalf, wallHalf, wallHalf) : QRectF(target);
    const bool drawn = scene.speakers.size() <= plan::kMaxDrawnSpeakers;
    const bool mapped = drawn && scene.grid.columns > 0 && scene.grid.rows > 0 &&
                        scene.levels.size() == static_cast<std::size_t>(scene.grid.columns) *
                                                   static_cast<std::size_t>(scene.grid.rows);
    const std::optional<LevelRange> range =
        mapped ? rangeOf(scene.levels) : std::optional<LevelRange>();
    painter.save();
    painter.setClipRect(roomClip, Qt::IntersectClip);
    if (range)
        drawMap(painter, f, scene, *range);
    else
        painter.fillRect(f.room, kEmptyFloor);
    painter.restore();
    drawGridAndAxes(painter, f, scene);
    painter.save();
    painter.setClipRect(roomClip, Qt::IntersectClip);
    if (drawn) {
        drawCoverage(painter, f, scene);
        const QPainterPath contour = range ? targetContour(scene, mappingOf(f)) : QPainterPath();
        if (!contour.isEmpty()) { // an empty one would be a bare closepath in a PDF
            painter.save();
            painter.setClipRect(f.room.adjusted(-1, -1, 1, 1), Qt::IntersectClip);
            painter.setPen(QPen(shown(kContour, scene.stale), 0.18 * f.unit));
            painter.drawPath(contour);
            painter.restore();
        }
        drawSteps(painter, f, scene);
        drawSpeakers(painter, f, scene);
        if (range && scene.figures.mapped)
            drawWorstPoint(painter, f, scene);
    }
    painter.setPen(QPen(kWall, 0.15 * f.unit));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(f.room);
    painter.restore();
    if (drawn)
        drawLegend(painter, f, scene, range);
    if (scene.stale)
        painter.fillRect(target, QColor(255, 255, 255, 120));
    painter.restore();
}

} // namespace pa
