#include "io/atomic_file.h"
#include "support/closed_folder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace pa::io;

namespace {

constexpr std::size_t kOldSize = 300'000;
constexpr std::size_t kNewSize = 200'000;
constexpr std::size_t kChildChunk = 4096; // small writes, so that a kill lands between any two
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
void runChild(const std::string& path, const std::string& source, int killAt, int delayUs) {
    const std::string chunk = std::to_string(kChildChunk);
    const std::string step = std::to_string(killAt);
    char* argv[] = {const_cast<char*>(PA_SAVE_CHILD),  const_cast<char*>(path.c_str()),
                    const_cast<char*>(source.c_str()), const_cast<char*>(chunk.c_str()),
                    const_cast<char*>(step.c_str()),   nullptr};
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
    const std::string fresh(kNewSize, 'n');
    QTemporaryDir elsewhere;
    const std::string source = elsewhere.filePath("new").toStdString();
    QVERIFY(put(source, fresh));
    int sawOld = 0;
    int sawNew = 0;
    // Timed kills go on, the delay doubling, until one lands after the save: a loaded machine or
    // a sanitized child may take far longer than usual to get there.
    int delayUs = 0;
    for (int i = 1; byStep ? i <= kSaveSteps : i <= 60 || (sawNew == 0 && delayUs < 10'000'000);
         ++i) {
        // The old file's mode must pass to the new one.
        QVERIFY(put(path, old) && chmod(path.c_str(), 0640) == 0);
        delayUs = i <= 60 ? (i - 1) * (i - 1) * 10 : delayUs * 2;
        if (byStep)
            runChild(path, source, i, -1);
        else
            runChild(path, source, 0, delayUs);
        const std::string now = readAll(path);
        QVERIFY2(now == old || now == fresh,
                 qPrintable(QString("a mix after kill %1: %2 bytes").arg(i).arg(now.size())));
        (now == old ? sawOld : sawNew)++;
        struct stat status {};
        QVERIFY(stat(path.c_str(), &status) == 0 && (status.st_mode & 07777) == 0640);
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
    QTest::newRow("a chain of links ending nowhere is written where it ends")
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
        QVERIFY(symlink("elsewhere", dir.filePath("hop").toLocal8Bit().constData()) == 0 &&
                symlink("hop", path.c_str()) == 0);
    if (obstacle == Obstacle::ClosedFolder &&
        !setImmutable(dir.path().toLocal8Bit().constData(), true))
        QSKIP("the folder cannot be closed to new files here");

    const WriteResult result = writeFileAtomically(path, "new");
    if (obstacle == Obstacle::ClosedFolder)
        setImmutable(dir.path().toLocal8Bit().constData(), false);
    QCOMPARE(result.status, status);
    QCOMPARE(result.errnoValue, errnoValue);
    if (regular)
        QCOMPARE(readAll(path), std::string("old"));
    if (obstacle == Obstacle::Dangling) {
        QCOMPARE(result.target, target);
        QCOMPARE(readAll(target), std::string("new"));
        QVERIFY(QFileInfo(name).isSymLink());
    }
    // Nothing left beside: the target, and the link or second name the row made.
    const qsizetype names = obstacle == Obstacle::Dangling   ? 3
                            : obstacle == Obstacle::HardLink ? 2
                                                             : 1;
    QCOMPARE(entries(dir.path()).size(), names);
}

QTEST_APPLESS_MAIN(TestAtomicFile)
#include "tst_atomic_file.moc"
