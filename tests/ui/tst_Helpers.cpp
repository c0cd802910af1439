#include "ui/Helpers.h"

#include <QApplication>
#include <QDialog>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include <stdexcept>

namespace {

bool hourglassShown() {
    const QCursor* c = QGuiApplication::overrideCursor();
    return c && c->shape() == Qt::WaitCursor;
}

// A window that reports the cursor it sees while it shows, closes itself with a result, or
// fails while showing.
class ProbeDialog : public QDialog {
public:
    explicit ProbeDialog(bool* hourglassWhileShown, bool failWhileShown = false)
        : m_seen(hourglassWhileShown), m_fail(failWhileShown) {}
    int exec() override {
        *m_seen = hourglassShown();
        if (m_fail)
            throw std::runtime_error("loading failed");
        QTimer::singleShot(0, this, [this] { done(42); });
        return QDialog::exec();
    }

private:
    bool* m_seen;
    bool m_fail;
};

} // namespace

class HelpersTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { SetScreenCursor(Qt::ArrowCursor); }

    void answerPageForType_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("page");
        QTest::newRow("61 single choice") << 61 << 0;
        QTest::newRow("65 multiple choice") << 65 << 1;
        QTest::newRow("66 several options") << 66 << 5;
        QTest::newRow("62") << 62 << 99;
        QTest::newRow("70") << 70 << 99;
        QTest::newRow("60 just below") << 60 << 99;
        QTest::newRow("67 just above") << 67 << 99;
        QTest::newRow("0") << 0 << 99;
        QTest::newRow("negative") << -61 << 99;
    }
    void answerPageForType() {
        QFETCH(int, type);
        QFETCH(int, page);
        QCOMPARE(AnswerPageForType(type), page);
    }

    void openWindowShowsHourglassAndCleansUp() {
        bool hourglassAtCreation = false;
        bool hourglassWhileShown = false;
        QPointer<ProbeDialog> created;
        ProbeDialog* reference = nullptr;
        const int result = OpenWindow(
            [&] {
                hourglassAtCreation = hourglassShown();
                created = new ProbeDialog(&hourglassWhileShown);
                return created.data();
            },
            &reference);
        QCOMPARE(result, 42);
        QVERIFY(hourglassAtCreation);
        QVERIFY(hourglassWhileShown);
        QVERIFY(created.isNull());
        QVERIFY(!reference);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void referenceHoldsTheWindowWhileItShows() {
        ProbeDialog* reference = nullptr;
        bool seen = false;
        bool referenceSet = false;
        OpenWindow(
            [&] {
                auto* d = new ProbeDialog(&seen);
                QTimer::singleShot(0, d, [&reference, &referenceSet, d] { referenceSet = reference == d; });
                return d;
            },
            &reference);
        QVERIFY(referenceSet);
        QVERIFY(!reference);
    }

    void failureWhileShowingStillCleansUp() {
        bool seen = false;
        QPointer<ProbeDialog> created;
        ProbeDialog* reference = nullptr;
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, OpenWindow(
                                                         [&] {
                                                             created = new ProbeDialog(&seen, true);
                                                             return created.data();
                                                         },
                                                         &reference));
        QVERIFY(seen);
        QVERIFY(created.isNull());
        QVERIFY(!reference);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void failureWhileCreatingRestoresCursor() {
        QDialog* reference = nullptr;
        QVERIFY_THROWS_EXCEPTION(
            std::runtime_error,
            OpenWindow([]() -> QDialog* { throw std::runtime_error("no data"); }, &reference));
        QVERIFY(!reference);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void arrowBackBeforeShowing() {
        bool hourglassAtCreation = false;
        bool hourglassWhileShown = true;
        OpenWindow(
            [&] {
                hourglassAtCreation = hourglassShown();
                return new ProbeDialog(&hourglassWhileShown);
            },
            nullptr, OpenCursor::ArrowAfterCreate);
        QVERIFY(hourglassAtCreation);
        QVERIFY(!hourglassWhileShown);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void noHourglassLeavesCursorAlone() {
        bool hourglassAtCreation = true;
        bool hourglassWhileShown = true;
        QPointer<ProbeDialog> created;
        const int result = OpenWindowNoHourglass([&] {
            hourglassAtCreation = hourglassShown();
            created = new ProbeDialog(&hourglassWhileShown);
            return created.data();
        });
        QCOMPARE(result, 42);
        QVERIFY(!hourglassAtCreation);
        QVERIFY(!hourglassWhileShown);
        QVERIFY(created.isNull());
    }

    void plainWidgetShowsModallyUntilClosed() {
        QPointer<QWidget> created;
        bool modal = false;
        const int result = OpenWindow([&] {
            auto* w = new QWidget;
            created = w;
            QTimer::singleShot(0, w, [w, &modal] {
                modal = QApplication::activeModalWidget() == w;
                w->close();
            });
            return w;
        });
        QCOMPARE(result, 0);
        QVERIFY(modal);
        QVERIFY(created.isNull());
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void busyCursorNestsAndRestores() {
        {
            BusyCursor outer;
            QVERIFY(hourglassShown());
            {
                BusyCursor inner;
                QVERIFY(hourglassShown());
            }
            QVERIFY(hourglassShown());
        }
        QVERIFY(!QGuiApplication::overrideCursor());

        SetScreenCursor(Qt::PointingHandCursor);
        {
            BusyCursor busy;
            QVERIFY(hourglassShown());
            busy.release();
            QCOMPARE(ScreenCursor(), Qt::PointingHandCursor);
        }
        // release() already put it back; the end of the scope does not do it twice.
        QCOMPARE(ScreenCursor(), Qt::PointingHandCursor);
    }

    void screenCursorIsOneValue() {
        SetScreenCursor(Qt::WaitCursor);
        SetScreenCursor(Qt::WaitCursor);
        SetScreenCursor(Qt::ArrowCursor);
        // However often the hourglass was set, one arrow puts it away.
        QVERIFY(!QGuiApplication::overrideCursor());
        QCOMPARE(ScreenCursor(), Qt::ArrowCursor);
    }

    void centreOnDesktop() {
        QWidget w;
        w.resize(300, 200);
        CentreOnDesktop(&w);
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(qAbs(w.frameGeometry().center().x() - area.center().x()) <= 1);
        QVERIFY(qAbs(w.frameGeometry().center().y() - area.center().y()) <= 1);
    }

    void sharedWindowsStayAboveTheActiveWindow() {
        QWidget main;
        main.show();
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        QWidget ownerless;
        KeepAboveActiveWindow(&ownerless);
        QVERIFY(ownerless.windowHandle());
        QCOMPARE(ownerless.windowHandle()->transientParent(), main.windowHandle());
    }

    void chineseFont() {
        const QString family = ChineseFontFamily();
        if (family.isEmpty())
            QSKIP("no Simplified Chinese font installed");
        QVERIFY(ChineseFontFamilies().contains(family));
        QCOMPARE(ChineseFontFamilies().first(), QStringLiteral("Noto Sans CJK SC"));
        ApplyChineseFont(*qApp);
        QCOMPARE(QApplication::font().families().value(0), family);
    }
};

QTEST_MAIN(HelpersTest)
#include "tst_Helpers.moc"
