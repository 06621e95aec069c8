// The device dialog's controls: their layout, captions and hints, and what
// changes in them alone (the version's fields, the speed choices, the rates
// in the interface list). What is read and decided is in frmHostConfig.cpp.
#include "frmHostConfig.h"

#include "ConvertError.h"
#include "DialogSizing.h"
#include "SensorPollV2c.h"
#include "SnmpV3Fields.h"
#include "TColorBox.h"
#include "WindowFrame.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QSize kDesignSize(504, 494);

const char* const kSpeedItems[] = {
    "128 kbps",   "192 kbps",   "256 kbps",   "384 kbps",   "512 kbps",   "640 kbps",
    "768 kbps",   "1024 kbps",  "2048 kbps",  "4096 kbps",  "8192 kbps",  "10240 kbps",
    "12288 kbps", "16384 kbps", "20480 kbps", "24576 kbps", "32768 kbps", "65536 kbps",
};

const QString kActiveCaption = QStringLiteral("This Graph is Active");
const QString kInactiveCaption = QStringLiteral("This Graph is Inactive");

} // namespace

THostConfigForm::THostConfigForm(IHostConfigOwner& owner, QWidget* parent)
    : QDialog(parent), m_owner(owner)
{
    setObjectName(QStringLiteral("HostConfigForm"));
    setWindowTitle(QStringLiteral("Travimetra - Device Configuration"));
    WindowFrame::makeFixedDialog(this, true);
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    setFont(font);
    createControls();
    DialogSizing::fixSize(this, kDesignSize);
}

void THostConfigForm::createControls()
{
    auto* root = new QVBoxLayout(this);

    auto* general = new QGroupBox(QStringLiteral(" General Information "), this);
    auto* generalGrid = new QGridLayout(general);
    m_hostAddressEdit = new QLineEdit(general);
    m_hostAddressEdit->setObjectName(QStringLiteral("HostAddressEdit"));
    m_readCommunityEdit = new QLineEdit(general);
    m_readCommunityEdit->setObjectName(QStringLiteral("ReadCommunityEdit"));
    m_hostNameEdit = new QLineEdit(general);
    m_hostNameEdit->setObjectName(QStringLiteral("HostNameEdit"));
    m_checkConnectionBT = new QPushButton(QStringLiteral("Start Connection"), general);
    m_checkConnectionBT->setObjectName(QStringLiteral("CheckConnectionBT"));
    generalGrid->addWidget(new QLabel(QStringLiteral("IP Address / DNS Name"), general), 0, 0);
    generalGrid->addWidget(m_hostAddressEdit, 0, 1);
    m_readCommunityLBL = new QLabel(QStringLiteral("Read Community"), general);
    generalGrid->addWidget(m_readCommunityLBL, 1, 0);
    generalGrid->addWidget(m_readCommunityEdit, 1, 1);
    generalGrid->addWidget(new QLabel(QStringLiteral("Device Name / Alias"), general), 2, 0);
    generalGrid->addWidget(m_hostNameEdit, 2, 1);
    generalGrid->addWidget(m_checkConnectionBT, 0, 2, 3, 1);
    m_versionCombo = new QComboBox(general);
    m_versionCombo->setObjectName(QStringLiteral("SnmpVersionCB"));
    m_versionCombo->addItems({QStringLiteral("v1"), QStringLiteral("v2c"), QStringLiteral("v3")});
    m_findRouterBT = new QPushButton(QStringLiteral("Find router"), general);
    m_findRouterBT->setObjectName(QStringLiteral("FindRouterBT"));
    generalGrid->addWidget(new QLabel(QStringLiteral("SNMP Version"), general), 3, 0);
    generalGrid->addWidget(m_versionCombo, 3, 1);
    generalGrid->addWidget(m_findRouterBT, 3, 2);
    m_v3Fields = new SnmpV3Fields(general);
    m_v3Fields->setVisible(false);
    generalGrid->addWidget(m_v3Fields, 4, 0, 1, 3);
    root->addWidget(general);

    auto* select = new QGroupBox(QStringLiteral(" Select Interface "), this);
    auto* selectGrid = new QGridLayout(select);
    m_oidCombo = new QComboBox(select);
    m_oidCombo->setObjectName(QStringLiteral("OIDCombo"));
    m_oidCombo->setMaxVisibleItems(15);
    m_oidCombo->setMinimumContentsLength(40);
    m_swapValuesChB = new QCheckBox(QStringLiteral("Swap Incomming && Outgoing Values"), select);
    m_swapValuesChB->setObjectName(QStringLiteral("SwapValuesChB"));
    m_refreshBT = new QPushButton(QStringLiteral("Refresh"), select);
    m_refreshBT->setObjectName(QStringLiteral("RefreshBT"));
    selectGrid->addWidget(m_oidCombo, 0, 0);
    selectGrid->addWidget(m_refreshBT, 0, 1);
    selectGrid->addWidget(m_swapValuesChB, 1, 0, 1, 2);
    root->addWidget(select);

    auto* graph = new QGroupBox(QStringLiteral(" Graph "), this);
    auto* graphGrid = new QGridLayout(graph);
    m_activeChB = new QCheckBox(kActiveCaption, graph);
    m_activeChB->setObjectName(QStringLiteral("ActiveChB"));
    QFont bold = m_activeChB->font();
    bold.setBold(true);
    m_activeChB->setFont(bold);
    graphGrid->addWidget(m_activeChB, 0, 0, 1, 4);

    const auto colorBox = [&](TColorBox*& box, const char* name, const char* caption, int row,
                              int column) {
        box = new TColorBox(graph);
        box->setObjectName(QString::fromLatin1(name));
        graphGrid->addWidget(new QLabel(QString::fromLatin1(caption), graph), row, column);
        graphGrid->addWidget(box, row, column + 1);
    };
    colorBox(m_dlColor, "DLColor", "Download Color", 1, 0);
    colorBox(m_ulColor, "ULColor", "Upload Color", 1, 2);
    colorBox(m_darkColor, "DarkColor", "Dark Color", 2, 0);
    colorBox(m_lightColor, "LightColor", "Light Color", 2, 2);

    m_pixelCB = new QComboBox(graph);
    m_pixelCB->setObjectName(QStringLiteral("PixelCB"));
    m_pixelCB->addItems({QStringLiteral("1 pixel"), QStringLiteral("2 pixels"),
                         QStringLiteral("3 pixels"), QStringLiteral("4 pixels"),
                         QStringLiteral("5 pixels")});
    graphGrid->addWidget(new QLabel(QStringLiteral("Draw graph every"), graph), 3, 0);
    graphGrid->addWidget(m_pixelCB, 3, 1);

    m_liveSpeedRB = new QRadioButton(QStringLiteral("Live Graph (Dynamic Maximum)"), graph);
    m_liveSpeedRB->setObjectName(QStringLiteral("LiveSpeedRB"));
    m_defaultSpeedRB = new QRadioButton(QStringLiteral("Use detected speed [0 kbps]"), graph);
    m_defaultSpeedRB->setObjectName(QStringLiteral("DefaultSpeedRB"));
    m_bypassSpeedRB = new QRadioButton(QStringLiteral("Bypass detected speed"), graph);
    m_bypassSpeedRB->setObjectName(QStringLiteral("BypassSpeedRB"));
    graphGrid->addWidget(m_liveSpeedRB, 4, 0, 1, 4);
    graphGrid->addWidget(m_defaultSpeedRB, 5, 0, 1, 4);
    graphGrid->addWidget(m_bypassSpeedRB, 6, 0, 1, 4);

    m_downSpeedCombo = new QComboBox(graph);
    m_downSpeedCombo->setObjectName(QStringLiteral("DownSpeedCombo"));
    m_upSpeedCombo = new QComboBox(graph);
    m_upSpeedCombo->setObjectName(QStringLiteral("UpSpeedCombo"));
    for (const char* item : kSpeedItems) {
        m_downSpeedCombo->addItem(QString::fromLatin1(item));
        m_upSpeedCombo->addItem(QString::fromLatin1(item));
    }
    m_downSpeedLBL = new QLabel(QStringLiteral("Download Speed"), graph);
    m_downSpeedLBL->setObjectName(QStringLiteral("DownSpeedLBL"));
    m_upSpeedLBL = new QLabel(QStringLiteral("Upload Speed"), graph);
    m_upSpeedLBL->setObjectName(QStringLiteral("UpSpeedLBL"));
    graphGrid->addWidget(m_downSpeedLBL, 7, 0);
    graphGrid->addWidget(m_downSpeedCombo, 7, 1);
    graphGrid->addWidget(m_upSpeedLBL, 7, 2);
    graphGrid->addWidget(m_upSpeedCombo, 7, 3);

    m_lighterLineChB =
        new QCheckBox(QStringLiteral("The lighter line shows the upload maximum"), graph);
    m_lighterLineChB->setObjectName(QStringLiteral("LighterLineChB"));
    m_useLighterColorChB =
        new QCheckBox(QStringLiteral("Use the \"Light Color\" in all Y-Axis values"), graph);
    m_useLighterColorChB->setObjectName(QStringLiteral("UseLighterColorChB"));
    m_halfSizeChB = new QCheckBox(QStringLiteral("Half-height Graph"), graph);
    m_halfSizeChB->setObjectName(QStringLiteral("HalfSizeChB"));
    graphGrid->addWidget(m_lighterLineChB, 8, 0, 1, 4);
    graphGrid->addWidget(m_useLighterColorChB, 9, 0, 1, 4);
    graphGrid->addWidget(m_halfSizeChB, 10, 0, 1, 2);
    m_steadyRatesChB = new QCheckBox(QStringLiteral("Steady Rates"), graph);
    m_steadyRatesChB->setObjectName(QStringLiteral("SteadyRatesChB"));
    graphGrid->addWidget(m_steadyRatesChB, 10, 2, 1, 2);

    m_timerChB = new QComboBox(graph);
    m_timerChB->setObjectName(QStringLiteral("TimerChB"));
    m_timerChB->addItems({QStringLiteral("SNMP device time"), QStringLiteral("Windows time")});
    graphGrid->addWidget(new QLabel(QStringLiteral("Use"), graph), 11, 0);
    graphGrid->addWidget(m_timerChB, 11, 1, 1, 2);
    root->addWidget(graph);

    auto* buttons = new QHBoxLayout;
    m_okBT = new QPushButton(QStringLiteral("OK"), this);
    m_okBT->setObjectName(QStringLiteral("OKBT"));
    m_cancelBT = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancelBT->setObjectName(QStringLiteral("CancelBT"));
    m_okBT->setAutoDefault(false);
    m_cancelBT->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(m_okBT);
    buttons->addWidget(m_cancelBT);
    root->addLayout(buttons);

    m_hints.add(m_hostAddressEdit,
                QStringLiteral("Set the IP or DNS name of the device you want to monitor."));
    m_hints.add(m_readCommunityEdit,
                QStringLiteral("Set the correct Read Community of the device."));
    m_hints.add(m_hostNameEdit, QStringLiteral("Set a device name that will help you recognise it. "
                                               "By default the SNMP device name is set."));
    m_hints.add(m_checkConnectionBT,
                QStringLiteral("Click to start a connection with the device. If everything is set "
                               "correctly the device interfaces will be available."));
    m_hints.add(m_oidCombo, QStringLiteral("Select an interface to monitor."));
    m_hints.add(m_swapValuesChB, QStringLiteral("Some interfaces return the values inverted. If so "
                                                "select this option to swap the values."));
    m_hints.add(m_refreshBT, QStringLiteral("Refresh the interface list of the device."));
    m_hints.add(m_activeChB, QStringLiteral("Select if the graph is active or not. If it is not "
                                            "enabled, the graph will not be displayed."));
    m_hints.add(m_dlColor, QStringLiteral("Set the color of the download line."));
    m_hints.add(m_ulColor, QStringLiteral("Set the color of the upload line."));
    m_hints.add(m_darkColor, QStringLiteral("Set the dark color of the graph."));
    m_hints.add(m_lightColor, QStringLiteral("Set the light color of the graph."));
    m_hints.add(m_pixelCB, QStringLiteral("Set the frequency of the graph."));
    m_hints.add(m_liveSpeedRB, QStringLiteral("Automatically set the maximum of the interface "
                                              "according toy your download speed."));
    m_hints.add(m_defaultSpeedRB,
                QStringLiteral("Use the value that the SNMP agent returned for this interface."));
    m_hints.add(m_bypassSpeedRB, QStringLiteral("Use your own download/upload values."));
    m_hints.add(m_downSpeedCombo, QStringLiteral("Set your own download speed."));
    m_hints.add(m_upSpeedCombo, QStringLiteral("Set your own upload speed."));
    m_hints.add(m_lighterLineChB,
                QStringLiteral("If this is enabled the lighter line of the graph will not "
                               "represent the middle but the maximum upload speed."));
    m_hints.add(
        m_useLighterColorChB,
        QStringLiteral("Enable this to use the same (lighter) color in all Y-Axis values."));
    m_hints.add(m_steadyRatesChB,
                QStringLiteral("Spread the octets of a device that updates its counters only "
                               "every few seconds over that time, so a steady transfer is drawn "
                               "steady. Clear it to show the octets of every poll on their own."));
    m_hints.add(m_timerChB,
                QStringLiteral("Select to use either the time from the SNMP device you monitor or "
                               "Windows time. Some USRobotics eg. devices need Windows time."));

    connect(m_checkConnectionBT, &QPushButton::clicked, this, [this] { CheckConnectionBTClick(); });
    connect(m_refreshBT, &QPushButton::clicked, this, [this] { RefreshBTClick(); });
    connect(m_oidCombo, qOverload<int>(&QComboBox::activated), this, [this] { OIDComboChange(); });
    connect(m_activeChB, &QCheckBox::clicked, this, [this] { ActiveChBClick(); });
    connect(m_liveSpeedRB, &QRadioButton::clicked, this, [this] { LiveSpeedRBClick(); });
    connect(m_defaultSpeedRB, &QRadioButton::clicked, this, [this] { DefaultSpeedRBClick(); });
    connect(m_bypassSpeedRB, &QRadioButton::clicked, this, [this] { BypassSpeedRBClick(); });
    connect(m_okBT, &QPushButton::clicked, this, [this] { OKBTClick(); });
    connect(m_cancelBT, &QPushButton::clicked, this, [this] { CancelBTClick(); });
    connect(m_findRouterBT, &QPushButton::clicked, this, [this] { FindRouterBTClick(); });
    connect(m_versionCombo, qOverload<int>(&QComboBox::activated), this,
            [this] { SnmpVersionChange(); });
    m_hints.add(m_versionCombo,
                QStringLiteral("Select the SNMP version of the device. v2c reads 64-bit counters "
                               "in one request and follows an interface by its name; v3 also "
                               "signs and encrypts the requests."));
    m_v3Fields->addHints(m_hints);
    m_hints.add(m_findRouterBT,
                QStringLiteral("Fill the address with this computer's default gateway."));
    m_rateTimer = new QTimer(this);
    m_rateTimer->setInterval(kRatePeriodMs);
    connect(m_rateTimer, &QTimer::timeout, this, [this] { sampleRates(); });
}

void THostConfigForm::showVersionFields()
{
    const bool v3 = snmpVersion() == TSnmpVersion::V3;
    if (m_v3Fields->isVisibleTo(this) == v3)
        return;
    m_readCommunityLBL->setVisible(!v3);
    m_readCommunityEdit->setVisible(!v3);
    m_v3Fields->setVisible(v3);
    // The user's fields take more room than the community.
    DialogSizing::fixSize(this, kDesignSize);
}

void THostConfigForm::showDetectedSpeed(const QString& kbps)
{
    m_defaultSpeedRB->setText(QStringLiteral("Use detected speed [") + kbps +
                              QStringLiteral(" kbps]"));
}

void THostConfigForm::setSpeedControlsEnabled(bool enabled)
{
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_downSpeedCombo, m_upSpeedCombo, m_downSpeedLBL, m_upSpeedLBL, m_lighterLineChB})
        w->setEnabled(enabled);
}

void THostConfigForm::clearSpeedRadios()
{
    for (QRadioButton* rb : {m_liveSpeedRB, m_defaultSpeedRB, m_bypassSpeedRB}) {
        rb->setAutoExclusive(false);
        rb->setChecked(false);
        rb->setAutoExclusive(true);
    }
}

void THostConfigForm::checkSpeedRadio(TSpeedType speedType)
{
    clearSpeedRadios();
    switch (speedType) {
    case TSpeedType::Live:
        m_liveSpeedRB->setChecked(true);
        LiveSpeedRBClick();
        break;
    case TSpeedType::Detected:
        m_defaultSpeedRB->setChecked(true);
        DefaultSpeedRBClick();
        break;
    case TSpeedType::Bypass:
        m_bypassSpeedRB->setChecked(true);
        BypassSpeedRBClick();
        break;
    default:
        break;
    }
}

void THostConfigForm::selectSpeedItem(QComboBox* combo, int64_t speed)
{
    const QString wanted = QString::number(speed) + QStringLiteral(" kbps");
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemText(i).contains(wanted)) {
            combo->setCurrentIndex(i);
            return;
        }
    }
    combo->setCurrentIndex(0);
}

void THostConfigForm::showRates(const std::map<int32_t, double>& rates)
{
    int busiest = -1;
    double highest = 0;
    for (int i = 0; i < m_oidCombo->count(); ++i) {
        int32_t index = 0;
        const std::string number = oidNumOf(m_oidCombo->itemText(i).toStdString());
        if (!tryStrToInt32(number, index))
            continue;
        const auto base = m_entryTexts.find(index);
        if (base == m_entryTexts.end())
            continue;
        const auto rate = rates.find(index);
        QString text = base->second;
        if (rate != rates.end()) {
            text += QStringLiteral("  [") + QString::number(rate->second / 1024.0, 'f', 1) +
                    QStringLiteral(" kb/s]");
            if (rate->second > highest) {
                highest = rate->second;
                busiest = i;
            }
        }
        m_oidCombo->setItemText(i, text);
        m_oidCombo->setItemData(i, QVariant(), Qt::FontRole);
    }
    if (busiest >= 0) {
        QFont bold = m_oidCombo->font();
        bold.setBold(true);
        m_oidCombo->setItemData(busiest, bold, Qt::FontRole);
    }
}

void THostConfigForm::ActiveChBClick()
{
    m_activeChB->setText(m_activeChB->isChecked() ? kActiveCaption : kInactiveCaption);
}

void THostConfigForm::LiveSpeedRBClick()
{
    setSpeedControlsEnabled(false);
}

void THostConfigForm::DefaultSpeedRBClick()
{
    setSpeedControlsEnabled(false);
}

void THostConfigForm::BypassSpeedRBClick()
{
    setSpeedControlsEnabled(true);
}
