#include "AddressLiteral.h"

#include <cctype>

namespace AddressLiteral {

bool isIP4(const std::string& text)
{
    int parts = 0;
    std::size_t i = 0;
    while (true) {
        std::size_t digits = 0;
        unsigned value = 0;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
            if (++digits > 3)
                return false;
            value = value * 10 + static_cast<unsigned>(text[i] - '0');
            ++i;
        }
        if (digits == 0 || value > 255)
            return false;
        ++parts;
        if (i == text.size())
            return parts == 4;
        if (text[i] != '.' || parts == 4)
            return false;
        ++i;
    }
}

bool isIP6(const std::string& text)
{
    std::string address = text;
    const std::size_t zone = text.find('%');
    if (zone != std::string::npos) {
        if (zone + 1 == text.size())
            return false;
        address = text.substr(0, zone);
    }
    if (address.empty())
        return false;

    int groups = 0;
    bool doubleColon = false;
    std::size_t i = 0;
    if (address.compare(0, 2, "::") == 0) {
        doubleColon = true;
        i = 2;
        if (i == address.size())
            return true;
    } else if (address[0] == ':') {
        return false;
    }
    while (i < address.size()) {
        std::size_t digits = 0;
        while (i < address.size() && std::isxdigit(static_cast<unsigned char>(address[i]))) {
            if (++digits > 4)
                return false;
            ++i;
        }
        if (digits == 0)
            return false;
        if (++groups > 8)
            return false;
        if (i == address.size())
            break;
        if (address[i] != ':')
            return false;
        ++i;
        if (i < address.size() && address[i] == ':') {
            if (doubleColon)
                return false;
            doubleColon = true;
            ++i;
            if (i == address.size())
                break;
        } else if (i == address.size()) {
            return false; // a single trailing colon
        }
    }
    return doubleColon ? groups < 8 : groups == 8;
}

} // namespace AddressLiteral
