// Pieces of the zolt command shared between its sources.
#pragma once

#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/automation/variant.h"

namespace zolt::cli {

using automation::Variant;
using json = nlohmann::ordered_json;  // keeps "vt" before "v"

// Exit statuses of the command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 2;       // bad usage, or the command could not do its work
inline constexpr int kExitCallFailed = 3;    // the component's method itself reported a failure

// Bad usage or a failure that stops the command; main prints it as one line.
class CommandError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The words after the command name: positional words, "--name value" (or
// "--name=value") options, and "--name" flags. Unknown options are refused.
struct Options {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values;
    std::set<std::string> flags;

    bool has(const std::string& name) const { return values.contains(name); }
    std::string value(const std::string& name) const;  // refuses a missing option
};
Options parse_options(std::span<const std::string> words, const std::set<std::string>& valued,
                      const std::set<std::string>& flags);

// Typed JSON of a Variant: {"vt": "I2", "v": 10}.
json to_json(const Variant& value);
// A Variant from its typed JSON or the shorthand (number, string, true/false,
// null, array). `connection` stands for {"vt": "DISPATCH", "v": "Connection"}.
Variant from_json(const json& value, const Variant& connection);
// Compact JSON text; invalid UTF-8 in texts is replaced rather than refused.
std::string dump(const json& value);

// The component library the command loads for register, unregister and methods.
std::string component_library();

int run_init(const Options& options);
int run_registration(bool register_it);
int run_methods();
int run_call(const Options& options);

}  // namespace zolt::cli
