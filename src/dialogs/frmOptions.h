#pragma once

#include "HintSwitch.h"
#include "IDeviceNetwork.h"
#include "IHostConfigOwner.h"
#include "OptionsWorkingCopy.h"
#include "TSensorConfig.h"
#include "UsageSettings.h"

#include <QDialog>
#include <QPointer>

#include <memory>
#include <string>
#include <vector>

class IOptionsHost;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QTabWidget;
class QTableWidget;
class TColorBox;
class THostConfigForm;
class TMetricsOptionsPage;
class TUsageOptionsPage;

// The options dialog: the sensor list and every global setting. It works on
// copies; only the opacity slider reaches the main window before OK, which
// writes everything back, rebuilds the window and saves.
class TOptionsForm : public QDialog, public IHostConfigOwner
{
    Q_OBJECT

    // Before the list below, which refers to it.
    OptionsWorkingCopy m_work;

public:
    // network: what the device dialog talks to; the real agents when empty.
    explicit TOptionsForm(IOptionsHost& host, std::shared_ptr<IDeviceNetwork> network = {},
                          QWidget* parent = nullptr);
    ~TOptionsForm() override;

    // The working list (the working copy's sensors) and state.
    std::vector<TSensorConfig>& SensorList = m_work.sensors();
    int EditMode = 0;
    int SavedScaleSize = 0;
    int SavedAlpha = 0;
    std::string WorkLogFile;
    std::string WorkLogFolder;

    // IHostConfigOwner
    std::vector<TSensorConfig>& sensorList() override { return SensorList; }
    int editMode() const override { return EditMode; }
    // Rows as the grid counts them: row 0 is the header, row r shows entry r - 1.
    int selectedRow() const override;
    int gridRowCount() const override;
    void UpdateGrid() override;
    bool showHints() const override;
    IDeviceNetwork& network() override { return *m_network; }

    void selectRow(int row);
    // True when at least one row's "Status" cell is exactly "ON".
    bool CheckActive() const;
    // Exchange or remove entries; an index outside the list raises
    // std::out_of_range.
    static void SwapSensorEntries(std::vector<TSensorConfig>& list, int i, int j);
    static void DeleteSensorEntry(std::vector<TSensorConfig>& list, int i);

    // The usage page: the rate unit and each sensor's period and quota,
    // kept beside the working list by index through adds, deletes and moves.
    TUsageOptionsPage* usagePage() const { return m_usagePage; }
    TMetricsOptionsPage* metricsPage() const { return m_metricsPage; }

    // The open device dialog, if any.
    THostConfigForm* hostConfigForm() const { return m_hostConfig; }

    // Handlers.
    void AddBTClick();
    void EditBTClick();
    void DeleteBTClick();
    void UpBTClick();
    void DownBTClick();
    void SelectFilenameBTClick();
    void SelectFolderBTClick();
    void OKBTClick();
    void CancelBTClick();
    void LatencyChBClick();
    void ShowXChBClick();
    void HintsChBClick();
    void LoggingChBClick();
    void OneFileRBClick();
    void ManyFilesRBClick();
    void SyslogRBClick();

    // The texts of the save dialog of the log file chooser.
    static const char* const kSaveDialogTitle;
    static const char* const kSaveDialogFilter;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Shares the grid's width out among its four columns.
    void fitGridColumns();
    void createControls();
    QWidget* createSensorsPage();
    QWidget* createExtraPage();
    QWidget* createLoggingPage();
    QWidget* createInterfacePage();
    void loadSettings();
    void openHostConfig(int mode);
    void showLogFile();
    void showLogFolder();
    void checkLogType(TLogType logType);
    // The usage page's edits into the working usage settings, and back.
    void takeUsagePage();
    void showUsagePage();

    IOptionsHost& m_host;
    std::shared_ptr<IDeviceNetwork> m_network;
    HintSwitch m_hints;
    bool m_loaded = false;
    bool m_centred = false;
    QPointer<THostConfigForm> m_hostConfig;

    QTabWidget* m_pageControl = nullptr;
    QTableWidget* m_interfaceGrid = nullptr;
    QPushButton* m_addBT = nullptr;
    QPushButton* m_editBT = nullptr;
    QPushButton* m_deleteBT = nullptr;
    QPushButton* m_upBT = nullptr;
    QPushButton* m_downBT = nullptr;
    QSlider* m_secondsTrBar = nullptr;
    QLabel* m_secondsLBL = nullptr;
    QCheckBox* m_pingChB = nullptr;

    QCheckBox* m_latencyChB = nullptr;
    QLabel* m_pingLBL = nullptr;
    QLineEdit* m_latencyHostEdit = nullptr;
    QLabel* m_everyLBL = nullptr;
    QSlider* m_latencySecBar = nullptr;
    QLabel* m_latencySecLBL = nullptr;

    QCheckBox* m_loggingChB = nullptr;
    QRadioButton* m_oneFileRB = nullptr;
    QLabel* m_logFilenameLBL = nullptr;
    QPushButton* m_selectFilenameBT = nullptr;
    QRadioButton* m_manyFilesRB = nullptr;
    QLabel* m_logFolderLBL = nullptr;
    QPushButton* m_selectFolderBT = nullptr;
    QRadioButton* m_syslogRB = nullptr;
    QLineEdit* m_sysLogEdit = nullptr;
    QLabel* m_refreshLogsLBL = nullptr;
    QSlider* m_logTrBar = nullptr;
    QLabel* m_logTimeLBL = nullptr;
    QComboBox* m_secMinCB = nullptr;

    QCheckBox* m_showExInfoChB = nullptr;
    QCheckBox* m_hintsChB = nullptr;
    QCheckBox* m_showXChB = nullptr;
    QLabel* m_pressXLBL = nullptr;
    QComboBox* m_xActionCB = nullptr;
    QCheckBox* m_autoStartChB = nullptr;
    QCheckBox* m_startMinimizedChB = nullptr;
    QSlider* m_opacityTrBar = nullptr;
    QLabel* m_opacityLBL = nullptr;
    QSlider* m_sizeTrBar = nullptr;
    QLabel* m_sizeLBL = nullptr;
    TColorBox* m_backColor = nullptr;

    TUsageOptionsPage* m_usagePage = nullptr;
    TMetricsOptionsPage* m_metricsPage = nullptr;

    QPushButton* m_okBT = nullptr;
    QPushButton* m_cancelBT = nullptr;
};
