// Published-property lists of a class: the property descriptions of chosen
// kinds, and the flattened names that reach through owned sub-objects
// ("Outer.Inner.Name").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "library/Classes.h"
#include "library/TypeInfo.h"

namespace ortello {

// A set of type kinds, one bit per TTypeKind ordinal.
using TTypeKinds = uint32_t;
constexpr TTypeKinds KindBit(TTypeKind k) { return TTypeKinds{1} << static_cast<unsigned>(k); }
inline constexpr TTypeKinds tkAny = (TTypeKinds{1} << (static_cast<unsigned>(TTypeKind::tkDynArray) + 1)) - 1;
inline constexpr TTypeKinds tkMethods = KindBit(TTypeKind::tkMethod);
// Every kind but methods and the unknown kind: what the program's lists use.
inline constexpr TTypeKinds tkProperties = tkAny & ~tkMethods & ~KindBit(TTypeKind::tkUnknown);

class TClassPropInfoList {
public:
    // The class's published properties whose kind is in kinds, in declaration order.
    explicit TClassPropInfoList(const TClassInfo& cls, TTypeKinds kinds = tkProperties);
    // From a class's type information (a class kind type); empty for any other type.
    explicit TClassPropInfoList(const TTypeInfo* classType, TTypeKinds kinds = tkProperties);

    int Count() const { return static_cast<int>(props_.size()); }
    // Raises EListError for an index out of range.
    const TPropInfo* Items(int i) const;
    const TPropInfo* operator[](int i) const { return Items(i); }
    const std::vector<const TPropInfo*>& Props() const { return props_; }

private:
    std::vector<const TPropInfo*> props_;
};

// A list of property names, owned.
class TBasePropInfoList {
public:
    virtual ~TBasePropInfoList() = default;
    int Count() const { return names_.Count(); }
    const std::string& Names(int i) const { return names_[i]; }
    const std::string& operator[](int i) const { return names_[i]; }
    int IndexOf(std::string_view name) const { return names_.IndexOf(name); }
    const TStringList& NameList() const { return names_; }

protected:
    TStringList names_;
};

class TClassPropList : public TBasePropInfoList {
public:
    // A property whose type is a class not descending from TComponent stands for
    // that class's own properties, named "Property.Sub" (recursively); components
    // and every other kind are listed by their own name. A class met again inside
    // its own expansion is listed by name instead of expanding without end.
    explicit TClassPropList(const TClassInfo& cls, TTypeKinds kinds = tkProperties);

    // The description that name i finally refers to (the innermost property).
    const TPropInfo* Leaf(int i) const { return leaves_.at(static_cast<size_t>(i)); }

private:
    void AddClass(const TClassInfo& cls, const std::string& prefix, std::vector<const TClassInfo*>& path);

    TTypeKinds kinds_;
    std::vector<const TPropInfo*> leaves_;
};

}  // namespace ortello
