// What the benchmarks and the soak call: a database in a temporary folder,
// one ZOLT object made through its class factory, and one case per method and
// dialect with arguments that make every call succeed.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "component/zolt.h"
#include "platform/automation/variant.h"

namespace zolt::bench {

using automation::Variant;

// Input arguments by parameter name, in the same order on every call.
using Inputs = std::vector<std::pair<std::string_view, Variant>>;

struct Case {
    std::string method;
    // "ORACLE" or "SQLSERVER"; empty for a method that sends the same SQL to both.
    std::string dialect;
    // True when each call adds rows under new keys.
    bool inserts = false;
    // The inputs of call number n of this case (numbered from 0), always
    // the same parameters in the same order; asked once more up front for
    // their names.
    std::function<Inputs(uint64_t n)> inputs;
    // For an update or a deletion: a statement that puts the row call number
    // n writes back to other values than the call leaves in it, so that the
    // call, made again, changes the row. The engine skips a row rewritten with
    // the values it holds; without this, a deletion made twice, or a floor
    // replaying a call, would write nothing. Empty for the other cases.
    std::function<std::string(uint64_t n)> restore;

    std::string label() const { return method + "/" + (dialect.empty() ? "both" : dialect); }
};

// Every public method, in both dialects where it has two.
std::vector<Case> all_cases();

// A database file with the sample data and the rows the cases work on, in a
// fresh temporary folder removed with the object.
class BenchDatabase {
public:
    BenchDatabase();
    ~BenchDatabase();
    BenchDatabase(const BenchDatabase&) = delete;
    BenchDatabase& operator=(const BenchDatabase&) = delete;

    const std::string& path() const { return path_; }
    std::string connection_string() const;

private:
    std::string folder_;
    std::string path_;
};

// One late-bound call of one case: the method's DISPID and the positions of
// its parameters are looked up once; every call then passes argument
// Variants of its own by reference, named by position, as a late-bound caller
// does: fresh ones, as a caller's own variables would be.
class Call {
public:
    Call(com::IDispatch& object, const Case& bench_case, const Variant& connection);

    // Makes the next call of the case; raises std::runtime_error when the
    // call fails or the method does not answer success. By name, the method
    // and its parameters are looked up with GetIDsOfNames on every call, as
    // a script caller does.
    void run(bool by_name = false);
    // Makes the arguments of the next `count` calls ahead, so that a timed
    // block of calls measures the calls and not the making of their arguments
    // (as the floors replay values made beforehand).
    void make_arguments_ahead(std::size_t count);

    // Calls made so far, and the heap allocations made inside Invoke by them.
    uint64_t calls() const { return calls_made_; }
    uint64_t allocations() const { return allocations_; }

private:
    std::size_t position_of(std::string_view parameter) const;
    // Every argument of call number n, in parameter order.
    std::vector<Variant> arguments(uint64_t n) const;

    com::IDispatch& object_;
    const Case& case_;
    const com::MethodInfo* method_ = nullptr;
    Variant connection_;
    com::DispParams params_;
    std::vector<std::size_t> input_positions_;
    std::size_t connection_position_, kind_position_, user_position_, message_position_;
    uint64_t calls_made_ = 0;
    uint64_t allocations_ = 0;
    std::vector<std::vector<Variant>> ahead_;  // made by make_arguments_ahead, used from next_ahead_ on
    std::size_t next_ahead_ = 0;
    std::vector<std::string> names_;  // the method's, then its parameters'
    std::vector<com::DISPID> ids_;
};

// The ZOLT object made by DllGetClassObject and IClassFactory::CreateInstance,
// held by its IDispatch.
class BenchObject {
public:
    BenchObject();
    ~BenchObject();
    BenchObject(const BenchObject&) = delete;
    BenchObject& operator=(const BenchObject&) = delete;

    com::IDispatch& dispatch() { return *object_; }

private:
    com::IDispatch* object_ = nullptr;
};

// Everything a run needs: the database, the object, the caller's open
// connection and one Call per case (members go in reverse order: the calls
// first, the database folder last).
class Workload {
public:
    Workload();

    const BenchDatabase& database() const { return database_; }
    const std::vector<Case>& cases() const { return cases_; }
    Call& call(std::size_t case_index) { return *calls_[case_index]; }

private:
    BenchDatabase database_;
    BenchObject object_;
    Variant connection_;
    std::vector<Case> cases_;
    std::vector<std::unique_ptr<Call>> calls_;
};

}  // namespace zolt::bench
