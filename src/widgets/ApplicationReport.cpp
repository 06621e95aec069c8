#include "ApplicationReport.h"

#include "WindowFrame.h"

#include <QApplication>
#include <QMessageBox>
#include <QSet>
#include <QThread>

#include <cstdio>
#include <mutex>

namespace ApplicationReport {
namespace {
std::mutex g_mutex;
ReportFunction g_function;

// Texts on the screen now; the same text again is not shown twice until its
// window is dismissed. Touched on the GUI thread only.
QSet<QString> g_shown;

// A small window that does not block: no timer ever waits for the user.
void showNotice(const QString& text)
{
    if (QCoreApplication::closingDown() || g_shown.contains(text))
        return;
    g_shown.insert(text);
    auto* box = new QMessageBox(QMessageBox::Critical, QCoreApplication::applicationName(), text,
                                QMessageBox::Ok);
    box->setTextFormat(Qt::PlainText);
    WindowFrame::makeFixedDialog(box, false);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->setObjectName(QStringLiteral("ApplicationReport"));
    QObject::connect(box, &QObject::destroyed, [text] { g_shown.remove(text); });
    box->show();
}

void defaultReport(const QString& text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app)
        return;
    if (QThread::currentThread() == app->thread())
        showNotice(text);
    else
        QMetaObject::invokeMethod(
            app, [text] { showNotice(text); }, Qt::QueuedConnection);
}
} // namespace

void report(const QString& text)
{
    ReportFunction function;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        function = g_function;
    }
    if (function)
        function(text);
    else
        defaultReport(text);
}

void reportCurrentException()
{
    try {
        throw;
    } catch (const std::exception& e) {
        report(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        report(QStringLiteral("Unknown error"));
    }
}

ReportFunction setReportFunction(ReportFunction function)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    ReportFunction previous = std::move(g_function);
    g_function = std::move(function);
    return previous;
}
} // namespace ApplicationReport
