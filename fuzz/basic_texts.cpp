// Date and number texts under the Basic rules and in the outside components
// that read them: any text converts or raises an automation error, and a date
// read from a text, written day first, reads back as the same day.
#include <cmath>
#include <functional>

#include "fuzz/fuzz.h"
#include "platform/automation/variant.h"
#include "services/implementations.h"

using namespace zolt;
using automation::Variant;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(fuzz::text_of(data, size));
    const Variant value(text);
    automation::Date date;
    if (automation::parse_date(text, date) && std::isfinite(date.serial)) {
        const std::string written = automation::format(Variant(date), "dd/mm/yyyy");
        automation::Date again;
        // The day is the whole part of the serial: before day zero the time
        // of day counts away from it.
        if (!automation::parse_date(written, again) || std::trunc(again.serial) != std::trunc(date.serial))
            fuzz::finding("a date does not read back from its day-first text", text + " -> " + written);
        // A date text is written from its parts as read, without its Date.
        constexpr std::string_view kEveryPart = "yyyy-mm-dd hh:nn:ss d/m/yy";
        if (automation::format(value, kEveryPart) != automation::format(Variant(date), kEveryPart))
            fuzz::finding("a date text is written otherwise than its date", text);
    }
    services::SqlFormatterService formatter;
    services::LiteralWriterService writer;
    std::string none, equals = "=";
    double number = 0;
    automation::parse_number(text, number);
    // These answer for any text; the readings below may refuse it.
    automation::is_numeric(value);
    automation::is_date(value);
    automation::less(value, Variant::long_(1));
    automation::equals(value, Variant(automation::Date{1.5}));
    const std::function<void()> readings[] = {
        [&] { automation::to_long(value); }, [&] { automation::to_integer(value); },
        [&] { automation::to_double(value); }, [&] { automation::to_date(value); },
        [&] { automation::to_bool(value); }, [&] { automation::format(value, "dd/mm/yyyy"); },
        [&] { formatter.NumberValue(value); }, [&] { formatter.SqlNumber(value); },
        [&] { formatter.SqlDate(value); }, [&] { writer.WriteDate(value, none); },
        [&] { writer.WriteNumber(value, equals); },
    };
    for (const auto& reading : readings) {
        try {
            reading();
        } catch (const automation::AutomationError&) {
        }
    }
    return 0;
}
