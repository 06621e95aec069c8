#include "frmHostConfig.h"

#include "ApplicationReport.h"
#include "ControlCharacters.h"
#include "ConvertError.h"
#include "DialogMessages.h"
#include "DialogSizing.h"
#include "IDeviceNetwork.h"
#include "IHostConfigOwner.h"
#include "InterfaceCounters.h"
#include "PaintNow.h"
#include "SensorPollV2c.h"
#include "ShowRouterInfo.h"
#include "SnmpV3Fields.h"
#include "TColorBox.h"
#include "V2cDeviceNetwork.h"
#include "V3DeviceNetwork.h"
#include "WindowFrame.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
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

#include <algorithm>
#include <charconv>

namespace {

const char* const kIfNumberBare = "1.3.6.1.2.1.2.1";
const char* const kIfNumber = "1.3.6.1.2.1.2.1.0";
const char* const kIfEntry = "1.3.6.1.2.1.2.2.1";
const char* const kIfDescr = "1.3.6.1.2.1.2.2.1.2.";
const char* const kIfSpeed = "1.3.6.1.2.1.2.2.1.5.";
const char* const kIfInOctets = "1.3.6.1.2.1.2.2.1.10.";
const char* const kIfOutOctets = "1.3.6.1.2.1.2.2.1.16.";
const char* const kSysName = "1.3.6.1.2.1.1.5.0";
const char* const kSysNameBare = "1.3.6.1.2.1.1.5";

// The version list's items, in the order of the message versions they choose.
const TSnmpVersion kVersions[] = {TSnmpVersion::V1, TSnmpVersion::V2c, TSnmpVersion::V3};
const QSize kDesignSize(504, 494);

const char* const kSpeedItems[] = {
    "128 kbps",   "192 kbps",   "256 kbps",   "384 kbps",   "512 kbps",   "640 kbps",
    "768 kbps",   "1024 kbps",  "2048 kbps",  "4096 kbps",  "8192 kbps",  "10240 kbps",
    "12288 kbps", "16384 kbps", "20480 kbps", "24576 kbps", "32768 kbps", "65536 kbps",
};

const QString kActiveCaption = QStringLiteral("This Graph is Active");
const QString kInactiveCaption = QStringLiteral("This Graph is Inactive");

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

// The number in front of " kbps" in a speed list item.
int64_t speedOfItem(const QString& item)
{
    const int end = item.indexOf(QStringLiteral(" kbps"));
    return item.left(end < 0 ? item.size() : end).toLongLong();
}

// Disables OK and shows the wait cursor for the length of a discovery, and
// gives everything back however the discovery ends. Cancel stays: it ends
// the discovery and the dialog.
class BusyScope
{
public:
    BusyScope(QWidget* ok, bool& busy) : m_ok(ok), m_busy(busy)
    {
        m_busy = true;
        m_ok->setEnabled(false);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~BusyScope()
    {
        m_ok->setEnabled(true);
        QApplication::restoreOverrideCursor();
        m_busy = false;
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    QWidget* m_ok;
    bool& m_busy;
};

// A value that is no number is reported the way any error of a handler is.
void reportConversion(const TConvertError& error)
{
    ApplicationReport::report(QString::fromUtf8(error.what()));
}

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

THostConfigForm::~THostConfigForm() = default;

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

// ---- helpers -------------------------------------------------------------------

std::string THostConfigForm::typed(const QLineEdit* edit) const
{
    return edit->text().toStdString();
}

bool THostConfigForm::readValue(const std::string& oid, std::string& value)
{
    value.clear();
    return reads().readValue(oid, typed(m_readCommunityEdit), typed(m_hostAddressEdit), value);
}

TSnmpVersion THostConfigForm::snmpVersion() const
{
    const int i = m_versionCombo->currentIndex();
    return i >= 0 && i < int(std::size(kVersions)) ? kVersions[i] : TSnmpVersion::V1;
}

bool THostConfigForm::readsInBulk() const
{
    return snmpVersion() != TSnmpVersion::V1;
}

CancellableDeviceNetwork& THostConfigForm::network()
{
    if (!m_network)
        m_network = std::make_unique<CancellableDeviceNetwork>(m_owner.network());
    return *m_network;
}

IDeviceNetwork& THostConfigForm::reads()
{
    if (snmpVersion() == TSnmpVersion::V2c) {
        if (!m_v2cReads)
            m_v2cReads = std::make_unique<V2cDeviceNetwork>(network());
        return *m_v2cReads;
    }
    if (snmpVersion() == TSnmpVersion::V3) {
        // One decorator, and so one engine cache, for the dialog's life.
        if (!m_v3Reads)
            m_v3Reads =
                std::make_unique<V3DeviceNetwork>(network(), [this] { return m_v3Fields->user(); });
        return *m_v3Reads;
    }
    return network();
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

void THostConfigForm::reportFailure()
{
    const std::string failure = reads().lastFailure(typed(m_hostAddressEdit));
    if (!failure.empty())
        DialogMessages::error(qs(failure));
}

std::string THostConfigForm::oidNumOf(const std::string& entry)
{
    // "Interface " is 10 characters; the index runs up to the first " is ".
    const std::size_t is = entry.find(" is ");
    if (is == std::string::npos || is <= 10)
        return {};
    return entry.substr(10, is - 10);
}

std::string THostConfigForm::GetOIDNum() const
{
    if (m_oidCombo->currentIndex() < 0)
        return {};
    return oidNumOf(m_oidCombo->currentText().toStdString());
}

int64_t THostConfigForm::detectedKbps(const std::string& ifSpeedText)
{
    const int32_t signedValue = strToInt32(ifSpeedText);
    return int64_t(static_cast<uint32_t>(signedValue)) / 1000;
}

int64_t THostConfigForm::readDetectedKbps(const std::string& index)
{
    if (readsInBulk()) {
        // ifSpeed stops at 4294967295 bit/s; above that ifHighSpeed tells.
        std::vector<std::optional<std::string>> values;
        reads().readValuesV2c({kIfSpeedPrefix + index, kIfHighSpeedPrefix + index},
                              typed(m_readCommunityEdit), typed(m_hostAddressEdit), values);
        const auto number = [&](std::size_t i) -> std::optional<uint32_t> {
            uint32_t value = 0;
            if (i >= values.size() || !values[i])
                return std::nullopt;
            const std::string& text = *values[i];
            const auto [end, error] =
                std::from_chars(text.data(), text.data() + text.size(), value);
            if (error != std::errc() || end != text.data() + text.size())
                return std::nullopt;
            return value;
        };
        const std::optional<uint32_t> speed = number(0);
        return speed ? detectedSpeedKbps(*speed, number(1)) : 0;
    }
    std::string value;
    readValue(kIfSpeed + index, value);
    return detectedKbps(value);
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

// ---- activation ------------------------------------------------------------------

void THostConfigForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The filling belongs to the first activation only: later activations
    // (after a message box, after switching applications) must not undo
    // what the user typed. It runs once the dialog is on the screen.
    if (!m_activationStarted) {
        m_activationStarted = true;
        QTimer::singleShot(0, this, [this] { FormActivate(); });
    }
}

void THostConfigForm::FormActivate()
{
    m_hints.setEnabled(m_owner.showHints());
    if (m_owner.editMode() == 1) {
        m_hostNameEdit->clear();
        m_hostAddressEdit->setText(QStringLiteral("192.168.1.1"));
        m_hostAddressEdit->selectAll();
        m_hostAddressEdit->setFocus();
        m_readCommunityEdit->setText(QStringLiteral("vandor"));
        m_versionCombo->setCurrentIndex(0);
        m_v3Fields->setDefaults();
        showVersionFields();
        m_downSpeedCombo->setCurrentIndex(0);
        m_upSpeedCombo->setCurrentIndex(0);
        setWindowTitle(QStringLiteral("Travimetra - Add Device / Sensor"));
        m_ulColor->setSelected(255);
        m_dlColor->setSelected(65280);
        m_darkColor->setSelected(0x800000);
        m_lightColor->setSelected(0xFF0000);
        m_pixelCB->setCurrentIndex(0);
        m_activeChB->setChecked(true);
        ActiveChBClick();
        m_lighterLineChB->setChecked(false);
        m_halfSizeChB->setChecked(false);
        m_steadyRatesChB->setChecked(true);
        m_useLighterColorChB->setChecked(false);
        checkSpeedRadio(TSpeedType::Live);
        m_activationDone = true;
        return;
    }

    const std::vector<TSensorConfig>& list = m_owner.sensorList();
    m_entryIndex = m_owner.selectedRow() - 1;
    if (m_entryIndex < 0 || std::size_t(m_entryIndex) >= list.size()) {
        // Nothing to edit: the opener checks this, so only a changed list
        // gets here. Leave without touching anything.
        m_activationDone = true;
        reject();
        return;
    }
    const TSensorConfig entry = list[std::size_t(m_entryIndex)];
    m_activeChB->setChecked(entry.Active);
    ActiveChBClick();
    m_timerChB->setCurrentIndex(std::clamp(storedNumber(entry.TimerToUse), 0, 1));
    const auto version = std::find(std::begin(kVersions), std::end(kVersions), entry.SnmpVersion);
    m_versionCombo->setCurrentIndex(
        version == std::end(kVersions) ? 0 : int(version - std::begin(kVersions)));
    if (entry.SnmpVersion == TSnmpVersion::V3)
        m_v3Fields->setUser(entry.V3);
    else
        m_v3Fields->setDefaults();
    showVersionFields();
    m_swapValuesChB->setChecked(entry.SwapedInOut);
    m_ulColor->setSelected(entry.ULColor);
    m_dlColor->setSelected(entry.DLColor);
    m_darkColor->setSelected(entry.DarkColor);
    m_lightColor->setSelected(entry.LightColor);
    m_useLighterColorChB->setChecked(entry.UseLightColorFor);
    m_hostNameEdit->setText(qs(entry.HostName));
    m_hostAddressEdit->setText(qs(entry.HostIP));
    m_halfSizeChB->setChecked(entry.HalfHeight);
    m_steadyRatesChB->setChecked(entry.SteadyRates);
    m_readCommunityEdit->setText(qs(entry.Community));
    selectSpeedItem(m_downSpeedCombo, entry.DownSpeed);
    selectSpeedItem(m_upSpeedCombo, entry.UpSpeed);
    m_lighterLineChB->setChecked(entry.LighterLine);
    m_pixelCB->setCurrentIndex(std::clamp(entry.GraphPixels - 1, 0, m_pixelCB->count() - 1));
    checkSpeedRadio(entry.SpeedType);

    setWindowTitle(QStringLiteral("Please wait..."));
    PaintNow::paintNow(this);
    if (network().pingRoundTrip(entry.HostIP) == -1) {
        m_oidCombo->clear();
        m_oidCombo->addItem(qs(entry.SensorName));
        m_oidCombo->setCurrentIndex(0);
        showDetectedSpeed(QString::number(entry.DownSpeed));
    } else {
        RefreshBTClick();
    }
    setWindowTitle(QStringLiteral("Travimetra - Edit Device / Sensor"));
    m_activationDone = true;
    closeIfCancelled();
}

// ---- connection and discovery ----------------------------------------------------------

void THostConfigForm::CheckConnectionBTClick()
{
    if (m_busy)
        return;
    if (snmpVersion() == TSnmpVersion::V3) {
        const QString problem = m_v3Fields->problem();
        if (!problem.isEmpty()) {
            DialogMessages::error(problem);
            return;
        }
    }
    m_oidCombo->clear();
    if (ShowRouterInfo(reads(), typed(m_hostAddressEdit), typed(m_readCommunityEdit)))
        RefreshBTClick();
}

void THostConfigForm::RefreshBTClick()
{
    // A discovery processes events while it walks; a second one started from
    // inside it would empty the list under its feet.
    if (m_busy)
        return;
    {
        BusyScope busy(m_okBT, m_busy);
        try {
            discoverInterfaces();
        } catch (const TConvertError& error) {
            reportConversion(error);
        }
    }
    closeIfCancelled();
}

void THostConfigForm::discoverInterfaces()
{
    m_oidCombo->clear();
    m_entryTexts.clear();
    if (readsInBulk())
        listInterfacesV2c();
    else
        listInterfacesV1();
    // The user ended the discovery: nothing more is read or reported.
    if (network().cancelled())
        return;
    if (m_oidCombo->count() == 0)
        reportFailure();

    if (m_oidCombo->count() > 0) {
        int selected = 0;
        if (m_owner.editMode() == 2 && m_entryIndex >= 0 &&
            std::size_t(m_entryIndex) < m_owner.sensorList().size()) {
            const QString wanted =
                qs("Interface " + m_owner.sensorList()[std::size_t(m_entryIndex)].Sensor + " is ");
            for (int i = 0; i < m_oidCombo->count(); ++i) {
                if (m_oidCombo->itemText(i).contains(wanted))
                    selected = i;
            }
        }
        m_oidCombo->setCurrentIndex(selected);
    }

    if (m_owner.editMode() == 1) {
        std::string name;
        if (readValue(kSysName, name)) {
            if (name.empty())
                readValue(kSysNameBare, name);
            if (name.empty())
                name = "Sensor #" + std::to_string(m_owner.gridRowCount());
        }
        m_hostNameEdit->setText(qs(ControlCharacters::replaced(name)));
    }

    OIDComboChange();
    restartRates();
}

void THostConfigForm::listInterfacesV2c()
{
    std::vector<DeviceInterface> interfaces;
    const SnmpWalkEnd end = DeviceInterfaces::discover(
        reads(), typed(m_readCommunityEdit), typed(m_hostAddressEdit), kMaxInterfaces, interfaces);
    for (const DeviceInterface& interface : interfaces) {
        // Names and aliases are the agent's text: no line break or escape
        // travels from the list into the store, the log and the window.
        const QString text =
            qs(ControlCharacters::replaced(DeviceInterfaces::entryText(interface)));
        m_entryTexts[interface.index] = text;
        m_oidCombo->addItem(text);
    }
    // A list cut short is never shown as if it were whole.
    const std::string shortList = DeviceInterfaces::shortListText(end, interfaces.size());
    if (!interfaces.empty() && !shortList.empty())
        DialogMessages::information(qs(shortList));
}

void THostConfigForm::listInterfacesV1()
{
    std::string countText;
    readValue(kIfNumberBare, countText);
    if (countText.empty())
        readValue(kIfNumber, countText);
    if (countText.empty())
        countText = "0";
    // The count only bounds the walk; an agent cannot make it run forever.
    const int count = std::clamp(strToInt32(countText), 0, kMaxInterfaces);

    std::string oid = kIfEntry;
    for (int i = 0; i < count; ++i) {
        std::string index;
        if (network().cancelled())
            break;
        network().readNext(oid, typed(m_readCommunityEdit), typed(m_hostAddressEdit), index);
        std::string description;
        if (!index.empty())
            readValue(kIfDescr + index, description);
        m_oidCombo->addItem(
            qs(ControlCharacters::replaced("Interface " + index + " is " + description)));
        QCoreApplication::processEvents();
    }
}

void THostConfigForm::restartRates()
{
    ++m_ratesGeneration;
    m_lastCounters.reset();
    m_rateTimer->stop();
    if (!readsInBulk() || m_oidCombo->count() == 0)
        return;
    m_rateTimer->start();
    // The first reading at once: the rates show after one period.
    QTimer::singleShot(0, this, [this] { sampleRates(); });
}

void THostConfigForm::sampleRates()
{
    if (!readsInBulk() || !isVisible() || m_busy || m_rateReading || m_entryTexts.empty())
        return;
    m_rateReading = true;
    const int generation = m_ratesGeneration;
    DeviceInterfaces::CounterSnapshot snapshot;
    const bool read = DeviceInterfaces::readCounters(reads(), typed(m_readCommunityEdit),
                                                     typed(m_hostAddressEdit), snapshot);
    const double seconds = m_rateClock.isValid() ? m_rateClock.nsecsElapsed() / 1e9 : 0;
    m_rateReading = false;
    if (m_closing) {
        closeIfCancelled();
        return;
    }
    // A new list (or version) meanwhile: these counters belong to the old one.
    if (!read || generation != m_ratesGeneration)
        return;
    if (m_lastCounters)
        showRates(DeviceInterfaces::rates(*m_lastCounters, snapshot, seconds));
    m_lastCounters = std::move(snapshot);
    m_rateClock.start();
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

void THostConfigForm::FindRouterBTClick()
{
    const std::optional<std::string> gateway = m_owner.network().defaultGateway();
    if (!gateway) {
        DialogMessages::error(
            QStringLiteral("This computer's routing table has no default gateway."));
        return;
    }
    m_hostAddressEdit->setText(qs(*gateway));
}

void THostConfigForm::SnmpVersionChange()
{
    showVersionFields();
    // The list and its rates were read with the other version.
    restartRates();
}

void THostConfigForm::OIDComboChange()
{
    const std::string index = GetOIDNum();
    // An edited entry whose interface was not rediscovered keeps its stored
    // interface, and so its stored speed.
    if (index.empty() && m_owner.editMode() != 1)
        return;
    // Until this interface's speed is read, the caption must not show the
    // speed of the one selected before.
    showDetectedSpeed(QStringLiteral("0"));
    if (index.empty())
        return;
    try {
        showDetectedSpeed(QString::number(readDetectedKbps(index)));
    } catch (const TConvertError& error) {
        reportConversion(error);
    }
}

// ---- reactions ------------------------------------------------------------------------------

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

// ---- OK and Cancel --------------------------------------------------------------------------

void THostConfigForm::OKBTClick()
{
    if (busy())
        return;
    const std::string host = typed(m_hostAddressEdit);
    const std::string community = typed(m_readCommunityEdit);
    const bool v3 = snmpVersion() == TSnmpVersion::V3;
    if (v3) {
        // An SNMPv3 agent is read as a user: no community is asked for.
        const QString problem =
            host.empty() ? QStringLiteral("You cannot add a device with a blank Address !")
                         : m_v3Fields->problem();
        if (!problem.isEmpty()) {
            DialogMessages::error(problem);
            return;
        }
    } else if (host.empty() || community.empty()) {
        DialogMessages::error(
            QStringLiteral("You cannot add a device with blank Address or Read Community !"));
        return;
    }

    std::vector<TSensorConfig>& list = m_owner.sensorList();
    const bool adding = m_owner.editMode() == 1;
    if (!adding && (m_entryIndex < 0 || std::size_t(m_entryIndex) >= list.size()))
        return;

    // No interface chosen (the ping failed and the list shows the stored
    // description, or the agent did not answer the walk): an edited entry
    // keeps the interface it had, and a new one cannot be added without one.
    std::string index = GetOIDNum();
    const bool keepInterface = !adding && index.empty();
    if (keepInterface)
        index = list[std::size_t(m_entryIndex)].Sensor;
    if (adding && index.empty()) {
        DialogMessages::error(QStringLiteral(
            "Select an interface first: press Start Connection and pick one from the list."));
        return;
    }

    int64_t detected = 0;
    if (m_defaultSpeedRB->isChecked()) {
        try {
            detected = readDetectedKbps(index);
        } catch (const TConvertError& error) {
            reportConversion(error);
            return;
        }
        if (detected == 0) {
            DialogMessages::error(
                QStringLiteral("You cannot add a device with a default speed of 0 kbps !"));
            return;
        }
    }

    if (adding) {
        list.emplace_back();
        m_entryIndex = int(list.size()) - 1;
    }
    TSensorConfig& entry = list[std::size_t(m_entryIndex)];
    const std::string name = typed(m_hostNameEdit);
    entry.HostName = name.empty() ? "Sensor #" + std::to_string(m_entryIndex + 1) : name;
    entry.Active = m_activeChB->isChecked();
    entry.ULColor = m_ulColor->selected();
    entry.DLColor = m_dlColor->selected();
    entry.LightColor = m_lightColor->selected();
    entry.DarkColor = m_darkColor->selected();
    entry.UseLightColorFor = m_useLighterColorChB->isChecked();
    entry.HostIP = host;
    entry.Community = community;
    entry.HalfHeight = m_halfSizeChB->isChecked();
    entry.SteadyRates = m_steadyRatesChB->isChecked();
    entry.Sensor = index;
    entry.TimerToUse = static_cast<TTimerToUse>(m_timerChB->currentIndex());
    entry.SnmpVersion = snmpVersion();
    if (v3)
        entry.V3 = m_v3Fields->user();
    entry.SwapedInOut = m_swapValuesChB->isChecked();
    entry.GraphPixels = m_pixelCB->currentIndex() + 1;
    entry.LighterLine = m_lighterLineChB->isChecked();

    if (m_bypassSpeedRB->isChecked()) {
        entry.DownSpeed = speedOfItem(m_downSpeedCombo->currentText());
        entry.UpSpeed = speedOfItem(m_upSpeedCombo->currentText());
        entry.SpeedType = TSpeedType::Bypass;
    } else if (m_defaultSpeedRB->isChecked()) {
        entry.DownSpeed = detected;
        entry.UpSpeed = detected;
        entry.SpeedType = TSpeedType::Detected;
    } else if (m_liveSpeedRB->isChecked()) {
        entry.DownSpeed = 1;
        entry.UpSpeed = 1;
        entry.SpeedType = TSpeedType::Live;
    }

    entry.DownOID = (entry.SwapedInOut ? kIfOutOctets : kIfInOctets) + index;
    entry.UpOID = (entry.SwapedInOut ? kIfInOctets : kIfOutOctets) + index;

    if (!keepInterface) {
        std::string description;
        readValue(kIfDescr + index, description);
        entry.SensorName = description;
    }

    m_owner.UpdateGrid();
    accept();
}

void THostConfigForm::CancelBTClick()
{
    reject();
}

void THostConfigForm::reject()
{
    // Cancel, Escape and the close box end a running discovery first: its
    // waits end at once, and the dialog closes when it has unwound.
    if (busy()) {
        cancelWaiting();
        return;
    }
    QDialog::reject();
}

void THostConfigForm::cancelWaiting()
{
    m_closing = true;
    m_rateTimer->stop();
    network().cancelWaits();
}

void THostConfigForm::closeIfCancelled()
{
    if (m_closing && !busy())
        QDialog::reject();
}

bool THostConfigForm::busy() const
{
    // The activation pings and walks while it processes events: the dialog
    // must not end under it.
    return m_busy || m_rateReading || (m_activationStarted && !m_activationDone);
}

void THostConfigForm::closeEvent(QCloseEvent* event)
{
    if (busy()) {
        event->ignore();
        cancelWaiting();
        return;
    }
    QDialog::closeEvent(event);
}
