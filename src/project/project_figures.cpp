#include "project/project_figures.h"

#include "core/numbers.h"
#include "core/parameters.h"
#include "data/catalogue.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <mutex>
#include <thread>

namespace pa::project {

namespace {

std::string inQuotes(std::string_view name) {
    return "«" + std::string(name) + "»";
}

double lossOf(double impedance, double resistance) {
    return 20 * std::log10((impedance + resistance) / impedance);
}

// Both conductors of the loop.
double loopResistance(const Line& line, double section) {
    return 2 * kResistivity.at(static_cast<std::size_t>(line.conductor)) * line.cableLength /
           section;
}

// Everything a room's figures depend on, and nothing else.
std::string cacheKey(const Room& room, const FigureOptions& options) {
    std::string key;
    const auto add = [&](std::string_view part) {
        key += std::to_string(part.size());
        key += ':';
        key += part;
    };
    const auto addNumber = [&](double value) {
        add(std::string_view(reinterpret_cast<const char*>(&value), sizeof value));
    };
    for (const std::string* text : {&room.power, &room.sensitivity, &room.directivity, &room.noise,
                                    &room.length, &room.width, &room.height})
        add(*text);
    add(options.decimalSeparator);
    for (const double number :
         {room.listenHeight, room.overlap, static_cast<double>(room.gradation),
          static_cast<double>(room.type), static_cast<double>(room.method),
          static_cast<double>(room.oneWall), options.levels ? 1.0 : 0.0})
        addNumber(number);
    if (room.positions) {
        add("positions");
        for (const plan::Speaker& s : *room.positions) {
            addNumber(s.x);
            addNumber(s.y);
            addNumber(static_cast<double>(s.wall));
        }
    }
    return key;
}

// A record field as a number: some keep the text the way it was typed.
double numberOf(const RecordValue& value) {
    return value.isText() ? parseNumber(value.text(), ".").value_or(0) : value.number();
}

} // namespace

CalculationRecord roomRecord(const Room& room, CoverageOutcome& outcome,
                             std::string_view decimalSeparator) {
    // The lists' picks as the window's handlers leave them in the record.
    CalculationRecord record;
    applyStartValues(record);
    applyTypeDefault(record, room.type);
    applyDirectivity(record, room.directivity);
    record.OverlapLevel = room.overlap;
    record.ListenHeight = room.listenHeight;
    const CoverageInputs inputs{
        room.power,  room.sensitivity, room.noise,     room.height,
        room.length, room.width,       room.gradation, room.type == SpeakerType::Ceiling};
    outcome = calculateCoverage(inputs, record, decimalSeparator);
    return record;
}

RoomFigures roomFigures(const Room& room, std::string_view decimalSeparator, bool levels) {
    RoomFigures out;
    CoverageOutcome outcome;
    out.record = roomRecord(room, outcome, decimalSeparator);
    if (outcome.stop) {
        out.reason = outcome.stop->message;
        return out;
    }
    plan::PlanCheck check = plan::planInputsOrReason(out.record, room.type, decimalSeparator);
    if (!check.inputs) {
        out.reason = std::move(check.reason);
        return out;
    }
    out.inputs = check.inputs;
    out.speakers =
        room.positions ? *room.positions : plan::layOut(*out.inputs, room.method, room.oneWall);
    out.figures = levels ? plan::figures(*out.inputs, out.speakers)
                         : plan::figuresFromMap(*out.inputs, out.speakers, {});
    return out;
}

LineFigures lineFigures(const Line& line, double totalWatts, std::size_t rooms,
                        std::string_view decimalSeparator) {
    LineFigures out;
    out.rooms = rooms;
    out.totalWatts = totalWatts;
    out.amplifierWatts = totalWatts * (1 + line.amplifierMargin);
    const std::string name = inQuotes(line.name.empty() ? line.id : line.name);
    if (rooms == 0)
        out.notes.push_back("К линии " + name + " не подключено ни одного помещения");
    if (!(line.crossSection > 0)) {
        out.notes.push_back("У линии " + name +
                            " не задано сечение кабеля (0 мм²): потери в ней не рассчитаны");
    } else {
        out.resistance = loopResistance(line, line.crossSection);
    }
    if (!(totalWatts > 0)) {
        if (rooms != 0)
            out.notes.push_back("Линия " + name +
                                " не несет нагрузки: ни одно ее помещение не "
                                "рассчитано");
        return out;
    }
    const double voltage = line.voltage;
    out.impedance = voltage * voltage / totalWatts;
    for (const double section : kStandardSections) {
        if (lossOf(*out.impedance, loopResistance(line, section)) <= kLossWarnDb) {
            out.smallestSection = section;
            break;
        }
    }
    if (!out.resistance)
        return out;
    out.lossDb = lossOf(*out.impedance, *out.resistance);
    const auto db = [&](double v) {
        std::string text = plan::fixedText(v, 2, decimalSeparator);
        return text + " дБ";
    };
    if (*out.lossDb > kLossFailDb) {
        out.check = LossCheck::Failure;
        out.notes.push_back("Потери в линии " + name + " " + db(*out.lossDb) + " — больше " +
                            db(kLossFailDb) + ": нужен кабель большего сечения или линия короче");
    } else if (*out.lossDb > kLossWarnDb) {
        out.check = LossCheck::Warning;
        out.notes.push_back("Потери в линии " + name + " " + db(*out.lossDb) + " — больше " +
                            db(kLossWarnDb));
    } else {
        out.check = LossCheck::Ok;
    }
    if (!out.smallestSection)
        out.notes.push_back("Для линии " + name +
                            " даже сечение 6 мм² не удерживает потери в пределах " +
                            db(kLossWarnDb));
    return out;
}

std::vector<BillRow> billOfMaterials(const Project& project,
                                     const std::vector<RoomFigures>& rooms) {
    std::vector<BillRow> bill;
    for (std::size_t i = 0; i < rooms.size() && i < project.rooms.size(); ++i) {
        const RoomFigures& figures = rooms[i];
        if (!figures.calculated() || figures.speakers.empty())
            continue;
        // Manual entries are different loudspeakers whenever their figures differ.
        const bool manual = project.rooms[i].model == kOtherItem;
        // A ceiling loudspeaker and a horn typed with the same figures are different products.
        BillRow row{project.rooms[i].model, manual ? numberOf(figures.record.SpeakerPower) : 0,
                    manual ? numberOf(figures.record.SpeakerSpl) : 0, 0, project.rooms[i].type};
        auto found = std::find_if(bill.begin(), bill.end(), [&](const BillRow& r) {
            return r.model == row.model && r.power == row.power &&
                   r.sensitivity == row.sensitivity && (!manual || r.type == row.type);
        });
        if (found == bill.end())
            found = bill.insert(bill.end(), row);
        found->count += figures.speakers.size();
        found->watts += figures.figures.totalWatts;
    }
    return bill;
}

std::optional<RoomFigures> FiguresCache::find(const std::string& key) const {
    const std::lock_guard lock(mutex_);
    const auto found = rooms_.find(key);
    if (found == rooms_.end())
        return std::nullopt;
    found->second.used = true;
    return found->second.figures;
}

void FiguresCache::keep(const std::string& key, const RoomFigures& figures) {
    const std::lock_guard lock(mutex_);
    rooms_[key] = {figures, true};
}

void FiguresCache::forgetUnused() {
    const std::lock_guard lock(mutex_);
    std::erase_if(rooms_, [](const auto& entry) { return !entry.second.used; });
    for (auto& entry : rooms_)
        entry.second.used = false;
}

ProjectFigures projectFigures(const Project& project, const FigureOptions& options) {
    ProjectFigures out;
    out.rooms.resize(project.rooms.size());
    const std::string_view decimalSeparator = options.decimalSeparator;
    unsigned threads = options.threads;
    if (threads == 0)
        threads = std::max(1U, std::thread::hardware_concurrency());
    threads = std::min<std::size_t>(threads, std::max<std::size_t>(1, project.rooms.size()));
    // Rooms go to whichever thread is free next: their costs differ by thousands.
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> done{0};
    std::atomic<bool> stopped{false};
    std::vector<char> pending(options.keptOnly ? project.rooms.size() : 0, 0);
    std::exception_ptr failure;
    std::mutex failureMutex;
    const auto work = [&] {
        try {
            for (std::size_t i = next++; i < project.rooms.size(); i = next++) {
                const Room& room = project.rooms[i];
                if (options.cache == nullptr) {
                    out.rooms[i] = roomFigures(room, decimalSeparator, options.levels);
                } else {
                    const std::string key = cacheKey(room, options);
                    std::optional<RoomFigures> kept = options.cache->find(key);
                    if (!kept && options.keptOnly && options.levels) {
                        kept = roomFigures(room, decimalSeparator, false);
                        pending[i] = 1;
                    } else if (!kept) {
                        kept = roomFigures(room, decimalSeparator, options.levels);
                        options.cache->keep(key, *kept);
                    }
                    out.rooms[i] = std::move(*kept);
                }
                if (options.progress && !options.progress(++done, project.rooms.size())) {
                    stopped = true;
                    next = project.rooms.size();
                }
            }
        } catch (...) {
            const std::lock_guard lock(failureMutex);
            failure = std::current_exception();
            next = project.rooms.size();
        }
    };
    {
        std::vector<std::jthread> helpers;
        for (unsigned i = 1; i < threads; ++i) {
            try {
                helpers.emplace_back(work);
            } catch (const std::system_error&) {
                break; // this thread does the rest
            }
        }
        work();
    }
    if (failure)
        std::rethrow_exception(failure);
    out.stopped = stopped;
    // A stopped computation or one that left rooms to compute did not ask for every room it
    // will: nothing is forgotten yet.
    if (options.cache != nullptr && !stopped && !options.keptOnly)
        options.cache->forgetUnused();
    for (std::size_t i = 0; i < pending.size(); ++i) {
        if (!pending[i])
            continue;
        out.pending.push_back(i);
        const RoomFigures& f = out.rooms[i];
        if (f.calculated()) {
            const plan::Grid grid = plan::figureGrid(f.inputs->length, f.inputs->width);
            out.pendingWork += static_cast<double>(f.speakers.size()) * grid.columns * grid.rows;
        }
    }

    std::vector<double> lineWatts(project.lines.size(), 0);
    std::vector<std::size_t> lineRooms(project.lines.size(), 0);
    for (std::size_t i = 0; i < project.rooms.size(); ++i) {
        const Room& room = project.rooms[i];
        const RoomFigures& figures = out.rooms[i];
        const std::string name = inQuotes(room.name);
        if (!figures.calculated())
            out.notes.push_back("Помещение " + name + " не рассчитано: " + figures.reason);
        const double watts = figures.calculated() ? figures.figures.totalWatts : 0;
        out.totalWatts += watts;
        if (room.line.empty()) {
            out.notes.push_back("Помещение " + name + " не подключено ни к одной линии");
            continue;
        }
        const auto line = std::find_if(project.lines.begin(), project.lines.end(),
                                       [&](const Line& l) { return l.id == room.line; });
        if (line == project.lines.end()) {
            out.notes.push_back("Помещение " + name + " подключено к линии " + inQuotes(room.line) +
                                ", которой нет в проекте");
            continue;
        }
        const auto at = static_cast<std::size_t>(line - project.lines.begin());
        lineWatts[at] += watts;
        ++lineRooms[at];
    }
    for (std::size_t i = 0; i < project.lines.size(); ++i)
        out.lines.push_back(
            lineFigures(project.lines[i], lineWatts[i], lineRooms[i], decimalSeparator));
    out.bill = billOfMaterials(project, out.rooms);
    return out;
}

} // namespace pa::project
