#include "RegVariant.h"

#include "ConvertError.h"
#include "TextCase.h"

std::string regVariantText(const TRegVariant& value)
{
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    if (const auto* number = std::get_if<int32_t>(&value))
        return std::to_string(*number);
    return std::get<bool>(value) ? "True" : "False";
}

bool regVariantToInt(const TRegVariant& value, int32_t& result)
{
    if (const auto* number = std::get_if<int32_t>(&value)) {
        result = *number;
        return true;
    }
    if (const auto* text = std::get_if<std::string>(&value))
        return tryStrToInt32(*text, result);
    return false;
}

bool regVariantToBool(const TRegVariant& value, bool& result)
{
    if (const auto* flag = std::get_if<bool>(&value)) {
        result = *flag;
        return true;
    }
    if (const auto* number = std::get_if<int32_t>(&value)) {
        result = *number != 0;
        return true;
    }
    const auto& text = std::get<std::string>(value);
    if (equalsNoCase(text, "True")) {
        result = true;
        return true;
    }
    if (equalsNoCase(text, "False")) {
        result = false;
        return true;
    }
    return false;
}

bool regVariantToText(const TRegVariant& value, std::string& result)
{
    if (std::holds_alternative<bool>(value))
        return false;
    result = regVariantText(value);
    return true;
}
