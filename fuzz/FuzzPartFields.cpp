// The part-record line splitter. The first byte is the delimiter, the rest the line.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "library/PartRecords.h"

using namespace ortello;

namespace {
bool IsControl(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 1 && u <= 31;
}
void Check(bool ok) {
    if (!ok) __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const char delimiter = static_cast<char>(data[0]);
    const std::string_view line(reinterpret_cast<const char*>(data) + 1, size - 1);

    std::vector<std::string_view> fields;
    SplitPartFields(line, delimiter, fields);

    // Code 0 ends the text.
    const std::string_view text = line.substr(0, line.find('\0'));
    std::string kept;       // the text without delimiters and control characters
    size_t separators = 0;  // delimiters plus runs of control characters
    bool onlyControls = true;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool control = IsControl(text[i]);
        onlyControls = onlyControls && control;
        if (text[i] == delimiter)
            ++separators;
        else if (control)
            separators += i == 0 || !IsControl(text[i - 1]);
        else
            kept += text[i];
    }

    std::string joined;
    const char* last = text.data();
    for (std::string_view f : fields) {
        // Fields are views into the text, in order, not overlapping.
        Check(f.data() >= last && f.data() + f.size() <= text.data() + text.size());
        last = f.data() + f.size();
        for (char c : f) Check(c != delimiter && c != '\0' && !IsControl(c));
        joined += f;
    }
    // Nothing but separators is lost, and nothing is added.
    Check(joined == kept);
    Check(fields.size() <= separators + 1);
    if (!kept.empty()) Check(!fields.empty());
    if (onlyControls) Check(fields.empty());

    // The string list form splits the same way; a space is never its delimiter.
    TPartStrings strings;
    strings.SetDelimiter(delimiter);
    Check(strings.Delimiter() != ' ');
    strings.SetLine(line);
    std::vector<std::string_view> again;
    SplitPartFields(line, strings.Delimiter(), again);
    Check(strings.Count() == static_cast<int>(again.size()));
    for (int i = 0; i < strings.Count(); ++i) Check(strings[i] == again[static_cast<size_t>(i)]);

    (void)IsMarkerOrBlankLine(line);
    return 0;
}
