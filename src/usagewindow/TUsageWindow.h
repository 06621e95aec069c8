#pragma once

#include "RateUnit.h"
#include "TUsageRecorder.h"
#include "UsageSummary.h"

#include <QList>
#include <QPointF>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <vector>

class QChartView;
class QComboBox;
class QLabel;
class QPushButton;

// The usage window: a sensor's totals for today, yesterday, this and the last
// billing period, a bar chart of the shown period's days, the rates of the
// last 24 hours or 7 days from the minute history, the share of the quota with
// a projection to the period's end, and an export of the shown period as CSV.
// It reads the history when opened and when the choice changes; it is not
// modal and does not stop the poll.
class TUsageWindow : public QWidget
{
    Q_OBJECT

public:
    // `now` gives the wall-clock time (replaceable in tests).
    TUsageWindow(const TUsageDatabase& db, std::vector<TUsageSensorConfig> sensors, TRateUnit unit,
                 std::function<int64_t()> now = {}, QWidget* parent = nullptr);

    // Reads the history again for the chosen sensor, period and range.
    void refresh();
    // Writes the shown period's days to `path`; false with `error` set when
    // the file cannot be written.
    bool exportCsv(const QString& path, QString& error) const;

    void selectSensor(int index);
    void selectPeriod(bool last);
    void selectWeek(bool week);

    // Labels by row (0 today, 1 yesterday, 2 this period, 3 last period) and
    // column (0 download, 1 upload).
    QString totalText(int row, int column) const;
    QString quotaText() const;
    QString messageText() const;
    // The bar chart's octets of each day of the shown period.
    std::vector<TDayOctets> shownDays() const { return m_days; }
    // The bars as drawn: the heights of set 0 (download) or 1 (upload), in
    // the unit of the axis ("MB" or "GB").
    QList<qreal> barHeights(int set) const;
    QString barUnit() const;
    // The points of the rate chart's line 0 (download) or 1 (upload): time in
    // milliseconds, rate in the unit shown.
    QList<QPointF> rateLine(int line) const;

private:
    void exportClicked();
    void fillBars();
    void fillRates();

    const TUsageDatabase& m_db;
    std::vector<TUsageSensorConfig> m_sensors;
    TRateUnit m_unit;
    std::function<int64_t()> m_now;
    TUsageSummary m_summary;
    std::vector<TDayOctets> m_days;

    QComboBox* m_sensorCB = nullptr;
    QComboBox* m_periodCB = nullptr;
    QComboBox* m_rangeCB = nullptr;
    QPushButton* m_exportBT = nullptr;
    QLabel* m_totals[4][2] = {};
    QLabel* m_periodLBL = nullptr;
    QLabel* m_quotaLBL = nullptr;
    QLabel* m_closedLBL = nullptr;
    QLabel* m_messageLBL = nullptr;
    QChartView* m_barView = nullptr;
    QChartView* m_rateView = nullptr;
};
