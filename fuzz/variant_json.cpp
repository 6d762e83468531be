// The typed JSON of zolt call's arguments: any text either reads as a Variant
// or is refused as bad usage, and what reads comes back out as typed JSON that
// reads again as the same Variant.
#include <memory>

#include "cli/variant_json.h"
#include "fuzz/fuzz.h"
#include "platform/ado/ado.h"

using namespace zolt;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const automation::Variant connection(automation::ObjectPtr(std::make_shared<ado::Connection>()));
    automation::Variant value;
    try {
        value = cli::from_json(cli::parse_json(fuzz::text_of(data, size)), connection);
    } catch (const std::invalid_argument&) {
        return 0;
    }
    const cli::json typed = cli::to_json(value);
    const std::string text = cli::dump(typed);
    if (typed.contains("vt") && typed["vt"] == "DISPATCH")
        return 0;
    try {
        if (!(cli::from_json(cli::parse_json(text), connection) == value))
            fuzz::finding("typed JSON reads back as another value", text);
    } catch (const std::exception& error) {
        fuzz::finding(std::string("typed JSON does not read back: ") + error.what(), text);
    }
    return 0;
}
