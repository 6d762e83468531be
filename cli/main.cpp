// zolt: create databases, register the component, list its interface and
// call its methods from the shell.
#include <filesystem>
#include <iostream>

#include "cli/cli.h"
#include "db/database.h"

namespace zolt::cli {

namespace {

constexpr const char* kUsage = R"(usage: zolt COMMAND [OPTIONS]

Commands:
  init --db PATH [--sample] [--force]
      Create a database file with the schema and the stored procedures, and
      with --sample the sample data. An existing file is kept unless --force.
  register
      Register TvrZOLT22.ZOLT (calls DllRegisterServer of libTvrZOLT22.so).
  unregister
      Remove what register wrote (calls DllUnregisterServer).
  methods
      List the interface: each method's DISPID, result kind, name and parameters.
  call METHOD --db DB [--kind ORACLE|SQLSERVER] [--user N] [--args JSON] [--trace]
      Create TvrZOLT22.ZOLT, open DB, call METHOD with named arguments and print
      one JSON object: {"result": V, "args": {"<parameter>": V, ...}, "sql": [...]}.
        --db     a database file, or a full connection string (anything with '=')
        --kind   fills InVntBanco_Dados with the text given: ORACLE selects the
                 inline-SQL dialect, SQLSERVER (or any other text) the stored
                 procedures
        --user   fills invntUsuario_Internet_ID as a Long (user 1 gets the
                 technical details of an error in its messages)
        --args   a JSON object that sets or overrides parameters by name
                 (any letter case); parameters not given are Empty
        --trace  add "sql": the statements the component opened, in order, with
                 the connection each ran on ("caller" or "separate")
      InVntConecta_DB is the open connection.
      Values are typed, {"vt": "I2", "v": 10}, with vt one of Empty, Null, I2, I4,
      I8, R8, DATE ("v": "2005-03-04T10:00:00"), BSTR, BOOL, ARRAY ({"vt": "ARRAY",
      "lbound": 0, "v": [...]}) and DISPATCH ("v": "Connection"). Input also takes
      plain JSON: a whole number is a Long (a Double when it does not fit), other
      numbers a Double, a string a String, true/false a Boolean, null Null.
      When the method itself fails the command prints {"error": {"number": N,
      "description": "...", "source": "..."}, "args": {...}} and exits with 3.

Environment:
  ZOLT_REGISTRY  the registry file (default $XDG_CONFIG_HOME/tvrzolt22/registry,
                 or ~/.config/tvrzolt22/registry)
  ZOLT_LIBRARY   the libTvrZOLT22.so to register or list (default: the one beside
                 this command, or the one it was built with)

Exit status: 0 done, 2 bad usage or failure, 3 the called method reported a failure.
)";

int run(const std::vector<std::string>& words) {
    if (words.empty()) throw CommandError("no command given (see: zolt --help)");
    for (const auto& word : words)
        if (word == "--help" || word == "-h" || word == "help") {
            std::cout << kUsage;
            return kExitOk;
        }
    const std::string& command = words[0];
    std::span<const std::string> rest(words.begin() + 1, words.end());
    if (command == "init") return run_init(parse_options(rest, {"--db"}, {"--sample", "--force"}));
    if (command == "call") return run_call(parse_options(rest, {"--db", "--kind", "--user", "--args"}, {"--trace"}));
    if (command == "register" || command == "unregister" || command == "methods") {
        if (!rest.empty()) throw CommandError(command + " takes no options");
        return command == "methods" ? run_methods() : run_registration(command == "register");
    }
    throw CommandError("unknown command " + command + " (see: zolt --help)");
}

// Messages go out as one line each.
std::string one_line(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    return text;
}

}  // namespace

int run_init(const Options& options) {
    if (!options.positional.empty()) throw CommandError("init takes no word " + options.positional[0]);
    const std::string path = options.value("--db");
    const bool sample = options.flags.contains("--sample");
    const bool force = options.flags.contains("--force");
    if (!force && std::filesystem::exists(path)) throw CommandError(path + " already exists (--force replaces it)");
    db::create_database(path, sample, force);
    std::cout << "Created " << path << (sample ? " with the sample data" : "") << '\n';
    return kExitOk;
}

}  // namespace zolt::cli

int main(int argc, char** argv) {
    using namespace zolt;
    std::vector<std::string> words(argv + 1, argv + argc);
    try {
        return cli::run(words);
    } catch (const cli::CommandError& error) {
        std::cerr << "zolt: " << cli::one_line(error.what()) << '\n';
    } catch (const automation::AutomationError& error) {
        std::cerr << "zolt: " << cli::one_line(error.description()) << '\n';
    } catch (const std::exception& error) {
        std::cerr << "zolt: " << cli::one_line(error.what()) << '\n';
    }
    return cli::kExitFailure;
}
