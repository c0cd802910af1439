// Times the paper archive and the export of a paper on a synthetic bank, each beside the same reads run
// raw on the engine in the same process:
//   - exporting a kind-2 paper of 100 questions with pictures to .docx: the document built from the
//     bank, written and zipped, the file on disk (not counting the viewer); and the same to PDF;
//   - opening the archive window over 1,000 papers: the list, the figures and the tip line on screen.
//
//   bench_archive [questions=20000] [rounds=15] [folder]
// With a folder, the last .docx and PDF written are copied there to be looked at.
#include "archive/Ucheck.h"
#include "exam/PaperExport.h"
#include "exam/PaperGeneration.h"
#include "exam/PaperRandom.h"
#include "export/DocumentFile.h"
#include "richtext/RichText.h"
#include "store/BankKey.h"
#include "store/dm.h"
#include "tools/SynthBank.h"
#include "ui/AppState.h"
#include "ui/Services.h"

#include <sqlcipher/sqlite3.h>

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void report(const char* what, double ours, double raw, double aimMs) {
    if (raw > 0)
        std::printf("%-46s %9.3f ms   raw %8.3f ms   ratio %6.2f   aim < %.0f ms\n", what, ours, raw,
                    ours / raw, aimMs);
    else
        std::printf("%-46s %9.3f ms                                   aim < %.0f ms\n", what, ours, aimMs);
}

// The raw engine: one connection with the same key, statements stepped by hand, every value read.
struct Raw {
    sqlite3* db = nullptr;
    explicit Raw(const QString& path) {
        sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        const QByteArray key = "PRAGMA key = \"x'" + store::BankKey().toHex() + "'\"";
        sqlite3_exec(db, key.constData(), nullptr, nullptr, nullptr);
    }
    ~Raw() { sqlite3_close(db); }
    int run(const QByteArray& sql, const QByteArray& bind = QByteArray(),
            QList<QByteArray>* first = nullptr) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "raw: %s\n  %s\n", sqlite3_errmsg(db), sql.constData());
            return -1;
        }
        if (!bind.isNull())
            sqlite3_bind_text(st, 1, bind.constData(), int(bind.size()), SQLITE_TRANSIENT);
        int rows = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(st); ++c)
                sqlite3_column_blob(st, c);
            if (first)
                *first << QByteArray(static_cast<const char*>(sqlite3_column_blob(st, 0)),
                                     sqlite3_column_bytes(st, 0));
            ++rows;
        }
        sqlite3_finalize(st);
        return rows;
    }
};

// A stem with a picture of the size a scanned figure has in the delivered bank.
QByteArray stemWithPicture(const QByteArray& stem, int n) {
    QImage image(320, 200, QImage::Format_RGB32);
    image.fill(QColor::fromHsv((n * 37) % 360, 80, 240));
    {
        QPainter p(&image);
        p.setPen(Qt::black);
        for (int i = 0; i < 12; ++i)
            p.drawLine(10, 10 + i * 15, 300 - i * 20, 190);
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    QTextDocument doc;
    richtext::readRtf(stem, &doc);
    QTextCursor c(&doc);
    c.movePosition(QTextCursor::End);
    c.insertBlock();
    c.insertImage(richtext::addPicture(&doc, png));
    return richtext::writeRtf(doc);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int n = argc > 1 ? std::atoi(argv[1]) : 20000;
    const int rounds = std::max(3, argc > 2 ? std::atoi(argv[2]) : 15);

    QTemporaryDir dir;
    const QString bank = dir.filePath(QStringLiteral("bench.mdb"));
    QStringList errors;
    if (!tools::synthBank(n, bank, false, &errors)) {
        std::fprintf(stderr, "%s\n", qPrintable(errors.join(u'\n')));
        return 1;
    }
    TDM1 dm(bank);
    DM1 = &dm;
    ProgramFolder = QStringLiteral(VQ_SOURCE_DIR "/");
    ScreenMode = QStringLiteral("1024");
    ScopedMessages messages;
    SeededRandom random(1);
    setPaperRandom(&random);
    Raw raw(bank);

    // A kind-2 paper; every fourth question and every shared stem gets a picture.
    PaperKind = 2;
    const QString table = QStringLiteral("tab_exam1");
    {
        store::Transaction tx(dm.ADOCn1);
        CreatePaperTable(dm, table);
        ComposePaper(dm, 2, table, random);
        WriteArchiveRow(dm, {table, 1}, QStringLiteral("2026年12月09日网络与安全综合模拟卷[1]"));
        int k = 0;
        for (const auto& row :
             dm.ADOCn1.query(QStringLiteral("select A1 from tab_exam1 order by A13,A1")).rows) {
            const QString id = row[0].toString();
            if (k++ % 4 == 0) {
                const QByteArray stem =
                    dm.ADOCn1.scalar(QStringLiteral("select A15 from tab_exer where A1=?"), {id})
                        .toByteArray();
                dm.ADOCn1.execute(QStringLiteral("update tab_exer set A15=? where A1=?"),
                                  {stemWithPicture(stem, k), id});
            }
            if (id.contains(u'-')) {
                const QByteArray stem =
                    dm.ADOCn1.scalar(QStringLiteral("select A15 from tab_title where A1=?"), {id.left(16)})
                        .toByteArray();
                if (!stem.contains("pngblip"))
                    dm.ADOCn1.execute(QStringLiteral("update tab_title set A15=? where A1=?"),
                                      {stemWithPicture(stem, k), id.left(16)});
            }
        }
        tx.commit();
    }
    dm.Cn1Table_cj.close();
    const int questions = dm.ADOCn1.scalar(QStringLiteral("select count(*) from tab_exam1")).toInt();
    std::printf("synthetic bank of %d questions; paper of %d questions\n\n", n, questions);

    // The reads the export makes, raw: the rows, each stem (and shared stem), the exam points.
    const auto rawReads = [&] {
        QList<QByteArray> ids;
        raw.run("select A1, A2, A13, jx, K3, K4, K5, K6, K7, K8, K9, K10, K11, K12 from tab_exam1 order by "
                "A13,A1",
                QByteArray(), &ids);
        raw.run("select A1, B1, B2, B3 from tab_tx2");
        for (const QByteArray& id : std::as_const(ids)) {
            if (id.contains('-'))
                raw.run("select a15 from tab_title where a1=?", id.left(16));
            raw.run("select a15 from tab_exer where a1=?", id);
        }
        QList<QByteArray> points;
        raw.run("select K3 from tab_exam1 where K3 <> ''", QByteArray(), &points);
        for (const QByteArray& code : std::as_const(points)) {
            raw.run("select sn, n from tab_rule where ftid=?", code);
            raw.run("select n from tab_fgmc where id=?", code.left(6));
        }
    };

    std::vector<double> docx, pdf, rawMs;
    qint64 docxBytes = 0, pdfBytes = 0;
    for (int i = 0; i < rounds; ++i) {
        for (const docx::DocumentFormat format : {docx::DocumentFormat::Docx, docx::DocumentFormat::Pdf}) {
            const QString path =
                dir.filePath(format == docx::DocumentFormat::Pdf ? QStringLiteral("paper.pdf")
                                                                 : QStringLiteral("paper.docx"));
            QElapsedTimer t;
            t.start();
            QTextDocument doc;
            BuildPaperDocument(dm, table, QStringLiteral("试卷"), 2, &doc);
            docx::saveDocument(doc, path, format, PaperDocumentOptions(QStringLiteral("试卷")));
            (format == docx::DocumentFormat::Pdf ? pdf : docx).push_back(double(t.nsecsElapsed()) / 1e6);
            (format == docx::DocumentFormat::Pdf ? pdfBytes : docxBytes) = QFileInfo(path).size();
        }
        QElapsedTimer t;
        t.start();
        rawReads();
        rawMs.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    if (argc > 3) {
        for (const char* name : {"paper.docx", "paper.pdf"}) {
            const QString target = QDir(QString::fromLocal8Bit(argv[3])).filePath(QLatin1String(name));
            QFile::remove(target);
            QFile::copy(dir.filePath(QLatin1String(name)), target);
        }
    }
    report("export a 100-question paper to .docx", median(docx), median(rawMs), 1000);
    report("export the same paper to PDF", median(pdf), median(rawMs), 1000);
    std::printf("  (.docx %lld KB, PDF %lld KB; raw = the export's reads alone)\n\n", docxBytes / 1024,
                pdfBytes / 1024);

    // 1,000 papers in the archive, most of them marked.
    {
        store::Transaction tx(dm.ADOCn1);
        for (int k = 2; k <= 1000; ++k)
            dm.ADOCn1.execute(
                QStringLiteral("insert into tab_cj (A1, A3, A3_1, D1, A6, D2) values (?,?,?,?,?,?)"),
                {QStringLiteral("tab_exam%1").arg(k),
                 QStringLiteral("2026年12月09日网络与安全综合模拟卷[%1]").arg(k), k,
                 QStringLiteral("2026-12-09"), k % 7 ? QVariant(40 + k % 60) : QVariant(),
                 k % 7 ? QVariant(QStringLiteral("1:%1:00").arg(k % 60, 2, 10, QLatin1Char('0')))
                       : QVariant()});
        tx.commit();
    }
    std::vector<double> open, rawOpen;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        {
            TFrmCheck w;
            w.show();
            QApplication::processEvents();
            open.push_back(double(t.nsecsElapsed()) / 1e6);
            w.done(0);
        }
        t.restart();
        raw.run("select LeastMark from tab_plan");
        raw.run("select A1, A3, A3_1, A6, D2 from tab_cj order by A3_1 desc");
        raw.run("select * from tab_tx2 order by A1");
        rawOpen.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    report("open the archive with 1,000 papers (on screen)", median(open), median(rawOpen), 200);

    setPaperRandom(nullptr);
    DM1 = nullptr;
    return 0;
}
