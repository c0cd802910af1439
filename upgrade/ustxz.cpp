#include "upgrade/ustxz.h"

#include "store/BankUpgrade.h"
#include "store/Clock.h"
#include "store/dm.h"
#include "ui/FileDialogs.h"
#include "ui/Helpers.h"
#include "ui/Udlg.h"
#include "ui/Uprogress.h"
#include "upgrade/BankBackup.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
void notice(const QString& text, int page) {
    ShowPrompt(page == 2 ? QStringLiteral("错误") : QStringLiteral("提示"), text, 1, page,
               QStringLiteral("NO"));
}

// The shared cursors were read before the upgrade: they are read again when next used.
void closeSharedCursors(TDM1& dm) {
    for (store::DataSet* ds :
         {&dm.Cn1Table_kmmc, &dm.Cn1Table_tx, &dm.Cn1Table_rz, &dm.Cn1Table_cj, &dm.Cn1Table_fgmc,
          &dm.Cn1Table_plan, &dm.Cn1Query1, &dm.Cn1Query2, &dm.Cn1Query3, &dm.Cn1Query_tm, &dm.Cn1Query_exam,
          &dm.cn1query_nr, &dm.ADOQuery3, &dm.ADOQ_kmmc, &dm.ADOQ_kl, &dm.m_query, &dm.m_queryDetail})
        ds->close();
}
} // namespace

Tfrmstxz::Tfrmstxz(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmStxz"));
    setWindowTitle(QStringLiteral("题库升级"));
    resize(520, 260);
    auto* root = new QVBoxLayout(this);
    auto* hint = new QLabel(QStringLiteral("建议先下载升级题库，然后选择本地升级！"), this);
    hint->setObjectName(QStringLiteral("epLabel2"));
    root->addWidget(hint);
    auto* way = new QGroupBox(QStringLiteral("选择升级方式"), this);
    auto* wayLayout = new QVBoxLayout(way);
    auto* local = new QRadioButton(QStringLiteral("本地升级"), way);
    local->setChecked(true);
    wayLayout->addWidget(local);
    auto* fileRow = new QHBoxLayout;
    m_file = new QLineEdit(way);
    m_file->setObjectName(QStringLiteral("Edit1"));
    m_file->setPlaceholderText(QStringLiteral("升级文件的位置"));
    auto* folder = new QToolButton(way);
    folder->setObjectName(QStringLiteral("FolderButton"));
    folder->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    folder->setToolTip(QStringLiteral("选择升级文件"));
    fileRow->addWidget(m_file, 1);
    fileRow->addWidget(folder);
    wayLayout->addLayout(fileRow);
    root->addWidget(way);
    root->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* start = new QPushButton(QStringLiteral("开始升级"), this);
    start->setObjectName(QStringLiteral("Start"));
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("Close"));
    for (QPushButton* b : {start, close}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    root->addLayout(buttons);
    connect(folder, &QToolButton::clicked, this, [this] { ChooseFile(); });
    connect(start, &QPushButton::clicked, this, [this] { StartUpgrade(); });
    connect(m_file, &QLineEdit::returnPressed, this, [this] { StartUpgrade(); });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
}

void Tfrmstxz::ChooseFile() {
    FileRequest request;
    request.caption = QStringLiteral("选择升级文件");
    request.filter = QStringLiteral("升级文件 (*.mdb *.MDB);;所有文件 (*)");
    const QString name = fileDialogs().openFile(this, request);
    if (!name.isEmpty())
        m_file->setText(name);
}

void Tfrmstxz::StartUpgrade() {
    const QString path = m_file->text().trimmed();
    if (path.isEmpty()) {
        notice(QStringLiteral("请点击文件夹按钮选择升级文件！"), 1);
        return;
    }
    Upgrade(path);
}

void Tfrmstxz::Upgrade(const QString& path) {
    TDM1& dm = *DM1;
    store::UpgradeIdentity id;
    store::UpgradeCheck check = store::UpgradeCheck::CannotOpen;
    {
        BusyCursor busy;
        check = store::CheckUpgrade(dm.ADOCn1, dm.ADOCn2, path, &id);
    }
    switch (check) {
    case store::UpgradeCheck::Ready:
        break;
    case store::UpgradeCheck::CannotOpen:
        notice(QStringLiteral("无法打开升级文件！"), 2);
        return;
    case store::UpgradeCheck::OtherProduct:
        notice(QStringLiteral("升级文件不属于本软件！"), 1);
        return;
    case store::UpgradeCheck::AlreadyApplied:
        notice(QStringLiteral("您已升级过了！"), 1);
        return;
    case store::UpgradeCheck::WrongLayout:
        notice(QStringLiteral("升级文件的数据表与本软件的题库不符，无法升级！"), 2);
        return;
    }

    // A copy of the bank first: the upgrade is the one action that adds thousands of rows at once.
    try {
        m_lastBackup = upgrade::BackUpBeforeUpgrade(dm, id.sjbs, store::clock().now());
    } catch (const std::exception&) {
        notice(QStringLiteral("无法备份题库，升级没有进行！"), 2);
        return;
    }

    bool merged = false;
    {
        BusyCursor busy;
        const char* const steps[] = {"正在升级章节目录...", "正在升级试题内容...", "正在升级试题...",
                                     "正在升级考点...",     "正在升级考点目录...", "正在记录升级..."};
        ShowProgress(QString::fromUtf8(steps[0]));
        try {
            store::MergeUpgrade(dm.ADOCn1, path, id, [&steps](int step) {
                ShowProgress(QString::fromUtf8(steps[qBound(0, step, 5)]));
                // Between the statements the windows repaint.
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            });
            merged = true;
        } catch (const std::exception&) {
            merged = false;
        }
        HideProgress();
        closeSharedCursors(dm);
    }
    if (merged)
        ShowPrompt(QStringLiteral("提示"),
                   QStringLiteral("升级成功！\n升级前的题库已备份到：") + m_lastBackup, 1, 0,
                   QStringLiteral("NO"));
    else
        ShowPrompt(QStringLiteral("提示"), QStringLiteral("升级失败！"), 1, 2, QStringLiteral("NO"));
}

void Tfrmstxz::done(int result) {
    DM1->ADOCn2.close();
    QDialog::done(result);
}
