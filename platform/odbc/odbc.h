// The client-server path of the data layer: a provider over the ODBC driver
// manager, reached with "Provider=ODBC;Driver={...};Server=...;Port=...;
// Database=...;Uid=...;Pwd=..." or "Provider=ODBC;DSN=...". Every key other
// than Provider and the two timeouts goes to the driver as it stands.
//   Connect Timeout=N  seconds a login may take (default 15)
//   Command Timeout=N  seconds a statement may take (default 30)
// Connections are pooled per connection string inside the process; one that
// the server has dropped is found out and replaced.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zolt::odbc {

inline constexpr const char* kProviderName = "ODBC";

// Every statement text sent to a driver while the capture is on, as the
// driver received it, from every connection of the process in order (the
// benchmark on the server replays them).
namespace capture {
void start();
std::vector<std::string> stop();
}  // namespace capture

}  // namespace zolt::odbc
