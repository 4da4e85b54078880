#include "library/Json.h"

#include <charconv>
#include <cstdio>

namespace ortello {

JsonWriter& JsonWriter::Number(double v) {
    Separate();
    if (!std::isfinite(v)) {
        out_ += "null";
        return *this;
    }
    char buf[64];
    auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v);
    if (ec != std::errc()) {
        std::snprintf(buf, sizeof buf, "%.17g", v);
        out_ += buf;
    } else {
        out_.append(buf, p);
    }
    return *this;
}

void JsonWriter::Quote(std::string_view s) {
    out_ += '"';
    for (char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '"': out_ += "\\\""; break;
            case '\\': out_ += "\\\\"; break;
            case '\n': out_ += "\\n"; break;
            case '\r': out_ += "\\r"; break;
            case '\t': out_ += "\\t"; break;
            case '\b': out_ += "\\b"; break;
            case '\f': out_ += "\\f"; break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out_ += buf;
                } else {
                    out_ += ch;
                }
        }
    }
    out_ += '"';
}

}  // namespace ortello
