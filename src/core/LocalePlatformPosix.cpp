#include "LocalePlatform.h"

#include <langinfo.h>
#include <sys/time.h>

TLocaleFormats currentLocaleFormats()
{
    TLocaleFormats formats;
    // A locale without a pattern keeps the defaults, so a stamp never
    // loses its date or its time.
    const char* date = nl_langinfo(D_FMT);
    if (date && *date)
        formats.shortDate = date;
    const char* time = nl_langinfo(T_FMT);
    if (time && *time)
        formats.longTime = time;
    const char* point = nl_langinfo(RADIXCHAR);
    if (point && *point)
        formats.decimalPoint = point;
    return formats;
}

TLocalDateTime localNow()
{
    timeval now{};
    gettimeofday(&now, nullptr);
    TLocalDateTime result;
    const time_t seconds = now.tv_sec;
    localtime_r(&seconds, &result.time);
    result.milliseconds = int(now.tv_usec / 1000);
    return result;
}
