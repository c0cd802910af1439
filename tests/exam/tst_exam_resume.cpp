// An exam that survives a crash: a separate process sits a kind-2 paper from the menu, answers some
// questions and is killed (SIGKILL) once its clock has been stored. The next start offers to take the
// paper up again; it opens in mode "new" with every answer given so far and the clock where it was.
// Declining leaves the paper unmarked in the archive, or drops a large paper nobody answered.
#include "app/Startup.h"
#include "app/start.h"
#include "exam/ExamResume.h"
#include "exam/Uexam.h"
#include "platform/MenuPlayer.h"
#include "practice/QuestionView.h"
#include "store/Clock.h"
#include "store/dm.h"
#include "tests/exam/ExamBank.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestSupport.h"
#include "ui/AppState.h"
#include "ui/Services.h"

#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

using testsupport::whenModal;

namespace {

StartOptions optionsFor(const QString& bank) {
    StartOptions o;
    o.bankPath = bank;
    o.menuFile = qEnvironmentVariable("VQ_SOURCE_DIR") + QStringLiteral("/pic/main.menu");
    o.singleInstance = false;
    return o;
}

void clickMenu(const QString& command) {
    MenuPlayer* menu = FrmStart->Menu();
    menu->stop();
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->itemRect(menu->indexOfCommand(command)).center());
}

// The worker: the program on the bank, "mnks2" from the menu, the first `answers` questions answered
// with their keys; once the clock stored for the paper has reached 5 seconds it prints what it answered
// and goes on waiting in the exam's loop until it is killed.
int RunWorker(const QString& bank, int answers) {
    if (StartProgram(optionsFor(bank)) != StartResult::Running)
        return 2;
    ProgramFolder = qEnvironmentVariable("VQ_SOURCE_DIR") + u'/';
    whenModal<TFrmExam>(
        [answers](TFrmExam* w) {
            QStringList ids;
            for (int i = 0; i < answers; ++i) {
                ids << DM1->Cn1Query_exam.asString(QStringLiteral("A1"));
                const QString key = DM1->Cn1Query_exam.asString(QStringLiteral("A2"));
                for (QChar c : key)
                    QTest::mouseClick(w->View()->optionButton(w->View()->page(), c.unicode() - u'A'),
                                      Qt::LeftButton);
                QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("Next")), Qt::LeftButton);
            }
            auto* poll = new QTimer(w);
            QObject::connect(poll, &QTimer::timeout, [poll, ids] {
                const qint64 stored =
                    DM1->ADOCn1.scalar(QStringLiteral("select C1 from tab_ksjs")).toLongLong();
                if (stored < 5)
                    return;
                poll->stop();
                std::printf("READY %lld %s\n", stored, qPrintable(ids.join(u',')));
                std::fflush(stdout);
            });
            poll->start(100);
        },
        60000);
    clickMenu(QStringLiteral("mnks2"));
    return 3; // the exam window never closes on its own
}

} // namespace

class TestExamResume : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString newBank(const QString& name) {
        const QString dir = m_dir.filePath(name);
        QDir().mkpath(dir);
        return testsupport::buildBank(dir, examtest::Content(examtest::KindQuestions(2)));
    }

    // Runs the worker on bank until it reports, then kills it. Returns {seconds stored, ids answered}.
    // Starts the program on bank with the pictures of the sources, before any event runs.
    static StartResult start(const QString& bank) {
        const StartResult r = StartProgram(optionsFor(bank));
        ProgramFolder = qEnvironmentVariable("VQ_SOURCE_DIR") + u'/';
        return r;
    }

    QPair<qint64, QStringList> sitAndKill(const QString& bank, int answers) {
        QProcess worker;
        worker.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        worker.start(QCoreApplication::applicationFilePath(),
                     {QStringLiteral("--exam-worker"), bank, QString::number(answers)});
        QString line;
        QElapsedTimer since;
        since.start();
        while (!line.startsWith(QStringLiteral("READY")) && since.elapsed() < 90000) {
            if (!worker.waitForReadyRead(1000) && worker.state() != QProcess::Running)
                break;
            while (worker.canReadLine())
                line = QString::fromUtf8(worker.readLine()).trimmed();
        }
        worker.kill(); // SIGKILL: nothing of the program runs after this
        worker.waitForFinished(10000);
        const QStringList parts = line.split(u' ');
        if (parts.size() < 2)
            return {-1, {}};
        return {parts.value(1).toLongLong(), parts.value(2).split(u',', Qt::SkipEmptyParts)};
    }

private slots:
    void cleanup() {
        if (FrmStart)
            FinishProgram();
    }

    void aKilledExamIsTakenUpWithItsAnswersAndItsTime() {
        const QString bank = newBank(QStringLiteral("resume"));
        const auto [stored, ids] = sitAndKill(bank, 3);
        QVERIFY2(stored >= 5, "the worker never stored its clock");
        QCOMPARE(ids.size(), 3);

        ScopedMessages shown;
        shown->answerBox(MsgAnswer::Ok);
        bool resumed = false;
        whenModal<TFrmExam>([&](TFrmExam* w) {
            resumed = true;
            QCOMPARE(w->Mode(), QStringLiteral("new"));
            QCOMPARE(w->QuestionCount(), 100);
            // Every answer given before the kill, and nothing else.
            int answered = 0;
            for (int q = 1; q <= w->QuestionCount(); ++q)
                answered += w->ButtonState(q) == u"answered";
            QCOMPARE(answered, 3);
            for (const QString& id : ids)
                QCOMPARE(DM1->ADOCn1.scalar(QStringLiteral("select E2_1 from tab_exam1 where A1=?"), {id}).toString(),
                         DM1->ADOCn1.scalar(QStringLiteral("select A2 from tab_exam1 where A1=?"), {id}).toString());
            // The clock goes on from the time stored, within a few seconds.
            const QStringList hms = w->ClockText().split(u':');
            const qint64 shownSeconds = hms.value(0).toLongLong() * 3600 + hms.value(1).toLongLong() * 60 +
                                        hms.value(2).toLongLong();
            QVERIFY2(shownSeconds >= stored && shownSeconds <= stored + 5, qPrintable(w->ClockText()));
            // Submitting marks it as any paper.
            shown->answerPrompt(1);
            QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("Submit")), Qt::LeftButton);
            QCOMPARE(w->Mode(), QStringLiteral("old"));
            QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("Close")), Qt::LeftButton);
        });
        QCOMPARE(start(bank), StartResult::Running);
        QTRY_VERIFY_WITH_TIMEOUT(resumed, 20000);
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QCOMPARE(shown->shown.value(0).caption, QStringLiteral("提示"));
        QVERIFY(shown->shown.value(0).text.contains(QStringLiteral("继续上次未完成的考试")));
        QVERIFY(shown->shown.value(0).text.contains(QStringLiteral("剩余时间")));
        QVERIFY(!DM1->ADOCn1.scalar(QStringLiteral("select D2 from tab_cj where A1='tab_exam1'")).toString().isEmpty());
        QCOMPARE(DM1->ADOCn1.scalar(QStringLiteral("select count(*) from tab_ksjs")).toInt(), 0);
        QCOMPARE(DM1->ADOCn1.scalar(QStringLiteral("select sum(E3) from tab_answ")).toInt(), 3);
        FinishProgram();

        // The next start offers nothing.
        ScopedMessages again;
        QCOMPARE(start(bank), StartResult::Running);
        QTest::qWait(100);
        QCOMPARE(again->shown.size(), 0);
    }

    void decliningLeavesThePaperAsClosingItWould() {
        // With answers: unmarked in the archive.
        const QString bank = newBank(QStringLiteral("decline"));
        QVERIFY(sitAndKill(bank, 2).first >= 5);
        {
            ScopedMessages shown;
            shown->answerBox(MsgAnswer::Cancel);
            QCOMPARE(start(bank), StartResult::Running);
            QTRY_COMPARE(shown->shown.size(), 1);
            QVERIFY(!QApplication::activeModalWidget());
            QCOMPARE(DM1->ADOCn1.scalar(QStringLiteral("select count(*) from tab_cj where A1='tab_exam1'")).toInt(), 1);
            QVERIFY(DM1->ADOCn1.scalar(QStringLiteral("select D2 from tab_cj")).toString().isEmpty());
            QCOMPARE(DM1->ADOCn1.scalar(QStringLiteral("select count(*) from tab_ksjs")).toInt(), 0);
            FinishProgram();
        }
        // Without an answer on a 100-question paper: thrown away, as ending it would.
        const QString empty = newBank(QStringLiteral("empty"));
        QVERIFY(sitAndKill(empty, 0).first >= 5);
        ScopedMessages shown;
        shown->answerBox(MsgAnswer::Cancel);
        QCOMPARE(start(empty), StartResult::Running);
        QTRY_COMPARE(shown->shown.size(), 1);
        QCOMPARE(DM1->ADOCn1.scalar(QStringLiteral("select count(*) from tab_cj")).toInt(), 0);
        QVERIFY(!DM1->ADOCn1.hasTable(QStringLiteral("tab_exam1")));
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc >= 4 && qstrcmp(argv[1], "--exam-worker") == 0) {
        const int code = RunWorker(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]).toInt());
        if (code != 3)
            return code;
        return QApplication::exec();
    }
    TestExamResume test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_exam_resume.moc"
