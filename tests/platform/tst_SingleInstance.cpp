#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocalServer>
#include <QProcess>
#include <QSignalSpy>
#include <QUuid>
#include <QtTest>

#include <cstring>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace {

const char* const kChildKeyVariable = "VQ_TEST_SINGLE_INSTANCE_KEY";
constexpr int kChildFoundAnother = 3;
constexpr int kChildIsFirst = 4;

QString uniqueKey() {
    return QStringLiteral("vq-test-") + QUuid::createUuid().toString(QUuid::Id128).left(16);
}

} // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT

    static void startChild(QProcess& child, const QString& key) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kChildKeyVariable), key);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
    }

private slots:
    void keyPerUserAndFolder() {
        const QString key = SingleInstance::keyFor(QStringLiteral("li"), QStringLiteral("/opt/velquar"));
        QCOMPARE(SingleInstance::keyFor(QStringLiteral("li"), QStringLiteral("/opt/velquar/")), key);
        QVERIFY(SingleInstance::keyFor(QStringLiteral("wang"), QStringLiteral("/opt/velquar")) != key);
        QVERIFY(SingleInstance::keyFor(QStringLiteral("li"), QStringLiteral("/home/li/velquar")) != key);
        // Short enough for a socket path on every platform, and no path separators in it.
        QVERIFY(key.size() < 40);
        QVERIFY(!key.contains(QLatin1Char('/')));
    }

    void secondCheckFindsTheFirstAndRaisesIt() {
        const QString key = uniqueKey();
        SingleInstance first(key);
        QSignalSpy raised(&first, &SingleInstance::raiseRequested);
        QVERIFY(!first.anotherRunning());
        QVERIFY(first.isListening());
        QVERIFY(!first.anotherRunning()); // asking again in the first copy changes nothing
        QCOMPARE(raised.count(), 0);

        SingleInstance second(key);
        QVERIFY(second.anotherRunning());
        QVERIFY(!second.isListening());
        QTRY_COMPARE(raised.count(), 1);

        SingleInstance third(key);
        QVERIFY(third.anotherRunning());
        QTRY_COMPARE(raised.count(), 2);
    }

    void staleSocketFromACrash() {
#ifdef Q_OS_UNIX
        // A socket bound and abandoned without removing its file, as a killed copy leaves it.
        const QString key = uniqueKey();
        const QByteArray path = QDir(QDir::tempPath()).filePath(key).toLocal8Bit();
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(fd >= 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        QVERIFY(size_t(path.size()) < sizeof(addr.sun_path));
        std::memcpy(addr.sun_path, path.constData(), size_t(path.size()));
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
        ::close(fd);
        QVERIFY(QFile::exists(QString::fromLocal8Bit(path)));

        SingleInstance first(key);
        QVERIFY(!first.anotherRunning());
        QVERIFY(first.isListening());
        SingleInstance second(key);
        QVERIFY(second.anotherRunning());
#else
        QSKIP("socket files exist on Unix only");
#endif
    }

    void secondProcessFindsTheFirst() {
        const QString key = uniqueKey();
        {
            SingleInstance first(key);
            QSignalSpy raised(&first, &SingleInstance::raiseRequested);
            QVERIFY(!first.anotherRunning());
            QProcess child;
            startChild(child, key);
            // Our event loop keeps turning while we wait: the child talks to our server meanwhile.
            QTRY_VERIFY_WITH_TIMEOUT(child.state() == QProcess::NotRunning, 30000);
            QCOMPARE(child.exitCode(), kChildFoundAnother);
            QTRY_COMPARE(raised.count(), 1);
        }
        // With the first copy gone, the child is the first.
        QProcess child;
        startChild(child, key);
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitCode(), kChildIsFirst);
    }

    void programWideCheckCallsTheRaiseHandler() {
        int raises = 0;
        SetRaiseRequestHandler([&raises] { ++raises; });
        QCOMPARE(singleInstance().key(), SingleInstance::defaultKey());
        QVERIFY(!AnotherInstanceRunning());
        QVERIFY(!AnotherInstanceRunning());

        SingleInstance laterStart(SingleInstance::defaultKey());
        QVERIFY(laterStart.anotherRunning());
        QTRY_COMPARE(raises, 1);
        SetRaiseRequestHandler(nullptr);
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString childKey = qEnvironmentVariable(kChildKeyVariable);
    if (!childKey.isEmpty()) {
        SingleInstance instance(childKey);
        return instance.anotherRunning() ? kChildFoundAnother : kChildIsFirst;
    }
    SingleInstanceTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_SingleInstance.moc"
