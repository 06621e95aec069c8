#include "ApplicationReport.h"

#include "PlainText.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

#include <cstdio>
#include <mutex>

namespace ApplicationReport {
namespace {
std::mutex g_mutex;
ReportFunction g_function;

void defaultReport(const QString& text)
{
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (app && QThread::currentThread() == app->thread() && !QCoreApplication::closingDown()) {
        PlainText::messageBox(nullptr, QMessageBox::Critical, QCoreApplication::applicationName(),
                              text);
        return;
    }
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
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
