#pragma once

#include <QDialog>

class QButtonGroup;
class QChart;
class QChartView;
class QCheckBox;
class QLabel;
class QPagedPaintDevice;
class QStackedWidget;

// The score charts of the chapters: how often they were answered and answered wrongly, how the bank is
// spread over them, and how far each has been worked through.
class Tfrmchart : public QDialog {
    Q_OBJECT

public:
    enum Page { Frequency = 0, Distribution = 1, Progress = 2 };

    explicit Tfrmchart(QWidget* parent = nullptr);
    ~Tfrmchart() override;
    Q_DISABLE_COPY_MOVE(Tfrmchart)

    // The choices as the learner makes them.
    void ChooseChartType(int type);          // 0 习题分布, 1 频度统计, 2 进度统计
    void ChooseLegendPosition(int position); // 0 上方, 1 下方, 2 左侧, 3 右侧
    void SetThreeD(bool on);
    void SetLegendShown(bool on);
    void SetLabelsShown(bool on);
    // "存为..." and "打印".
    void SaveAs();
    void Print();
    // Writes the chart on show into a paged device (a printer or a PDF file), landscape.
    void RenderTo(QPagedPaintDevice* device);
    // The chart on show drawn on white at its size.
    QImage ChartImage() const;

    int CurrentPage() const;
    QChart* ChartOf(int page) const;
    QString TotalText() const;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void done(int result) override;

private:
    void buildUi();
    void FormShow();
    void fillCharts();
    void applyStyle(int page);
    void placeTotal();
    QChartView* currentView() const;

    QStackedWidget* m_pages = nullptr;
    QChartView* m_views[3] = {};
    QLabel* m_total = nullptr;
    QButtonGroup* m_type = nullptr;
    QButtonGroup* m_legend = nullptr;
    QCheckBox* m_threeD = nullptr;
    QCheckBox* m_showLegend = nullptr;
    QCheckBox* m_showLabels = nullptr;
    bool m_shown = false;
};
