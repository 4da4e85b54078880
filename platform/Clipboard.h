// The system clipboard as the core sees it: plain text in, plain text out.
// The window program installs its own port; tests and the command-line
// companion use the in-memory one.
#pragma once

#include <memory>
#include <string>

namespace ortello {

class TClipboardPort {
public:
    virtual ~TClipboardPort() = default;
    virtual void SetText(const std::string& text) = 0;
    virtual std::string GetText() const = 0;
    virtual bool HasText() const = 0;
    virtual void Clear() = 0;
};

class TMemoryClipboard : public TClipboardPort {
public:
    void SetText(const std::string& text) override {
        text_ = text;
        has_ = true;
    }
    std::string GetText() const override { return text_; }
    bool HasText() const override { return has_; }
    void Clear() override {
        text_.clear();
        has_ = false;
    }

private:
    std::string text_;
    bool has_ = false;
};

// The process-wide clipboard; an in-memory one until a port is installed.
TClipboardPort& Clipboard();
// Installs a port (null restores an empty in-memory clipboard).
void SetClipboard(std::unique_ptr<TClipboardPort> port);

}  // namespace ortello
