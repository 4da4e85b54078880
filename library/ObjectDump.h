// Structural JSON dumps of typed object files and of the INI object form, for
// the command-line companion. Neither needs to know the classes involved.
#pragma once

#include <string>
#include <string_view>

namespace ortello {

// {"signature": TAG or null, "object": OBJ}; OBJ is
// {"id", "class", "properties": [[name, value]...], "owns", "items"} where
// "owns" and "items" appear only for a record holding "PL". With a non-empty
// key the bytes after the signature are deciphered first. Malformed input
// raises Exception naming the fault and its byte offset.
std::string DumpObjectFileJson(std::string_view fileBytes, std::string_view key);

// {"sections": [{"number": N, "title": T, "lines": [...]}...]} for the family of
// numbered sections with that prefix, in number order.
std::string DumpIniFormJson(const std::string& path, std::string_view prefix);

}  // namespace ortello
