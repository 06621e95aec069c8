#include "TMonitorSettings.h"

void TMonitorSettings::resizeSensors(int32_t count)
{
    NumberOfHosts = count < 0 ? 0 : count;
    Sensors.resize(std::size_t(NumberOfHosts));
}
