#include "platform/Clipboard.h"

namespace ortello {

namespace {
std::unique_ptr<TClipboardPort>& Slot() {
    static std::unique_ptr<TClipboardPort> port = std::make_unique<TMemoryClipboard>();
    return port;
}
}  // namespace

TClipboardPort& Clipboard() { return *Slot(); }

void SetClipboard(std::unique_ptr<TClipboardPort> port) {
    Slot() = port ? std::move(port) : std::make_unique<TMemoryClipboard>();
}

}  // namespace ortello
