#include <algorithm>
#include <optional>
#include <tuple>

#include "services/implementations.h"
#include "services/values.h"

namespace zolt::services {

using automation::AutomationError;

namespace {

bool refuse(Variant& message, const std::string& text) {
    message = Variant(text);
    return false;
}

// The answer of a check when the value is missing (refused when the field is
// required, "S"); none when the value is present and the check goes on.
std::optional<bool> missing_answer(const std::string& label, const Variant& plain, const Variant& required,
                                   Variant& message) {
    if (!is_missing(plain))
        return std::nullopt;
    if (automation::trim(automation::to_text(required)) != "S")
        return true;
    return refuse(message, "Informe o campo " + label + ".");
}

// A limit argument (minimum, maximum length); none when it is not given.
std::optional<Variant> limit_of(const Variant& limit) {
    Variant holder;
    const Variant& plain = automation::plain_value(limit, holder);
    return is_missing(plain) ? std::nullopt : std::optional<Variant>(plain);
}

// The number a value stands for; none when it is not a number or too large
// to be one.
std::optional<double> number_in(const Variant& plain) {
    if (!automation::is_numeric(plain))
        return std::nullopt;
    try {
        return automation::to_double(plain);
    } catch (const AutomationError&) {
        return std::nullopt;
    }
}

std::tuple<int, int, int> calendar_day(automation::Date date) {
    const automation::DateParts parts = automation::split_date(date);
    return {parts.year, parts.month, parts.day};
}

}  // namespace

bool FieldValidatorService::CheckNumber(Variant& label, Variant& value, Variant& minimum, Variant& unused,
                                        Variant& user_id, Variant& message, Variant& required) {
    const std::string name = automation::to_text(label);
    Variant holder;
    const Variant& plain = automation::plain_value(value, holder);
    if (const auto answer = missing_answer(name, plain, required, message))
        return *answer;
    const std::optional<double> number = number_in(plain);
    if (!number)
        return refuse(message, "O campo " + name + " deve ser numérico.");
    const std::optional<Variant> lowest = limit_of(minimum);
    if (lowest && *number < automation::to_double(*lowest))
        return refuse(message, "O campo " + name + " deve ser maior ou igual a " + automation::to_text(*lowest) + ".");
    return true;
}

bool FieldValidatorService::CheckText(Variant& label, Variant& value, Variant& max_length, Variant& user_id,
                                      Variant& message, Variant& required) {
    const std::string name = automation::to_text(label);
    Variant holder;
    const Variant& plain = automation::plain_value(value, holder);
    if (const auto answer = missing_answer(name, plain, required, message))
        return *answer;
    const std::string text = automation::to_text(plain);
    const std::optional<Variant> longest = limit_of(max_length);
    if (longest) {
        const int32_t limit = automation::to_long(*longest);
        if (automation::text_length(text) > static_cast<std::size_t>(std::max(limit, 0)))
            return refuse(message,
                          "O campo " + name + " deve ter no máximo " + std::to_string(limit) + " caracteres.");
    }
    return true;
}

bool FieldValidatorService::CheckDate(Variant& label, Variant& value, Variant& server_date, Variant& unused,
                                      Variant& user_id, Variant& message, Variant& out_text, Variant& required) {
    const std::string name = automation::to_text(label);
    Variant holder;
    const Variant& plain = automation::plain_value(value, holder);
    if (const auto answer = missing_answer(name, plain, required, message))
        return *answer;
    if (!automation::is_date(plain))
        return refuse(message, "O campo " + name + " não contém uma data válida.");
    const automation::Date date = automation::to_date(plain);
    if (const std::optional<Variant> today = limit_of(server_date)) {
        if (calendar_day(date) < calendar_day(automation::to_date(*today)))
            return refuse(message,
                          "O campo " + name + " não pode ser anterior a " + automation::to_text(*today) + ".");
    }
    out_text = Variant(automation::format(Variant(date), "dd/mm/yyyy"));
    return true;
}

}  // namespace zolt::services
