#pragma once

#include "ITrafficLogIO.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

// Scripted answers, a clock the test sets, and recorded output.
class FakeTrafficLogIO : public ITrafficLogIO
{
public:
    struct Answer
    {
        bool replied = true;
        std::string value;
    };
    struct Append
    {
        std::string path;
        std::string text;
    };
    struct Syslog
    {
        std::string server;
        int facility = 0;
        int severity = 0;
        std::string text;
    };

    std::map<std::string, Answer> answers; // by host + " " + oid; missing: no reply
    std::vector<std::string> asked;        // host + " " + oid, in order
    uint32_t ticks = 0;
    TLocalDateTime now;
    std::vector<Append> appends;
    std::vector<Syslog> syslogs;
    std::function<void(const std::string& path)> failAppend; // may raise

    void answer(const std::string& host, const std::string& oid, const std::string& value,
                bool replied = true)
    {
        answers[host + " " + oid] = {replied, value};
    }

    bool readValue(const std::string& oid, const std::string&, const std::string& host,
                   std::string& value) override
    {
        asked.push_back(host + " " + oid);
        value.clear();
        const auto it = answers.find(host + " " + oid);
        if (it == answers.end() || !it->second.replied)
            return false;
        value = it->second.value;
        return true;
    }
    uint32_t tickCount() override { return ticks; }
    TLocalDateTime localNow() override { return now; }
    void appendToFile(const std::string& path, const std::string& text) override
    {
        if (failAppend)
            failAppend(path);
        appends.push_back({path, text});
    }
    bool sendSyslog(const std::string& server, int facility, int severity,
                    const std::string& text) override
    {
        syslogs.push_back({server, facility, severity, text});
        return true;
    }
};
