// The notes window and the explanation viewer over the practice question list.
#include "practice/Ubj.h"
#include "practice/Ujx.h"
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

using State = store::DataSet::State;

// Runs action on the modal window as soon as it is up; a failed check closes the window.
void onModal(std::function<void(QWidget*)> action) {
    QTimer::singleShot(0, [action] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        action(modal);
        if (QTest::currentTestFailed() && modal->isVisible())
            modal->close();
    });
}

void clickClose(QWidget* modal) {
    QTest::mouseClick(modal->findChild<QPushButton*>(QStringLiteral("CloseButton")), Qt::LeftButton);
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

    void openListAt(const QString& id) {
        list().close();
        list().setCommandText(
            QStringLiteral("select * from tab_answ,tab_exer where tab_answ.A1=tab_exer.A1"));
        list().open();
        QVERIFY(list().locate(QStringLiteral("A1"), id));
    }

    // What a fresh connection finds in the bank.
    QVariant stored(const QString& column, const QString& id) {
        TDM1 other(m_bank);
        return other.ADOCn1.scalar(
            QStringLiteral("select ") + column + QStringLiteral(" from tab_answ where A1=?"), {id});
    }

    void editNotes(const QString& id, std::function<void(TFrmBj*)> whileOpen) {
        openListAt(id);
        TFrmBj notes;
        notes.bind(&list(), QStringLiteral("A14"), QStringLiteral("lx"));
        onModal([whileOpen](QWidget* w) { whileOpen(static_cast<TFrmBj*>(w)); });
        notes.exec();
        QCOMPARE(list().state(), State::Browse);
    }

private slots:
    void init() {
        m_bank = testsupport::buildBank(
            m_dir.path(),
            testsupport::baseContent() + testsupport::smallSyllabus() +
                QStringLiteral("[question Q0006]\nchapter: 050102\ntype: 61\noptions: 4\n"
                               "answer: C\nnotes: 旧的笔记\nstem: |\n  第六题\n"),
            false, QString::fromLatin1(QTest::currentTestFunction()) + ".mdb");
        m_dm = std::make_unique<TDM1>(m_bank);
    }
    void cleanup() { m_dm.reset(); }

    void notesAreTypedAfterTheOldOnesAndLandInTheBank() {
        openListAt(QStringLiteral("Q0006"));
        TFrmBj notes;
        notes.bind(&list(), QStringLiteral("A14"), QStringLiteral("lx"));
        QCOMPARE(list().state(), State::Edit);
        QCOMPARE(notes.windowTitle(), QStringLiteral("笔记"));
        QCOMPARE(notes.CloseButton->text(), QStringLiteral("关  闭"));
        NotesHaveContent = false;
        onModal([&notes](QWidget*) {
            QTRY_COMPARE(QApplication::focusWidget(), notes.Memo1);
            typeChinese(notes.Memo1, QStringLiteral("，补充"));
            QTest::keyClick(notes.Memo1, Qt::Key_Return); // a new line, not the close button
            typeChinese(notes.Memo1, QStringLiteral("第二行"));
            QTest::keyClick(&notes, Qt::Key_Escape);
        });
        notes.exec();
        QVERIFY(NotesHaveContent);
        QCOMPARE(list().state(), State::Browse);
        QCOMPARE(stored(QStringLiteral("A14"), QStringLiteral("Q0006")).toString(),
                 QStringLiteral("旧的笔记，补充\n第二行"));
        QVERIFY(stored(QStringLiteral("A14"), QStringLiteral("Q0003")).isNull()); // only the current row
    }

    void blankOrDeletedNotesAreStoredButNotCounted() {
        NotesHaveContent = true;
        editNotes(QStringLiteral("Q0006"), [](TFrmBj* w) {
            clearBox(w->Memo1);
            QTest::keyClicks(w->Memo1, QStringLiteral("  \t"));
            clickClose(w);
        });
        QVERIFY(!NotesHaveContent); // the notes button reads "笔记"
        QCOMPARE(stored(QStringLiteral("A14"), QStringLiteral("Q0006")).toString(), QStringLiteral("  \t"));

        NotesHaveContent = true;
        editNotes(QStringLiteral("Q0006"), [](TFrmBj* w) {
            clearBox(w->Memo1);
            w->close(); // the title bar's close behaves like the button
        });
        QVERIFY(!NotesHaveContent);
        const QVariant v = stored(QStringLiteral("A14"), QStringLiteral("Q0006"));
        QVERIFY(!v.isNull() && v.toString().isEmpty());
    }

    void closingWithoutChangesStillPosts() {
        // What the caller left pending on the row is written when the notes window posts.
        openListAt(QStringLiteral("Q0006"));
        list().setValue(QStringLiteral("E2"), QStringLiteral("B"));
        TFrmBj notes;
        notes.bind(&list(), QStringLiteral("A14"), QStringLiteral("ks"));
        onModal(clickClose);
        notes.exec();
        QCOMPARE(list().state(), State::Browse);
        QCOMPARE(stored(QStringLiteral("E2"), QStringLiteral("Q0006")).toString(), QStringLiteral("B"));
        QVERIFY(NotesHaveContent);
        // An untouched empty box over a question without notes does not turn null into ''.
        editNotes(QStringLiteral("Q0003"), clickClose);
        QVERIFY(stored(QStringLiteral("A14"), QStringLiteral("Q0003")).isNull());
        QVERIFY(!NotesHaveContent);
    }

    void failuresReachTheCallerAndLeaveTheRowBrowsing() {
        m_dm->ADOCn1.failStatementsContaining(QStringLiteral("update"));
        NotesHaveContent = false;
        QVERIFY_THROWS_EXCEPTION(store::DbError, editNotes(QStringLiteral("Q0006"), [](TFrmBj* w) {
                                     clearBox(w->Memo1);
                                     clickClose(w);
                                 }));
        QCOMPARE(list().state(), State::Browse);
        QCOMPARE(stored(QStringLiteral("A14"), QStringLiteral("Q0006")).toString(),
                 QStringLiteral("旧的笔记"));
        QVERIFY(NotesHaveContent); // the button tells what the bank still holds

        TFrmBj notes;
        QVERIFY_THROWS_EXCEPTION(store::DbError, notes.bind(&list(), QStringLiteral("nosuch"), QString()));
        QCOMPARE(list().state(), State::Browse);
        {
            TFrmBj unused; // bound, never shown: the row goes back to browsing with the window
            unused.bind(&list(), QStringLiteral("A14"), QStringLiteral("lx"));
        }
        QCOMPARE(list().state(), State::Browse);
        list().close();
        QVERIFY_THROWS_EXCEPTION(store::DbError, notes.bind(&list(), QStringLiteral("A14"), QString()));
    }

    void explanationShowsTheRichTextOrNothing() {
        openListAt(QStringLiteral("Q0001"));
        QVERIFY(list().asBytes(QStringLiteral("jx")).startsWith("{\\rtf"));
        TFrmJx jx;
        QCOMPARE(jx.windowTitle(), QStringLiteral("解析"));
        QCOMPARE(jx.CloseButton->text(), QStringLiteral("关闭"));
        jx.bind(&list(), QStringLiteral("jx"));
        QVERIFY(jx.DBRichEdit1->isReadOnly());
        QCOMPARE(jx.DBRichEdit1->toPlainText().trimmed(), QStringLiteral("解析一"));

        // Bad bindings open an empty view instead of failing.
        jx.bind(&list(), QStringLiteral("nosuch"));
        QVERIFY(jx.DBRichEdit1->toPlainText().isEmpty());
        jx.bind(&list(), QStringLiteral("jx"));
        jx.bind(nullptr, QStringLiteral("jx"));
        QVERIFY(jx.DBRichEdit1->toPlainText().isEmpty());
        openListAt(QStringLiteral("Q0002")); // no explanation
        jx.bind(&list(), QStringLiteral("jx"));
        QVERIFY(jx.DBRichEdit1->toPlainText().isEmpty());
        list().close();
        jx.bind(&list(), QStringLiteral("jx"));
        QVERIFY(jx.DBRichEdit1->toPlainText().isEmpty());

        onModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
        jx.exec();
        QVERIFY(!jx.isVisible());
    }
};

QTEST_MAIN(NotesTest)
#include "tst_notes.moc"
