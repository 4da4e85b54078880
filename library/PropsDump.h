// The published properties of a class as the command-line companion shows them.
#pragma once

#include <string>
#include <string_view>

#include "library/TypeInfo.h"

namespace ortello {

// "tkInteger", "tkLString", ...
std::string_view TypeKindName(TTypeKind kind);

// For a new instance of cls, every published property in declaration order
// (inherited first): [{"name", "kind", "type", "stored", "default" (null when none),
// "readable", "writable", "editor", "value", "values" (only with a value list)}].
// "editor", "value" and "values" are null when the registry or the editor fails.
// Raises when the class cannot be instantiated.
std::string DumpClassPropsJson(const TClassInfo& cls);

}  // namespace ortello
