#include "UsageCommandLine.h"

#include "RegStoreFile.h"
#include "StoredUsageSensors.h"
#include "UsageDatabaseError.h"
#include "UsagePaths.h"
#include "UsageSummary.h"

#include <cstring>
#include <ctime>
#include <iostream>

namespace UsageCommandLine {

namespace {

const char* const kSyntax = "Usage: travimetra --usage [--sensor NAME] [--period current|last] "
                            "[--csv]\n";

struct TArguments
{
    std::string sensor;
    bool last = false;
    bool csv = false;
};

bool parse(int argc, char** argv, TArguments& args, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--usage") {
            continue;
        } else if (a == "--csv") {
            args.csv = true;
        } else if (a == "--sensor" || a == "--period") {
            if (i + 1 >= argc) {
                error = a + " needs a value";
                return false;
            }
            const std::string value = argv[++i];
            if (a == "--sensor") {
                args.sensor = value;
            } else if (value == "current" || value == "last") {
                args.last = value == "last";
            } else {
                error = "--period takes current or last, not " + value;
                return false;
            }
        } else {
            error = "unknown argument " + a;
            return false;
        }
    }
    return true;
}

bool sameText(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

} // namespace

bool wanted(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--usage") == 0)
            return true;
    return false;
}

int run(int argc, char** argv, std::ostream& out, std::ostream& err, const std::string& dbPath,
        int64_t now, const std::vector<TUsageSensorConfig>& stored)
{
    TArguments args;
    std::string error;
    if (!parse(argc, argv, args, error)) {
        err << "travimetra: " << error << "\n" << kSyntax;
        return 2;
    }
    std::unique_ptr<TUsageDatabase> db;
    std::vector<TUsageSensorConfig> sensors = stored;
    try {
        db = TUsageDatabase::openForReading(dbPath);
        // Sensors removed from the options keep their history.
        for (const TUsageSensor& known : db->sensors()) {
            bool listed = false;
            for (const TUsageSensorConfig& s : sensors)
                listed = listed || s.key == known.key;
            if (!listed)
                sensors.push_back({known.key, known.name, {}});
        }
    } catch (const TUsageDatabaseError& e) {
        err << "travimetra: " << e.what() << "\n";
        return 1;
    }
    if (!args.sensor.empty()) {
        std::vector<TUsageSensorConfig> chosen;
        for (const TUsageSensorConfig& s : sensors)
            if (sameText(s.name, args.sensor) || sameText(s.key, args.sensor))
                chosen.push_back(s);
        if (chosen.empty()) {
            err << "travimetra: no sensor named " << args.sensor << "\n";
            return 1;
        }
        sensors = chosen;
    }
    try {
        if (args.csv)
            // The closed share comes last, so that scripts reading the
            // columns before it by position keep working.
            out << "sensor,key,period_start,period_end,download_octets,upload_octets,"
                   "closed_download_octets,closed_upload_octets\n";
        for (const TUsageSensorConfig& s : sensors) {
            const TUsageSummary sum = UsageSummary::summarize(*db, s, now);
            const TBillingPeriod& period = args.last ? sum.last : sum.current;
            const TOctets& octets = args.last ? sum.lastPeriod : sum.thisPeriod;
            const TOctets& closed = args.last ? sum.lastPeriodClosed : sum.thisPeriodClosed;
            if (args.csv) {
                out << UsageSummary::csvField(s.name) << "," << UsageSummary::csvField(s.key) << ","
                    << period.first.text() << "," << period.last().text() << "," << octets.down
                    << "," << octets.up << "," << closed.down << "," << closed.up << "\n";
                continue;
            }
            out << s.name << " (" << s.key << "), " << (args.last ? "last" : "current")
                << " period " << period.first.text() << " to " << period.last().text() << "\n"
                << "  Download: " << UsageSummary::octetsText(octets.down) << " (" << octets.down
                << " octets)\n"
                << "  Upload:   " << UsageSummary::octetsText(octets.up) << " (" << octets.up
                << " octets)\n";
            for (const std::string& line : UsageSummary::closedLines(sum, args.last))
                out << "  " << line << "\n";
            if (!args.last && sum.quotaShare)
                out << "  Quota:    " << static_cast<int>(*sum.quotaShare * 100.0 + 1e-9)
                    << " % of " << s.settings.QuotaGB << " GB, "
                    << UsageSummary::octetsText(static_cast<uint64_t>(*sum.projected))
                    << " expected by the period's end\n";
        }
    } catch (const TUsageDatabaseError& e) {
        err << "travimetra: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

int main(int argc, char** argv)
{
    // A report: the settings are read as they are and never written back.
    RegStoreFile::TReadOnlyScope readOnly;
    return run(argc, argv, std::cout, std::cerr, usageDatabasePath(),
               static_cast<int64_t>(std::time(nullptr)), storedUsageSensors());
}

} // namespace UsageCommandLine
