#include "library/ObjectStream.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "library/Persistent.h"

namespace ortello {

// ---------------------------------------------------------------- 80-bit floats

void DoubleToExtended(double value, uint8_t out[10]) {
    uint64_t bits;
    std::memcpy(&bits, &value, 8);
    const bool neg = (bits >> 63) != 0;
    const int dexp = static_cast<int>((bits >> 52) & 0x7FF);
    const uint64_t frac = bits & 0xFFFFFFFFFFFFFull;
    uint64_t mant;
    int exp;
    if (dexp == 0x7FF) {  // infinity or NaN (payload kept)
        exp = 0x7FFF;
        mant = 0x8000000000000000ull | (frac << 11);
    } else if (dexp == 0) {
        if (frac == 0) {
            exp = 0;
            mant = 0;
        } else {  // subnormal double: normal in the wider exponent range
            const int lz = __builtin_clzll(frac);
            mant = frac << lz;
            exp = 15372 - lz;
        }
    } else {
        exp = dexp - 1023 + 16383;
        mant = 0x8000000000000000ull | (frac << 11);
    }
    for (int i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(mant >> (8 * i));
    const unsigned se = static_cast<unsigned>(exp) | (neg ? 0x8000u : 0u);
    out[8] = static_cast<uint8_t>(se);
    out[9] = static_cast<uint8_t>(se >> 8);
}

double ExtendedToDouble(const uint8_t in[10]) {
    uint64_t mant = 0;
    for (int i = 0; i < 8; ++i) mant |= uint64_t{in[i]} << (8 * i);
    const unsigned se = in[8] | (unsigned{in[9]} << 8);
    const bool neg = (se & 0x8000) != 0;
    const int exp = static_cast<int>(se & 0x7FFF);
    const uint64_t sign = neg ? (uint64_t{1} << 63) : 0;
    uint64_t bits;
    if (exp == 0x7FFF) {
        const uint64_t frac = (mant >> 11) & 0xFFFFFFFFFFFFFull;
        if ((mant & 0x7FFFFFFFFFFFFFFFull) == 0)
            bits = sign | 0x7FF0000000000000ull;
        else
            bits = sign | 0x7FF0000000000000ull | (frac ? frac : 0x8000000000000ull);
    } else if (mant == 0) {
        bits = sign;
    } else {
        // value = mant * 2^(e - 63), with e the unbiased exponent of bit 63.
        int e = (exp == 0 ? 1 : exp) - 16383;
        const int lz = __builtin_clzll(mant);
        mant <<= lz;
        e -= lz;
        int de = e + 1023;
        int shift = 11;
        if (de < 1) shift += 1 - de;  // subnormal result
        uint64_t q = 0;
        if (shift <= 64) {
            const uint64_t rem = shift == 64 ? mant : mant & ((uint64_t{1} << shift) - 1);
            const uint64_t half = uint64_t{1} << (shift - 1);
            q = shift == 64 ? 0 : mant >> shift;
            if (rem > half || (rem == half && (q & 1))) ++q;
        }  // beyond that the value is under half the smallest subnormal
        if (de < 1) {
            bits = sign | q;  // a carry into bit 52 gives the smallest normal, as it should
        } else {
            if (q == (uint64_t{1} << 53)) {
                q >>= 1;
                ++de;
            }
            if (de >= 0x7FF)
                bits = sign | 0x7FF0000000000000ull;
            else
                bits = sign | (uint64_t(de) << 52) | (q & 0xFFFFFFFFFFFFFull);
        }
    }
    double d;
    std::memcpy(&d, &bits, 8);
    return d;
}

namespace {

// Thread-wide nesting of records: each list level reads with a reader of its own.
thread_local int g_recordDepth = 0;

struct DepthGuard {
    explicit DepthGuard(int& d, const char* what) : d_(d) {
        if (++d_ > kMaxNesting) {
            --d_;
            throw EReadError(std::string(what) + " nested too deeply");
        }
    }
    ~DepthGuard() { --d_; }
    int& d_;
};

// Writes into a region of a string that starts at its current end; used to give
// a binary property's writer a stream without an intermediate copy.
class TAppendStream : public TStream {
public:
    explicit TAppendStream(std::string& s) : s_(s), base_(s.size()) {}
    int64_t Read(void*, int64_t) override { return 0; }
    int64_t Write(const void* buffer, int64_t count) override {
        if (count <= 0) return 0;
        const size_t at = base_ + static_cast<size_t>(pos_);
        if (at + static_cast<size_t>(count) > s_.size()) s_.resize(at + static_cast<size_t>(count));
        std::memcpy(s_.data() + at, buffer, static_cast<size_t>(count));
        pos_ += count;
        return count;
    }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override {
        const int64_t size = static_cast<int64_t>(s_.size() - base_);
        int64_t p = origin == TSeekOrigin::soBeginning ? offset
                    : origin == TSeekOrigin::soCurrent ? pos_ + offset
                                                       : size + offset;
        pos_ = std::clamp<int64_t>(p, 0, size);
        return pos_;
    }
    void SetSize(int64_t size) override { s_.resize(base_ + static_cast<size_t>(std::max<int64_t>(size, 0))); }

private:
    std::string& s_;
    size_t base_;
    int64_t pos_ = 0;
};

std::string ComponentReference(const TComponent& c, const TComponent* root) {
    if (root && &c == root) return "Owner";
    if (c.Owner() == root) return c.Name();
    if (c.Owner() && !c.Owner()->Name().empty() && !c.Name().empty()) return c.Owner()->Name() + "." + c.Name();
    if (!c.Name().empty()) return c.Name() + ".Owner";
    return {};
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Ordinal as the platform keeps it: unsigned 32-bit values are stored signed.
int64_t StoredOrdinal(const TPropInfo& prop, int64_t v) {
    if (prop.Kind() == TTypeKind::tkInteger && prop.PropType->OrdType == TOrdType::otULong)
        return static_cast<int32_t>(static_cast<uint32_t>(v));
    return v;
}

std::string SetElementName(const TTypeInfo& elem, int64_t ordinal) {
    if (elem.Kind == TTypeKind::tkInteger) return IntToStr(ordinal);
    return elem.EnumName(ordinal);
}

}  // namespace

std::string Utf16LeToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() / 2);
    const size_t n = bytes.size() / 2;
    auto unit = [&](size_t i) {
        return static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) | (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
    };
    for (size_t i = 0; i < n; ++i) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < n && unit(i + 1) >= 0xDC00 && unit(i + 1) < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        AppendUtf8(out, c);
    }
    return out;
}

// ---------------------------------------------------------------- writer

void TQorWriter::FlushBuffer() {
    if (buf_.empty()) return;
    stream_.WriteBuffer(buf_.data(), static_cast<int64_t>(buf_.size()));
    buf_.clear();
}

void TQorWriter::WriteInt32At(size_t offset, int32_t v) {
    const auto u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) buf_[offset + static_cast<size_t>(i)] = static_cast<char>(u >> (8 * i));
}

void TQorWriter::WriteInteger(int64_t v) {
    if (v >= INT8_MIN && v <= INT8_MAX) {
        WriteValue(TValueType::vaInt8);
        buf_.push_back(static_cast<char>(v));
    } else if (v >= INT16_MIN && v <= INT16_MAX) {
        WriteValue(TValueType::vaInt16);
        const auto u = static_cast<uint16_t>(v);
        buf_.push_back(static_cast<char>(u));
        buf_.push_back(static_cast<char>(u >> 8));
    } else if (v >= INT32_MIN && v <= INT32_MAX) {
        WriteValue(TValueType::vaInt32);
        const size_t at = buf_.size();
        buf_.append(4, '\0');
        WriteInt32At(at, static_cast<int32_t>(v));
    } else {
        WriteValue(TValueType::vaInt64);
        const auto u = static_cast<uint64_t>(v);
        for (int i = 0; i < 8; ++i) buf_.push_back(static_cast<char>(u >> (8 * i)));
    }
}

void TQorWriter::WriteFloat(double v) {
    WriteValue(TValueType::vaExtended);
    uint8_t ext[10];
    DoubleToExtended(v, ext);
    WriteRaw(ext, 10);
}

void TQorWriter::WriteString(std::string_view utf8) {
    const std::string cp = Utf8ToCp1252(utf8);
    if (cp.size() <= 255) {
        WriteValue(TValueType::vaString);
        buf_.push_back(static_cast<char>(cp.size()));
    } else {
        if (cp.size() > static_cast<size_t>(INT32_MAX)) throw EWriteError("String too long for an object record");
        WriteValue(TValueType::vaLString);
        const size_t at = buf_.size();
        buf_.append(4, '\0');
        WriteInt32At(at, static_cast<int32_t>(cp.size()));
    }
    buf_ += cp;
}

void TQorWriter::WriteStr(std::string_view utf8) {
    std::string cp = Utf8ToCp1252(utf8);
    if (cp.size() > 255) cp.resize(255);  // a length byte holds no more
    buf_.push_back(static_cast<char>(cp.size()));
    buf_ += cp;
}

void TQorWriter::WriteIdent(std::string_view ident) {
    if (SameText(ident, "False"))
        WriteValue(TValueType::vaFalse);
    else if (SameText(ident, "True"))
        WriteValue(TValueType::vaTrue);
    else if (SameText(ident, "nil"))
        WriteValue(TValueType::vaNil);
    else if (SameText(ident, "Null"))
        WriteValue(TValueType::vaNull);
    else {
        WriteValue(TValueType::vaIdent);
        WriteStr(ident);
    }
}

void TQorWriter::WriteSet(uint64_t mask, const TTypeInfo& setType) {
    WriteValue(TValueType::vaSet);
    const TTypeInfo* elem = setType.BaseType;
    if (elem) {
        const int64_t lo = std::max<int64_t>(elem->MinValue, 0);
        const int64_t hi = std::min<int64_t>(elem->MaxValue, 63);
        for (int64_t i = lo; i <= hi; ++i)
            if (mask & (uint64_t{1} << i)) WriteStr(SetElementName(*elem, i));
    }
    WriteStr("");
}

void TQorWriter::WritePropName(std::string_view name) {
    if (propPath_.empty()) {
        WriteStr(name);
    } else {
        std::string full = propPath_;
        full += name;
        WriteStr(full);
    }
}

void TQorWriter::WriteProperty(TPersistent& obj, const TPropInfo& prop) {
    const TTypeInfo& type = *prop.PropType;
    switch (prop.Kind()) {
        case TTypeKind::tkInteger:
        case TTypeKind::tkChar:
        case TTypeKind::tkWChar:
        case TTypeKind::tkEnumeration:
        case TTypeKind::tkSet: {
            if (!prop.GetOrd || !prop.SetOrd) return;
            const int64_t v = prop.GetOrd(obj);
            if (prop.Default != kNoDefault && StoredOrdinal(prop, v) == StoredOrdinal(prop, prop.Default)) return;
            switch (prop.Kind()) {
                case TTypeKind::tkInteger:
                    WritePropName(prop.Name);
                    WriteInteger(StoredOrdinal(prop, v));
                    break;
                case TTypeKind::tkChar: {
                    WritePropName(prop.Name);
                    WriteValue(TValueType::vaString);
                    buf_.push_back(1);
                    buf_.push_back(static_cast<char>(v & 0xFF));  // already a Windows-1252 code
                    break;
                }
                case TTypeKind::tkWChar: {
                    WritePropName(prop.Name);
                    WriteValue(TValueType::vaWString);
                    const size_t at = buf_.size();
                    buf_.append(4, '\0');
                    WriteInt32At(at, 1);
                    buf_.push_back(static_cast<char>(v & 0xFF));
                    buf_.push_back(static_cast<char>((v >> 8) & 0xFF));
                    break;
                }
                case TTypeKind::tkEnumeration: {
                    const std::string name = type.EnumName(v);
                    if (name.empty()) return;  // no identifier to store
                    WritePropName(prop.Name);
                    WriteIdent(name);
                    break;
                }
                default:
                    WritePropName(prop.Name);
                    WriteSet(static_cast<uint64_t>(v), type);
            }
            return;
        }
        case TTypeKind::tkInt64: {
            if (!prop.GetOrd || !prop.SetOrd) return;
            const int64_t v = prop.GetOrd(obj);
            if (prop.Default != kNoDefault && v == prop.Default) return;
            WritePropName(prop.Name);
            WriteInteger(v);
            return;
        }
        case TTypeKind::tkFloat: {
            if (!prop.GetFloat || !prop.SetFloat) return;
            const double v = prop.GetFloat(obj);
            if (v == 0 || (prop.Default != kNoDefault && v == static_cast<double>(prop.Default))) return;
            WritePropName(prop.Name);
            WriteFloat(v);
            return;
        }
        case TTypeKind::tkString:
        case TTypeKind::tkLString:
        case TTypeKind::tkWString: {
            if (!prop.GetStr || !prop.SetStr) return;
            const std::string v = prop.GetStr(obj);
            if (v.empty()) return;
            WritePropName(prop.Name);
            WriteString(v);
            return;
        }
        case TTypeKind::tkClass: {
            if (!prop.GetObj) return;
            TObject* value = prop.GetObj(obj);
            if (!value) return;
            if (auto* comp = dynamic_cast<TComponent*>(value)) {
                if (!prop.SetObj) return;
                const std::string ref = ComponentReference(*comp, Root);
                if (ref.empty()) return;
                WritePropName(prop.Name);
                WriteIdent(ref);
            } else if (auto* nested = dynamic_cast<TPersistent*>(value)) {
                if (depth_ >= kMaxNesting) throw EWriteError("Objects nested too deeply to be written");
                const size_t keep = propPath_.size();
                propPath_ += prop.Name;
                propPath_ += '.';
                ++depth_;
                try {
                    WriteProperties(*nested);
                } catch (...) {
                    --depth_;
                    propPath_.resize(keep);
                    throw;
                }
                --depth_;
                propPath_.resize(keep);
            }
            return;
        }
        default:
            return;  // methods, variants: not part of object records
    }
}

void TQorWriter::WriteProperties(TPersistent& obj) {
    for (const TPropInfo* prop : obj.ClassInfo().Properties())
        if (prop->IsStored(obj)) WriteProperty(obj, *prop);
    obj.DefineProperties(this);
}

void TQorWriter::WriteObject(TQorPersistent& obj, std::string_view id) {
    if (depth_ >= kMaxNesting) throw EWriteError("Objects nested too deeply to be written");
    const size_t start = buf_.size();
    WriteListBegin();
    WriteValue(TValueType::vaInt32);
    const size_t lengthAt = buf_.size();
    buf_.append(4, '\0');
    WriteIdent(id);
    const std::string* alias = ClassAliases().AliasOf(obj.ClassInfo());
    WriteIdent(alias ? *alias : obj.ClassName());
    std::string savedPath;
    savedPath.swap(propPath_);
    ++depth_;
    try {
        WriteProperties(obj);
    } catch (...) {
        --depth_;
        propPath_.swap(savedPath);
        throw;
    }
    --depth_;
    propPath_.swap(savedPath);
    WriteListEnd();
    const size_t length = buf_.size() - start;
    if (length > static_cast<size_t>(INT32_MAX)) throw EWriteError("Object record too large");
    WriteInt32At(lengthAt, static_cast<int32_t>(length));
}

void TQorWriter::WriteComponent(TComponent& component) {
    WriteStr(component.ClassName());
    WriteStr(component.Name());
    WriteProperties(component);
    WriteListEnd();
    WriteListEnd();  // no child components
}

void TQorWriter::DefineProperty(std::string_view name, const std::function<void(TQorReader&)>&,
                                const std::function<void(TQorWriter&)>& writeData, bool hasData) {
    if (!hasData || !writeData) return;
    WritePropName(name);
    writeData(*this);
}

void TQorWriter::DefineBinaryProperty(std::string_view name, const std::function<void(TStream&)>&,
                                      const std::function<void(TStream&)>& writeData, bool hasData) {
    if (!hasData || !writeData) return;
    WritePropName(name);
    WriteValue(TValueType::vaBinary);
    const size_t sizeAt = buf_.size();
    buf_.append(4, '\0');
    {
        TAppendStream s(buf_);
        writeData(s);
    }
    const size_t n = buf_.size() - sizeAt - 4;
    if (n > static_cast<size_t>(INT32_MAX)) throw EWriteError("Binary property too large");
    WriteInt32At(sizeAt, static_cast<int32_t>(n));
}

// ---------------------------------------------------------------- reader

TQorReader::TQorReader(TStream& stream, TQorPersistList* list) : List(list), stream_(stream) {
    const int64_t size = stream.Size();
    const int64_t pos = stream.Position();
    remaining_ = std::max<int64_t>(size - pos, 0);
}

TQorReader::~TQorReader() {
    if (bufEnd_ > bufPos_) {
        try {
            stream_.Seek(-static_cast<int64_t>(bufEnd_ - bufPos_), TSeekOrigin::soCurrent);
        } catch (...) {
        }
    }
}

void TQorReader::Fill() {
    bufPos_ = bufEnd_ = 0;
    if (remaining_ <= 0) return;
    const int64_t want = std::min<int64_t>(remaining_, sizeof buf_);
    const int64_t got = stream_.Read(buf_, want);
    if (got <= 0) {
        remaining_ = 0;
        return;
    }
    bufEnd_ = static_cast<size_t>(got);
    remaining_ -= got;
}

void TQorReader::CheckAvailable(uint64_t n) {
    if (n > static_cast<uint64_t>(bufEnd_ - bufPos_) + static_cast<uint64_t>(remaining_))
        throw EReadError(kStreamReadError);
}

void TQorReader::Read(void* p, size_t n) {
    auto* out = static_cast<char*>(p);
    while (n > 0) {
        if (bufPos_ == bufEnd_) {
            if (n >= sizeof buf_) {  // large blocks go straight to the caller
                if (static_cast<int64_t>(n) > remaining_) throw EReadError(kStreamReadError);
                stream_.ReadBuffer(out, static_cast<int64_t>(n));
                remaining_ -= static_cast<int64_t>(n);
                consumed_ += static_cast<int64_t>(n);
                return;
            }
            Fill();
            if (bufEnd_ == 0) throw EReadError(kStreamReadError);
        }
        const size_t k = std::min(n, bufEnd_ - bufPos_);
        std::memcpy(out, buf_ + bufPos_, k);
        bufPos_ += k;
        consumed_ += static_cast<int64_t>(k);
        out += k;
        n -= k;
    }
}

uint8_t TQorReader::ReadByte() {
    if (bufPos_ == bufEnd_) {
        Fill();
        if (bufEnd_ == 0) throw EReadError(kStreamReadError);
    }
    ++consumed_;
    return static_cast<uint8_t>(buf_[bufPos_++]);
}

TValueType TQorReader::ReadValue() {
    const uint8_t b = ReadByte();
    if (b > kLastValueType) throw EReadError(kInvalidPropertyValue);
    return static_cast<TValueType>(b);
}

uint8_t TQorReader::PeekByte() {
    if (bufPos_ == bufEnd_) {
        Fill();
        if (bufEnd_ == 0) throw EReadError(kStreamReadError);
    }
    return static_cast<uint8_t>(buf_[bufPos_]);
}

TValueType TQorReader::NextValue() {
    const uint8_t b = PeekByte();
    if (b > kLastValueType) throw EReadError(kInvalidPropertyValue);
    return static_cast<TValueType>(b);
}

void TQorReader::CheckValue(TValueType v) {
    if (ReadValue() != v) throw EReadError(kInvalidPropertyValue);
}

TStreamValue TQorReader::ReadValueOfType(TValueType t, int depth) {
    TStreamValue v;
    v.Type = t;
    auto readInt = [&](int bytes) {
        uint8_t b[8];
        Read(b, static_cast<size_t>(bytes));
        uint64_t u = 0;
        for (int i = 0; i < bytes; ++i) u |= uint64_t{b[i]} << (8 * i);
        if (bytes < 8) {
            const uint64_t signBit = uint64_t{1} << (8 * bytes - 1);
            if (u & signBit) u |= ~((signBit << 1) - 1);
        }
        return static_cast<int64_t>(u);
    };
    auto readLength = [&](uint64_t unit) {
        const int64_t n = readInt(4);
        if (n < 0) throw EReadError(kInvalidPropertyValue);
        CheckAvailable(static_cast<uint64_t>(n) * unit);
        return static_cast<size_t>(n);
    };
    switch (t) {
        case TValueType::vaNull:
        case TValueType::vaFalse:
        case TValueType::vaTrue:
        case TValueType::vaNil:
            break;
        case TValueType::vaList: {
            if (depth >= kMaxNesting) throw EReadError("Value lists nested too deeply");
            while (NextValue() != TValueType::vaNull) v.Items.push_back(ReadValueOfType(ReadValue(), depth + 1));
            ReadValue();
            break;
        }
        case TValueType::vaInt8: v.Int = readInt(1); break;
        case TValueType::vaInt16: v.Int = readInt(2); break;
        case TValueType::vaInt32: v.Int = readInt(4); break;
        case TValueType::vaInt64: v.Int = readInt(8); break;
        case TValueType::vaExtended: {
            uint8_t e[10];
            Read(e, 10);
            v.Float = ExtendedToDouble(e);
            break;
        }
        case TValueType::vaSingle: {
            const auto u = static_cast<uint32_t>(readInt(4));
            float f;
            std::memcpy(&f, &u, 4);
            v.Float = f;
            break;
        }
        case TValueType::vaCurrency: v.Float = static_cast<double>(readInt(8)) / 10000.0; break;
        case TValueType::vaDate: {
            const auto u = static_cast<uint64_t>(readInt(8));
            std::memcpy(&v.Float, &u, 8);
            break;
        }
        case TValueType::vaString:
        case TValueType::vaIdent: {
            const size_t n = ReadByte();
            std::string raw(n, '\0');
            Read(raw.data(), n);
            v.Str = Cp1252ToUtf8(raw);
            break;
        }
        case TValueType::vaLString: {
            const size_t n = readLength(1);
            std::string raw(n, '\0');
            Read(raw.data(), n);
            v.Str = Cp1252ToUtf8(raw);
            break;
        }
        case TValueType::vaWString: {
            const size_t n = readLength(2);
            std::string raw(n * 2, '\0');
            Read(raw.data(), n * 2);
            v.Str = Utf16LeToUtf8(raw);
            break;
        }
        case TValueType::vaBinary: {
            const size_t n = readLength(1);
            v.Str.resize(n);
            Read(v.Str.data(), n);
            break;
        }
        case TValueType::vaSet: {
            for (;;) {
                std::string name = ReadStr();
                if (name.empty()) break;
                v.Names.push_back(std::move(name));
            }
            break;
        }
        case TValueType::vaCollection: {
            if (depth >= kMaxNesting) throw EReadError("Value lists nested too deeply");
            while (NextValue() != TValueType::vaNull) {
                TStreamValue item;
                item.Type = TValueType::vaList;
                const TValueType n = NextValue();
                if (n == TValueType::vaInt8 || n == TValueType::vaInt16 || n == TValueType::vaInt32) {
                    item.Int = ReadValueOfType(ReadValue(), depth + 1).Int;
                }
                CheckValue(TValueType::vaList);
                while (NextValue() != TValueType::vaNull) {
                    TStreamValue name;
                    name.Type = TValueType::vaString;
                    name.Str = ReadStr();
                    item.Items.push_back(std::move(name));
                    item.Items.push_back(ReadValueOfType(ReadValue(), depth + 1));
                }
                ReadValue();
                v.Items.push_back(std::move(item));
            }
            ReadValue();
            break;
        }
    }
    return v;
}

TStreamValue TQorReader::ReadAnyValue() { return ReadValueOfType(ReadValue(), depth_); }

bool TQorReader::ReadBoolean() {
    const TValueType t = ReadValue();
    if (t == TValueType::vaTrue) return true;
    if (t == TValueType::vaFalse) return false;
    throw EReadError(kInvalidPropertyValue);
}

int64_t TQorReader::ReadInteger() {
    const TValueType t = ReadValue();
    if (t != TValueType::vaInt8 && t != TValueType::vaInt16 && t != TValueType::vaInt32 && t != TValueType::vaInt64)
        throw EReadError(kInvalidPropertyValue);
    return ReadValueOfType(t, depth_).Int;
}

double TQorReader::ReadFloat() {
    const TStreamValue v = ReadValueOfType(ReadValue(), depth_);
    if (v.IsFloat()) return v.Float;
    if (v.IsInteger()) return static_cast<double>(v.Int);
    throw EReadError(kInvalidPropertyValue);
}

std::string TQorReader::ReadString() {
    const TValueType t = ReadValue();
    if (t != TValueType::vaString && t != TValueType::vaLString && t != TValueType::vaWString)
        throw EReadError(kInvalidPropertyValue);
    return ReadValueOfType(t, depth_).Str;
}

std::string TQorReader::ReadIdent() {
    switch (ReadValue()) {
        case TValueType::vaIdent: return ReadStr();
        case TValueType::vaFalse: return "False";
        case TValueType::vaTrue: return "True";
        case TValueType::vaNil: return "nil";
        case TValueType::vaNull: return "Null";
        default: throw EReadError(kInvalidPropertyValue);
    }
}

std::string TQorReader::ReadStr() {
    const size_t n = ReadByte();
    std::string raw(n, '\0');
    Read(raw.data(), n);
    return Cp1252ToUtf8(raw);
}

bool TQorReader::NextIdentIs(std::string_view id) {
    // Only a plain identifier can match; anything else is left unread.
    if (NextValue() != TValueType::vaIdent) return false;
    const size_t savedPos = bufPos_;
    const int64_t savedConsumed = consumed_;
    if (bufEnd_ - bufPos_ >= 2) {
        const size_t n = static_cast<uint8_t>(buf_[bufPos_ + 1]);
        if (bufEnd_ - bufPos_ >= 2 + n) {
            const std::string name = Cp1252ToUtf8(std::string_view(buf_ + bufPos_ + 2, n));
            if (SameText(name, id)) {
                bufPos_ += 2 + n;
                consumed_ += static_cast<int64_t>(2 + n);
                return true;
            }
        }
    }
    bufPos_ = savedPos;
    consumed_ = savedConsumed;
    return false;
}

std::unique_ptr<TQorPersistent> TQorReader::CreateObject(std::string_view id, const TClassInfo& cls) {
    if (List) return List->CreateItem(id, cls);
    std::unique_ptr<TObject> obj = cls.Create();
    auto* p = dynamic_cast<TQorPersistent*>(obj.get());
    if (!p) throw EQorException(cls.Name() + " is not a persistent class");
    obj.release();
    return std::unique_ptr<TQorPersistent>(p);
}

namespace {
const TClassInfo& ResolveStreamClass(const std::string& name) {
    const TClassInfo* cls = FindStreamClass(name);
    if (!cls) throw EClassNotFound(Fmt(kClassNotFound, name));
    return *cls;
}
}  // namespace

void TQorReader::ReadObject(const std::optional<std::string>& id, TQorPersistent& instance) {
    DepthGuard guard(g_recordDepth, "Object records");
    if (ReadValue() != TValueType::vaList) throw EReadError(kInvalidStreamFormat);
    (void)ReadInteger();  // the record length is not needed to read the record
    const std::string ident = ReadIdent();
    if (id && ident != *id) throw EIDMismatch(kInvalidID);
    (void)ResolveStreamClass(ReadIdent());
    ReadProperties(instance);
    instance.AfterLoad();
}

std::unique_ptr<TQorPersistent> TQorReader::ReadObject(const std::optional<std::string>& id) {
    DepthGuard guard(g_recordDepth, "Object records");
    if (ReadValue() != TValueType::vaList) throw EReadError(kInvalidStreamFormat);
    (void)ReadInteger();
    const std::string ident = ReadIdent();
    if (id && ident != *id) throw EIDMismatch(kInvalidID);
    const TClassInfo& cls = ResolveStreamClass(ReadIdent());
    std::unique_ptr<TQorPersistent> obj = CreateObject(ident, cls);
    if (!obj) throw EQorException(cls.Name() + " is not a persistent class");
    ReadProperties(*obj);
    obj->AfterLoad();
    return obj;
}

void TQorReader::ReadProperties(TObject& instance) {
    while (!EndOfList()) ReadProperty(instance);
    ReadListEnd();
}

void TQorReader::PropertyError(const std::string& message) {
    bool handled = false;
    if (OnError) OnError(this, message, handled);
    if (!handled) throw EReadError(message);
}

void TQorReader::ReadProperty(TObject& instance) {
    const std::string path = ReadStr();
    TObject* target = &instance;
    std::string_view rest = path;
    bool resolved = true;
    for (size_t dot; (dot = rest.find('.')) != std::string_view::npos;) {
        const TPropInfo* p = target->ClassInfo().FindProperty(rest.substr(0, dot));
        TObject* next = (p && p->Kind() == TTypeKind::tkClass && p->GetObj) ? p->GetObj(*target) : nullptr;
        if (!next || !dynamic_cast<TPersistent*>(next)) {
            resolved = false;
            break;
        }
        target = next;
        rest = rest.substr(dot + 1);
    }
    if (!resolved) {
        SkipValue();
        PropertyError(Fmt(kUnknownProperty, path));
        return;
    }
    if (const TPropInfo* p = target->ClassInfo().FindProperty(rest)) {
        const TStreamValue v = ReadAnyValue();
        std::string failure;
        try {
            ApplyValue(*target, *p, v);
        } catch (const std::exception& e) {
            failure = e.what();
        }
        if (!failure.empty()) PropertyError(failure);
        return;
    }
    // Not published: perhaps a defined property. Their errors are not skipped,
    // since a half-read defined value leaves no safe place to resume.
    propName_ = std::string(rest);
    propFound_ = false;
    if (auto* pers = dynamic_cast<TPersistent*>(target)) {
        try {
            pers->DefineProperties(this);
        } catch (...) {
            propName_.clear();
            throw;
        }
    }
    propName_.clear();
    if (!propFound_) {
        SkipValue();
        PropertyError(Fmt(kUnknownProperty, path));
    }
}

void TQorReader::ApplyValue(TObject& obj, const TPropInfo& prop, const TStreamValue& v) {
    auto bad = [] { throw EReadError(kInvalidPropertyValue); };
    const TTypeInfo& type = *prop.PropType;
    switch (prop.Kind()) {
        case TTypeKind::tkInteger: {
            if (!v.IsInteger() || !prop.SetOrd) bad();
            int64_t x = v.Int;
            if (type.OrdType == TOrdType::otULong && x < 0 && x >= INT32_MIN)
                x = static_cast<int64_t>(static_cast<uint32_t>(static_cast<int32_t>(x)));
            if (x < type.MinValue || x > type.MaxValue) bad();
            prop.SetOrd(obj, x);
            return;
        }
        case TTypeKind::tkChar: {
            if (!prop.SetOrd) bad();
            int64_t x = 0;
            if (v.IsString()) {
                const std::string cp = Utf8ToCp1252(v.Str);
                if (cp.size() != 1) bad();
                x = static_cast<uint8_t>(cp[0]);
            } else if (v.IsInteger()) {
                x = v.Int;
            } else {
                bad();
            }
            if (x < 0 || x > 255) bad();
            prop.SetOrd(obj, x);
            return;
        }
        case TTypeKind::tkWChar: {
            if (!prop.SetOrd) bad();
            int64_t x = -1;
            if (v.IsInteger()) {
                x = v.Int;
            } else if (v.IsString()) {
                // one UTF-8 encoded character of the basic plane
                const auto& s = v.Str;
                const auto c0 = s.empty() ? 0u : static_cast<uint8_t>(s[0]);
                if (s.size() == 1 && c0 < 0x80)
                    x = c0;
                else if (s.size() == 2 && (c0 & 0xE0) == 0xC0)
                    x = ((c0 & 0x1F) << 6) | (static_cast<uint8_t>(s[1]) & 0x3F);
                else if (s.size() == 3 && (c0 & 0xF0) == 0xE0)
                    x = ((c0 & 0x0F) << 12) | ((static_cast<uint8_t>(s[1]) & 0x3F) << 6) |
                        (static_cast<uint8_t>(s[2]) & 0x3F);
            }
            if (x < 0 || x > 0xFFFF) bad();
            prop.SetOrd(obj, x);
            return;
        }
        case TTypeKind::tkEnumeration: {
            if (!prop.SetOrd) bad();
            std::string name;
            if (v.Type == TValueType::vaIdent)
                name = v.Str;
            else if (v.Type == TValueType::vaFalse)
                name = "False";
            else if (v.Type == TValueType::vaTrue)
                name = "True";
            else
                bad();
            const int64_t ord = type.EnumValue(name);
            if (ord < 0 || ord < type.MinValue || ord > type.MaxValue) bad();
            prop.SetOrd(obj, ord);
            return;
        }
        case TTypeKind::tkSet: {
            if (v.Type != TValueType::vaSet || !prop.SetOrd || !type.BaseType) bad();
            const TTypeInfo& elem = *type.BaseType;
            uint64_t mask = 0;
            for (const std::string& n : v.Names) {
                int64_t ord = -1;
                if (elem.Kind == TTypeKind::tkInteger) {
                    if (!TryStrToInt64(n, ord)) bad();
                } else {
                    ord = elem.EnumValue(n);
                }
                if (ord < 0 || ord > 63 || ord < elem.MinValue || ord > elem.MaxValue) bad();
                mask |= uint64_t{1} << ord;
            }
            prop.SetOrd(obj, static_cast<int64_t>(mask));
            return;
        }
        case TTypeKind::tkInt64:
            if (!v.IsInteger() || !prop.SetOrd) bad();
            prop.SetOrd(obj, v.Int);
            return;
        case TTypeKind::tkFloat:
            if (!prop.SetFloat) bad();
            if (v.IsFloat())
                prop.SetFloat(obj, v.Float);
            else if (v.IsInteger())
                prop.SetFloat(obj, static_cast<double>(v.Int));
            else
                bad();
            return;
        case TTypeKind::tkString:
        case TTypeKind::tkLString:
        case TTypeKind::tkWString:
            if (!v.IsString() || !prop.SetStr) bad();
            prop.SetStr(obj, v.Str);
            return;
        case TTypeKind::tkClass:
            if (!prop.SetObj) bad();
            if (v.Type == TValueType::vaNil) {
                prop.SetObj(obj, nullptr);
            } else if (v.Type == TValueType::vaIdent) {
                fixups_.push_back({&obj, &prop, v.Str});
            } else {
                bad();
            }
            return;
        default:
            bad();
    }
}

void TQorReader::FixupReferences() {
    std::vector<Fixup> pending;
    pending.swap(fixups_);
    if (!Root) return;
    for (const Fixup& f : pending) {
        TComponent* found = nullptr;
        const size_t dot = f.name.find('.');
        if (SameText(f.name, "Owner")) {
            found = Root;
        } else if (dot == std::string::npos) {
            found = Root->FindComponent(f.name);
        } else if (SameText(std::string_view(f.name).substr(0, dot), Root->Name())) {
            found = Root->FindComponent(std::string_view(f.name).substr(dot + 1));
        }
        if (found) f.prop->SetObj(*f.instance, found);
    }
}

void TQorReader::DefineProperty(std::string_view name, const std::function<void(TQorReader&)>& readData,
                                const std::function<void(TQorWriter&)>&, bool) {
    if (propName_.empty() || !readData || !SameText(name, propName_)) return;
    propName_.clear();
    propFound_ = true;
    readData(*this);
}

void TQorReader::DefineBinaryProperty(std::string_view name, const std::function<void(TStream&)>& readData,
                                      const std::function<void(TStream&)>&, bool) {
    if (propName_.empty() || !readData || !SameText(name, propName_)) return;
    propName_.clear();
    propFound_ = true;
    const TValueType t = ReadValue();
    if (t != TValueType::vaBinary) {
        (void)ReadValueOfType(t, depth_);
        PropertyError(kInvalidPropertyValue);
        return;
    }
    const TStreamValue v = ReadValueOfType(t, depth_);
    TReadOnlyMemoryStream s(v.Str);
    readData(s);
}

void TQorReader::SkipComponent() {
    DepthGuard guard(g_recordDepth, "Components");
    if (bufPos_ == bufEnd_) Fill();
    if (bufPos_ < bufEnd_ && (static_cast<uint8_t>(buf_[bufPos_]) & 0xF0) == 0xF0) {
        const uint8_t flags = ReadByte() & 0x0F;
        if (flags & 0x02) (void)ReadInteger();
    }
    (void)ReadStr();
    (void)ReadStr();
    while (!EndOfList()) {
        (void)ReadStr();
        SkipValue();
    }
    ReadListEnd();
    while (!EndOfList()) SkipComponent();
    ReadListEnd();
}

void TQorReader::ReadComponent(TComponent& component) {
    DepthGuard guard(g_recordDepth, "Components");
    if (bufPos_ == bufEnd_) Fill();
    if (bufPos_ < bufEnd_ && (static_cast<uint8_t>(buf_[bufPos_]) & 0xF0) == 0xF0) {
        const uint8_t flags = ReadByte() & 0x0F;
        if (flags & 0x02) (void)ReadInteger();  // child position
    }
    (void)ReadStr();  // class name: the instance is given
    const std::string name = ReadStr();
    if (!name.empty() && name != component.Name()) component.SetName(name);
    ReadProperties(component);
    while (!EndOfList()) SkipComponent();
    ReadListEnd();
}

// ---------------------------------------------------------------- TStrings "Strings"

void TStrings::DefineProperties(TFiler* filer) {
    filer->DefineProperty(
        "Strings",
        [this](TQorReader& r) {
            r.ReadListBegin();
            BeginUpdate();
            try {
                Clear();
                while (!r.EndOfList()) Add(r.ReadString());
            } catch (...) {
                EndUpdate();
                throw;
            }
            EndUpdate();
            r.ReadListEnd();
        },
        [this](TQorWriter& w) {
            w.WriteListBegin();
            for (int i = 0; i < Count(); ++i) w.WriteString(Get(i));
            w.WriteListEnd();
        },
        Count() > 0);
}

// ---------------------------------------------------------------- class aliases

TClassAlias::TClassAlias() {
    SetSorted(true);
    Duplicates = TDuplicates::dupError;
}

void TClassAlias::Register(const TClassInfo& cls, std::string_view alias) {
    const std::string key = UpperCase(alias);
    auto it = byAlias_.find(key);
    if (it != byAlias_.end() && it->second == &cls) return;
    Add(alias);  // raises for an alias of another class
    byAlias_[key] = &cls;
    byClass_.emplace(&cls, std::string(alias));
    removed_.erase(key);
    RegisterClassAlias(cls, std::string(alias));
}

void TClassAlias::Unregister(std::string_view alias) {
    const std::string key = UpperCase(alias);
    const int i = IndexOf(alias);
    if (i >= 0) Delete(i);
    auto it = byAlias_.find(key);
    if (it == byAlias_.end()) return;
    auto bc = byClass_.find(it->second);
    if (bc != byClass_.end() && SameText(bc->second, alias)) byClass_.erase(bc);
    byAlias_.erase(it);
    removed_.insert(key);
}

const TClassInfo* TClassAlias::FindClassOf(std::string_view alias) const {
    auto it = byAlias_.find(UpperCase(alias));
    return it == byAlias_.end() ? nullptr : it->second;
}

const std::string* TClassAlias::AliasOf(const TClassInfo& cls) const {
    auto it = byClass_.find(&cls);
    return it == byClass_.end() ? nullptr : &it->second;
}

TClassAlias& ClassAliases() {
    static TClassAlias aliases;
    return aliases;
}

void RegisterAlias(const TClassInfo& cls, std::string_view alias) { ClassAliases().Register(cls, alias); }
void UnRegisterAlias(std::string_view alias) { ClassAliases().Unregister(alias); }

const TClassInfo* FindStreamClass(std::string_view name) {
    if (const TClassInfo* cls = ClassAliases().FindClassOf(name)) return cls;
    if (ClassAliases().WasRemoved(name)) return nullptr;
    return FindClass(name);
}

void RegisterPersistentAliases() {
    RegisterAlias(TQorPersistent::StaticClass(), "TRP");
    RegisterAlias(TQorPersistList::StaticClass(), "TRPL");
}

}  // namespace ortello
