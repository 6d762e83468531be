// Invoke of every method with arbitrary Variants: whatever the arguments, the
// call returns, and a method that completed answers a Boolean or an Integer
// 0 or 10.
#include <array>
#include <bit>
#include <memory>

#include "component/exports.h"
#include "component/zolt.h"
#include "db/database.h"
#include "fuzz/fuzz.h"
#include "platform/ado/ado.h"

using namespace zolt;
using automation::Variant;

namespace {

// Reads the fuzz input as a stream of values; past its end, zeros.
struct Reader {
    const uint8_t* data;
    size_t size, at = 0;
    uint8_t byte() { return at < size ? data[at++] : 0; }
    template <class T>
    T raw() {
        std::array<uint8_t, sizeof(T)> bytes;
        for (auto& b : bytes)
            b = byte();
        return std::bit_cast<T>(bytes);
    }
    std::string text() {
        std::string out;
        for (size_t n = byte() % 32; n > 0 && at < size; --n)
            out.push_back(static_cast<char>(byte()));
        return out;
    }
};

// An object whose default property is a value, as a data field is.
class Holder : public automation::Object {
public:
    explicit Holder(Variant value) : value_(std::move(value)) {}
    Variant default_value() const override { return value_; }
    std::string kind() const override { return "Field"; }

private:
    Variant value_;
};

Variant next_value(Reader& in, const Variant& connection, int depth = 0) {
    switch (in.byte() % 16) {
    case 0: return Variant();
    case 1: return Variant::null();
    case 2: return Variant(in.raw<int16_t>());
    case 3: return Variant(in.raw<int32_t>());
    case 4: return Variant(in.raw<int64_t>());
    case 5: return Variant(in.raw<double>());
    case 6: return Variant(automation::Date{in.raw<double>()});
    case 7: return Variant(in.text());
    case 8: return Variant(in.byte() % 2 == 1);
    case 9: return connection;
    case 10: return Variant("ORACLE");
    case 11: return Variant::long_(in.byte() % 8);       // ids that exist
    case 12: return Variant::long_(300 + in.byte() % 8);  // parts
    case 13: return Variant(automation::make_date(2030, 1 + in.byte() % 12, 1 + in.byte() % 28));
    case 14: {
        automation::Array array;
        array.lower_bound = in.raw<int8_t>();
        for (int n = depth < 2 ? in.byte() % 4 : 0; n > 0; --n)
            array.items.push_back(next_value(in, connection, depth + 1));
        return Variant(std::move(array));
    }
    default:
        return Variant(automation::ObjectPtr(
            std::make_shared<Holder>(depth < 2 ? next_value(in, connection, depth + 1) : Variant())));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static com::IDispatch* object = [] {
        com::IClassFactory* factory = nullptr;
        DllGetClassObject(&component::kClsidZOLT, &com::kIID_IClassFactory, reinterpret_cast<void**>(&factory));
        com::IDispatch* made = nullptr;
        factory->CreateInstance(nullptr, component::kIID_ZOLT, reinterpret_cast<void**>(&made));
        factory->Release();
        return made;
    }();
    static const Variant connection(automation::ObjectPtr(
        std::make_shared<ado::Connection>(db::connection_string(fuzz::sample_database()))));

    Reader in{data, size};
    const auto& methods = object->GetTypeInfo().methods;
    const com::MethodInfo& method = methods[in.byte() % methods.size()];
    std::vector<Variant> arguments;
    for (size_t i = 0; i < method.parameters.size(); ++i)
        arguments.push_back(next_value(in, connection));
    com::DispParams params;
    for (Variant& argument : arguments)
        params.positional.push_back(&argument);
    Variant result;
    com::ExcepInfo error;
    if (object->Invoke(method.dispid, params, &result, &error) == com::S_OK &&
        !(result.type() == automation::VarType::Bool || result == Variant::integer(0) ||
          result == Variant::integer(10)))
        fuzz::finding("a method answered neither a Boolean nor 0 nor 10", method.name);
    return 0;
}
