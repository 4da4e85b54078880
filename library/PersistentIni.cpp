#include "library/PersistentIni.h"

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

#include "library/ObjectStream.h"

namespace ortello {

namespace {

bool IsBooleanType(const TTypeInfo& t) {
    const TTypeInfo* base = t.BaseType ? t.BaseType : &t;
    return base == TypeBoolean() || base == TypeByteBool() || base == TypeWordBool() || base == TypeLongBool();
}

bool IsComponent(const TObject* o) { return dynamic_cast<const TComponent*>(o) != nullptr; }

// Every INI walk is bounded: object graphs may refer back to themselves and
// hand-edited files may point sections at each other.
thread_local int g_iniDepth = 0;
thread_local std::set<std::pair<const void*, int>> g_iniSeen;

struct IniDepth {
    IniDepth() {
        if (++g_iniDepth > kMaxNesting) {
            --g_iniDepth;
            throw EConvertError("Objects nested too deeply for the INI form");
        }
    }
    ~IniDepth() {
        if (--g_iniDepth == 0) g_iniSeen.clear();
    }
};

std::string SectionNumberText(const TQORSectionINIFile& ini, int n) { return ini.Prefix() + IntToStr(n); }

bool ParseSectionRef(const TQORSectionINIFile& ini, std::string_view value, int& n) {
    int64_t v;
    if (!TryStrToInt64(Trim(StringReplace(value, ini.Prefix(), "", true)), v) || v < INT32_MIN || v > INT32_MAX)
        return false;
    n = static_cast<int>(v);
    return true;
}

}  // namespace

// ---------------------------------------------------------------- text conversion

std::string GetPropText(const TObject& obj, const TPropInfo& prop) {
    const TTypeInfo& t = *prop.PropType;
    auto noText = [&]() -> std::string { throw EConvertError("Property " + prop.Name + " has no text form"); };
    switch (prop.Kind()) {
        case TTypeKind::tkInteger:
        case TTypeKind::tkInt64:
            if (!prop.GetOrd) return noText();
            return IntToStr(prop.GetOrd(obj));
        case TTypeKind::tkChar: {
            if (!prop.GetOrd) return noText();
            return Cp1252ToUtf8(std::string(1, static_cast<char>(prop.GetOrd(obj) & 0xFF)));
        }
        case TTypeKind::tkWChar: {
            if (!prop.GetOrd) return noText();
            const auto c = static_cast<uint16_t>(prop.GetOrd(obj));
            const char bytes[2] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
            return Utf16LeToUtf8(std::string_view(bytes, 2));
        }
        case TTypeKind::tkEnumeration: {
            if (!prop.GetOrd) return noText();
            const int64_t v = prop.GetOrd(obj);
            if (IsBooleanType(t)) return v ? "1" : "0";
            const std::string name = t.EnumName(v);
            if (name.empty()) return noText();
            return name;
        }
        case TTypeKind::tkSet: {
            if (!prop.GetOrd || !t.BaseType) return noText();
            const auto mask = static_cast<uint64_t>(prop.GetOrd(obj));
            const TTypeInfo& elem = *t.BaseType;
            std::string out = "[";
            for (int64_t i = std::max<int64_t>(elem.MinValue, 0); i <= std::min<int64_t>(elem.MaxValue, 63); ++i) {
                if (!(mask & (uint64_t{1} << i))) continue;
                if (out.size() > 1) out += ',';
                out += elem.Kind == TTypeKind::tkInteger ? IntToStr(i) : elem.EnumName(i);
            }
            return out + "]";
        }
        case TTypeKind::tkFloat: {
            if (!prop.GetFloat) return noText();
            const double v = prop.GetFloat(obj);
            std::string s = FloatToStr(v);
            double back;
            // Fifteen digits lose the last bits of some doubles; keep them.
            if (!TryStrToFloat(s, back) || back != v) s = FloatToStrF(v, TFloatFormat::ffGeneral, 17, 0);
            return s;
        }
        case TTypeKind::tkString:
        case TTypeKind::tkLString:
        case TTypeKind::tkWString:
            if (!prop.GetStr) return noText();
            return prop.GetStr(obj);
        default:
            return noText();
    }
}

void SetPropText(TObject& obj, const TPropInfo& prop, std::string_view text) {
    const TTypeInfo& t = *prop.PropType;
    auto bad = [&] { throw EConvertError("'" + std::string(text) + "' is not a valid value for " + prop.Name); };
    switch (prop.Kind()) {
        case TTypeKind::tkInteger:
        case TTypeKind::tkInt64: {
            if (!prop.SetOrd) bad();
            int64_t v;
            if (!TryStrToInt64(Trim(text), v)) bad();
            if (prop.Kind() == TTypeKind::tkInteger && (v < t.MinValue || v > t.MaxValue)) bad();
            prop.SetOrd(obj, v);
            return;
        }
        case TTypeKind::tkChar: {
            if (!prop.SetOrd) bad();
            const std::string cp = Utf8ToCp1252(text);
            if (cp.size() != 1) bad();
            prop.SetOrd(obj, static_cast<uint8_t>(cp[0]));
            return;
        }
        case TTypeKind::tkWChar: {
            if (!prop.SetOrd || text.empty()) bad();
            const auto c0 = static_cast<uint8_t>(text[0]);
            int64_t v = -1;
            if (text.size() == 1 && c0 < 0x80)
                v = c0;
            else if (text.size() == 2 && (c0 & 0xE0) == 0xC0)
                v = ((c0 & 0x1F) << 6) | (static_cast<uint8_t>(text[1]) & 0x3F);
            else if (text.size() == 3 && (c0 & 0xF0) == 0xE0)
                v = ((c0 & 0x0F) << 12) | ((static_cast<uint8_t>(text[1]) & 0x3F) << 6) |
                    (static_cast<uint8_t>(text[2]) & 0x3F);
            if (v < 0) bad();
            prop.SetOrd(obj, v);
            return;
        }
        case TTypeKind::tkEnumeration: {
            if (!prop.SetOrd) bad();
            const std::string s = Trim(text);
            int64_t v = t.EnumValue(s);
            if (v < 0 && !TryStrToInt64(s, v)) bad();
            if (IsBooleanType(t) && v != 0) v = 1;
            if (v < t.MinValue || v > t.MaxValue) bad();
            prop.SetOrd(obj, v);
            return;
        }
        case TTypeKind::tkSet: {
            if (!prop.SetOrd || !t.BaseType) bad();
            std::string s = Trim(text);
            if (s.size() < 2 || s.front() != '[' || s.back() != ']') bad();
            s = s.substr(1, s.size() - 2);
            uint64_t mask = 0;
            const TTypeInfo& elem = *t.BaseType;
            size_t start = 0;
            while (start <= s.size()) {
                size_t comma = s.find(',', start);
                if (comma == std::string::npos) comma = s.size();
                const std::string name = Trim(std::string_view(s).substr(start, comma - start));
                start = comma + 1;
                if (name.empty()) {
                    if (comma == s.size()) break;
                    bad();
                }
                int64_t ord = -1;
                if (elem.Kind == TTypeKind::tkInteger) {
                    if (!TryStrToInt64(name, ord)) bad();
                } else {
                    ord = elem.EnumValue(name);
                }
                if (ord < 0 || ord > 63 || ord < elem.MinValue || ord > elem.MaxValue) bad();
                mask |= uint64_t{1} << ord;
            }
            prop.SetOrd(obj, static_cast<int64_t>(mask));
            return;
        }
        case TTypeKind::tkFloat: {
            if (!prop.SetFloat) bad();
            double v;
            if (!TryStrToFloat(text, v)) bad();
            prop.SetFloat(obj, v);
            return;
        }
        case TTypeKind::tkString:
        case TTypeKind::tkLString:
        case TTypeKind::tkWString:
            if (!prop.SetStr) bad();
            prop.SetStr(obj, text);
            return;
        default:
            bad();
    }
}

std::string SpacedPropName(std::string_view dotted) {
    std::string out;
    for (size_t i = 0; i < dotted.size(); ++i) {
        const char c = dotted[i];
        if (i > 0 && c >= 'A' && c <= 'Z' && !(dotted[i - 1] >= '0' && dotted[i - 1] <= '9')) out += ' ';
        out += c;
    }
    return StringReplace(out, ". ", ".");
}

// ---------------------------------------------------------------- routine registry

const TClassInfo& TINISpecialProp::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TINISpecialProp>("TINISpecialProp", &TQorPersistent::StaticClass()).Build();
    return info;
}

const TClassInfo& TINISpecialPropList::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TINISpecialPropList>("TINISpecialPropList", &TQorPersistList::StaticClass()).Build();
    return info;
}

void TINISpecialPropList::Register(const TClassInfo& cls, TINIReadRoutine read, TINIWriteRoutine write) {
    for (int i = 0; i < Count(); ++i) {
        auto* p = ItemAs<TINISpecialProp>(i);
        if (p->Class == &cls) {
            p->Read = std::move(read);
            p->Write = std::move(write);
            return;
        }
    }
    auto item = std::make_unique<TINISpecialProp>();
    item->Class = &cls;
    item->Read = std::move(read);
    item->Write = std::move(write);
    // Before the first descendant, so ancestors always come first.
    int at = Count();
    for (int i = 0; i < Count(); ++i) {
        if (ItemAs<TINISpecialProp>(i)->Class->InheritsFrom(cls)) {
            at = i;
            break;
        }
    }
    Insert(at, item.release());
}

const TINISpecialProp* TINISpecialPropList::Find(const TClassInfo& cls) const {
    for (int i = Count() - 1; i >= 0; --i) {
        const auto* p = ItemAs<TINISpecialProp>(i);
        if (cls.InheritsFrom(*p->Class)) return p;
    }
    return nullptr;
}

void TINISpecialProps::Register(const TClassInfo& cls, TINIReadRoutine read, TINIWriteRoutine write) {
    (cls.InheritsFrom(TQorPersistent::StaticClass()) ? persistent_ : others_)
        .Register(cls, std::move(read), std::move(write));
}

const TINISpecialProp* TINISpecialProps::Find(const TClassInfo& cls) const {
    return (cls.InheritsFrom(TQorPersistent::StaticClass()) ? persistent_ : others_).Find(cls);
}

TINISpecialProps& INISpecialProps() {
    static TINISpecialProps props;
    return props;
}

void RegisterINISpecialProp(const TClassInfo& cls, TINIReadRoutine read, TINIWriteRoutine write) {
    INISpecialProps().Register(cls, std::move(read), std::move(write));
}

void RegisterINISpecialProps() {
    RegisterINISpecialProp(
        TPersistent::StaticClass(),
        [](TQORSectionINIFile& ini, int n, TPersistent& obj) { ReadObjectINI(ini, n, obj); },
        [](TQORSectionINIFile& ini, int& n, TINISection* s, TPersistent& obj) {
            WriteObjectINI(ini, n, s, obj, obj.ClassName());
            return true;
        });
    RegisterINISpecialProp(
        TStrings::StaticClass(),
        [](TQORSectionINIFile& ini, int n, TPersistent& obj) {
            auto& strings = static_cast<TStrings&>(obj);
            TINISection* s = ini.FindSection(n);
            if (!s || !ReadObjectINI(ini, n, obj)) return;
            const int lineCount = s->ReadInteger("Line Count", 0);
            // Only keys that exist can contribute, so walk those rather than the count.
            std::vector<std::pair<int, std::string>> lines;
            for (int i = 0; i < s->Count(); ++i) {
                int64_t k;
                if (TryStrToInt64(s->Name(i), k) && k >= 0 && k < lineCount)
                    lines.emplace_back(static_cast<int>(k), s->ValueFromIndex(i));
            }
            std::stable_sort(lines.begin(), lines.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
            strings.BeginUpdate();
            strings.Clear();
            int last = -1;
            for (auto& [k, v] : lines) {
                if (k == last) continue;  // the first line of a key wins
                strings.Add(v);
                last = k;
            }
            strings.EndUpdate();
        },
        [](TQORSectionINIFile& ini, int& n, TINISection* s, TPersistent& obj) {
            auto& strings = static_cast<TStrings&>(obj);
            TINISection& section = WriteObjectINI(ini, n, s, obj, obj.ClassName());
            section.WriteInteger("Line Count", strings.Count());
            for (int i = 0; i < strings.Count(); ++i) section.WriteString(IntToStr(i), strings.Get(i));
            return true;
        });
    RegisterINISpecialProp(
        TQorPersistent::StaticClass(),
        [](TQORSectionINIFile& ini, int n, TPersistent& obj) {
            int k = n;
            static_cast<TQorPersistent&>(obj).ReadFromINI(ini, k);
        },
        [](TQORSectionINIFile& ini, int& n, TINISection* s, TPersistent& obj) {
            return static_cast<TQorPersistent&>(obj).WriteToINI(ini, n, s);
        });
    RegisterINISpecialProp(
        TComponent::StaticClass(), [](TQORSectionINIFile&, int, TPersistent&) {},
        [](TQORSectionINIFile&, int&, TINISection*, TPersistent&) { return false; });
}

// ---------------------------------------------------------------- generic writer and reader

TINISection& WriteObjectINI(TQORSectionINIFile& ini, int& sectionNo, TINISection* section, TPersistent& obj,
                            std::string_view title) {
    IniDepth depth;
    if (!section) {
        section = &ini.Sections().Add(sectionNo, title);
        ++sectionNo;
    }
    section->WriteString("Type", obj.ClassName());
    for (const TPropInfo* prop : obj.ClassInfo().Properties()) {
        if (prop->Kind() == TTypeKind::tkMethod || !prop->IsStored(obj)) continue;
        if (prop->Kind() == TTypeKind::tkClass) {
            TObject* value = prop->GetObj ? prop->GetObj(obj) : nullptr;
            auto* nested = dynamic_cast<TPersistent*>(value);
            if (!nested || IsComponent(nested)) continue;
            const TINISpecialProp* routine = INISpecialProps().Find(nested->ClassInfo());
            if (!routine || !routine->Write) continue;
            const int n = sectionNo;
            if (routine->Write(ini, sectionNo, nullptr, *nested))
                section->WriteString(prop->Name, SectionNumberText(ini, n));
            continue;
        }
        std::string text;
        try {
            text = GetPropText(obj, *prop);
        } catch (const Exception&) {
            continue;
        }
        section->WriteString(prop->Name, text);
    }
    return *section;
}

bool ReadObjectINI(TQORSectionINIFile& ini, int sectionNo, TPersistent& obj) {
    IniDepth depth;
    TINISection* section = ini.FindSection(sectionNo);
    if (!section) return false;
    if (!g_iniSeen.emplace(&ini, sectionNo).second) return false;  // already read in this load
    for (const TPropInfo* prop : obj.ClassInfo().Properties()) {
        if (prop->Kind() == TTypeKind::tkMethod || !prop->IsStored(obj)) continue;
        if (!section->ValueExists(prop->Name)) continue;
        const std::string value = section->ReadString(prop->Name, "");
        try {
            if (prop->Kind() == TTypeKind::tkClass) {
                TObject* current = prop->GetObj ? prop->GetObj(obj) : nullptr;
                auto* nested = dynamic_cast<TPersistent*>(current);
                if (nested && !IsComponent(nested)) {
                    int n;
                    const TINISpecialProp* routine = INISpecialProps().Find(nested->ClassInfo());
                    if (ParseSectionRef(ini, value, n) && routine && routine->Read) routine->Read(ini, n, *nested);
                    continue;
                }
            }
            SetPropText(obj, *prop, value);
        } catch (const Exception&) {
            // a property that does not read keeps its value
        }
    }
    return true;
}

// ---------------------------------------------------------------- TQorPersistent

bool TQorPersistent::WriteToINI(TQORSectionINIFile& ini, int& sectionNo, TINISection* section) {
    WriteObjectINI(ini, sectionNo, section, *this, GetSectionName());
    return true;
}

void TQorPersistent::ReadFromINI(TQORSectionINIFile& ini, int& sectionNo) {
    if (ReadObjectINI(ini, sectionNo, *this)) AfterLoad();
}

void TQorPersistent::SaveToINIFile(const std::string& fileName, std::string_view prefix) {
    TQORINIFile ini(fileName);
    TQORSectionINIFile view(prefix.empty() ? GetDefaultPrefix() : std::string(prefix), ini);
    view.RemovePrefixed();
    view.Sections().Add(0, "");
    int sectionNo = 1;
    WriteToINI(view, sectionNo, nullptr);
    const std::string version = GetVersion();
    if (!version.empty()) view.WriteString(0, "Version", version);
    view.WriteInteger(0, "Item Count", sectionNo);
    view.Commit();
    ini.UpdateFile();
}

void TQorPersistent::LoadFromINIFile(const std::string& fileName, std::string_view prefix) {
    TQORINIFile ini(fileName);
    TQORSectionINIFile view(prefix.empty() ? GetDefaultPrefix() : std::string(prefix), ini);
    view.TakePrefixed();
    SetVersion(view.ReadString(0, "Version", ""));
    const int recorded = view.Sections().Count() > 0 ? view.Sections()[0].ReadInteger("Item Count", 0) : 0;
    if (recorded != view.Sections().Count()) throw EItemCountMismatch(kItemCountMismatch);
    int first = 1;
    ReadFromINI(view, first);
}

void TQorPersistent::ReadFromINISection(TQORINIFile& ini, std::string_view sectionName) {
    if (!ini.SectionExists(sectionName)) return;
    // Every property that is not an object, and those of nested objects by dotted path.
    struct Walker {
        TQORINIFile& ini;
        std::string_view section;
        void Walk(TObject& obj, const std::string& path, int depth) {
            if (depth > kMaxNesting) return;
            for (const TPropInfo* prop : obj.ClassInfo().Properties()) {
                if (prop->Kind() == TTypeKind::tkMethod) continue;
                const std::string name = path + prop->Name;
                if (prop->Kind() == TTypeKind::tkClass) {
                    TObject* nested = prop->GetObj ? prop->GetObj(obj) : nullptr;
                    if (nested && !IsComponent(nested)) Walk(*nested, name + ".", depth + 1);
                    continue;
                }
                std::string key = name;
                if (!ini.ValueExists(section, key)) {
                    key = SpacedPropName(name);
                    if (!ini.ValueExists(section, key)) continue;
                }
                try {
                    SetPropText(obj, *prop, ini.ReadString(section, key, ""));
                } catch (const Exception&) {
                }
            }
        }
    };
    Walker{ini, sectionName}.Walk(*this, "", 0);
}

// ---------------------------------------------------------------- lists

bool TQorPersistList::WriteToINI(TQORSectionINIFile& ini, int& sectionNo, TINISection* section) {
    TINISection& own = WriteObjectINI(ini, sectionNo, section, *this, GetSectionName());
    if (Count() == 0) return true;
    const int first = sectionNo;
    sectionNo += Count();
    own.WriteString("List Items", Fmt("%0d-%0d", first, first + Count() - 1));
    own.WriteBool("Owns Object", OwnsObjects());
    for (int i = 0; i < Count(); ++i) {
        TQorPersistent* item = Items(i);
        TINISection& s = ini.Sections().Add(first + i, item->GetSectionName());
        item->WriteToINI(ini, sectionNo, &s);
    }
    return true;
}

void TQorPersistList::ReadFromINI(TQORSectionINIFile& ini, int& sectionNo) {
    Clear();
    IniDepth depth;
    TINISection* own = ini.FindSection(sectionNo);
    if (!ReadObjectINI(ini, sectionNo, *this)) return;
    const std::string range = own->ReadString("List Items", "");
    const size_t dash = range.find('-');
    int64_t a, b;
    if (dash != std::string::npos && TryStrToInt64(Trim(range.substr(0, dash)), a) &&
        TryStrToInt64(Trim(range.substr(dash + 1)), b)) {
        // The sections that exist in the range, in number order; a hand-edited
        // range can be huge without making the walk any longer.
        std::vector<int> numbers;
        for (int i = 0; i < ini.Sections().Count(); ++i) {
            const int n = ini.Sections()[i].Number();
            if (n >= a && n <= b) numbers.push_back(n);
        }
        std::sort(numbers.begin(), numbers.end());
        numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
        for (int k : numbers) {
            TINISection* s = ini.FindSection(k);
            const std::string type = s->ReadString("Type", "");
            if (type.empty()) continue;
            const TClassInfo* cls = FindClass(type);
            if (!cls || !cls->CanCreate() || !cls->InheritsFrom(TQorPersistent::StaticClass())) continue;
            std::unique_ptr<TQorPersistent> item;
            try {
                item = CreateItem({}, *cls);
            } catch (const Exception&) {
                continue;
            }
            if (auto* list = dynamic_cast<TQorPersistList*>(item.get()))
                list->SetOwnsObjects(s->ReadInteger("Owns Object", 1) != 0);
            TQorPersistent* p = item.get();
            Add(std::move(item));
            int n = k;
            p->ReadFromINI(ini, n);
        }
    }
    AfterLoad();
}

}  // namespace ortello
