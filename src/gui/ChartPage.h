#pragma once
#include <QWidget>

#include <utility>
#include <vector>

#include "statistics/StatisticsTable.h"

class QCategoryAxis;
class QChart;
class QChartView;
class QFont;
class QImage;
class QPoint;
class QLabel;
class QStackedBarSeries;
class QToolButton;
class QValueAxis;
class DateEdit;
class PageFrame;

namespace rz {
class MainModel;
}

// The "Diagramm" tab (TabSheet5): the statistics buttons, the first drawing
// of the statistics and the bar chart with its title.
class ChartPage : public QWidget {
    Q_OBJECT
public:
    ChartPage(rz::MainModel& model, PageFrame& frame, QWidget* parent = nullptr);

    // The date field always; the chart only when chartToo (a historic
    // analysis switches the model's chart in every pass and the chart follows
    // only while its page is on view).
    void syncFromModel(bool chartToo);
    void setAxisFont(const QFont& font);
    // The chart with its title as it is on display (what "PNG…" saves and
    // "Copy" puts on the clipboard).
    QImage chartImage() const;
    // "key: value" of the bar whose column lies under a point of the chart's
    // view; empty outside the bars.
    QString barToolTipAt(const QPoint& viewportPos) const;
    QChartView* chartView() const { return chartView_; }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void syncChart();
    void saveChart();
    void copyChart();

    rz::MainModel& model_;
    PageFrame& frame_;
    QChart* chart_ = nullptr;
    QChartView* chartView_ = nullptr;
    QStackedBarSeries* series_ = nullptr;
    QCategoryAxis* axisX_ = nullptr;
    QValueAxis* axisY_ = nullptr;
    QLabel* chartTitle_ = nullptr;
    QWidget* chartArea_ = nullptr;
    DateEdit* dateTimePicker2_ = nullptr;
    rz::StatisticsTable shownChart_;
    bool chartShown_ = false;
    std::vector<std::pair<QToolButton*, rz::StatisticsKind>> chartButtons_; // pressed: the chart on display
};
