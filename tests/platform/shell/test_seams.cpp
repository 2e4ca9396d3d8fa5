#include "platform/shell/ProgramFolderCheck.h"
#include "platform/shell/SettingsStore.h"
#include "platform/shell/SingleInstance.h"
#include "tests/support/common/TestEnvironment.h"

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

constexpr auto kGroupAndOthers = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                                 QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;

} // namespace

class TestPlatformShell : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestEnvironment::isolate(); }

    void settingsReadDefaultsAndWrittenValues()
    {
        QCOMPARE(SettingsStore::read("RedudUrazE", "Settings", "NoSuchKey", "dflt"), QString("dflt"));
        SettingsStore::write("RedudUrazE", "Settings", "VerificPass2", QStringLiteral("ユーザー"));
        QCOMPARE(SettingsStore::read("RedudUrazE", "Settings", "VerificPass2", "x"),
                 QStringLiteral("ユーザー"));
    }

    void settingsAreTheUsersAlone()
    {
#ifdef Q_OS_UNIX
        umask(022);
        // A new file and folder, and loose ones left by an earlier version.
        for (const QString& application : {QStringLiteral("NewSettings"), QStringLiteral("LooseSettings")}) {
            const QString file = QSettings(application, application).fileName();
            const QString folder = QFileInfo(file).absolutePath();
            QDir(folder).removeRecursively();
            if (application.startsWith(u'L'))
                QVERIFY(QDir().mkpath(folder) && QFile(file).open(QIODevice::WriteOnly));
            SettingsStore::write(application, "Settings", "VerificPass3", "secret");
            const auto modes = QFile::permissions(file) | QFile::permissions(folder);
            QDir(folder).removeRecursively();
            QCOMPARE(modes & kGroupAndOthers, QFileDevice::Permissions());
        }
#endif
    }

    void secondInstanceIsDetected()
    {
        SingleInstance first(QStringLiteral("ShellTestProgram"));
        QVERIFY(!first.anotherInstanceRunning());
        SingleInstance second(QStringLiteral("ShellTestProgram"));
        QVERIFY(second.anotherInstanceRunning());
    }

    void programFolderCheck_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("writable");
        QTest::newRow("writable folder") << QString() << true;
        QTest::newRow("missing folder") << QStringLiteral("/nonexistent/プログラム") << false;
        // procfs refuses new files to everyone, root included (CI runs as root).
        QTest::newRow("read-only file system") << QStringLiteral("/proc/self") << false;
    }

    void programFolderCheck()
    {
        QFETCH(QString, folder);
        QFETCH(bool, writable);
        QTemporaryDir temporary;
        if (folder.isEmpty())
            folder = temporary.path();
        const QString problem = ProgramFolderCheck::problem(folder);
        QCOMPARE(problem.isEmpty(), writable);
        if (writable) {
            // The probe leaves nothing behind in the user's program folder.
            QVERIFY(QDir(folder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
        } else {
            QVERIFY(problem.contains(folder));
            QVERIFY(problem.contains(QStringLiteral("書き込めません")));
        }
    }
};

QTEST_GUILESS_MAIN(TestPlatformShell)
#include "test_seams.moc"
