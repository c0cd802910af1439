// The notes window and the explanation viewer over the practice question list.
#include "practice/Ubj.h"
#include "practice/Ujx.h"
#include "richtext/RichText.h"
#include "store/DbError.h"
#include "store/dm.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

const QString kNotesQuestion = QStringLiteral(R"(
[question Q0006]
chapter: 050102
type: 61
options: 4
answer: C
notes: 旧的笔记
stem: |
  第六题
)");

// Runs action on the modal window as soon as it is up.
void onModal(std::function<void(QWidget*)> action) {
    auto* poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, action] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            action(modal);
            // A failed check must not leave the test waiting on an open window.
            if (QTest::currentTestFailed() && modal->isVisible())
                modal->close();
        }
    });
    poll->start();
}

void clickClose(QWidget* modal) {
    auto* close = modal->findChild<QPushButton*>(QStringLiteral("CloseButton"));
    QVERIFY(close);
    QTest::mouseClick(close, Qt::LeftButton);
}

void clearBox(QPlainTextEdit* box) {
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Backspace);
}

// Chinese arrives through the input method, as it does for the learner.
void typeChinese(QPlainTextEdit* box, const QString& text) {
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(box, &commit);
}

} // namespace

class NotesTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_bank;
    std::unique_ptr<TDM1> m_dm;

    store::DataSet& list() { return m_dm->Cn1Query_tm; }

    // The practice list, standing on question id.
    void openListAt(const QString& id) {
        list().close();
        list().setCommandText(QStringLiteral("select * from tab_answ,tab_exer where tab_answ.A1=tab_exer.A1 "
                                             "order by tab_answ.A1"));
        list().open();
        QVERIFY(list().locate(QStringLiteral("A1"), id));
    }

    // What a fresh connection finds in the bank.
    QVariant stored(const QString& column, const QString& id) {
        TDM1 other(m_bank);
        return other.ADOCn1.scalar(
            QStringLiteral("select ") + column + QStringLiteral(" from tab_answ where A1=?"), {id});
    }

    int openNotes(const QString& id, std::function<void(TFrmBj*)> whileOpen) {
        openListAt(id);
        TFrmBj notes;
        notes.bind(&list(), QStringLiteral("A14"), QStringLiteral("lx"));
        onModal([&notes, whileOpen](QWidget* modal) {
            QCOMPARE(modal, &notes);
            whileOpen(&notes);
        });
        return notes.exec();
    }

private slots:
    void init() {
        const QString name = QString::fromLatin1(QTest::currentTestFunction()) + QStringLiteral(".mdb");
        m_bank = testsupport::buildBank(
            m_dir.path(), testsupport::baseContent() + testsupport::smallSyllabus() + kNotesQuestion, false,
            name);
        m_dm = std::make_unique<TDM1>(m_bank);
        QVERIFY(m_dm->DataModuleConnected);
    }
    void cleanup() { m_dm.reset(); }

    void notesWindowShowsTheRowsNotesReadyToType() {
        openListAt(QStringLiteral("Q0006"));
        TFrmBj notes;
        notes.bind(&list(), QStringLiteral("A14"), QStringLiteral("lx"));
        QCOMPARE(list().state(), store::DataSet::State::Edit);
        QCOMPARE(notes.windowTitle(), QStringLiteral("笔记"));
        QCOMPARE(notes.CloseButton->text(), QStringLiteral("关  闭"));
        QCOMPARE(notes.Memo1->toPlainText(), QStringLiteral("旧的笔记"));
        QCOMPARE(notes.callerMarker(), QStringLiteral("lx"));
        QVERIFY(notes.Memo1->testAttribute(Qt::WA_InputMethodEnabled));
        QCOMPARE(notes.minimumSize(), notes.maximumSize());
        onModal([](QWidget* modal) {
            auto* w = static_cast<TFrmBj*>(modal);
            QTRY_COMPARE(QApplication::focusWidget(), w->Memo1);
            // What is typed goes after the notes already there.
            typeChinese(w->Memo1, QStringLiteral("，补充"));
            QTest::keyClick(w, Qt::Key_Escape);
        });
        notes.exec();
        QVERIFY(!notes.isVisible());
        QCOMPARE(stored(QStringLiteral("A14"), QStringLiteral("Q0006")).toString(),
                 QStringLiteral("旧的笔记，补充"));
    }

    void writtenNotesLandInTheBank() {
        NotesHaveContent = false;
        openNotes(QStringLiteral("Q0001"), [](TFrmBj* w) {
            typeChinese(w->Memo1, QStringLiteral("第一行"));
            QTest::keyClick(w->Memo1, Qt::Key_Return); // a new line, not the close button
            typeChinese(w->Memo1, QStringLiteral("第二行"));
            clickClose(w);
        });
        QVERIFY(NotesHaveContent);
        QCOMPARE(list().state(), store::DataSet::State::Browse);
        QCOMPARE(list().asString(QStringLiteral("A14")), QStringLiteral("第一行\n第二行"));
        QCOMPARE(stored(QStringLiteral("A14"), QStringLiteral("Q0001")).toString(),
                 QStringLiteral("第一行\n第二行"));
        // Only the current row was written.
        QVERIFY(stored(QStringLiteral("A14"), QStringLiteral("Q0003")).isNull());
    }

    void blanksAreStoredButDoNotCountAsContent() {
        NotesHaveContent = true;
        openNotes(QStringLiteral("Q0006"), [](TFrmBj* w) {
            clearBox(w->Memo1);
            QTest::keyClicks(w->Memo1, QStringLiteral("   "));
            QTest::keyClick(w->Memo1, Qt::Key_Return);
            QTest::keyClick(w->Memo1, Qt::Key_Tab);
            clickClose(w);
        });
        QVERIFY(!NotesHaveContent); // the notes button reads "笔记"
        QCOMPARE(stored(QStringLiteral("A14"), QStringLiteral("Q0006")).toString(),
                 QStringLiteral("   \n\t"));
    }

    void deletingAllTextStoresAnEmptyText() {
        NotesHaveContent = true;
        openNotes(QStringLiteral("Q0006"), [](TFrmBj* w) {
            clearBox(w->Memo1);
            w->close(); // the title bar's close behaves like the button
        });
        QVERIFY(!NotesHaveContent);
        const QVariant v = stored(QStringLiteral("A14"), QStringLiteral("Q0006"));
        QVERIFY(!v.isNull());
        QCOMPARE(v.toString(), QString());
    }

    void closingWithoutChangesStillPosts() {
        // Something the caller left pending on the row is written when the notes window posts.
        openListAt(QStringLiteral("Q0006"));
        list().setValue(QStringLiteral("E2"), QStringLiteral("B"));
        NotesHaveContent = false;
        TFrmBj notes;
        notes.bind(&list(), QStringLiteral("A14"), QStringLiteral("ks"));
        onModal([](QWidget* w) { clickClose(w); });
        notes.exec();
        QCOMPARE(list().state(), store::DataSet::State::Browse);
        QCOMPARE(stored(QStringLiteral("E2"), QStringLiteral("Q0006")).toString(), QStringLiteral("B"));
        QCOMPARE(stored(QStringLiteral("A14"), QStringLiteral("Q0006")).toString(),
                 QStringLiteral("旧的笔记"));
        QVERIFY(NotesHaveContent);

        // A question without notes keeps none: an untouched empty box does not turn null into ''.
        NotesHaveContent = true;
        openNotes(QStringLiteral("Q0003"), [](TFrmBj* w) { clickClose(w); });
        QCOMPARE(list().state(), store::DataSet::State::Browse);
        QVERIFY(stored(QStringLiteral("A14"), QStringLiteral("Q0003")).isNull());
        QVERIFY(!NotesHaveContent);
    }

    void aFailedSaveReachesTheCallerAndLeavesTheBankAsItWas() {
        m_dm->ADOCn1.failStatementsContaining(QStringLiteral("update"));
        NotesHaveContent = false;
        QVERIFY_THROWS_EXCEPTION(store::DbError, openNotes(QStringLiteral("Q0006"), [](TFrmBj* w) {
                                     clearBox(w->Memo1);
                                     clickClose(w);
                                 }));
        m_dm->ADOCn1.failStatementsContaining(QString());
        QCOMPARE(list().state(), store::DataSet::State::Browse);
        QCOMPARE(list().asString(QStringLiteral("A14")), QStringLiteral("旧的笔记"));
        QCOMPARE(stored(QStringLiteral("A14"), QStringLiteral("Q0006")).toString(),
                 QStringLiteral("旧的笔记"));
        QVERIFY(NotesHaveContent); // the button tells what the bank still holds
    }

    void bindingFailuresAreThrownAndLeaveTheRowAlone() {
        TFrmBj notes;
        list().close();
        QVERIFY_THROWS_EXCEPTION(store::DbError,
                                 notes.bind(&list(), QStringLiteral("A14"), QStringLiteral("lx")));
        openListAt(QStringLiteral("Q0006"));
        QVERIFY_THROWS_EXCEPTION(store::DbError,
                                 notes.bind(&list(), QStringLiteral("nosuchfield"), QStringLiteral("lx")));
        QCOMPARE(list().state(), store::DataSet::State::Browse);

        // Bound but never shown: the caller's row goes back to browsing with the window.
        {
            TFrmBj unused;
            unused.bind(&list(), QStringLiteral("A14"), QStringLiteral("lx"));
            QCOMPARE(list().state(), store::DataSet::State::Edit);
        }
        QCOMPARE(list().state(), store::DataSet::State::Browse);
    }

    void explanationShowsTheStoredRichText() {
        openListAt(QStringLiteral("Q0001"));
        const QByteArray blob = list().asBytes(QStringLiteral("jx"));
        QVERIFY(blob.startsWith("{\\rtf")); // stored as rich text, not as plain text
        TFrmJx jx;
        jx.bind(&list(), QStringLiteral("jx"));
        QCOMPARE(jx.windowTitle(), QStringLiteral("解析"));
        QCOMPARE(jx.CloseButton->text(), QStringLiteral("关闭"));
        QVERIFY(jx.DBRichEdit1->isReadOnly());
        QCOMPARE(jx.DBRichEdit1->toPlainText().trimmed(), QStringLiteral("解析一"));
        QVERIFY(!jx.DBRichEdit1->toPlainText().contains(u'\\'));
        // Looking changes nothing: the row stays as the caller left it.
        QCOMPARE(list().state(), store::DataSet::State::Browse);
        onModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
        jx.exec();
        QVERIFY(!jx.isVisible());
    }

    void explanationOpensEmptyOnABadBinding() {
        TFrmJx jx;
        openListAt(QStringLiteral("Q0001"));
        jx.bind(&list(), QStringLiteral("jx"));
        QVERIFY(!jx.DBRichEdit1->toPlainText().isEmpty());
        jx.bind(&list(), QStringLiteral("nosuchfield"));
        QVERIFY(jx.DBRichEdit1->toPlainText().isEmpty());

        jx.bind(&list(), QStringLiteral("jx"));
        list().close();
        jx.bind(&list(), QStringLiteral("jx"));
        QVERIFY(jx.DBRichEdit1->toPlainText().isEmpty());

        jx.bind(nullptr, QStringLiteral("jx"));
        QVERIFY(jx.DBRichEdit1->toPlainText().isEmpty());

        // No current row at all, and a question without an explanation.
        list().setCommandText(QStringLiteral("select * from tab_exer where A1='none'"));
        list().open();
        jx.bind(&list(), QStringLiteral("jx"));
        QVERIFY(jx.DBRichEdit1->toPlainText().isEmpty());
        openListAt(QStringLiteral("Q0002"));
        jx.bind(&list(), QStringLiteral("jx"));
        QVERIFY(jx.DBRichEdit1->toPlainText().isEmpty());

        onModal([](QWidget* w) { clickClose(w); });
        jx.exec();
    }
};

QTEST_MAIN(NotesTest)
#include "tst_notes.moc"
