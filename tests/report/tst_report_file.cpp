#include "report/report_file.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace pa;

namespace {

// Takes at most `chunk` bytes per write and refuses everything after `capacity` bytes.
class LimitedDevice final : public QIODevice {
public:
    LimitedDevice(qint64 chunk, qint64 capacity) : chunk_(chunk), capacity_(capacity) {
        open(QIODevice::WriteOnly);
    }
    QByteArray received;

protected:
    qint64 readData(char* /*data*/, qint64 /*maxSize*/) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        const qint64 room = capacity_ - received.size();
        if (room <= 0)
            return -1;
        const qint64 taken = std::min({size, chunk_, room});
        received.append(data, taken);
        return taken;
    }

private:
    qint64 chunk_;
    qint64 capacity_;
};

} // namespace

class TestReportFile : public QObject {
    Q_OBJECT

private slots:
    void writeAllToDevice_data();
    void writeAllToDevice();
    void writeAllSeesFailureHiddenInFileBuffer();
    void newReportIsReadableByOthers();
};

void TestReportFile::writeAllToDevice_data() {
    QTest::addColumn<qint64>("chunk");
    QTest::addColumn<qint64>("capacity");
    QTest::addColumn<bool>("complete");

    QTest::newRow("short writes are continued, not taken as the whole") << 7LL << 10000LL << true;
    QTest::newRow("a device that fails halfway does not count as written") << 7LL << 100LL << false;
    QTest::newRow("a device that fails at once does not count as written") << 7LL << 0LL << false;
}

void TestReportFile::writeAllToDevice() {
    QFETCH(qint64, chunk);
    QFETCH(qint64, capacity);
    QFETCH(bool, complete);

    QByteArray data;
    for (int i = 0; i < 300; ++i)
        data.append(char('a' + i % 26));
    LimitedDevice device(chunk, capacity);
    QCOMPARE(writeAll(device, data), complete);
    QCOMPARE(device.received, data.left(std::min<qint64>(capacity, data.size())));
}

void TestReportFile::writeAllSeesFailureHiddenInFileBuffer() {
    // A buffered file takes every byte into its buffer; the failure only shows when flushed.
    QFile full("/dev/full");
    if (!full.open(QIODevice::WriteOnly))
        QSKIP("/dev/full is not available");
    QVERIFY(!writeAll(full, QByteArray(100, 'x')));
}

void TestReportFile::newReportIsReadableByOthers() {
    // The replacement is built in a private temporary file; the report must not stay private.
    const mode_t oldMask = umask(022);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(kReportFileName);
    const QString reason = writeReportFile(path, "report\r\n", WriteMode::Replace);
    umask(oldMask);
    QCOMPARE(reason, QString());
    QVERIFY(QFile::permissions(path).testFlag(QFileDevice::ReadOther));
    QVERIFY(QFile::permissions(path).testFlag(QFileDevice::ReadGroup));
}

QTEST_APPLESS_MAIN(TestReportFile)
#include "tst_report_file.moc"
