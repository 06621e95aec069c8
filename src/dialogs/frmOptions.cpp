#include "frmOptions.h"

#include "ApplicationReport.h"
#include "DialogChoosers.h"
#include "DialogMessages.h"
#include "DialogSizing.h"
#include "IOptionsHost.h"
#include "OptionsWorkingCopy.h"
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
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QTableWidget>

#include <algorithm>
#include <exception>

const char* const TOptionsForm::kSaveDialogTitle =
    "Select a filename for the log. Every sensor's data will be saved in this file.";
const char* const TOptionsForm::kSaveDialogFilter =
    "Travimetra Log Files [*.log] (*.log);;All Files [*.*] (*)";

namespace {

constexpr int kPathLabelLength = 70;

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
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

    m_work.load(s, m_host.usageSettings());
    if (TMetricsSettings* metrics = m_host.metricsSettings(); metrics && m_metricsPage)
        m_metricsPage->setSettings(*metrics);
    m_startMinimizedChB->setChecked(s.StartMinimized);
    m_autoStartChB->setChecked(s.AutoStart);
    m_xActionCB->setCurrentIndex(std::clamp(storedNumber(s.XAction), 0, 1));
    m_showXChB->setChecked(s.ShowX);
    ShowXChBClick();

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
    m_work.setUsage(m_usagePage->settings());
}

void TOptionsForm::showUsagePage()
{
    // An entry the device dialog added gets the defaults.
    m_work.align();
    std::vector<std::string> names;
    for (const TSensorConfig& entry : SensorList)
        names.push_back(entry.HostName + " / " + entry.SensorName);
    m_usagePage->setSettings(m_work.usage(), names);
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
    OptionsWorkingCopy::swapEntries(list, i, j);
}

void TOptionsForm::DeleteSensorEntry(std::vector<TSensorConfig>& list, int i)
{
    OptionsWorkingCopy::removeEntry(list, i);
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
    m_work.remove(entry);
    UpdateGrid();
}

void TOptionsForm::UpBTClick()
{
    const int r = selectedRow();
    if (r < 2 || std::size_t(r - 1) >= SensorList.size())
        return;
    takeUsagePage();
    m_work.swap(r - 1, r - 2);
    UpdateGrid();
    selectRow(r - 1);
}

void TOptionsForm::DownBTClick()
{
    const int r = selectedRow();
    if (r < 1 || r >= gridRowCount() - 1 || std::size_t(r) >= SensorList.size())
        return;
    takeUsagePage();
    m_work.swap(r - 1, r);
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
    m_work.writeUsage(m_host.usageSettings());
    // Served as the page says from the rebuild below on.
    if (TMetricsSettings* metrics = m_host.metricsSettings(); metrics && m_metricsPage)
        *metrics = m_metricsPage->settings();

    m_work.writeActive(s);
    m_host.UpdateControls();
    m_host.UpdateControlProperties();
    m_work.writeSensors(s);
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
