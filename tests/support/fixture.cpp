// Shared test support.
#include "tests/support/fixture.h"

#include <stdlib.h>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "component/exports.h"
#include "db/database.h"
#include "outside/outside.h"

namespace zolt::test {

namespace {

std::string make_temp_folder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zolt-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    return pattern;
}

void expect_ok(com::HRESULT status, const char* what) {
    if (com::failed(status))
        throw std::runtime_error(std::string(what) + " failed with status " + std::to_string(status));
}

}  // namespace

TempDatabase::TempDatabase(bool sample) : folder_(make_temp_folder()), path_(folder_ + "/zolt.db") {
    try {
        db::create_database(path_, sample);
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
        throw;
    }
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
    return connect()->session().execute(sql).rows;
}

Variant TestDatabase::scalar(const std::string& sql) const {
    auto all = rows(sql);
    if (all.empty() || all.front().empty())
        return Variant();
    return all.front().front();
}

ComponentTest::ComponentTest(bool embedded) {
    if (embedded)
        use(std::make_unique<TempDatabase>());
    com::IClassFactory* factory = nullptr;
    expect_ok(DllGetClassObject(&component::kClsidZOLT, &com::kIID_IClassFactory, reinterpret_cast<void**>(&factory)),
              "DllGetClassObject");
    com::IUnknown* object = nullptr;
    const com::HRESULT created = factory->CreateInstance(nullptr, com::kIID_IUnknown, reinterpret_cast<void**>(&object));
    factory->Release();
    expect_ok(created, "IClassFactory::CreateInstance");
    const com::HRESULT queried = object->QueryInterface(component::kIID_ZOLT, reinterpret_cast<void**>(&zolt_));
    object->Release();
    expect_ok(queried, "QueryInterface(_ZOLT)");
}

ComponentTest::~ComponentTest() {
    if (zolt_)
        zolt_->Release();
}

void ComponentTest::use(std::unique_ptr<TestDatabase> database) {
    db = std::move(database);
    connection = Variant(automation::ObjectPtr(db->connect()));
}

void BackendTest::SetUp() {
    auto database = GetParam()();
    if (!database)
        GTEST_SKIP() << "no database server: $ZOLT_PG is not set";
    use(std::move(database));
}

Variant ComponentTest::invoke(std::string_view method, Arguments& arguments) {
    std::vector<std::string> names{std::string(method)};
    for (const auto& [name, value] : arguments)
        names.push_back(name);
    std::vector<com::DISPID> ids;
    EXPECT_EQ(zolt_->GetIDsOfNames(names, ids), com::S_OK) << method;
    com::DispParams params;
    for (std::size_t i = 0; i < arguments.size(); ++i)
        params.named.emplace_back(ids.at(i + 1), &arguments[i].second);
    Variant result;
    EXPECT_EQ(zolt_->Invoke(ids.at(0), params, &result, nullptr), com::S_OK) << method;
    return result;
}

Variant ComponentTest::invoke(std::string_view method, Arguments& arguments, const Variant& kind,
                              const Variant& user) {
    if (std::ranges::find(arguments, "invntUsuario_Internet_ID", &Arguments::value_type::first) == arguments.end())
        arguments.emplace_back("invntUsuario_Internet_ID", user);
    arguments.insert(arguments.end(),
                     {{"InVntConecta_DB", connection}, {"outvntMsg_Ret", Variant()}, {"InVntBanco_Dados", kind}});
    return invoke(method, arguments);
}

const Variant& ComponentTest::argument(const Arguments& arguments, std::string_view name) {
    const auto found = std::ranges::find(arguments, name, &Arguments::value_type::first);
    if (found == arguments.end())
        throw std::invalid_argument("no argument " + std::string(name));
    return found->second;
}

std::vector<ado::TraceEntry> ComponentTest::traced(const std::function<void()>& fn) {
    ado::trace::start();
    try {
        fn();
    } catch (...) {
        ado::trace::stop();
        throw;
    }
    return ado::trace::stop();
}

std::vector<std::string> ComponentTest::traced_texts(const std::function<void()>& fn) {
    std::vector<std::string> texts;
    for (const auto& entry : traced(fn))
        texts.push_back(entry.text);
    return texts;
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

namespace {

class FailingFormatter : public outside::SqlFormatter {
public:
    FailingFormatter(std::shared_ptr<outside::SqlFormatter> real, std::string description, int answered)
        : real_(std::move(real)), description_(std::move(description)), answered_(answered) {}
    Variant NumberValue(Variant value) override { return answering()->NumberValue(value); }
    Variant SqlDate(Variant value) override { return literal()->SqlDate(value); }
    Variant TextValue(Variant value) override { return answering()->TextValue(value); }
    Variant SqlNumber(Variant value) override { return literal()->SqlNumber(value); }
    Variant SqlText(Variant value) override { return literal()->SqlText(value); }

private:
    // The real formatter, until the failure comes.
    outside::SqlFormatter* answering() const {
        if (answered_ < 0)
            throw automation::AutomationError(5, description_, "SqlFormatter");
        return real_.get();
    }
    outside::SqlFormatter* literal() {
        --answered_;
        return answering();
    }
    std::shared_ptr<outside::SqlFormatter> real_;
    std::string description_;
    int answered_;
};

}  // namespace

com::ClassFactoryFunction failing_formatter_class(std::string description, int answered) {
    return [description, answered, real = com::find_class(outside::clsid::kSqlFormatter)] {
        return std::shared_ptr<com::Unknown>(std::make_shared<FailingFormatter>(
            std::dynamic_pointer_cast<outside::SqlFormatter>(real()), description, answered));
    };
}

ScopedClass::ScopedClass(const com::Guid& clsid, com::ClassFactoryFunction factory)
    : clsid_(clsid), previous_(com::find_class(clsid)) {
    com::register_class(clsid_, std::move(factory));
}

ScopedClass::~ScopedClass() {
    if (previous_)
        com::register_class(clsid_, previous_);
    else
        com::unregister_class(clsid_);
}

}  // namespace zolt::test
