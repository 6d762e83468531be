// Shared test support: the databases the tests run on, a caller's
// connection, a ZOLT object made through its class factory, and the
// statement trace.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "component/zolt.h"
#include "platform/ado/ado.h"
#include "platform/automation/variant.h"

namespace zolt::test {

using automation::Variant;

// A database the tests run on, reached through its connection string.
class TestDatabase {
public:
    virtual ~TestDatabase() = default;
    virtual std::string connection_string() const = 0;
    std::shared_ptr<ado::Connection> connect() const;

    // Direct access on a connection of its own, to set up and check rows.
    void exec(const std::string& sql) const;
    std::vector<std::vector<Variant>> rows(const std::string& sql) const;
    Variant scalar(const std::string& sql) const;  // first column of the first row; Empty when none

    // Faults a caller cannot cause, put on the writes to a table by a trigger
    // in the engine's own terms: Refuse fails each insertion with the words
    // "recusado"; EmptyAnswers empties Infra_IDS after each insertion and
    // update, so that the inline answers that follow find no row.
    enum class Mishap { Refuse, EmptyAnswers };
    virtual void inject(Mishap mishap, const std::string& table) const = 0;
};

// A database file in a fresh temporary folder, with schema, procedures and
// (unless told otherwise) the sample data; removed with the object.
class TempDatabase : public TestDatabase {
public:
    explicit TempDatabase(bool sample = true);
    ~TempDatabase() override;
    TempDatabase(const TempDatabase&) = delete;
    TempDatabase& operator=(const TempDatabase&) = delete;

    const std::string& path() const { return path_; }
    std::string connection_string() const override;  // "Provider=SQLite;Data Source=<path>"
    void inject(Mishap mishap, const std::string& table) const override;

private:
    std::string folder_;
    std::string path_;
};

// Named arguments of a late-bound call.
using Arguments = std::vector<std::pair<std::string, Variant>>;

// Base fixture of the component tests, on a new embedded database unless
// told otherwise.
class ComponentTest : public ::testing::Test {
protected:
    explicit ComponentTest(bool embedded = true);
    ~ComponentTest() override;

    // Puts the calls on another database, through a connection of its own.
    void use(std::unique_ptr<TestDatabase> database);

    std::unique_ptr<TestDatabase> db;
    Variant connection;  // the caller's open Connection object on db
    component::_ZOLT& zolt() { return *zolt_; }

    // Calls a method late-bound, by its name and the names of the arguments
    // given (the others are Empty); the arguments then hold what it left.
    Variant invoke(std::string_view method, Arguments& arguments);
    // The same with the common arguments after the given ones: the user id
    // (unless given), this test's connection, an Empty message and the kind.
    Variant invoke(std::string_view method, Arguments& arguments, const Variant& kind, const Variant& user);
    // What a call left in one of its arguments.
    static const Variant& argument(const Arguments& arguments, std::string_view name);

    // Runs fn with the statement trace on; returns what it recorded.
    std::vector<ado::TraceEntry> traced(const std::function<void()>& fn);
    // Only the statement texts of traced(fn).
    std::vector<std::string> traced_texts(const std::function<void()>& fn);

    static Variant oracle() { return Variant("ORACLE"); }
    static Variant sql_server() { return Variant("SQLSERVER"); }

private:
    component::_ZOLT* zolt_ = nullptr;
};

// Makes a database with the sample data on one backend; nullptr when that
// backend is not there.
using MakeDatabase = std::unique_ptr<TestDatabase> (*)();

// Base fixture of the suites that run on every backend: the file of each
// backend instantiates them with its MakeDatabase. A backend that is not
// there skips them.
class BackendTest : public ComponentTest, public ::testing::WithParamInterface<MakeDatabase> {
protected:
    BackendTest() : ComponentTest(false) {}
    void SetUp() override;
    // Another database, equal to db as it was made.
    std::unique_ptr<TestDatabase> another_database() const { return GetParam()(); }
};

// Runs fn on a new thread and waits for it: the outside components the
// component holds per thread are then made afresh, from whatever class the
// class table holds at that moment (used to put a faulty class in place).
void on_new_thread(const std::function<void()>& fn);

// A SqlFormatter class to put in place of the real one with ScopedClass,
// whose operations raise error 5 with the given description: every one of
// them, or, when `answered` is given, the literal (SqlNumber, SqlText or
// SqlDate) that follows that many and every operation after it; until then
// it answers as the real one.
com::ClassFactoryFunction failing_formatter_class(std::string description, int answered = -1);

// Puts a class in the class table under a CLSID for the life of the object,
// and puts the earlier one back afterwards.
class ScopedClass {
public:
    ScopedClass(const com::Guid& clsid, com::ClassFactoryFunction factory);
    ~ScopedClass();

private:
    com::Guid clsid_;
    com::ClassFactoryFunction previous_;
};

}  // namespace zolt::test
