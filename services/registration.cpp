#include "services/implementations.h"
#include "services/services.h"

namespace zolt::services {

namespace {

template <class Service>
void register_service(const com::Guid& clsid) {
    com::register_class(clsid, [] { return std::make_shared<Service>(); });
}

}  // namespace

void register_services() {
    register_service<SqlFormatterService>(outside::clsid::kSqlFormatter);
    register_service<FieldValidatorService>(outside::clsid::kFieldValidator);
    register_service<LiteralWriterService>(outside::clsid::kLiteralWriter);
    register_service<KeyGeneratorService>(outside::clsid::kKeyGenerator);
}

}  // namespace zolt::services
