// The options dialog's controls: its five pages, their hints and the
// reactions wired to them. What the controls do lives in frmOptions.cpp.
#include "frmOptions.h"

#include "IOptionsHost.h"
#include "PlainText.h"
#include "TColorBox.h"
#include "TMetricsOptionsPage.h"
#include "TUsageOptionsPage.h"
#include "frmHostConfig.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QString kPollHint = QStringLiteral("Set the interval between the SNMP polls.");

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
