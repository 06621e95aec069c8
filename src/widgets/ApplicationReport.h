#pragma once

#include <QString>

#include <exception>
#include <functional>

// The one place where an error that escaped an event handler (a timer tick,
// a tray notification) is shown to the user. The program writes it to
// standard error and shows it in a small window that blocks nothing (the
// same text at most once until that window is dismissed); tests replace the
// function to observe what was reported.
namespace ApplicationReport {
using ReportFunction = std::function<void(const QString& text)>;

// Shows text through the current report function.
void report(const QString& text);

// Reports the exception currently being handled; call it only from a catch block.
void reportCurrentException();

// Replaces the report function; an empty function restores the default.
// Returns the previous one so a test can put it back.
ReportFunction setReportFunction(ReportFunction function);
} // namespace ApplicationReport
