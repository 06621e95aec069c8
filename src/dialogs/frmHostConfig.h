#pragma once

#include "DeviceDiscovery.h"
#include "HintSwitch.h"
#include "StoredCodes.h"

#include <QDialog>
#include <QElapsedTimer>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

class IHostConfigOwner;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;
class SnmpV3Fields;
class TColorBox;

// The device and sensor dialog: the agent's address, community and name, the
// interface to monitor (found by walking the agent's interface table), how
// the graph's full scale is chosen, colours and drawing options. It edits the
// owner's working list only.
class THostConfigForm : public QDialog
{
    Q_OBJECT

public:
    explicit THostConfigForm(IHostConfigOwner& owner, QWidget* parent = nullptr);
    ~THostConfigForm() override;

    // Index of the working-list entry being edited, or appended by OK.
    int entryIndex() const { return m_entryIndex; }
    // True once the activation (filling, ping, discovery) has finished.
    bool activationDone() const { return m_activationDone; }
    bool discoveryRunning() const { return m_busy; }

    // The interface index of the selected list entry: the text between
    // "Interface " and the first " is ", or empty.
    std::string GetOIDNum() const;
    static std::string oidNumOf(const std::string& entry);
    // kbit/s of an ifSpeed value. The agent's gauge arrives as a signed
    // 32-bit text; it is an unsigned quantity, so negative texts are taken
    // modulo 2^32. Raises TConvertError for a text that is not a number.
    static int64_t detectedKbps(const std::string& ifSpeedText);

    void FormActivate();
    void CheckConnectionBTClick();
    void RefreshBTClick();
    void OIDComboChange();
    void ActiveChBClick();
    void LiveSpeedRBClick();
    void DefaultSpeedRBClick();
    void BypassSpeedRBClick();
    void OKBTClick();
    void CancelBTClick();
    // Fills the address with the machine's default gateway.
    void FindRouterBTClick();
    void SnmpVersionChange();
    // Reads every interface's counters of an SNMPv2c agent; from the second
    // reading on, each interface's entry shows its current rate and the
    // busiest one is bold. Runs every kRatePeriodMs while the dialog shows.
    void sampleRates();
    static constexpr int kRatePeriodMs = 3000;

    // The most interfaces a walk lists, whatever count the agent reports.
    static constexpr int kMaxInterfaces = 1024;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

public slots:
    void reject() override;

private:
    void createControls();
    bool busy() const;
    void setSpeedControlsEnabled(bool enabled);
    void clearSpeedRadios();
    void checkSpeedRadio(TSpeedType speedType);
    void selectSpeedItem(QComboBox* combo, int64_t speed);
    std::string typed(const QLineEdit* edit) const;
    // The message version chosen: 0 SNMPv1, 1 SNMPv2c, 3 SNMPv3.
    TSnmpVersion snmpVersion() const;
    // SNMPv2c and SNMPv3 agents are listed and read with GetBulk.
    bool readsInBulk() const;
    // What the dialog reads of the agent, through the owner's network as
    // this dialog reaches it: the user can end its waits.
    DeviceDiscovery& discovery();
    // The agent as the fields name it.
    DeviceAgent agent() const;
    // Ends the waits the user no longer wants; the dialog closes as soon as
    // what was waiting has unwound.
    void cancelWaiting();
    void closeIfCancelled();
    // The community for versions 1 and 2c, the user's fields for version 3.
    void showVersionFields();
    // Shows why the last read of the agent failed, when there is more to say
    // than that it did not reply.
    void reportFailure();
    void listInterfaces();
    void restartRates();
    void showRates(const std::map<int32_t, double>& rates);
    void discoverInterfaces();
    void showDetectedSpeed(const QString& kbps);

    IHostConfigOwner& m_owner;
    HintSwitch m_hints;
    int m_entryIndex = 0;
    bool m_activationStarted = false;
    bool m_activationDone = false;
    bool m_busy = false;

    QLineEdit* m_hostAddressEdit = nullptr;
    QLineEdit* m_readCommunityEdit = nullptr;
    QLineEdit* m_hostNameEdit = nullptr;
    QPushButton* m_checkConnectionBT = nullptr;
    QComboBox* m_oidCombo = nullptr;
    QCheckBox* m_swapValuesChB = nullptr;
    QPushButton* m_refreshBT = nullptr;
    QCheckBox* m_activeChB = nullptr;
    TColorBox* m_dlColor = nullptr;
    TColorBox* m_ulColor = nullptr;
    TColorBox* m_darkColor = nullptr;
    TColorBox* m_lightColor = nullptr;
    QComboBox* m_pixelCB = nullptr;
    QRadioButton* m_liveSpeedRB = nullptr;
    QRadioButton* m_defaultSpeedRB = nullptr;
    QRadioButton* m_bypassSpeedRB = nullptr;
    QLabel* m_downSpeedLBL = nullptr;
    QLabel* m_upSpeedLBL = nullptr;
    QComboBox* m_downSpeedCombo = nullptr;
    QComboBox* m_upSpeedCombo = nullptr;
    QCheckBox* m_lighterLineChB = nullptr;
    QCheckBox* m_useLighterColorChB = nullptr;
    QCheckBox* m_halfSizeChB = nullptr;
    QCheckBox* m_steadyRatesChB = nullptr;
    QComboBox* m_timerChB = nullptr;
    QComboBox* m_versionCombo = nullptr;
    QPushButton* m_findRouterBT = nullptr;
    QLabel* m_readCommunityLBL = nullptr;
    SnmpV3Fields* m_v3Fields = nullptr;
    std::unique_ptr<DeviceDiscovery> m_discovery;
    bool m_closing = false;
    // The current rates of the listed interfaces.
    QTimer* m_rateTimer = nullptr;
    bool m_rateReading = false;
    int m_ratesGeneration = 0;
    std::optional<DeviceInterfaces::CounterSnapshot> m_lastCounters;
    QElapsedTimer m_rateClock;
    std::map<int32_t, QString> m_entryTexts; // entry text without the rate, by interface
    QPushButton* m_okBT = nullptr;
    QPushButton* m_cancelBT = nullptr;
};
