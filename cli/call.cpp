// zolt call: one late-bound call of a method of TvrZOLT22.ZOLT, printed as
// one JSON object.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <limits>
#include <memory>

#include "cli/cli.h"
#include "component/zolt.h"
#include "db/database.h"
#include "platform/ado/ado.h"
#include "platform/com/names.h"
#include "platform/com/registry.h"

namespace zolt::cli {

namespace {

constexpr const char* kConnectionParameter = "InVntConecta_DB";
constexpr const char* kKindParameter = "InVntBanco_Dados";
constexpr const char* kUserParameter = "invntUsuario_Internet_ID";

// A path, or a full connection string when the text holds a '='.
std::string connection_string(const std::string& db) {
    if (db.find('=') != std::string::npos) return db;
    if (!std::filesystem::exists(db))
        throw CommandError("database file not found: " + db + " (create one with: zolt init --db " + db +
                           " --sample)");
    return db::connection_string(db);
}

// The database kind goes in as the text given: "ORACLE" selects the inline
// dialect, SQLSERVER (or any other text) the stored procedures. Absent: Empty.
Variant database_kind(const Options& options) {
    if (!options.has("--kind")) return Variant();
    return Variant(options.value("--kind"));
}

// The user id as a Long; absent: Empty.
Variant user_id(const Options& options) {
    if (!options.has("--user")) return Variant();
    std::string text = options.value("--user");
    try {
        std::size_t used = 0;
        long long user = std::stoll(text, &used);
        if (used == text.size() && user >= std::numeric_limits<int32_t>::min() &&
            user <= std::numeric_limits<int32_t>::max())
            return Variant::long_(static_cast<int32_t>(user));
    } catch (const std::logic_error&) {
    }
    throw CommandError("--user needs a whole number (a Long), not " + text);
}

json parse_arguments(const Options& options) {
    if (!options.has("--args")) return json::object();
    json arguments;
    try {
        arguments = json::parse(options.value("--args"));
    } catch (const json::parse_error& error) {
        throw CommandError(std::string("--args is not valid JSON: ") + error.what());
    }
    if (!arguments.is_object()) throw CommandError("--args must be a JSON object of parameter names and values");
    return arguments;
}

// Holds one reference to the object for the length of the command.
struct Released {
    void operator()(com::IDispatch* object) const { object->Release(); }
};

// The one line the command prints is laid out over several lines for
// reading: one per argument and per statement.
void print(const json& head, const char* head_name, const com::MethodInfo& method, const std::vector<Variant>& values,
           const std::vector<ado::TraceEntry>* statements) {
    std::cout << "{\n  \"" << head_name << "\": " << dump(head) << ",\n  \"args\": {";
    for (std::size_t i = 0; i < values.size(); ++i)
        std::cout << (i ? ",\n    " : "\n    ") << dump(method.parameters[i]) << ": " << dump(to_json(values[i]));
    std::cout << "\n  }";
    if (statements) {
        std::cout << ",\n  \"sql\": [";
        for (std::size_t i = 0; i < statements->size(); ++i) {
            const auto& entry = (*statements)[i];
            json line{{"text", entry.text}, {"connection", entry.separate ? "separate" : "caller"}};
            std::cout << (i ? ",\n    " : "\n    ") << dump(line);
        }
        std::cout << (statements->empty() ? "]" : "\n  ]");
    }
    std::cout << "\n}\n";
}

}  // namespace

int run_call(const Options& options) {
    if (options.positional.size() != 1) throw CommandError("call needs exactly one METHOD name");
    const std::string& method_name = options.positional[0];
    const std::string connection_text = connection_string(options.value("--db"));
    const Variant kind = database_kind(options);
    const Variant user = user_id(options);
    const json arguments = parse_arguments(options);

    std::unique_ptr<com::IDispatch, Released> object;
    try {
        object.reset(com::create_object(component::kProgId));
    } catch (const automation::AutomationError& error) {
        throw CommandError(error.description() + " (run: zolt register)");
    }
    const com::MethodInfo* method = object->GetTypeInfo().find(method_name);
    if (!method) throw CommandError("unknown method " + method_name + " (see: zolt methods)");

    std::shared_ptr<ado::Connection> connection;
    try {
        connection = std::make_shared<ado::Connection>(connection_text);
    } catch (const automation::AutomationError& error) {
        throw CommandError("cannot open the database: " + error.description());
    }
    const Variant connection_value{automation::ObjectPtr(connection)};

    // Every parameter is passed by name, so the arguments go in by position
    // whatever the method's parameter order.
    std::vector<std::string> names{method->name};
    names.insert(names.end(), method->parameters.begin(), method->parameters.end());
    std::vector<Variant> values(method->parameters.size());
    auto set = [&](std::string_view name, Variant value) {
        com::DISPID position = com::parameter_position(*method, name);
        if (position < 0) throw CommandError("method " + method->name + " has no parameter " + std::string(name));
        values[position] = std::move(value);
    };
    if (com::parameter_position(*method, kConnectionParameter) >= 0) set(kConnectionParameter, connection_value);
    if (com::parameter_position(*method, kKindParameter) >= 0) set(kKindParameter, kind);
    if (com::parameter_position(*method, kUserParameter) >= 0) set(kUserParameter, user);
    for (const auto& [name, value] : arguments.items()) {
        try {
            set(name, from_json(value, connection_value));
        } catch (const CommandError& error) {
            throw CommandError("--args " + name + ": " + error.what());
        }
    }

    std::vector<com::DISPID> ids;
    if (object->GetIDsOfNames(names, ids) != com::S_OK) throw CommandError("the component does not know " + method_name);
    com::DispParams params;
    for (std::size_t i = 0; i < values.size(); ++i) params.named.emplace_back(ids[i + 1], &values[i]);

    const bool tracing = options.flags.contains("--trace");
    if (tracing) ado::trace::start();
    Variant result;
    com::ExcepInfo exception;
    com::HRESULT status = object->Invoke(ids[0], params, &result, &exception);
    std::vector<ado::TraceEntry> statements;
    if (tracing) statements = ado::trace::stop();

    if (status == com::DISP_E_EXCEPTION) {
        json error{{"number", exception.number}, {"description", exception.description}, {"source", exception.source}};
        print(error, "error", *method, values, tracing ? &statements : nullptr);
        return kExitCallFailed;
    }
    if (com::failed(status)) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08X", static_cast<uint32_t>(status));
        throw CommandError("the call of " + method->name + " was refused with status " + code);
    }
    print(to_json(result), "result", *method, values, tracing ? &statements : nullptr);
    return kExitOk;
}

}  // namespace zolt::cli
