// The Python module tvrzolt22: open a connection, create an object by its
// ProgID through the registry, and call its methods as attributes with
// keyword arguments in any letter case, as late-bound callers do:
//
//   conn = tvrzolt22.connect("demo.db")
//   z = tvrzolt22.create("TvrZOLT22.ZOLT")
//   answer = z.gVerifica_Data_Atual(InVntConecta_DB=conn, invntbanco_dados="ORACLE")
//   answer.result, answer.args["OutVntData_Atual"]
//
// Values map both ways with the rules of the zolt command's JSON: None is
// Null, tvrzolt22.Empty is Empty, an int a Long (a Double when it does not
// fit), a float a Double, a str a String, a bool a Boolean, a datetime (or a
// date) a Date, a list (or a tuple) an array with lower bound 0, a Connection
// the connection object, and a dict the command's typed form
// ({"vt": "I2", "v": 5}). Results come back as None, Empty, int, float, str,
// bool, datetime, list and Connection.
#include <pybind11/pybind11.h>

#include <filesystem>
#include <memory>
#include <string>

#include "cli/variant_json.h"
#include "platform/ado/ado.h"
#include "platform/com/named_call.h"
#include "platform/com/registry.h"

namespace py = pybind11;

namespace zolt::python {

namespace {

using automation::Variant;
using automation::VarType;

// The Empty value: its type has one instance, which is false.
struct EmptyValue {};

// Objects the module keeps for its whole life (never released: they must not
// be freed after the interpreter has gone).
struct ModuleTypes {
    py::handle empty;    // tvrzolt22.Empty
    py::handle error;    // tvrzolt22.Error
    py::handle answer;   // tvrzolt22.Answer, a namedtuple (result, args)
    py::handle datetime; // datetime.datetime
    py::handle date;     // datetime.date
};
ModuleTypes types;

// Raises tvrzolt22.Error with the number, description and source of a
// failure of the component or of the platform.
void set_error(const automation::AutomationError& error) {
    py::object value = py::reinterpret_borrow<py::object>(types.error)(error.description());
    value.attr("number") = error.number();
    value.attr("description") = error.description();
    value.attr("source") = error.source();
    PyErr_SetObject(types.error.ptr(), value.ptr());
}

Variant to_variant(py::handle value, int depth = 0);

Variant array_of(py::handle sequence, int depth) {
    if (depth >= cli::kMaxNesting)
        throw py::value_error("lists nested deeper than " + std::to_string(cli::kMaxNesting) + " levels");
    automation::Array array;
    for (py::handle item : sequence) array.items.push_back(to_variant(item, depth + 1));
    return Variant(std::move(array));
}

Variant date_of(py::handle value) {
    const bool with_time = py::isinstance(value, types.datetime);
    auto part = [&](const char* name) { return with_time ? value.attr(name).cast<int>() : 0; };
    return Variant(automation::make_date(value.attr("year").cast<int>(), value.attr("month").cast<int>(),
                                         value.attr("day").cast<int>(), part("hour"), part("minute"),
                                         part("second") + part("microsecond") / 1e6));
}

Variant to_variant(py::handle value, int depth) {
    if (value.is_none()) return Variant::null();
    if (value.is(types.empty)) return Variant();
    if (py::isinstance<py::bool_>(value)) return Variant(value.cast<bool>());
    if (py::isinstance<py::int_>(value)) {
        // A Long when it fits, else a Double, as the command reads a number.
        int overflow = 0;
        long long number = PyLong_AsLongLongAndOverflow(value.ptr(), &overflow);
        return cli::from_json(overflow ? cli::json(value.cast<double>()) : cli::json(number), Variant());
    }
    if (py::isinstance<py::float_>(value)) return Variant(value.cast<double>());
    if (py::isinstance<py::str>(value)) return Variant(value.cast<std::string>());
    if (py::isinstance(value, types.date)) return date_of(value);
    if (py::isinstance<py::list>(value) || py::isinstance<py::tuple>(value)) return array_of(value, depth);
    if (py::isinstance<ado::Connection>(value))
        return Variant(automation::ObjectPtr(value.cast<std::shared_ptr<ado::Connection>>()));
    if (py::isinstance<py::dict>(value)) {
        // The typed form, read by the command's own rules.
        std::string text = py::module_::import("json").attr("dumps")(value).cast<std::string>();
        try {
            return cli::from_json(cli::parse_json(text), Variant());
        } catch (const std::invalid_argument& error) {
            throw py::value_error(error.what());
        }
    }
    throw py::type_error("cannot pass a " + std::string(py::str(value.get_type().attr("__name__"))) +
                         " (None, Empty, int, float, str, bool, datetime, list, Connection or a typed dict)");
}

py::object to_python(const Variant& value) {
    switch (value.type()) {
        case VarType::Empty: return py::reinterpret_borrow<py::object>(types.empty);
        case VarType::Null: return py::none();
        case VarType::I2: return py::int_(value.i2());
        case VarType::I4: return py::int_(value.i4());
        case VarType::I8: return py::int_(value.i8());
        case VarType::R8: return py::float_(value.r8());
        case VarType::BStr: return py::str(value.text());
        case VarType::Bool: return py::bool_(value.boolean());
        case VarType::Date: {
            auto parts = automation::split_date(value.date());
            return py::reinterpret_borrow<py::object>(types.datetime)(parts.year, parts.month, parts.day, parts.hour,
                                                                      parts.minute, parts.second);
        }
        case VarType::Array: {
            py::list items;
            for (const auto& item : value.array().items) items.append(to_python(item));
            return items;
        }
        case VarType::Dispatch: {
            if (!value.object()) return py::none();
            if (auto connection = std::dynamic_pointer_cast<ado::Connection>(value.object()))
                return py::cast(connection);  // the caller's own Connection object
            return to_python(automation::value_of(value));
        }
    }
    return py::none();
}

// A connection from a database file or a full connection string (a text
// with a '=').
std::shared_ptr<ado::Connection> connect(const std::string& db) {
    std::string text = db;
    if (db.find('=') == std::string::npos) {
        if (!std::filesystem::exists(db)) throw py::value_error("database file not found: " + db);
        text = "Provider=SQLite;Data Source=" + db;
    }
    return std::make_shared<ado::Connection>(text);
}

// An object created by ProgID, holding one reference.
struct Object {
    Object(com::IDispatch* object, std::string name) : dispatch(object), progid(std::move(name)) {}
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    ~Object() { dispatch->Release(); }

    com::IDispatch* dispatch;
    std::string progid;
};

// A method of an object, called with keyword arguments.
struct Method {
    std::shared_ptr<Object> object;
    const com::MethodInfo* info;

    std::string signature() const {
        std::string text = info->result_kind + " " + info->name + "(";
        for (std::size_t i = 0; i < info->parameters.size(); ++i) text += (i ? ", " : "") + info->parameters[i];
        return text + ")";
    }

    // Every parameter is passed by reference; the answer holds the result and
    // every argument as the method left it.
    py::object call(const py::kwargs& arguments) const {
        com::NamedCall call(*object->dispatch, *info);
        for (auto [key, value] : arguments) {
            std::string name = py::str(key);
            if (!call.set(name, to_variant(value))) throw py::type_error(info->name + "() has no parameter " + name);
        }
        Variant result;
        com::ExcepInfo exception;
        com::HRESULT status;
        {
            py::gil_scoped_release unlocked;
            status = call.invoke(&result, &exception);
        }
        if (status == com::DISP_E_EXCEPTION)
            throw automation::AutomationError(exception.number, exception.description, exception.source);
        com::raise_on_failure(status);
        py::dict args;
        for (std::size_t i = 0; i < info->parameters.size(); ++i)
            args[py::str(info->parameters[i])] = to_python(call.arguments()[i]);
        return py::reinterpret_borrow<py::object>(types.answer)(to_python(result), args);
    }
};

}  // namespace

}  // namespace zolt::python

PYBIND11_MODULE(tvrzolt22, module) {
    using namespace zolt;
    using namespace zolt::python;
    module.doc() = "Calls of the TvrZOLT22 component: connect(db), create(progid), then methods as attributes.";

    py::module_ datetime = py::module_::import("datetime");
    types.datetime = py::object(datetime.attr("datetime")).release();
    types.date = py::object(datetime.attr("date")).release();
    types.answer = py::module_::import("collections")
                       .attr("namedtuple")("Answer", py::make_tuple("result", "args"), py::arg("module") = "tvrzolt22")
                       .release();
    module.attr("Answer") = types.answer;

    py::class_<EmptyValue>(module, "EmptyType", "The type of Empty, the value of what was never given one.")
        .def("__repr__", [](const EmptyValue&) { return "Empty"; })
        .def("__bool__", [](const EmptyValue&) { return false; });
    types.empty = py::cast(EmptyValue{}).release();
    module.attr("Empty") = types.empty;

    types.error = py::exception<automation::AutomationError>(module, "Error").release();
    py::register_exception_translator([](std::exception_ptr failure) {
        try {
            if (failure) std::rethrow_exception(failure);
        } catch (const automation::AutomationError& error) {
            set_error(error);
        }
    });

    py::class_<ado::Connection, std::shared_ptr<ado::Connection>>(module, "Connection",
                                                                   "An open connection to a database.")
        .def_property_readonly("connection_string", &ado::Connection::connection_string)
        .def_property_readonly("state", &ado::Connection::state, "1 open, 0 closed")
        .def("close", &ado::Connection::close)
        .def("__enter__", [](py::object self) { return self; })
        .def("__exit__", [](ado::Connection& self, py::args) {
            if (self.state()) self.close();
        })
        .def("__repr__", [](const ado::Connection& self) {
            return std::string("<tvrzolt22.Connection ") + (self.state() ? "open>" : "closed>");
        });

    py::class_<Method>(module, "Method", "A method of an object; call it with keyword arguments.")
        .def("__call__", &Method::call)
        .def_property_readonly("name", [](const Method& self) { return self.info->name; })
        .def_property_readonly("dispid", [](const Method& self) { return self.info->dispid; })
        .def_property_readonly("result_kind", [](const Method& self) { return self.info->result_kind; })
        .def_property_readonly("parameters", [](const Method& self) {
            py::list names;
            for (const auto& name : self.info->parameters) names.append(name);
            return names;
        })
        .def("__repr__", &Method::signature);

    py::class_<Object, std::shared_ptr<Object>>(module, "Object", "An object created by ProgID.")
        .def("__getattr__",
             [](const std::shared_ptr<Object>& self, const std::string& name) {
                 const com::MethodInfo* info = self->dispatch->GetTypeInfo().find(name);
                 if (!info) throw py::attribute_error(self->progid + " has no method " + name);
                 return Method{self, info};
             })
        .def("__dir__",
             [](const Object& self) {
                 py::list names;
                 for (const auto& method : self.dispatch->GetTypeInfo().methods) names.append(method.name);
                 return names;
             })
        .def("__repr__", [](const Object& self) { return "<tvrzolt22.Object " + self.progid + ">"; });

    module.def("connect", &connect, py::arg("db"),
               "Opens a database file, or a full connection string (a text with a '=').");
    module.def(
        "create",
        [](const std::string& progid) {
            return std::make_shared<Object>(com::create_object(progid), progid);
        },
        py::arg("progid"), "Creates an object by its ProgID through the registry ($ZOLT_REGISTRY).");
}
