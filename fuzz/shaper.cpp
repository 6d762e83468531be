// The statement shaper, differentially: a statement run on the prepared
// statement of its shape, its values bound, answers exactly what its text run
// as sent answers.
#include <algorithm>
#include <cctype>

#include "db/scripts.h"
#include "fuzz/fuzz.h"
#include "tests/support/shape_check.h"

using namespace zolt;

namespace {

sqlite3* open_sample() {
    sqlite3* db = nullptr;
    sqlite3_open(":memory:", &db);
    sqlite3_exec(db, std::string(db::scripts::schema).c_str(), nullptr, nullptr, nullptr);
    sqlite3_exec(db, std::string(db::scripts::sample).c_str(), nullptr, nullptr, nullptr);
    return db;
}

// Texts whose answer changes from one run to the next, or that the engine
// cannot read past (a NUL ends the text it is given).
bool varies(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    for (const char* word : {"random", "now", "current_"})
        if (text.find(word) != std::string::npos)
            return true;
    return text.find('\0') != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static sqlite3* db = open_sample();
    const std::string text(fuzz::text_of(data, size));
    if (varies(text))
        return 0;
    if (const test::ShapeCheck check = test::check_shape(db, text); !check.difference.empty())
        fuzz::finding("shaped and as sent answer differently", text + "\n" + check.difference);
    return 0;
}
