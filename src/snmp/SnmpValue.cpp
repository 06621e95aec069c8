#include "SnmpValue.h"

#include "BerTag.h"
#include "TSNMPMib.h"

#include <charconv>

namespace {

std::optional<std::int64_t> signedOf(const std::string& text)
{
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

SnmpValue SnmpValue::ofText(std::string text, int type)
{
    SnmpValue value;
    value.kind = ValueKind::Text;
    value.type = type;
    value.text = std::move(text);
    return value;
}

SnmpValue SnmpValue::ofUnsigned(std::uint64_t number, int type)
{
    SnmpValue value;
    value.kind = ValueKind::Unsigned;
    value.type = type;
    value.number = number;
    return value;
}

SnmpValue SnmpValue::ofInteger(std::int64_t number)
{
    SnmpValue value;
    value.kind = ValueKind::Integer;
    value.type = BerTag::Integer;
    value.number = static_cast<std::uint64_t>(number);
    return value;
}

SnmpValue SnmpValue::ofBinding(const SnmpBinding& binding)
{
    SnmpValue value;
    value.type = binding.ValueType;
    if (binding.ValueType == BerTag::Null)
        return value;
    if (binding.isException()) {
        value.kind = ValueKind::Exception;
        return value;
    }
    if (binding.isUnsigned())
        return ofUnsigned(binding.Number, binding.ValueType);
    if (binding.ValueType == BerTag::Integer) {
        if (const std::optional<std::int64_t> number = signedOf(binding.Value))
            return ofInteger(*number);
    }
    return ofText(binding.Value, binding.ValueType);
}

SnmpValue SnmpValue::ofRecord(const TSNMPMib& binding)
{
    SnmpValue value;
    value.type = binding.ValueType;
    if (binding.ValueType == BerTag::Null)
        return value;
    const std::optional<std::int64_t> number = signedOf(binding.Value);
    switch (binding.ValueType) {
    case BerTag::Counter32:
    case BerTag::Gauge32:
    case BerTag::TimeTicks:
        // Rendered as signed 32-bit: the bits are the unsigned value.
        if (number)
            return ofUnsigned(static_cast<std::uint32_t>(*number), binding.ValueType);
        break;
    case BerTag::Counter64: {
        std::uint64_t wide = 0;
        if (parseUnsignedText(binding.Value, UINT64_MAX, wide))
            return ofUnsigned(wide, binding.ValueType);
        break;
    }
    case BerTag::Integer:
        if (number)
            return ofInteger(*number);
        break;
    default:
        break;
    }
    return ofText(binding.Value, binding.ValueType);
}

std::optional<std::int64_t> SnmpValue::integer() const
{
    if (kind != ValueKind::Integer)
        return std::nullopt;
    return static_cast<std::int64_t>(number);
}

bool SnmpValue::operator==(const SnmpValue& other) const
{
    return kind == other.kind && type == other.type && number == other.number && text == other.text;
}

bool operator==(const SnmpValue& value, const std::string& text)
{
    switch (value.kind) {
    case ValueKind::Text:
        return value.text == text;
    case ValueKind::Unsigned:
        return std::to_string(value.number) == text;
    case ValueKind::Integer:
        return std::to_string(static_cast<std::int64_t>(value.number)) == text;
    default:
        return false;
    }
}

ValueOutcome valueOutcome(const SnmpValue& value)
{
    if (!value.present())
        return ValueOutcome::Exception;
    return value.kind == ValueKind::Text ? ValueOutcome::NotANumber : ValueOutcome::Value;
}

bool parseUnsignedText(const std::string& text, std::uint64_t max, std::uint64_t& value)
{
    if (text.empty() || text.size() > 20)
        return false;
    std::uint64_t result = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (result > (max - digit) / 10)
            return false;
        result = result * 10 + digit;
    }
    value = result;
    return true;
}

bool unsignedOf(const SnmpValue& value, std::uint64_t max, std::uint64_t& number)
{
    switch (value.kind) {
    case ValueKind::Unsigned:
        if (value.number > max)
            return false;
        number = value.number;
        return true;
    case ValueKind::Integer:
        if (static_cast<std::int64_t>(value.number) < 0 || value.number > max)
            return false;
        number = value.number;
        return true;
    case ValueKind::Text:
        return parseUnsignedText(value.text, max, number);
    default:
        return false;
    }
}
