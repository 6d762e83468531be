// The zolt command as a newcomer and the end-to-end tests use it: each test
// runs the built binary with a registry file of its own.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "platform/automation/variant.h"

namespace {

using json = nlohmann::ordered_json;  // the order of the output is part of what is checked
namespace fs = std::filesystem;
using zolt::automation::Variant;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string quoted(const std::string& word) {
    std::string text = "'";
    for (char c : word)
        text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return text + "'";
}

std::string contents(const fs::path& path) {
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

json typed(const char* type, json value) { return json{{"vt", type}, {"v", std::move(value)}}; }

class Cli : public ::testing::Test {
protected:
    Cli() {
        folder = fs::temp_directory_path() / ("zolt-cli-" + std::to_string(::getpid()));
        fs::create_directories(folder);
        db = (folder / "zolt.db").string();
    }
    ~Cli() override { fs::remove_all(folder); }

    Outcome zolt(const std::vector<std::string>& words, const std::string& input = "") {
        std::ofstream(folder / "in") << input;
        std::string command =
            "ZOLT_REGISTRY=" + quoted((folder / "registry").string()) + " " + quoted(ZOLT_CLI);
        for (const auto& word : words)
            command += " " + quoted(word);
        command += " >" + quoted((folder / "out").string()) + " 2>" + quoted((folder / "err").string()) +
                   " <" + quoted((folder / "in").string());
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, contents(folder / "out"), contents(folder / "err")};
    }

    // A database with the sample data, and the component registered.
    void prepare() {
        ASSERT_EQ(zolt({"init", "--db", db, "--sample"}).status, 0);
        ASSERT_EQ(zolt({"register"}).status, 0);
    }

    // A call that must succeed and print one JSON object.
    json call(std::vector<std::string> words) {
        words.insert(words.begin(), "call");
        const Outcome run = zolt(words);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        json answer = json::parse(run.out, nullptr, false);
        EXPECT_FALSE(answer.is_discarded()) << "not one JSON object: " << run.out;
        return answer;
    }

    fs::path folder;
    std::string db;
};

// "args" lists every parameter in order; "sql" only with --trace. Kind and
// user are Empty when not given.
// Typed and shorthand values are read back from the message argument, which
// the method leaves as it was passed; no password of a connection string
// shows in any form.
TEST_F(Cli, CallsAMethodByNameWithTypedArguments) {
    prepare();
    const std::string today = zolt::automation::format(Variant(zolt::automation::now()), "dd/mm/yyyy");
    json oracle = call({"gverifica_data_atual", "--db", db, "--kind", "ORACLE", "--user", "1", "--trace"});
    EXPECT_EQ(oracle["result"], typed("BOOL", true));
    EXPECT_EQ(oracle["args"], (json{{"OutVntData_Atual", typed("BSTR", today)},
                                    {"invntUsuario_Internet_ID", typed("I4", 1)},
                                    {"InVntConecta_DB", typed("DISPATCH", "Connection")},
                                    {"outvntMsg_Ret", json{{"vt", "Empty"}}},
                                    {"InVntBanco_Dados", typed("BSTR", "ORACLE")}}));
    EXPECT_EQ(oracle["sql"],
              json::parse(R"([{"text": "Select Sysdate as Data From Infra_IDS ", "connection": "caller"}])"));

    const std::vector<std::pair<std::string, json>> cases{
        {"10", typed("I4", 10)},
        {"3000000000", typed("R8", 3e9)},
        {R"("Plásticos 'Gama'")", typed("BSTR", "Plásticos 'Gama'")},
        {"true", typed("BOOL", true)},
        {"null", json{{"vt", "Null"}}},
        {R"({"vt": "Empty"})", json{{"vt", "Empty"}}},
        {R"({"vt": "I2", "v": -7})", typed("I2", -7)},
        {R"({"vt": "I8", "v": 5000000000})", typed("I8", 5000000000)},
        {R"({"vt": "R8", "v": 15})", typed("R8", 15.0)},
        {R"({"vt": "DATE", "v": "2005-03-04T10:00:00"})", typed("DATE", "2005-03-04T10:00:00")},
        {R"({"vt": "ARRAY", "lbound": 1, "v": [1, {"vt": "BOOL", "v": false}]})",
         json{{"vt", "ARRAY"}, {"lbound", 1}, {"v", {typed("I4", 1), typed("BOOL", false)}}}},
        {R"({"vt": "DISPATCH", "v": "Connection"})", typed("DISPATCH", "Connection")},
        {R"("Password=a;PWD = {b;c};pwd='d;e';Passwords=f;XPwd=g")",
         typed("BSTR", "Password=***;PWD = ***;pwd=***;Passwords=f;XPwd=g")},
    };
    const std::string with_password = "Provider=SQLite;Password=a;Data Source=" + db;
    for (const auto& [input, output] : cases) {
        json answer = call(
            {"gVerifica_Data_Atual", "--db", with_password, "--args", R"({"OUTVNTMSG_RET": )" + input + "}"});
        EXPECT_EQ(answer["args"]["outvntMsg_Ret"], output) << input;
        EXPECT_EQ(answer["result"], typed("BOOL", true));
        for (const char* empty : {"InVntBanco_Dados", "invntUsuario_Internet_ID"})
            EXPECT_EQ(answer["args"][empty], (json{{"vt", "Empty"}}));
        EXPECT_FALSE(answer.contains("sql"));
    }
    // --args overrides what the options filled in.
    json answer = call({"gVerifica_Data_Atual", "--db", db, "--kind", "ORACLE", "--args",
                        R"({"InVntBanco_Dados": "oracle", "invntUsuario_Internet_ID": {"vt": "I2", "v": 3}})",
                        "--trace"});
    EXPECT_EQ(answer["args"]["InVntBanco_Dados"], typed("BSTR", "oracle"));
    EXPECT_EQ(answer["args"]["invntUsuario_Internet_ID"], typed("I2", 3));
    EXPECT_EQ(answer["sql"][0]["text"], "Select Getdate() as Data ");
}

// Command lines in order, each with its exit status, the start of what it
// prints, and a part of its error line: bad usage and failures print one line
// "zolt: ..." and nothing else. An option's value is always a value, never a
// request for help, and no password of a connection string shows.
TEST_F(Cli, AnswersEachCommandLine) {
    struct Run {
        std::vector<std::string> words;
        int status;
        std::string out, err;
    };
    const std::string method = "gVerifica_Data_Atual";
    const auto args = [&](const std::string& json) {
        return std::vector<std::string>{"call", method, "--db", db, "--args", json};
    };
    const std::string deep =
        R"({"outvntMsg_Ret": )" + std::string(60000, '[') + std::string(60000, ']') + "}";
    const std::vector<Run> runs{
        {{"init", "--db", db}, 0, "Created " + db + "\n", ""},
        {{"init", "--db", db, "--sample"}, 2, "", db + " already exists"},
        {{"init", "--db", db, "--sample", "--force"}, 0, "Created " + db + " with the sample data\n", ""},
        {{"init", "--sample"}, 2, "", "--db"},
        {{"register"}, 0, "", ""},
        {{"frobnicate"}, 2, "", "unknown command frobnicate"},
        {args("[1]"), 2, "", "JSON object"},
        {args(R"({"outvntMsg_Ret": {"vt": "I2", "v": 40000}})"), 2, "", "I2"},
        {args(R"({"outvntMsg_Ret": {"v": 1}})"), 2, "", "typed"},
        {args(deep), 2, "", "nesting deeper than 64"},
        {{"call", method, "--db", db, "--user", "1.5"}, 2, "", "--user"},
        {{"call", method, "--db", (folder / "missing.db").string()}, 2, "", "not found"},
        {{"call", method}, 2, "", "--db"},
        {{"call", method, "--db", db, "--verbose"}, 2, "", "--verbose"},
        {{"call", method, "--db", "--help"}, 2, "", "not found: --help"},
        {{"call", "Pwd=secret", "--db", db}, 2, "", "unknown method Pwd=***\n"},
        {{"call", "--batch", "--db", db, "--kind", "ORACLE"}, 2, "", "--batch takes only --db"},
        {{"unregister"}, 0, "", ""},
        {{"call", method, "--db", db}, 2, "", "not registered"},
    };
    for (const Run& run : runs) {
        const Outcome outcome = zolt(run.words);
        const std::string line = run.words.at(0) + " " + run.err;
        EXPECT_EQ(outcome.status, run.status) << line << outcome.err;
        EXPECT_TRUE(outcome.out.starts_with(run.out)) << line << outcome.out;
        if (run.status == 0) {
            EXPECT_EQ(outcome.err, "") << line;
            continue;
        }
        EXPECT_EQ(outcome.out, "") << line;
        EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
        EXPECT_TRUE(outcome.err.starts_with("zolt: ")) << outcome.err;
        EXPECT_NE(outcome.err.find(run.err), std::string::npos) << outcome.err;
    }
}

// Every line gets its answer, in order, the same as a single call would
// print; a bad line gets an error answer and the stream goes on.
TEST_F(Cli, BatchAnswersEveryLine) {
    prepare();
    const std::string read = R"({"method": "gconsulta_campos_pedido", "kind": "ORACLE", "user": 1,)"
                             R"( "args": {"InVntPedido_ID": 2}, "trace": true})";
    const std::vector<std::pair<std::string, std::string>> lines{
        {read, ""},
        {"nope", "not valid JSON"},
        {R"({"user": 9E0559})", "not valid JSON"},
        {R"({"method": "gNada"})", "unknown method gNada"},
        {R"({"method": "gVerifica_Data_Atual", "usr": 1})", "unknown key \"usr\""},
        {R"({"method": "gVerifica_Data_Atual", "user": "1"})", "whole number"},
        {R"({"method": "gVerifica_Data_Atual", "args": {"InVntPedido_ID": 1}})",
         "no parameter InVntPedido_ID"},
        {R"({"kind": "ORACLE"})", "needs \"method\""},
        {R"({"method": "gVerifica_Data_Atual", "kind": "ORACLE"})", ""},
    };
    std::string input;
    for (const auto& [line, error] : lines)
        input += line + "\n  \n";
    Outcome run = zolt({"call", "--batch", "--db", db}, input);
    ASSERT_EQ(run.status, 0) << run.err;
    std::istringstream answers(run.out);
    std::vector<json> parsed;
    for (std::string answer; std::getline(answers, answer);)
        parsed.push_back(json::parse(answer));
    ASSERT_EQ(parsed.size(), lines.size()) << run.out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].second.empty())
            continue;
        EXPECT_EQ(parsed[i].size(), 1u) << parsed[i];
        EXPECT_EQ(parsed[i]["error"]["source"], "zolt");
        EXPECT_NE(parsed[i]["error"]["description"].get<std::string>().find(lines[i].second),
                  std::string::npos)
            << parsed[i];
    }
    EXPECT_EQ(parsed[0], call({"gconsulta_campos_pedido", "--db", db, "--kind", "ORACLE", "--user", "1",
                               "--args", R"({"InVntPedido_ID": 2})", "--trace"}));
    EXPECT_EQ(parsed.back()["result"], typed("BOOL", true));
}

// The interface is listed from the library itself, without registration.
TEST_F(Cli, DescribesItselfAndTheInterface) {
    const Outcome methods = zolt({"methods"});
    ASSERT_EQ(methods.status, 0) << methods.err;
    EXPECT_EQ(std::count(methods.out.begin(), methods.out.end(), '\n'), 17);
    const std::string line =
        "\n0x60030007  Boolean  gVerifica_Data_Atual(OutVntData_Atual, invntUsuario_Internet_ID, "
        "InVntConecta_DB, outvntMsg_Ret, InVntBanco_Dados)\n";
    EXPECT_NE(methods.out.find(line), std::string::npos) << methods.out;
    const Outcome listed = zolt({"methods", "--json"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    const json interface = json::parse(listed.out);
    EXPECT_EQ(interface["interface"], "_ZOLT");
    ASSERT_EQ(interface["methods"].size(), 16u);
    EXPECT_EQ(interface["methods"][7], json::parse(R"({"dispid": 1610809351, "name": "gVerifica_Data_Atual",
        "result": "Boolean", "parameters": ["OutVntData_Atual", "invntUsuario_Internet_ID", "InVntConecta_DB",
        "outvntMsg_Ret", "InVntBanco_Dados"]})"));
    EXPECT_FALSE(fs::exists(folder / "registry"));

    // Help for all, or for one command; both name the methods where a command takes one.
    const Outcome all = zolt({"help"});
    EXPECT_NE(all.out.find(line), std::string::npos) << all.out;
    EXPECT_EQ(zolt({"-h"}).out, all.out);
    const Outcome call_help = zolt({"call", "--help"});
    EXPECT_TRUE(call_help.out.starts_with("usage: zolt call METHOD")) << call_help.out;
    EXPECT_NE(call_help.out.find(line), std::string::npos);
    EXPECT_EQ(zolt({"help", "call"}).out, call_help.out);
}

}  // namespace
