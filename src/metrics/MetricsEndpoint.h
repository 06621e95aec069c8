#pragma once

#include "MetricsBoard.h"
#include "MetricsServer.h"
#include "MetricsSettings.h"

#include <optional>
#include <string>
#include <vector>

// The figures of applied polls and the endpoint that serves them, as the
// settings say: what the window and the headless monitor each own one of.
class MetricsEndpoint
{
public:
    MetricsEndpoint();

    TMetricsSettings& settings() { return m_settings; }
    MetricsBoard& board() { return m_board; }
    const MetricsServer& server() const { return m_server; }

    // Starts, moves or stops the endpoint as the settings now say (nothing
    // when they did not change). Returns what the user should read: why the
    // figures are not served, or that everyone on the address's network can
    // read them.
    std::vector<std::string> apply();

private:
    MetricsBoard m_board;
    MetricsServer m_server;
    TMetricsSettings m_settings;
    std::optional<TMetricsSettings> m_applied;
};
