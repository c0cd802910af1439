#include "app/Uconfig.h"

#include "safety/Usafety.h"
#include "store/dm.h"
#include "ui/AppState.h"
#include "ui/Helpers.h"
#include "ui/Udlg.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include <cmath>

QString MusicFile;
int ConfigMode = 0;

namespace {

BackgroundMusicRoutine& musicRoutine() {
    static BackgroundMusicRoutine routine;
    return routine;
}

void PlayBackgroundMusic(const QString& file, bool on) {
    if (musicRoutine())
        musicRoutine()(file, on);
}

// An on/off switch: a rounded track with a knob, "开" or "关" on the free side.
class MusicSwitch : public QAbstractButton {
public:
    explicit MusicSwitch(QWidget* parent) : QAbstractButton(parent) {
        setCheckable(true);
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::StrongFocus);
    }
    QSize sizeHint() const override { return {64, 28}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF track = QRectF(rect()).adjusted(1, 1, -1, -1);
        const qreal r = track.height() / 2;
        p.setPen(hasFocus() ? QPen(QColor(0x1f, 0x5f, 0xa8), 2) : Qt::NoPen);
        p.setBrush(isChecked() ? QColor(0x2e, 0x86, 0xde) : QColor(0xb8, 0xc0, 0xc8));
        p.drawRoundedRect(track, r, r);
        const QRectF knob(isChecked() ? track.right() - 2 * r + 2 : track.left() + 2, track.top() + 2,
                          2 * r - 4, 2 * r - 4);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(knob);
        p.setPen(Qt::white);
        const QRectF label =
            isChecked() ? QRectF(track.left(), track.top(), track.width() - 2 * r, track.height())
                        : QRectF(track.left() + 2 * r, track.top(), track.width() - 2 * r, track.height());
        p.drawText(label, Qt::AlignCenter, isChecked() ? QStringLiteral("开") : QStringLiteral("关"));
    }
};

constexpr int kRowHeight = 30;

} // namespace

void SetBackgroundMusicRoutine(BackgroundMusicRoutine routine) {
    musicRoutine() = std::move(routine);
}

TFrmConfig::TFrmConfig(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmConfig"));
    setWindowTitle(QStringLiteral("系统设置"));

    Label1 = new QLabel(QStringLiteral("背景音乐"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    RxSwitch1 = new MusicSwitch(this);
    RxSwitch1->setObjectName(QStringLiteral("RxSwitch1"));
    RxSwitch1->setChecked(true);
    Label5 = new QLabel(QStringLiteral("声音列表"), this);
    Label5->setObjectName(QStringLiteral("Label5"));
    FlatComboBox1 = new QComboBox(this);
    FlatComboBox1->setObjectName(QStringLiteral("FlatComboBox1"));
    for (int n = 1; n <= 6; ++n)
        FlatComboBox1->addItem(QStringLiteral("乐曲%1").arg(n, 2, 10, QLatin1Char('0')));
    FlatComboBox1->setCurrentIndex(-1);
    FlatComboBox1->setPlaceholderText(QStringLiteral("请选择乐曲"));
    FlatComboBox1->setMinimumWidth(150);
    Label4 = new QLabel(QStringLiteral("答题时间设置"), this);
    Label4->setObjectName(QStringLiteral("Label4"));
    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setWidgetResizable(true);
    ScrollBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_rowsPanel = new QWidget;
    new QGridLayout(m_rowsPanel);
    ScrollBox1->setWidget(m_rowsPanel);
    epFocusButton3 = new QPushButton(QStringLiteral("关闭"), this);
    epFocusButton3->setObjectName(QStringLiteral("epFocusButton3"));
    epFocusButton3->setAutoDefault(false);

    // Each mode shows one panel; the other takes no room at all.
    m_musicPanel = new QWidget(this);
    auto* music = new QGridLayout(m_musicPanel);
    music->setContentsMargins(0, 0, 0, 0);
    music->setVerticalSpacing(12);
    music->addWidget(Label1, 0, 0);
    music->addWidget(RxSwitch1, 0, 1, Qt::AlignLeft);
    music->addWidget(Label5, 1, 0);
    music->addWidget(FlatComboBox1, 1, 1);
    music->setColumnStretch(1, 1);
    m_timePanel = new QWidget(this);
    auto* times = new QVBoxLayout(m_timePanel);
    times->setContentsMargins(0, 0, 0, 0);
    times->addWidget(Label4);
    times->addWidget(ScrollBox1);
    CheckButton = new QPushButton(QStringLiteral("检查题库"), this);
    CheckButton->setObjectName(QStringLiteral("CheckButton"));
    CheckButton->setAutoDefault(false);
    CheckButton->setToolTip(QStringLiteral("检查题库文件是否完好，修复学习统计，或从备份恢复"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CheckButton);
    buttons->addStretch();
    buttons->addWidget(epFocusButton3);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 12);
    layout->setSpacing(12);
    layout->addWidget(m_musicPanel);
    layout->addWidget(m_timePanel);
    layout->addLayout(buttons);

    connect(FlatComboBox1, &QComboBox::activated, this, &TFrmConfig::FlatComboBox1Change);
    connect(RxSwitch1, &QAbstractButton::clicked, this, &TFrmConfig::RxSwitch1Click);
    connect(epFocusButton3, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });
    connect(CheckButton, &QPushButton::clicked, this,
            [this] { OpenWindowNoHourglass([this] { return new TFrmBankCheck(this); }); });
}

QDoubleSpinBox* TFrmConfig::TimeBox(int i) const {
    return findChild<QDoubleSpinBox*>(QStringLiteral("Currencyedit%1").arg(i + 1));
}

void TFrmConfig::showEvent(QShowEvent* event) {
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
    QDialog::showEvent(event);
}

void TFrmConfig::FormShow() {
    // The switch always shows on, whatever MusicOn holds; setting it sends no click.
    RxSwitch1->setChecked(true);
    if (PaperKind == 0)
        PaperKind = 1;
    const bool music = ConfigMode == 0;
    m_musicPanel->setVisible(music);
    m_timePanel->setVisible(!music);
    if (!music) {
        m_loaded = Guarded(QStringLiteral("无法读取答题时间设置！"), [this] {
            store::DataSet& tx = DM1->Cn1Table_tx;
            DM1->PointTypeTable(PaperKind);
            tx.open();
            int i = 0;
            for (tx.first(); !tx.eof(); tx.next(), ++i)
                AddTypeRow(i, int(tx.asInteger(QStringLiteral("A1"))),
                           tx.asString(QStringLiteral("B1")).trimmed(), tx.asFloat(QStringLiteral("time")));
        });
        // Up to seven rows show at once; more scroll.
        const int visible = qBound(1, int(m_rows.size()), 7);
        ScrollBox1->setFixedHeight(visible * kRowHeight + 2 * ScrollBox1->frameWidth() + 12);
    }
    layout()->activate();
    setFixedSize(music ? 320 : 340, sizeHint().height());
    CentreOnDesktop(this);
}

void TFrmConfig::AddTypeRow(int i, int typeId, const QString& name, double minutes) {
    auto* grid = static_cast<QGridLayout*>(m_rowsPanel->layout());
    auto* box = new QDoubleSpinBox(m_rowsPanel);
    box->setObjectName(QStringLiteral("Currencyedit%1").arg(i + 1));
    box->setDecimals(1);
    box->setRange(0.1, 30.0);
    box->setSingleStep(0.1);
    box->setValue(minutes);
    box->setProperty("tag", typeId);
    box->setAlignment(Qt::AlignRight);
    box->setFixedWidth(80);
    grid->addWidget(new QLabel(name, m_rowsPanel), i, 0);
    grid->addWidget(box, i, 1);
    grid->addWidget(new QLabel(QStringLiteral("分钟"), m_rowsPanel), i, 2);
    grid->setRowMinimumHeight(i, kRowHeight - grid->verticalSpacing());
    m_rows.push_back({typeId, minutes, box->value()});
}

void TFrmConfig::FlatComboBox1Change(int index) {
    if (index < 0)
        return;
    MusicFile = ProgramFolder + QStringLiteral("sound/") + FlatComboBox1->itemText(index).trimmed() +
                QStringLiteral(".mid");
    PlayBackgroundMusic(MusicFile, RxSwitch1->isChecked());
}

void TFrmConfig::RxSwitch1Click(bool on) {
    MusicOn = on;
    if (!on) {
        PlayBackgroundMusic(MusicFile, false);
        return;
    }
    if (FlatComboBox1->currentIndex() < 0)
        MusicFile = ProgramFolder + QStringLiteral("sound/乐曲01.mid");
    PlayBackgroundMusic(MusicFile, MusicOn);
}

void TFrmConfig::FormCloseQuery() {
    if (ConfigMode == 0 || !m_loaded)
        return;
    store::DataSet& tx = DM1->Cn1Table_tx;
    try {
        tx.close();
        DM1->PointTypeTable(PaperKind);
        tx.open();
        const int count = int(m_rows.size());
        QuestionTimeTable.TypeIds.resize(count);
        QuestionTimeTable.Intervals.resize(count);
        for (int i = 0; i < count; ++i) {
            const QDoubleSpinBox* box = TimeBox(i);
            if (!box)
                continue;
            const int tag = box->property("tag").toInt();
            if (!tx.locate(QStringLiteral("A1"), tag))
                continue;
            // Only what the learner changed is written: an untouched box keeps the bank's value even
            // where the box can only show it rounded or held within 0.1 to 30.
            double minutes = m_rows[i].stored;
            if (std::abs(box->value() - m_rows[i].shown) > 1e-9) {
                minutes = box->value();
                tx.edit();
                tx.setValue(QStringLiteral("time"), minutes);
                tx.post();
            }
            QuestionTimeTable.TypeIds[i] = tag;
            QuestionTimeTable.Intervals[i] = TimerIntervalForMinutes(minutes);
        }
    } catch (const std::exception&) {
        if (tx.active() && tx.state() != store::DataSet::State::Browse)
            tx.cancel();
        ShowPrompt(QStringLiteral("错误"), QStringLiteral("保存设置失败！"), 1, 2, QStringLiteral("No"));
    }
    try {
        tx.close();
    } catch (...) {
    }
}

void TFrmConfig::done(int result) {
    if (!m_closed) {
        m_closed = true;
        FormCloseQuery();
    }
    QDialog::done(result);
}

void OpenConfig(QWidget* owner, int mode) {
    ConfigMode = mode;
    OpenWindowNoHourglass([owner] { return new TFrmConfig(owner); });
}
