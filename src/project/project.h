#pragma once

#include "core/speaker_type.h"
#include "plan/plan.h"
#include "plan/room_setup.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A building rather than a room: many rooms, the lines that feed them, and what the file keeps
// of each. Standard C++ only; a window fills and shows these.
namespace pa::project {

// Keys a newer program wrote that this one does not know, kept to be written back.
using Unknown = nlohmann::ordered_json;

// What the line's conductor is made of.
enum class Conductor { Copper, Aluminium };

// nlohmann's destructor frees nested values through a vector of its own, which the check takes
// for a throw; an allocation failing while memory is freed ends the program in any case.
// NOLINTNEXTLINE(bugprone-exception-escape)
struct Line {
    std::string id; // what rooms name to be wired to it; unique in the project
    std::string name;
    int voltage = 100;         // V: 100 or 70
    double cableLength = 0;    // m, one way
    double crossSection = 1.5; // mm², one conductor
    Conductor conductor = Conductor::Copper;
    double amplifierMargin = 0.2; // the amplifier's reserve over the line's power, 0.2 = 20 %
    Unknown unknown;              // null or an object

    friend bool operator==(const Line&, const Line&) = default;
};

// One room: the main window's inputs as its fields and lists hold them, so that the window can
// be filled again exactly and the calculation run again on them.
struct Room {
    std::string name;
    std::string floor;       // floor or zone
    std::string model;       // the model list's text
    std::string power;       // TxtPv
    std::string sensitivity; // TxtPd
    SpeakerType type = SpeakerType::Ceiling;
    std::string directivity = "90"; // the directivity list's text
    std::string roomType;           // the room list's text
    std::string noise;              // TxtN
    std::string length;             // TxtL
    std::string width;              // TxtW
    std::string height;             // TxtH
    double listenHeight = 150;      // cm, as the record keeps the list's pick
    int gradation = 1;              // 1..3, 0 when none is selected
    double overlap = 10;            // dB, as the record keeps the list's pick
    plan::Method method = plan::Method::ByCount;
    plan::Wall oneWall = plan::Wall::Near; // where OneWall hangs them
    // The loudspeakers where they were moved by hand; none while the method places them.
    std::optional<std::vector<plan::Speaker>> positions;
    std::string line; // the id of the line it is wired to; empty when none
    // The room around the plan, as its plan window left it; none opens as the room a new plan
    // starts with, so that a room never shows the acoustics of the one opened before it.
    std::optional<plan::RoomSetup> acoustics;
    Unknown unknown;          // null or an object
    Unknown acousticsUnknown; // of the acoustics object, likewise

    friend bool operator==(const Room&, const Room&) = default;
};

// NOLINTNEXTLINE(bugprone-exception-escape): as Line
struct Project {
    std::string name;
    std::string objectName;
    std::string address;
    std::string author;
    std::vector<Room> rooms;
    std::vector<Line> lines;
    Unknown unknown; // null or an object

    friend bool operator==(const Project&, const Project&) = default;

    // The line with this id, or nullptr.
    const Line* line(std::string_view id) const;
};

} // namespace pa::project
