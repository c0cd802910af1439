#include "safety/Usafety.h"

#include "store/Clock.h"
#include "store/dm.h"
#include "tools/BankCheck.h"
#include "ui/Helpers.h"
#include "ui/Services.h"
#include "ui/Udlg.h"
#include "ui/Uprogress.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QString kindText(safety::BackupEntry::Kind kind) {
    switch (kind) {
    case safety::BackupEntry::Kind::Daily:
        return QStringLiteral("每日自动备份");
    case safety::BackupEntry::Kind::Upgrade:
        return QStringLiteral("升级前备份");
    case safety::BackupEntry::Kind::Repair:
        return QStringLiteral("修复前备份");
    }
    return {};
}

QString madeText(const safety::BackupEntry& e) {
    return e.kind == safety::BackupEntry::Kind::Daily ? e.made.toString(QStringLiteral("yyyy-MM-dd"))
                                                      : e.made.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

// Brings the shared cursors that show counters up to date, each on the row it stood on.
void RefreshCounterCursors() {
    for (store::DataSet* ds : {&DM1->Cn1Table_kmmc, &DM1->Cn1Table_fgmc}) {
        if (!ds->active() || ds->state() != store::DataSet::State::Browse)
            continue;
        const int at = ds->recNo();
        ds->requery();
        if (at > 0 && at <= ds->recordCount())
            ds->setRecNo(at);
    }
}

} // namespace

TFrmRestore::TFrmRestore(const QList<safety::BackupEntry>& copies, const QString& reason, QWidget* parent)
    : QDialog(parent), m_copies(copies) {
    setObjectName(QStringLiteral("FrmRestore"));
    setWindowTitle(QStringLiteral("从备份恢复题库"));
    auto* intro = new QLabel(reason + QStringLiteral("\n选择一份备份放回原处。当前的题库文件不会删除，"
                                                     "会改名后留在原来的文件夹中。"),
                             this);
    intro->setWordWrap(true);
    List = new QTableWidget(int(copies.size()), 3, this);
    List->setObjectName(QStringLiteral("List"));
    List->setHorizontalHeaderLabels(
        {QStringLiteral("备份时间"), QStringLiteral("备份种类"), QStringLiteral("其中的答题次数")});
    List->verticalHeader()->hide();
    List->setSelectionBehavior(QAbstractItemView::SelectRows);
    List->setSelectionMode(QAbstractItemView::SingleSelection);
    List->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    for (int i = 0; i < copies.size(); ++i) {
        const safety::BackupEntry& e = copies[i];
        List->setItem(i, 0, new QTableWidgetItem(madeText(e)));
        List->setItem(i, 1, new QTableWidgetItem(kindText(e.kind)));
        auto* answers =
            new QTableWidgetItem(e.answers < 0 ? QStringLiteral("无法读取") : QString::number(e.answers));
        answers->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        List->setItem(i, 2, answers);
    }
    RestoreButton = new QPushButton(QStringLiteral("恢复"), this);
    RestoreButton->setObjectName(QStringLiteral("RestoreButton"));
    CancelButton = new QPushButton(QStringLiteral("取消"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(RestoreButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(List, 1);
    layout->addLayout(buttons);
    resize(520, 340);

    // The newest readable copy is proposed.
    for (int i = 0; i < copies.size(); ++i) {
        if (copies[i].answers >= 0) {
            List->selectRow(i);
            break;
        }
    }
    const auto update = [this] {
        const int row = List->currentRow();
        RestoreButton->setEnabled(row >= 0 && !List->selectedItems().isEmpty() && m_copies[row].answers >= 0);
    };
    connect(List, &QTableWidget::itemSelectionChanged, this, update);
    connect(List, &QTableWidget::cellDoubleClicked, this, [this] {
        if (RestoreButton->isEnabled())
            accept();
    });
    connect(RestoreButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    update();
}

QString TFrmRestore::ChosenPath() const {
    const int row = List->currentRow();
    return row >= 0 && row < m_copies.size() ? m_copies[row].path : QString();
}

TFrmBankCheck::TFrmBankCheck(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmBankCheck"));
    setWindowTitle(QStringLiteral("检查题库"));
    Summary = new QLabel(this);
    Summary->setObjectName(QStringLiteral("Summary"));
    Summary->setWordWrap(true);
    Report = new QPlainTextEdit(this);
    Report->setObjectName(QStringLiteral("Report"));
    Report->setReadOnly(true);
    Report->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    RepairButton = new QPushButton(QStringLiteral("修复统计"), this);
    RepairButton->setObjectName(QStringLiteral("RepairButton"));
    RestoreButton = new QPushButton(QStringLiteral("从备份恢复..."), this);
    RestoreButton->setObjectName(QStringLiteral("RestoreButton"));
    CloseButton = new QPushButton(QStringLiteral("关闭"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(RepairButton);
    buttons->addWidget(RestoreButton);
    buttons->addStretch();
    buttons->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Summary);
    layout->addWidget(Report, 1);
    layout->addLayout(buttons);
    resize(620, 420);
    connect(RepairButton, &QPushButton::clicked, this, [this] { Repair(); });
    connect(RestoreButton, &QPushButton::clicked, this, [this] { Restore(); });
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);
    RunCheck();
}

void TFrmBankCheck::RunCheck() {
    BusyCursor busy;
    ScopedProgress progress(QStringLiteral("正在检查题库..."));
    store::Database& db = DM1->ADOCn1;
    tools::CheckOptions options;
    options.learner = true;
    const tools::CheckReport report = tools::checkBank(db, options);
    // A bank whose counters cannot even be read back is treated as damaged too.
    m_integrityFailed = report.has(QStringLiteral("integrity"), QString()) ||
                        report.has(QStringLiteral("counter"), QStringLiteral("could not be read"));
    // The counters were recounted by the check itself; a damaged file is restored, not repaired.
    m_drift = m_integrityFailed ? QList<tools::CounterDrift>() : report.drift;
    int damagedTexts = 0, otherErrors = 0;
    for (const tools::CheckProblem& p : report.problems()) {
        if (p.severity != tools::CheckProblem::Severity::Error || p.topic == u"counter" || p.topic == u"integrity")
            continue;
        if ((p.topic == u"stem" || p.topic == u"group") &&
            (p.text.contains(QStringLiteral("zero bytes")) || p.text.contains(QStringLiteral("cut short")) ||
             p.text.contains(QStringLiteral("cannot be read"))))
            ++damagedTexts;
        else
            ++otherErrors;
    }
    QStringList lines;
    lines << QStringLiteral("题库文件：") + db.path();
    lines << (m_integrityFailed ? QStringLiteral("数据库完整性检查：未通过，题库文件已损坏。")
                                : QStringLiteral("数据库完整性检查：通过。"));
    lines << (damagedTexts ? QStringLiteral("无法完整读出的题目内容：%1 处。").arg(damagedTexts)
                           : QStringLiteral("题目内容：全部可以完整读出。"));
    lines << (m_drift.isEmpty() ? QStringLiteral("学习统计：与题目记录一致。")
                                : QStringLiteral("学习统计：%1 项与题目记录不符，可以修复。").arg(m_drift.size()));
    if (otherErrors)
        lines << QStringLiteral("其他问题：%1 处（见下面的详细情况）。").arg(otherErrors);
    lines << QString() << QStringLiteral("详细情况：");
    const QStringList details = report.lines();
    for (const tools::CounterDrift& d : std::as_const(m_drift))
        lines << QStringLiteral("error: counter: ") + tools::driftText(d);
    for (const QString& l : details)
        if (!l.contains(QStringLiteral(": counter: ")))
            lines << l;
    if (details.isEmpty() && m_drift.isEmpty())
        lines << QStringLiteral("没有发现问题。");
    Report->setPlainText(lines.join(u'\n'));

    const bool clean = !m_integrityFailed && damagedTexts == 0 && otherErrors == 0 && m_drift.isEmpty();
    if (m_integrityFailed)
        Summary->setText(QStringLiteral("题库文件已损坏。建议从备份恢复题库（损坏的文件会改名保留）。"));
    else if (!m_drift.isEmpty())
        Summary->setText(QStringLiteral("部分学习统计与题目记录不符。按“修复统计”重新计算（修复前自动备份题库）。"));
    else if (!clean)
        Summary->setText(QStringLiteral("题库可以使用，但发现了一些问题，详见下面的报告。"));
    else
        Summary->setText(QStringLiteral("题库完好，没有发现问题。"));
    RepairButton->setEnabled(!m_integrityFailed && !m_drift.isEmpty());
    RestoreButton->setEnabled(m_integrityFailed || damagedTexts > 0);
}

void TFrmBankCheck::Repair() {
    if (m_drift.isEmpty() || m_integrityFailed)
        return;
    if (ShowPrompt(QStringLiteral("提示"),
                   QStringLiteral("将按题目记录重新计算 %1 项学习统计（每日学习日志不变）。\n"
                                  "修复前先备份题库。要修复吗？")
                       .arg(m_drift.size()),
                   2, 1, QStringLiteral("NO")) != 1)
        return;
    QString copy;
    try {
        BusyCursor busy;
        ScopedProgress progress(QStringLiteral("正在备份题库..."));
        copy = safety::MakeRepairBackup(DM1->ADOCn1, store::clock().now());
    } catch (const std::exception&) {
        ShowPrompt(QStringLiteral("警告"), QStringLiteral("无法备份题库，没有进行修复！"), 1, 2, QStringLiteral("NO"));
        return;
    }
    int changed = 0;
    try {
        BusyCursor busy;
        ScopedProgress progress(QStringLiteral("正在修复学习统计..."));
        changed = tools::repairCounters(DM1->ADOCn1, m_drift);
        RefreshCounterCursors();
    } catch (const store::DbError&) {
        ShowPrompt(QStringLiteral("错误"), QStringLiteral("修复没有完成，题库保持原样！"), 1, 2, QStringLiteral("NO"));
        RunCheck();
        return;
    }
    RunCheck();
    ShowPrompt(QStringLiteral("提示"),
               QStringLiteral("已修复 %1 项学习统计。\n修复前的题库备份在：%2").arg(changed).arg(copy), 1, 1,
               QStringLiteral("NO"));
}

void TFrmBankCheck::Restore() {
    const QString bankPath = DM1->ADOCn1.path();
    const QList<safety::BackupEntry> copies = safety::ListBackups(bankPath);
    if (copies.isEmpty()) {
        ShowPrompt(QStringLiteral("提示"), QStringLiteral("没有找到题库的备份！"), 1, 1, QStringLiteral("NO"));
        return;
    }
    TFrmRestore choose(copies, QStringLiteral("题库文件已损坏或有无法读出的内容。"), this);
    if (choose.exec() != QDialog::Accepted || choose.ChosenPath().isEmpty())
        return;
    // The connection lets go of the file before it is moved; the program then ends and starts afresh.
    DM1->CloseConnection();
    QString kept;
    try {
        kept = safety::RestoreBackup(bankPath, choose.ChosenPath(), store::clock().now());
    } catch (const std::exception&) {
        ShowPrompt(QStringLiteral("错误"), QStringLiteral("无法恢复题库！题库文件保持原样，请退出后重试。"), 1, 2,
                   QStringLiteral("NO"));
        exitService().endNow(1);
        return;
    }
    ShowPrompt(QStringLiteral("提示"),
               QStringLiteral("题库已从备份恢复，损坏的题库改名保存为：\n%1\n请重新启动本软件。").arg(kept), 1, 1,
               QStringLiteral("NO"));
    exitService().endNow(0);
}

void RunDailyBackup() {
    if (!DM1 || !DM1->DataModuleConnected)
        return;
    store::Database& bank = DM1->ADOCn1;
    const QDate today = store::clock().today();
    if (!safety::DailyBackupDue(bank.path(), today))
        return;
    QElapsedTimer timer;
    timer.start();
    bool shown = false;
    try {
        safety::MakeDailyBackup(bank, today, [&](int done, int total) {
            if (!shown && timer.elapsed() > 500) {
                shown = true;
                ShowProgress(QStringLiteral("正在备份题库..."));
            }
            if (shown && total > 0) {
                FrmProgress->Label1->setText(QStringLiteral("正在备份题库... %1%").arg(done * 100 / total));
                QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            }
        });
    } catch (const std::exception& e) {
        if (shown)
            HideProgress();
        messages().box(QStringLiteral("警告"),
                       QStringLiteral("今天的自动备份没有完成，学习记录仍在题库中，程序照常运行。\n原因：") +
                           QString::fromUtf8(e.what()),
                       MsgIcon::Warning, MsgButtons::Ok);
        return;
    }
    if (shown)
        HideProgress();
}

bool OfferRestoreAtStart(const QString& bankPath) {
    const QList<safety::BackupEntry> copies = safety::ListBackups(bankPath);
    if (copies.isEmpty())
        return false;
    TFrmRestore choose(copies, QStringLiteral("题库文件无法打开或已经损坏。"));
    if (choose.exec() != QDialog::Accepted || choose.ChosenPath().isEmpty())
        return false;
    try {
        safety::RestoreBackup(bankPath, choose.ChosenPath(), store::clock().now());
    } catch (const std::exception&) {
        return false;
    }
    return true;
}
