#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QMutex>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>

// An FTP server whose every reply a test decides: canned replies, replies cut
// into single bytes, dropped connections, stalls. It runs on its own thread
// with blocking sockets, so a client under test may block the test's thread.
// Without a handler of its own, each command gets an ordinary answer (login,
// TYPE, PWD, CWD, PORT/EPRT, PASV/EPSV, LIST/MLSD, RETR, SIZE, STOR, QUIT, ...).
// With a TLS identity, AUTH TLS protects the control connection (the data
// connections stay in clear).
class ScriptedFtpServer : public QThread
{
public:
    // The server's side of one control connection, handed to handlers.
    class Session
    {
    public:
        Session(ScriptedFtpServer& server, QSslSocket& control);
        ~Session();

        void reply(const QByteArray& bytes);
        // One byte at a time with a pause between them.
        void dribble(const QByteArray& bytes, int pauseMs = 2);
        void closeControl();
        // The server's side of the TLS handshake on the control connection.
        bool startTls();
        // Waits (and answers nothing) for up to ms, less when the server stops.
        void stall(int ms);
        // Reads and drops whatever comes until the client closes the control
        // connection (up to ms).
        void ignoreUntilClosed(int ms);

        // Listens for a passive data connection; returns its port.
        quint16 listenPassive();
        // Opens the data connection the client asked for (PORT/EPRT or PASV/EPSV).
        bool openData();
        void sendData(const QByteArray& bytes);
        // Sends pattern again and again up to total bytes, pausing between
        // the copies (a drip, or an endless stream); false once the client
        // has closed the data connection.
        bool sendRepeated(const QByteArray& pattern, qint64 total, int pauseMs = 0);
        QByteArray receiveData();
        void closeData();
        // The server's side of the TLS handshake on an active data connection.
        bool startDataTls();
        // Sends close_notify and keeps the connection open, as vsftpd does:
        // the client must take close_notify alone for the end of the data.
        void endDataTlsKeepingConnection();
        // Whether the client announced an address of its own (PORT/EPRT).
        bool isActive() const { return activeTarget_.second != 0; }

    private:
        ScriptedFtpServer& server_;
        QSslSocket& control_;
        QTcpServer passive_;
        std::unique_ptr<QTcpSocket> data_;
        int heldData_ = -1; // see endDataTlsKeepingConnection()
        QPair<QHostAddress, quint16> activeTarget_{QHostAddress(), 0};
        friend class ScriptedFtpServer;
    };

    using Handler = std::function<void(Session& session, const QByteArray& argument)>;

    ScriptedFtpServer();
    ~ScriptedFtpServer() override;

    bool start(const QHostAddress& address = QHostAddress::LocalHost);
    void stop();
    quint16 port() const { return port_; }

    // Sent as it stands when a client connects ("220 ...\r\n" by default).
    void setGreeting(const QByteArray& bytes);
    // The whole FEAT reply (by default a 211 without features).
    void setFeatures(const QByteArray& bytes);
    // LIST and MLSD send this body by default.
    void setListing(const QByteArray& body);
    // RETR of this name sends these bytes by default, SIZE tells their count.
    void setFile(const QByteArray& name, const QByteArray& content);
    // The certificate and key AUTH TLS is answered with (none: AUTH is refused).
    void setTlsIdentity(const QSslCertificate& certificate, const QSslKey& key);
    // Replaces the default answer to a verb (upper case, e.g. "RETR"); the
    // verb "" replaces sending the greeting when a client connects.
    void on(const QByteArray& verb, Handler handler);

    // Every command line received, without its line end, in order.
    QList<QByteArray> commands() const;
    bool received(const QByteArray& verb) const;
    // What the last STOR received.
    QByteArray uploaded() const;
    int connections() const { return connections_; }

protected:
    void run() override;

private:
    void serve(QSslSocket& control);
    void answer(Session& session, const QByteArray& verb, const QByteArray& argument);
    void answerByDefault(Session& session, const QByteArray& verb, const QByteArray& argument);
    bool stopping() const { return stop_; }

    mutable QMutex mutex_;
    QHostAddress address_;
    std::atomic<quint16> port_{0};
    std::atomic<bool> stop_{false};
    std::atomic<bool> ready_{false};
    std::atomic<int> connections_{0};
    QByteArray greeting_ = "220 Scripted server ready\r\n";
    QByteArray features_ = "211-Features:\r\n211 End\r\n";
    QByteArray listing_;
    QHash<QByteArray, QByteArray> files_;
    QSslCertificate certificate_;
    QSslKey key_;
    QHash<QByteArray, Handler> handlers_;
    QList<QByteArray> commands_;
    QByteArray uploaded_;
};
