#pragma once

#include "TMonitorSettings.h"

#include <cstdint>
#include <optional>

namespace LogTimerPeriod {

// The traffic log's period in milliseconds, nothing while the log is off:
// LogTime seconds or minutes as LogSecMinType says, within 32 bits.
std::optional<std::uint32_t> of(const TMonitorSettings& settings);

} // namespace LogTimerPeriod
