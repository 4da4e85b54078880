#include "library/TypeInfo.h"

#include <map>
#include <mutex>

#include "library/Classes.h"
#include "library/SysUtils.h"

namespace ortello {

std::string TTypeInfo::EnumName(int64_t ordinal) const {
    const TTypeInfo* base = BaseType ? BaseType : this;
    if (ordinal < 0 || ordinal >= static_cast<int64_t>(base->Names.size())) return {};
    return base->Names[static_cast<size_t>(ordinal)];
}

int64_t TTypeInfo::EnumValue(std::string_view name) const {
    const TTypeInfo* base = BaseType ? BaseType : this;
    for (size_t i = 0; i < base->Names.size(); ++i)
        if (SameText(base->Names[i], name)) return static_cast<int64_t>(i);
    return -1;
}

namespace {
TTypeInfo* NewType(TTypeKind kind, std::string name) {
    auto* t = new TTypeInfo;  // lives for the process
    t->Kind = kind;
    t->Name = std::move(name);
    return t;
}

const TTypeInfo* Ordinal(const char* name, TOrdType ot, int64_t lo, int64_t hi,
                         TTypeKind kind = TTypeKind::tkInteger) {
    TTypeInfo* t = NewType(kind, name);
    t->OrdType = ot;
    t->MinValue = lo;
    t->MaxValue = hi;
    return t;
}

const TTypeInfo* BoolType(const char* name, TOrdType ot) {
    TTypeInfo* t = NewType(TTypeKind::tkEnumeration, name);
    t->OrdType = ot;
    t->MinValue = 0;
    t->MaxValue = 1;
    t->Names = {"False", "True"};
    t->BaseType = t;
    return t;
}

const TTypeInfo* FloatT(const char* name, TFloatType ft) {
    TTypeInfo* t = NewType(TTypeKind::tkFloat, name);
    t->FloatType = ft;
    return t;
}

const TTypeInfo* StringT(const char* name, TTypeKind kind = TTypeKind::tkLString) {
    return NewType(kind, name);
}
}  // namespace

#define ORTELLO_TYPE(Fn, Expr)            \
    const TTypeInfo* Fn() {               \
        static const TTypeInfo* t = Expr; \
        return t;                         \
    }

ORTELLO_TYPE(TypeInteger, Ordinal("Integer", TOrdType::otSLong, INT32_MIN, INT32_MAX))
ORTELLO_TYPE(TypeCardinal, Ordinal("Cardinal", TOrdType::otULong, 0, UINT32_MAX))
ORTELLO_TYPE(TypeSmallint, Ordinal("Smallint", TOrdType::otSWord, INT16_MIN, INT16_MAX))
ORTELLO_TYPE(TypeWord, Ordinal("Word", TOrdType::otUWord, 0, UINT16_MAX))
ORTELLO_TYPE(TypeByte, Ordinal("Byte", TOrdType::otUByte, 0, UINT8_MAX))
ORTELLO_TYPE(TypeShortint, Ordinal("Shortint", TOrdType::otSByte, INT8_MIN, INT8_MAX))
ORTELLO_TYPE(TypeInt64, Ordinal("Int64", TOrdType::otSLong, INT64_MIN, INT64_MAX, TTypeKind::tkInt64))
ORTELLO_TYPE(TypeChar, Ordinal("Char", TOrdType::otUByte, 0, 255, TTypeKind::tkChar))
ORTELLO_TYPE(TypeWideChar, Ordinal("WideChar", TOrdType::otUWord, 0, 65535, TTypeKind::tkWChar))
ORTELLO_TYPE(TypeBoolean, BoolType("Boolean", TOrdType::otUByte))
ORTELLO_TYPE(TypeByteBool, BoolType("ByteBool", TOrdType::otUByte))
ORTELLO_TYPE(TypeWordBool, BoolType("WordBool", TOrdType::otUWord))
ORTELLO_TYPE(TypeLongBool, BoolType("LongBool", TOrdType::otULong))
ORTELLO_TYPE(TypeSingle, FloatT("Single", TFloatType::ftSingle))
ORTELLO_TYPE(TypeDouble, FloatT("Double", TFloatType::ftDouble))
ORTELLO_TYPE(TypeExtended, FloatT("Extended", TFloatType::ftExtended))
ORTELLO_TYPE(TypeComp, FloatT("Comp", TFloatType::ftComp))
ORTELLO_TYPE(TypeCurrency, FloatT("Currency", TFloatType::ftCurr))
ORTELLO_TYPE(TypeTDateTime, FloatT("TDateTime", TFloatType::ftDouble))
ORTELLO_TYPE(TypeTDate, FloatT("TDate", TFloatType::ftDouble))
ORTELLO_TYPE(TypeString, StringT("string"))
ORTELLO_TYPE(TypeShortString, StringT("ShortString", TTypeKind::tkString))
ORTELLO_TYPE(TypeWideString, StringT("WideString", TTypeKind::tkWString))
ORTELLO_TYPE(TypeTFileName, StringT("TFileName"))
ORTELLO_TYPE(TypeTCaption, StringT("TCaption"))
ORTELLO_TYPE(TypeTComponentName, StringT("TComponentName"))
ORTELLO_TYPE(TypeTFontName, StringT("TFontName"))
ORTELLO_TYPE(TypeTImeName, StringT("TImeName"))
ORTELLO_TYPE(TypeTFontCharset, Ordinal("TFontCharset", TOrdType::otUByte, 0, 255))
ORTELLO_TYPE(TypeTColor, Ordinal("TColor", TOrdType::otSLong, INT32_MIN, INT32_MAX))
ORTELLO_TYPE(TypeTCursor, Ordinal("TCursor", TOrdType::otSWord, INT16_MIN, INT16_MAX))
ORTELLO_TYPE(TypeTShortCut, Ordinal("TShortCut", TOrdType::otUWord, 0, 65535))
ORTELLO_TYPE(TypeVariant, NewType(TTypeKind::tkVariant, "Variant"))
ORTELLO_TYPE(TypeTNotifyEvent, MakeMethodType("TNotifyEvent", "Sender: TObject"))

#undef ORTELLO_TYPE

const TTypeInfo* MakeEnumType(std::string name, std::vector<std::string> identifiers) {
    TTypeInfo* t = NewType(TTypeKind::tkEnumeration, std::move(name));
    t->OrdType = identifiers.size() <= 256 ? TOrdType::otUByte : TOrdType::otUWord;
    t->MinValue = 0;
    t->MaxValue = static_cast<int64_t>(identifiers.size()) - 1;
    t->Names = std::move(identifiers);
    t->BaseType = t;
    return t;
}

const TTypeInfo* MakeSetType(std::string name, const TTypeInfo* elementType) {
    TTypeInfo* t = NewType(TTypeKind::tkSet, std::move(name));
    t->BaseType = elementType;
    t->OrdType = TOrdType::otULong;
    return t;
}

const TTypeInfo* MakeSubrangeType(std::string name, const TTypeInfo* base, int64_t lo, int64_t hi) {
    TTypeInfo* t = new TTypeInfo(*base);
    t->Name = std::move(name);
    t->MinValue = lo;
    t->MaxValue = hi;
    if (base->Kind == TTypeKind::tkEnumeration) t->BaseType = base->BaseType ? base->BaseType : base;
    return t;
}

const TTypeInfo* MakeMethodType(std::string name, std::string params) {
    TTypeInfo* t = NewType(TTypeKind::tkMethod, std::move(name));
    t->MethodParams = std::move(params);
    return t;
}

const TTypeInfo* MakeAliasType(std::string name, const TTypeInfo* like) {
    TTypeInfo* t = new TTypeInfo(*like);
    t->Name = std::move(name);
    if (like->Kind == TTypeKind::tkEnumeration && like->BaseType == like) t->BaseType = t;
    return t;
}

// ---------------------------------------------------------------- classes

TClassInfo::TClassInfo(std::string name, const TClassInfo* parent, TObjectFactory factory,
                       std::vector<TPropInfo> ownProps)
    : name_(std::move(name)), parent_(parent), factory_(std::move(factory)), own_(std::move(ownProps)) {
    if (parent_) all_ = parent_->all_;
    for (TPropInfo& p : own_) {
        p.Owner = this;
        // A redeclared property replaces the inherited one in its place.
        bool replaced = false;
        for (auto& existing : all_) {
            if (SameText(existing->Name, p.Name)) {
                existing = &p;
                replaced = true;
                break;
            }
        }
        if (!replaced) all_.push_back(&p);
    }
    for (size_t i = 0; i < all_.size(); ++i) const_cast<TPropInfo*>(all_[i])->NameIndex = static_cast<int>(i);
    type_.Kind = TTypeKind::tkClass;
    type_.Name = name_;
    type_.ClassType = this;
}

bool TClassInfo::InheritsFrom(const TClassInfo& other) const {
    for (const TClassInfo* c = this; c; c = c->parent_)
        if (c == &other) return true;
    return false;
}

std::unique_ptr<TObject> TClassInfo::Create() const {
    if (!factory_) throw Exception("Cannot create an instance of abstract class " + name_);
    return factory_();
}

const TPropInfo* TClassInfo::FindProperty(std::string_view name) const {
    for (const TPropInfo* p : all_)
        if (SameText(p->Name, name)) return p;
    return nullptr;
}

int TClassInfo::PropertyIndex(std::string_view name) const {
    for (size_t i = 0; i < all_.size(); ++i)
        if (SameText(all_[i]->Name, name)) return static_cast<int>(i);
    return -1;
}

namespace {
struct Registry {
    std::map<std::string, const TClassInfo*> byName;  // upper-cased keys
};
Registry& Reg() {
    static Registry r;
    return r;
}
}  // namespace

void RegisterClass(const TClassInfo& cls) { Reg().byName.emplace(UpperCase(cls.Name()), &cls); }

void RegisterClassAlias(const TClassInfo& cls, std::string alias) {
    Reg().byName[UpperCase(alias)] = &cls;
}

const TClassInfo* FindClass(std::string_view name) {
    auto& m = Reg().byName;
    auto it = m.find(UpperCase(name));
    return it == m.end() ? nullptr : it->second;
}

}  // namespace ortello
