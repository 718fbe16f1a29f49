#include "plan/dxf.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <numbers>
#include <string_view>

namespace pa::plan {

namespace {

constexpr std::string_view kRoomLayer = "ROOM";
constexpr std::string_view kSpeakerLayer = "SPEAKERS";
constexpr std::string_view kCoverageLayer = "COVERAGE";

// AutoCAD colour index of each layer: white room, red loudspeakers, green coverage.
struct Layer {
    std::string_view name;
    int colour;
};
constexpr std::array<Layer, 4> kLayers{{
    {"0", 7},
    {kRoomLayer, 7},
    {kSpeakerLayer, 1},
    {kCoverageLayer, 3},
}};

constexpr double kLargestFixed = 1e9; // m

// Group codes and values, one per line. Every reader of the trade takes a point as the decimal
// separator whatever its own locale, so numbers never go through a locale.
class DxfText {
public:
    void put(int code, std::string_view value) {
        text_ += std::to_string(code);
        text_ += "\r\n";
        text_ += value;
        text_ += "\r\n";
    }
    void put(int code, int value) { put(code, std::string_view(std::to_string(value))); }
    void put(int code, double value) {
        // Micrometres are finer than any drawing needs; a negative zero would print "-0.0".
        // Beyond a million kilometres no place is real and fixed decimals would run past the
        // 255 characters a value may take, so such a number goes in the shortest exponent form
        // that reads back, as AutoCAD writes its own unset extents. Both forms fit the buffer.
        std::array<char, 32> buffer{};
        const double shown = value == 0 || !std::isfinite(value) ? 0.0 : value;
        const bool exponent = std::abs(shown) >= kLargestFixed;
        const auto [end, error] = exponent
                                      ? std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                                      shown, std::chars_format::scientific)
                                      : std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                                      shown, std::chars_format::fixed, 6);
        std::string number(buffer.data(), end);
        if (exponent) {
            const std::size_t e = number.find('e');
            number[e] = 'E';
            if (number.find('.') == std::string::npos)
                number.insert(e, ".0");
        } else {
            while (number.back() == '0' && number[number.size() - 2] != '.')
                number.pop_back();
        }
        put(code, std::string_view(number));
    }
    void point(int code, double x, double y) {
        put(code, x);
        put(code + 10, y);
        put(code + 20, 0.0);
    }
    void entity(std::string_view type, std::string_view layer) {
        put(0, type);
        put(8, layer);
    }
    std::string take() { return std::move(text_); }

private:
    std::string text_;
};

void header(DxfText& dxf, const PlanInputs& in) {
    dxf.put(0, "SECTION");
    dxf.put(2, "HEADER");
    dxf.put(9, "$ACADVER");
    dxf.put(1, "AC1009");
    // Metres. R12 keeps no unit of its own; later readers take this variable and the rest
    // ignore it.
    dxf.put(9, "$INSUNITS");
    dxf.put(70, 6);
    dxf.put(9, "$EXTMIN");
    dxf.point(10, 0.0, 0.0);
    dxf.put(9, "$EXTMAX");
    dxf.point(10, in.length, in.width);
    dxf.put(9, "$LIMMIN");
    dxf.put(10, 0.0);
    dxf.put(20, 0.0);
    dxf.put(9, "$LIMMAX");
    dxf.put(10, in.length);
    dxf.put(20, in.width);
    dxf.put(0, "ENDSEC");
}

void tables(DxfText& dxf) {
    dxf.put(0, "SECTION");
    dxf.put(2, "TABLES");

    dxf.put(0, "TABLE");
    dxf.put(2, "LTYPE");
    dxf.put(70, 1);
    dxf.put(0, "LTYPE");
    dxf.put(2, "CONTINUOUS");
    dxf.put(70, 0);
    dxf.put(3, "Solid line");
    dxf.put(72, 65);
    dxf.put(73, 0);
    dxf.put(40, 0.0);
    dxf.put(0, "ENDTAB");

    dxf.put(0, "TABLE");
    dxf.put(2, "LAYER");
    dxf.put(70, static_cast<int>(kLayers.size()));
    for (const Layer& layer : kLayers) {
        dxf.put(0, "LAYER");
        dxf.put(2, layer.name);
        dxf.put(70, 0);
        dxf.put(62, layer.colour);
        dxf.put(6, "CONTINUOUS");
    }
    dxf.put(0, "ENDTAB");

    dxf.put(0, "TABLE");
    dxf.put(2, "STYLE");
    dxf.put(70, 1);
    dxf.put(0, "STYLE");
    dxf.put(2, "STANDARD");
    dxf.put(70, 0);
    dxf.put(40, 0.0);
    dxf.put(41, 1.0);
    dxf.put(50, 0.0);
    dxf.put(71, 0);
    dxf.put(42, kDxfTextHeight);
    dxf.put(3, "txt");
    dxf.put(4, "");
    dxf.put(0, "ENDTAB");

    dxf.put(0, "ENDSEC");
}

void roomOutline(DxfText& dxf, const PlanInputs& in) {
    dxf.entity("POLYLINE", kRoomLayer);
    dxf.put(66, 1);
    dxf.point(10, 0.0, 0.0);
    dxf.put(70, 1); // closed
    const std::array<std::array<double, 2>, 4> corners{
        {{0.0, 0.0}, {in.length, 0.0}, {in.length, in.width}, {0.0, in.width}}};
    for (const auto& corner : corners) {
        dxf.entity("VERTEX", kRoomLayer);
        dxf.point(10, corner[0], corner[1]);
    }
    dxf.entity("SEQEND", kRoomLayer);
}

void circle(DxfText& dxf, std::string_view layer, double x, double y, double radius) {
    dxf.entity("CIRCLE", layer);
    dxf.point(10, x, y);
    dxf.put(40, radius);
}

void line(DxfText& dxf, std::string_view layer, double x1, double y1, double x2, double y2) {
    dxf.entity("LINE", layer);
    dxf.point(10, x1, y1);
    dxf.point(11, x2, y2);
}

// A wall or horn loudspeaker covers a sector aimed across the room, perpendicular to its wall.
void sector(DxfText& dxf, const PlanInputs& in, const Speaker& s) {
    const double aim = s.wall == Wall::Far ? 270.0 : 90.0;
    const double half = halfAngleDegrees(in);
    const double from = aim - half;
    const double to = aim + half;
    dxf.entity("ARC", kCoverageLayer);
    dxf.point(10, s.x, s.y);
    dxf.put(40, in.effRange);
    dxf.put(50, from);
    dxf.put(51, to);
    for (const double degrees : {from, to}) {
        const double angle = degrees * std::numbers::pi / 180.0;
        line(dxf, kCoverageLayer, s.x, s.y, s.x + in.effRange * std::cos(angle),
             s.y + in.effRange * std::sin(angle));
    }
}

void speakerEntities(DxfText& dxf, const PlanInputs& in, const std::vector<Speaker>& speakers) {
    const double radius = coverageRadius(in);
    for (std::size_t i = 0; i < speakers.size(); ++i) {
        const Speaker& s = speakers[i];
        dxf.entity("POINT", kSpeakerLayer);
        dxf.point(10, s.x, s.y);
        circle(dxf, kSpeakerLayer, s.x, s.y, kDxfMarkRadius);
        dxf.entity("TEXT", kSpeakerLayer);
        dxf.point(10, s.x + kDxfMarkRadius, s.y + kDxfMarkRadius);
        dxf.put(40, kDxfTextHeight);
        dxf.put(1, std::string_view(std::to_string(i + 1)));
        if (s.wall == Wall::None)
            circle(dxf, kCoverageLayer, s.x, s.y, radius);
        else
            sector(dxf, in, s);
    }
}

} // namespace

std::string planDxf(const PlanInputs& in, const std::vector<Speaker>& speakers) {
    DxfText dxf;
    header(dxf, in);
    tables(dxf);
    dxf.put(0, "SECTION");
    dxf.put(2, "ENTITIES");
    roomOutline(dxf, in);
    speakerEntities(dxf, in, speakers);
    dxf.put(0, "ENDSEC");
    dxf.put(0, "EOF");
    return dxf.take();
}

} // namespace pa::plan
