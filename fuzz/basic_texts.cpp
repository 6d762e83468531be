// Date and number texts under the Basic rules and in the outside components
// that read them: any text converts or raises an automation error, and a date
// read from a text, written day first, reads back as the same day.
#include <cmath>

#include "fuzz/fuzz.h"
#include "platform/automation/variant.h"
#include "services/implementations.h"

using namespace zolt;
using automation::Variant;

namespace {

template <class Conversion>
void attempt(Conversion conversion) {
    try {
        conversion();
    } catch (const automation::AutomationError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(fuzz::text_of(data, size));
    const Variant value(text);
    double number = 0;
    automation::parse_number(text, number);
    automation::Date date;
    if (automation::parse_date(text, date) && std::isfinite(date.serial)) {
        const std::string written = automation::format(Variant(date), "dd/mm/yyyy");
        automation::Date again;
        // The day is the whole part of the serial: before day zero the time
        // of day counts away from it.
        if (!automation::parse_date(written, again) || std::trunc(again.serial) != std::trunc(date.serial))
            fuzz::finding("a date does not read back from its day-first text", text + " -> " + written);
    }
    attempt([&] { automation::to_long(value); });
    attempt([&] { automation::to_integer(value); });
    attempt([&] { automation::to_double(value); });
    attempt([&] { automation::to_date(value); });
    attempt([&] { automation::to_bool(value); });
    attempt([&] { automation::format(value, "dd/mm/yyyy"); });
    automation::is_numeric(value);
    automation::is_date(value);
    automation::less(value, Variant::long_(1));
    automation::equals(value, Variant(automation::Date{1.5}));

    services::SqlFormatterService formatter;
    services::LiteralWriterService writer;
    std::string none, equals = "=";
    attempt([&] { formatter.NumberValue(value); });
    attempt([&] { formatter.SqlNumber(value); });
    attempt([&] { formatter.SqlDate(value); });
    attempt([&] { writer.WriteDate(value, none); });
    attempt([&] { writer.WriteNumber(value, equals); });
    return 0;
}
