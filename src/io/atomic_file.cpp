#include "io/atomic_file.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace pa::io {

namespace {

// The system allows this many links in a row before it calls it a loop.
constexpr int kMaxLinks = 40;
// The part of a temporary file's name that marks it as ours.
constexpr std::string_view kTemporaryMark = ".pa-save-";
// Names are cut to this many bytes of the target's name so that the temporary name stays
// within the system's 255.
constexpr std::size_t kNameKept = 200;
constexpr int kRandomDigits = 8;
constexpr int kNameAttempts = 100;

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string temporaryPrefix(std::string_view name) {
    return "." + std::string(name.substr(0, kNameKept)) + std::string(kTemporaryMark);
}

std::string randomDigits() {
    static constexpr std::string_view kDigits = "0123456789abcdefghijklmnopqrstuvwxyz";
    thread_local std::mt19937_64 engine{std::random_device{}() ^
                                        static_cast<std::uint64_t>(getpid())};
    std::uniform_int_distribution<std::size_t> pick(0, kDigits.size() - 1);
    std::string out;
    for (int i = 0; i < kRandomDigits; ++i)
        out += kDigits[pick(engine)];
    return out;
}

// Calls that the system may break off for a signal are simply repeated.
template <typename F> auto retried(F&& call) {
    for (;;) {
        const auto result = call();
        if (result >= 0 || errno != EINTR)
            return result;
    }
}

bool writeAllBytes(int fd, std::string_view bytes, const WriteOptions& options) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        std::size_t piece = bytes.size() - done;
        if (options.chunk != 0)
            piece = std::min(piece, options.chunk);
        const ssize_t written = retried([&] { return ::write(fd, bytes.data() + done, piece); });
        if (written < 0)
            return false;
        if (written == 0) {
            // A device that takes nothing and names no error would make this loop forever.
            errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(written);
        if (options.onStep)
            options.onStep(SavePoint::Wrote);
    }
    return true;
}

// A folder's entries are made lasting by syncing the folder itself; some file systems cannot
// sync a folder at all and say EINVAL, which leaves nothing better to do.
bool syncFolder(const std::string& folder) {
    const int fd =
        retried([&] { return ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
    if (fd < 0)
        return false;
    const bool synced = retried([&] { return ::fsync(fd); }) == 0 || errno == EINVAL;
    const int kept = errno;
    ::close(fd);
    errno = kept;
    return synced;
}

// Temporary files of this target that a save stopped short (a crash, a kill) left behind.
void removeStaleTemporaries(const std::string& folder, const std::string& target,
                            std::chrono::seconds staleAfter) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return;
    const std::string name = nameOf(target);
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        if (!isTemporaryOf(name, entry->d_name))
            continue;
        struct stat status {};
        if (::fstatat(::dirfd(dir), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(status.st_mode))
            continue;
        if (now - status.st_mtime >= staleAfter.count())
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

WriteResult failed(WriteResult result, WriteStatus status, int errnoValue) {
    result.status = status;
    result.errnoValue = errnoValue;
    return result;
}

} // namespace

std::string followLinks(const std::string& path, int& errnoValue) {
    errnoValue = 0;
    std::string current = path;
    for (int hop = 0; hop <= kMaxLinks; ++hop) {
        struct stat status {};
        if (::lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            return current;
        std::array<char, PATH_MAX> buffer{};
        const ssize_t size = ::readlink(current.c_str(), buffer.data(), buffer.size());
        if (size < 0) {
            errnoValue = errno;
            return {};
        }
        if (static_cast<std::size_t>(size) >= buffer.size()) {
            errnoValue = ENAMETOOLONG;
            return {};
        }
        std::string next(buffer.data(), static_cast<std::size_t>(size));
        if (next.starts_with('/')) {
            current = std::move(next);
        } else {
            current = folderOf(current);
            current += '/';
            current += next;
        }
    }
    errnoValue = ELOOP;
    return {};
}

bool isTemporaryOf(std::string_view target, std::string_view name) {
    const std::string prefix = temporaryPrefix(target);
    return name.size() == prefix.size() + kRandomDigits && name.starts_with(prefix);
}

WriteResult writeFileAtomically(const std::string& path, std::string_view bytes,
                                const WriteOptions& options) {
    WriteResult result;
    int linkError = 0;
    result.target = followLinks(path, linkError);
    if (linkError != 0)
        return failed(result, WriteStatus::BadPath, linkError);

    struct stat old {};
    result.existed = ::stat(result.target.c_str(), &old) == 0;
    if (result.existed && !S_ISREG(old.st_mode))
        return failed(result, WriteStatus::NotRegularFile, S_ISDIR(old.st_mode) ? EISDIR : 0);
    if (result.existed) {
        // A rename would replace a file that nobody may write; root included, who passes any
        // access check.
        errno = 0;
        if ((old.st_mode & 0222) == 0 || ::access(result.target.c_str(), W_OK) != 0)
            return failed(result, WriteStatus::ReadOnly, errno != 0 ? errno : EACCES);
    }
    const bool sharesIdentity = result.existed && (old.st_nlink > 1 || old.st_uid != ::geteuid() ||
                                                   old.st_gid != ::getegid());
    if (options.keepIdentity && sharesIdentity)
        return failed(result, WriteStatus::KeepsIdentity, 0);

    const std::string folder = folderOf(result.target);
    const std::string prefix = folder + "/" + temporaryPrefix(nameOf(result.target));
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < kNameAttempts && fd < 0; ++attempt) {
        temporary = prefix + randomDigits();
        fd = retried([&] {
            return ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        });
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        const int error = errno;
        const bool closed = error == EACCES || error == EPERM || error == EROFS;
        return failed(result, closed ? WriteStatus::FolderClosed : WriteStatus::NoTemporaryFile,
                      error);
    }
    if (options.onStep)
        options.onStep(SavePoint::Created);

    bool done = true;
    if (result.existed) {
        // Where the system lets us give it away, the old owner keeps the file; where it does
        // not, only keepIdentity = false brought us here.
        if (sharesIdentity && ::fchown(fd, old.st_uid, old.st_gid) != 0)
            errno = 0;
        done = ::fchmod(fd, old.st_mode & 07777) == 0;
    }
    done = done && writeAllBytes(fd, bytes, options);
    done = done && retried([&] { return ::fsync(fd); }) == 0;
    int error = errno;
    if (::close(fd) != 0 && done) {
        done = false;
        error = errno;
    }
    if (done && options.onStep)
        options.onStep(SavePoint::Synced);
    if (done && ::rename(temporary.c_str(), result.target.c_str()) != 0) {
        done = false;
        error = errno;
    }
    if (!done) {
        ::unlink(temporary.c_str());
        return failed(result, WriteStatus::WriteFailed, error);
    }
    if (options.onStep)
        options.onStep(SavePoint::Renamed);
    if (!syncFolder(folder))
        return failed(result, WriteStatus::FolderNotSynced, errno);
    if (options.onStep)
        options.onStep(SavePoint::FolderSynced);
    removeStaleTemporaries(folder, result.target, options.staleAfter);
    return result;
}

std::string_view failureText(int errnoValue) {
    switch (errnoValue) {
    case EACCES:
    case EPERM:
        return "Нет прав на запись";
    case ENOSPC:
        return "Нет места на диске";
    case EFBIG:
        return "Превышен допустимый размер файла";
    case EROFS:
        return "Файловая система доступна только для чтения";
    case EDQUOT:
        return "Превышена дисковая квота";
    case EISDIR:
        return "Под этим именем находится папка";
    case ENOENT:
    case ENOTDIR:
        return "Папка не найдена";
    default:
        return {};
    }
}

std::string describe(const WriteResult& result) {
    switch (result.status) {
    case WriteStatus::Written:
        return {};
    case WriteStatus::NotRegularFile:
        if (result.errnoValue == 0)
            return "Под этим именем находится не обычный файл";
        break;
    case WriteStatus::ReadOnly:
        if (result.errnoValue == EACCES)
            return "Файл доступен только для чтения";
        break;
    case WriteStatus::KeepsIdentity:
        return "У файла есть другие имена (жесткие ссылки) или другой владелец; замена его "
               "новым файлом их бы потеряла";
    case WriteStatus::FolderClosed:
        return "Папка не позволяет создать в ней новый файл: " +
               std::string(failureText(result.errnoValue).empty() ? std::strerror(result.errnoValue)
                                                                  : failureText(result.errnoValue));
    default:
        break;
    }
    const std::string_view known = failureText(result.errnoValue);
    if (!known.empty())
        return std::string(known);
    return result.errnoValue != 0 ? std::strerror(result.errnoValue) : "Неизвестная ошибка";
}

} // namespace pa::io
