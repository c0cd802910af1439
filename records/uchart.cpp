#include "records/uchart.h"

#include "app/Uconfig.h"
#include "records/StudyRecords.h"
#include "store/dm.h"
#include "ui/AppState.h"
#include "ui/FileDialogs.h"
#include "ui/Helpers.h"
#include "ui/Udlg.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QButtonGroup>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegend>
#include <QPainter>
#include <QPieSeries>
#include <QPieSlice>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QValueAxis>

namespace {

const char* const TypeCaptions[] = {"习题分布", "频度统计", "进度统计"};
const int PageOfType[] = {Tfrmchart::Distribution, Tfrmchart::Frequency, Tfrmchart::Progress};
const char* const LegendCaptions[] = {"上方", "下方", "左侧", "右侧"};
const Qt::Alignment LegendAlignments[] = {Qt::AlignTop, Qt::AlignBottom, Qt::AlignLeft, Qt::AlignRight};

// The three-dimensional look: a bar lit from the left, a slice lit from its centre. Qt Charts draws flat,
// so depth comes from shading.
QBrush barBrush(const QColor& base, bool threeD) {
    if (!threeD)
        return QBrush(base);
    QLinearGradient g(0, 0, 1, 0);
    g.setCoordinateMode(QGradient::ObjectMode);
    g.setColorAt(0, base.lighter(150));
    g.setColorAt(0.45, base);
    g.setColorAt(1, base.darker(170));
    return QBrush(g);
}

QBrush sliceBrush(const QColor& base, bool threeD) {
    if (!threeD)
        return QBrush(base);
    QRadialGradient g(0.5, 0.5, 0.5);
    g.setCoordinateMode(QGradient::ObjectMode);
    g.setColorAt(0, base.lighter(140));
    g.setColorAt(1, base.darker(150));
    return QBrush(g);
}

QChart* newChart(const QString& title) {
    auto* chart = new QChart;
    chart->setTitle(title);
    QFont f = chart->titleFont();
    f.setPointSize(14);
    f.setBold(true);
    chart->setTitleFont(f);
    chart->legend()->setAlignment(Qt::AlignTop);
    chart->setAnimationOptions(QChart::NoAnimation);
    return chart;
}

} // namespace

Tfrmchart::Tfrmchart(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmChart"));
    setWindowTitle(QStringLiteral("成绩图表"));
    buildUi();
}

Tfrmchart::~Tfrmchart() = default;

void Tfrmchart::buildUi() {
    const bool small = ScreenMode == u"800";
    resize(small ? QSize(780, 520) : QSize(1000, 690));
    if (small)
        setStyleSheet(QStringLiteral("QPushButton { padding: 2px 6px; min-height: 20px; }"
                                     "QGroupBox { margin-top: 12px; padding: 4px; }"));
    auto* root = new QHBoxLayout(this);
    m_pages = new QStackedWidget(this);
    for (int p = 0; p < 3; ++p) {
        m_views[p] = new QChartView(m_pages);
        m_views[p]->setObjectName(QStringLiteral("Chart%1").arg(p));
        m_views[p]->setRenderHint(QPainter::Antialiasing);
        m_pages->addWidget(m_views[p]);
    }
    m_total = new QLabel(m_views[Distribution]);
    m_total->setObjectName(QStringLiteral("Total"));
    m_total->setStyleSheet(QStringLiteral("font-weight: bold; color: #1e3a5f; background: transparent;"));
    root->addWidget(m_pages, 1);

    auto* side = new QVBoxLayout;
    auto* typeBox = new QGroupBox(QStringLiteral("统计图类型"), this);
    auto* typeLayout = new QVBoxLayout(typeBox);
    m_type = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        auto* b = new QRadioButton(QString::fromUtf8(TypeCaptions[i]), typeBox);
        b->setObjectName(QStringLiteral("Type%1").arg(i));
        m_type->addButton(b, i);
        typeLayout->addWidget(b);
    }
    side->addWidget(typeBox);
    auto* legendBox = new QGroupBox(QStringLiteral("图例位置"), this);
    legendBox->setObjectName(QStringLiteral("LegendBox"));
    auto* legendLayout = new QGridLayout(legendBox);
    m_legend = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        auto* b = new QRadioButton(QString::fromUtf8(LegendCaptions[i]), legendBox);
        b->setObjectName(QStringLiteral("Legend%1").arg(i));
        m_legend->addButton(b, i);
        legendLayout->addWidget(b, i / 2, i % 2);
    }
    side->addWidget(legendBox);
    auto* styleBox = new QGroupBox(QStringLiteral("显示风格"), this);
    auto* styleLayout = new QVBoxLayout(styleBox);
    m_threeD = new QCheckBox(QStringLiteral("立体显示"), styleBox);
    m_showLegend = new QCheckBox(QStringLiteral("显示图例"), styleBox);
    m_showLabels = new QCheckBox(QStringLiteral("显示标签"), styleBox);
    for (QCheckBox* c : {m_threeD, m_showLegend, m_showLabels}) {
        c->setChecked(true);
        styleLayout->addWidget(c);
    }
    side->addWidget(styleBox);
    side->addStretch();
    const struct {
        const char* caption;
        const char* name;
    } buttons[] = {{"存为...", "SaveAs"}, {"打印", "Print"}, {"设置", "Settings"}, {"关闭", "Close"}};
    QPushButton* made[4] = {};
    auto* buttonGrid = new QGridLayout;
    for (int i = 0; i < 4; ++i) {
        made[i] = new QPushButton(QString::fromUtf8(buttons[i].caption), this);
        made[i]->setObjectName(QLatin1String(buttons[i].name));
        made[i]->setAutoDefault(false);
        buttonGrid->addWidget(made[i], i / 2, i % 2);
    }
    side->addLayout(buttonGrid);
    root->addLayout(side);

    connect(m_type, &QButtonGroup::idClicked, this, [this](int id) {
        Guarded(QStringLiteral("无法显示统计图！"), [this, id] { ChooseChartType(id); });
    });
    connect(m_legend, &QButtonGroup::idClicked, this, [this](int id) { ChooseLegendPosition(id); });
    connect(m_threeD, &QCheckBox::clicked, this, [this](bool on) { SetThreeD(on); });
    connect(m_showLegend, &QCheckBox::clicked, this, [this](bool on) { SetLegendShown(on); });
    connect(m_showLabels, &QCheckBox::clicked, this, [this](bool on) { SetLabelsShown(on); });
    connect(made[0], &QPushButton::clicked, this, [this] { SaveAs(); });
    connect(made[1], &QPushButton::clicked, this, [this] { Print(); });
    connect(made[2], &QPushButton::clicked, this, [this] { OpenConfig(this, 0); });
    connect(made[3], &QPushButton::clicked, this, &QDialog::close);
}

void Tfrmchart::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        CentreOnDesktop(this);
        FormShow();
    }
}

void Tfrmchart::FormShow() {
    BusyCursor busy;
    Guarded(QStringLiteral("无法读取章节统计！"), [this] { fillCharts(); });
    m_type->button(1)->setChecked(true);
    ChooseChartType(1);
}

void Tfrmchart::fillCharts() {
    const QList<records::ChartRow> rows = records::ReadChartRows(*DM1);

    // Frequency: answers and wrong answers per chapter, the wrong ones drawn in front of the others.
    QChart* frequency = newChart(QStringLiteral("频 度 统 计 图"));
    auto* done = new QBarSet(QStringLiteral("已做题次"));
    auto* wrong = new QBarSet(QStringLiteral("做错题次"));
    QStringList names;
    for (const records::ChartRow& r : rows) {
        *done << double(r.answers);
        *wrong << double(r.wrong);
        names << r.name;
    }
    done->setColor(QColor(0x2e, 0x86, 0xde));
    wrong->setColor(QColor(0xe7, 0x4c, 0x3c));
    auto* back = new QBarSeries;
    back->append(done);
    back->setBarWidth(0.75);
    auto* front = new QBarSeries;
    front->append(wrong);
    front->setBarWidth(0.45);
    frequency->addSeries(back);
    frequency->addSeries(front);
    auto* chapters = new QBarCategoryAxis;
    chapters->append(names.isEmpty() ? QStringList{QString()} : names);
    chapters->setTitleText(QStringLiteral("章    节"));
    chapters->setVisible(false);
    auto* times = new QValueAxis;
    times->setTitleText(QStringLiteral("题  次"));
    times->setLabelFormat(QStringLiteral("%d"));
    frequency->addAxis(chapters, Qt::AlignBottom);
    frequency->addAxis(times, Qt::AlignLeft);
    for (QBarSeries* s : {back, front}) {
        s->attachAxis(chapters);
        s->attachAxis(times);
    }
    times->applyNiceNumbers();
    if (times->max() < 1) {
        times->setRange(0, 10); // nothing answered yet: an empty chart still shows its scale
        times->setTickCount(6);
    }
    m_views[Frequency]->setChart(frequency);

    // Distribution: one slice per chapter in the chapter's colour.
    QChart* distribution = newChart(QStringLiteral("习题分布统计图"));
    auto* pie = new QPieSeries;
    pie->setName(QStringLiteral("习题分布"));
    for (int i = 0; i < rows.size(); ++i) {
        QPieSlice* slice = pie->append(rows[i].name, double(rows[i].questions));
        slice->setColor(records::RowColour(i));
        slice->setLabelColor(QColor(0x1f, 0x2d, 0x3d));
    }
    pie->setPieSize(0.72);
    distribution->addSeries(pie);
    m_views[Distribution]->setChart(distribution);

    // Progress: one bar per chapter with questions, each in its chapter's colour (the colour counts
    // chapters, not bars).
    QChart* progress = newChart(QStringLiteral("进度统计图"));
    auto* bars = new QBarSeries;
    bars->setName(QStringLiteral("进度"));
    for (int i = 0; i < rows.size(); ++i) {
        const int percent = records::ProgressPercent(rows[i]);
        if (percent < 0)
            continue;
        auto* set = new QBarSet(rows[i].name);
        *set << double(percent);
        set->setColor(records::RowColour(i));
        bars->append(set);
    }
    progress->addSeries(bars);
    auto* single = new QBarCategoryAxis;
    single->append(QStringLiteral("章   节"));
    single->setTitleText(QStringLiteral("章   节"));
    single->setVisible(false);
    auto* percent = new QValueAxis;
    percent->setTitleText(QStringLiteral("进度(%)"));
    percent->setRange(0, 100);
    percent->setLabelFormat(QStringLiteral("%d"));
    progress->addAxis(single, Qt::AlignBottom);
    progress->addAxis(percent, Qt::AlignLeft);
    bars->attachAxis(single);
    bars->attachAxis(percent);
    m_views[Progress]->setChart(progress);

    for (int p = 0; p < 3; ++p)
        applyStyle(p);
}

QChart* Tfrmchart::ChartOf(int page) const {
    return page >= 0 && page < 3 ? m_views[page]->chart() : nullptr;
}

int Tfrmchart::CurrentPage() const {
    return m_pages->currentIndex();
}

QString Tfrmchart::TotalText() const {
    return m_total->text();
}

QChartView* Tfrmchart::currentView() const {
    return m_views[m_pages->currentIndex()];
}

void Tfrmchart::applyStyle(int page) {
    QChart* chart = ChartOf(page);
    if (!chart)
        return;
    const bool threeD = m_threeD->isChecked();
    chart->setDropShadowEnabled(threeD);
    chart->legend()->setVisible(m_showLegend->isChecked());
    const int position = qMax(0, m_legend->checkedId());
    chart->legend()->setAlignment(LegendAlignments[position]);
    for (QAbstractSeries* s : chart->series()) {
        if (auto* bars = qobject_cast<QBarSeries*>(s)) {
            bars->setLabelsVisible(m_showLabels->isChecked());
            for (QBarSet* set : bars->barSets()) {
                const QColor base = set->property("base").value<QColor>().isValid()
                                        ? set->property("base").value<QColor>()
                                        : set->color();
                set->setProperty("base", base);
                set->setBrush(barBrush(base, threeD));
                set->setPen(threeD ? QPen(base.darker(200), 1) : QPen(Qt::NoPen));
            }
        } else if (auto* pie = qobject_cast<QPieSeries*>(s)) {
            pie->setLabelsVisible(m_showLabels->isChecked());
            for (QPieSlice* slice : pie->slices()) {
                const QColor base = slice->property("base").value<QColor>().isValid()
                                        ? slice->property("base").value<QColor>()
                                        : slice->color();
                slice->setProperty("base", base);
                slice->setBrush(sliceBrush(base, threeD));
                slice->setBorderColor(threeD ? base.darker(180) : QColor(Qt::white));
            }
        }
    }
    if (page == Distribution)
        placeTotal();
}

void Tfrmchart::ChooseChartType(int type) {
    if (type < 0 || type > 2)
        return;
    // Every chart is shown with the default display: legend on top, everything ticked.
    m_legend->button(0)->setChecked(true);
    for (QCheckBox* c : {m_threeD, m_showLegend, m_showLabels})
        c->setChecked(true);
    m_legend->button(0)->parentWidget()->setEnabled(true);
    const int page = PageOfType[type];
    if (m_type->checkedId() != type)
        m_type->button(type)->setChecked(true);
    if (page == Distribution)
        m_total->setText(QStringLiteral("习题总数:") +
                         QString::number(records::ReadChartQuestionTotal(*DM1)));
    m_pages->setCurrentIndex(page);
    applyStyle(page);
}

void Tfrmchart::ChooseLegendPosition(int position) {
    if (position < 0 || position > 3)
        return;
    if (m_legend->checkedId() != position)
        m_legend->button(position)->setChecked(true);
    applyStyle(CurrentPage());
}

void Tfrmchart::SetThreeD(bool on) {
    m_threeD->setChecked(on);
    applyStyle(CurrentPage());
}

void Tfrmchart::SetLegendShown(bool on) {
    m_showLegend->setChecked(on);
    // The position only means something while there is a legend.
    m_legend->button(0)->parentWidget()->setEnabled(on);
    applyStyle(CurrentPage());
}

void Tfrmchart::SetLabelsShown(bool on) {
    m_showLabels->setChecked(on);
    applyStyle(CurrentPage());
}

void Tfrmchart::placeTotal() {
    // The total line sits at the lower left; a legend at the bottom pushes it up by 30 pixels.
    QChartView* view = m_views[Distribution];
    m_total->adjustSize();
    const int lift = m_legend->checkedId() == 1 && m_showLegend->isChecked() ? 30 : 0;
    m_total->move(16, qMax(4, view->height() - m_total->height() - 16 - lift));
    m_total->raise();
}

void Tfrmchart::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    placeTotal();
}

QImage Tfrmchart::ChartImage() const {
    QChartView* view = currentView();
    QImage image(view->size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    view->render(&p);
    return image;
}

void Tfrmchart::SaveAs() {
    FileRequest request;
    request.caption = QStringLiteral("存为");
    request.filter = QStringLiteral("Bitmaps图片 (*.bmp);;PNG图片 (*.png)");
    request.selectedFilter = QStringLiteral("Bitmaps图片 (*.bmp)");
    QString name = fileDialogs().saveFile(this, request);
    if (name.isEmpty())
        return;
    // The type follows the file's suffix, else the filter chosen.
    QString suffix = QFileInfo(name).suffix().toLower();
    if (suffix != u"bmp" && suffix != u"png") {
        suffix = request.selectedFilter.contains(QStringLiteral("*.png")) ? QStringLiteral("png")
                                                                          : QStringLiteral("bmp");
        name += u'.' + suffix;
    }
    if (!ChartImage().save(name, suffix.toUpper().toLatin1().constData()))
        ShowPrompt(QStringLiteral("错误"), QStringLiteral("无法保存文件！"), 1, 2, QStringLiteral("NO"));
}

void Tfrmchart::RenderTo(QPagedPaintDevice* device) {
    device->setPageOrientation(QPageLayout::Landscape);
    QPainter p;
    if (!p.begin(device))
        throw std::runtime_error("the printer cannot start");
    const QImage image = ChartImage();
    const QRect page = p.viewport();
    const QSize fitted = image.size().scaled(page.size(), Qt::KeepAspectRatio);
    p.drawImage(QRect(page.topLeft(), fitted), image);
    p.end();
}

void Tfrmchart::Print() {
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        ShowPrompt(QStringLiteral("提示"), QStringLiteral("没有发现打印机！"), 1, 1, QStringLiteral("NO"));
        // Without a printer the chart can still go to a PDF file.
        if (ShowPrompt(QStringLiteral("提示"), QStringLiteral("要把统计图打印到 PDF 文件吗？"), 0, 0,
                       QStringLiteral("NO")) != 1)
            return;
        FileRequest request;
        request.caption = QStringLiteral("打印到 PDF 文件");
        request.filter = QStringLiteral("PDF 文件 (*.pdf)");
        QString name = fileDialogs().saveFile(this, request);
        if (name.isEmpty())
            return;
        if (QFileInfo(name).suffix().compare(u"pdf", Qt::CaseInsensitive) != 0)
            name += QStringLiteral(".pdf");
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(name);
        Guarded(QStringLiteral("打印时发生错误！"), [&] { RenderTo(&printer); });
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    Guarded(QStringLiteral("打印时发生错误！"), [&] { RenderTo(&printer); });
}

void Tfrmchart::done(int result) {
    DM1->Cn1Query1.close();
    QDialog::done(result);
}
