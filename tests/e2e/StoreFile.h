#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// The program's settings file ($HOME/.config/Quorvane/Travimetra.reg when
// XDG_CONFIG_HOME is unset), written and read as plain REGEDIT4 text so the
// tests do not depend on the program's own store code.
namespace StoreFile {

std::string path(const std::string& home);

// Values by key ("" for the global key, "0", "1"... for sensors) and name;
// the text is what follows '=' on the value's line.
using Values = std::map<std::string, std::map<std::string, std::string>>;

// Reads the file; nothing when it is missing.
std::optional<Values> read(const std::string& home);
std::optional<std::int32_t> integer(const Values& values, const std::string& key,
                                    const std::string& name);

// Builds a store: each setter adds a value in the kind the program writes.
class Seed
{
public:
    Seed& integer(const std::string& key, const std::string& name, std::int32_t value);
    Seed& boolean(const std::string& key, const std::string& name, bool value);
    Seed& text(const std::string& key, const std::string& name, const std::string& value);
    // A complete active sensor on `address`, interface index `ifIndex`.
    Seed& sensor(int index, const std::string& hostName, const std::string& address, int ifIndex,
                 std::int32_t speedKbits);
    bool write(const std::string& home) const;

private:
    std::vector<std::pair<std::string, std::vector<std::string>>> m_keys;
    std::vector<std::string>& key(const std::string& name);
};

// The settings of a user who set the program up in its window and started it
// before; what the suites choose differently is given here, sensors and
// anything more are added to the seed.
struct ReturningUser
{
    std::string home;
    int sensors = 1;
    int top = 100;
    int left = 200;
    int scaleSize = 100;
    int interval = 1;
    bool enableLog = false;
    std::string sysLogServer = "127.0.0.1";
    int logTime = 1;
    bool latencySensor = false;
    std::string latencyHost = "127.0.0.1";
};
Seed returningUser(const ReturningUser& user);

} // namespace StoreFile
