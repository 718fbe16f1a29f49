#pragma once

#include "project/project.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The project file: JSON in UTF-8 with a format number. A file reads whole or not at all, and a
// save never leaves it half-written.
namespace pa::project {

inline constexpr int kFormat = 1;
inline constexpr std::string_view kExtension = ".pacov";

// What a file may hold; anything beyond is taken for a damaged file, not a building.
inline constexpr std::size_t kMaxRooms = 10'000;
inline constexpr std::size_t kMaxLines = 1'000;
inline constexpr std::size_t kMaxNameBytes = 1'000;
inline constexpr std::size_t kMaxNumberTextBytes = 64;
inline constexpr std::size_t kMaxFileBytes = 256U << 20U;
inline constexpr int kMaxNesting = 64;

struct ReadOutcome {
    std::optional<Project> project;
    // Why there is none: one Russian sentence naming what is wrong; the caller adds the file's
    // name.
    std::string error;
};

// The project in a file's bytes. Keys this program does not know are kept in each object's
// `unknown`.
ReadOutcome readProject(std::string_view bytes);

// Why the project could not be written as a file that reads back, or empty when it can: the
// same limits the reader holds a file to.
std::string checkProject(const Project& project);

// The file's bytes; nothing when checkProject finds a fault.
std::optional<std::string> writeProject(const Project& project);

// Reads the file at path.
ReadOutcome openProject(const std::string& path);

// Saves the project to path through a temporary file renamed over it, so that the file is
// always the old or the new one. Returns the reason in Russian when it did not, or empty.
std::string saveProject(const std::string& path, const Project& project);

// Writes the bytes of a file the project makes (the project itself, its documents) to path the
// same way: the file is always the old or the new one. The reason in Russian, or empty.
std::string saveFile(const std::string& path, std::string_view bytes);

} // namespace pa::project
