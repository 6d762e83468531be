// What the fault, crash and injection tests share: faults injected under the
// engine, late-bound calls of every method, and database files copied,
// compared and checked.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "component/zolt.h"
#include "platform/ado/ado.h"

namespace zolt::faults {

using automation::Variant;

enum class Fault { Read, Write, Sync, Lock, FullDisk, Allocation };
inline const char* const kFaultNames[] = {"Read", "Write", "Sync", "Lock", "FullDisk", "Allocation"};

// From the nth operation of the kind on, every one fails until disarm(),
// which answers whether any did.
void arm(Fault fault, long nth);
bool disarm();

// What the tests measured, for the summary line of the fault run.
struct Tally {
    long injected = 0, answered = 0, crashes = 0, integrity_failures = 0, half_written = 0;
};
inline Tally tally;

using Arguments = std::map<std::string, Variant>;  // by the interface's parameter names

struct Outcome {
    com::HRESULT status = 0;
    Variant result;
    Arguments after;  // every parameter after the call, the connection left out
    bool succeeded() const { return status == com::S_OK && (result == Variant(true) || result == Variant::integer(0)); }
    bool failed() const { return status == com::S_OK && (result == Variant(false) || result == Variant::integer(10)); }
};

// Calls a method by DISPID. Unless `arguments` say otherwise, it gets
// arguments under which every method succeeds on a copy of the sample data,
// the sixteen in interface order on one database.
Outcome invoke(com::IDispatch& object, const std::string& method, const Variant& kind, const Variant& connection,
               const Arguments& arguments = {});

inline const std::vector<std::string> kWriteMethods{"gInclui_Campos_PEDIDO",      "gAltera_Campos_PEDIDO",
                                                    "gExclui_Campos_PEDIDO",      "gInclui_Campos_PEDIDO_ITEM",
                                                    "gAltera_Campos_PEDIDO_ITEM", "gExclui_Campos_PEDIDO_ITEM"};
inline const Variant kOracle("ORACLE"), kSqlServer("SQLSERVER");

// A ZOLT object made through the library's class factory.
struct Object {
    Object();
    ~Object() { object->Release(); }
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    com::IDispatch& operator*() const { return *object; }
    component::_ZOLT* object = nullptr;
};

// One of the crash test's writers: writes orders and items of its own on the
// database until it is killed; answers 1 when a call did not answer.
int write_until_killed(const std::string& path, unsigned seed);

// A folder of copies of a database with the sample data: each copy is a new
// file, so that no connection pooled for an earlier copy reaches it.
class Databases {
public:
    Databases();
    ~Databases();
    std::string copy() { return copy_of(sample_); }
    std::string copy_of(const std::string& path);  // its log folded in first

private:
    std::string folder_, sample_;
    int copies_ = 0;
};

// An open Connection object on a database file, as a caller hands it in.
Variant connect(const std::string& path);
// Rows of one query on a connection of its own, each value as text joined by '|'.
std::vector<std::string> query(const std::string& path, const std::string& sql);
// Every row of every table, the clock column of the operation log left out.
std::vector<std::string> contents(const std::string& path);
// Whether PRAGMA integrity_check answers ok; a test failure when it does not.
bool intact(const std::string& path);

// The contents of a fresh copy after each whole prefix of the statements
// captured: before them, and after every one that leaves no transaction open.
std::vector<std::vector<std::string>> states_after_prefixes(Databases& databases,
                                                            const std::vector<std::string>& statements);

}  // namespace zolt::faults
