// Pieces of the zolt command shared between its sources.
#pragma once

#include <map>
#include <set>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cli/variant_json.h"

namespace zolt::cli {

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
// "--name=value") options, and "--name" flags. An option's value is always
// the next word, whatever it reads. "--help" (or "-h") is a flag of every
// command. Unknown options are refused.
struct Options {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values;
    std::set<std::string> flags;

    bool has(const std::string& name) const { return values.contains(name); }
    std::string value(const std::string& name) const;  // refuses a missing option
};
Options parse_options(std::span<const std::string> words, const std::set<std::string>& valued,
                      const std::set<std::string>& flags);

// The text with the value of every Password= or Pwd= entry of a connection
// string replaced by "***": nothing the command prints shows a password.
std::string hide_passwords(std::string_view text);
json hide_passwords_in(json value);  // every text in the value

// The component library the command loads for register, unregister and methods.
std::string component_library();
// The interface of the component, one method a line: DISPID, result kind, name
// and parameters.
void print_methods(std::ostream& out);

int run_init(const Options& options);
int run_registration(bool register_it);
int run_methods(const Options& options);
int run_call(const Options& options);

}  // namespace zolt::cli
