#pragma once

#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

// A row of `travimetra --usage --csv` read by column, as a script would:
// fields split at commas outside quotes, doubled quotes kept as one.
struct TUsageCsvRow
{
    std::string sensor;
    std::string key;
    uint64_t down = 0;
    uint64_t up = 0;
    uint64_t closedDown = 0;
    uint64_t closedUp = 0;
};

inline std::vector<std::string> usageCsvFields(const std::string& line)
{
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"' && quoted && i + 1 < line.size() && line[i + 1] == '"')
            fields.back() += line[++i];
        else if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

// Every sensor's row of a report; rows without every column are left out.
inline std::vector<TUsageCsvRow> usageCsvRows(const std::string& report)
{
    std::vector<TUsageCsvRow> rows;
    std::istringstream lines(report);
    for (std::string line; std::getline(lines, line);) {
        const std::vector<std::string> f = usageCsvFields(line);
        if (f.size() != 8 || f[0] == "sensor")
            continue;
        try {
            rows.push_back({f[0], f[1], std::stoull(f[4]), std::stoull(f[5]), std::stoull(f[6]),
                            std::stoull(f[7])});
        } catch (...) {
        }
    }
    return rows;
}

// The first row whose key contains `part`.
inline std::optional<TUsageCsvRow> usageCsvRow(const std::string& report, const std::string& part)
{
    for (const TUsageCsvRow& row : usageCsvRows(report))
        if (row.key.find(part) != std::string::npos)
            return row;
    return std::nullopt;
}
