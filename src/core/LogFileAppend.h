#pragma once

#include <stdexcept>
#include <string>

// A log file that could not be opened, created or written.
class TLogFileError : public std::runtime_error
{
public:
    explicit TLogFileError(const std::string& message) : std::runtime_error(message) {}
};

// Appends `text` to the file at `path`, creating it when missing. The file
// is opened, written and closed within the call, so nothing stays open
// between log ticks. Raises TLogFileError naming the file and the cause.
void appendToLogFile(const std::string& path, const std::string& text);
