#pragma once
#include <QWidget>

#include <utility>
#include <vector>

#include "statistics/StatisticsTable.h"

class QCategoryAxis;
class QChart;
class QChartView;
class QFont;
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

private:
    void syncChart();
    void saveChart();

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
