// What the tests share.
#include "tests/support/helpers.h"

#include <stdlib.h>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "component/exports.h"
#include "db/database.h"

namespace zolt::test {

TempDatabase::TempDatabase(bool sample)
    : folder_((std::filesystem::temp_directory_path() / "zolt-test-XXXXXX").string()) {
    if (!mkdtemp(folder_.data()))
        throw std::runtime_error("cannot create a temporary folder");
    path_ = folder_ + "/zolt.db";
    db::create_database(path_, sample);
}

TempDatabase::~TempDatabase() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::string TempDatabase::connection_string() const { return db::connection_string(path_); }

void TempDatabase::inject(Mishap mishap, const std::string& table) const {
    if (mishap == Mishap::Refuse) {
        exec("CREATE TRIGGER refuse_" + table + " BEFORE INSERT ON " + table +
             " BEGIN SELECT RAISE(ABORT, 'recusado'); END");
        return;
    }
    for (const std::string event : {"INSERT", "UPDATE"})
        exec("CREATE TRIGGER empty_" + table + "_after_" + event + " AFTER " + event + " ON " + table +
             " BEGIN DELETE FROM Infra_IDS; END");
}

std::shared_ptr<ado::Connection> TestDatabase::connect() const {
    return std::make_shared<ado::Connection>(connection_string());
}

void TestDatabase::exec(const std::string& sql) const { connect()->session().execute(sql); }

std::vector<std::vector<Variant>> TestDatabase::rows(const std::string& sql) const {
    return connect()->session().execute(sql).rows();
}

Variant TestDatabase::scalar(const std::string& sql) const {
    auto all = rows(sql);
    if (all.empty() || all.front().empty())
        return Variant();
    return all.front().front();
}

Lines TestDatabase::row_texts(const std::string& sql) const {
    Lines lines;
    for (const auto& row : rows(sql)) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i)
            line += (i ? "|" : "") + (row[i].is_null() ? std::string("NULL") : automation::to_text(row[i]));
        lines.push_back(line);
    }
    return lines;
}

component::_ZOLT* new_zolt() {
    com::IClassFactory* factory = nullptr;
    void* object = nullptr;
    if (DllGetClassObject(&component::kClsidZOLT, &com::kIID_IClassFactory,
                          reinterpret_cast<void**>(&factory)) == com::S_OK) {
        factory->CreateInstance(nullptr, component::kIID_ZOLT, &object);
        factory->Release();
    }
    if (!object)
        throw std::runtime_error("the class factory made no ZOLT object");
    return static_cast<component::_ZOLT*>(object);
}

ComponentTest::ComponentTest(bool embedded) : zolt_(new_zolt()) {
    if (embedded)
        use(std::make_unique<TempDatabase>());
}

void ComponentTest::use(std::unique_ptr<TestDatabase> database) {
    db = std::move(database);
    connection = Variant(automation::ObjectPtr(db->connect()));
}

Variant ComponentTest::invoke(std::string_view method, Arguments& arguments, const Variant& kind) {
    message = kAsPassed;
    Variant kind_passed = kind;
    std::vector<std::pair<std::string, Variant*>> passed{
        {"InVntConecta_DB", &connection}, {"outvntMsg_Ret", &message}, {"InVntBanco_Dados", &kind_passed}};
    if (std::ranges::find(arguments, kUser, &Arguments::value_type::first) == arguments.end())
        passed.emplace_back(kUser, &user);
    for (auto& [name, value] : arguments)
        passed.emplace_back(name, &value);
    std::vector<std::string> names{std::string(method)};
    for (const auto& [name, value] : passed)
        names.push_back(name);
    std::vector<com::DISPID> ids;
    EXPECT_EQ(zolt_->GetIDsOfNames(names, ids), com::S_OK) << method;
    com::DispParams params;
    for (std::size_t i = 0; i < passed.size(); ++i)
        params.named.emplace_back(ids.at(i + 1), passed[i].second);
    Variant result;
    EXPECT_EQ(zolt_->Invoke(ids.at(0), params, &result, nullptr), com::S_OK) << method;
    return result;
}

Arguments ComponentTest::unset(std::initializer_list<const char*> names) {
    Arguments arguments;
    for (const char* name : names)
        arguments.emplace_back(name, kAsPassed);
    return arguments;
}

std::vector<Variant> ComponentTest::outputs(const Arguments& arguments) {
    std::vector<Variant> values;
    for (const auto& [name, value] : arguments)
        if (name.starts_with("Out"))
            values.push_back(value);
    return values;
}

Trace ComponentTest::traced(const std::function<void()>& fn) {
    ado::trace::start();
    fn();
    return ado::trace::stop();
}

void BackendTest::SetUp() {
    auto database = GetParam()();
    if (!database)
        GTEST_SKIP() << "no database server: $ZOLT_PG is not set";
    use(std::move(database));
}

Lines BackendTest::operations() const {
    return rows("SELECT ENTIDADE_ID, OPERACAO, USUARIO_ID, CHAVE FROM Infra_Operacao ORDER BY OPERACAO_ID");
}

Arguments ComponentTest::new_item() {
    return {{kShipping, day(2030, 3, 10)}, {kPart, 303}, {kOrder, 1}, {kQuantity, 40}};
}

Arguments ComponentTest::changed(Arguments arguments, const Arguments& changes) {
    for (const auto& [name, value] : changes) {
        const auto found = std::ranges::find(arguments, name, &Arguments::value_type::first);
        if (found == arguments.end())
            arguments.emplace_back(name, value);
        else
            found->second = value;
    }
    return arguments;
}

int32_t error_number(const std::function<void()>& call) {
    return static_cast<int32_t>(std::strtol(error_text(call).c_str(), nullptr, 10));
}

std::string error_text(const std::function<void()>& call) {
    try {
        call();
    } catch (const automation::AutomationError& e) {
        return std::to_string(e.number()) + "|" + e.description() + "|" + e.source();
    }
    return {};
}

namespace {

class HeldValue : public automation::Object {
public:
    explicit HeldValue(Variant value) : value_(std::move(value)) {}
    Variant default_value() const override { return value_; }
    std::string kind() const override { return "Field"; }

private:
    Variant value_;
};

}  // namespace

Variant object_holding(Variant value) {
    return Variant(automation::ObjectPtr(std::make_shared<HeldValue>(std::move(value))));
}

void on_new_thread(const std::function<void()>& fn) {
    std::exception_ptr failure;
    std::thread thread([&] {
        try {
            fn();
        } catch (...) {
            failure = std::current_exception();
        }
    });
    thread.join();
    if (failure)
        std::rethrow_exception(failure);
}

}  // namespace zolt::test

namespace zolt::automation {

void PrintTo(const Variant& value, std::ostream* out) {
    *out << "vt " << static_cast<int>(value.type());
    if (value.is_array() || value.is_object() || value.is_null() || value.is_empty())
        return;
    *out << " \"" << to_text(value) << '"';
}

}  // namespace zolt::automation
