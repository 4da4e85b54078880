// Run-time description of published properties: the one contract that object
// files, part-record readers, property editors, datasets and copy texts work from.
//
// Every model class registers by hand, next to its definition:
//
//   const TClassInfo& TFoo::StaticClass() {
//       static const TClassInfo info = ClassBuilder<TFoo>("TFoo", &TBar::StaticClass())
//           .Prop("Count", TypeInteger(), &TFoo::GetCount, &TFoo::SetCount).Default(0)
//           .Prop("Name", TypeString(), &TFoo::GetName, &TFoo::SetName)
//           .Build();
//       return info;
//   }
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace ortello {

class TObject;
class TClassInfo;

enum class TTypeKind {
    tkUnknown, tkInteger, tkChar, tkEnumeration, tkFloat, tkString, tkSet, tkClass, tkMethod,
    tkWChar, tkLString, tkWString, tkVariant, tkArray, tkRecord, tkInterface, tkInt64, tkDynArray
};
enum class TOrdType { otSByte, otUByte, otSWord, otUWord, otSLong, otULong };
enum class TFloatType { ftSingle, ftDouble, ftExtended, ftComp, ftCurr };

// Type details. Identity matters: editors are chosen by comparing these by address,
// so TFileName is not the plain string type although both are strings.
struct TTypeInfo {
    TTypeKind Kind = TTypeKind::tkUnknown;
    std::string Name;
    TOrdType OrdType = TOrdType::otSLong;
    int64_t MinValue = 0;
    int64_t MaxValue = 0;
    const TTypeInfo* BaseType = nullptr;     // enumeration: itself; set: the element type
    std::vector<std::string> Names;          // enumeration identifiers, lowest ordinal first
    TFloatType FloatType = TFloatType::ftDouble;
    const TClassInfo* ClassType = nullptr;   // class kind
    int MaxLength = 255;                     // short strings
    std::string MethodParams;                // method kind: parameter description

    bool IsOrdinal() const {
        return Kind == TTypeKind::tkInteger || Kind == TTypeKind::tkChar ||
               Kind == TTypeKind::tkEnumeration || Kind == TTypeKind::tkSet ||
               Kind == TTypeKind::tkWChar;
    }
    bool IsString() const {
        return Kind == TTypeKind::tkString || Kind == TTypeKind::tkLString || Kind == TTypeKind::tkWString;
    }
    // The identifier of an ordinal, or empty when out of range.
    std::string EnumName(int64_t ordinal) const;
    // Ordinal of an identifier (ASCII case ignored), or -1.
    int64_t EnumValue(std::string_view name) const;
};

// Predefined types. Each function returns the same object on every call.
const TTypeInfo* TypeInteger();
const TTypeInfo* TypeCardinal();
const TTypeInfo* TypeSmallint();
const TTypeInfo* TypeWord();
const TTypeInfo* TypeByte();
const TTypeInfo* TypeShortint();
const TTypeInfo* TypeInt64();
const TTypeInfo* TypeChar();
const TTypeInfo* TypeWideChar();
const TTypeInfo* TypeBoolean();
const TTypeInfo* TypeByteBool();
const TTypeInfo* TypeWordBool();
const TTypeInfo* TypeLongBool();
const TTypeInfo* TypeSingle();
const TTypeInfo* TypeDouble();
const TTypeInfo* TypeExtended();
const TTypeInfo* TypeComp();
const TTypeInfo* TypeCurrency();
const TTypeInfo* TypeTDateTime();
const TTypeInfo* TypeTDate();
const TTypeInfo* TypeString();       // long string
const TTypeInfo* TypeShortString();
const TTypeInfo* TypeWideString();
const TTypeInfo* TypeTFileName();
const TTypeInfo* TypeTCaption();
const TTypeInfo* TypeTComponentName();
const TTypeInfo* TypeTFontName();
const TTypeInfo* TypeTFontCharset();
const TTypeInfo* TypeTImeName();
const TTypeInfo* TypeTColor();
const TTypeInfo* TypeTCursor();
const TTypeInfo* TypeTShortCut();
const TTypeInfo* TypeVariant();
const TTypeInfo* TypeTNotifyEvent();

// Builders for the program's own types; the result lives for the process.
const TTypeInfo* MakeEnumType(std::string name, std::vector<std::string> identifiers);
const TTypeInfo* MakeSetType(std::string name, const TTypeInfo* elementType);
const TTypeInfo* MakeSubrangeType(std::string name, const TTypeInfo* base, int64_t lo, int64_t hi);
const TTypeInfo* MakeMethodType(std::string name, std::string params);
// A distinct named type with the details of `like` (a new identity).
const TTypeInfo* MakeAliasType(std::string name, const TTypeInfo* like);

inline constexpr int64_t kNoDefault = INT32_MIN;  // "nodefault"

// One published property.
struct TPropInfo {
    std::string Name;
    const TTypeInfo* PropType = nullptr;
    int NameIndex = 0;  // position in the class's full property list
    const TClassInfo* Owner = nullptr;

    // Access by kind; an empty function means no such access.
    std::function<int64_t(const TObject&)> GetOrd;           // ordinals, sets (mask), Int64
    std::function<void(TObject&, int64_t)> SetOrd;
    std::function<double(const TObject&)> GetFloat;
    std::function<void(TObject&, double)> SetFloat;
    std::function<std::string(const TObject&)> GetStr;
    std::function<void(TObject&, std::string_view)> SetStr;
    std::function<TObject*(const TObject&)> GetObj;
    std::function<void(TObject&, TObject*)> SetObj;

    bool StoredConst = true;
    std::function<bool(const TObject&)> StoredFn;
    int64_t Default = kNoDefault;

    TTypeKind Kind() const { return PropType->Kind; }
    bool IsReadable() const { return GetOrd || GetFloat || GetStr || GetObj; }
    bool IsWritable() const { return SetOrd || SetFloat || SetStr || SetObj; }
    bool IsStored(const TObject& obj) const { return StoredFn ? StoredFn(obj) : StoredConst; }
};

using TObjectFactory = std::function<std::unique_ptr<TObject>()>;

// A class: name, parent, virtual constructor and its own published properties.
class TClassInfo {
public:
    TClassInfo(std::string name, const TClassInfo* parent, TObjectFactory factory,
               std::vector<TPropInfo> ownProps);
    TClassInfo(const TClassInfo&) = delete;
    TClassInfo& operator=(const TClassInfo&) = delete;

    const std::string& Name() const { return name_; }
    const TClassInfo* Parent() const { return parent_; }
    const TTypeInfo* TypeInfo() const { return &type_; }
    bool InheritsFrom(const TClassInfo& other) const;
    bool CanCreate() const { return static_cast<bool>(factory_); }
    // Virtual constructor; raises when the class cannot be instantiated.
    std::unique_ptr<TObject> Create() const;

    // All published properties, inherited first, in declaration order.
    const std::vector<const TPropInfo*>& Properties() const { return all_; }
    const TPropInfo* FindProperty(std::string_view name) const;  // case-insensitive
    int PropertyIndex(std::string_view name) const;

private:
    std::string name_;
    const TClassInfo* parent_;
    TObjectFactory factory_;
    std::vector<TPropInfo> own_;
    std::vector<const TPropInfo*> all_;
    TTypeInfo type_;
};

// Class registry by name (case-insensitive), with aliases for stored short names.
void RegisterClass(const TClassInfo& cls);
void RegisterClassAlias(const TClassInfo& cls, std::string alias);
const TClassInfo* FindClass(std::string_view name);

// Typed builder used by the hand-written registrations.
template <class C>
class ClassBuilder {
public:
    ClassBuilder(std::string name, const TClassInfo* parent) : name_(std::move(name)), parent_(parent) {
        if constexpr (std::is_default_constructible_v<C> && !std::is_abstract_v<C>)
            factory_ = [] { return std::unique_ptr<TObject>(new C()); };
    }
    ClassBuilder& Abstract() {
        factory_ = nullptr;
        return *this;
    }
    ClassBuilder& Factory(TObjectFactory f) {
        factory_ = std::move(f);
        return *this;
    }

    // Getter: R (C::*)() const, or nullptr; setter: void (C::*)(A), or nullptr.
    template <class G, class S>
    ClassBuilder& Prop(std::string name, const TTypeInfo* type, G getter, S setter) {
        TPropInfo p;
        p.Name = std::move(name);
        p.PropType = type;
        Bind(p, getter, setter);
        props_.push_back(std::move(p));
        return *this;
    }
    // Read-only property.
    template <class G>
    ClassBuilder& ReadOnly(std::string name, const TTypeInfo* type, G getter) {
        return Prop(std::move(name), type, getter, nullptr);
    }
    // Access through free functions (for indexed properties and the like).
    ClassBuilder& Custom(TPropInfo p) {
        props_.push_back(std::move(p));
        return *this;
    }
    ClassBuilder& Stored(bool stored) {
        props_.back().StoredConst = stored;
        return *this;
    }
    ClassBuilder& StoredIf(std::function<bool(const C&)> fn) {
        props_.back().StoredFn = [fn](const TObject& o) { return fn(static_cast<const C&>(o)); };
        return *this;
    }
    ClassBuilder& Default(int64_t v) {
        props_.back().Default = v;
        return *this;
    }
    std::vector<TPropInfo> TakeProps() { return std::move(props_); }
    // Finish: the class info is made by the caller's function-local static.
    TClassInfo* Build() { return new TClassInfo(name_, parent_, factory_, std::move(props_)); }

private:
    template <class T>
    using Plain = std::remove_cv_t<std::remove_reference_t<T>>;

    template <class G, class S>
    static void Bind(TPropInfo& p, G getter, S setter) {
        if constexpr (!std::is_same_v<G, std::nullptr_t>) BindGet(p, getter);
        if constexpr (!std::is_same_v<S, std::nullptr_t>) BindSet(p, setter);
    }

    template <class R, class B>
    static void BindGet(TPropInfo& p, R (B::*g)() const) {
        using T = Plain<R>;
        if constexpr (std::is_same_v<T, bool> || std::is_integral_v<T> || std::is_enum_v<T>) {
            p.GetOrd = [g](const TObject& o) { return static_cast<int64_t>((static_cast<const C&>(o).*g)()); };
        } else if constexpr (std::is_floating_point_v<T>) {
            p.GetFloat = [g](const TObject& o) { return static_cast<double>((static_cast<const C&>(o).*g)()); };
        } else if constexpr (std::is_pointer_v<T>) {
            p.GetObj = [g](const TObject& o) -> TObject* {
                return const_cast<TObject*>(static_cast<const TObject*>((static_cast<const C&>(o).*g)()));
            };
        } else {
            p.GetStr = [g](const TObject& o) { return std::string((static_cast<const C&>(o).*g)()); };
        }
    }

    template <class A, class B>
    static void BindSet(TPropInfo& p, void (B::*s)(A)) {
        using T = Plain<A>;
        if constexpr (std::is_same_v<T, bool>) {
            p.SetOrd = [s](TObject& o, int64_t v) { (static_cast<C&>(o).*s)(v != 0); };
        } else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>) {
            p.SetOrd = [s](TObject& o, int64_t v) { (static_cast<C&>(o).*s)(static_cast<T>(v)); };
        } else if constexpr (std::is_floating_point_v<T>) {
            p.SetFloat = [s](TObject& o, double v) { (static_cast<C&>(o).*s)(static_cast<T>(v)); };
        } else if constexpr (std::is_pointer_v<T>) {
            using Pointee = std::remove_pointer_t<T>;
            p.SetObj = [s](TObject& o, TObject* v) {
                (static_cast<C&>(o).*s)(v ? dynamic_cast<Pointee*>(v) : nullptr);
            };
        } else {
            p.SetStr = [s](TObject& o, std::string_view v) { (static_cast<C&>(o).*s)(T(v)); };
        }
    }

    std::string name_;
    const TClassInfo* parent_;
    TObjectFactory factory_;
    std::vector<TPropInfo> props_;
};

// Declares the class's run-time description inside a class body.
#define ORTELLO_CLASS()                                   \
public:                                                   \
    static const ::ortello::TClassInfo& StaticClass();    \
    const ::ortello::TClassInfo& ClassInfo() const override { return StaticClass(); }

}  // namespace ortello
