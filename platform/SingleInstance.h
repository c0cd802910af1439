#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;
class QLocalSocket;

// One running copy per user and program folder, through a local socket named after both.
// The first copy listens; a later one connects, asks the first to come forward and ends.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    explicit SingleInstance(QString key, QObject* parent = nullptr);
    ~SingleInstance() override;
    Q_DISABLE_COPY_MOVE(SingleInstance)

    // True when another copy listens under the key; it has then been sent the raise request.
    // Otherwise this copy starts listening (clearing a socket left behind by a crash) and false
    // is returned. Once listening, always false.
    bool anotherRunning();
    bool isListening() const;
    QString key() const { return m_key; }

    // The key for a user and a program folder: the same pair always gives the same key.
    static QString keyFor(const QString& userName, const QString& programFolder);
    // The key of the running program: its user and the folder of its executable.
    static QString defaultKey();

signals:
    // Another copy was started and asked this one to come forward.
    void raiseRequested();

private:
    void acceptConnections();
    void readRequest(QLocalSocket* socket);

    QString m_key;
    QLocalServer* m_server = nullptr;
};

// The program's own instance under defaultKey(), owned by the application object.
SingleInstance& singleInstance();

// The start-up check: true when another copy of this program runs for this user from this
// folder; that copy has then been asked to come forward and this one should end.
bool AnotherInstanceRunning();

// Called in the first copy whenever a later start asks it to come forward (the main window
// raises and activates itself).
void SetRaiseRequestHandler(std::function<void()> handler);
