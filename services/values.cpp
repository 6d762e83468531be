#include "services/values.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zolt::services {

using automation::AutomationError;
using automation::VarType;

bool is_missing(const Variant& plain) {
    return plain.is_empty() || plain.is_null() ||
           (plain.is_text() && plain.text().find_first_not_of(' ') == std::string::npos);  // blank once trimmed
}

std::optional<Variant> number_of(const Variant& plain) {
    if (plain.type() == VarType::I4)
        return plain;
    if (plain.type() == VarType::I2)
        return Variant::long_(plain.i2());
    if (plain.is_array())
        throw AutomationError::type_mismatch();
    if (is_missing(plain))
        return std::nullopt;
    if (plain.type() == VarType::Date)
        return Variant(automation::to_double(plain));  // the serial
    if (!automation::is_numeric(plain))
        return std::nullopt;
    const double number = automation::to_double(plain);
    const bool whole = number == std::floor(number) && number >= std::numeric_limits<int32_t>::min() &&
                       number <= std::numeric_limits<int32_t>::max();
    return whole ? Variant::long_(static_cast<int32_t>(number)) : Variant(number);
}

std::optional<std::string> number_literal(const Variant& value) {
    if (value.type() == VarType::I4)  // the usual value, written at once
        return std::to_string(value.i4());
    Variant holder;
    const Variant& plain = automation::plain_value(value, holder);
    if (is_missing(plain))
        return std::nullopt;
    const std::optional<Variant> number = number_of(plain);
    if (!number)
        throw AutomationError::type_mismatch();
    return automation::to_text(*number);
}

std::optional<automation::DateParts> date_parts_of(const Variant& value) {
    Variant holder;
    const Variant& plain = automation::plain_value(value, holder);
    if (is_missing(plain))
        return std::nullopt;
    if (plain.type() == VarType::Date)
        return automation::split_date(plain.date());
    // A date text is written as read, without making its date and splitting
    // it again.
    automation::DateParts parts;
    if (!plain.is_text() || !automation::parse_date_parts(plain.text(), parts))
        throw AutomationError::type_mismatch();
    return parts;
}

std::string timestamp_text(const automation::DateParts& parts, std::string_view opening, char separator,
                           std::string_view closing) {
    // A year of four digits: dates hold the years 100 to 9999.
    std::string text(opening.size() + 19 + closing.size(), ' ');
    char* at = std::copy(opening.begin(), opening.end(), text.data());
    auto put = [&](int n, char after) {
        *at++ = static_cast<char>('0' + n / 10);
        *at++ = static_cast<char>('0' + n % 10);
        if (after)
            *at++ = after;
    };
    put(parts.year / 100, 0);
    put(parts.year % 100, '-');
    put(parts.month, '-');
    put(parts.day, separator);
    put(parts.hour, ':');
    put(parts.minute, ':');
    put(parts.second, 0);
    std::copy(closing.begin(), closing.end(), at);
    return text;
}

std::string quoted(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '\'';
    // Each run up to and with a quote, then the quote that doubles it.
    std::size_t quote;
    while ((quote = text.find('\'')) != std::string_view::npos) {
        out.append(text.substr(0, quote + 1)) += '\'';
        text.remove_prefix(quote + 1);
    }
    out.append(text) += '\'';
    return out;
}

std::optional<std::string> text_literal(const Variant& value) {
    Variant holder;
    const Variant& plain = automation::plain_value(value, holder);
    if (plain.is_empty() || plain.is_null())
        return std::nullopt;
    return quoted(automation::to_text(plain));
}

std::string comparison(const std::string& op, std::optional<std::string> literal) {
    // The operator without the blanks around it, read in place: most literals
    // are written bare, with an empty one.
    std::string_view trimmed = op;
    const std::size_t first = trimmed.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return literal ? std::move(*literal) : "NULL";
    trimmed = trimmed.substr(first, trimmed.find_last_not_of(' ') - first + 1);
    if (literal) {
        std::string out;
        out.reserve(trimmed.size() + 1 + literal->size());
        out.append(trimmed).append(" ").append(*literal);
        return out;
    }
    if (trimmed == "=")
        return "IS NULL";
    if (trimmed == "<>")
        return "IS NOT NULL";
    return std::string(trimmed) + " NULL";
}

}  // namespace zolt::services
