// Crash test of marking: a worker process marks answers in a loop through the program's own marking code
// and is killed (SIGKILL) at a random moment; then the bank must open, pass the engine's integrity check,
// have no side file left beside it, and its counters must agree with its questions.
//
//   crash_marking run [--trials N] [--questions Q] [--seed S] [--keep DIR]
//   crash_marking work <bank> <seed>      (the worker, started by run)
//   crash_marking check <bank>            (the checks alone, on a bank that saw no other day)
//
// The synthetic bank starts with no answers and the worker's clock stands on one day, so every counter
// can be recounted from the questions: the answers marked (sum of E3) are today's answers in the daily
// log, and each chapter and exam-point row holds exactly what its questions add up to.
#include "practice/Marking.h"
#include "store/BankKey.h"
#include "store/Clock.h"
#include "store/Database.h"
#include "store/JetSql.h"
#include "store/dm.h"
#include "tools/SynthBank.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <cstdio>

namespace {

const QDate kToday(2026, 12, 9);

// Marks answers until killed: practices over random sections, as the practice window opens them, with
// right, wrong, repeated and empty answers, and now and then the study time of a closed practice.
int work(const QString& bank, quint32 seed) {
    store::FixedClock clock{QDateTime(kToday, QTime(10, 0))};
    store::setClock(&clock);
    TDM1 dm(bank);
    if (!dm.DataModuleConnected) {
        std::fprintf(stderr, "worker: %s\n", qPrintable(dm.ConnectionError));
        return 2;
    }
    QStringList sections;
    for (const auto& row : dm.ADOCn1.query(QStringLiteral("select C1 from tab_kmmc where len(C1)=6")).rows)
        sections << row[0].toString();
    if (sections.isEmpty())
        return 2;
    QRandomGenerator random(seed);
    std::printf("ready\n");
    std::fflush(stdout);
    store::DataSet& set = dm.Cn1Query_tm;
    for (;;) {
        const QString code = sections[random.bounded(int(sections.size()))];
        dm.ResetPracticeAnswers();
        set.close();
        set.setCommandText(
            QStringLiteral("select a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,"
                           "e2,e2_1,e3,e4,f1,xx,csbs,ecount from tab_answ where (left(A10,6) = ") +
            store::quoted(code) + QStringLiteral(") order by a13,a10,xx,a1"));
        set.open();
        if (set.isEmpty())
            continue;
        const int answers = 5 + random.bounded(25);
        for (int i = 0; i < answers; ++i) {
            set.setRecNo(1 + random.bounded(set.recordCount()));
            const QString key = set.asString(QStringLiteral("A2"));
            const int kind = random.bounded(10);
            QString answer;
            if (kind < 4)
                answer = key;
            else if (kind < 8)
                answer = key == u"A" ? QStringLiteral("B") : QStringLiteral("A");
            else if (kind < 9)
                answer = set.asString(QStringLiteral("E2_1")); // unchanged, or empty
            SaveAnswerToRow(dm, set, answer);
        }
        if (random.bounded(4) == 0)
            dm.RecordStudyTime(QStringLiteral("0:00:07"));
    }
}

struct Recount {
    QStringList problems;
    qint64 answers = 0; // sum of E3
};

QString folded(const QString& s) {
    return s.toCaseFolded();
}

// The invariants, read with the program's own connection (which rolls back a write the kill cut short).
Recount check(TDM1& dm) {
    Recount r;
    store::Database& db = dm.ADOCn1;
    const auto scalar = [&](const QString& sql) { return db.scalar(sql).toLongLong(); };
    const QString integrity = db.scalar(QStringLiteral("PRAGMA integrity_check")).toString();
    if (integrity != u"ok")
        r.problems << QStringLiteral("integrity check: ") + integrity;

    struct Sums {
        qint64 answered = 0, marks = 0;
    };
    QHash<QString, Sums> chapters, rules, catalogue;
    qint64 answeredQuestions = 0, wrongLatest = 0;
    const store::QueryResult q = db.query(
        QStringLiteral("select A10, E3, E2, A2, K3, K4, K5, K6, K7, K8, K9, K10, K11, K12 from tab_answ"));
    for (const auto& row : q.rows) {
        const qint64 e3 = row[1].toLongLong();
        r.answers += e3;
        const QString a10 = folded(row[0].toString());
        const bool answered = e3 > 0;
        if (answered) {
            ++answeredQuestions;
            if (row[2].toString() != row[3].toString())
                ++wrongLatest;
        }
        for (qsizetype n = 1; n <= a10.size(); ++n) {
            Sums& s = chapters[a10.left(n)];
            s.answered += answered;
            s.marks += e3;
        }
        // The points of a question up to the first empty one; a row named twice counts once.
        QSet<QString> points, sections, tops;
        for (int k = 4; k < 14; ++k) {
            const QString id = folded(row[k].toString());
            if (id.isEmpty())
                break;
            points << id;
            sections << id.left(6);
            tops << id.left(2);
        }
        for (const QString& p : std::as_const(points)) {
            rules[p].answered += answered;
            rules[p].marks += e3;
        }
        for (const QSet<QString>& set : {sections, tops}) {
            for (const QString& c : set) {
                catalogue[c].answered += answered;
                catalogue[c].marks += e3;
            }
        }
    }

    // The daily log of the one day on which everything was answered.
    const QString day = QStringLiteral(" from tab_rz where A1='") + kToday.toString(Qt::ISODate) + u'\'';
    const qint64 a2 = scalar(QStringLiteral("select coalesce(sum(A2),0)") + day);
    if (a2 != r.answers)
        r.problems << QStringLiteral("sum of E3 is %1, today's answers (A2) %2").arg(r.answers).arg(a2);
    if (scalar(QStringLiteral("select count(*) from tab_rz")) > (r.answers > 0 ? 1 : 0))
        r.problems << QStringLiteral("the daily log has rows of other days");
    const qint64 b1 = scalar(QStringLiteral("select coalesce(sum(B1),0)") + day);
    if (b1 != answeredQuestions)
        r.problems
            << QStringLiteral("%1 questions answered, today's B1 is %2").arg(answeredQuestions).arg(b1);
    const qint64 b2 = scalar(QStringLiteral("select coalesce(sum(B2),0)") + day);
    if (b2 != wrongLatest)
        r.problems
            << QStringLiteral("%1 questions last answered wrong, today's B2 is %2").arg(wrongLatest).arg(b2);

    bool everySubject = true;
    for (const auto& row : db.query(QStringLiteral("select C1, C4, D1 from tab_kmmc")).rows) {
        const Sums s = chapters.value(folded(row[0].toString()));
        if (row[1].toLongLong() != s.answered || row[2].toLongLong() != s.marks)
            r.problems << QStringLiteral("tab_kmmc %1: C4 %2, D1 %3; its questions: %4 answered, %5 answers")
                              .arg(row[0].toString())
                              .arg(row[1].toLongLong())
                              .arg(row[2].toLongLong())
                              .arg(s.answered)
                              .arg(s.marks);
        chapters.remove(folded(row[0].toString()));
    }
    for (auto it = chapters.cbegin(); it != chapters.cend(); ++it)
        everySubject = everySubject && !(it.key().size() == 1 && it.value().marks > 0);
    // Wrong answers are not kept per question, but each answer counts once in its subject's row.
    if (everySubject) {
        const qint64 d2 = scalar(QStringLiteral("select coalesce(sum(D2),0) from tab_kmmc where len(C1)=1"));
        const qint64 a3 = scalar(QStringLiteral("select coalesce(sum(A3),0)") + day);
        if (d2 != a3)
            r.problems << QStringLiteral("subjects' wrong answers (D2) %1, today's (A3) %2").arg(d2).arg(a3);
    }
    const auto points = [&](const char* sql, const QHash<QString, Sums>& sums) {
        for (const auto& row : db.query(QLatin1String(sql)).rows) {
            const Sums s = sums.value(folded(row[0].toString()));
            if (row[1].toLongLong() != s.answered || row[2].toLongLong() != s.marks)
                r.problems << QStringLiteral("%1 %2: q1 %3, q2 %4; its questions: %5 answered, %6 answers")
                                  .arg(QString::fromLatin1(sql).section(u' ', -1), row[0].toString())
                                  .arg(row[1].toLongLong())
                                  .arg(row[2].toLongLong())
                                  .arg(s.answered)
                                  .arg(s.marks);
        }
    };
    points("select ftid, q1, q2 from tab_rule", rules);
    points("select id, q1, q2 from tab_fgmc", catalogue);
    return r;
}

// Files beside the bank that are not the bank.
QStringList sideFiles(const QString& bank) {
    QStringList found;
    const QFileInfo fi(bank);
    for (const QString& name : QDir(fi.absolutePath()).entryList(QDir::Files | QDir::Hidden))
        if (name != fi.fileName())
            found << name;
    return found;
}

struct TrialResult {
    QStringList problems;
    qint64 answers = 0;
    bool hotJournal = false; // killed inside a write: the journal was there to roll it back
};

TrialResult trial(const QString& master, const QString& dir, quint32 seed, int maxDelayMs) {
    TrialResult t;
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
    const QString bank = QDir(dir).filePath(QStringLiteral("bank.mdb"));
    if (!QFile::copy(master, bank)) {
        t.problems << QStringLiteral("cannot copy the bank");
        return t;
    }
    QProcess worker;
    worker.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    worker.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("work"), bank, QString::number(seed)});
    QByteArray out;
    QElapsedTimer waited;
    waited.start();
    while (!out.contains("ready") && worker.state() != QProcess::NotRunning && waited.elapsed() < 60000) {
        worker.waitForReadyRead(100);
        out += worker.readAllStandardOutput();
    }
    if (!out.contains("ready")) {
        worker.kill();
        worker.waitForFinished();
        t.problems << QStringLiteral("the worker did not start");
        return t;
    }
    QThread::msleep(QRandomGenerator(seed).bounded(maxDelayMs + 1));
    ::kill(pid_t(worker.processId()), SIGKILL);
    worker.waitForFinished(30000);
    if (worker.exitStatus() != QProcess::CrashExit)
        t.problems
            << QStringLiteral("the worker ended before it was killed (exit code %1)").arg(worker.exitCode());

    for (const QString& f : sideFiles(bank)) {
        if (f.endsWith(QLatin1String("-journal")))
            t.hotJournal = true;
        else
            t.problems << QStringLiteral("after the kill: side file %1").arg(f);
    }
    {
        TDM1 dm(bank);
        if (!dm.DataModuleConnected) {
            t.problems << QStringLiteral("the bank does not open: ") + dm.ConnectionError;
            return t;
        }
        const Recount r = check(dm);
        t.problems << r.problems;
        t.answers = r.answers;
    }
    // Closed again, the bank is one file: a copy of it is all of it.
    for (const QString& f : sideFiles(bank))
        t.problems << QStringLiteral("after opening and closing: side file %1").arg(f);
    return t;
}

int run(const QStringList& args) {
    int trials = 200, questions = 10000, maxDelay = 1500;
    quint32 seed = quint32(QDateTime::currentMSecsSinceEpoch());
    QString keep;
    for (int i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == u"--trials")
            trials = args[i + 1].toInt();
        else if (args[i] == u"--questions")
            questions = args[i + 1].toInt();
        else if (args[i] == u"--seed")
            seed = args[i + 1].toUInt();
        else if (args[i] == u"--max-delay")
            maxDelay = args[i + 1].toInt();
        else if (args[i] == u"--keep")
            keep = args[i + 1];
    }
    QTemporaryDir tmp;
    const QString master = tmp.filePath(QStringLiteral("master.mdb"));
    QStringList errors;
    if (!tools::synthBank(questions, master, false, &errors)) {
        std::fprintf(stderr, "%s\n", qPrintable(errors.join(u'\n')));
        return 2;
    }
    {
        // Opened once by the program, as a delivered bank is before any practice.
        TDM1 dm(master);
        if (!dm.DataModuleConnected) {
            std::fprintf(stderr, "%s\n", qPrintable(dm.ConnectionError));
            return 2;
        }
    }
    std::printf("crash test: %d trials on a bank of %d questions, kill within %d ms, seed %u\n", trials,
                questions, maxDelay, seed);
    int passed = 0, hot = 0;
    qint64 least = -1, most = 0, total = 0;
    for (int i = 0; i < trials; ++i) {
        const quint32 s = seed + quint32(i) * 7919u;
        const QString dir = tmp.filePath(QStringLiteral("trial"));
        const TrialResult t = trial(master, dir, s, maxDelay);
        hot += t.hotJournal;
        total += t.answers;
        least = least < 0 ? t.answers : std::min(least, t.answers);
        most = std::max(most, t.answers);
        if ((i + 1) % 20 == 0 && i + 1 < trials)
            std::printf("%d trials, %d passed\n", i + 1, passed + int(t.problems.isEmpty()));
        if (t.problems.isEmpty()) {
            ++passed;
            continue;
        }
        std::printf("trial %d (seed %u) failed:\n  %s\n", i + 1, s,
                    qPrintable(t.problems.join(QStringLiteral("\n  "))));
        if (!keep.isEmpty()) {
            const QString target = QDir(keep).filePath(QStringLiteral("trial-%1").arg(i + 1));
            QDir().mkpath(target);
            for (const QString& f : QDir(dir).entryList(QDir::Files))
                QFile::copy(QDir(dir).filePath(f), QDir(target).filePath(f));
        }
    }
    std::printf(
        "%d of %d trials passed; %d killed inside a write; answers marked per trial: %lld to %lld, %.1f on "
        "average\n",
        passed, trials, hot, least, most, trials ? double(total) / trials : 0.0);
    return passed == trials ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // progress shows as it comes, also into a log file
    const QStringList args = app.arguments().mid(1);
    if (args.value(0) == u"work" && args.size() >= 3)
        return work(args[1], args[2].toUInt());
    if (args.value(0) == u"check" && args.size() >= 2) {
        store::FixedClock clock{QDateTime(kToday, QTime(10, 0))};
        store::setClock(&clock);
        TDM1 dm(args[1]);
        if (!dm.DataModuleConnected) {
            std::fprintf(stderr, "%s\n", qPrintable(dm.ConnectionError));
            return 2;
        }
        const Recount r = check(dm);
        std::printf("%lld answers; %s\n", r.answers,
                    r.problems.isEmpty() ? "all counters agree" : qPrintable(r.problems.join(u'\n')));
        return r.problems.isEmpty() ? 0 : 1;
    }
    if (args.value(0) == u"run")
        return run(args.mid(1));
    std::fprintf(stderr, "usage: crash_marking run [--trials N] [--questions Q] [--seed S] [--max-delay MS] "
                         "[--keep DIR] | work <bank> <seed> | check <bank>\n");
    return 2;
}
