#include "project/project_file.h"

#include "io/atomic_file.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace pa::project {

namespace {

using Json = nlohmann::ordered_json;

// A fault found while reading: the message names where and what.
struct Fault {
    std::string message;
};

template <typename E> struct Named {
    E value;
    std::string_view key;
};

constexpr std::array<Named<SpeakerType>, 3> kTypes{
    {{SpeakerType::Ceiling, "ceiling"}, {SpeakerType::Wall, "wall"}, {SpeakerType::Horn, "horn"}}};
constexpr std::array<Named<plan::Method>, 5> kMethods{
    {{plan::Method::ByCount, "byCount"},
     {plan::Method::EdgeToEdge, "edgeToEdge"},
     {plan::Method::MinimumOverlap, "minimumOverlap"},
     {plan::Method::EdgeToCentre, "edgeToCentre"},
     {plan::Method::OneWall, "oneWall"}}};
constexpr std::array<Named<plan::Wall>, 2> kWalls{
    {{plan::Wall::Near, "near"}, {plan::Wall::Far, "far"}}};
constexpr std::array<Named<Conductor>, 2> kConductors{
    {{Conductor::Copper, "copper"}, {Conductor::Aluminium, "aluminium"}}};
constexpr std::array<int, 2> kVoltages{100, 70};

// Wide enough for any room a calculation takes (sides up to 10 km), and for hand moves past
// its walls.
constexpr double kMaxCoordinate = 1e5;
constexpr double kMaxListenHeight = 10'000; // cm
constexpr double kMaxOverlap = 1'000;       // dB
constexpr int kMaxGradation = 3;
constexpr double kMaxCableLength = 100'000; // m
constexpr double kMaxCrossSection = 1'000;  // mm²
constexpr double kMaxMargin = 10;
// Wide enough for anything the plan's panel takes; what the panel refuses it says when shown.
constexpr double kMaxRoomHeight = 1e6;  // m
constexpr double kMaxBandValue = 1'000; // s or dB
constexpr int kMaxPeople = 1'000'000;

template <typename E, std::size_t N>
std::string_view keyOf(const std::array<Named<E>, N>& table, E value) {
    for (const auto& entry : table)
        if (entry.value == value)
            return entry.key;
    return table.front().key;
}

// A limit as a message shows it, with the decimal comma.
std::string shown(double value) {
    std::string text = Json(value).dump();
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

// Reads the keys of one JSON object, each at most once, and keeps the others.
class Fields {
public:
    Fields(const Json& object, std::string where) : where_(std::move(where)) {
        if (!object.is_object())
            throw Fault{where_ + ": ожидается объект"};
        object_ = &object;
    }

    const Json* find(std::string_view key) {
        taken_.push_back(key);
        const auto found = object_->find(key);
        return found == object_->end() ? nullptr : &*found;
    }

    [[noreturn]] void fail(std::string_view key, std::string_view what) const {
        throw Fault{where_ + ", поле «" + std::string(key) + "»: " + std::string(what)};
    }

    std::string text(std::string_view key, std::size_t maxBytes) {
        const Json* value = find(key);
        if (value == nullptr)
            return {};
        if (!value->is_string())
            fail(key, "ожидается текст");
        const auto& text = value->get_ref<const std::string&>();
        if (text.size() > maxBytes)
            fail(key, "слишком длинный текст (" + std::to_string(text.size()) +
                          " байт, допускается не более " + std::to_string(maxBytes) + ")");
        return text;
    }

    // A number as the window's numeric fields let it be typed: digits and the point.
    std::string numberText(std::string_view key, std::string fallback) {
        if (object_->find(key) == object_->end()) {
            taken_.push_back(key);
            return fallback;
        }
        std::string value = text(key, kMaxNumberTextBytes);
        if (value.find_first_not_of("0123456789.") != std::string::npos)
            fail(key, "допускаются только цифры и точка, а записано «" + value + "»");
        return value;
    }

    double real(std::string_view key, double low, double high, double fallback) {
        const Json* value = find(key);
        if (value == nullptr)
            return fallback;
        if (!value->is_number())
            fail(key, "ожидается число");
        const double number = value->get<double>();
        if (!(number >= low && number <= high))
            fail(key,
                 "число вне допустимых пределов (от " + shown(low) + " до " + shown(high) + ")");
        return number;
    }

    int integer(std::string_view key, int low, int high, int fallback) {
        const Json* value = find(key);
        if (value == nullptr)
            return fallback;
        if (!value->is_number_integer())
            fail(key, "ожидается целое число");
        const auto number = value->get<std::int64_t>();
        if (number < low || number > high)
            fail(key, "число вне допустимых пределов (от " + std::to_string(low) + " до " +
                          std::to_string(high) + ")");
        return static_cast<int>(number);
    }

    template <typename E, std::size_t N>
    E choice(std::string_view key, const std::array<Named<E>, N>& table, E fallback) {
        const Json* value = find(key);
        if (value == nullptr)
            return fallback;
        if (value->is_string())
            for (const auto& entry : table)
                if (entry.key == value->get_ref<const std::string&>())
                    return entry.value;
        std::string allowed;
        for (const auto& entry : table)
            allowed += (allowed.empty() ? "" : ", ") + std::string(entry.key);
        fail(key, "допускается одно из: " + allowed);
    }

    const Json& array(std::string_view key, std::size_t maxSize, std::string_view items) {
        static const Json kEmpty = Json::array();
        const Json* value = find(key);
        if (value == nullptr)
            return kEmpty;
        if (!value->is_array())
            fail(key, "ожидается список");
        if (value->size() > maxSize)
            fail(key, "слишком много " + std::string(items) + " (" + std::to_string(value->size()) +
                          ", допускается не более " + std::to_string(maxSize) + ")");
        return *value;
    }

    bool flag(std::string_view key, bool fallback) {
        const Json* value = find(key);
        if (value == nullptr)
            return fallback;
        if (!value->is_boolean())
            fail(key, "ожидается true или false");
        return value->get<bool>();
    }

    bool has(std::string_view key) const { return object_->find(key) != object_->end(); }

    // Every key not read, to be written back as it came.
    Unknown rest() const {
        // Null when there is nothing, as in an object the program made itself.
        Unknown out;
        for (const auto& [key, value] : object_->items())
            if (std::find(taken_.begin(), taken_.end(), key) == taken_.end())
                out[key] = value;
        return out;
    }

private:
    const Json* object_ = nullptr;
    std::string where_;
    std::vector<std::string_view> taken_;
};

std::string roomWhere(std::size_t index) {
    return "Помещение " + std::to_string(index + 1);
}
std::string lineWhere(std::size_t index) {
    return "Линия " + std::to_string(index + 1);
}

Line readLine(const Json& json, std::size_t index) {
    Fields f(json, lineWhere(index));
    Line line;
    line.id = f.text("id", kMaxNameBytes);
    if (line.id.empty())
        f.fail("id", "у линии должен быть непустой идентификатор");
    line.name = f.text("name", kMaxNameBytes);
    line.voltage = f.integer("voltage", 0, 1000, line.voltage);
    if (std::find(kVoltages.begin(), kVoltages.end(), line.voltage) == kVoltages.end())
        f.fail("voltage", "напряжение линии 100 или 70 В");
    line.cableLength = f.real("cableLength", 0, kMaxCableLength, line.cableLength);
    line.crossSection = f.real("crossSection", 0, kMaxCrossSection, line.crossSection);
    line.conductor = f.choice("conductor", kConductors, line.conductor);
    line.amplifierMargin = f.real("amplifierMargin", 0, kMaxMargin, line.amplifierMargin);
    line.unknown = f.rest();
    return line;
}

std::vector<plan::Speaker> readPositions(Fields& f, const Json& list, SpeakerType type) {
    std::vector<plan::Speaker> out;
    out.reserve(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        const Json& item = list[i];
        const std::string which = "место " + std::to_string(i + 1) + " ";
        const bool wall = type != SpeakerType::Ceiling;
        if (!item.is_array() || item.size() != (wall ? 3U : 2U) || !item[0].is_number() ||
            !item[1].is_number())
            f.fail("positions", which + (wall ? "— ожидается [x, y, \"near\" или \"far\"]"
                                              : "— ожидается [x, y]"));
        plan::Speaker s{item[0].get<double>(), item[1].get<double>(), plan::Wall::None};
        if (!(std::abs(s.x) <= kMaxCoordinate && std::abs(s.y) <= kMaxCoordinate))
            f.fail("positions", which + "— координата вне допустимых пределов (до " +
                                    shown(kMaxCoordinate) + " м)");
        if (wall) {
            const auto* name =
                item[2].is_string() ? &item[2].get_ref<const std::string&>() : nullptr;
            const auto found = std::find_if(kWalls.begin(), kWalls.end(), [&](const auto& e) {
                return name != nullptr && e.key == *name;
            });
            if (found == kWalls.end())
                f.fail("positions", which + "— стена \"near\" или \"far\"");
            s.wall = found->value;
        }
        out.push_back(s);
    }
    return out;
}

std::optional<plan::Bands> readBands(Fields& f, std::string_view key, double low) {
    if (!f.has(key))
        return std::nullopt;
    const Json& list = f.array(key, plan::kBands, "октав");
    if (list.size() != plan::kBands)
        f.fail(key, "ожидается " + std::to_string(plan::kBands) + " чисел, по одному на октаву");
    plan::Bands bands{};
    for (std::size_t i = 0; i < plan::kBands; ++i) {
        if (!list[i].is_number() || !(list[i].get<double>() >= low) ||
            !(list[i].get<double>() <= kMaxBandValue))
            f.fail(key, "октава " + std::to_string(plan::kBandHz.at(i)) +
                            " Гц — ожидается число от " + shown(low) + " до " +
                            shown(kMaxBandValue));
        bands.at(i) = list[i].get<double>();
    }
    return bands;
}

void readAcoustics(const Json& json, std::size_t index, Room& room) {
    Fields f(json, roomWhere(index) + ", акустика");
    plan::RoomSetup setup;
    if (f.has("height"))
        setup.height = f.real("height", 0, kMaxRoomHeight, 0);
    // A finish left out is the one a new room starts with; one the table lacks the panel names.
    for (const auto& [key, finish] :
         {std::pair{"floor", &setup.floor}, std::pair{"ceiling", &setup.ceiling},
          std::pair{"walls", &setup.walls}})
        if (f.has(key))
            *finish = f.text(key, kMaxNameBytes);
    setup.people = f.integer("people", 0, kMaxPeople, setup.people);
    setup.measured = readBands(f, "measured", 0);
    setup.noise = readBands(f, "noise", -kMaxBandValue);
    setup.sleeping = f.flag("sleeping", setup.sleeping);
    setup.headHeight = f.real("headHeight", 0, kMaxRoomHeight, setup.headHeight);
    room.acoustics = std::move(setup);
    room.acousticsUnknown = f.rest();
}

Room readRoom(const Json& json, std::size_t index) {
    Fields f(json, roomWhere(index));
    Room room;
    room.name = f.text("name", kMaxNameBytes);
    room.floor = f.text("floor", kMaxNameBytes);
    room.model = f.text("model", kMaxNameBytes);
    room.power = f.numberText("power", room.power);
    room.sensitivity = f.numberText("sensitivity", room.sensitivity);
    room.type = f.choice("type", kTypes, room.type);
    room.directivity = f.numberText("directivity", room.directivity);
    room.roomType = f.text("roomType", kMaxNameBytes);
    room.noise = f.numberText("noise", room.noise);
    room.length = f.numberText("length", room.length);
    room.width = f.numberText("width", room.width);
    room.height = f.numberText("height", room.height);
    room.listenHeight = f.real("listenHeight", 0, kMaxListenHeight, room.listenHeight);
    room.gradation = f.integer("gradation", 0, kMaxGradation, room.gradation);
    room.overlap = f.real("overlap", 0, kMaxOverlap, room.overlap);
    room.method = f.choice("method", kMethods, room.method);
    room.oneWall = f.choice("wall", kWalls, room.oneWall);
    if (f.has("positions"))
        room.positions = readPositions(
            f, f.array("positions", plan::kMaxDrawnSpeakers, "громкоговорителей"), room.type);
    room.line = f.text("line", kMaxNameBytes);
    if (const Json* acoustics = f.find("acoustics"))
        readAcoustics(*acoustics, index, room);
    room.unknown = f.rest();
    return room;
}

Project readProjectJson(const Json& json) {
    Fields f(json, "Файл");
    const Json* format = f.find("format");
    if (format == nullptr)
        throw Fault{"В файле нет номера формата («format»): это не файл проекта"};
    if (!format->is_number_integer() || format->get<std::int64_t>() < 1)
        throw Fault{"Номер формата («format») должен быть целым числом от 1"};
    if (format->get<std::int64_t>() > kFormat)
        throw Fault{"Файл записан более новой версией программы (формат " +
                    std::to_string(format->get<std::int64_t>()) +
                    "); эта версия читает файлы формата не выше " + std::to_string(kFormat)};
    Project project;
    project.name = f.text("name", kMaxNameBytes);
    project.objectName = f.text("objectName", kMaxNameBytes);
    project.address = f.text("address", kMaxNameBytes);
    project.author = f.text("author", kMaxNameBytes);
    const Json& lines = f.array("lines", kMaxLines, "линий");
    project.lines.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        project.lines.push_back(readLine(lines[i], i));
        for (std::size_t j = 0; j < i; ++j)
            if (project.lines[j].id == project.lines[i].id)
                throw Fault{lineWhere(i) + ": идентификатор «" + project.lines[i].id +
                            "» уже есть у линии " + std::to_string(j + 1)};
    }
    const Json& rooms = f.array("rooms", kMaxRooms, "помещений");
    project.rooms.reserve(rooms.size());
    for (std::size_t i = 0; i < rooms.size(); ++i) {
        Room room = readRoom(rooms[i], i);
        if (!room.line.empty() && project.line(room.line) == nullptr)
            throw Fault{roomWhere(i) + " подключено к линии «" + room.line +
                        "», которой нет в проекте"};
        project.rooms.push_back(std::move(room));
    }
    project.unknown = f.rest();
    return project;
}

// Known keys first, in a fixed order, then what a newer program wrote.
void appendUnknown(Json& out, const Unknown& unknown) {
    if (!unknown.is_object())
        return;
    for (const auto& [key, value] : unknown.items())
        if (!out.contains(key))
            out[key] = value;
}

Json toJson(const Line& line) {
    Json out = Json::object();
    out["id"] = line.id;
    out["name"] = line.name;
    out["voltage"] = line.voltage;
    out["cableLength"] = line.cableLength;
    out["crossSection"] = line.crossSection;
    out["conductor"] = keyOf(kConductors, line.conductor);
    out["amplifierMargin"] = line.amplifierMargin;
    appendUnknown(out, line.unknown);
    return out;
}

Json toJson(const Room& room) {
    Json out = Json::object();
    out["name"] = room.name;
    out["floor"] = room.floor;
    out["model"] = room.model;
    out["power"] = room.power;
    out["sensitivity"] = room.sensitivity;
    out["type"] = keyOf(kTypes, room.type);
    out["directivity"] = room.directivity;
    out["roomType"] = room.roomType;
    out["noise"] = room.noise;
    out["length"] = room.length;
    out["width"] = room.width;
    out["height"] = room.height;
    out["listenHeight"] = room.listenHeight;
    out["gradation"] = room.gradation;
    out["overlap"] = room.overlap;
    out["method"] = keyOf(kMethods, room.method);
    out["wall"] = keyOf(kWalls, room.oneWall);
    if (room.positions) {
        Json list = Json::array();
        for (const plan::Speaker& s : *room.positions) {
            Json item = Json::array({s.x, s.y});
            if (s.wall != plan::Wall::None)
                item.push_back(keyOf(kWalls, s.wall));
            list.push_back(std::move(item));
        }
        out["positions"] = std::move(list);
    }
    out["line"] = room.line;
    if (room.acoustics) {
        const plan::RoomSetup& a = *room.acoustics;
        Json acoustics = Json::object();
        if (a.height)
            acoustics["height"] = *a.height;
        acoustics["floor"] = a.floor;
        acoustics["ceiling"] = a.ceiling;
        acoustics["walls"] = a.walls;
        acoustics["people"] = a.people;
        for (const auto& [key, bands] : {std::pair{"measured", &a.measured}, {"noise", &a.noise}})
            if (*bands)
                acoustics[key] = Json(**bands);
        acoustics["sleeping"] = a.sleeping;
        acoustics["headHeight"] = a.headHeight;
        appendUnknown(acoustics, room.acousticsUnknown);
        out["acoustics"] = std::move(acoustics);
    }
    appendUnknown(out, room.unknown);
    return out;
}

Json toJson(const Project& project) {
    Json out = Json::object();
    out["format"] = kFormat;
    out["name"] = project.name;
    out["objectName"] = project.objectName;
    out["address"] = project.address;
    out["author"] = project.author;
    Json lines = Json::array();
    for (const Line& line : project.lines)
        lines.push_back(toJson(line));
    out["lines"] = std::move(lines);
    Json rooms = Json::array();
    for (const Room& room : project.rooms)
        rooms.push_back(toJson(room));
    out["rooms"] = std::move(rooms);
    appendUnknown(out, project.unknown);
    return out;
}

// The parser keeps its own stack, but writing back and freeing go by recursion: a file nested
// deeper than any project is refused before it is parsed.
bool nestedTooDeep(std::string_view bytes) {
    int depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > kMaxNesting)
                return true;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return false;
}

// Why the file could not be read, for the usual causes in Russian.
std::string readingError(int errnoValue) {
    switch (errnoValue) {
    case ENOENT:
        return "Файл не найден";
    case EACCES:
    case EPERM:
        return "Нет прав на чтение файла";
    case EISDIR:
        return "Под этим именем находится папка";
    default:
        return std::strerror(errnoValue);
    }
}

} // namespace

ReadOutcome readProject(std::string_view bytes) {
    if (bytes.find_first_not_of(" \t\r\n") == std::string_view::npos)
        return {std::nullopt, "Файл пуст"};
    if (nestedTooDeep(bytes))
        return {std::nullopt, "Файл поврежден: слишком глубокая вложенность данных"};
    Json json;
    try {
        json = Json::parse(bytes);
    } catch (const Json::parse_error& e) {
        if (e.byte >= bytes.size())
            return {std::nullopt, "Файл обрывается на середине: он записан не полностью или "
                                  "поврежден"};
        return {std::nullopt, "Файл поврежден или не является файлом проекта: ошибка в записи "
                              "данных у байта " +
                                  std::to_string(e.byte)};
    } catch (const Json::out_of_range&) {
        // The parser's way of saying a number does not fit a double.
        return {std::nullopt, "Файл поврежден: в нем есть число вне допустимых пределов"};
    }
    if (!json.is_object())
        return {std::nullopt, "Файл не является файлом проекта"};
    try {
        return {readProjectJson(json), {}};
    } catch (const Fault& fault) {
        return {std::nullopt, fault.message};
    }
}

namespace {

// The file's text of the project and why there is none: a fault the reader would refuse, or a
// text that is not UTF-8 (the dump throws on it).
std::optional<std::string> written(const Project& project, std::string& fault) {
    try {
        const Json json = toJson(project);
        readProjectJson(json);
        std::string text = json.dump();
        text += '\n';
        return text;
    } catch (const Fault& f) {
        fault = f.message;
    } catch (const Json::type_error&) {
        fault = "Текст в проекте не в кодировке UTF-8";
    }
    return std::nullopt;
}

} // namespace

std::string checkProject(const Project& project) {
    std::string fault;
    written(project, fault);
    return fault;
}

std::optional<std::string> writeProject(const Project& project) {
    std::string fault;
    return written(project, fault);
}

ReadOutcome openProject(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {std::nullopt, readingError(errno)};
    struct stat status {};
    std::string bytes;
    int error = 0;
    if (::fstat(fd, &status) != 0) {
        error = errno;
    } else if (!S_ISREG(status.st_mode)) {
        error = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
    } else if (static_cast<std::size_t>(status.st_size) > kMaxFileBytes) {
        ::close(fd);
        return {std::nullopt, "Файл слишком велик для файла проекта"};
    } else {
        bytes.resize(static_cast<std::size_t>(status.st_size));
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                error = errno;
                break;
            }
            if (got == 0)
                break;
            done += static_cast<std::size_t>(got);
        }
        bytes.resize(done);
    }
    ::close(fd);
    if (error == EINVAL)
        return {std::nullopt, "Под этим именем находится не обычный файл"};
    if (error != 0)
        return {std::nullopt, readingError(error)};
    return readProject(bytes);
}

std::string saveProject(const std::string& path, const Project& project) {
    std::string fault;
    const std::optional<std::string> bytes = written(project, fault);
    if (!bytes)
        return fault;
    return saveFile(path, *bytes);
}

std::string saveFile(const std::string& path, std::string_view bytes) {
    io::WriteOptions options;
    // A project file is replaced whole; its owner and group stay where the system allows.
    options.keepIdentity = false;
    const io::WriteResult result = io::writeFileAtomically(path, bytes, options);
    // A folder that could not be synced still holds the whole new file.
    if (result.ok() || result.status == io::WriteStatus::FolderNotSynced)
        return {};
    return io::describe(result);
}

} // namespace pa::project
