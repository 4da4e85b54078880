// Object records in the component-stream value encoding: the writer, the
// reader, the class alias list and the 80-bit float conversion.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

#include "library/Classes.h"
#include "library/SysUtils.h"
#include "library/TypeInfo.h"

namespace ortello {

class TQorPersistent;
class TQorPersistList;
class TQorReader;
class TQorWriter;

ORTELLO_EXCEPTION(EClassNotFound, EStreamError)

inline constexpr const char* kStreamReadError = "Stream read error";
inline constexpr const char* kInvalidStreamFormat = "Invalid stream format";
inline constexpr const char* kUnknownProperty = "Property %0s does not exist";
inline constexpr const char* kClassNotFound = "Class %0s not found";

// One-byte value tags.
enum class TValueType : uint8_t {
    vaNull = 0x00,
    vaList = 0x01,
    vaInt8 = 0x02,
    vaInt16 = 0x03,
    vaInt32 = 0x04,
    vaExtended = 0x05,
    vaString = 0x06,
    vaIdent = 0x07,
    vaFalse = 0x08,
    vaTrue = 0x09,
    vaBinary = 0x0A,
    vaSet = 0x0B,
    vaLString = 0x0C,
    vaNil = 0x0D,
    vaCollection = 0x0E,
    vaSingle = 0x0F,
    vaCurrency = 0x10,
    vaDate = 0x11,
    vaWString = 0x12,
    vaInt64 = 0x13,
};
inline constexpr uint8_t kLastValueType = 0x13;

// IEEE double <-> x87 80-bit extended, little-endian, independent of the host's
// long double. Narrowing rounds to nearest, ties to even.
void DoubleToExtended(double value, uint8_t out[10]);
double ExtendedToDouble(const uint8_t in[10]);

// UTF-16LE code units (wide strings in records) to UTF-8.
std::string Utf16LeToUtf8(std::string_view bytes);

// Depth limit for nested records and value lists, so hostile input cannot
// exhaust the stack.
inline constexpr int kMaxNesting = 64;

// A value read without knowing the property it belongs to. Strings and
// identifiers are UTF-8; binary data is raw.
struct TStreamValue {
    TValueType Type = TValueType::vaNull;
    int64_t Int = 0;
    double Float = 0;
    std::string Str;
    std::vector<std::string> Names;          // set elements
    std::vector<TStreamValue> Items;         // list elements
    bool IsInteger() const {
        return Type == TValueType::vaInt8 || Type == TValueType::vaInt16 || Type == TValueType::vaInt32 ||
               Type == TValueType::vaInt64;
    }
    bool IsString() const {
        return Type == TValueType::vaString || Type == TValueType::vaLString || Type == TValueType::vaWString;
    }
    bool IsFloat() const {
        return Type == TValueType::vaExtended || Type == TValueType::vaSingle ||
               Type == TValueType::vaCurrency || Type == TValueType::vaDate;
    }
};

// Properties that are stored but not published: a string list's "Strings" and
// a persistent list's "PL". Objects announce them in DefineProperties.
class TFiler {
public:
    virtual ~TFiler() = default;
    virtual void DefineProperty(std::string_view name, const std::function<void(TQorReader&)>& readData,
                                const std::function<void(TQorWriter&)>& writeData, bool hasData) = 0;
    virtual void DefineBinaryProperty(std::string_view name, const std::function<void(TStream&)>& readData,
                                      const std::function<void(TStream&)>& writeData, bool hasData) = 0;
};

// ---------------------------------------------------------------- writer

// Collects everything in memory (record lengths and binary sizes are patched
// there, never by seeking the target) and hands it to the stream in FlushBuffer.
class TQorWriter : public TFiler {
public:
    explicit TQorWriter(TStream& stream) : stream_(stream) {}
    // Nothing reaches the stream before FlushBuffer; a writer dropped without it
    // writes nothing.
    void FlushBuffer();

    // Component references are written by name relative to this root.
    TComponent* Root = nullptr;

    virtual void WriteProperties(TPersistent& obj);
    virtual void WriteObject(TQorPersistent& obj, std::string_view id);
    // A component as its class name, name, properties and two end tags.
    void WriteComponent(TComponent& component);

    void WriteValue(TValueType v) { buf_.push_back(static_cast<char>(v)); }
    void WriteListBegin() { WriteValue(TValueType::vaList); }
    void WriteListEnd() { WriteValue(TValueType::vaNull); }
    void WriteBoolean(bool b) { WriteValue(b ? TValueType::vaTrue : TValueType::vaFalse); }
    // Smallest of the 8-, 16- and 32-bit tags; 64-bit only beyond 32 bits.
    void WriteInteger(int64_t v);
    void WriteFloat(double v);
    // UTF-8 in, Windows-1252 on disk; short string up to 255 bytes.
    void WriteString(std::string_view utf8);
    // "False", "True", "nil" and "Null" become bare tags.
    void WriteIdent(std::string_view ident);
    // Length byte and characters, no tag (property names, set elements).
    void WriteStr(std::string_view utf8);
    void WriteSet(uint64_t mask, const TTypeInfo& setType);
    void WriteRaw(const void* p, size_t n) { buf_.append(static_cast<const char*>(p), n); }

    void DefineProperty(std::string_view name, const std::function<void(TQorReader&)>& readData,
                        const std::function<void(TQorWriter&)>& writeData, bool hasData) override;
    void DefineBinaryProperty(std::string_view name, const std::function<void(TStream&)>& readData,
                              const std::function<void(TStream&)>& writeData, bool hasData) override;

    size_t BufferedSize() const { return buf_.size(); }

protected:
    void WriteProperty(TPersistent& obj, const TPropInfo& prop);
    void WritePropName(std::string_view name);
    void WriteInt32At(size_t offset, int32_t v);

private:
    TStream& stream_;
    std::string buf_;
    std::string propPath_;
    int depth_ = 0;
};

// ---------------------------------------------------------------- reader

// Reads 4096-byte blocks; gives unread bytes back to the stream when destroyed,
// so consecutive records can be read from one stream. No length read from the
// data is trusted beyond the bytes the stream still holds.
class TQorReader : public TFiler {
public:
    explicit TQorReader(TStream& stream, TQorPersistList* list = nullptr);
    ~TQorReader() override;
    TQorReader(const TQorReader&) = delete;
    TQorReader& operator=(const TQorReader&) = delete;

    // The list whose items are being read (its CreateItem makes them).
    TQorPersistList* List = nullptr;
    // Decides whether a property that cannot be read is skipped (handled) or raised.
    std::function<void(TQorReader* reader, const std::string& message, bool& handled)> OnError;
    // Root for component references.
    TComponent* Root = nullptr;

    virtual std::unique_ptr<TQorPersistent> CreateObject(std::string_view id, const TClassInfo& cls);
    virtual bool NextIdentIs(std::string_view id);
    // Reads one record into instance (its class is not checked against the record).
    virtual void ReadObject(const std::optional<std::string>& id, TQorPersistent& instance);
    // Reads one record and creates the object it names.
    std::unique_ptr<TQorPersistent> ReadObject(const std::optional<std::string>& id = std::nullopt);
    // Properties until the end tag, into any object.
    void ReadProperties(TObject& instance);
    // A component stream record into component (prefix, class, name, properties, children).
    void ReadComponent(TComponent& component);
    // Resolves the component references collected while reading against Root.
    void FixupReferences();

    TValueType ReadValue();
    TValueType NextValue();
    void CheckValue(TValueType v);
    void ReadListBegin() { CheckValue(TValueType::vaList); }
    void ReadListEnd() { CheckValue(TValueType::vaNull); }
    // Peeks the raw byte: where a property entry may follow, it is the name's
    // length, which is no value tag.
    bool EndOfList() { return PeekByte() == 0; }
    bool ReadBoolean();
    int64_t ReadInteger();
    double ReadFloat();
    std::string ReadString();
    std::string ReadIdent();
    std::string ReadStr();
    // Any value, kept or thrown away.
    TStreamValue ReadAnyValue();
    void SkipValue() { (void)ReadAnyValue(); }

    void DefineProperty(std::string_view name, const std::function<void(TQorReader&)>& readData,
                        const std::function<void(TQorWriter&)>& writeData, bool hasData) override;
    void DefineBinaryProperty(std::string_view name, const std::function<void(TStream&)>& readData,
                              const std::function<void(TStream&)>& writeData, bool hasData) override;

    // Bytes consumed since the reader was created.
    int64_t Consumed() const { return consumed_; }

protected:
    void Read(void* p, size_t n);
    uint8_t ReadByte();
    uint8_t PeekByte();
    void CheckAvailable(uint64_t n);
    void ReadProperty(TObject& instance);
    void ApplyValue(TObject& obj, const TPropInfo& prop, const TStreamValue& v);
    // Reports a property that could not be read; raises unless handled.
    void PropertyError(const std::string& message);
    void SkipComponent();

private:
    void Fill();
    TStreamValue ReadValueOfType(TValueType t, int depth);

    TStream& stream_;
    char buf_[4096];
    size_t bufPos_ = 0;
    size_t bufEnd_ = 0;
    int64_t remaining_;  // bytes of the stream not yet taken into the buffer
    int64_t consumed_ = 0;
    std::string propName_;
    bool propFound_ = false;
    int depth_ = 0;
    struct Fixup {
        TObject* instance;
        const TPropInfo* prop;
        std::string name;
    };
    std::vector<Fixup> fixups_;
};

// ---------------------------------------------------------------- class aliases

// A sorted list of short stored class names; duplicates are rejected.
class TClassAlias : public TStringList {
public:
    TClassAlias();
    // Adds the alias and registers the class under it. The same pair again is a
    // no-op; an alias taken by another class raises EListError.
    void Register(const TClassInfo& cls, std::string_view alias);
    void Unregister(std::string_view alias);
    const TClassInfo* FindClassOf(std::string_view alias) const;
    // The alias written for cls, or null.
    const std::string* AliasOf(const TClassInfo& cls) const;

    bool WasRemoved(std::string_view alias) const { return removed_.count(UpperCase(alias)) != 0; }

private:
    std::unordered_map<const TClassInfo*, std::string> byClass_;
    std::unordered_map<std::string, const TClassInfo*> byAlias_;  // upper-cased keys
    std::set<std::string> removed_;
};

TClassAlias& ClassAliases();
void RegisterAlias(const TClassInfo& cls, std::string_view alias);
void UnRegisterAlias(std::string_view alias);
// Alias list first, then the class registry.
const TClassInfo* FindStreamClass(std::string_view name);
// "TRP" and "TRPL"; called at start-up.
void RegisterPersistentAliases();

}  // namespace ortello
