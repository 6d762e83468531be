// Parsing the words after the command name.
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

}  // namespace zolt::cli
