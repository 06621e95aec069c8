#pragma once

#include "MetricsSettings.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

// The metrics endpoint as a part of the options dialog: on or off, the
// address and the port. An address beyond this computer is taken only as
// typed, and the page says who can read the figures then.
class TMetricsOptionsPage : public QWidget
{
    Q_OBJECT

public:
    explicit TMetricsOptionsPage(QWidget* parent = nullptr);

    void setSettings(const TMetricsSettings& settings);
    TMetricsSettings settings() const;

    // What the page says under the fields: where a scraper finds the
    // figures, and the warning when they leave this computer.
    QString whereText() const;
    QString warningText() const;

private:
    void showWhere();

    QCheckBox* m_enabledChB = nullptr;
    QLineEdit* m_addressEdit = nullptr;
    QSpinBox* m_portEdit = nullptr;
    QLabel* m_whereLBL = nullptr;
    QLabel* m_warningLBL = nullptr;
};
