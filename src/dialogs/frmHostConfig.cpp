#include "frmHostConfig.h"

#include "ApplicationReport.h"
#include "ControlCharacters.h"
#include "ConvertError.h"
#include "DeviceDiscovery.h"
#include "DeviceInfoBox.h"
#include "DialogMessages.h"
#include "IHostConfigOwner.h"
#include "InterfaceCounters.h"
#include "PaintNow.h"
#include "SensorPollV2c.h"
#include "SnmpV3Fields.h"
#include "TColorBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>

namespace {

// The version list's items, in the order of the message versions they choose.
const TSnmpVersion kVersions[] = {TSnmpVersion::V1, TSnmpVersion::V2c, TSnmpVersion::V3};

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

THostConfigForm::~THostConfigForm() = default;

// ---- helpers -------------------------------------------------------------------

std::string THostConfigForm::typed(const QLineEdit* edit) const
{
    return edit->text().toStdString();
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

DeviceDiscovery& THostConfigForm::discovery()
{
    if (!m_discovery)
        m_discovery = std::make_unique<DeviceDiscovery>(m_owner.network(),
                                                        [this] { return m_v3Fields->user(); });
    return *m_discovery;
}

DeviceAgent THostConfigForm::agent() const
{
    return {typed(m_hostAddressEdit), typed(m_readCommunityEdit), snmpVersion()};
}

void THostConfigForm::reportFailure()
{
    const std::string failure = discovery().lastFailure(agent());
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
    return DeviceDiscovery::kbpsOfSpeedText(ifSpeedText);
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
    if (discovery().pingRoundTrip(entry.HostIP) == -1) {
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
    DeviceInfo info;
    {
        // The wait for the agent is a discovery's too: Cancel ends it and
        // the dialog, and no box follows.
        BusyScope busy(m_okBT, m_busy);
        info = discovery().info(agent());
    }
    if (discovery().cancelled()) {
        closeIfCancelled();
        return;
    }
    showDeviceInfo(info, typed(m_hostAddressEdit));
    if (info.answered)
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
    listInterfaces();
    // The user ended the discovery: nothing more is read or reported.
    if (discovery().cancelled())
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
        const std::optional<std::string> name = discovery().name(agent());
        const std::string shown = name && name->empty()
                                      ? "Sensor #" + std::to_string(m_owner.gridRowCount())
                                      : name.value_or("");
        m_hostNameEdit->setText(qs(ControlCharacters::replaced(shown)));
    }

    OIDComboChange();
    restartRates();
}

void THostConfigForm::listInterfaces()
{
    const DeviceInterfaceList list = discovery().interfaces(agent(), kMaxInterfaces);
    // Names and aliases are the agent's text: no line break or escape
    // travels from the list into the store, the log and the window.
    for (const SteppedInterface& row : list.stepped)
        m_oidCombo->addItem(
            qs(ControlCharacters::replaced("Interface " + row.index + " is " + row.description)));
    for (const DeviceInterface& interface : list.interfaces) {
        const QString text =
            qs(ControlCharacters::replaced(DeviceInterfaces::entryText(interface)));
        m_entryTexts[interface.index] = text;
        m_oidCombo->addItem(text);
    }
    // A list cut short is never shown as if it were whole.
    const std::string shortList = DeviceInterfaces::shortListText(list.end, list.interfaces.size());
    if (!list.interfaces.empty() && !shortList.empty())
        DialogMessages::information(qs(shortList));
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
    const bool read = discovery().readCounters(agent(), snapshot);
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
        showDetectedSpeed(QString::number(discovery().detectedKbps(agent(), index)));
    } catch (const TConvertError& error) {
        reportConversion(error);
    }
}

// ---- reactions ------------------------------------------------------------------------------

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
            detected = discovery().detectedKbps(agent(), index);
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

    entry.DownOID = (entry.SwapedInOut ? kIfOutOctetsPrefix : kIfInOctetsPrefix) + index;
    entry.UpOID = (entry.SwapedInOut ? kIfInOctetsPrefix : kIfOutOctetsPrefix) + index;

    if (!keepInterface)
        entry.SensorName = discovery().description(agent(), index);

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
    discovery().cancel();
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
