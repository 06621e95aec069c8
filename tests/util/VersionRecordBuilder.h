#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Builds version records byte by byte from the documented layout, independently
// of the build's own generator, so the reader is checked against the layout.
inline std::string
buildVersionRecord(const std::vector<std::pair<std::string, std::string>>& strings,
                   uint16_t language = 0x0409, uint16_t codePage = 0x04E4)
{
    auto put16 = [](std::string& out, std::size_t v) {
        out.push_back(char(v & 0xFF));
        out.push_back(char((v >> 8) & 0xFF));
    };
    auto put32 = [&](std::string& out, std::size_t v) {
        put16(out, v & 0xFFFF);
        put16(out, (v >> 16) & 0xFFFF);
    };
    std::string table;
    for (const auto& [name, value] : strings) {
        put16(table, name.size());
        table += name;
        put16(table, value.size());
        table += value;
    }
    std::string record = "\x89TVMVER\x1A";
    put16(record, 1);
    put16(record, language);
    put16(record, codePage);
    put16(record, strings.size());
    put32(record, table.size());
    record += table;
    uint32_t hash = 2166136261u;
    for (std::size_t i = 8; i < record.size(); ++i) {
        hash ^= static_cast<unsigned char>(record[i]);
        hash *= 16777619u;
    }
    put32(record, hash);
    return record;
}
