#include "RegStore.h"

#include "RegStoreText.h"
#include "TextCase.h"

#include <cstdio>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimLeft(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    return text;
}

std::string_view trimRight(std::string_view text)
{
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// 1 to 8 hex digits, the whole of text.
bool parseHexNumber(std::string_view text, uint32_t& result)
{
    if (text.empty() || text.size() > 8)
        return false;
    uint32_t value = 0;
    for (char c : text) {
        const int digit = hexDigit(c);
        if (digit < 0)
            return false;
        value = (value << 4) | uint32_t(digit);
    }
    result = value;
    return true;
}

// "54,72,75,65": bytes of one or two hex digits separated by commas; blanks
// around them and one trailing comma are accepted.
bool parseHexBytes(std::string_view text, std::string& result)
{
    result.clear();
    text = trimRight(trimLeft(text));
    if (text.empty())
        return true;
    if (text.back() == ',')
        text.remove_suffix(1);
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view token = trimRight(trimLeft(text.substr(0, comma)));
        uint32_t byte = 0;
        if (token.size() > 2 || !parseHexNumber(token, byte))
            return false;
        result.push_back(char(byte));
        if (comma == std::string_view::npos)
            return true;
        text.remove_prefix(comma + 1);
    }
}

// A double-quoted text starting at text[pos]; a backslash takes the next byte
// as it is. On success pos is just past the closing quote.
bool parseQuoted(std::string_view text, std::size_t& pos, std::string& result)
{
    if (pos >= text.size() || text[pos] != '"')
        return false;
    result.clear();
    for (std::size_t i = pos + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            pos = i + 1;
            return true;
        }
        if (c == '\\') {
            if (++i >= text.size())
                return false;
        }
        result.push_back(text[i]);
    }
    return false;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && equalsNoCase(text.substr(0, prefix.size()), prefix);
}

// The part after "=" of a value line.
bool parseData(std::string_view text, uint32_t& type, std::string& data)
{
    text = trimRight(trimLeft(text));
    if (!text.empty() && text.front() == '"') {
        std::size_t pos = 0;
        if (!parseQuoted(text, pos, data) || pos != text.size())
            return false;
        type = REG_SZ;
        return true;
    }
    if (startsWithNoCase(text, "dword:")) {
        uint32_t value = 0;
        if (!parseHexNumber(text.substr(6), value))
            return false;
        type = REG_DWORD;
        data.clear();
        for (int i = 0; i < 4; ++i)
            data.push_back(char((value >> (8 * i)) & 0xFF));
        return true;
    }
    if (startsWithNoCase(text, "hex:")) {
        type = REG_BINARY;
        return parseHexBytes(text.substr(4), data);
    }
    if (startsWithNoCase(text, "hex(")) {
        const std::size_t close = text.find("):");
        if (close == std::string_view::npos || !parseHexNumber(text.substr(4, close - 4), type))
            return false;
        if (!parseHexBytes(text.substr(close + 2), data))
            return false;
        // Texts written as bytes carry their terminator; the model does not.
        if ((type == REG_SZ || type == REG_EXPAND_SZ) && !data.empty() && data.back() == '\0')
            data.pop_back();
        return true;
    }
    return false;
}

void appendQuoted(std::string& out, std::string_view text)
{
    out.push_back('"');
    for (char c : text) {
        if (c == '\\' || c == '"')
            out.push_back('\\');
        out.push_back(c);
    }
    out.push_back('"');
}

void appendHexBytes(std::string& out, std::string_view bytes)
{
    static const char digits[] = "0123456789abcdef";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0)
            out.push_back(',');
        const auto byte = static_cast<unsigned char>(bytes[i]);
        out.push_back(digits[byte >> 4]);
        out.push_back(digits[byte & 0x0F]);
    }
}

// Control bytes would break the line or be lost to blank trimming, so such
// texts are written as bytes instead.
bool fitsQuoted(std::string_view text)
{
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return false;
    }
    return true;
}

void appendData(std::string& out, const TRegValue& value)
{
    char prefix[24];
    switch (value.Type) {
    case REG_SZ:
        if (fitsQuoted(value.Data)) {
            appendQuoted(out, value.Data);
            return;
        }
        [[fallthrough]];
    case REG_EXPAND_SZ:
        std::snprintf(prefix, sizeof prefix, "hex(%x):", unsigned(value.Type));
        out += prefix;
        appendHexBytes(out, value.Data + std::string(1, '\0'));
        return;
    case REG_DWORD:
        if (value.Data.size() == 4) {
            uint32_t number = 0;
            for (int i = 3; i >= 0; --i)
                number = (number << 8) | static_cast<unsigned char>(value.Data[std::size_t(i)]);
            std::snprintf(prefix, sizeof prefix, "dword:%08x", unsigned(number));
            out += prefix;
            return;
        }
        break;
    case REG_BINARY:
        out += "hex:";
        appendHexBytes(out, value.Data);
        return;
    default:
        break;
    }
    std::snprintf(prefix, sizeof prefix, "hex(%x):", unsigned(value.Type));
    out += prefix;
    appendHexBytes(out, value.Data);
}

} // namespace

const TRegValue* TRegKey::findValue(std::string_view name) const
{
    const auto it = m_index.find(asciiLower(name));
    return it == m_index.end() ? nullptr : &m_values[it->second];
}

void TRegKey::setValue(std::string_view name, uint32_t type, std::string data)
{
    const auto [it, added] = m_index.emplace(asciiLower(name), m_values.size());
    if (added) {
        m_values.push_back(TRegValue{std::string(name), type, std::move(data)});
        return;
    }
    TRegValue& value = m_values[it->second];
    value.Type = type;
    value.Data = std::move(data);
}

std::string TRegStore::normalizePath(std::string_view path)
{
    std::string result;
    while (!path.empty()) {
        const std::size_t slash = path.find('\\');
        const std::string_view part = path.substr(0, slash);
        if (!part.empty()) {
            if (!result.empty())
                result.push_back('\\');
            result.append(part);
        }
        if (slash == std::string_view::npos)
            break;
        path.remove_prefix(slash + 1);
    }
    return result;
}

bool TRegStore::isStorablePath(std::string_view path)
{
    const std::string normal = normalizePath(path);
    // "[-..." would read back as the removal of a key.
    if (normal.empty() || normal.front() == '-')
        return false;
    return isStorableName(normal);
}

bool TRegStore::isStorableName(std::string_view name)
{
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20)
            return false;
    }
    return true;
}

const TRegKey* TRegStore::findKey(std::string_view path) const
{
    const auto it = m_index.find(asciiLower(normalizePath(path)));
    return it == m_index.end() ? nullptr : &m_keys[it->second];
}

TRegKey* TRegStore::findKey(std::string_view path)
{
    const auto it = m_index.find(asciiLower(normalizePath(path)));
    return it == m_index.end() ? nullptr : &m_keys[it->second];
}

TRegKey& TRegStore::createKey(std::string_view path)
{
    std::string normal = normalizePath(path);
    const auto [it, added] = m_index.emplace(asciiLower(normal), m_keys.size());
    if (added)
        m_keys.emplace_back(std::move(normal));
    return m_keys[it->second];
}

namespace {

// The closing bracket of a key header: the first "]" after which only blanks
// or a ";" comment follow (a comment may hold brackets of its own). npos when
// there is none.
std::size_t headerEnd(std::string_view line)
{
    for (std::size_t close = line.find(']'); close != std::string_view::npos;
         close = line.find(']', close + 1)) {
        const std::string_view rest = trimLeft(line.substr(close + 1));
        if (rest.empty() || rest.front() == ';')
            return close;
    }
    return std::string_view::npos;
}

bool isSignature(std::string_view line)
{
    line = trimRight(line);
    return line == "REGEDIT4" || line == "Windows Registry Editor Version 5.00";
}

} // namespace

TRegStore TRegStore::parse(std::string_view bytes, bool* complete)
{
    bool understood = true;
    const std::string decoded = RegStoreText::decode(bytes, understood);
    const std::string_view text = decoded;
    TRegStore store;
    // Index of the key that value lines belong to; none before the first
    // header and after a header that is removed or unreadable.
    std::size_t current = std::string_view::npos;
    std::size_t pos = 0;
    bool signatureAllowed = true;
    auto nextLine = [&](std::string_view& line) {
        if (pos >= text.size())
            return false;
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        return true;
    };

    std::string_view raw;
    std::string logical;
    while (nextLine(raw)) {
        const std::string_view line = trimLeft(raw);
        if (line.empty() || line.front() == ';')
            continue;
        if (signatureAllowed) {
            signatureAllowed = false;
            if (isSignature(line))
                continue;
        }
        if (line.front() == '[') {
            current = std::string_view::npos;
            const std::size_t close = headerEnd(line);
            if (close == std::string_view::npos) {
                understood = false;
                continue;
            }
            const std::string_view inner = line.substr(1, close - 1);
            const std::string normal = normalizePath(inner);
            if ((!inner.empty() && inner.front() == '-') || !isStorablePath(normal)) {
                understood = false;
                continue;
            }
            store.createKey(normal);
            current = store.m_index.find(asciiLower(normal))->second;
            continue;
        }
        if (line.front() != '"' && line.front() != '@') {
            understood = false;
            continue;
        }

        // Long byte lists may be continued over several lines with a trailing
        // backslash.
        logical.assign(trimRight(line));
        while (!logical.empty() && logical.back() == '\\') {
            std::string_view next;
            if (!nextLine(next))
                break;
            logical.pop_back();
            logical.append(trimRight(trimLeft(next)));
        }
        if (current == std::string_view::npos) {
            understood = false;
            continue;
        }

        std::string name;
        std::size_t at = 0;
        if (logical.front() == '@') {
            at = 1;
        } else if (!parseQuoted(logical, at, name)) {
            understood = false;
            continue;
        }
        const std::string_view rest = trimLeft(std::string_view(logical).substr(at));
        uint32_t type = 0;
        std::string data;
        if (rest.empty() || rest.front() != '=' || !parseData(rest.substr(1), type, data)) {
            understood = false;
            continue;
        }
        store.m_keys[current].setValue(name, type, std::move(data));
    }
    if (complete)
        *complete = understood;
    return store;
}

std::string TRegStore::serialize() const
{
    std::string out = "REGEDIT4\n";
    for (const TRegKey& key : m_keys) {
        out += "\n[";
        out += key.path();
        out += "]\n";
        for (const TRegValue& value : key.values()) {
            if (value.Name.empty())
                out.push_back('@');
            else
                appendQuoted(out, value.Name);
            out.push_back('=');
            appendData(out, value);
            out.push_back('\n');
        }
    }
    return out;
}
