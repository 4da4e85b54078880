// Where library code shows a message to the user (a message box in the window
// program). The core default writes the text to standard error.
#pragma once

#include <memory>
#include <string_view>

namespace ortello {

class TMessagePort {
public:
    virtual ~TMessagePort() = default;
    virtual void ShowMessage(std::string_view text);
    // The wait cursor around long operations; calls nest. The core default does nothing.
    virtual void BeginWait() {}
    virtual void EndWait() {}
};

TMessagePort& MessagePort();
// Installs a port (null restores the default).
void SetMessagePort(std::unique_ptr<TMessagePort> port);
inline void ShowMessage(std::string_view text) { MessagePort().ShowMessage(text); }

// Shows the wait cursor for its lifetime, restored however the scope is left.
class TWaitCursor {
public:
    TWaitCursor() { MessagePort().BeginWait(); }
    ~TWaitCursor() { MessagePort().EndWait(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

}  // namespace ortello
