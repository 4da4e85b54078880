// The INI parser, the numbered view over it and the text written back.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "library/SectionIniFile.h"

using namespace ortello;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The first line names the family prefix; the rest is the file as on disk.
    const size_t eol = bytes.find('\n');
    const std::string_view prefix = eol == std::string_view::npos ? std::string_view() : bytes.substr(0, eol);
    const std::string_view body = eol == std::string_view::npos ? bytes : bytes.substr(eol + 1);

    TQORINIFile ini;
    ini.SetText(Cp1252ToUtf8(body));
    TStringList names;
    ini.ReadSections(names);
    for (int i = 0; i < names.Count() && i < 64; ++i) {
        TStringList keys;
        ini.ReadSection(names[i], keys);
        for (int k = 0; k < keys.Count() && k < 64; ++k) {
            (void)ini.ReadInteger(names[i], keys[k], 0);
            (void)ini.ReadFloat(names[i], keys[k], 0);
            (void)ini.ReadDateTime(names[i], keys[k], 0);
        }
    }

    const std::string text = ini.Text();
    TQORINIFile again;
    again.SetText(text);
    if (again.Text() != text) __builtin_trap();  // the written form reads back unchanged

    TQORSectionINIFile view(Cp1252ToUtf8(prefix), ini);
    view.TakePrefixed();
    for (int i = 0; i < view.Sections().Count(); ++i) {
        TINISection& s = view.Sections()[i];
        (void)view.ReadString(s.FullName(), "Type", "");
        (void)s.ReadInteger("Item Count", 0);
        s.WriteBool("Owns Object", true);
    }
    view.Sections().Add(-1, "Title");
    view.Commit();
    (void)Utf8ToCp1252(ini.Text());
    return 0;
}
