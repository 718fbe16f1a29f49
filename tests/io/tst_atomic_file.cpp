#include "io/atomic_file.h"
#include "save_child.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <linux/fs.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace pa::io;

namespace {

constexpr std::size_t kOldSize = 300'000;
constexpr std::size_t kNewSize = 200'000;
// Steps of one save: the temporary file, each write, synced, renamed, folder synced.
constexpr int kSaveSteps = 1 + int((kNewSize + kChildChunk - 1) / kChildChunk) + 3;

std::string readAll(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll().toStdString();
}

bool put(const std::string& path, const std::string& bytes) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::WriteOnly) &&
           file.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
}

// Starts the saving child and kills it after delayUs microseconds (never for a negative delay);
// it may also kill itself at step killAt.
void runChild(const std::string& path, int killAt, int delayUs) {
    const std::string size = std::to_string(kNewSize);
    const std::string step = std::to_string(killAt);
    char* argv[] = {const_cast<char*>(PA_SAVE_CHILD), const_cast<char*>(path.c_str()),
                    const_cast<char*>(size.c_str()), const_cast<char*>(step.c_str()), nullptr};
    pid_t pid = 0;
    QCOMPARE(posix_spawn(&pid, PA_SAVE_CHILD, nullptr, nullptr, argv, environ), 0);
    if (delayUs >= 0) {
        usleep(useconds_t(delayUs));
        kill(pid, SIGKILL);
    }
    int status = 0;
    QCOMPARE(waitpid(pid, &status, 0), pid);
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

bool setImmutable(const QString& folder, bool on) {
    const int fd = open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    close(fd);
    return done;
}

enum class Obstacle { None, Folder, Fifo, ReadOnlyFile, HardLink, ClosedFolder, Dangling };

} // namespace

Q_DECLARE_METATYPE(Obstacle)
Q_DECLARE_METATYPE(WriteStatus)

class TestAtomicFile : public QObject {
    Q_OBJECT

private slots:
    void killedSaveLeavesOldOrNew_data();
    void killedSaveLeavesOldOrNew();
    void refusals_data();
    void refusals();
    void keepsPermissionsAndFollowsLinks();
};

void TestAtomicFile::killedSaveLeavesOldOrNew_data() {
    QTest::addColumn<bool>("byStep");
    QTest::newRow("killed at every step of the save") << true;
    QTest::newRow("killed after growing delays") << false;
}

void TestAtomicFile::killedSaveLeavesOldOrNew() {
    QFETCH(bool, byStep);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::string path = dir.filePath("plan.pacov").toStdString();
    const std::string old(kOldSize, 'o');
    const std::string fresh = childContent(kNewSize);
    int sawOld = 0;
    int sawNew = 0;
    for (int i = 1; i <= (byStep ? kSaveSteps : 60); ++i) {
        QVERIFY(put(path, old));
        if (byStep)
            runChild(path, i, -1);
        else
            runChild(path, 0, (i - 1) * (i - 1) * 10);
        const std::string now = readAll(path);
        QVERIFY2(now == old || now == fresh,
                 qPrintable(QString("a mix after kill %1: %2 bytes").arg(i).arg(now.size())));
        (now == old ? sawOld : sawNew)++;
        for (const QString& name : entries(dir.path()))
            QVERIFY2(name == "plan.pacov" || isTemporaryOf("plan.pacov", name.toStdString()),
                     qPrintable(name));
    }
    // Kills before the rename keep the old file and those after it the new one; a run where
    // every kill landed on one side proves nothing.
    if (byStep)
        QCOMPARE(sawNew, 2);
    QVERIFY(sawOld > 0 && sawNew > 0);
    WriteOptions sweep;
    sweep.staleAfter = std::chrono::seconds(0);
    QVERIFY(writeFileAtomically(path, "x", sweep).ok());
    QCOMPARE(entries(dir.path()), QStringList{"plan.pacov"});
}

void TestAtomicFile::refusals_data() {
    QTest::addColumn<Obstacle>("obstacle");
    QTest::addColumn<WriteStatus>("status");
    QTest::addColumn<int>("errnoValue");

    QTest::newRow("a folder under the name")
        << Obstacle::Folder << WriteStatus::NotRegularFile << EISDIR;
    QTest::newRow("a fifo is not waited on") << Obstacle::Fifo << WriteStatus::NotRegularFile << 0;
    QTest::newRow("a read-only file is not replaced behind its back")
        << Obstacle::ReadOnlyFile << WriteStatus::ReadOnly << EACCES;
    QTest::newRow("a file with a second name is not split from it")
        << Obstacle::HardLink << WriteStatus::KeepsIdentity << 0;
    QTest::newRow("a folder that takes no new file says so")
        << Obstacle::ClosedFolder << WriteStatus::FolderClosed << EPERM;
    QTest::newRow("a dangling link is written where it points")
        << Obstacle::Dangling << WriteStatus::Written << 0;
}

void TestAtomicFile::refusals() {
    QFETCH(Obstacle, obstacle);
    QFETCH(WriteStatus, status);
    QFETCH(int, errnoValue);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString name = dir.filePath("f");
    const std::string path = name.toStdString();
    const std::string target = dir.filePath("elsewhere").toStdString();
    const bool regular = obstacle == Obstacle::ReadOnlyFile || obstacle == Obstacle::HardLink ||
                         obstacle == Obstacle::ClosedFolder;
    if (regular)
        QVERIFY(put(path, "old"));
    if (obstacle == Obstacle::Folder)
        QVERIFY(QDir(dir.path()).mkdir("f"));
    if (obstacle == Obstacle::Fifo)
        QCOMPARE(mkfifo(path.c_str(), 0644), 0);
    if (obstacle == Obstacle::ReadOnlyFile)
        QCOMPARE(chmod(path.c_str(), 0444), 0);
    if (obstacle == Obstacle::HardLink)
        QCOMPARE(link(path.c_str(), target.c_str()), 0);
    if (obstacle == Obstacle::Dangling)
        QCOMPARE(symlink("elsewhere", path.c_str()), 0);
    if (obstacle == Obstacle::ClosedFolder && !setImmutable(dir.path(), true))
        QSKIP("the folder cannot be closed to new files here");

    const WriteResult result = writeFileAtomically(path, "new");
    if (obstacle == Obstacle::ClosedFolder)
        setImmutable(dir.path(), false);
    QCOMPARE(result.status, status);
    QCOMPARE(result.errnoValue, errnoValue);
    QVERIFY(!describe(result).empty() || result.ok());
    if (regular)
        QCOMPARE(readAll(path), std::string("old"));
    if (obstacle == Obstacle::Dangling) {
        QCOMPARE(readAll(target), std::string("new"));
        QVERIFY(QFileInfo(name).isSymLink());
    }
    QCOMPARE(entries(dir.path()).size(),
             obstacle == Obstacle::HardLink || obstacle == Obstacle::Dangling ? 2 : 1);
}

void TestAtomicFile::keepsPermissionsAndFollowsLinks() {
    // A chain of links: the file at its end is replaced, keeping its own mode, and the links
    // stay links.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::string file = dir.filePath("real").toStdString();
    QVERIFY(put(file, "old"));
    QCOMPARE(chmod(file.c_str(), 0640), 0);
    QCOMPARE(symlink("real", dir.filePath("one").toStdString().c_str()), 0);
    QCOMPARE(symlink(dir.filePath("one").toStdString().c_str(),
                     dir.filePath("two").toStdString().c_str()),
             0);
    const WriteResult result = writeFileAtomically(dir.filePath("two").toStdString(), "new");
    QVERIFY(result.ok());
    QCOMPARE(result.target, file);
    QCOMPARE(readAll(file), std::string("new"));
    struct stat status {};
    QCOMPARE(lstat(file.c_str(), &status), 0);
    QCOMPARE(status.st_mode & 07777, mode_t(0640));
    QVERIFY(QFileInfo(dir.filePath("one")).isSymLink() &&
            QFileInfo(dir.filePath("two")).isSymLink());

    const mode_t mask = umask(027);
    const std::string fresh = dir.filePath("fresh").toStdString();
    const bool written = writeFileAtomically(fresh, "x").ok();
    umask(mask);
    QVERIFY(written);
    QCOMPARE(stat(fresh.c_str(), &status), 0);
    QCOMPARE(status.st_mode & 07777, mode_t(0640));
}

QTEST_APPLESS_MAIN(TestAtomicFile)
#include "tst_atomic_file.moc"
