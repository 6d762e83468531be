// zolt: create databases, register the component, list its interface and
// call its methods from the shell.
#include <filesystem>
#include <iostream>

#include "cli/cli.h"
#include "db/database.h"

namespace zolt::cli {

namespace {

struct Command {
    const char* name;
    const char* help;  // the synopsis line and what follows it
};

constexpr Command kCommands[] = {
    {"init", R"(init --db PATH|CONNECTION [--sample] [--force]
    Create a database file with the schema and the stored procedures, and
    with --sample the sample data. An existing file is kept unless --force.
    Given the connection string of a PostgreSQL server ("Provider=ODBC;
    Driver={PostgreSQL Unicode};Server=...;Port=...;Database=...;Uid=...;
    Pwd=..."), create the same there; a database that already holds the
    schema is kept unless --force.
)"},
    {"register", R"(register
    Register TvrZOLT22.ZOLT (calls DllRegisterServer of libTvrZOLT22.so).
)"},
    {"unregister", R"(unregister
    Remove what register wrote (calls DllUnregisterServer).
)"},
    {"methods", R"(methods [--json]
    List the interface: each method's DISPID, result kind, name and parameters.
    --json prints it as one JSON object: {"interface": "_ZOLT", "iid": "{...}",
    "methods": [{"dispid": N, "name": "...", "result": "Boolean"|"Variant",
    "parameters": ["...", ...]}, ...]}. Every parameter is a Variant by reference.
)"},
    {"call", R"(call METHOD --db DB [--kind ORACLE|SQLSERVER] [--user N] [--args JSON] [--trace]
call --batch --db DB
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
    --batch reads one request a line from standard input,
      {"method": "...", "kind": "...", "user": N, "args": {...}, "trace": true}
    (all but "method" optional), and answers each with one line in the form
    above, in order; a line it cannot take is answered {"error": {"description":
    "...", "source": "zolt"}} and the stream goes on. One object and one open
    connection serve the whole stream.
)"},
    {"help", R"(help [COMMAND]
    Show this text, or the part about one command (also: zolt COMMAND --help).
)"},
};

constexpr const char* kTrailer = R"(
Environment:
  ZOLT_REGISTRY  the registry file (default $XDG_CONFIG_HOME/tvrzolt22/registry,
                 or ~/.config/tvrzolt22/registry)
  ZOLT_LIBRARY   the libTvrZOLT22.so to register or list (default: the one beside
                 this command, or the one in the library folder of its install)

Exit status: 0 done, 2 bad usage or failure, 3 the called method reported a failure.
)";

const Command* find_command(std::string_view name) {
    for (const auto& command : kCommands)
        if (name == command.name) return &command;
    return nullptr;
}

// The interface goes with the help of the commands that name its methods.
void print_interface() {
    std::cout << '\n';
    try {
        print_methods(std::cout);
    } catch (const std::exception& error) {
        std::cout << "(the methods are listed once the library is found: " << error.what() << ")\n";
    }
}

int help(const Command* command) {
    if (command) {
        std::cout << "usage: zolt " << command->help;
        if (std::string_view(command->name) == "call") print_interface();
        return kExitOk;
    }
    std::cout << "usage: zolt COMMAND [OPTIONS]\n\nCommands:\n";
    for (const auto& each : kCommands) std::cout << "  " << each.help;
    std::cout << kTrailer;
    print_interface();
    return kExitOk;
}

int run(const std::vector<std::string>& words) {
    if (words.empty()) throw CommandError("no command given (see: zolt help)");
    const std::string& name = words[0];
    if (name == "--help" || name == "-h") return help(nullptr);
    const Command* command = find_command(name);
    if (!command) throw CommandError("unknown command " + name + " (see: zolt help)");
    std::span<const std::string> rest(words.begin() + 1, words.end());

    if (name == "help") {
        if (rest.size() > 1) throw CommandError("help takes at most one COMMAND");
        if (rest.empty()) return help(nullptr);
        const Command* about = find_command(rest[0]);
        if (!about) throw CommandError("unknown command " + rest[0] + " (see: zolt help)");
        return help(about);
    }
    Options options;
    if (name == "init")
        options = parse_options(rest, {"--db"}, {"--sample", "--force"});
    else if (name == "call")
        options = parse_options(rest, {"--db", "--kind", "--user", "--args"}, {"--trace", "--batch"});
    else if (name == "methods")
        options = parse_options(rest, {}, {"--json"});
    else
        options = parse_options(rest, {}, {});
    if (options.flags.contains("--help")) return help(command);

    if (name == "init") return run_init(options);
    if (name == "call") return run_call(options);
    if (name == "methods") return run_methods(options);
    if (!options.positional.empty()) throw CommandError(name + " takes no word " + options.positional[0]);
    return run_registration(name == "register");
}

// Messages go out as one line each, without passwords.
std::string one_line(std::string_view message) {
    std::string text = hide_passwords(message);
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
    if (path.find('=') != std::string::npos) {
        // A connection string: an embedded database it names, or a server.
        db::create_database_on(path, sample, force);
        std::cout << "Created the database on " << hide_passwords(path) << (sample ? " with the sample data" : "")
                  << '\n';
        return kExitOk;
    }
    if (!force && std::filesystem::exists(path)) throw CommandError(path + " already exists (--force replaces it)");
    db::create_database(path, sample, force);
    std::cout << "Created " << hide_passwords(path) << (sample ? " with the sample data" : "") << '\n';
    return kExitOk;
}

}  // namespace zolt::cli

int main(int argc, char** argv) {
    using namespace zolt;
    std::vector<std::string> words(argv + 1, argv + argc);
    try {
        return cli::run(words);
    } catch (const std::exception& error) {  // an AutomationError's text is its description
        std::cerr << "zolt: " << cli::one_line(error.what()) << '\n';
    }
    return cli::kExitFailure;
}
