#include "tests/library/ObjectStreamTestClasses.h"

namespace ortello::test {

const TTypeInfo* TypeTShade() {
    static const TTypeInfo* t = MakeEnumType("TShade", {"shRed", "shGreen", "shBlue"});
    return t;
}
const TTypeInfo* TypeTShades() {
    static const TTypeInfo* t = MakeSetType("TShades", TypeTShade());
    return t;
}

const TClassInfo& TTestContact::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TTestContact>("TTestContact", &TPersistent::StaticClass())
                                         .Prop("Phone", TypeString(), &TTestContact::Phone, &TTestContact::SetPhone)
                                         .Prop("Ext", TypeInteger(), &TTestContact::Ext, &TTestContact::SetExt)
                                         .Default(0)
                                         .Build();
    return info;
}

const TClassInfo& TTiny::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TTiny>("TTiny", &TQorPersistent::StaticClass())
                                         .Prop("Name", TypeString(), &TTiny::Name, &TTiny::SetName)
                                         .Prop("Count", TypeInteger(), &TTiny::Count, &TTiny::SetCount)
                                         .Default(0)
                                         .Build();
    return info;
}

const TClassInfo& TTestEntry::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TTestEntry>("TTestEntry", &TQorPersistent::StaticClass())
             .Prop("Name", TypeString(), &TTestEntry::Name, &TTestEntry::SetName)
             .Prop("Qty", TypeInteger(), &TTestEntry::Qty, &TTestEntry::SetQty)
             .Default(0)
             .Prop("Price", TypeDouble(), &TTestEntry::Price, &TTestEntry::SetPrice)
             .Prop("Shade", TypeTShade(), &TTestEntry::Shade, &TTestEntry::SetShade)
             .Prop("Flag", TypeBoolean(), &TTestEntry::Flag, &TTestEntry::SetFlag)
             .Default(0)
             .Prop("Shades", TypeTShades(), &TTestEntry::Shades, &TTestEntry::SetShades)
             .Default(0)
             .Prop("Code", TypeChar(), &TTestEntry::Code, &TTestEntry::SetCode)
             .Default('A')
             .Prop("Big", TypeInt64(), &TTestEntry::Big, &TTestEntry::SetBig)
             .Default(0)
             .Prop("Mask", TypeCardinal(), &TTestEntry::Mask, &TTestEntry::SetMask)
             .Default(0)
             .ReadOnly("Notes", TStringList::StaticClass().TypeInfo(), &TTestEntry::Notes)
             .ReadOnly("Contact", TTestContact::StaticClass().TypeInfo(), &TTestEntry::Contact)
             .Prop("Secret", TypeString(), &TTestEntry::Secret, &TTestEntry::SetSecret)
             .Stored(false)
             .Build();
    return info;
}

const TClassInfo& TTestList::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TTestList>("TTestList", &TQorPersistList::StaticClass())
                                         .Prop("Title", TypeString(), &TTestList::Title, &TTestList::SetTitle)
                                         .Build();
    return info;
}

const TClassInfo& TOtherList::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TOtherList>("TOtherList", &TQorPersistList::StaticClass()).Build();
    return info;
}

void RegisterTestClasses() {
    RegisterPersistentClasses();
    RegisterClass(TTiny::StaticClass());
    RegisterClass(TTestEntry::StaticClass());
    RegisterClass(TTestList::StaticClass());
    RegisterClass(TOtherList::StaticClass());
    RegisterClass(TTestContact::StaticClass());
}

}  // namespace ortello::test
