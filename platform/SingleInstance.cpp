#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>

namespace {

constexpr int kConnectTimeoutMs = 1000;
const QByteArray kRaiseRequest = QByteArrayLiteral("raise\n");

QPointer<SingleInstance> g_instance;
std::function<void()> g_raiseHandler;

QString currentUserName() {
    QString name = qEnvironmentVariable("USER");
    if (name.isEmpty())
        name = qEnvironmentVariable("USERNAME");
    if (name.isEmpty())
        name = QDir::homePath();
    return name;
}

} // namespace

SingleInstance::SingleInstance(QString key, QObject* parent) : QObject(parent), m_key(std::move(key)) {}

SingleInstance::~SingleInstance() {
    if (m_server)
        m_server->close();
}

bool SingleInstance::isListening() const {
    return m_server && m_server->isListening();
}

bool SingleInstance::anotherRunning() {
    if (isListening())
        return false;

    // Two rounds: a copy started at the same moment may take the name between our attempt to
    // connect and our attempt to listen; then the second round finds it.
    for (int round = 0; round < 2; ++round) {
        QLocalSocket socket;
        socket.connectToServer(m_key);
        if (socket.waitForConnected(kConnectTimeoutMs)) {
            // No answer is awaited: the other copy may be this very process, whose event loop is
            // not running while we wait.
            socket.write(kRaiseRequest);
            socket.waitForBytesWritten(kConnectTimeoutMs);
            socket.disconnectFromServer();
            return true;
        }
        // Nobody accepts: if a crashed copy left its socket file, it would block listen().
        if (socket.error() == QLocalSocket::ConnectionRefusedError)
            QLocalServer::removeServer(m_key);

        auto* server = new QLocalServer(this);
        server->setSocketOptions(QLocalServer::UserAccessOption);
        if (server->listen(m_key)) {
            m_server = server;
            connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
            return false;
        }
        delete server;
    }
    // Neither connecting nor listening works (for instance no writable temporary folder): better
    // to run than to refuse the learner.
    return false;
}

void SingleInstance::acceptConnections() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // The request may have arrived together with the connection.
        readRequest(socket);
    }
}

void SingleInstance::readRequest(QLocalSocket* socket) {
    while (socket->canReadLine()) {
        if (socket->readLine().trimmed() == kRaiseRequest.trimmed())
            emit raiseRequested();
    }
}

QString SingleInstance::keyFor(const QString& userName, const QString& programFolder) {
    const QByteArray id = (userName + QLatin1Char('\n') + QDir::cleanPath(programFolder)).toUtf8();
    const QByteArray digest = QCryptographicHash::hash(id, QCryptographicHash::Sha256).toHex();
    return QStringLiteral("velquar-") + QString::fromLatin1(digest.left(24));
}

QString SingleInstance::defaultKey() {
    return keyFor(currentUserName(), QCoreApplication::applicationDirPath());
}

SingleInstance& singleInstance() {
    if (!g_instance) {
        g_instance = new SingleInstance(SingleInstance::defaultKey(), QCoreApplication::instance());
        QObject::connect(g_instance, &SingleInstance::raiseRequested, g_instance, [] {
            if (g_raiseHandler)
                g_raiseHandler();
        });
    }
    return *g_instance;
}

bool AnotherInstanceRunning() {
    return singleInstance().anotherRunning();
}

void SetRaiseRequestHandler(std::function<void()> handler) {
    g_raiseHandler = std::move(handler);
}
