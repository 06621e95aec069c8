#include "SensorPresenter.h"

#include "SensorPoll.h"

std::string SensorPresenter::downText(double bytesPerSecond) const
{
    return RateUnit::rateLabel("DL: ", bytesPerSecond, m_unit);
}

std::string SensorPresenter::upText(double bytesPerSecond) const
{
    return RateUnit::rateLabel("UL: ", bytesPerSecond, m_unit);
}

std::string SensorPresenter::identification(const TSensorRecord& sensor)
{
    return sensor.HostName + " / " + sensor.SensorName + " @ " + sensor.HostIP;
}

std::string SensorPresenter::title(const TSensorRecord& sensor, bool extendedInfo)
{
    return extendedInfo ? identification(sensor) : sensor.HostName;
}

std::string SensorPresenter::hintLine(const TSensorRecord& sensor, const std::string& downText,
                                      const std::string& upText, const std::string& failure)
{
    return SensorPoll::hintLine(sensor, downText, upText, failure);
}

RateScale::TScaleLabels SensorPresenter::speedScale(const TSensorRecord& sensor, int ticks,
                                                    const RateScale::TextWidth& width,
                                                    int columnWidth) const
{
    if (sensor.SpeedType == stLive) {
        // A live sensor's graph keeps the full scale its speed gives (its
        // saved or grown maximum taken as kbit/s); the labels say its rates.
        const auto top =
            static_cast<std::int32_t>(static_cast<std::uint32_t>(sensor.DownSpeed) << 7);
        return liveScale(static_cast<double>(top), ticks, width, columnWidth);
    }
    return RateScale::speedScale(sensor.DownSpeed, m_unit, ticks, width, columnWidth);
}

RateScale::TScaleLabels SensorPresenter::liveScale(double liveTopBytesPerSecond, int ticks,
                                                   const RateScale::TextWidth& width,
                                                   int columnWidth) const
{
    return RateScale::fixedScale(liveTopBytesPerSecond, m_unit, ticks, width, columnWidth);
}

int SensorPresenter::trayIconIndex(double downRate, double upRate, int32_t downSpeed,
                                   int32_t upSpeed)
{
    return SensorPoll::trayIconIndex(SensorPoll::roundRate(downRate), SensorPoll::roundRate(upRate),
                                     downSpeed, upSpeed);
}
