#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

// Files that are never seen half-written: the new content goes into a temporary file beside the
// target and is renamed over it once it is whole and on disk.
namespace pa::io {

enum class WriteStatus {
    Written,
    // A folder, fifo, socket or device stands under the name (errnoValue is EISDIR for a
    // folder, 0 otherwise). Nothing was touched.
    NotRegularFile,
    // The file is read-only (no write permission for anyone, or none for us); errnoValue says
    // why. Nothing was touched.
    ReadOnly,
    // The file has other hard links, or an owner or group a new file of ours would not have;
    // a new file in its place would lose them. Nothing was touched.
    KeepsIdentity,
    // The folder takes no new file (EACCES, EPERM or EROFS on making the temporary file). The
    // file itself may still take new content in place; the caller decides.
    FolderClosed,
    // The temporary file could not be made for another reason (errnoValue says which).
    NoTemporaryFile,
    // Writing, syncing or renaming failed; the temporary file is gone, the target as it was.
    WriteFailed,
    // The link at path could not be followed (a loop, a name too long).
    BadPath,
    // The new file is in place, but the folder could not be synced: a power cut may still
    // bring back the old one.
    FolderNotSynced,
};

struct WriteResult {
    WriteStatus status = WriteStatus::Written;
    int errnoValue = 0;
    std::string target; // the file meant, symbolic links followed
    bool existed = false;

    bool ok() const { return status == WriteStatus::Written; }
};

// The steps of a save, for a test that stops a save between any two of them.
enum class SavePoint { Created, Wrote, Synced, Renamed, FolderSynced };

struct WriteOptions {
    // Refuse with KeepsIdentity rather than replace a file that shares its content with other
    // names or belongs to someone else. Without it such a file is replaced, keeping its owner
    // and group where the system allows.
    bool keepIdentity = true;
    // Largest single write; 0 writes all at once, as far as the system takes it.
    std::size_t chunk = 0;
    // Temporary files of this target that a stopped save left behind are removed once they are
    // this old; younger ones may belong to a save still running in another process.
    std::chrono::seconds staleAfter{600};
    // Called after each step (each chunk counts as Wrote).
    std::function<void(SavePoint)> onStep;
};

// Writes bytes to path, or to what the symbolic links at path lead to, so that the file on
// disk is at every moment either the old one or the whole new one. The new file keeps the old
// one's permissions, or gets 0666 less the umask.
WriteResult writeFileAtomically(const std::string& path, std::string_view bytes,
                                const WriteOptions& options = {});

// The file that symbolic links at path lead to, also when that does not exist yet; path itself
// when it is no link. Empty with errnoValue set when the links loop or a name is too long.
std::string followLinks(const std::string& path, int& errnoValue);

// Whether name is a temporary file a save of target would make or leave behind.
bool isTemporaryOf(std::string_view target, std::string_view name);

// The Russian reason for the usual error numbers of a failed write; empty for any other.
std::string_view failureText(int errnoValue);

// The reason a write failed, for a message: the Russian text where there is one, otherwise the
// system's.
std::string describe(const WriteResult& result);

} // namespace pa::io
