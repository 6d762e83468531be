// Procedure calls and definitions: any text is a call, a definition, neither,
// or refused with a provider error; calls run on a database with the stored
// procedures; a text the date rewriting would keep is kept.
#include "fuzz/fuzz.h"
#include "platform/sqlite/sql_text.h"
#include "platform/sqlite/sqlite.h"

using namespace zolt;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const auto session = sqlite::open_database(fuzz::sample_database(), false);
    const std::string text(fuzz::text_of(data, size));
    try {
        if (!sqlite::needs_rewrite(text) && sqlite::rewrite_inline_sql(text) != text)
            fuzz::finding("a text said to need no rewriting was rewritten", text);
    } catch (const automation::AutomationError&) {
    }
    try {
        sqlite::parse_procedure_definition(text);
    } catch (const automation::AutomationError&) {
    }
    try {
        if (sqlite::parse_procedure_call(text))
            session->execute(text);
    } catch (const automation::AutomationError&) {
    }
    return 0;
}
