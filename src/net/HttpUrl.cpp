#include "HttpUrl.h"

#include "HttpText.h"

THttpUrlParts SplitURL(const std::string& url)
{
    THttpUrlParts parts;
    std::string rest = url;
    const std::size_t scheme = url.find("://");
    if (scheme != std::string::npos) {
        parts.Prot = url.substr(0, scheme);
        rest = url.substr(scheme + 3);
    }
    const std::string upperProt = HttpText::upper(parts.Prot);
    if (upperProt == "HTTPS")
        parts.Port = "443";
    else if (upperProt == "FTP")
        parts.Port = "21";

    // User information ends at the last "@" of the authority, so a password
    // may itself contain one.
    const std::size_t firstSlash = rest.find('/');
    const std::size_t at =
        rest.rfind('@', firstSlash == std::string::npos ? std::string::npos : firstSlash);
    if (at != std::string::npos && (firstSlash == std::string::npos || at < firstSlash)) {
        const std::string userInfo = rest.substr(0, at);
        const std::size_t colon = userInfo.find(':');
        parts.User = userInfo.substr(0, colon);
        if (colon != std::string::npos)
            parts.Pass = userInfo.substr(colon + 1);
        rest = rest.substr(at + 1);
    }

    const std::size_t slash = rest.find('/');
    const std::string authority = rest.substr(0, slash);
    const std::string remainder =
        slash == std::string::npos ? std::string() : rest.substr(slash + 1);

    if (!authority.empty() && authority[0] == '[') {
        const std::size_t close = authority.find(']');
        parts.Host =
            authority.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        if (close != std::string::npos && close + 1 < authority.size() &&
            authority[close + 1] == ':')
            parts.Port = authority.substr(close + 2);
    } else {
        const std::size_t colon = authority.find(':');
        parts.Host = authority.substr(0, colon);
        if (colon != std::string::npos)
            parts.Port = authority.substr(colon + 1);
    }

    parts.URI = "/" + remainder;
    const std::size_t question = remainder.find('?');
    parts.Path = "/" + remainder.substr(0, question);
    if (question != std::string::npos)
        parts.Para = remainder.substr(question + 1);
    if (parts.Host.empty())
        parts.Host = "localhost";
    return parts;
}
