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
};

TMessagePort& MessagePort();
// Installs a port (null restores the default).
void SetMessagePort(std::unique_ptr<TMessagePort> port);
inline void ShowMessage(std::string_view text) { MessagePort().ShowMessage(text); }

}  // namespace ortello
