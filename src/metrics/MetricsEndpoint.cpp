#include "MetricsEndpoint.h"

#include "OpenMetricsText.h"

MetricsEndpoint::MetricsEndpoint()
    : m_server([this](OpenMetricsText::TFormat format) {
          return OpenMetricsText::render(m_board.snapshot(), format);
      })
{
}

std::vector<std::string> MetricsEndpoint::apply()
{
    // A port that was taken may be free by the next time the settings are
    // applied.
    if (m_applied && *m_applied == m_settings && (m_server.running() || !m_settings.Enabled))
        return {};
    m_applied = m_settings;
    m_server.stop();
    if (!m_settings.Enabled)
        return {};
    const auto port = static_cast<uint16_t>(m_settings.Port);
    const MetricsServer::TStart started = m_server.start(m_settings.Address, port);
    if (started != MetricsServer::TStart::Started)
        return {MetricsServer::startText(started, m_settings.Address, port)};
    if (!MetricsAddress::isLoopback(m_settings.Address))
        return {"The metrics are served on " + m_settings.Address + " port " +
                std::to_string(port) + ". " + MetricsAddress::kOpenNetworkWarning};
    return {};
}
