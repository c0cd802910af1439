// Times the mock exam on a synthetic bank, each step beside the same statements run raw on the engine
// in the same process:
//   - drawing a kind-2 paper: the data work (numbering, table, draw, copy, archive row, opening the
//     paper), and the whole way from the menu command to the first question on screen;
//   - moving to the next question with the answer saved (marked, with the bank row and all counters);
//   - submitting: from "交卷" to the review on screen.
//
//   bench_exam [questions=100000] [rounds=30]
#include "exam/ExamMarking.h"
#include "exam/MockExam.h"
#include "exam/PaperGeneration.h"
#include "exam/PaperRandom.h"
#include "exam/Uexam.h"
#include "practice/QuestionView.h"
#include "store/BankKey.h"
#include "store/DrawPlan.h"
#include "store/Schema.h"
#include "store/dm.h"
#include "tools/SynthBank.h"
#include "ui/AppState.h"
#include "ui/Services.h"
#include "ui/Udlg.h"

#include <sqlcipher/sqlite3.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void report(const char* what, double ours, double raw, double aimMs) {
    if (aimMs <= 0 && raw <= 0)
        std::printf("%-44s %9.3f ms\n", what, ours);
    else if (aimMs <= 0)
        std::printf("%-44s %9.3f ms   raw %9.3f ms   ratio %5.2f\n", what, ours, raw, ours / raw);
    else if (raw > 0)
        std::printf("%-44s %9.3f ms   raw %9.3f ms   ratio %5.2f   aim < %.0f ms\n", what, ours, raw,
                    ours / raw, aimMs);
    else
        std::printf("%-44s %9.3f ms                                    aim < %.0f ms\n", what, ours, aimMs);
}

// The raw engine: one connection with the same key and journal settings, statements stepped by hand.
struct Raw {
    sqlite3* db = nullptr;
    explicit Raw(const QString& path) {
        sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        const QByteArray key = "PRAGMA key = \"x'" + store::BankKey().toHex() + "'\"";
        sqlite3_exec(db, key.constData(), nullptr, nullptr, nullptr);
        sqlite3_exec(db, "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL; PRAGMA cache_size=-65536",
                     nullptr, nullptr, nullptr);
    }
    ~Raw() { sqlite3_close(db); }
    // Runs one statement with text parameters; returns the rows and keeps the first column of each.
    int run(const QByteArray& sql, const QList<QByteArray>& binds = {}, QList<QByteArray>* first = nullptr) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "raw: %s\n  %s\n", sqlite3_errmsg(db), sql.constData());
            return -1;
        }
        for (int i = 0; i < binds.size(); ++i)
            sqlite3_bind_text(st, i + 1, binds[i].constData(), int(binds[i].size()), SQLITE_TRANSIENT);
        int rows = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(st); ++c)
                sqlite3_column_value(st, c);
            if (first)
                first->push_back(QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))));
            ++rows;
        }
        sqlite3_finalize(st);
        return rows;
    }
};

QByteArray paperColumns() {
    return "(a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,E3,E4,JX,CSBS,F1) "
           "select "
           "a.a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,e3,e4,b.jx,a.csbs,a.f1 "
           "from tab_answ a, tab_exer b where a.a1=b.a1 and a.a1 in (";
}

// The raw statements of one kind-2 draw: numbering, table, candidates, composition, copy, archive row,
// opening the paper.
void rawDraw(Raw& raw, RandomSource& random, const QByteArray& today) {
    raw.run("select A1, A3_1 from tab_cj order by A3_1 desc");
    raw.run("BEGIN");
    raw.run("select count(*) from sqlite_master where type='table' and lower(name)=lower('tab_exam999')");
    raw.run(store::PaperTableStatement(QStringLiteral("tab_exam999"))
                .replace(QStringLiteral("MEMO"), QStringLiteral("TEXT"))
                .replace(QStringLiteral("DATETIME"), QStringLiteral("TEXT"))
                .replace(QStringLiteral("IMAGE"), QStringLiteral("BLOB"))
                .toUtf8());
    raw.run("PRAGMA table_info('tab_exam999')");
    QList<QByteArray> ids;
    raw.run("select A1, A13, A10 from tab_answ where ((A10 >= '10' and A10 < '11') or (A10 >= '11' and A10 < "
            "'12') "
            "or (A10 >= '04' and A10 < '05')) and (f1 <> 1)",
            {}, &ids);
    raw.run("select A1, B2 from tab_tx2 order by A1");
    QStringList candidates;
    for (const QByteArray& id : std::as_const(ids))
        candidates << QString::fromUtf8(id);
    const QStringList picks = DrawFromCandidates(candidates, 100, random);
    QByteArray marks;
    QList<QByteArray> binds;
    for (const QString& p : picks) {
        marks += marks.isEmpty() ? "?" : ",?";
        binds << p.toUtf8();
    }
    raw.run("insert into tab_exam999" + paperColumns() + marks + ")", binds);
    raw.run("select count(*) from tab_exam999");
    raw.run("insert into tab_cj (A1, A3, A3_1, D1) values ('tab_exam999', 'bench', 999, '" + today + "')");
    raw.run("COMMIT");
    raw.run("update tab_exam999 set E2_1=''");
    raw.run("select * from tab_exam999 order by A13, A1");
    raw.run("select A1, B1, B2, B3 from tab_tx2 order by A1");
}

void rawDropDraw(Raw& raw) {
    raw.run("drop table tab_exam999");
    raw.run("delete from tab_cj where A1='tab_exam999'");
}

// Ends whatever exam window is open, without marking.
void closeExam() {
    if (auto* w = qobject_cast<TFrmExam*>(QApplication::activeModalWidget()))
        w->QDialog::done(0);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int n = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int rounds = std::max(3, argc > 2 ? std::atoi(argv[2]) : 30);

    QTemporaryDir dir;
    const QString bank = dir.filePath(QStringLiteral("bench.mdb"));
    QStringList errors;
    QElapsedTimer built;
    built.start();
    if (!tools::synthBank(n, bank, false, &errors)) {
        std::fprintf(stderr, "%s\n", qPrintable(errors.join(u'\n')));
        return 1;
    }
    std::printf("synthetic bank of %d questions built in %.1f s\n", n, double(built.elapsed()) / 1000.0);

    TDM1 dm(bank);
    DM1 = &dm;
    ProgramFolder = QStringLiteral(VQ_SOURCE_DIR "/");
    ScreenMode = QStringLiteral("1024");
    CreateSharedWindows();
    ScopedMessages messages; // every question answered "确定"
    SeededRandom random(1);
    setPaperRandom(&random);
    Raw raw(bank);
    const QByteArray today = QDate::currentDate().toString(Qt::ISODate).toUtf8();
    std::printf("kind-2 candidates: %lld\n\n",
                dm.ADOCn1
                    .scalar(QStringLiteral(
                        "select count(*) from tab_answ where ((A10 >= '10' and A10 < '11') or "
                        "(A10 >= '11' and A10 < '12') or (A10 >= '04' and A10 < '05')) and (f1 <> 1)"))
                    .toLongLong());

    // 1. Drawing a kind-2 paper: the data work alone, then the menu command to the first question.
    PaperKind = 2;
    std::vector<double> ours, rawMs, whole, create;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        {
            TFrmExam window;
            create.push_back(double(t.nsecsElapsed()) / 1e6);
            t.restart();
            const PaperSlot slot = NextPaperSlot(dm);
            {
                store::Transaction tx(dm.ADOCn1);
                CreatePaperTable(dm, slot.name);
                window.PreparePaper(slot.name, QStringLiteral("bench"), QStringLiteral("new"), 0,
                                    QStringLiteral("0:00:00"));
                WriteArchiveRow(dm, slot, QStringLiteral("bench"));
                tx.commit();
            }
            window.LoadPaper();
            ours.push_back(double(t.nsecsElapsed()) / 1e6);
            dm.DeletePaper(slot.name);
        }
        t.restart();
        rawDraw(raw, random, today);
        rawMs.push_back(double(t.nsecsElapsed()) / 1e6);
        rawDropDraw(raw);

        double shownAt = 0;
        QElapsedTimer menu;
        auto* poll = new QTimer;
        poll->setInterval(0);
        QObject::connect(poll, &QTimer::timeout, [&] {
            auto* w = qobject_cast<TFrmExam*>(QApplication::activeModalWidget());
            if (!w || w->CurrentQuestion() != 1 || !w->isVisible())
                return;
            shownAt = double(menu.nsecsElapsed()) / 1e6;
            poll->stop();
            closeExam();
        });
        poll->start();
        menu.start();
        RunMockExam(2, nullptr);
        delete poll;
        whole.push_back(shownAt);
        dm.DeletePaper(QStringLiteral("tab_exam1"));
    }
    report("draw a kind-2 paper: data work", median(ours), median(rawMs), 300);
    report("creating the exam window", median(create), 0, 0);
    report("menu command to the first question shown", median(whole), 0, 300);

    // 2. The next question with the answer saved: a new answer every time, so every move marks.
    {
        const PaperSlot slot = NextPaperSlot(dm);
        TFrmExam window;
        CreatePaperTable(dm, slot.name);
        window.PreparePaper(slot.name, QStringLiteral("bench"), QStringLiteral("new"), 0,
                            QStringLiteral("0:00:00"));
        WriteArchiveRow(dm, slot, QStringLiteral("bench"));
        window.LoadPaper();
        window.show();
        QApplication::processEvents();
        std::vector<double> next, nextRaw;
        QList<QByteArray> ids;
        raw.run(QStringLiteral("select A1 from %1 order by A13, A1").arg(slot.name).toUtf8(), {}, &ids);
        const int moves = std::min(99, rounds * 3);
        for (int i = 0; i < moves; ++i) {
            window.View()->pressLetter(u'A'); // a new answer on the question's own page
            QElapsedTimer t;
            t.start();
            window.SelectQuestion(window.CurrentQuestion() + 1);
            next.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        // The data work of one marked answer alone: the paper row, the bank row and every counter.
        std::vector<double> save, saveRaw;
        store::DataSet& paper = dm.Cn1Query_exam;
        for (int i = 0; i < moves; ++i) {
            paper.setRecNo(i + 1);
            QElapsedTimer t;
            t.start();
            SaveExamAnswer(dm, paper, i % 2 ? QStringLiteral("C") : QStringLiteral("D"));
            save.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        for (int i = 0; i < moves; ++i) {
            const QByteArray id = ids.value(i);
            QElapsedTimer t;
            t.start();
            raw.run("BEGIN");
            raw.run("update tab_rz set A2=coalesce(A2,0)+1, B1=coalesce(B1,0)+1 where A1='" + today + "'");
            for (int len : {6, 4, 2, 1})
                raw.run(
                    "update tab_kmmc set C4=C4+1, D1=D1+1, D2=D2+1 where C1=substr((select A10 from tab_answ "
                    "where A1=?),1," +
                        QByteArray::number(len) + ")",
                    {id});
            for (const char* c : {"q2", "q1", "q4"}) {
                raw.run(QByteArray("update tab_rule set ") + c + "=" + c +
                            "+1 where ftid in (select K3 from tab_answ where A1=?)",
                        {id});
                raw.run(QByteArray("update tab_fgmc set ") + c + "=" + c +
                            "+1 where id in (select substr(K3,1,6) from tab_answ where A1=?)",
                        {id});
                raw.run(QByteArray("update tab_fgmc set ") + c + "=" + c +
                            "+1 where id in (select substr(K3,1,2) from tab_answ where A1=?)",
                        {id});
            }
            raw.run("select rowid, A2, E2, E4 from tab_answ where A1=?", {id});
            raw.run("update tab_answ set E4=-1, E3=coalesce(E3,0)+1, E2_1='A', E2='A', E1='" + today +
                        "' where A1=?",
                    {id});
            raw.run("update " + slot.name.toUtf8() + " set E2_1='A', E2='A', E1='" + today + "' where A1=?",
                    {id});
            raw.run("COMMIT");
            saveRaw.push_back(double(t.nsecsElapsed()) / 1e6);
            raw.run("select * from tab_exer where A1=?", {ids.value(i + 1)});
            raw.run("select * from tab_title where A1=?", {ids.value(i + 1).left(16)});
            nextRaw.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        report("save a marked answer: data work", median(save), median(saveRaw), 0);
        report("next question with the answer saved", median(next), median(nextRaw), 30);
        window.close();
        dm.DeletePaper(slot.name);
    }

    // 3. Submit to review: "交卷", "确定", marking, the paper opened again and the review on screen.
    {
        std::vector<double> submit, submitRaw;
        for (int i = 0; i < std::max(3, rounds / 3); ++i) {
            const PaperSlot slot = NextPaperSlot(dm);
            TFrmExam window;
            CreatePaperTable(dm, slot.name);
            window.PreparePaper(slot.name, QStringLiteral("bench"), QStringLiteral("new"), 0,
                                QStringLiteral("0:00:00"));
            WriteArchiveRow(dm, slot, QStringLiteral("bench"));
            window.LoadPaper();
            window.show();
            for (int q = 1; q <= 20; ++q) {
                window.SelectQuestion(q);
                window.View()->pressLetter(u'B');
            }
            QApplication::processEvents();
            messages->answerPrompt(1);
            QElapsedTimer t;
            t.start();
            window.ActionButton(QStringLiteral("Submit"))->click();
            QApplication::processEvents();
            submit.push_back(double(t.nsecsElapsed()) / 1e6);
            if (window.Mode() != u"old")
                std::fprintf(stderr, "the paper was not marked\n");
            const QByteArray table = slot.name.toUtf8();
            t.restart();
            raw.run("select count(*) from " + table + " where E2_1 = '' or E2_1 is null");
            raw.run("BEGIN");
            raw.run("select sum(tab_tx2.B3) from " + table + ",tab_tx2 where " + table +
                    ".A13 = tab_tx2.A1 and " + table + ".A2 = " + table + ".E2_1");
            raw.run("select LeastMark from tab_plan");
            raw.run("update tab_cj set A6=1, D2='0:00:01' where A1=?", {table});
            raw.run("update tab_rz set D1='00:00:01', A4='50.00' where A1='" + today + "'");
            raw.run(
                "update tab_kmmc set C6=case when D1>0 then printf('%.2f', (D1-D2)*100.0/D1) else '0' end");
            raw.run("COMMIT");
            raw.run("select * from " + table + " order by A13, A1");
            raw.run("select A1, B1, B2, B3 from tab_tx2 order by A1");
            submitRaw.push_back(double(t.nsecsElapsed()) / 1e6);
            window.close();
            dm.DeletePaper(slot.name);
        }
        report("submit to review", median(submit), median(submitRaw), 300);
    }
    setPaperRandom(nullptr);
    DestroySharedWindows();
    DM1 = nullptr;
    return 0;
}
