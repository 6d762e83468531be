// Procedure calls and definitions: any text is a call, a definition, neither,
// or refused with a provider error; calls run on a database with the stored
// procedures; a text the date rewriting would keep is kept; a call read into
// the buffers of the calls read before reads as it does afresh.
#include <bit>

#include "fuzz/fuzz.h"
#include "platform/sqlite/sql_text.h"
#include "platform/sqlite/sqlite.h"

using namespace zolt;

namespace {

// What reading a text as a procedure call gives, or the error it raises.
std::string reading(std::string_view text, sqlite::ProcedureCall& call) {
    try {
        if (!sqlite::parse_procedure_call(text, call))
            return "none";
    } catch (const automation::AutomationError& error) {
        return error.description();
    }
    std::string out = call.procedure;
    for (const sqlite::Argument& argument : call.arguments)
        out += "|" + std::to_string(static_cast<int>(argument.kind)) + ":" + std::to_string(argument.integer) + ":" +
               std::to_string(std::bit_cast<uint64_t>(argument.real)) + ":" + std::string(argument.text);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const auto session = sqlite::open_database(fuzz::sample_database(), false);
    const std::string text(fuzz::text_of(data, size));
    try {
        if (!sqlite::needs_rewrite(text) && sqlite::rewrite_inline_sql(text) != text)
            fuzz::finding("a text said to need no rewriting was rewritten", text);
    } catch (const automation::AutomationError&) {
    }
    static sqlite::ProcedureCall reused;
    sqlite::ProcedureCall fresh;
    if (reading(text, reused) != reading(text, fresh))
        fuzz::finding("a call read after others reads otherwise", text);
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
