#include "ui/Services.h"
#include "ui/Udlg.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cstdlib>
#include <functional>

namespace {

const char* const kExitChildVariable = "VQ_TEST_EXIT_CHILD";

void appendTo(const QString& path, const QByteArray& line) {
    QFile f(path);
    if (f.open(QIODevice::Append))
        f.write(line + '\n');
}

// The child process of productionExitRunsHooksAndEndsAtOnce: registers hooks, ends at once and
// must never reach the line after EndProgramNow.
[[noreturn]] void runExitChild(const QString& log) {
    addBeforeExitHook([log] { appendTo(log, "first hook"); });
    const int removed = addBeforeExitHook([log] { appendTo(log, "removed hook"); });
    addBeforeExitHook([] { throw std::runtime_error("a failing hook"); });
    addBeforeExitHook([log] { appendTo(log, "last hook"); });
    removeBeforeExitHook(removed);
    EndProgramNow(7);
}

// Acts on the program's message dialog once it is the active modal window.
void onMessageDialog(std::function<void(TFrmDlg*)> action) {
    auto* poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, action] {
        if (auto* dialog = qobject_cast<TFrmDlg*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            action(dialog);
        }
    });
    poll->start();
}

QStringList visibleButtonTexts(TFrmDlg* dialog) {
    QStringList texts;
    for (QPushButton* b : {dialog->fcShapeBtn1, dialog->fcShapeBtn2, dialog->fcShapeBtn3})
        if (!b->isHidden())
            texts << b->text();
    return texts;
}

} // namespace

class ServicesTest : public QObject {
    Q_OBJECT

private slots:
    void defaultPromptAnswerIsRightmostVisibleButton() {
        ScopedMessages script;
        QCOMPARE(ShowPrompt(QStringLiteral("提示"), QStringLiteral("a"), 9, 0, QString()),
                 3); // all visible at first
        QCOMPARE(ShowPrompt(QStringLiteral("提示"), QStringLiteral("a"), 0, 0, QString()), 2);
        QCOMPARE(ShowPrompt(QStringLiteral("提示"), QStringLiteral("a"), 1, 1, QStringLiteral("NO")), 3);
        QCOMPARE(ShowPrompt(QStringLiteral("提示"), QStringLiteral("a"), 2, 0, QStringLiteral("Exam")), 3);
        QCOMPARE(ShowPrompt(QStringLiteral("提示"), QStringLiteral("a"), 3, 1, QString()), 1);
        // An unknown set keeps the buttons of the call before it.
        QCOMPARE(ShowPrompt(QStringLiteral("提示"), QStringLiteral("a"), 4, 1, QString()), 1);
        QCOMPARE(
            script->box(QStringLiteral("提示"), QStringLiteral("b"), MsgIcon::Question, MsgButtons::OkCancel),
            MsgAnswer::Ok);
    }

    void queuedAnswersComeFirstInOrder() {
        ScopedMessages script;
        script->answerPrompt(2);
        script->answerPrompt(1);
        script->answerBox(MsgAnswer::Cancel);
        QCOMPARE(ShowPrompt(QStringLiteral("提示"), QStringLiteral("a"), 2, 0, QStringLiteral("Exam")), 2);
        QCOMPARE(messages().box(QStringLiteral("提示"), QStringLiteral("还未完成今日学习计划，要退出吗？"),
                                MsgIcon::Question, MsgButtons::OkCancel),
                 MsgAnswer::Cancel);
        QCOMPARE(ShowPrompt(QStringLiteral("提示"), QStringLiteral("b"), 2, 0, QStringLiteral("Exam")), 1);
        QCOMPARE(ShowPrompt(QStringLiteral("提示"), QStringLiteral("c"), 2, 0, QStringLiteral("Exam")), 3);
        QCOMPARE(messages().box(QStringLiteral("提示"), QStringLiteral("d"), MsgIcon::Question,
                                MsgButtons::OkCancel),
                 MsgAnswer::Ok);
    }

    void recordsWhatWasShown() {
        ScopedMessages script;
        ShowPrompt(QStringLiteral("错误"), QStringLiteral("无法打开试卷！"), 1, 2, QStringLiteral("NO"));
        messages().box(QStringLiteral("提示"), QStringLiteral("恭喜完成今日学习计划！"), MsgIcon::Information,
                       MsgButtons::Ok);
        QCOMPARE(script->shown.size(), 2);
        const ScriptedMessages::Shown& p = script->shown.at(0);
        QCOMPARE(p.kind, QStringLiteral("prompt"));
        QCOMPARE(p.caption, QStringLiteral("错误"));
        QCOMPARE(p.text, QStringLiteral("无法打开试卷！"));
        QCOMPARE(p.buttonSet, 1);
        QCOMPARE(p.page, 2);
        QCOMPARE(p.style, QStringLiteral("NO"));
        const ScriptedMessages::Shown& b = script->shown.at(1);
        QCOMPARE(b.kind, QStringLiteral("box"));
        QCOMPARE(b.text, QStringLiteral("恭喜完成今日学习计划！"));
        QCOMPARE(b.icon, MsgIcon::Information);
        QCOMPARE(b.buttons, MsgButtons::Ok);

        script->answerPrompt(1);
        script->clear();
        QVERIFY(script->shown.isEmpty());
        // The queued answer went with clear().
        QCOMPARE(ShowPrompt(QStringLiteral("提示"), QStringLiteral("x"), 1, 1, QStringLiteral("NO")), 3);
    }

    void scopedGuardsNestAndRestore() {
        MessageService* production = &messages();
        {
            ScopedMessages outer;
            QCOMPARE(&messages(), static_cast<MessageService*>(&outer.script()));
            {
                ScopedMessages inner;
                ShowPrompt(QStringLiteral("提示"), QStringLiteral("inner"), 1, 1, QStringLiteral("NO"));
                QCOMPARE(inner->shown.size(), 1);
            }
            QCOMPARE(&messages(), static_cast<MessageService*>(&outer.script()));
            QVERIFY(outer->shown.isEmpty());
        }
        QCOMPARE(&messages(), production);

        ScriptedMessages manual;
        setMessageService(&manual);
        QCOMPARE(&messages(), static_cast<MessageService*>(&manual));
        setMessageService(nullptr);
        QCOMPARE(&messages(), production);
    }

    void systemBoxHasTheLookOfTheProgramsDialog() {
        // A question: OK and Cancel, the caption as given, no program name appended, the notice icon.
        onMessageDialog([](TFrmDlg* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("提示"));
            QCOMPARE(dialog->Label1->text(), QStringLiteral("提示"));
            QCOMPARE(dialog->fcLabel1->text(), QStringLiteral("还未完成今日学习计划，要退出吗？"));
            QCOMPARE(dialog->epNoteBook1->currentIndex(), 0);
            QCOMPARE(visibleButtonTexts(dialog),
                     (QStringList{QStringLiteral("确定"), QStringLiteral("取消")}));
            QTest::mouseClick(dialog->fcShapeBtn2, Qt::LeftButton);
        });
        QCOMPARE(messages().box(QStringLiteral("提示"), QStringLiteral("还未完成今日学习计划，要退出吗？"),
                                MsgIcon::Question, MsgButtons::OkCancel),
                 MsgAnswer::Cancel);

        onMessageDialog([](TFrmDlg* dialog) {
            QCOMPARE(dialog->epNoteBook1->currentIndex(), 1);
            QCOMPARE(visibleButtonTexts(dialog), QStringList{QStringLiteral("确定")});
            QTest::mouseClick(dialog->fcShapeBtn3, Qt::LeftButton);
        });
        QCOMPARE(messages().box(QStringLiteral("提示"), QStringLiteral("请安装Flash6插件文件！"),
                                MsgIcon::Warning, MsgButtons::Ok),
                 MsgAnswer::Ok);

        onMessageDialog([](TFrmDlg* dialog) {
            QCOMPARE(dialog->epNoteBook1->currentIndex(), 2);
            QTest::keyClick(dialog, Qt::Key_Return);
        });
        QCOMPARE(messages().box(QStringLiteral("错误"), QStringLiteral("x"), MsgIcon::Critical,
                                MsgButtons::OkCancel),
                 MsgAnswer::Ok);
    }

    void systemBoxEscape() {
        // Esc cancels a question; a box with only OK still answers OK.
        onMessageDialog([](TFrmDlg* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
        QCOMPARE(messages().box(QStringLiteral("提示"), QStringLiteral("q"), MsgIcon::Question,
                                MsgButtons::OkCancel),
                 MsgAnswer::Cancel);
        onMessageDialog([](TFrmDlg* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
        QCOMPARE(messages().box(QStringLiteral("错误"), QStringLiteral("无法连接数据库！"), MsgIcon::Critical,
                                MsgButtons::Ok),
                 MsgAnswer::Ok);
    }

    void aMessageRaisedUnderAnOpenOneGetsItsOwnDialog() {
        // A timer that prompts while the shared dialog is open must not reuse it (a recursive exec).
        CreateSharedWindows();
        QStringList seen;
        onMessageDialog([&seen](TFrmDlg* outer) {
            seen << outer->fcLabel1->text();
            QTimer::singleShot(0, [&seen, outer] {
                onMessageDialog([&seen, outer](TFrmDlg* inner) {
                    seen << inner->fcLabel1->text();
                    QVERIFY(inner != outer);
                    QVERIFY(outer->isVisible());
                    inner->fcShapeBtn3->click();
                    QTimer::singleShot(0, outer->fcShapeBtn3, &QPushButton::click);
                });
                ShowPrompt(QStringLiteral("提示"), QStringLiteral("inner"), 1, 1, QStringLiteral("NO"));
            });
        });
        QCOMPARE(ShowPrompt(QStringLiteral("提示"), QStringLiteral("outer"), 1, 0, QStringLiteral("NO")), 3);
        QCOMPARE(seen, (QStringList{QStringLiteral("outer"), QStringLiteral("inner")}));
        DestroySharedWindows();
    }

    void queuedPromptWaitsForTheOpenMessage() {
        ScopedMessages script;
        QueuePrompt(QStringLiteral("提示"), QStringLiteral("now"), 1, 1, QStringLiteral("NO"));
        QCOMPARE(script->shown.size(), 1); // nothing open: shown at once
        script->whileOpen = [](const ScriptedMessages::Shown& s) {
            if (s.text == u"open")
                QueuePrompt(QStringLiteral("提示"), QStringLiteral("到时间了"), 1, 1, QStringLiteral("NO"));
        };
        ShowPrompt(QStringLiteral("提示"), QStringLiteral("open"), 1, 1, QStringLiteral("NO"));
        QCOMPARE(script->shown.size(), 2); // queued, not shown inside the open one
        QTRY_COMPARE(script->shown.size(), 3);
        QCOMPARE(script->shown.last().text, QStringLiteral("到时间了"));
    }

    void scriptedExitStopsTheCaller() {
        ScopedExit exit;
        bool after = false;
        try {
            EndProgramNow(3);
            after = true;
        } catch (const ProgramEnded& e) {
            QCOMPARE(e.code, 3);
        }
        QVERIFY(!after);
        QVERIFY(exit->requested);
        QCOMPARE(exit->code, 3);

        bool hookRan = false;
        const int hook = addBeforeExitHook([&hookRan] { hookRan = true; });
        QVERIFY_THROWS_EXCEPTION(ProgramEnded, EndProgramNow());
        QCOMPARE(exit->code, 0);
        // Hooks close real resources: a test's scripted end leaves them alone.
        QVERIFY(!hookRan);
        removeBeforeExitHook(hook);
    }

    void scopedExitRestores() {
        ExitService* production = &exitService();
        {
            ScopedExit outer;
            {
                ScopedExit inner;
                QVERIFY_THROWS_EXCEPTION(ProgramEnded, EndProgramNow(1));
                QVERIFY(inner->requested);
            }
            QVERIFY(!outer->requested);
            QCOMPARE(&exitService(), static_cast<ExitService*>(&outer.script()));
        }
        QCOMPARE(&exitService(), production);
    }

    void productionExitRunsHooksAndEndsAtOnce() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString log = dir.filePath(QStringLiteral("exit.log"));
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kExitChildVariable), log);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 7);
        QFile f(log);
        QVERIFY(f.open(QIODevice::ReadOnly));
        // In order of registration; the removed one not at all; a failing one does not stop the rest.
        QCOMPARE(f.readAll(), QByteArray("first hook\nlast hook\n"));
    }
};

int main(int argc, char** argv) {
    const QString childLog = qEnvironmentVariable(kExitChildVariable);
    if (!childLog.isEmpty())
        runExitChild(childLog);
    QApplication app(argc, argv);
    ServicesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Services.moc"
