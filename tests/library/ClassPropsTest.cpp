#include "library/ClassProps.h"

#include <gtest/gtest.h>

namespace ortello {
namespace {

class TInner : public TPersistent {
    ORTELLO_CLASS()
public:
    std::string name;
    int size = 0;
    const std::string& Name() const { return name; }
    void SetName(std::string_view v) { name.assign(v); }
    int Size() const { return size; }
    void SetSize(int v) { size = v; }
};
const TClassInfo& TInner::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TInner>("TInner", &TPersistent::StaticClass())
                                         .Prop("Name", TypeString(), &TInner::Name, &TInner::SetName)
                                         .Prop("Size", TypeInteger(), &TInner::Size, &TInner::SetSize)
                                         .Build();
    return info;
}

class TMiddle : public TPersistent {
    ORTELLO_CLASS()
public:
    TInner inner;
    std::string label;
    TInner* Inner() const { return const_cast<TInner*>(&inner); }
    void SetInner(TInner* v) { inner.name = v ? v->name : ""; }
    const std::string& Label() const { return label; }
    void SetLabel(std::string_view v) { label.assign(v); }
};
const TClassInfo& TMiddle::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TMiddle>("TMiddle", &TPersistent::StaticClass())
                                         .Prop("Inner", TInner::StaticClass().TypeInfo(), &TMiddle::Inner, &TMiddle::SetInner)
                                         .Prop("Label", TypeString(), &TMiddle::Label, &TMiddle::SetLabel)
                                         .Build();
    return info;
}

class TPartComponent : public TComponent {
    ORTELLO_CLASS()
public:
    int Width() const { return 0; }
    void SetWidth(int) {}
};
const TClassInfo& TPartComponent::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TPartComponent>("TPartComponent", &TComponent::StaticClass())
             .Prop("Width", TypeInteger(), &TPartComponent::Width, &TPartComponent::SetWidth)
             .Build();
    return info;
}

// A chain that refers to its own class.
class TLink : public TPersistent {
    ORTELLO_CLASS()
public:
    TLink* Next() const { return nullptr; }
    void SetNext(TLink*) {}
    double Value() const { return 0; }
    void SetValue(double) {}
};
const TClassInfo& TLink::StaticClass() {
    // The class's own type information exists only once it is built: the property
    // refers to a type that is completed right after.
    static TTypeInfo linkType;
    static const TClassInfo& info = [] {
        linkType.Kind = TTypeKind::tkClass;
        linkType.Name = "TLink";
        const TClassInfo* c = ClassBuilder<TLink>("TLink", &TPersistent::StaticClass())
                                  .Prop("Next", &linkType, &TLink::Next, &TLink::SetNext)
                                  .Prop("Value", TypeDouble(), &TLink::Value, &TLink::SetValue)
                                  .Build();
        linkType.ClassType = c;
        return std::cref(*c);
    }();
    return info;
}

class TOuter : public TPersistent {
    ORTELLO_CLASS()
public:
    TMiddle* Outer() const { return nullptr; }
    void SetOuter(TMiddle*) {}
    TPartComponent* Part() const { return nullptr; }
    void SetPart(TPartComponent*) {}
    int Count() const { return 0; }
    void SetCount(int) {}
    TLink* Chain() const { return nullptr; }
    void SetChain(TLink*) {}
};
const TClassInfo& TOuter::StaticClass() {
    static const TClassInfo& info = [] {
        TPropInfo changed;
        changed.Name = "OnChanged";
        changed.PropType = TypeTNotifyEvent();
        changed.GetOrd = [](const TObject&) { return int64_t{0}; };
        return std::cref(*ClassBuilder<TOuter>("TOuter", &TPersistent::StaticClass())
                              .Prop("Count", TypeInteger(), &TOuter::Count, &TOuter::SetCount)
                              .Prop("Outer", TMiddle::StaticClass().TypeInfo(), &TOuter::Outer, &TOuter::SetOuter)
                              .Custom(changed)
                              .Prop("Part", TPartComponent::StaticClass().TypeInfo(), &TOuter::Part, &TOuter::SetPart)
                              .Prop("Chain", TLink::StaticClass().TypeInfo(), &TOuter::Chain, &TOuter::SetChain)
                              .Build());
    }();
    return info;
}

std::vector<std::string> NamesOf(const TClassPropInfoList& l) {
    std::vector<std::string> v;
    for (int i = 0; i < l.Count(); ++i) v.push_back(l[i]->Name);
    return v;
}

std::vector<std::string> NamesOf(const TClassPropList& l) { return l.NameList().ToVector(); }

TEST(ClassPropInfoList, SelectsKindsInDeclarationOrder) {
    struct Case {
        const char* name;
        TTypeKinds kinds;
        std::vector<std::string> props;
    };
    const Case cases[] = {
        {"properties", tkProperties, {"Count", "Outer", "Part", "Chain"}},
        {"everything", tkAny, {"Count", "Outer", "OnChanged", "Part", "Chain"}},
        {"methods", tkMethods, {"OnChanged"}},
        {"classes", KindBit(TTypeKind::tkClass), {"Outer", "Part", "Chain"}},
        {"none", 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(NamesOf(TClassPropInfoList(TOuter::StaticClass(), c.kinds)), c.props);
        // The same list from the class's type information.
        EXPECT_EQ(NamesOf(TClassPropInfoList(TOuter::StaticClass().TypeInfo(), c.kinds)), c.props);
    }
    // Inherited properties come first.
    const TClassPropInfoList comp(TPartComponent::StaticClass());
    ASSERT_GE(comp.Count(), 1);
    EXPECT_EQ(comp[comp.Count() - 1]->Name, "Width");
    EXPECT_EQ(comp.Count(), TClassPropInfoList(TComponent::StaticClass()).Count() + 1);

    EXPECT_EQ(TClassPropInfoList(TypeInteger()).Count(), 0);
    EXPECT_THROW(TClassPropInfoList(TOuter::StaticClass())[4], EListError);
    EXPECT_THROW(TClassPropInfoList(TOuter::StaticClass())[-1], EListError);
}

TEST(ClassPropList, FlattensSubObjectsButNotComponents) {
    const TClassPropList list(TOuter::StaticClass());
    EXPECT_EQ(NamesOf(list), (std::vector<std::string>{"Count", "Outer.Inner.Name", "Outer.Inner.Size",
                                                        "Outer.Label", "Part", "Chain.Next", "Chain.Value"}));
    // Each name leads to the innermost description.
    EXPECT_EQ(list.Leaf(1), TInner::StaticClass().FindProperty("Name"));
    EXPECT_EQ(list.Leaf(4), TOuter::StaticClass().FindProperty("Part"));
    EXPECT_EQ(list.IndexOf("outer.inner.size"), 2);

    // Methods only when asked for.
    const TClassPropList all(TOuter::StaticClass(), tkAny);
    EXPECT_NE(all.IndexOf("OnChanged"), -1);
    EXPECT_EQ(list.IndexOf("OnChanged"), -1);
}

TEST(ClassPropList, SelfReferenceEnds) {
    // "Next" is a TLink inside a TLink: listed by name, not expanded without end.
    EXPECT_EQ(NamesOf(TClassPropList(TLink::StaticClass())), (std::vector<std::string>{"Next", "Value"}));
}

}  // namespace
}  // namespace ortello
