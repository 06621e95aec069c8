#include "TUsageWindow.h"

#include "UsageDatabaseError.h"

#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <ctime>

namespace {

const char* const kRowNames[4] = {"Today", "Yesterday", "This period", "Last period"};

QString octets(uint64_t value)
{
    return QString::fromStdString(UsageSummary::octetsText(value));
}

QChartView* chartView(QWidget* parent)
{
    auto* view = new QChartView(new QChart(), parent);
    view->setRenderHint(QPainter::Antialiasing);
    view->chart()->legend()->setAlignment(Qt::AlignBottom);
    view->setMinimumHeight(220);
    return view;
}

} // namespace

TUsageWindow::TUsageWindow(const TUsageDatabase& db, std::vector<TUsageSensorConfig> sensors,
                           TRateUnit unit, std::function<int64_t()> now, QWidget* parent)
    : QWidget(parent, Qt::Window), m_db(db), m_sensors(std::move(sensors)), m_unit(unit),
      m_now(now ? std::move(now) : [] { return static_cast<int64_t>(std::time(nullptr)); })
{
    setWindowTitle("Usage");
    setObjectName("UsageWindow");

    auto* top = new QHBoxLayout();
    m_sensorCB = new QComboBox(this);
    m_sensorCB->setObjectName("SensorCB");
    for (const TUsageSensorConfig& s : m_sensors)
        m_sensorCB->addItem(QString::fromStdString(s.name.empty() ? s.key : s.name));
    m_periodCB = new QComboBox(this);
    m_periodCB->setObjectName("PeriodCB");
    m_periodCB->addItems({"This period", "Last period"});
    m_rangeCB = new QComboBox(this);
    m_rangeCB->setObjectName("RangeCB");
    m_rangeCB->addItems({"Last 24 hours", "Last 7 days"});
    m_exportBT = new QPushButton("Export CSV...", this);
    m_exportBT->setObjectName("ExportBT");
    top->addWidget(m_sensorCB, 1);
    top->addWidget(m_periodCB);
    top->addWidget(m_rangeCB);
    top->addWidget(m_exportBT);

    auto* grid = new QGridLayout();
    grid->addWidget(new QLabel("Download", this), 0, 1, Qt::AlignRight);
    grid->addWidget(new QLabel("Upload", this), 0, 2, Qt::AlignRight);
    for (int row = 0; row < 4; ++row) {
        grid->addWidget(new QLabel(kRowNames[row], this), row + 1, 0);
        for (int column = 0; column < 2; ++column) {
            m_totals[row][column] = new QLabel(this);
            m_totals[row][column]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_totals[row][column]->setTextInteractionFlags(Qt::TextSelectableByMouse);
            grid->addWidget(m_totals[row][column], row + 1, column + 1);
        }
    }
    grid->setColumnStretch(3, 1);
    m_periodLBL = new QLabel(this);
    m_quotaLBL = new QLabel(this);
    m_quotaLBL->setObjectName("QuotaLBL");
    m_closedLBL = new QLabel(this);
    m_closedLBL->setObjectName("ClosedLBL");
    m_messageLBL = new QLabel(this);
    m_messageLBL->setObjectName("MessageLBL");
    m_messageLBL->setWordWrap(true);

    m_barView = chartView(this);
    m_rateView = chartView(this);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(grid);
    layout->addWidget(m_periodLBL);
    layout->addWidget(m_quotaLBL);
    layout->addWidget(m_closedLBL);
    layout->addWidget(m_barView, 1);
    layout->addWidget(m_rateView, 1);
    layout->addWidget(m_messageLBL);
    resize(720, 640);

    connect(m_sensorCB, qOverload<int>(&QComboBox::currentIndexChanged), this,
            [this] { refresh(); });
    connect(m_periodCB, qOverload<int>(&QComboBox::currentIndexChanged), this,
            [this] { refresh(); });
    connect(m_rangeCB, qOverload<int>(&QComboBox::currentIndexChanged), this,
            [this] { refresh(); });
    connect(m_exportBT, &QPushButton::clicked, this, [this] { exportClicked(); });
    refresh();
}

void TUsageWindow::selectSensor(int index)
{
    m_sensorCB->setCurrentIndex(index);
}

void TUsageWindow::selectPeriod(bool last)
{
    m_periodCB->setCurrentIndex(last ? 1 : 0);
}

void TUsageWindow::selectWeek(bool week)
{
    m_rangeCB->setCurrentIndex(week ? 1 : 0);
}

QString TUsageWindow::totalText(int row, int column) const
{
    return m_totals[row][column]->text();
}

QString TUsageWindow::quotaText() const
{
    return m_quotaLBL->text();
}

QString TUsageWindow::messageText() const
{
    return m_messageLBL->text();
}

QList<qreal> TUsageWindow::barHeights(int set) const
{
    const auto series = m_barView->chart()->series();
    if (series.isEmpty())
        return {};
    const auto sets = static_cast<QBarSeries*>(series.first())->barSets();
    if (set < 0 || set >= sets.size())
        return {};
    QList<qreal> heights;
    for (int i = 0; i < sets[set]->count(); ++i)
        heights << sets[set]->at(i);
    return heights;
}

QString TUsageWindow::barUnit() const
{
    const auto axes = m_barView->chart()->axes(Qt::Vertical);
    return axes.isEmpty() ? QString() : axes.first()->titleText();
}

QList<QPointF> TUsageWindow::rateLine(int line) const
{
    const auto series = m_rateView->chart()->series();
    if (line < 0 || line >= series.size())
        return {};
    return static_cast<QLineSeries*>(series[line])->points();
}

void TUsageWindow::refresh()
{
    m_messageLBL->clear();
    m_days.clear();
    const int index = m_sensorCB->currentIndex();
    m_exportBT->setEnabled(index >= 0);
    if (index < 0 || index >= static_cast<int>(m_sensors.size())) {
        m_messageLBL->setText("No usage has been recorded yet.");
        return;
    }
    try {
        const int64_t now = m_now();
        m_summary = UsageSummary::summarize(m_db, m_sensors[static_cast<std::size_t>(index)], now);
        const TOctets* rows[4] = {&m_summary.today, &m_summary.yesterday, &m_summary.thisPeriod,
                                  &m_summary.lastPeriod};
        for (int row = 0; row < 4; ++row) {
            m_totals[row][0]->setText(octets(rows[row]->down));
            m_totals[row][1]->setText(octets(rows[row]->up));
        }
        const bool last = m_periodCB->currentIndex() == 1;
        const TBillingPeriod& period = last ? m_summary.last : m_summary.current;
        m_periodLBL->setText(QString("Period %1 to %2")
                                 .arg(QString::fromStdString(period.first.text()),
                                      QString::fromStdString(period.last().text())));
        if (m_summary.quotaShare) {
            m_quotaLBL->setText(QString("Quota: %1 % of %2 GB used; %3 expected by %4")
                                    .arg(QString::number(*m_summary.quotaShare * 100.0, 'f', 1))
                                    .arg(m_summary.sensor.settings.QuotaGB)
                                    .arg(octets(static_cast<uint64_t>(*m_summary.projected)),
                                         QString::fromStdString(m_summary.current.last().text())));
        } else {
            m_quotaLBL->setText("No quota");
        }
        QStringList closed;
        for (const std::string& line : UsageSummary::closedLines(m_summary, last))
            closed << QString::fromStdString(line);
        m_closedLBL->setText(closed.join('\n'));
        m_days = UsageSummary::periodDays(m_db, m_summary.sensor.key, period);
        fillBars();
        fillRates();
    } catch (const TUsageDatabaseError& error) {
        for (auto& row : m_totals)
            for (QLabel* label : row)
                label->clear();
        m_messageLBL->setText(QString::fromStdString(error.what()));
    }
}

void TUsageWindow::fillBars()
{
    QChart* chart = m_barView->chart();
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes())
        chart->removeAxis(axis);
    uint64_t highest = 0;
    for (const TDayOctets& d : m_days)
        highest = std::max({highest, d.octets.down, d.octets.up});
    const bool gigabytes = highest >= 1000000000ULL;
    const double divisor = gigabytes ? 1e9 : 1e6;
    auto* down = new QBarSet("Download");
    auto* up = new QBarSet("Upload");
    down->setColor(QColor(0, 160, 0));
    up->setColor(QColor(200, 0, 0));
    QStringList categories;
    for (const TDayOctets& d : m_days) {
        *down << static_cast<double>(d.octets.down) / divisor;
        *up << static_cast<double>(d.octets.up) / divisor;
        categories << QString::number(d.day % 100);
    }
    auto* series = new QBarSeries();
    series->append(down);
    series->append(up);
    chart->addSeries(series);
    // Day numbers on a value axis, every second one when a month of them
    // would not fit: a category axis cuts them all to "..." instead.
    auto* days = new QCategoryAxis();
    days->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    const int step = m_days.size() > 16 ? 2 : 1;
    for (int i = 0; i < categories.size(); i += step)
        days->append(categories[i], i);
    days->setRange(-0.5, static_cast<double>(categories.size()) - 0.5);
    days->setGridLineVisible(false);
    chart->addAxis(days, Qt::AlignBottom);
    series->attachAxis(days);
    auto* amount = new QValueAxis();
    amount->setTitleText(gigabytes ? "GB" : "MB");
    amount->setLabelFormat("%.1f");
    chart->addAxis(amount, Qt::AlignLeft);
    series->attachAxis(amount);
    amount->setMin(0);
    amount->applyNiceNumbers();
    chart->setTitle("Octets per day");
}

void TUsageWindow::fillRates()
{
    QChart* chart = m_rateView->chart();
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes())
        chart->removeAxis(axis);
    const bool week = m_rangeCB->currentIndex() == 1;
    const int64_t now = m_now();
    const int64_t span = week ? 7 * 86400 : 86400;
    // A week of minutes is more points than pixels: ten-minute means keep
    // the chart quick and its lines readable.
    const int64_t step = week ? 600 : 60;
    const auto samples = m_db.minutes(m_summary.sensor.key, now - span, now + 60);
    auto* down = new QLineSeries();
    auto* up = new QLineSeries();
    down->setName("Download");
    up->setName("Upload");
    down->setColor(QColor(0, 160, 0));
    up->setColor(QColor(200, 0, 0));
    double highest = 0;
    for (std::size_t i = 0; i < samples.size();) {
        const int64_t bucket = samples[i].minute - samples[i].minute % step;
        TOctets sum;
        for (; i < samples.size() && samples[i].minute - samples[i].minute % step == bucket; ++i) {
            sum.down += samples[i].octets.down;
            sum.up += samples[i].octets.up;
        }
        const double x = static_cast<double>(bucket) * 1000.0;
        const double d = RateUnit::inUnit(static_cast<double>(sum.down) / step, m_unit);
        const double u = RateUnit::inUnit(static_cast<double>(sum.up) / step, m_unit);
        down->append(x, d);
        up->append(x, u);
        highest = std::max({highest, d, u});
    }
    chart->addSeries(down);
    chart->addSeries(up);
    auto* time = new QDateTimeAxis();
    time->setFormat(week ? "dd.MM." : "HH:mm");
    time->setRange(QDateTime::fromSecsSinceEpoch(now - span), QDateTime::fromSecsSinceEpoch(now));
    chart->addAxis(time, Qt::AlignBottom);
    auto* rate = new QValueAxis();
    rate->setTitleText(QString(RateUnit::unitText(m_unit)).trimmed());
    rate->setRange(0, highest > 0 ? highest * 1.1 : 1);
    rate->applyNiceNumbers();
    rate->setLabelFormat("%.1f");
    chart->addAxis(rate, Qt::AlignLeft);
    for (QLineSeries* s : {down, up}) {
        s->attachAxis(time);
        s->attachAxis(rate);
    }
    chart->setTitle(week ? "Rate, last 7 days" : "Rate, last 24 hours");
}

bool TUsageWindow::exportCsv(const QString& path, QString& error) const
{
    QFile file(path);
    const std::string csv = UsageSummary::periodCsv(m_summary.sensor.name, m_days);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(csv.data(), static_cast<qint64>(csv.size())) !=
            static_cast<qint64>(csv.size()) ||
        !file.flush()) {
        error = file.errorString();
        return false;
    }
    return true;
}

void TUsageWindow::exportClicked()
{
    const QString path =
        QFileDialog::getSaveFileName(this, "Export usage", "usage.csv", "CSV files (*.csv)");
    if (path.isEmpty())
        return;
    QString error;
    if (exportCsv(path, error))
        m_messageLBL->setText("Exported to " + path);
    else
        m_messageLBL->setText("Could not write " + path + ": " + error);
}
