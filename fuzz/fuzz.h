// What the fuzz targets share: a database with the sample data made once per
// run in a folder of its own, and a fuzz finding reported as a crash.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

#include "db/database.h"

namespace zolt::fuzz {

// A database file with the schema, the procedures and the sample data, made
// at the first call; removed with its folder when the run ends.
inline const std::string& sample_database() {
    static const struct Folder {
        std::string path = (std::filesystem::temp_directory_path() / "zolt-fuzz-XXXXXX").string();
        Folder() {
            if (!mkdtemp(path.data()))
                throw std::runtime_error("cannot create a temporary folder");
        }
        ~Folder() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    } folder;
    static const std::string path = [] {
        db::create_database(folder.path + "/sample.db", true);
        return folder.path + "/sample.db";
    }();
    return path;
}

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
