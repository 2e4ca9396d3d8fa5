// Both submissions as one run, without a window: real files in a temporary
// program folder, the real archiver library (the archive read back with
// liblhasa) and a target that records what the run asks of it.

#include "LhaContents.h"
#include "TestFiles.h"
#include "platform/lha/binding/UnlhaBinding.h"
#include "sendora/submission/SubmissionPaths.h"
#include "sendora/submission/SubmissionRun.h"
#include "sendora/submission/SubmissionTarget.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Records the run's calls and the observer's "connecting" in one list. The
// program starts ending during the step named by endsAt: "start" (before the
// run), "gathering" (at a yield), "connecting", "open", "send" or "close".
class RecordingTarget : public SubmissionTarget
{
public:
    QStringList calls;
    QByteArray sentBytes; // the file as it was when the run sent it
    bool acceptOpen = true;
    bool acceptFile = true;
    QString endsAt;

    bool open() override
    {
        step(QStringLiteral("open"));
        return acceptOpen && !ending();
    }
    bool sendFile(const QString& localPath) override
    {
        sentBytes = readFile(localPath);
        step(QStringLiteral("send ") + QFileInfo(localPath).fileName());
        return acceptFile && !ending();
    }
    void close() override { step(QStringLiteral("close")); }
    bool ending() const override { return endsAt == QLatin1String("start") || ended_; }

    SubmissionRun::Observer observer()
    {
        SubmissionRun::Observer observer;
        observer.yieldToUi = [this] { ended_ = ended_ || endsAt == QLatin1String("gathering"); };
        observer.connecting = [this] { step(QStringLiteral("connecting")); };
        return observer;
    }

private:
    void step(const QString& call)
    {
        calls.append(call);
        ended_ = ended_ || call.section(u' ', 0, 0) == endsAt;
    }

    bool ended_ = false;
};

const QStringList kSendArchive{"connecting", "open", "send Qorlith.lzh", "close"};
const QStringList kSendPassData{"connecting", "open", "send Mirvel3.txt", "close"};

} // namespace

class TestSubmissionRun : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void verificationData_data();
    void verificationData();
    void passData_data();
    void passData();
    void endingAtEachStep_data();
    void endingAtEachStep();

private:
    // Two day files of February 2009 (unless told otherwise) and the month's database, below "10".
    void makeProductData(bool withDayFiles = true);
    QString archiveFile() const { return SubmissionPaths::archivePath(program_->path()); }
    QString passDataFile() const { return SubmissionPaths::passDataPath(program_->path()); }

    std::unique_ptr<QTemporaryDir> program_;
};

void TestSubmissionRun::init()
{
    program_ = std::make_unique<QTemporaryDir>();
    QVERIFY(program_->isValid());
}

void TestSubmissionRun::cleanup()
{
    UnlhaBinding::setLibraryPathForTesting({});
}

void TestSubmissionRun::makeProductData(bool withDayFiles)
{
    const QString data = program_->filePath(QStringLiteral("10/2009年"));
    if (withDayFiles) {
        QVERIFY(writeFile(data + QStringLiteral("/02月/17日fan.data"), "d17"));
        QVERIFY(writeFile(data + QStringLiteral("/02月/18日fan.data"), "d18"));
    }
    QVERIFY(writeFile(data + QStringLiteral("/02月Oz.mdb"), "feb"));
}

void TestSubmissionRun::verificationData_data()
{
    QTest::addColumn<bool>("withDayFiles");
    QTest::addColumn<int>("dayCount");
    QTest::addColumn<bool>("archiverMissing");
    QTest::addColumn<bool>("acceptOpen");
    QTest::addColumn<bool>("acceptFile");
    QTest::addColumn<SubmissionOutcome>("outcome");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QStringList>("leftInTemp");

    const QStringList none;
    const QStringList archiveLeft{QStringLiteral("Qorlith.lzh")};
    QTest::newRow("sent") << true << 2 << false << true << true << SubmissionOutcome::Sent << kSendArchive
                          << none;
    QTest::newRow("file refused") << true << 2 << false << true << false << SubmissionOutcome::NotSent
                                  << kSendArchive << none;
    // The target has told the user; the archive goes with the next run, which clears it.
    QTest::newRow("connection refused")
        << true << 2 << false << false << true << SubmissionOutcome::NotConnected
        << QStringList{"connecting", "open"} << archiveLeft;
    QTest::newRow("empty range") << true << 0 << false << true << true << SubmissionOutcome::NothingToSend
                                 << none << none;
    // The month's database waits for the next archive.
    QTest::newRow("no day file") << false << 2 << false << true << true << SubmissionOutcome::NothingToSend
                                 << none << QStringList{QStringLiteral("02月Oz.mdb")};
    QTest::newRow("archiver missing")
        << true << 2 << true << true << true << SubmissionOutcome::NothingToSend << none << none;
}

void TestSubmissionRun::verificationData()
{
    QFETCH(bool, withDayFiles);
    QFETCH(int, dayCount);
    QFETCH(bool, archiverMissing);
    QFETCH(bool, acceptOpen);
    QFETCH(bool, acceptFile);
    QFETCH(SubmissionOutcome, outcome);
    QFETCH(QStringList, calls);
    QFETCH(QStringList, leftInTemp);

    makeProductData(withDayFiles);
    RecordingTarget target;
    target.acceptOpen = acceptOpen;
    target.acceptFile = acceptFile;
    if (archiverMissing)
        UnlhaBinding::setLibraryPathForTesting(program_->filePath(QStringLiteral("no-such-libunlha32.so")));
    const SubmissionRun run(program_->path(), target, target.observer());

    QCOMPARE(run.sendVerificationData({QStringLiteral(" 10 "), QDate(2009, 2, 18), dayCount}), outcome);
    QCOMPARE(target.calls, calls);
    QCOMPARE(QDir(SubmissionPaths::workingFolder(program_->path())).entryList(QDir::Files), leftInTemp);
    if (!calls.contains(QStringLiteral("send Qorlith.lzh")))
        return;
    const QString sent = program_->filePath(QStringLiteral("sent.lzh"));
    QVERIFY(writeFile(sent, target.sentBytes));
    const LhaContents contents = LhaContents::read(sent);
    QVERIFY2(contents.ok, qPrintable(contents.error));
    QCOMPARE(contents.members, (QMap<QString, QByteArray>{{QStringLiteral("02月17日fan.data"), "d17"},
                                                          {QStringLiteral("02月18日fan.data"), "d18"},
                                                          {QStringLiteral("02月Oz.mdb"), "feb"}}));
}

// The file is written from the boxes before anything is connected, and stays
// for the next start-up; an older file never goes out in its place.
void TestSubmissionRun::passData_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<bool>("acceptOpen");
    QTest::addColumn<bool>("acceptFile");
    QTest::addColumn<SubmissionOutcome>("outcome");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QByteArray>("fileAfter");

    const QByteArray written("kanri\r\nkensho\r\n");
    QTest::newRow("sent") << "kanri" << true << true << SubmissionOutcome::Sent << kSendPassData << written;
    QTest::newRow("file refused") << "kanri" << true << false << SubmissionOutcome::NotSent << kSendPassData
                                  << written;
    QTest::newRow("connection refused") << "kanri" << false << true << SubmissionOutcome::NotConnected
                                        << QStringList{"connecting", "open"} << written;
    QTest::newRow("not in CP932") << QStringLiteral("한국어") << true << true
                                  << SubmissionOutcome::PassDataNotWritten << QStringList{}
                                  << QByteArray("old1\r\nold2\r\n");
}

void TestSubmissionRun::passData()
{
    QFETCH(QString, first);
    QFETCH(bool, acceptOpen);
    QFETCH(bool, acceptFile);
    QFETCH(SubmissionOutcome, outcome);
    QFETCH(QStringList, calls);
    QFETCH(QByteArray, fileAfter);

    QVERIFY(writeFile(passDataFile(), "old1\r\nold2\r\n"));
    RecordingTarget target;
    target.acceptOpen = acceptOpen;
    target.acceptFile = acceptFile;
    const SubmissionRun run(program_->path(), target, target.observer());

    QCOMPARE(run.sendPassData(first, QStringLiteral("kensho")), outcome);
    QCOMPARE(target.calls, calls);
    QCOMPARE(readFile(passDataFile()), fileAfter);
    if (!calls.isEmpty())
        QCOMPARE(target.sentBytes, calls.size() > 2 ? fileAfter : QByteArray());
}

// Once the program is ending the run calls the target no further and reports
// Ended, whatever the step. An archive that was sent (or tried) is removed;
// one that never went out waits for the next run.
void TestSubmissionRun::endingAtEachStep_data()
{
    QTest::addColumn<bool>("verification");
    QTest::addColumn<QString>("endsAt");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<bool>("fileLeft"); // the archive in Temp, or the Pass data file with the boxes' texts

    const QStringList connecting{"connecting"};
    const QStringList opening{"connecting", "open"};
    QTest::newRow("verification, start") << true << "start" << QStringList{} << false;
    QTest::newRow("verification, gathering") << true << "gathering" << QStringList{} << true;
    QTest::newRow("verification, connecting") << true << "connecting" << connecting << true;
    QTest::newRow("verification, open") << true << "open" << opening << true;
    QTest::newRow("verification, send") << true << "send" << kSendArchive.mid(0, 3) << false;
    QTest::newRow("verification, close") << true << "close" << kSendArchive << false;
    QTest::newRow("Pass data, start") << false << "start" << QStringList{} << false;
    QTest::newRow("Pass data, connecting") << false << "connecting" << connecting << true;
    QTest::newRow("Pass data, open") << false << "open" << opening << true;
    QTest::newRow("Pass data, send") << false << "send" << kSendPassData.mid(0, 3) << true;
    QTest::newRow("Pass data, close") << false << "close" << kSendPassData << true;
}

void TestSubmissionRun::endingAtEachStep()
{
    QFETCH(bool, verification);
    QFETCH(QString, endsAt);
    QFETCH(QStringList, calls);
    QFETCH(bool, fileLeft);

    makeProductData();
    RecordingTarget target;
    target.endsAt = endsAt;
    const SubmissionRun run(program_->path(), target, target.observer());

    const SubmissionOutcome outcome =
        verification ? run.sendVerificationData({QStringLiteral("10"), QDate(2009, 2, 18), 2})
                     : run.sendPassData(QStringLiteral("kanri"), QStringLiteral("kensho"));
    QCOMPARE(outcome, SubmissionOutcome::Ended);
    QCOMPARE(target.calls, calls);
    if (verification)
        QCOMPARE(QFileInfo(archiveFile()).isFile(), fileLeft);
    else
        QCOMPARE(readFile(passDataFile()) == "kanri\r\nkensho\r\n", fileLeft);
}

QTEST_GUILESS_MAIN(TestSubmissionRun)
#include "test_run.moc"
