// zolt call: late-bound calls of the methods of TvrZOLT22.ZOLT, one from the
// command's options, or a stream of them from standard input (--batch), each
// answered with one JSON object.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>

#include "cli/cli.h"
#include "component/zolt.h"
#include "db/database.h"
#include "platform/ado/ado.h"
#include "platform/com/named_call.h"
#include "platform/com/registry.h"

namespace zolt::cli {

namespace {

constexpr const char* kConnectionParameter = "InVntConecta_DB";
constexpr const char* kKindParameter = "InVntBanco_Dados";
constexpr const char* kUserParameter = "invntUsuario_Internet_ID";

// One call: the method's name, the database kind (passed as the text given:
// "ORACLE" selects the inline dialect, any other text the stored procedures),
// the user id (a Long), the arguments by name, and whether to trace. The kind
// and the user are Empty when not given.
struct Request {
    std::string method;
    Variant kind;
    Variant user;
    json args = json::object();
    bool trace = false;
};

Variant user_id(const json& value) {
    Variant user = from_json(value, Variant());
    if (user.type() != automation::VarType::I4)
        throw CommandError("the user needs a whole number (a Long), not " + dump(value));
    return user;
}

json arguments(const json& value) {
    if (!value.is_object()) throw CommandError("the arguments must be a JSON object of parameter names and values");
    return value;
}

Request request_from_options(const Options& options) {
    if (options.positional.size() != 1) throw CommandError("call needs exactly one METHOD name");
    Request request;
    request.method = options.positional[0];
    if (options.has("--kind")) request.kind = Variant(options.value("--kind"));
    if (options.has("--user")) {
        std::string text = options.value("--user");
        try {
            request.user = user_id(parse_json(text));
        } catch (const std::exception&) {
            throw CommandError("--user needs a whole number (a Long), not " + text);
        }
    }
    if (options.has("--args")) {
        try {
            request.args = arguments(parse_json(options.value("--args")));
        } catch (const std::exception& error) {
            throw CommandError(std::string("--args: ") + error.what());
        }
    }
    request.trace = options.flags.contains("--trace");
    return request;
}

// {"method": "...", "kind": "...", "user": N, "args": {...}, "trace": true}
Request request_from_line(const std::string& line) {
    const json value = parse_json(line);
    if (!value.is_object()) throw CommandError("a request must be a JSON object");
    Request request;
    for (const auto& [key, item] : value.items()) {
        if (key == "method" && item.is_string())
            request.method = item.get<std::string>();
        else if (key == "kind" && item.is_string())
            request.kind = Variant(item.get<std::string>());
        else if (key == "user")
            request.user = user_id(item);
        else if (key == "args")
            request.args = arguments(item);
        else if (key == "trace" && item.is_boolean())
            request.trace = item.get<bool>();
        else if (key == "method" || key == "kind" || key == "trace")
            throw CommandError("\"" + key + "\" needs a " + (key == "trace" ? "Boolean" : "text") + ", not " + dump(item));
        else
            throw CommandError("unknown key \"" + key + "\" (method, kind, user, args, trace)");
    }
    if (request.method.empty()) throw CommandError("a request needs \"method\"");
    return request;
}

// A path, or a full connection string when the text holds a '='.
std::string connection_string(const std::string& db) {
    if (db.find('=') != std::string::npos) return db;
    if (!std::filesystem::exists(db))
        throw CommandError("database file not found: " + db + " (create one with: zolt init --db " + db +
                           " --sample)");
    return db::connection_string(db);
}

struct Released {
    void operator()(com::IDispatch* object) const { object->Release(); }
};

// One object and one open connection, for one call or a whole stream of them.
class Caller {
public:
    explicit Caller(const std::string& db) {
        const std::string text = connection_string(db);
        try {
            object_.reset(com::create_object(component::kProgId));
        } catch (const automation::AutomationError& error) {
            throw CommandError(error.description() + " (run: zolt register)");
        }
        try {
            connection_ = Variant(automation::ObjectPtr(std::make_shared<ado::Connection>(text)));
        } catch (const automation::AutomationError& error) {
            throw CommandError("cannot open the database: " + error.description());
        }
    }

    // The answer to one request: {"result": V, "args": {...}} with "sql" when
    // traced, or {"error": {...}, "args": {...}} when the method reported a
    // failure (then `failed` is set). Bad requests raise CommandError.
    json answer(const Request& request, bool& failed) {
        const com::MethodInfo* method = object_->GetTypeInfo().find(request.method);
        if (!method) throw CommandError("unknown method " + request.method + " (see: zolt methods)");
        com::NamedCall call(*object_, *method);
        call.set(kConnectionParameter, connection_);
        call.set(kKindParameter, request.kind);
        call.set(kUserParameter, request.user);
        for (const auto& [name, value] : request.args.items()) {
            Variant argument;
            try {
                argument = from_json(value, connection_);
            } catch (const std::invalid_argument& error) {
                throw CommandError(name + ": " + error.what());
            }
            if (!call.set(name, std::move(argument)))
                throw CommandError("method " + method->name + " has no parameter " + name);
        }

        if (request.trace) ado::trace::start();
        Variant result;
        com::ExcepInfo exception;
        com::HRESULT status = call.invoke(&result, &exception);
        std::vector<ado::TraceEntry> statements;
        if (request.trace) statements = ado::trace::stop();

        json answer;
        failed = status == com::DISP_E_EXCEPTION;
        if (failed) {
            answer["error"] = {{"number", exception.number},
                               {"description", exception.description},
                               {"source", exception.source}};
        } else if (com::failed(status)) {
            char code[16];
            std::snprintf(code, sizeof code, "0x%08X", static_cast<uint32_t>(status));
            throw CommandError("the call of " + method->name + " was refused with status " + code);
        } else {
            answer["result"] = to_json(result);
        }
        json& args = answer["args"] = json::object();
        for (std::size_t i = 0; i < method->parameters.size(); ++i)
            args[method->parameters[i]] = to_json(call.arguments()[i]);
        if (request.trace) {
            json& sql = answer["sql"] = json::array();
            for (const auto& entry : statements)
                sql.push_back({{"text", entry.text}, {"connection", entry.separate ? "separate" : "caller"}});
        }
        return hide_passwords_in(std::move(answer));
    }

private:
    std::unique_ptr<com::IDispatch, Released> object_;
    Variant connection_;
};

// The one answer of a single call is laid out over several lines for
// reading: one per argument and per statement.
void print(const json& answer) {
    const char* separator = "{\n  ";
    for (const auto& [key, value] : answer.items()) {
        std::cout << separator << dump(key) << ": ";
        separator = ",\n  ";
        if (key == "result" || key == "error" || value.empty()) {
            std::cout << dump(value);
            continue;
        }
        const bool listed = value.is_array();
        std::cout << (listed ? '[' : '{');
        const char* item_separator = "\n    ";
        for (const auto& [name, item] : value.items()) {
            std::cout << item_separator << (listed ? "" : dump(name) + ": ") << dump(item);
            item_separator = ",\n    ";
        }
        std::cout << "\n  " << (listed ? ']' : '}');
    }
    std::cout << "\n}\n";
}

int run_batch(const Options& options) {
    if (!options.positional.empty() || options.values.size() != 1 || options.flags.size() != 1)
        throw CommandError("call --batch takes only --db (the requests come on standard input)");
    Caller caller(options.value("--db"));
    std::string line;
    while (std::getline(std::cin, line)) {
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        json answer;
        try {
            bool failed = false;
            answer = caller.answer(request_from_line(line), failed);
        } catch (const std::exception& error) {
            answer = {{"error", {{"description", hide_passwords(error.what())}, {"source", "zolt"}}}};
        }
        std::cout << dump(answer) << '\n' << std::flush;
    }
    return kExitOk;
}

}  // namespace

int run_call(const Options& options) {
    if (options.flags.contains("--batch")) return run_batch(options);
    const Request request = request_from_options(options);
    Caller caller(options.value("--db"));
    bool failed = false;
    print(caller.answer(request, failed));
    return failed ? kExitCallFailed : kExitOk;
}

}  // namespace zolt::cli
