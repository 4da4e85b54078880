#include "library/ObjectDump.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "library/Blowfish.h"
#include "library/Json.h"
#include "library/ObjectStream.h"
#include "library/SectionIniFile.h"
#include "library/SysUtils.h"

namespace ortello {

namespace {

struct Value;

struct Record {
    std::string id;
    std::string cls;
    std::vector<std::pair<std::string, Value>> props;
    bool hasList = false;
    bool owns = false;
    std::vector<Record> items;
};

struct CollectionItem {
    std::optional<int64_t> order;
    std::vector<std::pair<std::string, Value>> props;
};

struct Value {
    enum Kind { kString, kInt, kFloat, kIdent, kBool, kNull, kSet, kList, kBinary, kCollection } kind = kNull;
    std::string text;
    int64_t i = 0;
    double f = 0;
    bool b = false;
    std::vector<std::string> names;
    std::vector<Value> items;
    std::vector<CollectionItem> collection;
};

// Reads one object record structurally from bytes that start at `base` in the
// dumped data, so every fault names its offset there.
class Parser {
public:
    Parser(std::string_view data, size_t base, std::string_view where, int depth)
        : d_(data), base_(base), where_(where), depth_(depth) {}

    [[noreturn]] void Fail(const std::string& what, size_t at) const {
        throw Exception(Fmt("%0s at byte offset %0d%0s", what, static_cast<int64_t>(base_ + at), where_));
    }
    size_t Pos() const { return pos_; }
    bool AtEnd() const { return pos_ == d_.size(); }

    uint8_t Byte(const char* what) {
        if (pos_ >= d_.size()) Fail(std::string("unexpected end of data reading ") + what, pos_);
        return static_cast<uint8_t>(d_[pos_++]);
    }
    std::string_view Take(size_t n, const char* what) {
        if (n > d_.size() - pos_)
            Fail(Fmt("%0s of %0d bytes runs past the end of the data", what, static_cast<int64_t>(n)), pos_);
        const std::string_view v = d_.substr(pos_, n);
        pos_ += n;
        return v;
    }
    int64_t Int(int bytes, const char* what) {
        const std::string_view b = Take(static_cast<size_t>(bytes), what);
        uint64_t u = 0;
        for (int k = 0; k < bytes; ++k) u |= uint64_t{static_cast<uint8_t>(b[static_cast<size_t>(k)])} << (8 * k);
        if (bytes < 8) {
            const uint64_t sign = uint64_t{1} << (8 * bytes - 1);
            if (u & sign) u |= ~((sign << 1) - 1);
        }
        return static_cast<int64_t>(u);
    }
    std::string Str(const char* what) {
        const size_t n = Byte(what);
        return Cp1252ToUtf8(Take(n, what));
    }
    size_t Length(uint64_t unit, const char* what) {
        const size_t at = pos_;
        const int64_t n = Int(4, what);
        if (n < 0) Fail(Fmt("negative length %0d of %0s", n, what), at);
        if (static_cast<uint64_t>(n) * unit > d_.size() - pos_)
            Fail(Fmt("%0s of %0d bytes runs past the end of the data", what, static_cast<int64_t>(n * unit)), pos_);
        return static_cast<size_t>(n);
    }
    void Deeper(size_t at) {
        if (depth_ >= kMaxNesting) Fail("nesting too deep", at);
    }

    std::string Ident(const char* what) {
        const size_t at = pos_;
        switch (Byte(what)) {
            case 0x07: return Str(what);
            case 0x08: return "False";
            case 0x09: return "True";
            case 0x0D: return "nil";
            case 0x00: return "Null";
            default: Fail(std::string("expected an identifier for ") + what, at);
        }
    }

    Value ReadValue() {
        const size_t at = pos_;
        const uint8_t tag = Byte("a value tag");
        Value v;
        switch (tag) {
            case 0x00: v.kind = Value::kNull; break;
            case 0x0D: v.kind = Value::kNull; break;
            case 0x01:
                v.kind = Value::kList;
                Deeper(at);
                ++depth_;
                while (Peek("a list") != 0) v.items.push_back(ReadValue());
                ++pos_;
                --depth_;
                break;
            case 0x02: v.kind = Value::kInt; v.i = Int(1, "an 8-bit integer"); break;
            case 0x03: v.kind = Value::kInt; v.i = Int(2, "a 16-bit integer"); break;
            case 0x04: v.kind = Value::kInt; v.i = Int(4, "a 32-bit integer"); break;
            case 0x13: v.kind = Value::kInt; v.i = Int(8, "a 64-bit integer"); break;
            case 0x05: {
                v.kind = Value::kFloat;
                const std::string_view e = Take(10, "an extended float");
                uint8_t b[10];
                std::memcpy(b, e.data(), 10);
                v.f = ExtendedToDouble(b);
                break;
            }
            case 0x0F: {
                v.kind = Value::kFloat;
                const auto u = static_cast<uint32_t>(Int(4, "a single float"));
                float f;
                std::memcpy(&f, &u, 4);
                v.f = f;
                break;
            }
            case 0x10: v.kind = Value::kFloat; v.f = static_cast<double>(Int(8, "a currency value")) / 10000.0; break;
            case 0x11: {
                v.kind = Value::kFloat;
                const auto u = static_cast<uint64_t>(Int(8, "a date"));
                std::memcpy(&v.f, &u, 8);
                break;
            }
            case 0x06: v.kind = Value::kString; v.text = Str("a short string"); break;
            case 0x07: v.kind = Value::kIdent; v.text = Str("an identifier"); break;
            case 0x08: v.kind = Value::kBool; v.b = false; break;
            case 0x09: v.kind = Value::kBool; v.b = true; break;
            case 0x0C: {
                v.kind = Value::kString;
                const size_t n = Length(1, "a long string");
                v.text = Cp1252ToUtf8(Take(n, "a long string"));
                break;
            }
            case 0x12: {
                v.kind = Value::kString;
                const size_t n = Length(2, "a wide string");
                v.text = Utf16LeToUtf8(Take(n * 2, "a wide string"));
                break;
            }
            case 0x0A: {
                v.kind = Value::kBinary;
                const size_t n = Length(1, "binary data");
                v.text = std::string(Take(n, "binary data"));
                break;
            }
            case 0x0B:
                v.kind = Value::kSet;
                for (;;) {
                    std::string name = Str("a set element");
                    if (name.empty()) break;
                    v.names.push_back(std::move(name));
                }
                break;
            case 0x0E:
                v.kind = Value::kCollection;
                Deeper(at);
                ++depth_;
                while (Peek("a collection") != 0) {
                    CollectionItem item;
                    const uint8_t t = Peek("a collection item");
                    if (t == 0x02 || t == 0x03 || t == 0x04) item.order = ReadValue().i;
                    const size_t lat = pos_;
                    if (Byte("a collection item") != 0x01) Fail("expected the start of a collection item (01)", lat);
                    while (Peek("a collection item") != 0) {
                        std::string name = Str("a property name");
                        item.props.emplace_back(std::move(name), ReadValue());
                    }
                    ++pos_;
                    v.collection.push_back(std::move(item));
                }
                ++pos_;
                --depth_;
                break;
            default: Fail(Fmt("unknown value tag %0d", int64_t{tag}), at);
        }
        return v;
    }

    uint8_t Peek(const char* what) {
        if (pos_ >= d_.size()) Fail(std::string("unexpected end of data in ") + what, pos_);
        return static_cast<uint8_t>(d_[pos_]);
    }

    Record ReadRecord() {
        const size_t at = pos_;
        Deeper(at);
        if (Byte("a record") != 0x01) Fail("expected the start of an object record (01)", at);
        const size_t lat = pos_;
        const uint8_t lt = Byte("the record length");
        if (lt == 0x02)
            Int(1, "the record length");
        else if (lt == 0x03)
            Int(2, "the record length");
        else if (lt == 0x04)
            Int(4, "the record length");
        else
            Fail("expected the record length as an integer", lat);
        Record r;
        r.id = Ident("the record identifier");
        r.cls = Ident("the class name");
        while (Peek("the record's properties") != 0) {
            std::string name = Str("a property name");
            if (name == "PL" && Peek("the PL property") == 0x0A) {
                ++pos_;
                const size_t n = Length(1, "the PL data");
                const size_t start = pos_;
                Parser inner(Take(n, "the PL data"), base_ + start, where_, depth_ + 1);
                ReadList(inner, r);
                r.hasList = true;
                continue;
            }
            r.props.emplace_back(std::move(name), ReadValue());
        }
        ++pos_;
        return r;
    }

    static void ReadList(Parser& p, Record& r) {
        if (p.Byte("the PL data") != 0x01) p.Fail("expected the start of the item list (01)", 0);
        const uint8_t owns = p.Byte("the owns-objects flag");
        if (owns != 0x08 && owns != 0x09) p.Fail("expected the owns-objects flag (08 or 09)", 1);
        r.owns = owns == 0x09;
        while (p.Peek("the item list") != 0) r.items.push_back(p.ReadRecord());
        ++p.pos_;
        if (!p.AtEnd()) p.Fail("unexpected bytes after the item list", p.pos_);
    }

private:
    std::string_view d_;
    size_t base_;
    std::string where_;
    size_t pos_ = 0;
    int depth_;
};

std::string Hex(std::string_view bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char c : bytes) {
        out += digits[static_cast<uint8_t>(c) >> 4];
        out += digits[static_cast<uint8_t>(c) & 15];
    }
    return out;
}

void EmitProps(JsonWriter& w, const std::vector<std::pair<std::string, Value>>& props);

void EmitValue(JsonWriter& w, const Value& v) {
    switch (v.kind) {
        case Value::kString: w.String(v.text); break;
        case Value::kInt: w.Int(v.i); break;
        case Value::kFloat: w.Number(v.f); break;
        case Value::kIdent: w.BeginObject().Key("ident").String(v.text).EndObject(); break;
        case Value::kBool: w.Bool(v.b); break;
        case Value::kNull: w.Null(); break;
        case Value::kSet:
            w.BeginObject().Key("set").BeginArray();
            for (const auto& n : v.names) w.String(n);
            w.EndArray().EndObject();
            break;
        case Value::kList:
            w.BeginArray();
            for (const auto& i : v.items) EmitValue(w, i);
            w.EndArray();
            break;
        case Value::kBinary: w.BeginObject().Key("binary").String(Hex(v.text)).EndObject(); break;
        case Value::kCollection:
            w.BeginObject().Key("collection").BeginArray();
            for (const auto& item : v.collection) {
                w.BeginObject();
                if (item.order) w.Key("order").Int(*item.order);
                w.Key("properties");
                EmitProps(w, item.props);
                w.EndObject();
            }
            w.EndArray().EndObject();
            break;
    }
}

void EmitProps(JsonWriter& w, const std::vector<std::pair<std::string, Value>>& props) {
    w.BeginArray();
    for (const auto& [name, value] : props) {
        w.BeginArray().String(name);
        EmitValue(w, value);
        w.EndArray();
    }
    w.EndArray();
}

void EmitRecord(JsonWriter& w, const Record& r) {
    w.BeginObject();
    w.Field("id", r.id).Field("class", r.cls).Key("properties");
    EmitProps(w, r.props);
    if (r.hasList) {
        w.Field("owns", r.owns).Key("items").BeginArray();
        for (const Record& item : r.items) EmitRecord(w, item);
        w.EndArray();
    }
    w.EndObject();
}

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

std::string DumpObjectFileJson(std::string_view fileBytes, std::string_view key) {
    std::optional<std::string> tag;
    size_t start = 0;
    if (fileBytes.size() >= 8 && IsLetter(fileBytes[0]) && IsLetter(fileBytes[1]) && IsLetter(fileBytes[2]) &&
        IsLetter(fileBytes[3]) && static_cast<uint8_t>(fileBytes[4]) == 0xAA && fileBytes[5] == fileBytes[2] &&
        fileBytes[6] == fileBytes[1] && fileBytes[7] == fileBytes[0]) {
        tag = std::string(fileBytes.substr(0, 4));
        start = 8;
    }
    std::string plain;
    std::string_view record = fileBytes.substr(start);
    std::string where;
    if (!key.empty()) {
        TBlowfishSubStream cipher;
        cipher.SetKey(key);
        TReadOnlyMemoryStream source(record);
        try {
            cipher.DecryptFrom(source);
        } catch (const Exception& e) {
            throw Exception(Fmt("%0s at byte offset %0d", e.Message(), static_cast<int64_t>(start)));
        }
        plain = cipher.Bytes();
        record = plain;
        start = 0;
        where = " of the deciphered record";
    }
    Parser p(record, start, where, 0);
    const Record root = p.ReadRecord();
    if (!p.AtEnd()) p.Fail("unexpected bytes after the object record", p.Pos());

    JsonWriter w;
    w.BeginObject().Key("signature");
    if (tag)
        w.String(Cp1252ToUtf8(*tag));
    else
        w.Null();
    w.Key("object");
    EmitRecord(w, root);
    w.EndObject();
    return w.str();
}

std::string DumpIniFormJson(const std::string& path, std::string_view prefix) {
    TQORINIFile ini(path);
    struct Section {
        int number;
        std::string title;
        std::vector<std::string> lines;
    };
    std::vector<Section> sections;
    for (int i = 0; i < ini.SectionCount(); ++i) {
        const std::string& name = ini.SectionName(i);
        if (!name.starts_with(prefix)) continue;
        std::string numberPart = name;
        std::string title;
        const size_t space = name.find(' ');
        if (space != std::string::npos && space > 0) {
            numberPart = name.substr(0, space);
            std::string rest = name.substr(space + 1);
            if (rest.starts_with("- ")) rest.erase(0, 2);
            title = rest;
        }
        int64_t n;
        if (!TryStrToInt64(StringReplace(numberPart, prefix, "", true), n) || n < INT32_MIN || n > INT32_MAX) continue;
        Section s{static_cast<int>(n), title, {}};
        const TStringList& lines = ini.SectionLines(i);
        for (int k = 0; k < lines.Count(); ++k) s.lines.push_back(lines[k]);
        sections.push_back(std::move(s));
    }
    std::stable_sort(sections.begin(), sections.end(),
                     [](const Section& a, const Section& b) { return a.number < b.number; });
    JsonWriter w;
    w.BeginObject().Key("sections").BeginArray();
    for (const Section& s : sections) {
        w.BeginObject().Field("number", s.number).Field("title", s.title).Key("lines").BeginArray();
        for (const auto& l : s.lines) w.String(l);
        w.EndArray().EndObject();
    }
    w.EndArray().EndObject();
    return w.str();
}

}  // namespace ortello
