#include "library/ClassProps.h"

#include <algorithm>

namespace ortello {

TClassPropInfoList::TClassPropInfoList(const TClassInfo& cls, TTypeKinds kinds) {
    for (const TPropInfo* p : cls.Properties())
        if (kinds & KindBit(p->Kind())) props_.push_back(p);
}

TClassPropInfoList::TClassPropInfoList(const TTypeInfo* classType, TTypeKinds kinds) {
    if (classType && classType->Kind == TTypeKind::tkClass && classType->ClassType)
        *this = TClassPropInfoList(*classType->ClassType, kinds);
}

const TPropInfo* TClassPropInfoList::Items(int i) const {
    if (i < 0 || i >= Count()) ListIndexError(i);
    return props_[static_cast<size_t>(i)];
}

TClassPropList::TClassPropList(const TClassInfo& cls, TTypeKinds kinds) : kinds_(kinds) {
    std::vector<const TClassInfo*> path;
    AddClass(cls, std::string(), path);
}

void TClassPropList::AddClass(const TClassInfo& cls, const std::string& prefix,
                              std::vector<const TClassInfo*>& path) {
    path.push_back(&cls);
    const TClassPropInfoList props(cls, kinds_);
    for (const TPropInfo* p : props.Props()) {
        const std::string name = prefix + p->Name;
        const TClassInfo* sub = p->Kind() == TTypeKind::tkClass ? p->PropType->ClassType : nullptr;
        const bool expand = sub && !sub->InheritsFrom(TComponent::StaticClass()) &&
                            std::find(path.begin(), path.end(), sub) == path.end();
        if (expand) {
            AddClass(*sub, name + ".", path);
        } else {
            names_.Add(name);
            leaves_.push_back(p);
        }
    }
    path.pop_back();
}

}  // namespace ortello
