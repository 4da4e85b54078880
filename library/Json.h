// A small JSON writer for the command-line companion's output (UTF-8).
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ortello {

class JsonWriter {
public:
    explicit JsonWriter(bool pretty = true) : pretty_(pretty) {}

    JsonWriter& BeginObject() { return Open('{'); }
    JsonWriter& EndObject() { return Close('}'); }
    JsonWriter& BeginArray() { return Open('['); }
    JsonWriter& EndArray() { return Close(']'); }

    // Inside an object: the next value's key.
    JsonWriter& Key(std::string_view k) {
        Separate();
        Quote(k);
        out_ += pretty_ ? ": " : ":";
        afterKey_ = true;
        return *this;
    }
    JsonWriter& String(std::string_view s) {
        Separate();
        Quote(s);
        return *this;
    }
    JsonWriter& Int(int64_t v) {
        Separate();
        out_ += std::to_string(v);
        return *this;
    }
    JsonWriter& UInt(uint64_t v) {
        Separate();
        out_ += std::to_string(v);
        return *this;
    }
    // Shortest text that reads back as the same double; non-finite as null.
    JsonWriter& Number(double v);
    JsonWriter& Bool(bool b) {
        Separate();
        out_ += b ? "true" : "false";
        return *this;
    }
    JsonWriter& Null() {
        Separate();
        out_ += "null";
        return *this;
    }
    // Key/value shorthands.
    JsonWriter& Field(std::string_view k, std::string_view v) { return Key(k).String(v); }
    JsonWriter& Field(std::string_view k, const char* v) { return Key(k).String(v); }
    JsonWriter& Field(std::string_view k, int64_t v) { return Key(k).Int(v); }
    JsonWriter& Field(std::string_view k, int v) { return Key(k).Int(v); }
    JsonWriter& Field(std::string_view k, double v) { return Key(k).Number(v); }
    JsonWriter& Field(std::string_view k, bool v) { return Key(k).Bool(v); }

    const std::string& str() const { return out_; }

private:
    JsonWriter& Open(char c) {
        Separate();
        out_ += c;
        first_.push_back(true);
        return *this;
    }
    JsonWriter& Close(char c) {
        const bool empty = first_.back();
        first_.pop_back();
        if (pretty_ && !empty) Newline();
        out_ += c;
        return *this;
    }
    void Separate() {
        if (afterKey_) {
            afterKey_ = false;
            return;
        }
        if (first_.empty()) return;
        if (!first_.back()) out_ += ',';
        first_.back() = false;
        if (pretty_) Newline();
    }
    void Newline() {
        out_ += '\n';
        out_.append(first_.size() * 2, ' ');
    }
    void Quote(std::string_view s);

    std::string out_;
    std::vector<bool> first_;
    bool afterKey_ = false;
    bool pretty_;
};

}  // namespace ortello
