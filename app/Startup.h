// Start-up before any window: data locations, folders, class registrations.
#pragma once

#include <string>

namespace ortello {

struct TStartupOptions {
    std::string Home;  // --home; empty: $ORTELLO_HOME or the per-user default
};

// Registers every class by name (idempotent).
void RegisterAllClasses();

// Module initialisation: regional settings, the application home, the registered
// folders, and the "bin/" and "quotes/" folders. Raises EInOutError when a folder
// cannot be created.
void InitializeModule(const TStartupOptions& options);

}  // namespace ortello
