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
#include <cstdint>
#include <limits>
#include <map>
#include <numeric>
#include <optional>
#include <unordered_map>

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
const QString kKeySpeaker = QStringLiteral("громкоговоритель");
const QString kKeyCoverage = QStringLiteral("зона покрытия");
const QString kKeyWorst = QStringLiteral("худшая точка");
constexpr int kKeyLines = 4;
// The axes' titles, each past its axis' end.
const QString kXTitle = QStringLiteral("x, м");
const QString kYTitle = QStringLiteral("y, м");

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

std::optional<LevelRange> rangeOf(const PlanScene& scene) {
    const std::vector<float>& levels = scene.levels;
    if (levels.empty())
        return std::nullopt;
    if (const auto fixed = legendOf(scene).range)
        return LevelRange{fixed->first, fixed->second};
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
    double text = fm.horizontalAdvance(legendOf(scene).title);
    for (const QString& key : {kKeySpeaker, kKeyCoverage, kKeyWorst})
        text = std::max(text, 2 * u + fm.horizontalAdvance(key));
    const double legendWidth = text + 0.5 * u;
    // Past the room's right end: half the last number of the x axis and the axis' title.
    const double xEnd = fm.horizontalAdvance(QString::number(std::ceil(length))) / 2 + 0.5 * u +
                        fm.horizontalAdvance(kXTitle);
    const double gap = std::max(1.2 * u, xEnd);
    const double right = std::max(0.5 * u, xEnd);

    const double height = std::max(target.height() - top - bottom, 1.0);
    const double besideW = std::max(target.width() - left - gap - legendWidth - 0.5 * u, 1.0);
    const double belowW = std::max(target.width() - left - right, 1.0);
    const double belowH = std::max(height - kLegendRows * u, 1.0);
    const double besidePpm = std::min(besideW / length, height / width);
    const double belowPpm = std::min(belowW / length, belowH / width);
    f.legendBelow = belowPpm > besidePpm * 1.05;
    f.ppm = f.legendBelow ? belowPpm : besidePpm;
    const QSizeF room(length * f.ppm, width * f.ppm);
    if (f.legendBelow) {
        const double x0 =
            target.left() + std::max((target.width() - left - right - room.width()) / 2, 0.0);
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
    const double floorRight = f.legendBelow ? target.right() : f.legend.left() - 0.5 * u;
    const double floorBottom = f.legendBelow ? f.legend.top() - bottom : target.bottom() - bottom;
    const QPointF floorTop(target.left() + left, target.top() + top);
    f.floor = QRectF(
        floorTop, QPointF(std::max(floorRight, floorTop.x()), std::max(floorBottom, floorTop.y())));
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

// Where the room's things and their labels show: the floor of a zoomed frame, all the picture
// of a fitted one.
QRectF shownPart(const Frame& f, const QRectF& target) {
    return f.zoomed ? f.floor : target;
}

PlanMapping mappingOf(const Frame& f) {
    return {f.room.bottomLeft(), f.ppm};
}

// An index's colour: its qualification band's step of the palette, the worst band darkest.
QColor bandColour(double sti) {
    const std::string_view name = plan::stiBand(sti);
    const auto band = std::find_if(plan::kStiBands.begin(), plan::kStiBands.end(),
                                   [&](const plan::StiBand& b) { return b.name == name; });
    const auto worst = static_cast<double>(plan::kStiBands.size() - 1);
    return paletteAt((worst - static_cast<double>(band - plan::kStiBands.begin())) / worst);
}

QImage levelImage(const PlanScene& scene, const LevelRange& range) {
    const int columns = scene.grid.columns;
    const int rows = scene.grid.rows;
    const bool banded = legendOf(scene).banded;
    std::array<QRgb, 256> lut{};
    for (std::size_t i = 0; i < lut.size(); ++i) {
        const double t = static_cast<double>(i) / 255.0;
        lut.at(i) =
            (banded ? bandColour(range.low + t * (range.high - range.low)) : paletteAt(t)).rgb();
    }
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

// Air around a label's glyphs, in lines of text.
constexpr double kLabelAir = 0.08;

// A text of the picture: where its baseline starts and the part of the picture its glyphs
// cover, with a little air, so that two labels whose ink does not meet read apart.
struct Label {
    QString text;
    QPointF baseline;
    QRectF ink;
};

// A label whose ink stands against a point as align says (left, right or centred across; top,
// bottom or centred down).
Label labelAt(const QFontMetricsF& fm, const QString& text, QPointF at, Qt::Alignment align) {
    const double air = kLabelAir * fm.height();
    const QRectF glyphs = fm.tightBoundingRect(text);
    QRectF ink(QPointF(), glyphs.size() + QSizeF(2 * air, 2 * air));
    if (align.testFlag(Qt::AlignLeft))
        ink.moveLeft(at.x());
    else if (align.testFlag(Qt::AlignRight))
        ink.moveRight(at.x());
    else
        ink.moveLeft(at.x() - ink.width() / 2);
    if (align.testFlag(Qt::AlignTop))
        ink.moveTop(at.y());
    else if (align.testFlag(Qt::AlignBottom))
        ink.moveBottom(at.y());
    else
        ink.moveTop(at.y() - ink.height() / 2);
    return {text, ink.topLeft() + QPointF(air, air) - glyphs.topLeft(), ink};
}

// The same label moved up or down to share a baseline.
Label onBaseline(Label label, double y) {
    const double dy = y - label.baseline.y();
    label.baseline.ry() += dy;
    label.ink.translate(0, dy);
    return label;
}

// What the picture holds already, so that each further label goes where it covers nothing.
// Texts and loudspeaker numbers are labels; marks (plain dots, the worst point's cross, the
// legend, dimension lines) are only kept clear of.
class LabelBoard {
public:
    enum Kind : unsigned { Text = 1, Number = 2, Mark = 4, Anything = 7 };

    explicit LabelBoard(const QRectF& bounds) : bounds_(bounds) {}

    bool isFree(const QRectF& r, unsigned kinds = Anything) const {
        if (!bounds_.contains(r))
            return false;
        // Thousands of loudspeakers take thousands of places: only the cells r covers are
        // looked at.
        const auto clear = [&](std::size_t i) {
            return (taken_[i].second & kinds) == 0 || !taken_[i].first.intersects(r);
        };
        bool free = std::all_of(big_.begin(), big_.end(), clear);
        forCells(r, [&](std::uint64_t cell) {
            const auto found = cells_.find(cell);
            if (free && found != cells_.end())
                free = std::all_of(found->second.begin(), found->second.end(), clear);
        });
        return free;
    }
    void take(const QRectF& r, Kind kind) {
        const std::size_t index = taken_.size();
        taken_.emplace_back(r, kind);
        if (!forCells(r, [&](std::uint64_t cell) { cells_[cell].push_back(index); }))
            big_.push_back(index);
    }
    bool takeText(const Label& label) {
        if (!isFree(label.ink))
            return false;
        take(label.ink, Text);
        return true;
    }
    // The first candidate that covers nothing, taken; nothing when each covers something.
    std::optional<Label> takeFirst(const std::vector<Label>& candidates) {
        for (const Label& label : candidates)
            if (takeText(label))
                return label;
        return std::nullopt;
    }
    const QRectF& bounds() const { return bounds_; }
    std::vector<QRectF> labels() const {
        std::vector<QRectF> out;
        for (const auto& [rect, kind] : taken_)
            if (kind != Mark)
                out.push_back(rect);
        return out;
    }

private:
    static constexpr double kCell = 48; // device units
    // A rectangle over more cells than this a side is kept apart and always looked at, so that
    // a huge mark never costs a huge loop.
    static constexpr std::int64_t kMaxSpan = 64;

    // Calls each(cell) for every cell r covers; false, calling nothing, when r spans too many.
    template <typename F> bool forCells(const QRectF& r, F&& each) const {
        // Cells are whole numbers only for places a picture can have.
        constexpr double kFarthest = 1e12;
        for (const double v : {r.left(), r.top(), r.right(), r.bottom()})
            if (!(std::abs(v) < kFarthest))
                return false;
        const auto cellOf = [&](double v, double origin) {
            return static_cast<std::int64_t>(std::floor((v - origin) / kCell));
        };
        const std::int64_t x0 = cellOf(r.left(), bounds_.left());
        const std::int64_t y0 = cellOf(r.top(), bounds_.top());
        const std::int64_t x1 = cellOf(r.right(), bounds_.left());
        const std::int64_t y1 = cellOf(r.bottom(), bounds_.top());
        if (!(x1 - x0 <= kMaxSpan && y1 - y0 <= kMaxSpan))
            return false;
        for (std::int64_t y = y0; y <= y1; ++y)
            for (std::int64_t x = x0; x <= x1; ++x)
                each((static_cast<std::uint64_t>(y) << 32) ^
                     (static_cast<std::uint64_t>(x) & 0xFFFFFFFFU));
        return true;
    }

    QRectF bounds_;
    std::vector<std::pair<QRectF, Kind>> taken_;
    std::unordered_map<std::uint64_t, std::vector<std::size_t>> cells_;
    std::vector<std::size_t> big_;
};

void drawLabels(QPainter& p, const std::vector<Label>& labels, const QColor& colour) {
    p.save();
    p.setPen(colour);
    for (const Label& label : labels)
        p.drawText(label.baseline, label.text);
    p.restore();
}

// Text on a light plate, readable over any colour of the map.
void drawPlated(QPainter& p, const Label& label, double unit) {
    const double round = 0.12 * unit;
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 200));
    p.drawRoundedRect(label.ink, round, round);
    p.setPen(QColor(0, 0, 0));
    p.drawText(label.baseline, label.text);
    p.restore();
}

// The grid's ticks along both axes and their numbers. A zoomed view shows only some of the ticks,
// and once the room's lower or left wall leaves the floor its axis keeps to the floor's edge.
struct Axes {
    Frame f;
    QFontMetricsF fm;
    double step = 1;
    int decimals = 0;     // tenths where the grid is finer than a metre
    long long firstX = 0; // the ticks within the side that show
    long long lastX = 0;
    long long firstY = 0;
    long long lastY = 0;
    double axisX = 0; // where the y axis runs across the picture
    double axisY = 0; // where the x axis runs down the picture
    double top = 0;   // the ends of what shows of the room, right and up
    double right = 0;
    double below = 0; // from the x axis to its numbers

    QString text(long long i) const {
        return decimal(static_cast<double>(i) * step, decimals, f.separator);
    }
    Label x(long long i) const {
        const QPointF at(mappingOf(f).toScreen(static_cast<double>(i) * step, 0).x(), axisY);
        return labelAt(fm, text(i), at + QPointF(0, below), Qt::AlignHCenter | Qt::AlignTop);
    }
    Label y(long long i) const {
        const QPointF at(axisX, mappingOf(f).toScreen(0, static_cast<double>(i) * step).y());
        return labelAt(fm, text(i), at - QPointF(0.45 * f.unit, 0),
                       Qt::AlignRight | Qt::AlignVCenter);
    }
};

// symbolRadius is a numbered loudspeaker's: wall loudspeakers on the lower wall reach that far
// below it, and the x axis' numbers keep clear of them.
Axes axesOf(const Frame& f, const PlanScene& scene, const QFontMetricsF& fm, double symbolRadius) {
    const double step = gridStep(f.ppm, f.unit, f.zoomed);
    const double length = safeSide(scene.inputs.length);
    const double width = safeSide(scene.inputs.width);
    Axes axes{f, fm, step, step < 1 ? 1 : 0};
    // A fitted room shows whole; a zoomed one only where it lies on the floor.
    const PlanMapping m = mappingOf(f);
    const QRectF seen = f.zoomed ? f.floor : f.room;
    const QPointF low = m.toRoom(seen.bottomLeft());
    const QPointF high = m.toRoom(seen.topRight());
    std::tie(axes.firstX, axes.lastX) = stepsWithin(low.x(), high.x(), length, step);
    std::tie(axes.firstY, axes.lastY) = stepsWithin(low.y(), high.y(), width, step);
    axes.axisY = f.zoomed ? std::min(f.room.bottom(), f.floor.bottom()) : f.room.bottom();
    axes.axisX = f.zoomed ? std::max(f.room.left(), f.floor.left()) : f.room.left();
    axes.top = f.zoomed ? std::max(f.room.top(), f.floor.top()) : f.room.top();
    axes.right = f.zoomed ? std::min(f.room.right(), f.floor.right()) : f.room.right();
    const bool wallBelow =
        scene.inputs.type != SpeakerType::Ceiling && f.room.bottom() <= axes.axisY;
    axes.below = wallBelow ? std::max(0.35 * f.unit, symbolRadius + 0.1 * f.unit) : 0.35 * f.unit;
    return axes;
}

// How many ticks back from the last the x axis' end may go to find room for its unit.
constexpr long long kAxisEndTries = 4;

// The ends of the axes come first: an axis' last number tells the room's size (or how far it
// shows), and the unit stands past it, never in its place. Returns the x axis' end tick.
long long placeAxisEnds(LabelBoard& board, const Axes& axes, std::vector<Label>& out) {
    const double u = axes.f.unit;
    // Past the room's end where it shows; past the number where the room runs on out of sight.
    const double roomEnd =
        axes.f.room.right() <= axes.right ? axes.f.room.right() : axes.f.room.left();
    const auto titlePast = [&](const Label& end) {
        const double past = std::max(roomEnd, end.ink.right()) + 0.3 * u;
        return onBaseline(labelAt(axes.fm, kXTitle, QPointF(past, 0), Qt::AlignLeft),
                          end.baseline.y());
    };
    // A zoomed room may run on past the floor: the last number that leaves its unit room.
    long long end = axes.lastX;
    for (long long i = axes.lastX;
         axes.f.zoomed && i >= std::max(axes.firstX, axes.lastX - kAxisEndTries); --i)
        if (board.isFree(axes.x(i).ink) && board.isFree(titlePast(axes.x(i)).ink)) {
            end = i;
            break;
        }
    const Label lastX = axes.x(end);
    for (const Label& label : {lastX, axes.y(axes.lastY), axes.x(axes.firstX), axes.y(axes.firstY)})
        if (board.takeText(label))
            out.push_back(label);
    const QPointF top(axes.axisX, axes.top - 0.45 * u);
    // Kept inside the picture where the margin left of the room is narrow.
    auto inside = [&board](Label label) {
        const double short_ = board.bounds().left() - label.ink.left();
        if (short_ > 0) {
            label.ink.translate(short_, 0);
            label.baseline.rx() += short_;
        }
        return label;
    };
    for (const auto& candidates :
         {std::vector<Label>{titlePast(lastX),
                             labelAt(axes.fm, kXTitle,
                                     QPointF(axes.right, axes.axisY) + QPointF(0.3 * u, -0.1 * u),
                                     Qt::AlignLeft | Qt::AlignBottom)},
          std::vector<Label>{inside(labelAt(axes.fm, kYTitle, top + QPointF(0.3 * u, 0),
                                            Qt::AlignRight | Qt::AlignBottom)),
                             labelAt(axes.fm, kYTitle, top + QPointF(0.3 * u, 0),
                                     Qt::AlignLeft | Qt::AlignBottom)}})
        if (const auto title = board.takeFirst(candidates))
            out.push_back(*title);
    return end;
}

// The numbers between an axis' ends, evenly spaced: every few ticks, as few as give each number
// room and, where loudspeaker numbers stand in the row, as few more as keep clear of them all.
template <typename LabelOf>
void placeEvenly(LabelBoard& board, long long first, long long last, long long every,
                 LabelOf labelOf, std::vector<Label>& out) {
    std::vector<Label> row;
    for (const long long spread : {1, 2, 4}) {
        row.clear();
        const long long k = every * spread;
        // Multiples of k, so that a moved view keeps the same numbers.
        for (long long i = (first / k + 1) * k; i < last; i += k)
            row.push_back(labelOf(i));
        if (std::all_of(row.begin(), row.end(),
                        [&](const Label& l) { return board.isFree(l.ink); }))
            break;
    }
    for (const Label& label : row)
        if (board.takeText(label))
            out.push_back(label);
}

void placeAxisNumbers(LabelBoard& board, const Axes& axes, long long endX,
                      std::vector<Label>& out) {
    const double stepPixels = axes.step * axes.f.ppm;
    const long long everyX =
        labelEvery(stepPixels, axes.x(axes.lastX).ink.width() + 0.5 * axes.f.unit);
    const long long everyY = labelEvery(stepPixels, 1.1 * axes.f.unit);
    placeEvenly(
        board, axes.firstX, endX, everyX, [&](long long i) { return axes.x(i); }, out);
    placeEvenly(
        board, axes.firstY, axes.lastY, everyY, [&](long long i) { return axes.y(i); }, out);
}

void drawGridAndAxes(QPainter& p, const Frame& f, const PlanScene& scene, const Axes& axes,
                     const std::vector<Label>& labels) {
    const PlanMapping m = mappingOf(f);
    const double length = safeSide(scene.inputs.length);
    const double width = safeSide(scene.inputs.width);
    const double step = axes.step;
    const double u = f.unit;
    const auto along = [step](long long i) { return static_cast<double>(i) * step; };
    p.save();
    // Light lines over the map, grey ones on the empty floor.
    p.setPen(
        QPen(scene.levels.empty() ? QColor(200, 200, 200) : QColor(255, 255, 255, 90), u * 0.06));
    for (long long i = std::max(axes.firstX, 1LL); i <= axes.lastX; ++i)
        if (along(i) < length - 1e-9)
            p.drawLine(QPointF(m.toScreen(along(i), 0).x(), axes.axisY),
                       QPointF(m.toScreen(along(i), 0).x(), axes.top));
    for (long long i = std::max(axes.firstY, 1LL); i <= axes.lastY; ++i)
        if (along(i) < width - 1e-9)
            p.drawLine(QPointF(axes.axisX, m.toScreen(0, along(i)).y()),
                       QPointF(axes.right, m.toScreen(0, along(i)).y()));

    p.setPen(QPen(kAxisText, u * 0.06));
    const double tick = u * 0.3;
    for (long long i = axes.firstX; i <= axes.lastX; ++i) {
        const QPointF at(m.toScreen(along(i), 0).x(), axes.axisY);
        p.drawLine(at, at + QPointF(0, tick));
    }
    for (long long i = axes.firstY; i <= axes.lastY; ++i) {
        const QPointF at(axes.axisX, m.toScreen(0, along(i)).y());
        p.drawLine(at, at - QPointF(tick, 0));
    }
    p.restore();
    // Drawn in reading order, as a PDF's text gives them back: along x, then up y.
    std::vector<Label> ordered = labels;
    const double below = axes.axisY;
    std::stable_sort(ordered.begin(), ordered.end(), [below](const Label& a, const Label& b) {
        const bool ax = a.ink.top() > below;
        const bool bx = b.ink.top() > below;
        if (ax != bx)
            return ax;
        return ax ? a.ink.left() < b.ink.left() : a.ink.bottom() > b.ink.bottom();
    });
    drawLabels(p, ordered, kAxisText);
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
    const double t = legendOf(scene).contour;
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

// The worst point's cross and its level beside it, on the first side where the level covers no
// other label, inside the room where it can be.
struct Worst {
    QPointF at;
    std::optional<Label> label;
    bool leader = false; // the label stands off, joined to the cross by a line
};

constexpr double kCrossArm = 0.4; // lines of text

// Nothing where the point is out of sight.
std::optional<Worst> placeWorst(LabelBoard& board, const Frame& f, const PlanScene& scene,
                                const QFontMetricsF& fm, const QRectF& shows) {
    const double u = f.unit;
    const bool sti = scene.shown == MapKind::Sti;
    const plan::Point at = sti ? scene.sti.minAt : scene.figures.minAt;
    const QPointF c = mappingOf(f).toScreen(at.x, at.y);
    if (!shows.contains(c))
        return std::nullopt;
    const double arm = kCrossArm * u;
    board.take(QRectF(c - QPointF(arm, arm), QSizeF(2 * arm, 2 * arm)), LabelBoard::Mark);
    const QString text =
        sti ? QStringLiteral("STI ") + decimal(scene.sti.min, 2, scene.decimalSeparator)
            : decimal(scene.figures.minLevel, 1, scene.decimalSeparator) + QStringLiteral(" дБ");
    const double side = arm + 0.2 * u;
    const std::vector<Label> around{
        labelAt(fm, text, c + QPointF(side, 0), Qt::AlignLeft | Qt::AlignBottom),
        labelAt(fm, text, c + QPointF(side, 0), Qt::AlignLeft | Qt::AlignTop),
        labelAt(fm, text, c - QPointF(side, 0), Qt::AlignRight | Qt::AlignBottom),
        labelAt(fm, text, c - QPointF(side, 0), Qt::AlignRight | Qt::AlignTop),
        labelAt(fm, text, c + QPointF(side, 0), Qt::AlignLeft | Qt::AlignVCenter),
        labelAt(fm, text, c - QPointF(side, 0), Qt::AlignRight | Qt::AlignVCenter),
        labelAt(fm, text, c - QPointF(0, side), Qt::AlignHCenter | Qt::AlignBottom),
        labelAt(fm, text, c + QPointF(0, side), Qt::AlignHCenter | Qt::AlignTop),
    };
    const auto within = [](const std::vector<Label>& labels, const QRectF& part) {
        std::vector<Label> kept;
        std::copy_if(labels.begin(), labels.end(), std::back_inserter(kept),
                     [&](const Label& l) { return part.contains(l.ink); });
        return kept;
    };
    std::optional<Label> label =
        board.takeFirst(within(around, f.room.adjusted(-1, -1, 1, 1) & shows));
    if (!label)
        label = board.takeFirst(within(around, shows));
    if (label)
        return Worst{c, label, false};
    // Crowded round the point: farther off, joined to it by a line.
    std::vector<Label> farther;
    for (const double off : {side + 1.2 * u, side + 2.4 * u})
        for (const Label& l : {
                 labelAt(fm, text, c + QPointF(off, -off), Qt::AlignLeft | Qt::AlignBottom),
                 labelAt(fm, text, c - QPointF(off, off), Qt::AlignRight | Qt::AlignBottom),
                 labelAt(fm, text, c + QPointF(off, off), Qt::AlignLeft | Qt::AlignTop),
                 labelAt(fm, text, c + QPointF(-off, off), Qt::AlignRight | Qt::AlignTop),
             })
            farther.push_back(l);
    return Worst{c, board.takeFirst(within(farther, shows)), true};
}

void drawWorstPoint(QPainter& p, const Frame& f, const PlanScene& scene, const Worst& worst) {
    const QPointF c = worst.at;
    p.save();
    // Picked in the figures, the point stands out for a moment.
    const double r = (scene.worstFlash ? 2 : 1) * kCrossArm * f.unit;
    if (scene.worstFlash) {
        p.setPen(QPen(kSelection, f.unit * 0.25));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, 1.6 * r, 1.6 * r);
    }
    p.setPen(QPen(QColor(255, 255, 255), f.unit * 0.25, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(-r, -r), c + QPointF(r, r));
    p.drawLine(c + QPointF(-r, r), c + QPointF(r, -r));
    p.setPen(QPen(shown(kContour, scene.stale), f.unit * 0.12, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(-r, -r), c + QPointF(r, r));
    p.drawLine(c + QPointF(-r, r), c + QPointF(r, -r));
    if (worst.label && worst.leader) {
        const QRectF& ink = worst.label->ink;
        const QPointF end(std::clamp(c.x(), ink.left(), ink.right()),
                          std::clamp(c.y(), ink.top(), ink.bottom()));
        p.setPen(QPen(shown(kContour, scene.stale), f.unit * 0.06));
        p.drawLine(c, end);
    }
    p.restore();
    if (worst.label)
        drawPlated(p, *worst.label, f.unit);
}

// Neighbours of one row (same y) or one column (same x), as indices: those of the first line
// holding two loudspeakers apart, the middle pair first, which keeps the dimension clear of the
// corners where the worst point usually lies, then outward from it.
std::vector<std::pair<std::size_t, std::size_t>> neighbourPairs(const std::vector<plan::Speaker>& s,
                                                                bool alongX) {
    auto along = [alongX](const plan::Speaker& a) { return alongX ? a.x : a.y; };
    auto across = [alongX](const plan::Speaker& a) { return alongX ? a.y : a.x; };
    auto line = [&](const plan::Speaker& a) { return std::llround(across(a) * 1000); };
    std::vector<std::size_t> order(s.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return std::pair(line(s[a]), along(s[a])) < std::pair(line(s[b]), along(s[b]));
    });
    for (std::size_t begin = 0; begin < order.size();) {
        std::size_t end = begin;
        while (end < order.size() && line(s[order[end]]) == line(s[order[begin]]))
            ++end;
        std::vector<std::pair<std::size_t, std::size_t>> pairs;
        for (std::size_t i = begin + 1; i < end; ++i)
            if (along(s[order[i]]) - along(s[order[i - 1]]) > 1e-3)
                pairs.emplace_back(order[i - 1], order[i]);
        if (!pairs.empty()) {
            std::vector<std::pair<std::size_t, std::size_t>> outward;
            const auto middle = static_cast<std::ptrdiff_t>((pairs.size() - 1) / 2);
            for (std::ptrdiff_t k = 0; outward.size() < pairs.size(); ++k) {
                // middle, middle + 1, middle - 1, middle + 2, ...
                const std::ptrdiff_t i = middle + (k % 2 == 1 ? (k + 1) / 2 : -(k / 2));
                if (i >= 0 && i < static_cast<std::ptrdiff_t>(pairs.size()))
                    outward.push_back(pairs[static_cast<std::size_t>(i)]);
            }
            return outward;
        }
        begin = end;
    }
    return {};
}

// A dimension line between two loudspeakers of a row or a column, set off from them, with its
// length written beside it.
struct Dimension {
    QPointF a, b;
    QLineF line;
    QPointF tick;
    Label label;
};

// Set off toward the middle of the room where the line and its number cover no label,
// else to the other side; the number away from the loudspeakers where it can be.
std::optional<Dimension> placeDimension(LabelBoard& board, const Frame& f, const QFontMetricsF& fm,
                                        const QRectF& shows, QPointF a, QPointF b,
                                        double distance) {
    const double u = f.unit;
    const bool horizontal = std::abs(a.y() - b.y()) < std::abs(a.x() - b.x());
    const QPointF centre = f.room.center();
    const double toward =
        horizontal ? (a.y() > centre.y() ? -1 : 1) : (a.x() < centre.x() ? 1 : -1);
    const QPointF across = horizontal ? QPointF(0, 1) : QPointF(1, 0);
    const QPointF tick = 0.3 * u * across;
    const QString text = metres(distance, f.separator);
    for (const double side : {toward, -toward}) {
        const QLineF line(a + 1.3 * u * side * across, b + 1.3 * u * side * across);
        const QRectF reach = QRectF(line.p1() - tick, line.p2() + tick).normalized();
        if (!shows.contains(reach) || !board.isFree(reach, LabelBoard::Text))
            continue;
        const QPointF mid = line.center();
        for (const double labelSide : {side, -side}) {
            const Label label =
                horizontal
                    ? labelAt(fm, text, mid + QPointF(0, 0.15 * u * labelSide),
                              Qt::AlignHCenter | (labelSide < 0 ? Qt::AlignBottom : Qt::AlignTop))
                    : labelAt(fm, text, mid + QPointF(0.4 * u * labelSide, 0),
                              Qt::AlignVCenter | (labelSide > 0 ? Qt::AlignLeft : Qt::AlignRight));
            if (shows.contains(label.ink) && board.takeText(label)) {
                board.take(reach, LabelBoard::Mark);
                return Dimension{a, b, line, tick, label};
            }
        }
    }
    return std::nullopt;
}

// Pairs tried for a dimension before it is left out.
constexpr std::size_t kDimensionTries = 8;

std::vector<Dimension> placeSteps(LabelBoard& board, const Frame& f, const PlanScene& scene,
                                  const QFontMetricsF& fm, const QRectF& shows) {
    const PlanMapping m = mappingOf(f);
    std::vector<Dimension> out;
    for (const bool alongX : {true, false}) {
        const auto pairs = neighbourPairs(scene.speakers, alongX);
        for (std::size_t k = 0; k < std::min(pairs.size(), kDimensionTries); ++k) {
            const plan::Speaker& a = scene.speakers[pairs[k].first];
            const plan::Speaker& b = scene.speakers[pairs[k].second];
            if (const auto d =
                    placeDimension(board, f, fm, shows, m.toScreen(a.x, a.y), m.toScreen(b.x, b.y),
                                   alongX ? b.x - a.x : b.y - a.y)) {
                out.push_back(*d);
                break;
            }
        }
    }
    return out;
}

void drawDimension(QPainter& p, const Frame& f, const Dimension& d) {
    auto strokes = [&] {
        p.drawLine(d.line);
        p.drawLine(d.line.p1() - d.tick, d.line.p1() + d.tick);
        p.drawLine(d.line.p2() - d.tick, d.line.p2() + d.tick);
    };
    p.save();
    p.setPen(QPen(QColor(255, 255, 255, 200), f.unit * 0.2, Qt::SolidLine, Qt::FlatCap));
    strokes();
    p.setPen(QPen(QColor(0, 0, 0), f.unit * 0.07, Qt::SolidLine, Qt::FlatCap));
    strokes();
    p.setPen(QPen(QColor(0, 0, 0, 120), f.unit * 0.05, Qt::DashLine));
    p.drawLine(d.a, d.line.p1());
    p.drawLine(d.b, d.line.p2());
    p.restore();
    drawPlated(p, d.label, f.unit);
}

// Each point's distance to its nearest neighbour, or limit where none is closer; found through
// square cells of the limit's size, so thousands of points take no time.
std::vector<double> nearestDistances(const std::vector<QPointF>& points, double limit) {
    auto cell = [limit](QPointF p) {
        return std::pair(std::llround(std::floor(p.x() / limit)),
                         std::llround(std::floor(p.y() / limit)));
    };
    std::vector<std::pair<std::pair<long long, long long>, std::size_t>> cells;
    cells.reserve(points.size());
    for (std::size_t i = 0; i < points.size(); ++i)
        cells.emplace_back(cell(points[i]), i);
    std::sort(cells.begin(), cells.end());
    std::vector<double> nearest(points.size(), limit);
    for (std::size_t i = 0; i < points.size(); ++i) {
        const auto [cx, cy] = cell(points[i]);
        for (long long dx = -1; dx <= 1; ++dx) {
            for (long long dy = -1; dy <= 1; ++dy) {
                const std::pair key(cx + dx, cy + dy);
                auto it =
                    std::lower_bound(cells.begin(), cells.end(), std::pair(key, std::size_t{0}));
                for (; it != cells.end() && it->first == key; ++it)
                    if (it->second != i)
                        nearest[i] =
                            std::min(nearest[i], QLineF(points[i], points[it->second]).length());
            }
        }
    }
    return nearest;
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

// A loudspeaker's symbol: numbered where the number has room, a small plain dot elsewhere.
struct Symbol {
    QPointF at;
    double r = 0;
    bool numbered = false;
    bool seen = true; // on the floor; a zoomed view leaves the others out
};

QFont numberFont(const QFont& font) {
    QFont small = font;
    small.setBold(true);
    small.setPointSizeF(font.pointSizeF() * 0.85);
    return small;
}

// Every numbered symbol is as wide as the longest number needs.
double numberedRadius(const Frame& f, const PlanScene& scene, const QFontMetricsF& fm) {
    const double widest = fm.horizontalAdvance(QString::number(scene.speakers.size()));
    return std::max(0.5 * f.unit, widest / 2 + 0.15 * f.unit);
}

// A loudspeaker whose neighbours or a label leave no room for its number gets a dot sized to
// its nearest neighbour. Those out of sight take no room.
std::vector<Symbol> placeSymbols(LabelBoard& board, const Frame& f, const PlanScene& scene,
                                 const QFontMetricsF& fm, const QRectF& shows) {
    const PlanMapping m = mappingOf(f);
    std::vector<QPointF> at;
    at.reserve(scene.speakers.size());
    for (const plan::Speaker& s : scene.speakers)
        at.push_back(m.toScreen(s.x, s.y));
    const double numbered = numberedRadius(f, scene, fm);
    const double roomy = 2 * numbered + 0.3 * f.unit;
    const std::vector<double> nearest = nearestDistances(at, roomy);
    auto square = [](QPointF c, double r) {
        return QRectF(c - QPointF(r, r), QSizeF(2 * r, 2 * r));
    };
    const QRectF reach = shows.adjusted(-numbered, -numbered, numbered, numbered);
    // Dots come in quarter pixels, so that few stamps serve them all.
    const auto quarters = [](double r) { return std::max(0.25, std::round(r * 4) / 4); };
    std::vector<Symbol> symbols;
    symbols.reserve(at.size());
    for (std::size_t i = 0; i < at.size(); ++i) {
        Symbol s{at[i], numbered, true};
        if (nearest[i] < roomy || !board.isFree(square(at[i], numbered), LabelBoard::Text))
            s = {at[i], quarters(std::clamp(0.35 * nearest[i], 0.12 * f.unit, 0.45 * f.unit)),
                 false};
        s.seen = reach.contains(s.at);
        if (s.seen)
            board.take(square(s.at, s.r), s.numbered ? LabelBoard::Number : LabelBoard::Mark);
        symbols.push_back(s);
    }
    return symbols;
}

void drawSpeakers(QPainter& p, const Frame& f, const PlanScene& scene,
                  const std::vector<Symbol>& symbols) {
    const QPen outline(QColor(0, 0, 0), 0.08 * f.unit);
    const QBrush fill(QColor(255, 255, 255));
    // One set of stamps for each size of symbol.
    std::map<double, Stamps> stamps;
    double widest = 0;
    for (const Symbol& s : symbols)
        widest = std::max(widest, s.r);
    // Only what the clip lets show is drawn: a part of the picture repainted costs a part.
    const QRectF seen = seenPart(p, widest + 0.5 * f.unit);
    p.save();
    p.setFont(numberFont(p.font()));
    for (std::size_t i = 0; i < symbols.size(); ++i) {
        const Symbol& s = symbols[i];
        if (!s.seen || !seen.contains(s.at))
            continue;
        if (static_cast<int>(i) == scene.selected) {
            p.setPen(QPen(kSelection, 0.25 * f.unit));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(s.at, s.r + 0.25 * f.unit, s.r + 0.25 * f.unit);
        }
        p.setPen(outline);
        p.setBrush(fill);
        Stamps& stamp = stamps.try_emplace(s.r, p, s.r, outline, fill).first->second;
        if (stamp.usable())
            stamp.draw(p, s.at);
        else
            p.drawEllipse(s.at, s.r, s.r);
        if (s.numbered)
            p.drawText(QRectF(s.at.x() - s.r, s.at.y() - s.r, 2 * s.r, 2 * s.r), Qt::AlignCenter,
                       QString::number(i + 1));
    }
    p.restore();
}

// Decibels between the legend's labels, each label given room of its own.
double legendStep(const LevelRange& range, double length, double perLabel) {
    for (const double step : {0.1, 0.2, 0.5, 1.0, 2.0, 5.0, 10.0, 20.0, 50.0})
        if ((range.high - range.low) / step * perLabel <= length)
            return step;
    return 100.0;
}

// The qualification bands' names inside the banded bar, each in the middle of its band, as large
// as the narrowest band lets them all be, dark on the light bands and light on the dark ones.
void drawBandNames(QPainter& p, const QRectF& bar, bool vertical, const PlanScene& scene,
                   const LevelRange& range, double u) {
    const double length = vertical ? bar.height() : bar.width();
    const double perUnit = length / (range.high - range.low);
    QFont font = p.font();
    font.setBold(true);
    const QFontMetricsF fm(font, p.device());
    // The narrowest band's room along the bar, against the widest name's extent there.
    double scale = 0.8;
    double top = range.high;
    for (const plan::StiBand& band : plan::kStiBands) {
        const double span = (std::min(top, range.high) - std::max(band.from, range.low)) * perUnit;
        top = band.from;
        if (span <= 0)
            continue;
        const QString name = qs(band.name);
        const double along = vertical ? fm.height() : fm.horizontalAdvance(name) + 0.2 * u;
        const double across = vertical ? fm.horizontalAdvance(name) + 0.1 * u : fm.height();
        const double room = vertical ? bar.width() : bar.height();
        scale = std::min({scale, 0.95 * span / along, room / across});
    }
    font.setPointSizeF(font.pointSizeF() * scale);
    p.save();
    p.setFont(font);
    top = range.high;
    for (const plan::StiBand& band : plan::kStiBands) {
        const double high = std::min(top, range.high);
        const double low = std::max(band.from, range.low);
        top = band.from;
        if (high <= low)
            continue;
        const QColor fill = shown(bandColour(band.from), scene.stale);
        p.setPen(qGray(fill.rgb()) > 128 ? QColor(0, 0, 0) : QColor(255, 255, 255));
        const QRectF cell = vertical
                                ? QRectF(bar.left(), bar.bottom() - (high - range.low) * perUnit,
                                         bar.width(), (high - low) * perUnit)
                                : QRectF(bar.left() + (low - range.low) * perUnit, bar.top(),
                                         (high - low) * perUnit, bar.height());
        p.drawText(cell, Qt::AlignCenter, qs(band.name));
    }
    p.restore();
}

// The colour bar, low levels at its bottom or left end, with labels in decibels and the
// target marked across it.
void drawColourBar(QPainter& p, const QRectF& bar, bool vertical, const PlanScene& scene,
                   const LevelRange& range, double u) {
    const QPointF low = vertical ? bar.bottomLeft() : bar.topLeft();
    const QPointF high = vertical ? bar.topLeft() : bar.topRight();
    const MapLegend legend = legendOf(scene);
    QLinearGradient gradient(low, high);
    if (legend.banded) {
        // Sharp steps: each band's colour from its lower limit to the next band's.
        double top = range.high;
        for (const plan::StiBand& band : plan::kStiBands) {
            const QColor colour = shown(bandColour(band.from), scene.stale);
            gradient.setColorAt(std::clamp(range.at(top), 0.0, 1.0), colour);
            gradient.setColorAt(std::clamp(range.at(band.from), 0.0, 1.0), colour);
            top = band.from - 1e-6;
        }
    } else {
        for (int i = 0; i <= 16; ++i)
            gradient.setColorAt(i / 16.0, shown(paletteAt(i / 16.0), scene.stale));
    }
    p.fillRect(bar, gradient);
    if (legend.banded)
        drawBandNames(p, bar, vertical, scene, range, u);
    p.setPen(QPen(QColor(0, 0, 0), 0.05 * u));
    p.setBrush(Qt::NoBrush);
    p.drawRect(bar);
    auto along = [&](double level) { return low + (high - low) * range.at(level); };
    const QFontMetricsF fm(p.font(), p.device());
    const double perLabel = vertical ? 1.5 * u : fm.horizontalAdvance(QStringLiteral("000")) + u;
    const double step = legendStep(range, vertical ? bar.height() : bar.width(), perLabel);
    p.setPen(QPen(kAxisText, 0.05 * u));
    const int decimals = step < 1 ? 1 : 0;
    for (double level = std::ceil(range.low / step - 1e-9) * step; level <= range.high + 1e-9;
         level += step) {
        const QPointF at = along(level);
        const QString label = decimal(level, decimals, scene.decimalSeparator);
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
    const double t = range.at(legend.contour);
    if (t >= 0 && t <= 1) {
        const QPointF at = along(legend.contour);
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
    entry(legendOf(scene).contourKey);
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
    const QString title = legendOf(scene).title;
    const double titleWidth = fm.horizontalAdvance(title);
    if (range)
        p.drawText(QRectF(box.left(), box.top(), titleWidth + u, u),
                   Qt::AlignLeft | Qt::AlignVCenter, title);
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

void paintPlan(QPainter& painter, const QRectF& target, const PlanScene& scene,
               const PlanMapping* view, std::vector<QRectF>* labels) {
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
    const QRectF shows = shownPart(f, target);
    const bool drawn = scene.speakers.size() <= plan::kMaxDrawnSpeakers;
    const bool mapped = drawn && scene.grid.columns > 0 && scene.grid.rows > 0 &&
                        scene.levels.size() == static_cast<std::size_t>(scene.grid.columns) *
                                                   static_cast<std::size_t>(scene.grid.rows);
    const std::optional<LevelRange> range = mapped ? rangeOf(scene) : std::optional<LevelRange>();

    // Labels first, the most telling first: the axes' ends, the loudspeakers' numbers, the
    // other axis numbers, the worst point's level, the steps.
    LabelBoard board(target);
    if (drawn)
        board.take(f.legend, LabelBoard::Mark);
    const QFontMetricsF numbers(numberFont(painter.font()), painter.device());
    const Axes axes = axesOf(f, scene, fm, numberedRadius(f, scene, numbers));
    std::vector<Label> axisLabels;
    const long long endX = placeAxisEnds(board, axes, axisLabels);
    std::vector<Symbol> symbols;
    if (drawn)
        symbols = placeSymbols(board, f, scene, numbers, shows);
    placeAxisNumbers(board, axes, endX, axisLabels);
    std::optional<Worst> worst;
    if (range && scene.figures.mapped)
        worst = placeWorst(board, f, scene, fm, shows);
    std::vector<Dimension> steps;
    if (drawn)
        steps = placeSteps(board, f, scene, fm, shows);
    if (labels)
        *labels = board.labels();

    painter.save();
    painter.setClipRect(roomClip, Qt::IntersectClip);
    if (range)
        drawMap(painter, f, scene, *range);
    else
        painter.fillRect(f.room, kEmptyFloor);
    painter.restore();
    drawGridAndAxes(painter, f, scene, axes, axisLabels);
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
    }
    painter.setPen(QPen(kWall, 0.15 * f.unit));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(f.room);
    if (drawn) {
        for (const Dimension& d : steps)
            drawDimension(painter, f, d);
        drawSpeakers(painter, f, scene, symbols);
        if (worst)
            drawWorstPoint(painter, f, scene, *worst);
    }
    painter.restore();
    if (drawn)
        drawLegend(painter, f, scene, range);
    if (scene.stale)
        painter.fillRect(target, QColor(255, 255, 255, 120));
    painter.restore();
}

} // namespace pa
