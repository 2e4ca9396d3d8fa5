#pragma once

#include "sendora/session/clsFtpClient.h"
#include "tests/sendora/session/ServerUnderTest.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <optional>

// Everything a clsFtpClient raised, in the order it raised it.
struct SessionEvent
{
    enum Kind
    {
        Send,
        Receive,
        BeginEnumFiles,
        EnumFile,
        EndEnumFile
    };
    Kind kind = Send;
    qint64 bytes = 0;  // Send, Receive: the step's byte count; EnumFile: the size
    QString text;      // Send, Receive: the reply text; EnumFile: the name
    int count = 0;     // BeginEnumFiles
    bool flag = false; // EndEnumFile
    quint32 attr = 0;  // EnumFile
    QDateTime create, write, access;
};

// One real server on a fresh root folder and one client with short timeouts.
// Files are laid out by name as the server keeps them (CP932 bytes for the
// vsftpd row without UTF8) and handed to the server's account.
class SessionFixture
{
public:
    explicit SessionFixture(ServerKind kind);
    ~SessionFixture();

    bool canRun(QString* why) const { return server_.canRun(why); }
    bool start(const FtpServerOptions& options = {});
    bool connect();

    ServerUnderTest& server() { return server_; }
    clsFtpClient& client() { return client_; }
    QString root() const { return root_.path(); }
    QString localPath(const QString& name) const { return local_.filePath(name); }
    QString localFolder() const { return local_.path(); }

    // The remote tree, by name ("sub/file.txt").
    bool put(const QString& name, const QByteArray& content, const QDateTime& modified = {});
    bool mkdir(const QString& name);
    std::optional<QByteArray> get(const QString& name) const;
    bool exists(const QString& name) const;
    QByteArray diskName(const QString& name) const;

    QList<SessionEvent> events;
    QList<SessionEvent> eventsOf(SessionEvent::Kind kind) const;
    qint64 bytesOf(SessionEvent::Kind kind) const;
    bool hasProgressEvents() const;

private:
    ServerUnderTest server_;
    QTemporaryDir root_;
    QTemporaryDir local_;
    clsFtpClient client_;
};

// Skips the row when its server cannot run here, fails when it does not start
// or the login is refused.
#define START_SESSION(fixture, ...)                                                                          \
    do {                                                                                                     \
        QString whyNot_;                                                                                     \
        if (!(fixture).canRun(&whyNot_)) {                                                                   \
            QSKIP(qPrintable(whyNot_));                                                                      \
        }                                                                                                    \
        QVERIFY2((fixture).start(__VA_ARGS__), qPrintable((fixture).server().errorString()));                \
    } while (false)

#define CONNECT_SESSION(fixture)                                                                             \
    QVERIFY2((fixture).connect(), qPrintable((fixture).client().Response() + (fixture).server().log()))
