#include "app/SingleInstance.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QWidget>

namespace tavlo {

namespace {

const QByteArray kRequest = QByteArrayLiteral("front\n");
const QByteArray kAnswer = QByteArrayLiteral("ok\n");

QString serverNameFor(const QString& folder)
{
#ifdef Q_OS_WIN
    // Pipe names are machine-wide: the user's own runtime folder in the name keeps users apart.
    const QByteArray key = QDir::cleanPath(folder).toLower().toUtf8();
    return QStringLiteral("TAVLO-II-")
           + QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(32));
#else
    // A socket file in the user's own runtime folder, which no other user may enter.
    return QDir(folder).filePath(QStringLiteral("TAVLO-II.socket"));
#endif
}

} // namespace

SingleInstance::SingleInstance(const QString& folder, QObject* parent)
    : QObject(parent)
    , m_lock(QDir(folder).filePath(QStringLiteral("TAVLO-II.lock")))
    , m_serverName(serverNameFor(folder))
{
    QDir().mkpath(folder);
    // A lock left by a killed process is taken over at once, whatever its age.
    m_lock.setStaleLockTime(0);
#ifdef Q_OS_WIN
    // A pipe any user could open otherwise; a socket file is kept by its folder's rights.
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
#endif
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { answer(socket); });
            answer(socket);
        }
    });
}

bool SingleInstance::claim()
{
    if (!m_lock.tryLock(0))
        return false;
    // Only the lock's holder may clear the name: a socket found now was left by a killed process.
    QLocalServer::removeServer(m_serverName);
    // Without it the program still runs; later starts only end without bringing it forward.
    m_server.listen(m_serverName);
    return true;
}

void SingleInstance::answer(QLocalSocket* socket)
{
    if (!socket->canReadLine())
        return;
    if (socket->readLine() == kRequest) {
        emit comeForwardAsked();
        socket->write(kAnswer);
    }
    socket->disconnectFromServer();
}

bool AskToComeForward(const QString& serverName, int wait)
{
    const QDeadlineTimer deadline(wait);
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(int(deadline.remainingTime())))
        return false;
    socket.write(kRequest);
    if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
        return false;
    while (!socket.canReadLine()) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(int(deadline.remainingTime())))
            return false;
    }
    return socket.readLine() == kAnswer;
}

void BringToFront(QWidget* mainWindow)
{
    // A window manager minimises a window's dialogs with it: every one comes back.
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->isVisible() && top->isMinimized())
            top->setWindowState(top->windowState() & ~Qt::WindowMinimized);
    }
    // The windows from the main one up to the one in front, each over the one before.
    QWidget* front = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : mainWindow;
    QList<QWidget*> stack;
    for (QWidget* w = front; w; w = w->parentWidget() ? w->parentWidget()->window() : nullptr)
        stack.prepend(w);
    for (QWidget* w : stack) {
        if (w->isVisible())
            w->raise();
    }
    front->activateWindow();
}

} // namespace tavlo
