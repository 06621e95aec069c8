#include "TUsageOptionsPage.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum Column
{
    NameColumn,
    StartColumn,
    QuotaColumn,
    KindColumn,
    ColumnCount
};

} // namespace

TUsageOptionsPage::TUsageOptionsPage(QWidget* parent) : QWidget(parent)
{
    setObjectName("UsagePage");
    m_unitCB = new QComboBox(this);
    m_unitCB->setObjectName("RateUnitCB");
    // In the order of the stored numbers.
    for (const TRateUnit unit : {TRateUnit::KibibytesPerSecond, TRateUnit::MegabitsPerSecond,
                                 TRateUnit::MegabytesPerSecond})
        m_unitCB->addItem(QString(RateUnit::unitText(unit)).trimmed());
    auto* form = new QFormLayout();
    form->addRow("Show rates in", m_unitCB);

    m_sensorGrid = new QTableWidget(0, ColumnCount, this);
    m_sensorGrid->setObjectName("UsageSensorGrid");
    m_sensorGrid->setHorizontalHeaderLabels(
        {"Sensor", "Period starts on day", "Monthly quota", "Quota counts"});
    m_sensorGrid->horizontalHeader()->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    m_sensorGrid->verticalHeader()->hide();
    m_sensorGrid->setSelectionMode(QAbstractItemView::NoSelection);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel("Billing period and quota of each sensor:", this));
    layout->addWidget(m_sensorGrid, 1);
}

void TUsageOptionsPage::setSettings(const TUsageSettings& settings,
                                    const std::vector<std::string>& sensorNames)
{
    m_unitCB->setCurrentIndex(static_cast<int>(settings.RateUnit));
    m_sensorGrid->setRowCount(static_cast<int>(sensorNames.size()));
    for (std::size_t i = 0; i < sensorNames.size(); ++i) {
        const int row = static_cast<int>(i);
        const TSensorUsageSettings s =
            i < settings.Sensors.size() ? settings.Sensors[i] : TSensorUsageSettings{};
        auto* name = new QTableWidgetItem(QString::fromStdString(sensorNames[i]));
        name->setFlags(Qt::ItemIsEnabled);
        m_sensorGrid->setItem(row, NameColumn, name);
        auto* start = new QSpinBox();
        start->setRange(1, 31);
        start->setValue(s.PeriodStartDay);
        m_sensorGrid->setCellWidget(row, StartColumn, start);
        auto* quota = new QSpinBox();
        quota->setRange(0, UsageSettingsStore::kMaxQuotaGB);
        quota->setSuffix(" GB");
        quota->setSpecialValueText("None");
        quota->setValue(s.QuotaGB);
        m_sensorGrid->setCellWidget(row, QuotaColumn, quota);
        auto* kind = new QComboBox();
        kind->addItems({"Download", "Upload", "Both"}); // in the order of TQuotaKind
        kind->setCurrentIndex(static_cast<int>(s.QuotaKind));
        m_sensorGrid->setCellWidget(row, KindColumn, kind);
    }
    m_sensorGrid->resizeColumnsToContents();
}

TUsageSettings TUsageOptionsPage::settings() const
{
    TUsageSettings settings;
    settings.RateUnit = RateUnit::fromStored(m_unitCB->currentIndex());
    for (int row = 0; row < m_sensorGrid->rowCount(); ++row) {
        TSensorUsageSettings s;
        s.PeriodStartDay =
            static_cast<QSpinBox*>(m_sensorGrid->cellWidget(row, StartColumn))->value();
        s.QuotaGB = static_cast<QSpinBox*>(m_sensorGrid->cellWidget(row, QuotaColumn))->value();
        s.QuotaKind = static_cast<TQuotaKind>(
            static_cast<QComboBox*>(m_sensorGrid->cellWidget(row, KindColumn))->currentIndex());
        settings.Sensors.push_back(s);
    }
    return settings;
}
