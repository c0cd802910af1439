#include "exam/MockExam.h"

#include "exam/ExamResume.h"
#include "exam/PaperGeneration.h"
#include "exam/Uexam.h"
#include "store/Clock.h"
#include "store/dm.h"
#include "ui/AppState.h"
#include "ui/Helpers.h"
#include "ui/Udlg.h"
#include "ui/Uprogress.h"

#include <QPointer>

#include <memory>

namespace {

void ShowError(const QString& text) {
    HideProgress();
    ShowPrompt(QStringLiteral("错误"), text, 1, 2, QStringLiteral("NO"));
}

// Runs the window modally and destroys it once its loop has returned.
void RunWindow(std::unique_ptr<TFrmExam> window) {
    SetScreenCursor(Qt::ArrowCursor);
    try {
        window->exec();
    } catch (...) {
        // The window catches what it starts; nothing may end the menu's loop.
    }
    window.reset();
    HideProgress();
}

} // namespace

void RunMockExam(int kind, QWidget* owner) {
    if (!DM1)
        return;
    TDM1& dm = *DM1;
    BusyCursor busy;
    ShowProgress(QStringLiteral("正在初始化数据..."));
    PaperKind = kind < 1 || kind > 5 ? 1 : kind;
    dm.PointTypeTable(PaperKind);

    PaperSlot slot;
    try {
        slot = NextPaperSlot(dm);
    } catch (const store::DbError&) {
        ShowError(QString::fromUtf8(TableFailureText));
        return;
    }
    const QString title = PaperTitle(store::clock().today(), PaperKind, slot.number);
    // The window first: without its pictures the program ends, and it must not leave a table behind.
    auto window = std::make_unique<TFrmExam>(owner);

    // The table, the drawn questions and the archive row are written together: a failure at any step
    // leaves none of them (and a leftover table of that name is dropped first).
    PaperComposition paper;
    QString failure;
    try {
        store::Transaction tx(dm.ADOCn1);
        ShowProgress(QStringLiteral("正在建立数据表..."));
        CreatePaperTable(dm, slot.name);
        ShowProgress(QStringLiteral("正在整理数据..."));
        paper = window->PreparePaper(slot.name, title, QStringLiteral("new"), 0, QStringLiteral("0:00:00"));
        if (paper.rows == 0)
            throw PaperFailure{QString::fromUtf8(NoQuestionsText)};
        WriteArchiveRow(dm, slot, title);
        tx.commit();
    } catch (const PaperFailure& f) {
        failure = f.message;
    } catch (const store::DbError&) {
        failure = QString::fromUtf8(TableFailureText);
    }
    if (!failure.isEmpty()) {
        // The rollback took the archive row back out of the archive cursor too.
        dm.Cn1Table_cj.close();
        ShowError(failure);
        return;
    }
    if (window->LoadPaper() != 1) {
        dm.DeletePaper(slot.name);
        return;
    }
    HideProgress();
    busy.release();
    const QString notice = ShortPaperNotice(paper);
    if (!notice.isEmpty())
        ShowPrompt(QStringLiteral("提示"), notice, 1, 1, QStringLiteral("NO"));
    RunWindow(std::move(window));
}

bool ResumeMockExam(QWidget* owner, const QString& tableName, const QString& title, int kind, qint64 seconds) {
    if (!DM1)
        return false;
    BusyCursor busy;
    PaperKind = kind < 1 || kind > 5 ? 1 : kind;
    DM1->PointTypeTable(PaperKind);
    auto window = std::make_unique<TFrmExam>(owner);
    window->ResumePaper(tableName, title, seconds);
    if (window->LoadPaper() != 1) {
        examresume::ClearClock(*DM1, tableName);
        return false;
    }
    HideProgress();
    busy.release();
    RunWindow(std::move(window));
    return true;
}

bool ReviewArchivedPaper(QWidget* owner, const QString& tableName, const QString& title, double score,
                         const QString& timeText) {
    if (!DM1)
        return false;
    BusyCursor busy;
    ShowProgress(QStringLiteral("正在提取数据..."));
    auto window = std::make_unique<TFrmExam>(owner);
    window->PreparePaper(tableName, title, QStringLiteral("old"), score, timeText);
    if (window->LoadPaper() != 1)
        return false;
    HideProgress();
    busy.release();
    RunWindow(std::move(window));
    return true;
}
