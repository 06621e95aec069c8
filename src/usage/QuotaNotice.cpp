#include "QuotaNotice.h"

namespace QuotaNotice {

uint64_t quotaOctets(int32_t quotaGB)
{
    return quotaGB > 0 ? static_cast<uint64_t>(quotaGB) * 1000000000ULL : 0;
}

uint64_t countedOctets(TQuotaKind kind, uint64_t download, uint64_t upload)
{
    switch (kind) {
    case TQuotaKind::Download:
        return download;
    case TQuotaKind::Upload:
        return upload;
    case TQuotaKind::Both:
        break;
    }
    return download + upload;
}

int dueLevel(uint64_t used, uint64_t quota, int sentLevel)
{
    if (quota == 0)
        return 0;
    if (used >= quota)
        return sentLevel < 100 ? 100 : 0;
    // In integers wide enough for any octet count: no rounding at the mark.
    if (static_cast<unsigned __int128>(used) * 5 >= static_cast<unsigned __int128>(quota) * 4)
        return sentLevel < 80 ? 80 : 0;
    return 0;
}

std::string message(const std::string& sensorName, int level, uint64_t used, int32_t quotaGB)
{
    const uint64_t hundredths = (used + 5000000ULL) / 10000000ULL;
    std::string fraction = std::to_string(hundredths % 100);
    if (fraction.size() < 2)
        fraction.insert(0, "0");
    return sensorName + " has used " + std::to_string(level) + " % of its monthly quota (" +
           std::to_string(hundredths / 100) + "." + fraction + " of " + std::to_string(quotaGB) +
           " GB).";
}

} // namespace QuotaNotice
