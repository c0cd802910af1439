#include "ui/PromptIcons.h"
#include "ui/Services.h"
#include "ui/Udlg.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <stdexcept>

namespace {

// Runs action on the modal dialog as soon as it is up.
void onModal(std::function<void(QWidget*)> action) {
    auto* poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, action] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            action(modal);
        }
    });
    poll->start();
}

struct Seen {
    QStringList visibleCaptions;
    QString title;
};

// Clicks the named button of the modal dialog, noting first which buttons it shows.
void clickWhenShown(const QString& buttonName, Seen* seen = nullptr) {
    onModal([buttonName, seen](QWidget* modal) {
        if (seen) {
            seen->title = modal->windowTitle();
            for (const char* name : {"fcShapeBtn1", "fcShapeBtn2", "fcShapeBtn3"}) {
                auto* b = modal->findChild<QPushButton*>(QLatin1String(name));
                if (b && b->isVisible())
                    seen->visibleCaptions << b->text();
            }
        }
        auto* b = modal->findChild<QPushButton*>(buttonName);
        QVERIFY(b);
        QTest::mouseClick(b, Qt::LeftButton);
    });
}

void keyWhenShown(Qt::Key key) {
    onModal([key](QWidget* modal) { QTest::keyClick(modal, key); });
}

QList<bool> visibility(const TFrmDlg& d) {
    return {!d.fcShapeBtn1->isHidden(), !d.fcShapeBtn2->isHidden(), !d.fcShapeBtn3->isHidden()};
}

} // namespace

class PromptDialogTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { DestroySharedWindows(); }

    void buttonSets_data() {
        QTest::addColumn<int>("set");
        QTest::addColumn<QList<bool>>("visible");
        QTest::newRow("0: first two") << 0 << QList<bool>{true, true, false};
        QTest::newRow("1: third only") << 1 << QList<bool>{false, false, true};
        QTest::newRow("2: all three") << 2 << QList<bool>{true, true, true};
        QTest::newRow("3: first only") << 3 << QList<bool>{true, false, false};
    }
    void buttonSets() {
        QFETCH(int, set);
        QFETCH(QList<bool>, visible);
        TFrmDlg d;
        // Start from the opposite of what the set asks for, so every button has to change.
        d.preparePrompt(QStringLiteral("提示"), QStringLiteral("x"), set == 2 ? 3 : 2, 0, QString());
        d.preparePrompt(QStringLiteral("提示"), QStringLiteral("x"), set, 0, QString());
        QCOMPARE(visibility(d), visible);
    }

    void unknownSetKeepsPreviousButtons() {
        TFrmDlg d;
        d.preparePrompt(QStringLiteral("提示"), QStringLiteral("a"), 0, 0, QString());
        d.preparePrompt(QStringLiteral("提示"), QStringLiteral("b"), 7, 0, QString());
        QCOMPARE(visibility(d), (QList<bool>{true, true, false}));
        d.preparePrompt(QStringLiteral("提示"), QStringLiteral("c"), 3, 0, QString());
        d.preparePrompt(QStringLiteral("提示"), QStringLiteral("d"), -1, 0, QString());
        QCOMPARE(visibility(d), (QList<bool>{true, false, false}));
        // Only set 3 narrows: an unknown set after it is back at the designed width.
        QCOMPARE(d.width(), d.designedWidth());
    }

    void narrowSetThenFullWidthAgain() {
        TFrmDlg d;
        const int designed = d.designedWidth();
        QVERIFY(designed > 200);
        d.preparePrompt(QStringLiteral("提示"), QStringLiteral("请选择考点所在的章节"), 3, 1, QString());
        QCOMPARE(d.width(), 200);
        d.preparePrompt(QStringLiteral("提示"), QStringLiteral("已保存"), 1, 1, QStringLiteral("NO"));
        QCOMPARE(d.width(), designed);
        d.preparePrompt(QStringLiteral("提示"), QStringLiteral("已保存"), 3, 1, QString());
        d.preparePrompt(QStringLiteral("提示"), QStringLiteral("已保存"), 2, 0, QStringLiteral("Exam"));
        QCOMPARE(d.width(), designed);
    }

    void longTextGrowsTheDialogDownwards() {
        TFrmDlg d;
        d.preparePrompt(QStringLiteral("提示"), QStringLiteral("短"), 1, 0, QStringLiteral("NO"));
        const int shortHeight = d.height();
        d.preparePrompt(QStringLiteral("提示"), QString(60, QChar(0x9898)), 1, 0, QStringLiteral("NO"));
        QVERIFY(d.height() > shortHeight);
        QCOMPARE(d.width(), d.designedWidth());
        QVERIFY(d.fcLabel1->geometry().bottom() <= d.height());
        // A very long message (an engine's error text) widens the dialog first, so that it stays on an
        // 800 x 600 screen; the next short message is back at the designed width.
        d.preparePrompt(QStringLiteral("提示"), QString(400, QChar(0x9898)), 1, 0, QStringLiteral("NO"));
        QVERIFY(d.width() > d.designedWidth());
        QVERIFY(d.width() <= 790 && d.height() <= 524);
        QVERIFY(d.fcLabel1->geometry().bottom() <= d.height());
        d.preparePrompt(QStringLiteral("提示"), QStringLiteral("短"), 1, 0, QStringLiteral("NO"));
        QCOMPARE(d.width(), d.designedWidth());
    }

    void captionsByStyle_data() {
        QTest::addColumn<QString>("style");
        QTest::addColumn<QStringList>("captions");
        const QStringList ordinary{QStringLiteral("确定"), QStringLiteral("取消"), QStringLiteral("确定")};
        QTest::newRow("Exam") << QStringLiteral("Exam")
                              << QStringList{QStringLiteral("确定"), QStringLiteral("作废"),
                                             QStringLiteral("取消")};
        QTest::newRow("NO") << QStringLiteral("NO") << ordinary;
        QTest::newRow("No") << QStringLiteral("No") << ordinary;
        QTest::newRow("empty") << QString() << ordinary;
        QTest::newRow("exam lower case") << QStringLiteral("exam") << ordinary;
    }
    void captionsByStyle() {
        QFETCH(QString, style);
        QFETCH(QStringList, captions);
        TFrmDlg d;
        // After an exam call, so that ordinary captions must really be put back.
        d.preparePrompt(QStringLiteral("提示"), QStringLiteral("x"), 2, 0, QStringLiteral("Exam"));
        d.preparePrompt(QStringLiteral("提示"), QStringLiteral("x"), 2, 0, style);
        QCOMPARE((QStringList{d.fcShapeBtn1->text(), d.fcShapeBtn2->text(), d.fcShapeBtn3->text()}),
                 captions);
    }

    void captionTextAndPage() {
        TFrmDlg d;
        QCOMPARE(d.windowTitle(), QStringLiteral("提示框"));
        QCOMPARE(d.epNoteBook1->count(), 3);
        QCOMPARE(d.epNoteBook1->widget(0)->objectName(), QStringLiteral("提示"));
        QCOMPARE(d.epNoteBook1->widget(1)->objectName(), QStringLiteral("警告"));
        QCOMPARE(d.epNoteBook1->widget(2)->objectName(), QStringLiteral("错误"));

        d.preparePrompt(QStringLiteral("错误"), QStringLiteral("无法打开试卷！"), 1, 2, QStringLiteral("NO"));
        QCOMPARE(d.windowTitle(), QStringLiteral("错误"));
        QCOMPARE(d.Label1->text(), QStringLiteral("错误"));
        QCOMPARE(d.fcLabel1->text(), QStringLiteral("无法打开试卷！"));
        QCOMPARE(d.epNoteBook1->currentIndex(), 2);
        QVERIFY(d.fcLabel1->alignment() & Qt::AlignLeft);
        QVERIFY(d.fcLabel1->alignment() & Qt::AlignTop);
        QVERIFY(d.windowFlags() & Qt::FramelessWindowHint);

        // A page outside 0..2 leaves the picture of the previous message.
        d.preparePrompt(QStringLiteral("提示"), QStringLiteral("x"), 1, 5, QStringLiteral("NO"));
        QCOMPARE(d.epNoteBook1->currentIndex(), 2);
    }

    void iconPagesDifferAndAreDrawn() {
        const QImage notice = PromptIcon(PromptIconKind::Notice, 48).toImage();
        const QImage warning = PromptIcon(PromptIconKind::Warning, 48).toImage();
        const QImage error = PromptIcon(PromptIconKind::Error, 48).toImage();
        QVERIFY(notice != warning && warning != error && notice != error);
        // Transparent corners, coloured body: blue notice, red error, amber warning.
        QCOMPARE(qAlpha(notice.pixel(0, 0)), 0);
        const QColor n = notice.pixelColor(24, 40);
        const QColor e = error.pixelColor(12, 24);
        const QColor w = warning.pixelColor(14, 38);
        QVERIFY2(n.blue() > n.red(), qPrintable(n.name()));
        QVERIFY2(e.red() > e.blue() && e.red() > e.green(), qPrintable(e.name()));
        QVERIFY2(w.red() > w.blue() && w.green() > w.blue(), qPrintable(w.name()));
    }

    void oneButtonNoticeReturnsThree() {
        CreateSharedWindows();
        Seen seen;
        clickWhenShown(QStringLiteral("fcShapeBtn3"), &seen);
        const int result =
            ShowPrompt(QStringLiteral("提示"), QStringLiteral("已保存"), 1, 1, QStringLiteral("NO"));
        QCOMPARE(result, 3);
        QCOMPARE(seen.visibleCaptions, QStringList{QStringLiteral("确定")});
        QCOMPARE(seen.title, QStringLiteral("提示"));
        QVERIFY(!FrmDlg->isVisible());
    }

    void examHandInButtons_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("result");
        QTest::newRow("确定") << QStringLiteral("fcShapeBtn1") << 1;
        QTest::newRow("作废") << QStringLiteral("fcShapeBtn2") << 2;
        QTest::newRow("取消") << QStringLiteral("fcShapeBtn3") << 3;
    }
    void examHandInButtons() {
        QFETCH(QString, button);
        QFETCH(int, result);
        CreateSharedWindows();
        Seen seen;
        clickWhenShown(button, &seen);
        QCOMPARE(
            ShowPrompt(QStringLiteral("提示"), QStringLiteral("确定交卷吗？"), 2, 0, QStringLiteral("Exam")),
            result);
        QCOMPARE(seen.visibleCaptions,
                 (QStringList{QStringLiteral("确定"), QStringLiteral("作废"), QStringLiteral("取消")}));
    }

    void keyboardAnswers_data() {
        QTest::addColumn<int>("set");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("result");
        // Enter: the first visible button. Esc: the last visible one.
        QTest::newRow("set 0 Enter") << 0 << int(Qt::Key_Return) << 1;
        QTest::newRow("set 0 Esc") << 0 << int(Qt::Key_Escape) << 2;
        QTest::newRow("set 1 Enter") << 1 << int(Qt::Key_Return) << 3;
        QTest::newRow("set 1 Esc") << 1 << int(Qt::Key_Escape) << 3;
        QTest::newRow("set 2 Esc") << 2 << int(Qt::Key_Escape) << 3;
        QTest::newRow("set 3 Esc") << 3 << int(Qt::Key_Escape) << 1;
    }
    void keyboardAnswers() {
        QFETCH(int, set);
        QFETCH(int, key);
        QFETCH(int, result);
        TFrmDlg d;
        keyWhenShown(Qt::Key(key));
        QCOMPARE(d.execPrompt(QStringLiteral("提示"), QStringLiteral("x"), set, 0, QStringLiteral("NO")),
                 result);
    }

    void promptWithoutSharedDialogStillWorks() {
        QVERIFY(!FrmDlg);
        clickWhenShown(QStringLiteral("fcShapeBtn2"));
        QCOMPARE(ShowPrompt(QStringLiteral("提示"), QStringLiteral("x"), 0, 0, QString()), 2);
    }

    void sharedWindowsLifecycle() {
        CreateSharedWindows();
        QVERIFY(FrmDlg && FrmProgress);
        TFrmDlg* first = FrmDlg;
        CreateSharedWindows(); // a second call keeps the windows
        QCOMPARE(FrmDlg, first);
        QVERIFY(!FrmDlg->isVisible() && !FrmProgress->isVisible());
        DestroySharedWindows();
        QVERIFY(!FrmDlg && !FrmProgress);
    }

    void progressWindow() {
        CreateSharedWindows();
        QCOMPARE(FrmProgress->windowTitle(), QStringLiteral("进度条"));
        QCOMPARE(FrmProgress->Label1->text(), QStringLiteral("请等待..."));
        QCOMPARE(FrmProgress->cursor().shape(), Qt::WaitCursor);
        QVERIFY(FrmProgress->windowFlags() & Qt::FramelessWindowHint);

        ShowProgress(QStringLiteral("正在出卷..."));
        QVERIFY(FrmProgress->isVisible());
        QCOMPARE(FrmProgress->Label1->text(), QStringLiteral("正在出卷..."));
        ShowProgress(QStringLiteral("正在判卷..."));
        QCOMPARE(FrmProgress->Label1->text(), QStringLiteral("正在判卷..."));
        HideProgress();
        QVERIFY(!FrmProgress->isVisible());
    }

    void scopedProgressHidesOnFailure() {
        CreateSharedWindows();
        try {
            ScopedProgress progress(QStringLiteral("正在导出试卷，请等待..."));
            QVERIFY(FrmProgress->isVisible());
            throw std::runtime_error("export failed");
        } catch (const std::runtime_error&) {
        }
        QVERIFY(!FrmProgress->isVisible());
    }
};

QTEST_MAIN(PromptDialogTest)
#include "tst_PromptDialog.moc"
