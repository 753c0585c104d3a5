#pragma once
// One running program per user. The lock in the runtime folder says which process runs; beside
// it that process listens on a local socket, so that a later start can ask it to bring its
// window to the front before ending.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

class QLocalSocket;
class QWidget;

namespace tavlo {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // How long a later start waits for the running program to answer.
    static constexpr int kAnswerWait = 3000; // ms

    // The lock and the socket live in folder (the user's runtime folder in the program).
    explicit SingleInstance(const QString& folder, QObject* parent = nullptr);

    // True when this process is now the one that runs: it holds the lock and listens for
    // later starts. False when another process holds the lock.
    bool claim();
    bool isListening() const { return m_server.isListening(); }
    QString serverName() const { return m_serverName; }

signals:
    // A later start asked this one to come to the front.
    void comeForwardAsked();

private:
    void answer(QLocalSocket* socket);

    QLockFile m_lock;
    QLocalServer m_server;
    QString m_serverName;
};

// From a later start: asks the program listening at serverName to come to the front. False
// when it did not answer within wait milliseconds; never waits longer.
bool AskToComeForward(const QString& serverName, int wait = SingleInstance::kAnswerWait);

// Brings the program before the user: its minimised windows restored, the main window raised,
// and the window the user works in (a modal dialog when one is open) raised over it and
// activated.
void BringToFront(QWidget* mainWindow);

} // namespace tavlo
