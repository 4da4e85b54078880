#include "library/MessagePort.h"

#include <cstdio>

namespace ortello {

void TMessagePort::ShowMessage(std::string_view text) {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
}

namespace {
std::unique_ptr<TMessagePort>& Slot() {
    static std::unique_ptr<TMessagePort> p = std::make_unique<TMessagePort>();
    return p;
}
}  // namespace

TMessagePort& MessagePort() { return *Slot(); }

void SetMessagePort(std::unique_ptr<TMessagePort> port) {
    Slot() = port ? std::move(port) : std::make_unique<TMessagePort>();
}

}  // namespace ortello
