#include "fuzz/fuzz.h"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>

#include "db/database.h"

namespace zolt::fuzz {

namespace {

struct Folder {
    std::string path;
    Folder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zolt-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create a temporary folder");
        path = pattern;
    }
    ~Folder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

}  // namespace

const std::string& sample_database() {
    static Folder folder;
    static const std::string path = [] {
        std::string file = folder.path + "/sample.db";
        db::create_database(file, true);
        return file;
    }();
    return path;
}

}  // namespace zolt::fuzz
