// How the component obtains the outside components.
#include "outside/outside.h"

namespace zolt::outside {

namespace {

// The calling thread's instance of interface I, made from the class the class
// table holds under clsid when the thread first asks for it, and kept until
// the thread ends.
template <class I>
I& per_thread(const com::Guid& clsid) {
    // Asked on every call: reached without a call into the dynamic loader.
    [[gnu::tls_model("initial-exec")]] thread_local std::shared_ptr<I> instance;
    if (!instance)
        instance = com::create_instance_as<I>(clsid);
    return *instance;
}

}  // namespace

SqlFormatter& formatter() { return per_thread<SqlFormatter>(clsid::kSqlFormatter); }

FieldValidator& validator() { return per_thread<FieldValidator>(clsid::kFieldValidator); }

LiteralWriter& writer() { return per_thread<LiteralWriter>(clsid::kLiteralWriter); }

std::shared_ptr<KeyGenerator> new_key_generator() { return com::create_instance_as<KeyGenerator>(clsid::kKeyGenerator); }

}  // namespace zolt::outside
