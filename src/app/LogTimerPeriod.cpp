#include "LogTimerPeriod.h"

#include <algorithm>
#include <limits>

namespace LogTimerPeriod {

std::optional<std::uint32_t> of(const TMonitorSettings& settings)
{
    if (!settings.EnableLog)
        return std::nullopt;
    const int64_t unit = settings.LogSecMinType == TLogSecMinType::Seconds   ? 1000
                         : settings.LogSecMinType == TLogSecMinType::Minutes ? 60000
                                                                             : 0;
    const int64_t period = int64_t(settings.LogTime) * unit;
    return static_cast<std::uint32_t>(
        std::clamp<int64_t>(period, 0, std::numeric_limits<std::uint32_t>::max()));
}

} // namespace LogTimerPeriod
