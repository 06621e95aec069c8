#include "ExternalAddress.h"

namespace ExternalAddress {

const char* const kServiceUrl = "http://api.ipify.org/";
const char* const kInitialCaption = "N/A";

std::optional<std::string> captionFromAnswer(bool succeeded, const std::vector<std::string>& lines)
{
    if (!succeeded || lines.empty())
        return std::nullopt;
    return lines.front();
}

} // namespace ExternalAddress
