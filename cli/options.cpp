// Parsing the words after the command name, and keeping passwords out of
// what the command prints.
#include <algorithm>
#include <cctype>

#include "cli/cli.h"

namespace zolt::cli {

std::string Options::value(const std::string& name) const {
    auto found = values.find(name);
    if (found == values.end()) throw CommandError("missing option " + name);
    return found->second;
}

Options parse_options(std::span<const std::string> words, const std::set<std::string>& valued,
                      const std::set<std::string>& flags) {
    Options options;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word == "-h" || word == "--help") {
            options.flags.insert("--help");
            continue;
        }
        if (!word.starts_with("--")) {
            options.positional.push_back(word);
            continue;
        }
        std::size_t equals = word.find('=');
        std::string name = word.substr(0, equals);
        if (flags.contains(name) && equals == std::string::npos) {
            options.flags.insert(name);
        } else if (valued.contains(name)) {
            if (equals != std::string::npos)
                options.values[name] = word.substr(equals + 1);
            else if (i + 1 < words.size())
                options.values[name] = words[++i];
            else
                throw CommandError("option " + name + " needs a value");
        } else {
            throw CommandError("unknown option " + word);
        }
    }
    return options;
}

namespace {

bool is_name_char(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Where the value of a "Password=" or "Pwd=" entry starts at `at`, or npos.
std::size_t password_value(std::string_view text, std::size_t at) {
    if (at > 0 && is_name_char(text[at - 1])) return std::string_view::npos;
    for (std::string_view key : {"password", "pwd"}) {
        if (text.size() - at < key.size()) continue;
        if (!std::ranges::equal(text.substr(at, key.size()), key,
                                [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; }))
            continue;
        std::size_t i = at + key.size();
        while (i < text.size() && text[i] == ' ') ++i;
        if (i < text.size() && text[i] == '=') {
            ++i;
            while (i < text.size() && text[i] == ' ') ++i;
            return i;
        }
    }
    return std::string_view::npos;
}

// The end of a value: a {braced}, "quoted" or 'quoted' one ends with its
// closing mark, a plain one at the next ';'.
std::size_t value_end(std::string_view text, std::size_t start) {
    if (start < text.size()) {
        char open = text[start];
        char close = open == '{' ? '}' : open == '"' || open == '\'' ? open : '\0';
        if (close) {
            std::size_t end = text.find(close, start + 1);
            return end == std::string_view::npos ? text.size() : end + 1;
        }
    }
    std::size_t end = text.find(';', start);
    return end == std::string_view::npos ? text.size() : end;
}

}  // namespace

std::string hide_passwords(std::string_view text) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t start = password_value(text, i);
        if (start == std::string_view::npos) {
            out += text[i++];
            continue;
        }
        out += text.substr(i, start - i);
        out += "***";
        i = value_end(text, start);
    }
    return out;
}

json hide_passwords_in(json value) {
    if (value.is_string()) return hide_passwords(value.get<std::string>());
    if (value.is_structured())
        for (auto& item : value) item = hide_passwords_in(std::move(item));
    return value;
}

}  // namespace zolt::cli
