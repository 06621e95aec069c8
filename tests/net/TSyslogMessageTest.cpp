#include "TSyslogMessage.h"

#include <gtest/gtest.h>

namespace {

TSyslogMessage messageAt(int month, int day, int hour, int minute, int second)
{
    TSyslogMessage m;
    m.DateTime.tm_mon = month;
    m.DateTime.tm_mday = day;
    m.DateTime.tm_hour = hour;
    m.DateTime.tm_min = minute;
    m.DateTime.tm_sec = second;
    return m;
}

TEST(SyslogMessage, BuildsTheBsdLayout)
{
    TSyslogMessage m = messageAt(11, 6, 13, 45, 7);
    m.Facility = 7;
    m.Severity = TSyslogSeverity::Info;
    m.LocalIP = "192.168.1.10";
    m.LogMessage = "text";
    EXPECT_EQ(m.PacketBuf(), "<62>Dec  6 13:45:07 192.168.1.10 : text");

    TSyslogMessage n = messageAt(0, 16, 0, 0, 9);
    n.Facility = 0;
    n.Severity = TSyslogSeverity::Emergency;
    n.LocalIP = "0.0.0.0";
    n.Tag = "tag";
    EXPECT_EQ(n.PacketBuf(), "<0>Jan 16 00:00:09 0.0.0.0 tag: ");
}

TEST(SyslogMessage, NamesEveryMonthInEnglish)
{
    const char* names[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int month = 0; month < 12; ++month)
        EXPECT_EQ(messageAt(month, 1, 23, 59, 59).PacketBuf().substr(3, 15),
                  std::string(names[month]) + "  1 23:59:59");
    EXPECT_EQ(static_cast<int>(TSyslogSeverity::Info), 6);
    EXPECT_EQ(static_cast<int>(TSyslogSeverity::Debug), 7);
}

TEST(SyslogMessage, MonthOutsideTheYearFallsBackToJanuary)
{
    // A broken clock or a caller's arithmetic must not pick a name from
    // beyond the table.
    for (const int month : {12, 13, -1, 1000})
        EXPECT_EQ(messageAt(month, 1, 0, 0, 0).PacketBuf().substr(3, 3), "Jan") << month;
}

} // namespace
