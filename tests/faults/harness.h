// What the fault, crash and injection tests share: faults injected into the
// engine's file system and allocator, late-bound calls of every method with
// arguments that succeed, and database files copied, compared and checked.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "component/zolt.h"
#include "platform/ado/ado.h"

namespace zolt::faults {

using automation::Variant;

// ---- faults ----------------------------------------------------------------------

enum class Fault { Read, Write, Sync, Lock, FullDisk, Allocation };
const char* name_of(Fault fault);

// Puts the counting file system in place as the engine's default and the
// counting allocator under the engine; must run before the engine's first use.
void install();
// From the nth operation of the kind on, every one fails until disarm(),
// which answers whether any did.
void arm(Fault fault, long nth);
bool disarm();

// What the sweeps measured, added up for the summary line of the fault run.
struct Tally {
    long injected = 0, answered = 0, crashes = 0, integrity_failures = 0, half_written = 0;
};
Tally& tally();
// Appends the tally to the file named by $ZOLT_FAULTS_TALLY, when set.
void write_tally();

// ---- calls -----------------------------------------------------------------------

// Parameter name -> value; names as the interface spells them.
using Arguments = std::map<std::string, Variant>;

struct Outcome {
    com::HRESULT status = 0;
    Variant result;
    Arguments after;  // every parameter after the call, the connection left out
    bool succeeded() const;  // S_OK with True or the Integer 0
};

// Arguments under which every method succeeds on a copy of the sample data,
// with the changes a method needs so that the sixteen can run in interface
// order on one database.
Arguments arguments_for(const std::string& method, const Variant& kind);

// Calls a method by DISPID through Invoke; `arguments` override its defaults.
Outcome invoke(com::IDispatch& object, const std::string& method, const Variant& kind, const Variant& connection,
               const Arguments& arguments = {});

std::vector<std::string> method_names();
inline const std::vector<std::string> kWriteMethods{"gInclui_Campos_PEDIDO",      "gAltera_Campos_PEDIDO",
                                                    "gExclui_Campos_PEDIDO",      "gInclui_Campos_PEDIDO_ITEM",
                                                    "gAltera_Campos_PEDIDO_ITEM", "gExclui_Campos_PEDIDO_ITEM"};
inline const Variant kOracle("ORACLE"), kSqlServer("SQLSERVER");

// A ZOLT object made through the library's class factory.
class Object {
public:
    Object();
    ~Object();
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    com::IDispatch& operator*() const { return *object_; }

private:
    component::_ZOLT* object_ = nullptr;
};

// One of the crash test's writers: writes orders and items of its own on the
// database until it is killed; answers 1 when a call did not answer.
int write_until_killed(const std::string& path, unsigned seed);

// ---- database files --------------------------------------------------------------

// A folder of database files made from one with the sample data: each copy is
// a new file, so that no connection kept from an earlier copy reaches it.
class Databases {
public:
    Databases();
    ~Databases();
    Databases(const Databases&) = delete;
    Databases& operator=(const Databases&) = delete;

    const std::string& sample() const { return sample_; }
    std::string copy();                               // path of a new copy of the sample
    std::string copy_of(const std::string& path);     // of any database file, its log folded in
    // Runs a statement on a connection of its own.
    static void execute(const std::string& path, const std::string& sql);

private:
    std::string folder_;
    std::string sample_;
    int copies_ = 0;
};

// Calls the sixteen methods in interface order, in each dialect on a copy of
// the database at path, expecting each to succeed.
void expect_every_method_succeeds(Databases& databases, const std::string& path);

// An open Connection object on a database file, as a caller hands it in.
Variant connect(const std::string& path);
// Every row of every table as text, in key order (the clock column of the
// operation log left out, reals to six places, texts byte for byte).
std::vector<std::string> contents(const std::string& path);
// "ok", or what PRAGMA integrity_check answers instead.
std::string integrity(const std::string& path);
// Rows of one query on a connection of its own.
std::vector<std::string> query(const std::string& path, const std::string& sql);

// The contents after each whole prefix of statements captured on every
// connection (install() starts the capture on each): the sample before them, and after every statement that leaves no transaction open.
std::vector<std::vector<std::string>> states_after_prefixes(Databases& databases,
                                                            const std::vector<std::string>& statements);

}  // namespace zolt::faults
