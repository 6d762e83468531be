// The fault, crash and injection tests' shared harness.
#include "tests/faults/harness.h"

#include <sqlite3.h>
#include <stdlib.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>

#include "bench/statement_capture.h"
#include "component/exports.h"
#include "db/database.h"

namespace zolt::faults {

// ---- faults ----------------------------------------------------------------------

namespace {

std::atomic<int> armed{-1};
std::atomic<long> first_failing{0}, counted{0};
std::atomic<bool> met{false};

bool fails(Fault fault) {
    if (armed.load(std::memory_order_relaxed) != static_cast<int>(fault) || ++counted < first_failing)
        return false;
    return met = true;
}

// The file system: every call goes to the default one, except that a read,
// a write, a sync or a lock fails when its fault says so. Memory-mapped reads
// are declined, so that every read is counted.
sqlite3_vfs* real_vfs = nullptr;
sqlite3_vfs faulty_vfs;

struct File {
    sqlite3_file base;
    sqlite3_file* real() { return reinterpret_cast<sqlite3_file*>(this + 1); }
};
sqlite3_file* real(sqlite3_file* file) { return reinterpret_cast<File*>(file)->real(); }
const sqlite3_io_methods& methods(sqlite3_file* file) { return *real(file)->pMethods; }

const sqlite3_io_methods faulty_methods = {
    3,
    [](sqlite3_file* f) { return methods(f).xClose(real(f)); },
    [](sqlite3_file* f, void* data, int amount, sqlite3_int64 offset) {
        return fails(Fault::Read) ? SQLITE_IOERR_READ : methods(f).xRead(real(f), data, amount, offset);
    },
    [](sqlite3_file* f, const void* data, int amount, sqlite3_int64 offset) {
        if (fails(Fault::Write))
            return SQLITE_IOERR_WRITE;
        if (fails(Fault::FullDisk))
            return SQLITE_FULL;
        return methods(f).xWrite(real(f), data, amount, offset);
    },
    [](sqlite3_file* f, sqlite3_int64 size) { return methods(f).xTruncate(real(f), size); },
    [](sqlite3_file* f, int flags) {
        return fails(Fault::Sync) ? SQLITE_IOERR_FSYNC : methods(f).xSync(real(f), flags);
    },
    [](sqlite3_file* f, sqlite3_int64* size) { return methods(f).xFileSize(real(f), size); },
    [](sqlite3_file* f, int level) {
        return fails(Fault::Lock) ? SQLITE_IOERR_LOCK : methods(f).xLock(real(f), level);
    },
    [](sqlite3_file* f, int level) { return methods(f).xUnlock(real(f), level); },
    [](sqlite3_file* f, int* out) { return methods(f).xCheckReservedLock(real(f), out); },
    [](sqlite3_file* f, int op, void* arg) { return methods(f).xFileControl(real(f), op, arg); },
    [](sqlite3_file* f) { return methods(f).xSectorSize(real(f)); },
    [](sqlite3_file* f) { return methods(f).xDeviceCharacteristics(real(f)); },
    [](sqlite3_file* f, int region, int size, int extend, void volatile** out) {
        return methods(f).xShmMap(real(f), region, size, extend, out);
    },
    [](sqlite3_file* f, int offset, int count, int flags) {
        if ((flags & SQLITE_SHM_LOCK) && fails(Fault::Lock))
            return SQLITE_IOERR_SHMLOCK;
        return methods(f).xShmLock(real(f), offset, count, flags);
    },
    [](sqlite3_file* f) { methods(f).xShmBarrier(real(f)); },
    [](sqlite3_file* f, int remove) { return methods(f).xShmUnmap(real(f), remove); },
    [](sqlite3_file*, sqlite3_int64, int, void** out) {
        *out = nullptr;
        return SQLITE_OK;
    },
    [](sqlite3_file*, sqlite3_int64, void*) { return SQLITE_OK; },
};

int open_file(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* out_flags) {
    sqlite3_file* inner = reinterpret_cast<File*>(file)->real();
    const int rc = real_vfs->xOpen(real_vfs, name, inner, flags, out_flags);
    file->pMethods = inner->pMethods ? &faulty_methods : nullptr;
    return rc;
}

// The allocator: the engine's own, failing when its fault says so.
sqlite3_mem_methods real_memory;

void* allocate(int size) { return fails(Fault::Allocation) ? nullptr : real_memory.xMalloc(size); }
void* reallocate(void* block, int size) {
    return fails(Fault::Allocation) ? nullptr : real_memory.xRealloc(block, size);
}

}  // namespace

namespace {

// Puts the failing file system and allocator under the engine, and the
// statement capture on every connection, before the engine's first use.
void install() {
    if (sqlite3_config(SQLITE_CONFIG_GETMALLOC, &real_memory) != SQLITE_OK)
        throw std::runtime_error("the engine was in use before the faults were installed");
    sqlite3_mem_methods memory = real_memory;
    memory.xMalloc = allocate;
    memory.xRealloc = reallocate;
    sqlite3_config(SQLITE_CONFIG_MALLOC, &memory);

    real_vfs = sqlite3_vfs_find(nullptr);
    faulty_vfs = *real_vfs;
    faulty_vfs.zName = "faults";
    faulty_vfs.szOsFile = static_cast<int>(sizeof(File)) + real_vfs->szOsFile;
    faulty_vfs.xOpen = open_file;
    faulty_vfs.pNext = nullptr;
    sqlite3_vfs_register(&faulty_vfs, 1);
    bench::capture::install();
}

}  // namespace

void arm(Fault fault, long nth) {
    counted = 0;
    first_failing = nth;
    met = false;
    armed = static_cast<int>(fault);
}

bool disarm() {
    armed = -1;
    return met.exchange(false);
}

// ---- calls -----------------------------------------------------------------------

namespace {

Arguments arguments_for(const std::string& method, const Variant& kind) {
    const Variant day(automation::make_date(2030, 3, 10)), one = Variant::long_(1);
    Arguments arguments{
        {"InVntPedido_ID", one}, {"InVntPedido_Item_ID", one}, {"InVntPeca_ID", Variant::long_(303)},
        {"InVntData_Embarque", day}, {"InVntData", day}, {"InVntQtde_Pedida", Variant::long_(40)},
        {"InVntNum_Pedido_Externo", Variant("PRG-0100")}, {"InVntFornecedor_ID", Variant::long_(103)},
        {"InVntCliente_ID", Variant::long_(202)}, {"InVntTab_Status_ID", one}, {"InVntFlag_Acao", Variant("I")},
        {"invntUsuario_Internet_ID", Variant::long_(2)}, {"outvntMsg_Ret", Variant("antes")},
        {"InVntBanco_Dados", kind},
    };
    // Later methods of the interface find what earlier ones wrote: each
    // works on rows and numbers of its own.
    static const std::map<std::string, Arguments> own{
        {"gExclui_Campos_PEDIDO_ITEM", {{"InVntPedido_Item_ID", Variant::long_(5)}}},
        {"gAltera_Campos_PEDIDO_ITEM", {{"InVntPeca_ID", Variant::long_(301)}}},
        {"mConsiste_Campos_Pedido_Item", {{"InVntPeca_ID", Variant::long_(301)}}},
        {"gExclui_Campos_PEDIDO", {{"InVntPedido_ID", Variant::long_(2)}}},
        {"gAltera_Campos_PEDIDO", {{"InVntNum_Pedido_Externo", Variant("PRG-0101")}}},
        {"mConsiste_Campos_Pedido", {{"InVntNum_Pedido_Externo", Variant("PRG-0102")}}},
        {"gVerifica_Duplicidade_PEDIDO", {{"InVntNum_Pedido_Externo", Variant("PRG-0103")}}},
    };
    if (auto found = own.find(method); found != own.end())
        for (const auto& [name, value] : found->second)
            arguments[name] = value;
    return arguments;
}

}  // namespace

Outcome invoke(com::IDispatch& object, const std::string& method, const Variant& kind, const Variant& connection,
               const Arguments& arguments) {
    const com::MethodInfo* info = object.GetTypeInfo().find(method);
    if (!info)
        throw std::invalid_argument("no method " + method);
    Arguments values = arguments_for(method, kind);
    for (const auto& [name, value] : arguments)
        values[name] = value;
    std::vector<Variant> passed;
    for (const auto& parameter : info->parameters)
        passed.push_back(parameter == "InVntConecta_DB" ? connection : values[parameter]);
    com::DispParams params;
    for (Variant& value : passed)
        params.positional.push_back(&value);
    Outcome outcome;
    com::ExcepInfo error;
    outcome.status = object.Invoke(info->dispid, params, &outcome.result, &error);
    for (std::size_t i = 0; i < passed.size(); ++i)
        if (info->parameters[i] != "InVntConecta_DB")
            outcome.after[info->parameters[i]] = passed[i];
    return outcome;
}

Object::Object() {
    com::IClassFactory* factory = nullptr;
    DllGetClassObject(&component::kClsidZOLT, &com::kIID_IClassFactory, reinterpret_cast<void**>(&factory));
    const bool made = factory && !com::failed(factory->CreateInstance(nullptr, component::kIID_ZOLT,
                                                                        reinterpret_cast<void**>(&object)));
    if (factory)
        factory->Release();
    if (!made)
        throw std::runtime_error("cannot create a ZOLT object");
}

// ---- database files --------------------------------------------------------------

namespace {

struct CloseDatabase {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using DatabasePtr = std::unique_ptr<sqlite3, CloseDatabase>;

DatabasePtr open_raw(const std::string& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(db);
        throw std::runtime_error("cannot open " + path);
    }
    sqlite3_busy_timeout(db, 10000);
    return DatabasePtr(db);
}

// Texts byte for byte (NULs included), reals to six places, Null as NULL.
std::vector<std::string> rows_of(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
        throw std::runtime_error(sql + ": " + sqlite3_errmsg(db));
    std::vector<std::string> rows;
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        std::string row;
        for (int i = 0; i < sqlite3_column_count(statement); ++i) {
            row += i > 0 ? "|" : "";
            if (const int type = sqlite3_column_type(statement, i); type == SQLITE_NULL)
                row += "NULL";
            else if (type == SQLITE_FLOAT)
                row += std::to_string(sqlite3_column_double(statement, i));  // six places
            else if (const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, i)))
                row.append(bytes, static_cast<std::size_t>(sqlite3_column_bytes(statement, i)));
        }
        rows.push_back(std::move(row));
    }
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE)
        throw std::runtime_error(sql + ": " + sqlite3_errmsg(db));
    return rows;
}

std::vector<std::string> contents_of(sqlite3* db) {
    std::vector<std::string> all;
    for (const std::string& table : rows_of(db, "SELECT name FROM sqlite_schema WHERE type = 'table' ORDER BY name")) {
        std::string select = "SELECT '" + table + "'";
        for (const std::string& column : rows_of(db, "SELECT name FROM pragma_table_info('" + table + "')"))
            if (column != "DATA_HORA")
                select += ", \"" + column + "\"";
        for (std::string& row : rows_of(db, select + " FROM \"" + table + "\" ORDER BY rowid"))
            all.push_back(std::move(row));
    }
    return all;
}

void clock(sqlite3_context* context, int, sqlite3_value**) { sqlite3_result_double(context, 0); }

}  // namespace

Databases::Databases() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zolt-faults-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    folder_ = pattern;
    const std::string made = folder_ + "/made.db";
    db::create_database(made, true);
    sample_ = copy_of(made);
}

Databases::~Databases() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::string Databases::copy_of(const std::string& path) {
    rows_of(open_raw(path).get(), "PRAGMA wal_checkpoint(TRUNCATE)");
    const std::string target = folder_ + "/" + std::to_string(++copies_) + ".db";
    std::filesystem::copy_file(path, target);
    return target;
}

Variant connect(const std::string& path) {
    return Variant(automation::ObjectPtr(std::make_shared<ado::Connection>(db::connection_string(path))));
}

std::vector<std::string> query(const std::string& path, const std::string& sql) {
    return rows_of(open_raw(path).get(), sql);
}

std::vector<std::string> contents(const std::string& path) { return contents_of(open_raw(path).get()); }

bool intact(const std::string& path) {
    const auto answer = query(path, "PRAGMA integrity_check");
    EXPECT_EQ(answer, std::vector<std::string>{"ok"});
    return answer == std::vector<std::string>{"ok"};
}

std::vector<std::vector<std::string>> states_after_prefixes(Databases& databases,
                                                            const std::vector<std::string>& statements) {
    DatabasePtr db = open_raw(databases.copy());
    for (const char* name : {"sysdate", "getdate"})
        sqlite3_create_function_v2(db.get(), name, 0, SQLITE_UTF8, nullptr, clock, nullptr, nullptr, nullptr);
    std::vector<std::vector<std::string>> states{contents_of(db.get())};
    for (const std::string& statement : statements) {
        if (sqlite3_exec(db.get(), statement.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
            ADD_FAILURE() << "replaying " << statement << ": " << sqlite3_errmsg(db.get());
        if (sqlite3_get_autocommit(db.get()))
            if (auto state = contents_of(db.get()); state != states.back())
                states.push_back(std::move(state));
    }
    return states;
}

}  // namespace zolt::faults

// The fault tests' program. With --writer PATH SEED it is instead one of the
// writers the crash test starts and kills. What the tests measured is
// appended to the file named by $ZOLT_FAULTS_TALLY, when set.
int main(int argc, char** argv) {
    using namespace zolt::faults;
    install();
    if (argc == 4 && std::string(argv[1]) == "--writer")
        return write_until_killed(argv[2], static_cast<unsigned>(std::stoul(argv[3])));
    ::testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    if (const char* file = std::getenv("ZOLT_FAULTS_TALLY"))
        std::ofstream(file, std::ios::app) << tally.injected << ' ' << tally.answered << ' ' << tally.crashes << ' '
                                           << tally.integrity_failures << ' ' << tally.half_written << '\n';
    return status;
}
