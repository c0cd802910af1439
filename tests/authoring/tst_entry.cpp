// Question entry: the serials of learners' questions, the one transaction of a save with its counters,
// what a failure at any statement leaves, and the entry window as a learner fills it in.
#include "authoring/ExamPointList.h"
#include "authoring/QuestionSave.h"
#include "authoring/RichTextEditor.h"
#include "authoring/UInPut.h"
#include "richtext/RichText.h"
#include "store/Clock.h"
#include "store/dm.h"
#include "tests/authoring/AuthoringBank.h"
#include "ui/AppState.h"
#include "ui/FileDialogs.h"
#include "ui/Services.h"

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>

namespace {

QByteArray stemBlob(const QString& text) {
    QTextDocument doc;
    doc.setPlainText(text);
    return richtext::writeRtf(doc);
}

authoring::NewQuestion question(const QString& chapter = QStringLiteral("050101"),
                                const QStringList& points = {}) {
    authoring::NewQuestion q;
    q.chapter = chapter;
    q.typeId = 61;
    q.options = 4;
    q.answer = QStringLiteral("B");
    q.stem = stemBlob(QStringLiteral("学员自己的题"));
    q.points = points;
    return q;
}

} // namespace

class TestEntry : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    store::FixedClock m_clock{QDateTime(QDate(2026, 12, 9), QTime(9, 0))};
    std::unique_ptr<TDM1> m_dm;

    void openBank() {
        if (DM1 == m_dm.get())
            DM1 = nullptr;
        m_dm.reset();
        QFile::remove(m_dir.filePath(QStringLiteral("bank.mdb")));
        m_dm = std::make_unique<TDM1>(testsupport::buildBank(m_dir.path(), testsupport::authoringBank()));
        QVERIFY(m_dm->DataModuleConnected);
        DM1 = m_dm.get();
        ProgramFolder = qEnvironmentVariable("VQ_SOURCE_DIR") + u'/';
        PaperKind = 1;
    }
    QVariant scalar(const QString& sql, const QVariantList& params = {}) {
        return m_dm->ADOCn1.scalar(sql, params);
    }
    int count(const QString& table) {
        return scalar(QStringLiteral("select count(*) from ") + table).toInt();
    }
    // Everything a save may change, for comparing before and after.
    QString snapshot() {
        QStringList parts;
        for (const char* sql :
             {"select count(*) from tab_answ", "select count(*) from tab_exer",
              "select group_concat(C1 || '=' || C3) from (select C1, C3 from tab_kmmc order by C1)",
              "select group_concat(ftid || '=' || q) from (select ftid, q from tab_rule order by ftid)",
              "select group_concat(id || '=' || q) from (select id, q from tab_fgmc order by id)"})
            parts << scalar(QLatin1String(sql)).toString();
        return parts.join(u'|');
    }
    int c3(const QString& code) {
        return scalar(QStringLiteral("select C3 from tab_kmmc where C1=:c"), {code}).toInt();
    }
    int ruleQ(const QString& ftid) {
        return scalar(QStringLiteral("select q from tab_rule where ftid=:f"), {ftid}).toInt();
    }
    int fgmcQ(const QString& id) {
        return scalar(QStringLiteral("select q from tab_fgmc where id=:i"), {id}).toInt();
    }
    void seedId(const QString& id) {
        m_dm->ADOCn1.execute(
            QStringLiteral("insert into tab_answ (A1,A2,A2_1,A10,A13,F1) values (:a,'A',4,'050101',61,2)"),
            {id});
    }

    // A form with a stem, an answer and two exam points, as a learner leaves it before pressing 保存.
    void fillIn(TFrmInPut& w) {
        testsupport::typeWithInputMethod(w.Re1, QStringLiteral("下列说法正确的是"));
        QTest::keyClicks(w.Edit1, QStringLiteral("c"));
        w.ListBox1->addPoint(QStringLiteral("050101-001"), QStringLiteral("1.[要点一]"));
        w.ListBox1->addPoint(QStringLiteral("050102-001"), QStringLiteral("2.[要点三]"));
    }

private slots:
    void initTestCase() { store::setClock(&m_clock); }
    void cleanupTestCase() {
        DM1 = nullptr;
        m_dm.reset();
        store::setClock(nullptr);
    }

    void serialsRunFromOneTo9999() {
        openBank();
        store::Database& db = m_dm->ADOCn1;
        QCOMPARE(authoring::SaveNewQuestion(db, question()), QStringLiteral("US05010161400001"));
        seedId(QStringLiteral("US0501016140998"));
        QCOMPARE(authoring::SaveNewQuestion(db, question()), QStringLiteral("US05010161400999"));
        QCOMPARE(authoring::SaveNewQuestion(db, question(QStringLiteral("0501"))),
                 QStringLiteral("US05016141000"));
        // Ids that only start like ours, or end in no number, do not count and do not stop a save.
        seedId(QStringLiteral("U1234abcd"));
        seedId(QStringLiteral("USabcd"));
        seedId(QStringLiteral("UT9999"));
        QCOMPARE(authoring::SaveNewQuestion(db, question()), QStringLiteral("US0501016141001"));
        seedId(QStringLiteral("US30010161409998"));
        QCOMPARE(authoring::SaveNewQuestion(db, question()), QStringLiteral("US0501016149999"));
        const QString before = snapshot();
        QVERIFY_THROWS_EXCEPTION(authoring::SerialsExhausted, authoring::SaveNewQuestion(db, question()));
        QCOMPARE(snapshot(), before);
        QVERIFY(!db.inTransaction());

        // The window reports the refusal and keeps the question as typed.
        ScopedMessages shown;
        TFrmInPut w;
        w.SetChapter(QStringLiteral("050101"));
        fillIn(w);
        QVERIFY(!w.Save());
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].text, QStringLiteral("最多只能录入9999道题！"));
        QCOMPARE(shown->shown[0].caption, QStringLiteral("提示"));
        QCOMPARE(shown->shown[0].icon, MsgIcon::Warning);
        QCOMPARE(w.Re1->toPlainText(), QStringLiteral("下列说法正确的是"));
        QCOMPARE(w.SavedCount(), 0);
        QCOMPARE(snapshot(), before);
    }

    void theQuestionAndEveryCounterInOneSave() {
        openBank();
        const QString before = snapshot();
        authoring::NewQuestion q =
            question(QStringLiteral("050101"), {QStringLiteral("050101-001"), QStringLiteral("050101-002")});
        q.explanation = stemBlob(QStringLiteral("解析"));
        const int kmmc[] = {c3(QStringLiteral("050101")), c3(QStringLiteral("0501")),
                            c3(QStringLiteral("05")), c3(QStringLiteral("0")), c3(QStringLiteral("050102"))};
        const int rules[] = {ruleQ(QStringLiteral("050101-001")), ruleQ(QStringLiteral("050101-002")),
                             ruleQ(QStringLiteral("050102-001"))};
        const int fgmc[] = {fgmcQ(QStringLiteral("050101")), fgmcQ(QStringLiteral("05")),
                            fgmcQ(QStringLiteral("0")), fgmcQ(QStringLiteral("050102"))};
        const QString id = authoring::SaveNewQuestion(m_dm->ADOCn1, q);
        QCOMPARE(id, QStringLiteral("US05010161400001"));
        const store::QueryResult row = m_dm->ADOCn1.query(
            QStringLiteral("select A2, A2_1, A10, A13, K3, K4, K5, F1, ecount, E2 from tab_answ where A1=:a"),
            {id});
        QCOMPARE(row.rows.size(), 1);
        const auto& r = row.rows.first();
        QCOMPARE(r[0].toString(), QStringLiteral("B"));
        QCOMPARE(r[1].toInt(), 4);
        QCOMPARE(r[2].toString(), QStringLiteral("050101"));
        QCOMPARE(r[3].toInt(), 61);
        QCOMPARE(r[4].toString(), QStringLiteral("050101-001"));
        QCOMPARE(r[5].toString(), QStringLiteral("050101-002"));
        QVERIFY(r[6].isNull());
        QCOMPARE(r[7].toInt(), 2);
        QCOMPARE(r[8].toInt(), 0);
        QVERIFY(r[9].isNull());
        QCOMPARE(scalar(QStringLiteral("select A15 from tab_exer where A1=:a"), {id}).toByteArray(), q.stem);
        QCOMPARE(scalar(QStringLiteral("select jx from tab_exer where A1=:a"), {id}).toByteArray(),
                 q.explanation);
        // The section and its three upper levels gain one; a sibling does not.
        QCOMPARE(c3(QStringLiteral("050101")), kmmc[0] + 1);
        QCOMPARE(c3(QStringLiteral("0501")), kmmc[1] + 1);
        QCOMPARE(c3(QStringLiteral("05")), kmmc[2] + 1);
        QCOMPARE(c3(QStringLiteral("0")), kmmc[3] + 1);
        QCOMPARE(c3(QStringLiteral("050102")), kmmc[4]);
        // Both points gain one; their common section and the rows above it one, not two.
        QCOMPARE(ruleQ(QStringLiteral("050101-001")), rules[0] + 1);
        QCOMPARE(ruleQ(QStringLiteral("050101-002")), rules[1] + 1);
        QCOMPARE(ruleQ(QStringLiteral("050102-001")), rules[2]);
        QCOMPARE(fgmcQ(QStringLiteral("050101")), fgmc[0] + 1);
        QCOMPARE(fgmcQ(QStringLiteral("05")), fgmc[1] + 1);
        QCOMPARE(fgmcQ(QStringLiteral("0")), fgmc[2] + 1);
        QCOMPARE(fgmcQ(QStringLiteral("050102")), fgmc[3]);

        // A question without points changes only the chapter counters; without an explanation, no jx.
        const QString points = scalar(QStringLiteral("select sum(q) from tab_rule")).toString() +
                               scalar(QStringLiteral("select sum(q) from tab_fgmc")).toString();
        const QString plain = authoring::SaveNewQuestion(m_dm->ADOCn1, question());
        QCOMPARE(scalar(QStringLiteral("select sum(q) from tab_rule")).toString() +
                     scalar(QStringLiteral("select sum(q) from tab_fgmc")).toString(),
                 points);
        QVERIFY(scalar(QStringLiteral("select jx from tab_exer where A1=:a"), {plain}).isNull());
        QCOMPARE(c3(QStringLiteral("050101")), kmmc[0] + 2);
        QVERIFY(snapshot() != before);
    }

    void aChapterOfFourCharactersGainsOne() {
        openBank();
        const int own = c3(QStringLiteral("0501")), part = c3(QStringLiteral("05")),
                  subject = c3(QStringLiteral("0"));
        authoring::SaveNewQuestion(m_dm->ADOCn1, question(QStringLiteral("0501")));
        QCOMPARE(c3(QStringLiteral("0501")), own + 1);
        QCOMPARE(c3(QStringLiteral("05")), part + 1);
        QCOMPARE(c3(QStringLiteral("0")), subject + 1);
    }

    void quotesInAnswersAndPointsAreKept() {
        openBank();
        authoring::NewQuestion q =
            question(QStringLiteral("050101"), {QStringLiteral("050101-001"), QStringLiteral("0'1")});
        q.typeId = 67;
        q.answer = QStringLiteral("it's 'x'");
        const int before = ruleQ(QStringLiteral("050101-001"));
        const QString id = authoring::SaveNewQuestion(m_dm->ADOCn1, q);
        QCOMPARE(scalar(QStringLiteral("select A2 from tab_answ where A1=:a"), {id}).toString(),
                 QStringLiteral("it's 'x'"));
        QCOMPARE(scalar(QStringLiteral("select K4 from tab_answ where A1=:a"), {id}).toString(),
                 QStringLiteral("0'1"));
        QCOMPARE(ruleQ(QStringLiteral("050101-001")), before + 1);
    }

    void aFailureAtAnyStatementLeavesNothing_data() {
        QTest::addColumn<QString>("statement");
        QTest::newRow("next serial") << QStringLiteral("Right(A1,4)");
        QTest::newRow("question row") << QStringLiteral("insert into tab_answ");
        QTest::newRow("content row") << QStringLiteral("insert into tab_exer");
        QTest::newRow("chapter counters") << QStringLiteral("update tab_kmmc");
        QTest::newRow("point counters") << QStringLiteral("update tab_rule");
        QTest::newRow("catalogue counters") << QStringLiteral("update tab_fgmc");
    }
    void aFailureAtAnyStatementLeavesNothing() {
        QFETCH(QString, statement);
        openBank();
        ScopedMessages shown;
        const QString before = snapshot();
        m_dm->ADOCn1.failStatementsContaining(statement);
        QVERIFY_THROWS_EXCEPTION(std::exception, authoring::SaveNewQuestion(
                                                     m_dm->ADOCn1, question(QStringLiteral("050101"),
                                                                            {QStringLiteral("050101-001")})));
        QCOMPARE(snapshot(), before);
        QVERIFY(!m_dm->ADOCn1.inTransaction());

        // In the window: the message, and the form as the learner typed it.
        TFrmInPut w;
        w.SetChapter(QStringLiteral("050101"));
        fillIn(w);
        QVERIFY(!w.Save());
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].text, QStringLiteral("保存试题出现错误！"));
        QCOMPARE(shown->shown[0].caption, QStringLiteral("提示"));
        QCOMPARE(w.Re1->toPlainText(), QStringLiteral("下列说法正确的是"));
        QCOMPARE(w.Edit1->text(), QStringLiteral("C"));
        QCOMPARE(w.ListBox1->ftids(),
                 (QStringList{QStringLiteral("050101-001"), QStringLiteral("050102-001")}));
        QCOMPARE(w.SavedCount(), 0);
        QCOMPARE(snapshot(), before);

        // Once the bank answers again, the same form saves.
        m_dm->ADOCn1.failStatementsContaining(QString());
        QVERIFY(w.Save());
        QCOMPARE(w.SavedCount(), 1);
        QCOMPARE(count(QStringLiteral("tab_answ where A1 like 'US*'")), 1);
        QCOMPARE(scalar(QStringLiteral("select K4 from tab_answ where A1 like 'US*'")).toString(),
                 QStringLiteral("050102-001"));
        QVERIFY(w.Re1->toPlainText().isEmpty());
        QVERIFY(w.ListBox1->ftids().isEmpty());
    }

    void theFormAsALearnerFillsItIn() {
        openBank();
        ScreenMode = QStringLiteral("1024");
        ScopedMessages shown;
        TFrmInPut w;
        w.SetChapter(QStringLiteral("050101"));
        w.SetHeading(QStringLiteral("试题录入 [第一节]"));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(w.windowTitle(), QStringLiteral("试题录入"));
        QVERIFY(!w.Lb_cap->isVisible());
        QCOMPARE(w.Lb_cap->text(), QStringLiteral("试题录入 [第一节]"));
        QCOMPARE(w.SE_Num->value(), 5);
        QCOMPARE(w.SE_Num->maximum(), 6);
        QCOMPARE(w.ComboBox1->currentText(), QStringLiteral("单项选择题"));
        QCOMPARE(w.ComboBox1->count(), 7);
        QVERIFY(!w.ComboBox1->isEditable());

        // Checked in order: the stem, the answer, then the key against the type.
        QTest::mouseClick(w.findChild<QPushButton*>(QStringLiteral("Save")), Qt::LeftButton);
        QCOMPARE(shown->shown.last().text, QStringLiteral("请填写试题内容！"));
        QTRY_COMPARE(QApplication::focusWidget(), w.Re1);
        QTest::keyClicks(w.Re1, QStringLiteral("stem"));
        QVERIFY(!w.Save());
        QCOMPARE(shown->shown.last().text, QStringLiteral("请填写试题答案！"));
        QTest::keyClicks(w.Edit1, QStringLiteral("ab"));
        QCOMPARE(w.Edit1->text(), QStringLiteral("AB")); // upper case as typed
        QVERIFY(!w.Save());
        QCOMPARE(shown->shown.last().text, QStringLiteral("单选题的答案只能是一个字母！"));
        w.Edit1->setText(QStringLiteral("G"));
        QVERIFY(!w.Save());
        QCOMPARE(shown->shown.last().text, QStringLiteral("答案中的字母只能是A至E（待选答案共5个）！"));
        QCOMPARE(count(QStringLiteral("tab_answ where A1 like 'US*'")), 0);

        // A subjective type fixes the option count and the answer; an objective one empties the answer.
        const int subjective = w.ComboBox1->findText(QStringLiteral("简答"));
        w.ComboBox1->setCurrentIndex(subjective);
        emit w.ComboBox1->activated(subjective);
        QCOMPARE(w.SE_Num->value(), 1);
        QVERIFY(!w.SE_Num->isEnabled());
        QCOMPARE(w.Edit1->text(), QStringLiteral("1"));
        QVERIFY(!w.Edit1->isEnabled());
        const int multiple = w.ComboBox1->findText(QStringLiteral("多项选择题"));
        w.ComboBox1->setCurrentIndex(multiple);
        emit w.ComboBox1->activated(multiple);
        QVERIFY(w.Edit1->isEnabled() && w.SE_Num->isEnabled());
        QVERIFY(w.Edit1->text().isEmpty());
        QCOMPARE(w.SE_Num->value(), 1);

        // A subjective question saves with one option and "1"; the fields are enabled again afterwards and
        // the form is ready for the next question, keeping its option count.
        w.ComboBox1->setCurrentIndex(subjective);
        emit w.ComboBox1->activated(subjective);
        w.Re2->setPlainText(QStringLiteral("参考答案"));
        QVERIFY(w.Save());
        QCOMPARE(w.SavedCount(), 1);
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("Lb_saved"))->text(), QStringLiteral("已保存1道题"));
        QCOMPARE(scalar(QStringLiteral("select A2 || '/' || A2_1 || '/' || A13 from tab_answ where A1=:a"),
                        {w.LastSavedId()})
                     .toString(),
                 QStringLiteral("1/1/71"));
        QVERIFY(w.Edit1->isEnabled() && w.SE_Num->isEnabled());
        QCOMPARE(w.SE_Num->value(), 1);
        QCOMPARE(w.ComboBox1->currentIndex(), 0);
        QVERIFY(w.Re1->toPlainText().isEmpty() && w.Re2->toPlainText().isEmpty() &&
                w.Edit1->text().isEmpty());

        // A multiple choice typed out of order is stored in order; a blank explanation is not stored.
        w.SE_Num->setValue(5);
        w.ComboBox1->setCurrentIndex(multiple);
        emit w.ComboBox1->activated(multiple);
        w.Re1->setPlainText(QStringLiteral("多选题"));
        w.Re2->setPlainText(QStringLiteral("   \n  "));
        // Typed with a Chinese input method: full-width letters, shown in upper case, stored as letters.
        w.Edit1->setFocus();
        testsupport::typeWithInputMethod(w.Edit1, QStringLiteral("ｅａ"));
        QCOMPARE(w.Edit1->text(), QStringLiteral("ＥＡ"));
        QVERIFY(w.Save());
        QCOMPARE(scalar(QStringLiteral("select A2 from tab_answ where A1=:a"), {w.LastSavedId()}).toString(),
                 QStringLiteral("AE"));
        QVERIFY(scalar(QStringLiteral("select jx from tab_exer where A1=:a"), {w.LastSavedId()}).isNull());
        QVERIFY(w.LastSavedId().startsWith(QStringLiteral("US050101655")));

        // 清除 empties the form; 关闭 closes it with its count.
        w.Re1->setPlainText(QStringLiteral("x"));
        w.ListBox1->addPoint(QStringLiteral("050101-001"), QStringLiteral("x"));
        QTest::mouseClick(w.findChild<QPushButton*>(QStringLiteral("Clear")), Qt::LeftButton);
        QVERIFY(w.Re1->toPlainText().isEmpty());
        QCOMPARE(w.ListBox1->count(), 0);
        QTest::keyClick(&w, Qt::Key_Escape); // Escape does not throw the form away
        QVERIFY(w.isVisible());
        QTest::mouseClick(w.findChild<QPushButton*>(QStringLiteral("Close")), Qt::LeftButton);
        QVERIFY(!w.isVisible());
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(w.SavedCount(), 2);
    }

    void examPointListLimitAndDelete() {
        openBank();
        ScopedMessages shown;
        TFrmInPut w;
        for (int i = 0; i < 10; ++i)
            w.ListBox1->addPoint(QStringLiteral("P%1").arg(i), QStringLiteral("点%1").arg(i));
        QCOMPARE(w.ListBox1->toolTip(), QStringLiteral("点击\"Delete\"键可以删除考点"));
        w.AddExamPoints(); // the picker does not open
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].text, QStringLiteral("试题对应考点最多为10条！\n如果要去掉考点，请选中要\n"
                                                      "去掉的考点，再按键盘上的\n[Delete]键！"));
        QVERIFY(!QApplication::activeModalWidget());
        // Delete with no selection does nothing; with one, both lists lose that entry.
        w.ListBox1->clearSelection();
        QTest::keyClick(w.ListBox1, Qt::Key_Delete);
        QCOMPARE(w.ListBox1->count(), 10);
        w.ListBox1->setCurrentRow(3);
        QTest::keyClick(w.ListBox1, Qt::Key_Delete);
        QCOMPARE(w.ListBox1->count(), 9);
        QCOMPARE(w.ListBox1->ftids().size(), 9);
        QVERIFY(!w.ListBox1->ftids().contains(QStringLiteral("P3")));
        QCOMPARE(w.ListBox1->item(3)->text(), QStringLiteral("点4"));
    }

    void picturesKeepTheirBytesAndAPictureAloneIsAnExplanation() {
        openBank();
        ScopedMessages shown;
        ScopedFileDialogs files;
        QImage image(30, 20, QImage::Format_RGB32);
        image.fill(QColor(10, 120, 200));
        const QString path = m_dir.filePath(QStringLiteral("figure.png"));
        QVERIFY(image.save(path, "PNG"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray png = file.readAll();

        TFrmInPut w;
        w.SetChapter(QStringLiteral("050101"));
        w.Re1->setPlainText(QStringLiteral("如图"));
        w.Edit1->setText(QStringLiteral("A"));
        // The explanation holds only a picture, inserted from a file.
        QFocusEvent focusIn(QEvent::FocusIn);
        QApplication::sendEvent(w.Re2, &focusIn);
        files->setNextFileName(path);
        w.InsertPicture();
        QCOMPARE(files->asked.size(), 1);
        QCOMPARE(files->asked[0].caption, QStringLiteral("插入图片"));
        QVERIFY(w.Re2->hasContent());
        QVERIFY(w.Re2->toPlainText().trimmed() == QString(QChar::ObjectReplacementCharacter));
        // A file that is no picture is refused with a message.
        files->setNextFileName(m_dir.filePath(QStringLiteral("bank.mdb")));
        w.InsertPicture();
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].text, QStringLiteral("该文件不是可以识别的图片！"));
        QVERIFY(w.Save());
        const QByteArray jx =
            scalar(QStringLiteral("select jx from tab_exer where A1=:a"), {w.LastSavedId()}).toByteArray();
        QVERIFY(!jx.isEmpty());
        QVERIFY(QByteArray(jx).replace("\r\n", "").contains(png.toHex())); // the file's own bytes
        QTextDocument shownAgain;
        richtext::readRtf(jx, &shownAgain);
        QCOMPARE(shownAgain.toPlainText(), QString(QChar::ObjectReplacementCharacter));
    }
};

QTEST_MAIN(TestEntry)
#include "tst_entry.moc"
