// What the fuzz targets share: a database with the sample data made once per
// run in a folder of its own, and a fuzz finding reported as a crash.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace zolt::fuzz {

// A database file with the schema, the procedures and the sample data, made
// at the first call; removed when the run ends.
const std::string& sample_database();

// Stops the run on an answer that breaks a rule the target checks.
[[noreturn]] inline void finding(std::string_view what, std::string_view detail) {
    std::fprintf(stderr, "finding: %.*s: %.*s\n", static_cast<int>(what.size()), what.data(),
                 static_cast<int>(detail.size()), detail.data());
    std::abort();
}

inline std::string_view text_of(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace zolt::fuzz
