#include "TMetricsOptionsPage.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

TMetricsOptionsPage::TMetricsOptionsPage(QWidget* parent) : QWidget(parent)
{
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    auto* row = new QHBoxLayout;
    m_enabledChB = new QCheckBox(QStringLiteral("Serve the figures to Prometheus on"), this);
    m_enabledChB->setObjectName(QStringLiteral("MetricsChB"));
    m_addressEdit = new QLineEdit(this);
    m_addressEdit->setObjectName(QStringLiteral("MetricsAddressEdit"));
    m_addressEdit->setMaxLength(64);
    m_portEdit = new QSpinBox(this);
    m_portEdit->setObjectName(QStringLiteral("MetricsPortEdit"));
    m_portEdit->setRange(1, 65535);
    row->addWidget(m_enabledChB);
    row->addWidget(m_addressEdit, 1);
    row->addWidget(new QLabel(QStringLiteral("port"), this));
    row->addWidget(m_portEdit);
    root->addLayout(row);
    m_whereLBL = new QLabel(this);
    m_whereLBL->setObjectName(QStringLiteral("MetricsWhereLBL"));
    m_whereLBL->setTextFormat(Qt::PlainText);
    m_whereLBL->setWordWrap(true);
    root->addWidget(m_whereLBL);
    m_warningLBL = new QLabel(this);
    m_warningLBL->setObjectName(QStringLiteral("MetricsWarningLBL"));
    m_warningLBL->setTextFormat(Qt::PlainText);
    m_warningLBL->setWordWrap(true);
    m_warningLBL->setStyleSheet(QStringLiteral("color: red;"));
    root->addWidget(m_warningLBL);
    connect(m_enabledChB, &QCheckBox::toggled, this, [this] { showWhere(); });
    connect(m_addressEdit, &QLineEdit::textChanged, this, [this] { showWhere(); });
    connect(m_portEdit, qOverload<int>(&QSpinBox::valueChanged), this, [this] { showWhere(); });
    setSettings(TMetricsSettings());
}

void TMetricsOptionsPage::setSettings(const TMetricsSettings& settings)
{
    m_enabledChB->setChecked(settings.Enabled);
    m_addressEdit->setText(QString::fromStdString(settings.Address));
    m_portEdit->setValue(settings.Port);
    showWhere();
}

TMetricsSettings TMetricsOptionsPage::settings() const
{
    TMetricsSettings settings;
    settings.Enabled = m_enabledChB->isChecked();
    settings.Address = m_addressEdit->text().trimmed().toStdString();
    settings.Port = m_portEdit->value();
    return settings;
}

QString TMetricsOptionsPage::whereText() const
{
    return m_whereLBL->text();
}

QString TMetricsOptionsPage::warningText() const
{
    return m_warningLBL->text();
}

void TMetricsOptionsPage::showWhere()
{
    const TMetricsSettings s = settings();
    const bool ipv6 = s.Address.find(':') != std::string::npos;
    const QString host = ipv6 ? QStringLiteral("[%1]").arg(QString::fromStdString(s.Address))
                              : QString::fromStdString(s.Address);
    m_whereLBL->setText(
        s.Enabled
            ? QStringLiteral("A scraper reads them at http://%1:%2/metrics").arg(host).arg(s.Port)
            : QStringLiteral("The figures are not served."));
    const bool open = s.Enabled && !MetricsAddress::isLoopback(s.Address);
    m_warningLBL->setText(open ? QString::fromUtf8(MetricsAddress::kOpenNetworkWarning)
                               : QString());
    m_warningLBL->setHidden(!open);
}
