// Self-registering components: the PE test and the unregistration of COM servers and type libraries.
#pragma once

#include <optional>
#include <string>

namespace lvu {

// Whether the file is a PE image ("MZ", a header offset inside the file, "PE\0\0" there);
// nullopt when the file cannot be opened.
[[nodiscard]] std::optional<bool> IsPortableExecutable(const std::string& path);

// Unregisters the server (DllUnregisterServer, or "/UNREGSERVER" for a program) and the type
// library the file holds. True when either was unregistered; a server that fails to unregister
// fails the whole operation. The path must be absolute: a bare name would load whatever file of
// that name the search order finds first.
bool UnregisterServer(const std::string& path);

}  // namespace lvu
