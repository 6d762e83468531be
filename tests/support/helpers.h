// What the tests share: the databases they run on, a ZOLT object made through
// its class factory and called late-bound, the statement trace, errors,
// and field-like objects.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "component/zolt.h"
#include "platform/ado/ado.h"
#include "platform/automation/variant.h"

namespace zolt::test {

using automation::Variant;
using Lines = std::vector<std::string>;
using Trace = std::vector<ado::TraceEntry>;

// A database the tests run on, reached through its connection string.
class TestDatabase {
public:
    virtual ~TestDatabase() = default;
    virtual std::string connection_string() const = 0;
    std::shared_ptr<ado::Connection> connect() const;

    // Direct access on a connection of its own, to set up and check rows.
    void exec(const std::string& sql) const;
    std::vector<std::vector<Variant>> rows(const std::string& sql) const;
    Variant scalar(const std::string& sql) const;   // first column of the first row; Empty when none
    Lines row_texts(const std::string& sql) const;  // each row as "a|b|c", Null as NULL

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

// A new ZOLT object made through the library's class factory.
component::_ZOLT* new_zolt();

// Named arguments of a late-bound call, and the names the tests pass most.
using Arguments = std::vector<std::pair<std::string, Variant>>;
inline constexpr const char *kOrder = "InVntPedido_ID", *kItem = "InVntPedido_Item_ID",
                            *kStatus = "InVntTab_Status_ID", *kNumber = "InVntNum_Pedido_Externo",
                            *kSupplier = "InVntFornecedor_ID", *kClient = "InVntCliente_ID",
                            *kShipping = "InVntData_Embarque", *kPart = "InVntPeca_ID",
                            *kQuantity = "InVntQtde_Pedida", *kUser = "invntUsuario_Internet_ID",
                            *kFlag = "InVntFlag_Acao";

// What a method's message argument holds when the method left it alone.
inline const Variant kAsPassed("as passed");

// Base fixture of the component tests, on a new embedded database unless
// told otherwise.
class ComponentTest : public ::testing::Test {
protected:
    explicit ComponentTest(bool embedded = true);
    ~ComponentTest() override { zolt_->Release(); }

    // Puts the calls on another database, through a connection of its own.
    void use(std::unique_ptr<TestDatabase> database);

    std::unique_ptr<TestDatabase> db;
    Variant connection;  // the caller's open Connection object on db
    Variant user = Variant::long_(7);
    Variant message;  // what the last call left in its message argument
    component::_ZOLT& zolt() { return *zolt_; }

    // Calls a method late-bound by the names of the arguments given, then the
    // user (unless given), the connection, the message (kAsPassed) and the
    // kind; the others are Empty. The arguments and the message then hold
    // what the method left.
    Variant invoke(std::string_view method, Arguments& arguments, const Variant& kind);
    Variant invoke(std::string_view method, Arguments&& arguments, const Variant& kind) {
        return invoke(method, arguments, kind);
    }
    // Output arguments by name, each kAsPassed, so that what a method wrote shows.
    static Arguments unset(std::initializer_list<const char*> names);
    // What a call left in its outputs (the arguments named Out...), in order.
    static std::vector<Variant> outputs(const Arguments& arguments);
    // The arguments with some replaced, or added, by name.
    static Arguments changed(Arguments arguments, const Arguments& changes);
    // The arguments of a new item of order 1 for part 303 on 10/03/2030, quantity 40.
    static Arguments new_item();

    // Runs fn with the statement trace on; returns what it recorded (the
    // trace stays on if fn throws: the test fails then anyway).
    static Trace traced(const std::function<void()>& fn);

    static Variant oracle() { return Variant("ORACLE"); }
    static Variant sql_server() { return Variant("SQLSERVER"); }

private:
    component::_ZOLT* zolt_ = nullptr;
};

// Makes a database with the sample data on one backend; nullptr when that
// backend is not there.
using MakeDatabase = std::unique_ptr<TestDatabase> (*)();

// Base fixture of the order and item suites that run on every backend: the
// file of each backend instantiates them with its MakeDatabase. A backend
// that is not there skips them.
class BackendTest : public ComponentTest, public ::testing::WithParamInterface<MakeDatabase> {
protected:
    BackendTest() : ComponentTest(false) {}
    void SetUp() override;
    // Another database, equal to db as it was made.
    std::unique_ptr<TestDatabase> another_database() const { return GetParam()(); }

    Lines rows(const std::string& sql) const { return db->row_texts(sql); }
    // ENTIDADE_ID|OPERACAO|USUARIO_ID|CHAVE of every recorded operation.
    Lines operations() const;
};
class Orders : public BackendTest {};
class Items : public BackendTest {};

// The number of the automation error a call raised; 0 when it raised none.
int32_t error_number(const std::function<void()>& call);
// The error a call raised as "number|description|source"; "" when none.
std::string error_text(const std::function<void()>& call);

// A Date value.
inline Variant day(int year, int month, int day_of_month, int hour = 0, int minute = 0) {
    return Variant(automation::make_date(year, month, day_of_month, hour, minute));
}

// A Variant holding an object whose default property is the value, as a data
// field is.
Variant object_holding(Variant value);

// Runs fn on a new thread and waits for it: the outside components the
// component holds per thread are then made afresh, from whatever class the
// class table holds at that moment (used to put a faulty class in place).
void on_new_thread(const std::function<void()>& fn);

}  // namespace zolt::test

namespace zolt::automation {
// How a failing assertion shows a Variant: its type number and its text.
void PrintTo(const Variant& value, std::ostream* out);
}  // namespace zolt::automation
