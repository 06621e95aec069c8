#pragma once

#include "TempDirectory.h"

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

// The installed program, started the way a user's session starts it: its own
// HOME (a fresh one unless given), no XDG overrides, the display of the test,
// and nothing else from the test's environment that could change its
// behaviour.
class TravimetraProcess
{
public:
    // `home` is the user's home folder; it outlives the process so a second
    // start can share it.
    TravimetraProcess(std::string display, std::string home);
    ~TravimetraProcess();
    TravimetraProcess(const TravimetraProcess&) = delete;
    TravimetraProcess& operator=(const TravimetraProcess&) = delete;

    // The installed executable: $TRAVIMETRA_E2E_PREFIX/bin/travimetra.
    static std::string executable();

    // Adds NAME=VALUE to the environment of the next start (QT_SCALE_FACTOR,
    // as a user's session may set it), in place of a default of that name.
    void addEnvironment(const std::string& entry) { m_extraEnvironment.push_back(entry); }
    bool start();
    pid_t pid() const { return m_pid; }
    bool running();
    // Sends `signal`, waits for the end; the exit code, or nothing when it
    // did not end in time or died from a signal.
    std::optional<int> endWith(int signal, std::chrono::milliseconds limit);
    // Waits for the end without sending anything.
    std::optional<int> waitForExit(std::chrono::milliseconds limit);
    // stdout and stderr of the program.
    std::string output() const;

private:
    std::string m_display;
    std::string m_home;
    TempDirectory m_dir; // output
    std::vector<std::string> m_extraEnvironment;
    pid_t m_pid = -1;
    std::optional<int> m_exitCode;
    bool m_ended = false;
};
