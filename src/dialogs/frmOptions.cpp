#include "frmOptions.h"

#include "ApplicationReport.h"
#include "DialogChoosers.h"
#include "DialogMessages.h"
#include "DialogSizing.h"
#include "IOptionsHost.h"
#include "PlainText.h"
#include "TColorBox.h"
#include "TMetricsOptionsPage.h"
#include "TUsageOptionsPage.h"
#include "WindowFrame.h"
#include "frmHostConfig.h"
#include "srcGeneral.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <stdexcept>

const char* const TOptionsForm::kSaveDialogTitle =
    "Select a filename for the log. Every sensor's data will be saved in this file.";
const char* const TOptionsForm::kSaveDialogFilter =
    "Travimetra Log Files [*.log] (*.log);;All Files [*.*] (*)";

namespace {

constexpr int kPathLabelLength = 70;

// The usage entries move with the sensor entries they belong to.
void swapUsageEntries(TUsageSettings& usage, int i, int j)
{
    if (i >= 0 && j >= 0 && std::size_t(i) < usage.Sensors.size() &&
        std::size_t(j) < usage.Sensors.size())
        std::swap(usage.Sensors[std::size_t(i)], usage.Sensors[std::size_t(j)]);
}
const QString kPollHint = QStringLiteral("Set the interval between the SNMP polls.");

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

QSlider* slider(QWidget* parent, const char* name, int minimum, int maximum, int page, int tick,
                int value)
{
    auto* s = new QSlider(Qt::Horizontal, parent);
    s->setObjectName(QString::fromLatin1(name));
    s->setRange(minimum, maximum);
    s->setPageStep(page);
    if (tick > 0) {
        s->setTickInterval(tick);
        s->setTickPosition(QSlider::TicksBelow);
    }
    s->setValue(value);
    return s;
}

QLabel* label(QWidget* parent, const char* name, const QString& text)
{
    // Some show log paths from the store.
    auto* l = PlainText::label(new QLabel(text, parent));
    if (name)
        l->setObjectName(QString::fromLatin1(name));
    return l;
}

template <typename T> T* named(T* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

TOptionsForm::TOptionsForm(IOptionsHost& host, std::shared_ptr<IDeviceNetwork> network,
                           QWidget* parent)
    : QDialog(parent), m_host(host),
      m_network(network ? std::move(network) : defaultDeviceNetwork())
{
    setObjectName(QStringLiteral("OptionsForm"));
    setWindowTitle(QStringLiteral("Travimetra Options"));
    WindowFrame::makeFixedDialog(this, true);
    createControls();
    DialogSizing::fixSize(this, QSize(502, 384));
}

TOptionsForm::~TOptionsForm() = default;

// ---- creation ---------------------------------------------------------------------

void TOptionsForm::createControls()
{
    auto* root = new QVBoxLayout(this);
    m_pageControl = named(new QTabWidget(this), "PageControl");
    m_pageControl->addTab(createSensorsPage(), QStringLiteral("SNMP Sensors"));
    m_pageControl->addTab(createExtraPage(), QStringLiteral("Extra Sensors"));
    m_pageControl->addTab(createLoggingPage(), QStringLiteral("Logging"));
    m_pageControl->addTab(createInterfacePage(), QStringLiteral("User Interface"));
    m_usagePage = named(new TUsageOptionsPage(this), "UsagePage");
    QWidget* usageTab = m_usagePage;
    // The figures served to a scraper sit under the usage settings: a tab of
    // their own would no longer fit the dialog's width.
    if (m_host.metricsSettings()) {
        usageTab = new QWidget(this);
        auto* column = new QVBoxLayout(usageTab);
        column->setContentsMargins(0, 0, 0, 0);
        column->addWidget(m_usagePage, 1);
        m_metricsPage = named(new TMetricsOptionsPage(usageTab), "MetricsPage");
        column->addWidget(m_metricsPage);
    }
    m_pageControl->addTab(usageTab, QStringLiteral("Usage"));
    root->addWidget(m_pageControl);

    auto* buttons = new QHBoxLayout;
    m_okBT = named(new QPushButton(QStringLiteral("OK"), this), "OKBT");
    m_cancelBT = named(new QPushButton(QStringLiteral("Cancel"), this), "CancelBT");
    m_okBT->setAutoDefault(false);
    m_cancelBT->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(m_okBT);
    buttons->addWidget(m_cancelBT);
    root->addLayout(buttons);
    m_hints.add(m_okBT, QStringLiteral("Accept the values."));
    m_hints.add(m_cancelBT,
                QStringLiteral("Cancel all the chenges you made. Nothing will be saved."));
    connect(m_okBT, &QPushButton::clicked, this, [this] { OKBTClick(); });
    connect(m_cancelBT, &QPushButton::clicked, this, [this] { CancelBTClick(); });
}

QWidget* TOptionsForm::createSensorsPage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* group = new QGroupBox(QStringLiteral(" List of interfaces to monitor "), page);
    auto* groupLayout = new QVBoxLayout(group);

    m_interfaceGrid = named(new QTableWidget(1, 4, group), "InterfaceGrid");
    m_interfaceGrid->setHorizontalHeaderLabels(
        {QStringLiteral("Device Name / Alias"), QStringLiteral("Address"),
         QStringLiteral("Interface"), QStringLiteral("Status")});
    const int widths[] = {145, 90, 170, 35};
    for (int c = 0; c < 4; ++c)
        m_interfaceGrid->setColumnWidth(c, widths[c]);
    m_interfaceGrid->verticalHeader()->hide();
    m_interfaceGrid->verticalHeader()->setDefaultSectionSize(20);
    m_interfaceGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_interfaceGrid->setShowGrid(true);
    m_interfaceGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_interfaceGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_interfaceGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Whole rows are selected, so walking cells with Tab shows nothing: Tab
    // goes on to the buttons, as in the rest of the dialog.
    m_interfaceGrid->setTabKeyNavigation(false);
    m_interfaceGrid->setCurrentCell(0, 0);
    groupLayout->addWidget(m_interfaceGrid);
    m_hints.add(m_interfaceGrid, QStringLiteral("Select sensor to manage."));
    m_interfaceGrid->viewport()->installEventFilter(this);

    auto* buttons = new QHBoxLayout;
    m_addBT = named(new QPushButton(QStringLiteral("Add"), group), "AddBT");
    m_editBT = named(new QPushButton(QStringLiteral("Edit"), group), "EditBT");
    m_deleteBT = named(new QPushButton(QStringLiteral("Delete"), group), "DeleteBT");
    m_upBT = named(new QPushButton(QStringLiteral("Move Up"), group), "UpBT");
    m_downBT = named(new QPushButton(QStringLiteral("Move Down"), group), "DownBT");
    for (QPushButton* b : {m_addBT, m_editBT, m_deleteBT, m_upBT, m_downBT}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    groupLayout->addLayout(buttons);
    m_hints.add(m_addBT, QStringLiteral("Add a new sensor."));
    m_hints.add(m_editBT, QStringLiteral("Edit the selected sensor."));
    m_hints.add(m_deleteBT, QStringLiteral("Delete the selected sensor."));
    m_hints.add(m_upBT, QStringLiteral("Move up the selected sensor."));
    m_hints.add(m_downBT, QStringLiteral("Move down the selectedsensor."));
    layout->addWidget(group);

    m_secondsTrBar = slider(page, "SecondsTrBar", 1, 30, 10, 0, 5);
    m_secondsLBL = label(page, "SecondsLBL", QString());
    m_pingChB =
        named(new QCheckBox(QStringLiteral("Ping before every SNMP poll"), page), "PingChB");
    layout->addWidget(m_secondsLBL);
    layout->addWidget(m_secondsTrBar);
    layout->addWidget(m_pingChB);
    m_hints.add(m_secondsTrBar, QStringLiteral("Set the interval between the SNMP polls."));
    m_hints.add(m_pingChB, QStringLiteral("Remember to enable ICMP packets on your Firewall."));

    const auto secondsChanged = [this](int n) {
        m_secondsLBL->setText(QStringLiteral("Monitor activity every ") + QString::number(n) +
                              QStringLiteral(" seconds."));
    };
    secondsChanged(m_secondsTrBar->value());
    connect(m_secondsTrBar, &QSlider::valueChanged, this, secondsChanged);
    connect(m_addBT, &QPushButton::clicked, this, [this] { AddBTClick(); });
    connect(m_editBT, &QPushButton::clicked, this, [this] { EditBTClick(); });
    connect(m_deleteBT, &QPushButton::clicked, this, [this] { DeleteBTClick(); });
    connect(m_upBT, &QPushButton::clicked, this, [this] { UpBTClick(); });
    connect(m_downBT, &QPushButton::clicked, this, [this] { DownBTClick(); });
    connect(m_interfaceGrid, &QTableWidget::cellDoubleClicked, this, [this] { EditBTClick(); });
    return page;
}

QWidget* TOptionsForm::createExtraPage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* group = new QGroupBox(QStringLiteral(" Latency Sensor"), page);
    auto* grid = new QGridLayout(group);
    m_latencyChB =
        named(new QCheckBox(QStringLiteral("Enable Latency Sensor"), group), "LatencyChB");
    m_pingLBL = label(group, "PingLBL", QStringLiteral("Ping"));
    m_latencyHostEdit = named(new QLineEdit(group), "LatencyHostEdit");
    m_everyLBL = label(group, "EveryLBL", QStringLiteral("every"));
    m_latencySecBar = slider(group, "LatencySecBar", 1, 60, 10, 5, 30);
    m_latencySecLBL = label(group, "LatencySecLBL", QStringLiteral("30 sec"));
    grid->addWidget(m_latencyChB, 0, 0, 1, 3);
    grid->addWidget(m_pingLBL, 1, 0);
    grid->addWidget(m_latencyHostEdit, 1, 1, 1, 2);
    grid->addWidget(m_everyLBL, 2, 0);
    grid->addWidget(m_latencySecBar, 2, 1);
    grid->addWidget(m_latencySecLBL, 2, 2);
    m_hints.add(m_latencySecBar, kPollHint);
    layout->addWidget(group);
    layout->addStretch();

    connect(m_latencySecBar, &QSlider::valueChanged, this, [this](int n) {
        m_latencySecLBL->setText(QString::number(n) + QStringLiteral(" sec"));
    });
    connect(m_latencyChB, &QCheckBox::clicked, this, [this] { LatencyChBClick(); });
    return page;
}

QWidget* TOptionsForm::createLoggingPage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* group = new QGroupBox(QStringLiteral(" Logging Options "), page);
    auto* grid = new QGridLayout(group);
    m_loggingChB = named(new QCheckBox(QStringLiteral("Enable Logging"), group), "LoggingChB");
    m_oneFileRB =
        named(new QRadioButton(QStringLiteral("Store all sensors' data in one file:"), group),
              "OneFileRB");
    m_oneFileRB->setChecked(true);
    m_logFilenameLBL = label(group, "LogFilenameLBL", QStringLiteral("[ N / A ]"));
    // Navy while in use; a switched-off path keeps the greyed look of every
    // other disabled control.
    QPalette navy = m_logFilenameLBL->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive})
        navy.setColor(group, QPalette::WindowText, QColor(0, 0, 0x80));
    m_logFilenameLBL->setPalette(navy);
    m_selectFilenameBT = named(new QPushButton(QStringLiteral("..."), group), "SelectFilenameBT");
    m_manyFilesRB = named(
        new QRadioButton(QStringLiteral("Store every sensor's data in a seperate file:"), group),
        "ManyFilesRB");
    m_logFolderLBL = label(group, "LogFolderLBL", QStringLiteral("[ N / A ]"));
    m_logFolderLBL->setPalette(navy);
    m_selectFolderBT = named(new QPushButton(QStringLiteral("..."), group), "SelectFolderBT");
    m_syslogRB =
        named(new QRadioButton(QStringLiteral("Send data to a SYSLOG server:"), group), "SyslogRB");
    m_sysLogEdit = named(new QLineEdit(group), "SysLogEdit");
    m_refreshLogsLBL = label(group, "RefreshLogsLBL", QStringLiteral("Refresh logs every:"));
    m_logTrBar = slider(group, "LogTrBar", 1, 60, 10, 2, 30);
    m_logTimeLBL = label(group, "LogTimeLBL", QStringLiteral("30"));
    m_secMinCB = named(new QComboBox(group), "SecMinCB");
    m_secMinCB->addItems({QStringLiteral("second(s)"), QStringLiteral("minute(s)")});
    for (QPushButton* b : {m_selectFilenameBT, m_selectFolderBT}) {
        b->setAutoDefault(false);
        b->setFixedWidth(30);
    }

    grid->addWidget(m_loggingChB, 0, 0, 1, 4);
    grid->addWidget(m_oneFileRB, 1, 0, 1, 4);
    grid->addWidget(m_logFilenameLBL, 2, 0, 1, 3);
    grid->addWidget(m_selectFilenameBT, 2, 3);
    grid->addWidget(m_manyFilesRB, 3, 0, 1, 4);
    grid->addWidget(m_logFolderLBL, 4, 0, 1, 3);
    grid->addWidget(m_selectFolderBT, 4, 3);
    grid->addWidget(m_syslogRB, 5, 0, 1, 2);
    grid->addWidget(m_sysLogEdit, 5, 2, 1, 2);
    grid->addWidget(m_refreshLogsLBL, 6, 0);
    grid->addWidget(m_logTrBar, 6, 1);
    grid->addWidget(m_logTimeLBL, 6, 2);
    grid->addWidget(m_secMinCB, 6, 3);
    grid->setColumnStretch(1, 1);
    m_hints.add(m_logTrBar, kPollHint);
    layout->addWidget(group);
    layout->addStretch();

    connect(m_logTrBar, &QSlider::valueChanged, this,
            [this](int n) { m_logTimeLBL->setText(QString::number(n)); });
    connect(m_loggingChB, &QCheckBox::clicked, this, [this] { LoggingChBClick(); });
    connect(m_oneFileRB, &QRadioButton::clicked, this, [this] { OneFileRBClick(); });
    connect(m_manyFilesRB, &QRadioButton::clicked, this, [this] { ManyFilesRBClick(); });
    connect(m_syslogRB, &QRadioButton::clicked, this, [this] { SyslogRBClick(); });
    connect(m_selectFilenameBT, &QPushButton::clicked, this, [this] { SelectFilenameBTClick(); });
    connect(m_selectFolderBT, &QPushButton::clicked, this, [this] { SelectFolderBTClick(); });
    return page;
}

QWidget* TOptionsForm::createInterfacePage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* group = new QGroupBox(QStringLiteral("Application / Window Options"), page);
    auto* grid = new QGridLayout(group);
    m_showExInfoChB =
        named(new QCheckBox(QStringLiteral("Show extended information after title"), group),
              "ShowExInfoChB");
    m_hintsChB = named(new QCheckBox(QStringLiteral("Enable Hints"), group), "HintsChB");
    m_showXChB = named(new QCheckBox(QStringLiteral("Show \"X\" button"), group), "ShowXChB");
    m_pressXLBL = label(group, "PressXLBL", QStringLiteral("Press \"X\" to"));
    m_xActionCB = named(new QComboBox(group), "XActionCB");
    m_xActionCB->addItems(
        {QStringLiteral("minimize to tray"), QStringLiteral("terminate application")});
    m_autoStartChB = named(new QCheckBox(QStringLiteral("Automatically start with Windows"), group),
                           "AutoStartChB");
    m_startMinimizedChB =
        named(new QCheckBox(QStringLiteral("Start minimized"), group), "StartMinimizedChB");
    m_opacityTrBar = slider(group, "OpacityTrBar", 25, 255, 10, 10, 255);
    m_opacityLBL = label(group, "OpacityLBL", QStringLiteral("Window Opacity is set to 255"));
    m_sizeTrBar = slider(group, "SizeTrBar", 50, 500, 5, 10, 100);
    m_sizeLBL = label(group, "SizeLBL", QStringLiteral("Window Size (100%)"));
    m_backColor = named(new TColorBox(group), "BackColor");

    grid->addWidget(m_showExInfoChB, 0, 0, 1, 2);
    grid->addWidget(m_hintsChB, 1, 0, 1, 2);
    grid->addWidget(m_showXChB, 2, 0);
    auto* xRow = new QHBoxLayout;
    xRow->addWidget(m_pressXLBL);
    xRow->addWidget(m_xActionCB);
    grid->addLayout(xRow, 2, 1);
    grid->addWidget(m_autoStartChB, 3, 0, 1, 2);
    grid->addWidget(m_startMinimizedChB, 4, 0, 1, 2);
    grid->addWidget(m_opacityLBL, 5, 0, 1, 2);
    grid->addWidget(m_opacityTrBar, 6, 0, 1, 2);
    grid->addWidget(m_sizeLBL, 7, 0, 1, 2);
    grid->addWidget(m_sizeTrBar, 8, 0, 1, 2);
    grid->addWidget(label(group, nullptr, QStringLiteral("Background Color")), 9, 0);
    grid->addWidget(m_backColor, 9, 1);
    layout->addWidget(group);
    layout->addStretch();

    m_hints.add(m_showExInfoChB, QStringLiteral("Enable to show information of the sensor in the "
                                                "\"Title Label\" of each graph."));
    m_hints.add(m_showXChB, QStringLiteral("Enable to make the \"X\" button visible. The select "
                                           "how it should act when pressed."));
    m_hints.add(m_xActionCB,
                QStringLiteral("Select how the \"X\" button should act when pressed."));
    m_hints.add(m_autoStartChB, QStringLiteral("Startup with Windows."));
    m_hints.add(m_startMinimizedChB, QStringLiteral("Start minimized in the tray."));
    m_hints.add(m_opacityTrBar, QStringLiteral("Set the opacity (Alpha) of the main window."));
    m_hints.add(m_sizeTrBar, QStringLiteral("Set the size of the main window."));
    m_hints.add(m_backColor, QStringLiteral("Set the background color of all graphs."));

    connect(m_opacityTrBar, &QSlider::valueChanged, this, [this](int n) {
        m_opacityLBL->setText(QStringLiteral("Window Opacity is set to ") + QString::number(n));
        m_host.setAlphaBlendValue(n);
    });
    connect(m_sizeTrBar, &QSlider::valueChanged, this, [this](int n) {
        m_sizeLBL->setText(QStringLiteral("Window Size (") + QString::number(n) +
                           QStringLiteral("%)"));
    });
    connect(m_showXChB, &QCheckBox::clicked, this, [this] { ShowXChBClick(); });
    connect(m_hintsChB, &QCheckBox::clicked, this, [this] { HintsChBClick(); });
    return page;
}

// ---- loading ----------------------------------------------------------------------------

void TOptionsForm::showEvent(QShowEvent* event)
{
    // Coming back from the device dialog must not reload: its changes live
    // in the working list.
    if (!m_loaded) {
        m_loaded = true;
        loadSettings();
    }
    QDialog::showEvent(event);
    if (!m_centred) {
        // Centred on the screen, not on the small main window that owns it.
        m_centred = true;
        if (QScreen* screen = this->screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
}

void TOptionsForm::checkLogType(TLogType logType)
{
    switch (logType) {
    case TLogType::OneFile:
        m_oneFileRB->setChecked(true);
        OneFileRBClick();
        break;
    case TLogType::FilePerSensor:
        m_manyFilesRB->setChecked(true);
        ManyFilesRBClick();
        break;
    case TLogType::Syslog:
        m_syslogRB->setChecked(true);
        SyslogRBClick();
        break;
    default:
        break;
    }
}

void TOptionsForm::showLogFile()
{
    m_logFilenameLBL->setText(qs(ShortenPath(WorkLogFile, kPathLabelLength)));
    m_hints.add(m_logFilenameLBL, PlainText::toolTip(qs(WorkLogFile)));
}

void TOptionsForm::showLogFolder()
{
    m_logFolderLBL->setText(qs(ShortenPath(WorkLogFolder, kPathLabelLength)));
    m_hints.add(m_logFolderLBL, PlainText::toolTip(qs(WorkLogFolder)));
}

void TOptionsForm::loadSettings()
{
    const TMonitorSettings& s = m_host.settings();
    checkLogType(s.LogType);

    m_latencyChB->setChecked(s.LatencySensor);
    m_latencyHostEdit->setText(qs(s.LatencyHost));
    const int latencySeconds = m_host.latencyInterval() / 1000;
    m_latencySecBar->setValue(latencySeconds);
    m_latencySecLBL->setText(QString::number(latencySeconds) + QStringLiteral(" sec"));
    LatencyChBClick();

    m_loggingChB->setChecked(s.EnableLog);
    WorkLogFile = s.LogFile;
    WorkLogFolder = s.LogFolder;
    showLogFile();
    showLogFolder();

    m_logTrBar->setValue(s.LogTime);
    m_secMinCB->setCurrentIndex(std::clamp(storedNumber(s.LogSecMinType), 0, 1));
    m_logTimeLBL->setText(QString::number(m_logTrBar->value()));
    m_sysLogEdit->setText(qs(s.SysLogServer));

    m_usageWork = m_host.usageSettings();
    if (TMetricsSettings* metrics = m_host.metricsSettings(); metrics && m_metricsPage)
        m_metricsPage->setSettings(*metrics);
    SensorList.resize(s.Sensors.size());
    m_startMinimizedChB->setChecked(s.StartMinimized);
    m_autoStartChB->setChecked(s.AutoStart);
    m_xActionCB->setCurrentIndex(std::clamp(storedNumber(s.XAction), 0, 1));
    m_showXChB->setChecked(s.ShowX);
    ShowXChBClick();

    for (std::size_t i = 0; i < s.Sensors.size(); ++i)
        SensorList[i] = TSensorConfig::fromRecord(s.Sensors[i]);
    UpdateGrid();

    m_backColor->setSelected(s.BackColor);
    m_showExInfoChB->setChecked(s.ShowExtendedInfo);
    m_secondsTrBar->setValue(s.Interval);

    SavedScaleSize = s.ScaleSize;
    m_sizeTrBar->setValue(s.ScaleSize);
    m_sizeLBL->setText(QStringLiteral("Window Size (") + QString::number(m_sizeTrBar->value()) +
                       QStringLiteral("%)"));

    SavedAlpha = m_host.alphaBlendValue();
    {
        // The reaction runs whether or not the slider moved.
        const QSignalBlocker block(m_opacityTrBar);
        m_opacityTrBar->setValue(SavedAlpha);
    }
    const int opacity = m_opacityTrBar->value();
    m_opacityLBL->setText(QStringLiteral("Window Opacity is set to ") + QString::number(opacity));
    m_host.setAlphaBlendValue(opacity);

    m_hintsChB->setChecked(s.ShowHints);
    HintsChBClick();
    m_pingChB->setChecked(s.DoPing);
    LoggingChBClick();
    setWindowTitle(QStringLiteral("Travimetra Options"));
}

// ---- the grid -------------------------------------------------------------------------

int TOptionsForm::selectedRow() const
{
    return m_interfaceGrid->currentRow() + 1;
}

int TOptionsForm::gridRowCount() const
{
    return m_interfaceGrid->rowCount() + 1;
}

void TOptionsForm::selectRow(int row)
{
    if (row >= 1 && row < gridRowCount())
        m_interfaceGrid->setCurrentCell(row - 1, 0);
}

bool TOptionsForm::showHints() const
{
    return m_host.settings().ShowHints;
}

void TOptionsForm::UpdateGrid()
{
    const int remembered = selectedRow();
    const auto cell = [](const std::string& text) { return new QTableWidgetItem(qs(text)); };
    for (std::size_t i = 0; i < SensorList.size(); ++i) {
        const TSensorConfig& entry = SensorList[i];
        m_interfaceGrid->setRowCount(int(i) + 1);
        const int row = int(i);
        m_interfaceGrid->setItem(row, 0, cell(entry.HostName));
        m_interfaceGrid->setItem(row, 1, cell(entry.HostIP));
        m_interfaceGrid->setItem(row, 2, cell(entry.SensorName));
        m_interfaceGrid->setItem(row, 3, cell(entry.Active ? "ON" : "OFF"));
    }
    if (remembered >= 1 && remembered < gridRowCount())
        selectRow(remembered);
    else if (remembered >= gridRowCount() && gridRowCount() > 1)
        // The last row was deleted: the new last row takes the selection, so
        // a second Delete removes the row the user sees selected.
        selectRow(gridRowCount() - 1);
    else if (m_interfaceGrid->currentRow() < 0 && m_interfaceGrid->rowCount() > 0)
        selectRow(gridRowCount() - 1);
    showUsagePage();
}

void TOptionsForm::takeUsagePage()
{
    m_usageWork = m_usagePage->settings();
}

void TOptionsForm::showUsagePage()
{
    // An entry the device dialog added gets the defaults.
    m_usageWork.Sensors.resize(SensorList.size());
    std::vector<std::string> names;
    for (const TSensorConfig& entry : SensorList)
        names.push_back(entry.HostName + " / " + entry.SensorName);
    m_usagePage->setSettings(m_usageWork, names);
}

bool TOptionsForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_interfaceGrid->viewport() && event->type() == QEvent::Resize)
        fitGridColumns();
    return QDialog::eventFilter(watched, event);
}

void TOptionsForm::fitGridColumns()
{
    // The four design widths (145, 90, 170, 35) are wider than the grid's
    // room in this dialog: shared out in the same proportions every column
    // is seen without a horizontal scroll bar, and the status column keeps
    // room for its heading.
    const int room = m_interfaceGrid->viewport()->width();
    QHeaderView* header = m_interfaceGrid->horizontalHeader();
    const int status = std::max(35, header->sectionSizeHint(3));
    const int rest = room - status;
    if (rest < 3 * 20)
        return;
    const int design[] = {145, 90, 170};
    const int total = design[0] + design[1] + design[2];
    int used = 0;
    for (int c = 0; c < 2; ++c) {
        const int width = rest * design[c] / total;
        m_interfaceGrid->setColumnWidth(c, width);
        used += width;
    }
    m_interfaceGrid->setColumnWidth(2, rest - used);
    m_interfaceGrid->setColumnWidth(3, status);
}

bool TOptionsForm::CheckActive() const
{
    for (int row = 0; row < m_interfaceGrid->rowCount(); ++row) {
        const QTableWidgetItem* status = m_interfaceGrid->item(row, 3);
        if (status && status->text() == QStringLiteral("ON"))
            return true;
    }
    return false;
}

void TOptionsForm::SwapSensorEntries(std::vector<TSensorConfig>& list, int i, int j)
{
    if (i < 0 || j < 0 || std::size_t(i) >= list.size() || std::size_t(j) >= list.size())
        throw std::out_of_range("frmOptions: sensor entry index out of range");
    const TSensorConfig temporary = list[std::size_t(i)];
    list[std::size_t(i)] = list[std::size_t(j)];
    list[std::size_t(j)] = temporary;
}

void TOptionsForm::DeleteSensorEntry(std::vector<TSensorConfig>& list, int i)
{
    if (list.empty())
        throw std::out_of_range("frmOptions: deleting from an empty sensor list");
    if (i < 0 || std::size_t(i) >= list.size())
        throw std::out_of_range("frmOptions: sensor entry index out of range");
    list.erase(list.begin() + i);
}

// ---- the sensor buttons ----------------------------------------------------------------

void TOptionsForm::openHostConfig(int mode)
{
    if (m_hostConfig)
        return;
    // There is nothing to edit without a selected entry.
    if (mode == 2 && (selectedRow() < 1 || std::size_t(selectedRow() - 1) >= SensorList.size()))
        return;
    EditMode = mode;
    // The page is shown again from the working values once the list changed.
    takeUsagePage();
    auto form = std::make_unique<THostConfigForm>(*this, this);
    m_hostConfig = form.get();
    form->exec();
    form.reset();
    m_hostConfig = nullptr;
}

void TOptionsForm::AddBTClick()
{
    openHostConfig(1);
}

void TOptionsForm::EditBTClick()
{
    openHostConfig(2);
}

void TOptionsForm::DeleteBTClick()
{
    if (gridRowCount() < 3) {
        DialogMessages::error(QStringLiteral("You cannot delete this. You must have at least one "
                                             "Sensor!"));
        return;
    }
    if (!DialogMessages::confirm(QStringLiteral("Are you sure you want to delete this Sensor?")))
        return;
    const int entry = selectedRow() - 1;
    if (entry < 0 || std::size_t(entry) >= SensorList.size())
        return;
    takeUsagePage();
    DeleteSensorEntry(SensorList, entry);
    if (std::size_t(entry) < m_usageWork.Sensors.size())
        m_usageWork.Sensors.erase(m_usageWork.Sensors.begin() + entry);
    UpdateGrid();
}

void TOptionsForm::UpBTClick()
{
    const int r = selectedRow();
    if (r < 2 || std::size_t(r - 1) >= SensorList.size())
        return;
    takeUsagePage();
    SwapSensorEntries(SensorList, r - 1, r - 2);
    swapUsageEntries(m_usageWork, r - 1, r - 2);
    UpdateGrid();
    selectRow(r - 1);
}

void TOptionsForm::DownBTClick()
{
    const int r = selectedRow();
    if (r < 1 || r >= gridRowCount() - 1 || std::size_t(r) >= SensorList.size())
        return;
    takeUsagePage();
    SwapSensorEntries(SensorList, r - 1, r);
    swapUsageEntries(m_usageWork, r - 1, r);
    UpdateGrid();
    selectRow(r + 1);
}

// ---- the log choosers -------------------------------------------------------------------

void TOptionsForm::SelectFilenameBTClick()
{
    DialogChoosers::SaveFileRequest request;
    request.title = QString::fromLatin1(kSaveDialogTitle);
    request.filter = QString::fromLatin1(kSaveDialogFilter);
    request.startFile = WorkLogFile.empty() ? QStringLiteral("Travimetra.log") : qs(WorkLogFile);
    const std::optional<QString> chosen = DialogChoosers::chooseSaveFile(this, request);
    if (!chosen)
        return;
    const std::string name = chosen->toStdString();
    const bool hasExtension = name.size() >= 4 && name.compare(name.size() - 4, 4, ".log") == 0;
    WorkLogFile = hasExtension ? name : name + ".log";
    showLogFile();
}

void TOptionsForm::SelectFolderBTClick()
{
    const std::optional<QString> chosen = DialogChoosers::chooseFolder(
        this,
        QStringLiteral("Select a folder for the logs. Every sensor's data will be saved in "
                       "a file of its own there."),
        qs(WorkLogFolder));
    if (!chosen || chosen->isEmpty())
        return;
    // The per-sensor log names are appended to the folder as it is stored.
    std::string folder = QDir::toNativeSeparators(*chosen).toStdString();
    if (folder.back() != '/')
        folder += '/';
    WorkLogFolder = folder;
    showLogFolder();
}

// ---- reactions ----------------------------------------------------------------------------

void TOptionsForm::LatencyChBClick()
{
    const bool on = m_latencyChB->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{m_latencySecLBL, m_pingLBL, m_everyLBL,
                                                      m_latencyHostEdit, m_latencySecBar})
        w->setEnabled(on);
}

void TOptionsForm::ShowXChBClick()
{
    m_xActionCB->setEnabled(m_showXChB->isChecked());
    m_pressXLBL->setEnabled(m_showXChB->isChecked());
}

void TOptionsForm::HintsChBClick()
{
    m_hints.setEnabled(m_hintsChB->isChecked());
}

void TOptionsForm::LoggingChBClick()
{
    const bool on = m_loggingChB->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_oneFileRB, m_manyFilesRB, m_syslogRB, m_logFilenameLBL, m_logFolderLBL,
             m_selectFilenameBT, m_selectFolderBT, m_refreshLogsLBL, m_logTrBar, m_logTimeLBL,
             m_secMinCB, m_sysLogEdit})
        w->setEnabled(on);
    if (!on)
        return;
    if (m_oneFileRB->isChecked())
        OneFileRBClick();
    else if (m_manyFilesRB->isChecked())
        ManyFilesRBClick();
    else if (m_syslogRB->isChecked())
        SyslogRBClick();
}

void TOptionsForm::OneFileRBClick()
{
    m_logFilenameLBL->setEnabled(true);
    m_selectFilenameBT->setEnabled(true);
    m_logFolderLBL->setEnabled(false);
    m_selectFolderBT->setEnabled(false);
    m_sysLogEdit->setEnabled(false);
}

void TOptionsForm::ManyFilesRBClick()
{
    m_logFolderLBL->setEnabled(true);
    m_selectFolderBT->setEnabled(true);
    m_logFilenameLBL->setEnabled(false);
    m_selectFilenameBT->setEnabled(false);
    m_sysLogEdit->setEnabled(false);
}

void TOptionsForm::SyslogRBClick()
{
    m_sysLogEdit->setEnabled(true);
    m_logFilenameLBL->setEnabled(false);
    m_logFolderLBL->setEnabled(false);
    m_selectFilenameBT->setEnabled(false);
    m_selectFolderBT->setEnabled(false);
}

// ---- OK and Cancel --------------------------------------------------------------------------

void TOptionsForm::OKBTClick()
{
    if (!CheckActive()) {
        DialogMessages::error(
            QStringLiteral("You must have at least one active interface/sensor!"));
        return;
    }
    TMonitorSettings& s = m_host.settings();

    m_host.setMasterTimerEnabled(false);
    s.Interval = m_secondsTrBar->value();
    m_host.setMasterTimerInterval(uint32_t(s.Interval) * 1000u);
    s.BackColor = m_backColor->selected();
    s.ShowExtendedInfo = m_showExInfoChB->isChecked();
    m_host.DeleteControls();
    s.ShowX = m_showXChB->isChecked();
    s.XAction = static_cast<TXAction>(m_xActionCB->currentIndex());
    s.AutoStart = m_autoStartChB->isChecked();
    s.StartMinimized = m_startMinimizedChB->isChecked();
    s.DoPing = m_pingChB->isChecked();
    s.LogFile = WorkLogFile;
    s.LogFolder = WorkLogFolder;
    s.EnableLog = m_loggingChB->isChecked();
    s.LogType = m_oneFileRB->isChecked()     ? TLogType::OneFile
                : m_manyFilesRB->isChecked() ? TLogType::FilePerSensor
                                             : TLogType::Syslog;
    s.LogTime = m_logTrBar->value();
    s.LogSecMinType = static_cast<TLogSecMinType>(m_secMinCB->currentIndex());
    s.SysLogServer = m_sysLogEdit->text().toStdString();
    s.LatencySensor = m_latencyChB->isChecked();
    s.LatencyHost = m_latencyHostEdit->text().toStdString();
    m_host.setLatencyInterval(m_latencySecBar->value() * 1000);

    // Before the rebuild, which lays the scales out in the chosen unit.
    takeUsagePage();
    m_usageWork.Sensors.resize(SensorList.size());
    m_host.usageSettings() = m_usageWork;
    // Served as the page says from the rebuild below on.
    if (TMetricsSettings* metrics = m_host.metricsSettings(); metrics && m_metricsPage)
        *metrics = m_metricsPage->settings();

    s.resizeSensors(int32_t(SensorList.size()));
    for (std::size_t i = 0; i < SensorList.size(); ++i)
        s.Sensors[i].Active = SensorList[i].Active;
    m_host.UpdateControls();
    m_host.UpdateControlProperties();
    for (std::size_t i = 0; i < SensorList.size(); ++i)
        SensorList[i].applyTo(s.Sensors[i]);
    if (!SensorList.empty()) {
        s.TrayDownSpeed = static_cast<int32_t>(static_cast<uint32_t>(SensorList.front().DownSpeed));
        s.TrayUpSpeed = static_cast<int32_t>(static_cast<uint32_t>(SensorList.front().UpSpeed));
    }
    m_host.UpdateControlProperties();

    // A store that cannot be written is reported; the window goes on with the
    // new settings and its poll restarted either way.
    try {
        m_host.saveSettings();
    } catch (...) {
        ApplicationReport::reportCurrentException();
    }
    m_host.setMasterTimerEnabled(true);

    const int newScale = m_sizeTrBar->value();
    if (s.ScaleSize > 0 && newScale != s.ScaleSize)
        m_host.scaleWindowBy(newScale, s.ScaleSize);
    s.ScaleSize = newScale;
    s.ShowHints = m_hintsChB->isChecked();
    accept();
}

void TOptionsForm::CancelBTClick()
{
    m_host.settings().ScaleSize = SavedScaleSize;
    m_host.setAlphaBlendValue(SavedAlpha);
    reject();
}
