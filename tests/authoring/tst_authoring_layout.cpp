// The authoring windows on the two screens they are laid out for.
#include "authoring/RichTextEditor.h"
#include "authoring/UInPut.h"
#include "authoring/UselectFg.h"
#include "authoring/Utedit.h"
#include "store/dm.h"
#include "tests/authoring/AuthoringBank.h"
#include "ui/AppState.h"
#include "ui/Services.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
// Room a window may take: the screen less a taskbar of 40 pixels and a frame of about 10 x 36.
QSize budget(const QString& mode) {
    return mode == u"800" ? QSize(800 - 10, 600 - 40 - 36) : QSize(1024 - 10, 768 - 40 - 36);
}

void checkFits(QWidget* w, const QString& mode) {
    w->show();
    QCoreApplication::processEvents();
    const QSize taken = w->size().expandedTo(w->minimumSizeHint());
    const QSize room = budget(mode);
    QVERIFY2(taken.width() <= room.width() && taken.height() <= room.height(),
             qPrintable(QStringLiteral("%1 takes %2x%3 on the %4 screen")
                            .arg(w->objectName())
                            .arg(taken.width())
                            .arg(taken.height())
                            .arg(mode)));
}
} // namespace

class TestAuthoringLayout : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<TDM1> m_dm;

private slots:
    void initTestCase() {
        m_dm = std::make_unique<TDM1>(testsupport::buildBank(m_dir.path(), testsupport::authoringBank()));
        QVERIFY(m_dm->DataModuleConnected);
        DM1 = m_dm.get();
        PaperKind = 1;
    }
    void cleanupTestCase() {
        DM1 = nullptr;
        m_dm.reset();
        ScreenMode = QStringLiteral("1024");
    }

    void everyWindowFitsBothScreens_data() {
        QTest::addColumn<QString>("mode");
        QTest::newRow("800x600") << "800";
        QTest::newRow("1024x768") << "1024";
    }
    void everyWindowFitsBothScreens() {
        QFETCH(QString, mode);
        ScreenMode = mode;
        ScopedMessages shown;
        TFrmInPut entry;
        checkFits(&entry, mode);
        // A part of a case question: three editors.
        store::DataSet& set = m_dm->Cn1Query_tm;
        set.close();
        set.setCommandText(QStringLiteral("select * from tab_answ where A1='CASE000000000001-1'"));
        set.open();
        TfrmTedit edit(set);
        QVERIFY(edit.HasSharedStem());
        checkFits(&edit, mode);
        // Each editor keeps room for a few lines of text.
        for (RichTextEditor* e : {edit.RxDBRichEdit1, edit.RxDBRichEdit2, edit.RxDBRichEdit3})
            QVERIFY2(e->height() >= 3 * e->fontMetrics().height(), qPrintable(e->objectName()));
        for (auto page : {TFrmSelectFG::SelectionPage, TFrmSelectFG::HelpPage}) {
            TFrmSelectFG picker;
            picker.ShowPage(page);
            checkFits(&picker, mode);
        }
        QVERIFY(shown->shown.isEmpty());
    }
};

QTEST_MAIN(TestAuthoringLayout)
#include "tst_authoring_layout.moc"
