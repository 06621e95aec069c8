#pragma once

#include "UsageSettings.h"

#include <QWidget>

#include <string>
#include <vector>

class QComboBox;
class QTableWidget;

// The usage settings as a page for the options dialog: the rate unit, and
// per sensor the day its billing period starts, a monthly quota in GB (0 for
// none) and what the quota counts. It edits a copy; the dialog reads it back
// with settings() when confirmed.
class TUsageOptionsPage : public QWidget
{
    Q_OBJECT

public:
    explicit TUsageOptionsPage(QWidget* parent = nullptr);

    // Shows `settings` for the sensors named; a sensor without settings of its
    // own shows the defaults.
    void setSettings(const TUsageSettings& settings, const std::vector<std::string>& sensorNames);
    TUsageSettings settings() const;

private:
    QComboBox* m_unitCB = nullptr;
    QTableWidget* m_sensorGrid = nullptr;
};
