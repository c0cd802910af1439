// Question editing on the practice's rows: only what changed is written, rich text stays rich, the exam
// point counters follow the points, a failure leaves everything as it was, and the bank check stays clean
// after entries and edits.
#include "authoring/ExamPointList.h"
#include "authoring/QuestionSave.h"
#include "authoring/RichTextEditor.h"
#include "authoring/Utedit.h"
#include "richtext/RichText.h"
#include "store/Clock.h"
#include "store/dm.h"
#include "tests/authoring/AuthoringBank.h"
#include "tools/BankCheck.h"
#include "tools/SynthBank.h"
#include "ui/AppState.h"
#include "ui/Services.h"

#include <QBuffer>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

namespace {
const char* const PracticeColumns =
    "select a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,e3,e4,f1,xx,csbs,ecount "
    "from tab_answ where A1=:A1";
}

class TestEdit : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    store::FixedClock m_clock{QDateTime(QDate(2026, 12, 9), QTime(9, 0))};
    std::unique_ptr<TDM1> m_dm;

    void openBank(const QString& path = QString()) {
        if (DM1 == m_dm.get())
            DM1 = nullptr;
        m_dm.reset();
        QString bank = path;
        if (bank.isEmpty()) {
            QFile::remove(m_dir.filePath(QStringLiteral("bank.mdb")));
            bank = testsupport::buildBank(m_dir.path(), testsupport::authoringBank());
        }
        m_dm = std::make_unique<TDM1>(bank);
        QVERIFY(m_dm->DataModuleConnected);
        DM1 = m_dm.get();
        ProgramFolder = qEnvironmentVariable("VQ_SOURCE_DIR") + u'/';
        PaperKind = 1;
    }
    // The practice's question set standing on one question, as the practice window leaves it.
    store::DataSet& practiceRow(const QString& id) {
        store::DataSet& set = m_dm->Cn1Query_tm;
        set.close();
        set.setCommandText(QLatin1String(PracticeColumns));
        set.setParams({id});
        set.open();
        return set;
    }
    QVariant scalar(const QString& sql, const QVariantList& params = {}) {
        return m_dm->ADOCn1.scalar(sql, params);
    }
    QByteArray blob(const char* sql, const QString& id) {
        return scalar(QLatin1String(sql), {id}).toByteArray();
    }
    int ruleQ(const QString& ftid) {
        return scalar(QStringLiteral("select q from tab_rule where ftid=:f"), {ftid}).toInt();
    }
    int fgmcQ(const QString& id) {
        return scalar(QStringLiteral("select q from tab_fgmc where id=:i"), {id}).toInt();
    }
    QString snapshot(const QString& id) {
        QStringList parts;
        for (const char* sql :
             {"select A2 || '/' || A2_1 || '/' || A13 || '/' || coalesce(ecount,0) || '/' || "
              "coalesce(K3,'') || coalesce(K4,'') || coalesce(K5,'') from tab_answ where A1=:a",
              "select hex(A15) || '/' || coalesce(hex(jx),'') from tab_exer where A1=:a",
              "select coalesce(hex(A15),'') from tab_title where A1=substr(:a,1,16)"})
            parts << scalar(QLatin1String(sql), {id}).toString();
        for (const char* sql :
             {"select group_concat(ftid || '=' || q) from (select ftid, q from tab_rule order by ftid)",
              "select group_concat(id || '=' || q) from (select id, q from tab_fgmc order by id)"})
            parts << scalar(QLatin1String(sql)).toString();
        return parts.join(u'|');
    }

private slots:
    void initTestCase() { store::setClock(&m_clock); }
    void cleanupTestCase() {
        DM1 = nullptr;
        m_dm.reset();
        store::setClock(nullptr);
    }

    void savingWithoutChangesKeepsEveryBlob() {
        openBank();
        ScopedMessages shown;
        const QString id = QStringLiteral("CASE000000000001-1");
        const QByteArray stem = blob("select A15 from tab_exer where A1=:a", id);
        const QByteArray shared = blob("select A15 from tab_title where A1=substr(:a,1,16)", id);
        QVERIFY(!stem.isEmpty() && !shared.isEmpty());
        for (int round = 1; round <= 2; ++round) {
            TfrmTedit w(practiceRow(id));
            QVERIFY(w.HasSharedStem());
            QCOMPARE(w.RxDBRichEdit3->toPlainText(), QStringLiteral("某单位的网络管理员发现异常。"));
            QVERIFY(w.Save());
            QCOMPARE(w.result(), int(QDialog::Accepted));
            QCOMPARE(blob("select A15 from tab_exer where A1=:a", id), stem);
            QCOMPARE(blob("select A15 from tab_title where A1=substr(:a,1,16)", id), shared);
            QVERIFY(scalar(QStringLiteral("select jx from tab_exer where A1=:a"), {id}).isNull());
            // Every save counts as an edit, in the bank and in the practice's row.
            QCOMPARE(scalar(QStringLiteral("select ecount from tab_answ where A1=:a"), {id}).toInt(), round);
            QCOMPARE(m_dm->Cn1Query_tm.asInteger(QStringLiteral("ecount")), round);
        }
        QVERIFY(shown->shown.isEmpty());
        // A question that is no part of a group shows no shared stem.
        TfrmTedit single(practiceRow(QStringLiteral("Q0001")));
        QVERIFY(!single.HasSharedStem());
        QVERIFY(single.RxDBRichEdit3->isHidden());
        QCOMPARE(single.RxDBRichEdit1->toPlainText(), QStringLiteral("第一题"));
        QCOMPARE(single.RxDBRichEdit2->toPlainText(), QStringLiteral("解析一"));
    }

    void richTextStaysRich() {
        openBank();
        const QString id = QStringLiteral("Q0001");
        const QByteArray explanation = blob("select jx from tab_exer where A1=:a", id);
        TfrmTedit w(practiceRow(id));
        // The learner makes the stem's first word bold and adds a picture; the explanation stays.
        QTextCursor c = w.RxDBRichEdit1->textCursor();
        c.movePosition(QTextCursor::Start);
        c.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        w.RxDBRichEdit1->setTextCursor(c);
        QTest::keyClick(w.RxDBRichEdit1, Qt::Key_B, Qt::ControlModifier);
        c.movePosition(QTextCursor::End);
        w.RxDBRichEdit1->setTextCursor(c);
        QImage image(12, 8, QImage::Format_RGB32);
        image.fill(Qt::red);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        const QString path = m_dir.filePath(QStringLiteral("pic.png"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(png);
        file.close();
        QVERIFY(w.RxDBRichEdit1->insertPictureFile(path).isEmpty());
        QVERIFY(w.Save());
        const QByteArray stored = blob("select A15 from tab_exer where A1=:a", id);
        QTextDocument doc;
        richtext::readRtf(stored, &doc);
        QCOMPARE(doc.toPlainText(), QStringLiteral("第一题\uFFFC"));
        QTextCursor first(&doc);
        first.setPosition(1);
        QCOMPARE(first.charFormat().fontWeight(), int(QFont::Bold));
        QVERIFY(QByteArray(stored).replace("\r\n", "").contains(png.toHex()));
        QCOMPARE(blob("select jx from tab_exer where A1=:a", id), explanation);
    }

    void removingOneOfThreePoints() {
        openBank();
        const QString id = QStringLiteral("Q0007");
        const QString kept1 = QStringLiteral("050101-001"), removed = QStringLiteral("050101-002"),
                      kept2 = QStringLiteral("050102-001");
        const int q[] = {ruleQ(kept1), ruleQ(removed), ruleQ(kept2)};
        const int sections[] = {fgmcQ(QStringLiteral("050101")), fgmcQ(QStringLiteral("050102")),
                                fgmcQ(QStringLiteral("05")), fgmcQ(QStringLiteral("0"))};
        {
            TfrmTedit w(practiceRow(id));
            QCOMPARE(w.ListBox1->count(), 3);
            QCOMPARE(w.ListBox1->item(0)->text(), QStringLiteral("1.要点一"));
            w.ListBox1->setCurrentRow(1);
            QTest::keyClick(w.ListBox1, Qt::Key_Delete);
            QVERIFY(w.Save());
        }
        const store::QueryResult row = m_dm->ADOCn1.query(
            QStringLiteral("select K3, K4, K5, K6, K7, K8, K9, K10, K11, K12 from tab_answ where A1=:a"),
            {id});
        QCOMPARE(row.rows.first()[0].toString(), kept1);
        QCOMPARE(row.rows.first()[1].toString(), kept2);
        for (int k = 2; k < 10; ++k)
            QVERIFY(row.rows.first()[k].toString().isEmpty());
        QCOMPARE(ruleQ(kept1), q[0]);
        QCOMPARE(ruleQ(removed), q[1] - 1);
        QCOMPARE(ruleQ(kept2), q[2]);
        // The section still has a point of the question: its counters stay.
        QCOMPARE(fgmcQ(QStringLiteral("050101")), sections[0]);
        QCOMPARE(fgmcQ(QStringLiteral("05")), sections[2]);

        // Now the last point of section 050102 goes: that section loses the question, its upper rows keep it.
        {
            TfrmTedit w(practiceRow(id));
            w.ListBox1->setCurrentRow(1);
            QTest::keyClick(w.ListBox1, Qt::Key_Delete);
            QVERIFY(w.Save());
        }
        QCOMPARE(ruleQ(kept2), q[2] - 1);
        QCOMPARE(fgmcQ(QStringLiteral("050102")), sections[1] - 1);
        QCOMPARE(fgmcQ(QStringLiteral("05")), sections[2]);
        QCOMPARE(fgmcQ(QStringLiteral("0")), sections[3]);
    }

    void aTypeTheKindDoesNotListIsKept() {
        openBank();
        ScopedMessages shown;
        PaperKind = 2; // lists only single choice
        const QString id = QStringLiteral("Q0007");
        {
            TfrmTedit w(practiceRow(id));
            QCOMPARE(w.ComboBox1->currentText(), QStringLiteral("多项选择题"));
            QVERIFY(!w.ComboBox1->isEditable());
            QVERIFY(w.Save());
        }
        QCOMPARE(scalar(QStringLiteral("select A13 from tab_answ where A1=:a"), {id}).toInt(), 65);
        // Picking another type maps by its row; the key must then fit that type.
        TfrmTedit w(practiceRow(id));
        w.ComboBox1->setCurrentIndex(0);
        emit w.ComboBox1->activated(0);
        QCOMPARE(w.Edit1->text(), QStringLiteral("AB")); // kept, unlike entry
        QVERIFY(!w.Save());
        QCOMPARE(shown->shown.last().text, QStringLiteral("单选题的答案只能是一个字母！"));
        QVERIFY(!w.isVisible() && w.result() != QDialog::Accepted);
        w.Edit1->clear();
        QVERIFY(!w.Save());
        QCOMPARE(shown->shown.last().text, QStringLiteral("请填写试题答案！"));
        w.Edit1->setText(QStringLiteral("b"));
        QVERIFY(w.Save());
        QCOMPARE(scalar(QStringLiteral("select A13 || '/' || A2 from tab_answ where A1=:a"), {id}).toString(),
                 QStringLiteral("61/B"));
        PaperKind = 1;
    }

    void subjectiveQuestionsOpenFixed() {
        openBank();
        TfrmTedit w(practiceRow(QStringLiteral("Q0006")));
        QCOMPARE(w.SE_Num->value(), 1);
        QVERIFY(!w.SE_Num->isEnabled());
        QCOMPARE(w.Edit1->text(), QStringLiteral("1"));
        QVERIFY(!w.Edit1->isEnabled());
        const int single = w.ComboBox1->findText(QStringLiteral("单项选择题"));
        w.ComboBox1->setCurrentIndex(single);
        emit w.ComboBox1->activated(single);
        QVERIFY(w.SE_Num->isEnabled() && w.Edit1->isEnabled());
        QCOMPARE(w.Edit1->text(), QStringLiteral("1"));
    }

    void aPointMissingFromTheCatalogueStays() {
        openBank();
        m_dm->ADOCn1.execute(QStringLiteral("update tab_answ set K3='999999-999' where A1='Q0003'"));
        TfrmTedit w(practiceRow(QStringLiteral("Q0003")));
        QCOMPARE(w.ListBox1->count(), 1);
        QCOMPARE(w.ListBox1->item(0)->text(), QString());
        QVERIFY(w.Save());
        QCOMPARE(scalar(QStringLiteral("select K3 from tab_answ where A1='Q0003'")).toString(),
                 QStringLiteral("999999-999"));
    }

    void aFailureAtAnyStatementChangesNothing_data() {
        QTest::addColumn<QString>("statement");
        QTest::newRow("content row") << QStringLiteral("[tab_exer]");
        QTest::newRow("question row") << QStringLiteral("update [tab_answ]");
        QTest::newRow("edit count") << QStringLiteral("ecount=coalesce");
        QTest::newRow("shared stem") << QStringLiteral("update [tab_title]");
        QTest::newRow("point counters") << QStringLiteral("update tab_rule");
        QTest::newRow("catalogue counters") << QStringLiteral("update tab_fgmc");
    }
    void aFailureAtAnyStatementChangesNothing() {
        QFETCH(QString, statement);
        openBank();
        ScopedMessages shown;
        const QString id = QStringLiteral("CASE000000000001-1");
        const QString before = snapshot(id);
        store::DataSet& set = practiceRow(id);
        TfrmTedit w(set);
        w.show();
        // Typed with an input method over what the editors showed.
        const QPair<RichTextEditor*, QString> typed[] = {{w.RxDBRichEdit1, QStringLiteral("改过的题干")},
                                                         {w.RxDBRichEdit2, QStringLiteral("新的解析")},
                                                         {w.RxDBRichEdit3, QStringLiteral("改过的共同题干")}};
        for (const auto& [editor, text] : typed) {
            editor->selectAll();
            testsupport::typeWithInputMethod(editor, text);
            QCOMPARE(editor->toPlainText(), text);
        }
        w.Edit1->setText(QStringLiteral("D"));
        w.ListBox1->addPoint(QStringLiteral("050102-002"), QStringLiteral("条文2"));
        m_dm->ADOCn1.failStatementsContaining(statement);
        QVERIFY(!w.Save());
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].text, QStringLiteral("保存试题出现错误！"));
        // Still open, with what the learner typed; the bank and the practice's row as they were.
        QVERIFY(w.isVisible());
        QCOMPARE(w.RxDBRichEdit1->toPlainText(), QStringLiteral("改过的题干"));
        QCOMPARE(w.Edit1->text(), QStringLiteral("D"));
        QCOMPARE(w.ListBox1->count(), 1);
        QCOMPARE(snapshot(id), before);
        QCOMPARE(set.asString(QStringLiteral("A2")), QStringLiteral("C"));
        QCOMPARE(set.asInteger(QStringLiteral("ecount")), 0);
        QCOMPARE(set.asString(QStringLiteral("K3")), QString());
        QCOMPARE(set.state(), store::DataSet::State::Browse);
        QVERIFY(!m_dm->ADOCn1.inTransaction());

        m_dm->ADOCn1.failStatementsContaining(QString());
        QVERIFY(w.Save());
        QVERIFY(!w.isVisible());
        QCOMPARE(
            scalar(QStringLiteral("select A2 || '/' || K3 || '/' || ecount from tab_answ where A1=:a"), {id})
                .toString(),
            QStringLiteral("D/050102-002/1"));
        QCOMPARE(richtext::plainText(blob("select A15 from tab_title where A1=substr(:a,1,16)", id)),
                 QStringLiteral("改过的共同题干"));
        QCOMPARE(richtext::plainText(blob("select jx from tab_exer where A1=:a", id)),
                 QStringLiteral("新的解析"));
    }

    void theBankCheckStaysCleanAfterEntriesAndEdits() {
        const QString path = m_dir.filePath(QStringLiteral("synth.mdb"));
        QFile::remove(path);
        QStringList errors;
        QVERIFY2(tools::synthBank(1500, path, false, &errors), qPrintable(errors.join(u'\n')));
        openBank(path);
        store::Database& db = m_dm->ADOCn1;
        const auto column = [&](const QString& sql) {
            QStringList values;
            for (const auto& row : db.query(sql).rows)
                values << row.value(0).toString();
            return values;
        };
        const QStringList sections =
            column(QStringLiteral("select C1 from tab_kmmc where length(C1)=6 order by bh"));
        const QStringList chapters =
            column(QStringLiteral("select C1 from tab_kmmc where length(C1)=4 order by bh"));
        const QStringList points = column(QStringLiteral("select ftid from tab_rule order by ftid"));
        QVERIFY(sections.size() > 2 && chapters.size() > 1 && points.size() > 12);
        QVERIFY(!tools::checkBank(db).hasErrors());

        // Entries: with points in one section and in two, on a chapter of four characters, subjective.
        QTextDocument doc;
        doc.setPlainText(QStringLiteral("学员录入的题"));
        authoring::NewQuestion q;
        q.stem = richtext::writeRtf(doc);
        q.chapter = sections[0];
        q.typeId = 65;
        q.options = 4;
        q.answer = QStringLiteral("AC");
        q.points = {points[0], points[1], points[12]};
        const QString first = authoring::SaveNewQuestion(db, q);
        q.chapter = chapters[1];
        q.typeId = 61;
        q.answer = QStringLiteral("D");
        q.points = {points[5]};
        authoring::SaveNewQuestion(db, q);
        q.chapter = sections[2];
        q.typeId = 71;
        q.options = 1;
        q.answer = QStringLiteral("1");
        q.points.clear();
        authoring::SaveNewQuestion(db, q);

        // Edits: the learner's question loses a point and gains two; a delivered one loses all of its.
        authoring::QuestionEdit edit;
        edit.options = 4;
        edit.answer = QStringLiteral("AB");
        edit.typeId = 65;
        edit.points = {points[12], points[7], points[8]};
        authoring::SaveQuestionEdit(db, practiceRow(first), m_dm->cn1query_nr, nullptr, edit);
        const QString delivered =
            db.scalar(QStringLiteral(
                          "select A1 from tab_answ where K3 is not null and K3<>'' and A1 not like 'US*'"))
                .toString();
        store::DataSet& row = practiceRow(delivered);
        edit.options = int(row.asInteger(QStringLiteral("A2_1")));
        edit.answer = row.asString(QStringLiteral("A2"));
        edit.typeId = int(row.asInteger(QStringLiteral("A13")));
        edit.points.clear();
        authoring::SaveQuestionEdit(db, row, m_dm->cn1query_nr, nullptr, edit);

        const tools::CheckReport report = tools::checkBank(db);
        QVERIFY2(!report.hasErrors(), qPrintable(report.lines().join(u'\n')));
        for (const tools::CheckProblem& p : report.problems())
            QVERIFY2(p.topic != u"counter", qPrintable(p.text));
    }
};

QTEST_MAIN(TestEdit)
#include "tst_edit.moc"
