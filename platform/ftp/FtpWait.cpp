#include "platform/ftp/FtpWait.h"

#include <QAbstractSocket>
#include <QCoreApplication>
#include <QSslSocket>
#include <QTcpServer>
#include <QThread>
#include <QTimer>

FtpWait::FtpWait()
{
    sincePump_.start();
}

void FtpWait::pump()
{
    if (sincePump_.elapsed() < kPumpIntervalMs)
        return;
    sincePump_.restart();
    auto* app = QCoreApplication::instance();
    if (app && app->thread() == QThread::currentThread())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

int FtpWait::slice(const QDeadlineTimer& deadline)
{
    const qint64 remaining = deadline.remainingTime();
    if (remaining < 0)
        return kPumpIntervalMs;
    return int(qMin<qint64>(remaining, kPumpIntervalMs));
}

bool FtpWait::readable(QAbstractSocket& socket, const QDeadlineTimer& deadline)
{
    while (socket.bytesAvailable() == 0) {
        if (socket.state() != QAbstractSocket::ConnectedState)
            return socket.bytesAvailable() > 0;
        if (expired(deadline))
            return false;
        socket.waitForReadyRead(slice(deadline));
        pump();
    }
    return true;
}

bool FtpWait::written(QAbstractSocket& socket, qint64 limit, const QDeadlineTimer& deadline)
{
    while (socket.bytesToWrite() > limit) {
        if (socket.state() != QAbstractSocket::ConnectedState)
            return false;
        if (expired(deadline))
            return false;
        socket.waitForBytesWritten(slice(deadline));
        pump();
    }
    return socket.state() == QAbstractSocket::ConnectedState || socket.bytesToWrite() == 0;
}

bool FtpWait::connected(QAbstractSocket& socket, const QDeadlineTimer& deadline)
{
    // waitForConnected() gives up the attempt when it times out, so short
    // slices are not possible there: let the event loop (input excluded)
    // finish the connect, woken at least every 100 ms to check the deadline.
    QTimer tick;
    tick.start(kPumpIntervalMs);
    while (socket.state() == QAbstractSocket::ConnectingState ||
           socket.state() == QAbstractSocket::HostLookupState) {
        if (expired(deadline)) {
            socket.abort();
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
    }
    return socket.state() == QAbstractSocket::ConnectedState;
}

bool FtpWait::closed(QAbstractSocket& socket, const QDeadlineTimer& deadline)
{
    while (socket.state() != QAbstractSocket::UnconnectedState) {
        if (expired(deadline))
            return false;
        socket.waitForDisconnected(slice(deadline));
        pump();
    }
    return true;
}

bool FtpWait::encrypted(QSslSocket& socket, const QDeadlineTimer& deadline)
{
    while (!socket.isEncrypted()) {
        if (socket.state() != QAbstractSocket::ConnectedState)
            return false;
        if (expired(deadline))
            return false;
        socket.waitForEncrypted(slice(deadline));
        pump();
    }
    return true;
}

bool FtpWait::incoming(QTcpServer& server, const QDeadlineTimer& deadline)
{
    while (!server.hasPendingConnections()) {
        if (expired(deadline))
            return false;
        server.waitForNewConnection(slice(deadline));
        pump();
    }
    return true;
}
