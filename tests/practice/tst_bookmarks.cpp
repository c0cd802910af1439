// Bookmarks (收藏): the star of the practice window with the mouse and the S key, the navigator's
// "收藏题" practice of exactly the starred questions of a chapter, and bookmarks that outlive an upgrade
// of the bank and a repair of its counters. 背题: reading a practice's questions with their answers
// changes nothing in the bank.
#include "practice/Ubeiti.h"
#include "practice/Ukmmc.h"
#include "practice/Ulxxt.h"
#include "practice/WrongBook.h"
#include "store/Bookmarks.h"
#include "store/BankUpgrade.h"
#include "store/Clock.h"
#include "store/dm.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestSupport.h"
#include "tools/BankBuilder.h"
#include "tools/BankRecount.h"
#include "tools/BankSource.h"
#include "tools/UpgradeBase.h"
#include "platform/Desktop.h"
#include "ui/AppState.h"
#include "ui/FileDialogs.h"
#include "ui/Services.h"

#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QToolButton>
#include <QtTest>

using testsupport::whenModal;

class TestBookmarks : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    store::FixedClock m_clock{QDateTime(QDate(2026, 12, 9), QTime(9, 0))};
    std::unique_ptr<TDM1> m_dm;

    void open(const QString& bank) {
        if (DM1 == m_dm.get())
            DM1 = nullptr;
        m_dm.reset();
        m_dm = std::make_unique<TDM1>(bank);
        QVERIFY(m_dm->DataModuleConnected);
        DM1 = m_dm.get();
        ProgramFolder = qEnvironmentVariable("VQ_SOURCE_DIR") + u'/';
    }
    QVariant scalar(const QString& sql) { return m_dm->ADOCn1.scalar(sql); }
    // Every row of every table, as text.
    QStringList dump() {
        QStringList out;
        for (const QString& t : m_dm->ADOCn1.tableNames())
            for (const auto& row : m_dm->ADOCn1.query(QStringLiteral("select * from ") + t + QStringLiteral(" order by rowid")).rows) {
                QStringList cells{t};
                for (const QVariant& v : row)
                    cells << (v.typeId() == QMetaType::QByteArray ? QString::fromLatin1(v.toByteArray().toHex()) : v.toString());
                out << cells.join(u'|');
            }
        return out;
    }

private slots:
    void initTestCase() { store::setClock(&m_clock); }
    void cleanupTestCase() {
        DM1 = nullptr;
        store::setClock(nullptr);
    }

    void theStarAndThePracticeOfTheStarredQuestions() {
        QFile::remove(m_dir.filePath(QStringLiteral("bank.mdb")));
        open(testsupport::buildBank(m_dir.path(), testsupport::baseContent() + testsupport::smallSyllabus()));
        ScopedMessages shown;
        SubjectNumber = 1;
        TFrmkmmc nav;
        nav.show();
        auto* starred = nav.findChild<QPushButton*>(QStringLiteral("PracticeBookmarked"));
        QVERIFY(nav.SelectChapter(QStringLiteral("050101")));
        QVERIFY(!starred->isEnabled()); // nothing starred yet

        QString first;
        whenModal<TFrmLxxt>([&](TFrmLxxt* w) {
            QToolButton* star = w->BookmarkButton();
            QVERIFY(star->isEnabled());
            QVERIFY(!star->isChecked());
            first = DM1->Cn1Query_tm.asString(QStringLiteral("A1"));
            QTest::keyClick(w, Qt::Key_S);
            QVERIFY(star->isChecked());
            QCOMPARE(star->text(), QStringLiteral("★ 已收藏"));
            // The next question has its own star; starred and unstarred again with the mouse.
            QTest::keyClick(w, Qt::Key_Return);
            QVERIFY(!star->isChecked());
            QTest::mouseClick(star, Qt::LeftButton);
            QVERIFY(star->isChecked());
            QTest::mouseClick(star, Qt::LeftButton);
            QVERIFY(!star->isChecked());
            // Back on the first question its star shows again.
            QTest::keyClick(w, Qt::Key_Backspace);
            QVERIFY(star->isChecked());
            w->close();
        });
        QTest::mouseClick(nav.findChild<QPushButton*>(QStringLiteral("PracticeNew")), Qt::LeftButton);
        QCOMPARE(scalar(QStringLiteral("select count(*) from tab_sc")).toInt(), 1);
        QCOMPARE(scalar(QStringLiteral("select A1 from tab_sc")).toString(), first);
        QVERIFY(starred->isEnabled());

        // "收藏题": exactly the starred question, marked as in any practice.
        bool practised = false;
        whenModal<TFrmLxxt>([&](TFrmLxxt* w) {
            practised = true;
            QCOMPARE(w->GroupText(), QStringLiteral("共1组1道题　第1组"));
            QCOMPARE(DM1->Cn1Query_tm.asString(QStringLiteral("A1")), first);
            w->close();
        });
        QTest::mouseClick(starred, Qt::LeftButton);
        QVERIFY(practised);
        QVERIFY(nav.isVisible());

        // Another section has none; the subject above counts the one below it.
        QVERIFY(nav.SelectChapter(QStringLiteral("050102")));
        QVERIFY(!starred->isEnabled());
        QVERIFY(nav.SelectChapter(QStringLiteral("0501")));
        QVERIFY(starred->isEnabled());
        // A voided question is not offered.
        m_dm->ADOCn1.execute(QStringLiteral("update tab_answ set F1=1 where A1=?"), {first});
        QCOMPARE(store::CountBookmarked(m_dm->ADOCn1, QStringLiteral("0501")), 0);
    }

    void readingWithAnswersChangesNothing() {
        QFile::remove(m_dir.filePath(QStringLiteral("bank.mdb")));
        open(testsupport::buildBank(m_dir.path(), testsupport::baseContent() + testsupport::smallSyllabus()));
        ScopedMessages shown;
        PracticeQueryText = TFrmkmmc::PracticeQuery(TFrmkmmc::NewQuestions, QStringLiteral("050101"));
        TFrmLxxt w;
        QVERIFY(w.LoadPracticeSet());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.StudyButton()->isEnabled());
        const QStringList before = dump();
        bool read = false;
        whenModal<TFrmBeiti>([&](TFrmBeiti* b) {
            read = true;
            // Q0001 (single choice, key B, two points), then Q0002 (multiple choice).
            QVERIFY2(b->Heading().startsWith(QStringLiteral("第1题（共2题）")), qPrintable(b->Heading()));
            QCOMPARE(b->KeyText(), QStringLiteral("答案：B"));
            QCOMPARE(b->PointsText(), QStringLiteral("考点：要点一；要点二"));
            QVERIFY(!b->StemText().isEmpty());
            QVERIFY(!b->PreviousButton()->isEnabled());
            QTest::keyClick(b, Qt::Key_Right);
            QCOMPARE(b->Current(), 1);
            QCOMPARE(b->KeyText(), QStringLiteral("答案：A、C、E"));
            QCOMPARE(b->PointsText(), QStringLiteral("考点：要点三"));
            QVERIFY(!b->NextButton()->isEnabled());
            QTest::keyClick(b, Qt::Key_Right); // nothing past the last
            QCOMPARE(b->Current(), 1);
            QTest::mouseClick(b->PreviousButton(), Qt::LeftButton);
            QCOMPARE(b->Current(), 0);
            b->accept();
        });
        QTest::mouseClick(w.StudyButton(), Qt::LeftButton);
        QVERIFY(read);
        QCOMPARE(dump(), before);
        QCOMPARE(shown->shown.size(), 0);
        w.close();
    }

    // The wrong-question book lists exactly the questions with mastery below zero under the chapter.
    void theWrongQuestionBookOfAChapter() {
        QFile::remove(m_dir.filePath(QStringLiteral("bank.mdb")));
        open(testsupport::buildBank(m_dir.path(), testsupport::baseContent() + testsupport::smallSyllabus()));
        const auto set = [this](const char* id, int e4, const char* e2) {
            m_dm->ADOCn1.execute(QStringLiteral("update tab_answ set E3=1, E4=?, E2=? where A1=?"),
                                 {e4, QString::fromLatin1(e2), QString::fromLatin1(id)});
        };
        set("Q0001", -3, "A");  // 050101, single choice, key B
        set("Q0002", 0, "ACE"); // right
        set("Q0003", -1, "C");  // 050102
        set("Q0004", -2, "A");  // subject 3
        const auto ids = [this](const QString& code, wrongbook::Kind kind) {
            QStringList out;
            for (const wrongbook::Entry& e : wrongbook::ReadEntries(*m_dm, code, kind))
                out << e.id;
            return out;
        };
        QCOMPARE(ids(QStringLiteral("05"), wrongbook::Kind::Wrong), QStringList({"Q0001", "Q0003"}));
        QCOMPARE(ids(QStringLiteral("050101"), wrongbook::Kind::Wrong), QStringList({"Q0001"}));
        QCOMPARE(ids(QStringLiteral("3"), wrongbook::Kind::Wrong), QStringList({"Q0004"}));
        QCOMPARE(ids(QStringLiteral("05"), wrongbook::Kind::Bookmarked), QStringList());
        store::SetBookmarked(m_dm->ADOCn1, QStringLiteral("Q0002"), true);
        QCOMPARE(ids(QStringLiteral("05"), wrongbook::Kind::Bookmarked), QStringList({"Q0002"}));

        QTextDocument doc;
        QCOMPARE(wrongbook::BuildDocument(*m_dm, QStringLiteral("05"), QStringLiteral("第一部分"),
                                          wrongbook::Kind::Wrong, &doc),
                 2);
        const QString text = doc.toPlainText();
        QVERIFY(text.startsWith(QStringLiteral("错题本 — 第一部分")));
        QVERIFY(text.contains(QStringLiteral("第1题\n")));
        QVERIFY(text.contains(QStringLiteral("你的答案：A\n正确答案：B")));
        QVERIFY(text.contains(QStringLiteral("你的答案：C")));
        QVERIFY(!text.contains(QStringLiteral("第3题")));
        QCOMPARE(wrongbook::BuildDocument(*m_dm, QStringLiteral("05"), QStringLiteral("第一部分"),
                                          wrongbook::Kind::Bookmarked, &doc),
                 1);
        QVERIFY(doc.toPlainText().contains(QStringLiteral("你的答案：ACE")));
    }

    // From the navigator: 错题本 writes the chapter's wrong questions to the file chosen and opens it.
    void theWrongQuestionBookFromTheNavigator() {
        QFile::remove(m_dir.filePath(QStringLiteral("bank.mdb")));
        open(testsupport::buildBank(m_dir.path(), testsupport::baseContent() + testsupport::smallSyllabus()));
        m_dm->ADOCn1.execute(QStringLiteral("update tab_answ set E3=1, E4=-3, E2='A' where A1='Q0001'"));
        struct Opener : DocumentOpener {
            QStringList opened;
            bool openDocument(const QString& path) override {
                opened << path;
                return true;
            }
        } opener;
        setDocumentOpener(&opener);
        ScopedFileDialogs dialogs;
        ScopedMessages shown;
        SubjectNumber = 1;
        TFrmkmmc nav;
        nav.show();
        QVERIFY(nav.SelectChapter(QStringLiteral("050101")));
        const QString file = m_dir.filePath(QStringLiteral("错题.docx"));
        dialogs->setNextFileName(file);
        auto* menu = nav.findChild<QMenu*>(QStringLiteral("WrongBookMenu"));
        QVERIFY(menu);
        menu->actions().value(0)->trigger();
        QCOMPARE(opener.opened, QStringList({file}));
        QFile written(file);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.read(2) == "PK");
        QCOMPARE(shown->shown.size(), 0);
        // A chapter without wrong questions asks for no file.
        QVERIFY(nav.SelectChapter(QStringLiteral("050102")));
        QCOMPARE(nav.ExportWrongBook(false), QString());
        QCOMPARE(shown->shown.value(0).text, QStringLiteral("本章节下没有错题！"));
        QCOMPARE(nav.ExportWrongBook(true), QString());
        QCOMPARE(shown->shown.value(1).text, QStringLiteral("本章节下没有收藏的题目！"));
        QCOMPARE(opener.opened.size(), 1);
        setDocumentOpener(nullptr);
    }

    void bookmarksOutliveAnUpgradeAndARepair() {
        const QString content = qEnvironmentVariable("VQ_SOURCE_DIR") + QStringLiteral("/content/");
        QStringList errors;
        const QString bank = m_dir.filePath(QStringLiteral("delivered/VELQUAR01.mdb"));
        QVERIFY(QDir().mkpath(QFileInfo(bank).path()));
        QVERIFY2(tools::buildBank(tools::readBankSource(content + QStringLiteral("bank"), &errors), bank, false,
                                  &errors),
                 qPrintable(errors.join(u'\n')));
        tools::BaseBank base;
        QString error;
        QVERIFY2(tools::readBaseBank(bank, &base, &error), qPrintable(error));
        const QString file = m_dir.filePath(QStringLiteral("delivered/upgrade.mdb"));
        QVERIFY2(tools::buildBank(tools::readBankSource(content + QStringLiteral("upgrades/2027-1"), &errors), file,
                                  tools::BuildOptions{true, true, &base}, &errors),
                 qPrintable(errors.join(u'\n')));
        open(bank);
        const QStringList ids{scalar(QStringLiteral("select min(A1) from tab_answ")).toString(),
                              scalar(QStringLiteral("select max(A1) from tab_answ")).toString()};
        for (const QString& id : ids)
            store::SetBookmarked(m_dm->ADOCn1, id, true);

        store::UpgradeIdentity identity;
        QCOMPARE(store::CheckUpgrade(m_dm->ADOCn1, m_dm->ADOCn2, file, &identity), store::UpgradeCheck::Ready);
        store::MergeUpgrade(m_dm->ADOCn1, file, identity);
        QVERIFY(scalar(QStringLiteral("select count(*) from tab_answ where A10='200203'")).toInt() > 0);

        m_dm->ADOCn1.execute(QStringLiteral("update tab_kmmc set D1=D1+3 where length(C1)=1"));
        QVERIFY(tools::repairCounters(m_dm->ADOCn1, tools::findCounterDrift(m_dm->ADOCn1)) > 0);

        for (const QString& id : ids)
            QVERIFY(store::IsBookmarked(m_dm->ADOCn1, id));
        QCOMPARE(scalar(QStringLiteral("select count(*) from tab_sc")).toInt(), 2);
    }
};

QTEST_MAIN(TestBookmarks)
#include "tst_bookmarks.moc"
