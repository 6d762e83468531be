#include <algorithm>
#include <optional>
#include <tuple>

#include "services/implementations.h"
#include "services/values.h"

namespace zolt::services {

using automation::AutomationError;

namespace {

// A refusal: the message, which names the field by its label.
bool refuse(Variant& message, const Variant& label, std::string_view before, std::string_view after) {
    std::string text(before);
    text.append(automation::to_text(label)).append(after);
    message = Variant(std::move(text));
    return false;
}

// The answer of a check when the value is missing (refused when the field is
// required, "S"); none when the value is present and the check goes on.
std::optional<bool> missing_answer(const Variant& label, const Variant& plain, const Variant& required,
                                   Variant& message) {
    if (!is_missing(plain))
        return std::nullopt;
    if (automation::trim(automation::to_text(required)) != "S")
        return true;
    return refuse(message, label, "Informe o campo ", ".");
}

// A limit argument (minimum, maximum length) as a plain value, kept in
// holder when it is an object's; null when it is not given.
const Variant* limit_of(const Variant& limit, Variant& holder) {
    const Variant& plain = automation::plain_value(limit, holder);
    return is_missing(plain) ? nullptr : &plain;
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
    Variant holder, limit_holder;
    const Variant& plain = automation::plain_value(value, holder);
    if (const auto answer = missing_answer(label, plain, required, message))
        return *answer;
    const std::optional<double> number = number_in(plain);
    if (!number)
        return refuse(message, label, "O campo ", " deve ser numérico.");
    const Variant* lowest = limit_of(minimum, limit_holder);
    if (lowest && *number < automation::to_double(*lowest))
        return refuse(message, label, "O campo ", " deve ser maior ou igual a " + automation::to_text(*lowest) + ".");
    return true;
}

bool FieldValidatorService::CheckText(Variant& label, Variant& value, Variant& max_length, Variant& user_id,
                                      Variant& message, Variant& required) {
    Variant holder, limit_holder;
    const Variant& plain = automation::plain_value(value, holder);
    if (const auto answer = missing_answer(label, plain, required, message))
        return *answer;
    if (const Variant* longest = limit_of(max_length, limit_holder)) {
        const int32_t limit = automation::to_long(*longest);
        const std::string converted = plain.is_text() ? std::string() : automation::to_text(plain);
        const std::string& text = plain.is_text() ? plain.text() : converted;
        if (automation::text_length(text) > static_cast<std::size_t>(std::max(limit, 0)))
            return refuse(message, label, "O campo ", " deve ter no máximo " + std::to_string(limit) + " caracteres.");
    }
    return true;
}

bool FieldValidatorService::CheckDate(Variant& label, Variant& value, Variant& server_date, Variant& unused,
                                      Variant& user_id, Variant& message, Variant& out_text, Variant& required) {
    Variant holder, limit_holder;
    const Variant& plain = automation::plain_value(value, holder);
    if (const auto answer = missing_answer(label, plain, required, message))
        return *answer;
    automation::Date date;
    if (plain.type() == automation::VarType::Date)
        date = plain.date();
    else if (!plain.is_text() || !automation::parse_date(plain.text(), date))
        return refuse(message, label, "O campo ", " não contém uma data válida.");
    if (const Variant* today = limit_of(server_date, limit_holder)) {
        if (calendar_day(date) < calendar_day(automation::to_date(*today)))
            return refuse(message, label, "O campo ", " não pode ser anterior a " + automation::to_text(*today) + ".");
    }
    out_text = Variant(automation::format(Variant(date), "dd/mm/yyyy"));
    return true;
}

}  // namespace zolt::services
