#include "platform/MenuPlayer.h"

#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString deliveredMenu() {
    return qEnvironmentVariable("VQ_SOURCE_DIR") + QStringLiteral("/pic/main.menu");
}

// Every command string the main window dispatches.
const QStringList kCommands{
    QStringLiteral("ksdg"),  QStringLiteral("zsd"),    QStringLiteral("lx"),    QStringLiteral("lx2"),
    QStringLiteral("lx3"),   QStringLiteral("lx4"),    QStringLiteral("lx5"),   QStringLiteral("szjh"),
    QStringLiteral("szks"),  QStringLiteral("rz"),     QStringLiteral("tj"),    QStringLiteral("sj"),
    QStringLiteral("music"), QStringLiteral("sztime"), QStringLiteral("fg"),    QStringLiteral("lxfs"),
    QStringLiteral("help"),  QStringLiteral("about"),  QStringLiteral("quit"),  QStringLiteral("cj"),
    QStringLiteral("mnks"),  QStringLiteral("mnks2"),  QStringLiteral("mnks3"), QStringLiteral("mnks4"),
    QStringLiteral("mnks5")};

const char* const kSmallMenu = R"({"format": "velquar-menu", "version": 1, "title": "T",
  "groups": [{"title": "A", "items": [{"label": "一", "command": "one", "args": "x"},
                                      {"label": "二", "command": "two"}]},
             {"title": "B", "accent": "#ff0000", "items": [{"label": "三", "command": "three"}]}]})";

} // namespace

class MenuPlayerTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString writeMenu(const QString& name, const QByteArray& text) {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return {};
        f.write(text);
        return path;
    }

private slots:
    void invalidMenuFiles_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("not JSON") << QByteArray("<swf>");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("array") << QByteArray("[]");
        QTest::newRow("other format")
            << QByteArray(R"({"format": "x", "version": 1, "title": "T", "groups": []})");
        QTest::newRow("later version") << QByteArray(kSmallMenu).replace("\"version\": 1", "\"version\": 2");
        QTest::newRow("no groups") << QByteArray(
            R"({"format": "velquar-menu", "version": 1, "title": "T", "groups": []})");
        QTest::newRow("blank title")
            << QByteArray(kSmallMenu).replace("\"title\": \"T\"", "\"title\": \" \"");
        QTest::newRow("empty command")
            << QByteArray(kSmallMenu).replace("\"command\": \"two\"", "\"command\": \"\"");
        QTest::newRow("command not text")
            << QByteArray(kSmallMenu).replace("\"command\": \"two\"", "\"command\": 2");
        QTest::newRow("label missing") << QByteArray(kSmallMenu).replace("\"label\": \"三\", ", "");
        QTest::newRow("group without items")
            << QByteArray(kSmallMenu).replace(R"([{"label": "三", "command": "three"}])", "[]");
        QTest::newRow("bad accent") << QByteArray(kSmallMenu).replace("#ff0000", "reddish");
        QTest::newRow("args not text") << QByteArray(kSmallMenu).replace("\"args\": \"x\"", "\"args\": 1");
    }
    void invalidMenuFiles() {
        QFETCH(QByteArray, text);
        const QString path = writeMenu(QStringLiteral("bad.menu"), text);
        QVERIFY(!path.isEmpty());
        MenuPlayer player;
        QVERIFY(!player.load(path));
        QVERIFY(!player.isLoaded());
        QVERIFY(!player.errorString().isEmpty());
        QVERIFY(!MoviePlayerInstalled(path));
    }

    void missingMenuFile() {
        const QString path = m_dir.filePath(QStringLiteral("absent.menu"));
        MenuPlayer player;
        QVERIFY(!player.load(path));
        QVERIFY(!MoviePlayerInstalled(path));
        player.play();
        QVERIFY(!player.isPlaying());
    }

    void failedLoadKeepsTheMenuShown() {
        MenuPlayer player;
        QVERIFY(player.load(writeMenu(QStringLiteral("small.menu"), kSmallMenu)));
        QVERIFY(!player.load(m_dir.filePath(QStringLiteral("absent.menu"))));
        QVERIFY(player.isLoaded());
        QCOMPARE(player.itemCount(), 3);
        QCOMPARE(player.title(), QStringLiteral("T"));
    }

    void deliveredMenuCarriesEveryCommandOnce() {
        QVERIFY(MoviePlayerInstalled(deliveredMenu()));
        MenuPlayer player;
        QVERIFY2(player.load(deliveredMenu()), qPrintable(player.errorString()));
        QVERIFY(!player.title().isEmpty());
        QStringList commands;
        for (int i = 0; i < player.itemCount(); ++i) {
            commands << player.itemCommand(i);
            QVERIFY(!player.itemLabel(i).isEmpty());
        }
        QStringList sortedCommands = commands;
        sortedCommands.sort();
        QStringList expected = kCommands;
        expected.sort();
        QCOMPARE(sortedCommands, expected);
    }

    void clickEachItemSendsItsCommand_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("800x600") << QSize(800, 600);
        QTest::newRow("1024x768") << QSize(1024, 768);
        QTest::newRow("1920x1080") << QSize(1920, 1080);
        QTest::newRow("tall 800x1000") << QSize(800, 1000);
    }
    void clickEachItemSendsItsCommand() {
        QFETCH(QSize, size);
        MenuPlayer player;
        player.resize(size);
        QVERIFY(player.load(deliveredMenu()));
        player.show();
        player.play();
        QSignalSpy sent(&player, &MenuPlayer::command);

        QList<QRect> seen;
        for (const QString& command : kCommands) {
            const int index = player.indexOfCommand(command);
            QVERIFY2(index >= 0, qPrintable(command));
            const QRect r = player.itemRect(index);
            QVERIFY2(player.rect().contains(r), qPrintable(command));
            // Readable at the smallest supported screen: a tile at least 24 pixels high.
            QVERIFY2(r.height() >= 24 && r.width() >= 100, qPrintable(command));
            for (const QRect& other : seen)
                QVERIFY2(!other.intersects(r), qPrintable(command));
            seen << r;

            QTest::mouseClick(&player, Qt::LeftButton, Qt::NoModifier, r.center());
            QCOMPARE(sent.count(), 1);
            QCOMPARE(sent.at(0).at(0).toString(), command);
            QCOMPARE(sent.at(0).at(1).toString(), QString());
            sent.clear();
        }
    }

    void clicksThatChooseNothing() {
        MenuPlayer player;
        player.resize(1024, 768);
        QVERIFY(player.load(deliveredMenu()));
        player.show();
        QSignalSpy sent(&player, &MenuPlayer::command);

        QTest::mouseClick(&player, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5)); // background
        const QRect lx = player.itemRect(player.indexOfCommand(QStringLiteral("lx")));
        const QRect lx2 = player.itemRect(player.indexOfCommand(QStringLiteral("lx2")));
        // Between two tiles of one card.
        QTest::mouseClick(&player, Qt::LeftButton, Qt::NoModifier, QPoint(lx.center().x(), lx.bottom() + 3));
        QTest::mouseClick(&player, Qt::RightButton, Qt::NoModifier, lx.center());
        // Pressed on one tile, released on another: the learner changed their mind.
        QTest::mousePress(&player, Qt::LeftButton, Qt::NoModifier, lx.center());
        QTest::mouseRelease(&player, Qt::LeftButton, Qt::NoModifier, lx2.center());
        QCOMPARE(sent.count(), 0);
    }

    void argsTravelWithTheCommand() {
        MenuPlayer player;
        player.resize(800, 600);
        QVERIFY(player.load(writeMenu(QStringLiteral("small.menu"), kSmallMenu)));
        QSignalSpy sent(&player, &MenuPlayer::command);
        QTest::mouseClick(&player, Qt::LeftButton, Qt::NoModifier, player.itemRect(0).center());
        QCOMPARE(sent.count(), 1);
        QCOMPARE(sent.at(0).at(0).toString(), QStringLiteral("one"));
        QCOMPARE(sent.at(0).at(1).toString(), QStringLiteral("x"));
    }

    void keyboardChooses() {
        MenuPlayer player;
        player.resize(1024, 768);
        QVERIFY(player.load(deliveredMenu()));
        player.show();
        player.setFocus();
        QSignalSpy sent(&player, &MenuPlayer::command);

        QTest::keyClick(&player, Qt::Key_Return); // nothing chosen yet
        QCOMPARE(sent.count(), 0);
        QCOMPARE(player.currentIndex(), -1);

        QTest::keyClick(&player, Qt::Key_Tab);
        QCOMPARE(player.currentIndex(), 0);
        QTest::keyClick(&player, Qt::Key_Return);
        QCOMPARE(sent.count(), 1);
        QCOMPARE(sent.at(0).at(0).toString(), player.itemCommand(0));

        QTest::keyClick(&player, Qt::Key_Down);
        QTest::keyClick(&player, Qt::Key_Space);
        QCOMPARE(sent.at(1).at(0).toString(), QStringLiteral("lx2"));

        // Right goes to the tile beside, in the next card.
        QTest::keyClick(&player, Qt::Key_Right);
        QTest::keyClick(&player, Qt::Key_Enter);
        QCOMPARE(sent.at(2).at(0).toString(), QStringLiteral("mnks2"));
        QTest::keyClick(&player, Qt::Key_Left);
        QTest::keyClick(&player, Qt::Key_Up);
        QCOMPARE(player.itemCommand(player.currentIndex()), QStringLiteral("lx"));

        // Up from the top row stays; Shift+Tab from the first wraps to the last.
        QTest::keyClick(&player, Qt::Key_Up);
        QCOMPARE(player.itemCommand(player.currentIndex()), QStringLiteral("lx"));
        QTest::keyClick(&player, Qt::Key_Backtab);
        QCOMPARE(player.currentIndex(), player.itemCount() - 1);
        QTest::keyClick(&player, Qt::Key_Tab);
        QCOMPARE(player.currentIndex(), 0);
        QTest::keyClick(&player, Qt::Key_End);
        QTest::keyClick(&player, Qt::Key_Return);
        QCOMPARE(sent.count(), 4);
        QCOMPARE(sent.at(3).at(0).toString(), player.itemCommand(player.itemCount() - 1));
    }

    void everyTileReachableByArrows() {
        MenuPlayer player;
        player.resize(800, 600);
        QVERIFY(player.load(deliveredMenu()));
        player.setCurrentIndex(0);
        QSet<int> reached{0};
        // Walk down each column and across: every tile must be reachable from the first.
        QList<int> frontier{0};
        while (!frontier.isEmpty()) {
            const int from = frontier.takeFirst();
            for (Qt::Key key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down}) {
                player.setCurrentIndex(from);
                QTest::keyClick(&player, key);
                if (!reached.contains(player.currentIndex())) {
                    reached.insert(player.currentIndex());
                    frontier << player.currentIndex();
                }
            }
        }
        QCOMPARE(reached.size(), player.itemCount());
    }

    void playing() {
        MenuPlayer player;
        player.resize(800, 600);
        QVERIFY(player.load(deliveredMenu()));
        QVERIFY(!player.isPlaying());
        player.show();
        player.play();
        QVERIFY(player.isPlaying());
        QVERIFY(player.isAnimating());
        QTRY_VERIFY_WITH_TIMEOUT(!player.isAnimating(), 10000);
        QVERIFY(player.isPlaying());
        // The tiles are where they are clickable once the opening has run.
        QSignalSpy sent(&player, &MenuPlayer::command);
        QTest::mouseClick(&player, Qt::LeftButton, Qt::NoModifier,
                          player.itemRect(player.indexOfCommand(QStringLiteral("quit"))).center());
        QCOMPARE(sent.count(), 1);
        player.stop();
        QVERIFY(!player.isPlaying());
        // Loading another menu waits for play() again.
        player.play();
        QVERIFY(player.load(deliveredMenu()));
        QVERIFY(!player.isPlaying());
    }

    void fillsItsParentAndScales() {
        QWidget window;
        window.resize(800, 600);
        auto* player = new MenuPlayer(&window);
        QVERIFY(player->load(deliveredMenu()));
        QCOMPARE(player->geometry(), window.rect());
        window.show(); // a hidden window only hears of its resizes when it shows
        const int smallHeight = player->itemRect(0).height();
        window.resize(1600, 1200);
        QCOMPARE(player->geometry(), window.rect());
        QVERIFY(qAbs(player->itemRect(0).height() - 2 * smallHeight) <= 2); // rounding to whole pixels
        // A wide screen keeps the proportions and centres the menu.
        window.resize(1920, 768);
        QVERIFY(qAbs(player->itemRect(0).height() - smallHeight * 768 / 600) <= 2);
        int left = 1920;
        int right = 0;
        for (int i = 0; i < player->itemCount(); ++i) {
            left = qMin(left, player->itemRect(i).left());
            right = qMax(right, player->itemRect(i).right());
        }
        QVERIFY(left > 400);
        QVERIFY(qAbs(left - (1919 - right)) <= 2);
    }
};

QTEST_MAIN(MenuPlayerTest)
#include "tst_MenuPlayer.moc"
