#include "library/PropertyEditors.h"

#include <gtest/gtest.h>

#include "library/Controls.h"

namespace ortello {
namespace {

const TTypeInfo* TypeWidgetKind() {
    static const TTypeInfo* t = MakeEnumType("TWidgetKind", {"wkFirst", "wkSecond", "wkThird"});
    return t;
}
const TTypeInfo* TypeWidgetKinds() {
    static const TTypeInfo* t = MakeSetType("TWidgetKinds", TypeWidgetKind());
    return t;
}
const TTypeInfo* TypeSmall() {
    static const TTypeInfo* t = MakeSubrangeType("TSmall", TypeInteger(), 0, 10);
    return t;
}
const TTypeInfo* TypeRef() {
    static const TTypeInfo* t = MakeEnumType("TPartRef", {"prVelmar", "prCustomer", "prCustomer1"});
    return t;
}
const TTypeInfo* TypeMoney() {
    static const TTypeInfo* t = MakeEnumType("TMoney", {"ctUSDollar", "ctCanada", "ctGreatBritainPound"});
    return t;
}

// A nested object; its Back link may lead to the object that holds it.
class TWidgetPart : public TPersistent {
    ORTELLO_CLASS()
public:
    int count = 0;
    TPersistent* back = nullptr;
    int Count() const { return count; }
    void SetCount(int v) { count = v; }
    TPersistent* Back() const { return back; }
    void SetBack(TPersistent* v) { back = v; }
};
const TClassInfo& TWidgetPart::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TWidgetPart>("TWidgetPart", &TPersistent::StaticClass())
                                         .Prop("Count", TypeInteger(), &TWidgetPart::Count, &TWidgetPart::SetCount)
                                         .Prop("Back", TPersistent::StaticClass().TypeInfo(), &TWidgetPart::Back,
                                               &TWidgetPart::SetBack)
                                         .Build();
    return info;
}

// A model object with one property of every kind the editors handle.
class TWidget : public TPersistent {
    ORTELLO_CLASS()
public:
    int count = 0, small = 0, rawFlag = 0;
    char letter = 0;
    bool flag = false;
    double price = 0, when = 0;
    float ratio = 0;
    std::string name, file;
    uint32_t kinds = 0;
    int kind = 0, ref = 0, ref2 = 0, money = 0;
    int64_t big = 0;
    TWidgetPart* child = nullptr;

    int Count() const { return count; }
    void SetCount(int v) { count = v; }
    int Small() const { return small; }
    void SetSmall(int v) { small = v; }
    char Letter() const { return letter; }
    void SetLetter(char v) { letter = v; }
    bool Flag() const { return flag; }
    void SetFlag(bool v) { flag = v; }
    double Price() const { return price; }
    void SetPrice(double v) { price = v; }
    float Ratio() const { return ratio; }
    void SetRatio(float v) { ratio = v; }
    double When() const { return when; }
    void SetWhen(double v) { when = v; }
    const std::string& Name() const { return name; }
    void SetName(std::string_view v) { name.assign(v); }
    const std::string& File() const { return file; }
    void SetFile(std::string_view v) { file.assign(v); }
    uint32_t Kinds() const { return kinds; }
    void SetKinds(uint32_t v) { kinds = v; }
    int Kind() const { return kind; }
    void SetKind(int v) { kind = v; }
    int Ref() const { return ref; }
    void SetRef(int v) { ref = v; }
    int Ref2() const { return ref2; }
    void SetRef2(int v) { ref2 = v; }
    int Money() const { return money; }
    void SetMoney(int v) { money = v; }
    int64_t Big() const { return big; }
    void SetBig(int64_t v) { big = v; }
    TWidgetPart* Child() const { return child; }
    void SetChild(TWidgetPart* v) { child = v; }
};

const TClassInfo& TWidget::StaticClass() {
    static const TClassInfo& info = [] {
        TPropInfo raw;
        raw.Name = "RawFlag";
        raw.PropType = TypeBoolean();
        // Keeps any ordinal, as a Boolean stored in a wider field does.
        raw.GetOrd = [](const TObject& o) { return int64_t{static_cast<const TWidget&>(o).rawFlag}; };
        raw.SetOrd = [](TObject& o, int64_t v) { static_cast<TWidget&>(o).rawFlag = static_cast<int>(v); };
        TPropInfo click;
        click.Name = "OnClick";
        click.PropType = TypeTNotifyEvent();
        click.GetOrd = [](const TObject&) { return int64_t{0}; };
        click.SetOrd = [](TObject&, int64_t) {};
        return std::cref(*ClassBuilder<TWidget>("TWidget", &TPersistent::StaticClass())
                              .Prop("Count", TypeInteger(), &TWidget::Count, &TWidget::SetCount)
                              .Prop("Small", TypeSmall(), &TWidget::Small, &TWidget::SetSmall)
                              .Prop("Letter", TypeChar(), &TWidget::Letter, &TWidget::SetLetter)
                              .Prop("Flag", TypeBoolean(), &TWidget::Flag, &TWidget::SetFlag)
                              .Custom(raw)
                              .Prop("Price", TypeDouble(), &TWidget::Price, &TWidget::SetPrice)
                              .Prop("Ratio", TypeSingle(), &TWidget::Ratio, &TWidget::SetRatio)
                              .Prop("When", TypeTDateTime(), &TWidget::When, &TWidget::SetWhen)
                              .Prop("Name", TypeString(), &TWidget::Name, &TWidget::SetName)
                              .Prop("FileName", TypeTFileName(), &TWidget::File, &TWidget::SetFile)
                              .Prop("Kinds", TypeWidgetKinds(), &TWidget::Kinds, &TWidget::SetKinds)
                              .Prop("Kind", TypeWidgetKind(), &TWidget::Kind, &TWidget::SetKind)
                              .Prop("PartRef", TypeRef(), &TWidget::Ref, &TWidget::SetRef)
                              .Prop("Money", TypeMoney(), &TWidget::Money, &TWidget::SetMoney)
                              .Prop("Big", TypeInt64(), &TWidget::Big, &TWidget::SetBig)
                              .Prop("Child", TWidgetPart::StaticClass().TypeInfo(), &TWidget::Child, &TWidget::SetChild)
                              .Custom(click)
                              .Build());
    }();
    return info;
}

// Property names ignore case within a class, so the lower-case twin lives apart.
class TLowerRefWidget : public TWidget {
    ORTELLO_CLASS()
};
const TClassInfo& TLowerRefWidget::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TLowerRefWidget>("TLowerRefWidget", &TPersistent::StaticClass())
                                         .Prop("partref", TypeRef(), &TWidget::Ref2, &TWidget::SetRef2)
                                         .Build();
    return info;
}

class TSpecialWidget : public TWidget {
    ORTELLO_CLASS()
};
const TClassInfo& TSpecialWidget::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TSpecialWidget>("TSpecialWidget", &TWidget::StaticClass()).Build();
    return info;
}

// Editors to register, one per registry pass under test.
#define TEST_EDITOR(C, Base)                                                                   \
    class C : public Base {                                                                    \
        ORTELLO_CLASS()                                                                        \
    };                                                                                         \
    const TClassInfo& C::StaticClass() {                                                       \
        static const TClassInfo& info = *ClassBuilder<C>(#C, &Base::StaticClass()).Build();    \
        return info;                                                                           \
    }
TEST_EDITOR(TNamedOnClassPE, TStringProperty)
TEST_EDITOR(TAnyNameOnClassPE, TStringProperty)
TEST_EDITOR(TTypeOnlyPE, TStringProperty)
TEST_EDITOR(TNameOnlyPE, TStringProperty)
TEST_EDITOR(TFileNamePE, TStringProperty)
TEST_EDITOR(TPartRefPE, TExpandedEnumPropertyEditor)
TEST_EDITOR(TMoneyPE, TExpandedEnumPropertyEditor)
TEST_EDITOR(TNewerPE, TStringProperty)
TEST_EDITOR(TOlderPE, TStringProperty)

class TYesNoPE : public TBoolProperty {
    ORTELLO_CLASS()
public:
    void GetNames(std::string& f, std::string& t) const override {
        f = "No";
        t = "Yes";
    }
};
const TClassInfo& TYesNoPE::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TYesNoPE>("TYesNoPE", &TBoolProperty::StaticClass()).Build();
    return info;
}

const TPropInfo* Prop(std::string_view name) {
    for (const TPropInfo* p : TWidget::StaticClass().Properties())
        if (p->Name == name) return p;
    return nullptr;
}

std::vector<std::string> Values(TRTTIPropertyEditor& e) {
    std::vector<std::string> v;
    e.GetValues([&](const std::string& s) { v.push_back(s); });
    return v;
}

std::string EditorFor(const TPersistent& obj, std::string_view prop) {
    return FindEditorClass(&obj, Prop(prop)).Name();
}

// ---------------------------------------------------------------- registry

TEST(PropertyEditorRegistry, DefaultEditorByKind) {
    TWidget w;
    const struct {
        const char* prop;
        const char* editor;
    } cases[] = {
        {"Count", "TIntegerProperty"}, {"Small", "TIntegerProperty"},  {"Letter", "TCharProperty"},
        {"Flag", "TBoolProperty"},     {"Kind", "TEnumProperty"},      {"Price", "TFloatProperty"},
        {"Name", "TStringProperty"},   {"Kinds", "TSetProperty"},      {"Child", "TClassProperty"},
        {"OnClick", "TMethodProperty"}, {"When", "TDateTimeProperty"},
    };
    for (const auto& c : cases) EXPECT_EQ(EditorFor(w, c.prop), c.editor) << c.prop;
}

TEST(PropertyEditorRegistry, KindWithoutEditorRaisesUnknownClass) {
    TWidget w;
    try {
        FindEditorClass(&w, Prop("Big"));
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Unknown Class Int64");
    }
}

TEST(PropertyEditorRegistry, PassesTypeIdentityAndExactNames) {
    RegisterEditor(TypeRef(), nullptr, "PartRef", TPartRefPE::StaticClass());
    RegisterEditor(TypeTFileName(), &TWidget::StaticClass(), "FileName", TFileNamePE::StaticClass());
    TWidget w;
    // Names compare case-sensitively: "partref" keeps the default enumeration editor.
    EXPECT_EQ(EditorFor(w, "PartRef"), "TPartRefPE");
    TLowerRefWidget lower;
    EXPECT_EQ(FindEditorClass(&lower, TLowerRefWidget::StaticClass().FindProperty("partref")).Name(),
              "TEnumProperty");
    // The file-name type is not the string type.
    EXPECT_EQ(EditorFor(w, "FileName"), "TFileNamePE");
    EXPECT_EQ(EditorFor(w, "Name"), "TStringProperty");
}

TEST(PropertyEditorRegistry, PassOrderAndNewestRecordFirst) {
    const TTypeInfo* t = MakeAliasType("TLabelText", TypeString());
    const std::unique_ptr<TClassInfo> owned(ClassBuilder<TWidget>("TLabelled", &TWidget::StaticClass())
                                                .Prop("Label", t, &TWidget::Name, &TWidget::SetName)
                                                .Prop("Other", t, &TWidget::File, &TWidget::SetFile)
                                                .Build());
    const TClassInfo& cls = *owned;
    auto obj = cls.Create();
    auto* w = static_cast<TPersistent*>(obj.get());
    auto editor = [&](const char* name) { return FindEditorClass(w, cls.FindProperty(name)).Name(); };
    TWidget plain;
    const TPropInfo* label = cls.FindProperty("Label");

    // Pass 4 (no class, same name) only applies when nothing else fits.
    RegisterEditor(t, nullptr, "Label", TNameOnlyPE::StaticClass());
    EXPECT_EQ(editor("Label"), "TNameOnlyPE");
    EXPECT_EQ(editor("Other"), "TStringProperty");
    // Pass 3 (type only) beats pass 4.
    RegisterEditor(t, nullptr, "", TTypeOnlyPE::StaticClass());
    EXPECT_EQ(editor("Label"), "TTypeOnlyPE");
    // Pass 2 (class, no name) beats pass 3, descendants included; other classes keep pass 3.
    RegisterEditor(t, &TWidget::StaticClass(), "", TAnyNameOnClassPE::StaticClass());
    EXPECT_EQ(editor("Other"), "TAnyNameOnClassPE");
    EXPECT_EQ(FindEditorClass(nullptr, label).Name(), "TTypeOnlyPE");
    // Pass 1 (class and name) beats everything.
    RegisterEditor(t, &TWidget::StaticClass(), "Label", TNamedOnClassPE::StaticClass());
    EXPECT_EQ(editor("Label"), "TNamedOnClassPE");
    EXPECT_EQ(editor("Other"), "TAnyNameOnClassPE");
    // Within a pass the newest record wins.
    RegisterEditor(t, &TWidget::StaticClass(), "Label", TOlderPE::StaticClass());
    RegisterEditor(t, &TWidget::StaticClass(), "Label", TNewerPE::StaticClass());
    EXPECT_EQ(editor("Label"), "TNewerPE");
    (void)plain;
}

TEST(PropertyEditorRegistry, LibraryRegistrationsComeFirstInOrder) {
    RegisterLibraryEditors();
    RegisterLibraryEditors();  // idempotent
    const auto& recs = PropClassList().Records();
    ASSERT_GE(recs.size(), 20u);
    EXPECT_EQ(recs[0].PropType, TypeTDateTime());
    EXPECT_EQ(recs[0].EditorClass->Name(), "TDateTimeProperty");
    EXPECT_EQ(recs[4].PropName, "ActiveControl");
    EXPECT_EQ(recs[4].ObjectClass, &TCustomForm::StaticClass());
    EXPECT_EQ(recs[5].PropName, "FocusControl");
    EXPECT_EQ(recs[5].ObjectClass, nullptr);
    EXPECT_EQ(recs[15].EditorClass->Name(), "TColorProperty");
    EXPECT_EQ(recs[19].PropType, TypeLongBool());
    EXPECT_EQ(recs[19].EditorClass->Name(), "TBoolProperty");
}

// ---------------------------------------------------------------- text conversions

struct ConvCase {
    const char* prop;
    const char* text;     // set through the editor
    const char* shown;    // GetValue afterwards, or the error message
    bool fails;
};

void RunConversions(const std::vector<ConvCase>& cases) {
    for (const ConvCase& c : cases) {
        TWidget w;
        auto e = CreateEditor(&w, Prop(c.prop));
        try {
            e->SetValue(c.text);
            EXPECT_FALSE(c.fails) << c.prop << " '" << c.text << "' accepted";
            EXPECT_EQ(e->GetValue(), c.shown) << c.prop << " '" << c.text << "'";
        } catch (const Exception& ex) {
            EXPECT_TRUE(c.fails) << c.prop << " '" << c.text << "': " << ex.Message();
            EXPECT_EQ(ex.Message(), c.shown) << c.prop << " '" << c.text << "'";
        }
    }
}

TEST(PropertyEditors, IntegerTexts) {
    RunConversions({
        {"Count", "42", "42", false},
        {"Count", "-7", "-7", false},
        {"Count", "$1F", "31", false},
        {"Count", "abc", "'abc' is not a valid integer value", true},
        {"Count", "2147483648", "Value must be between -2147483648 and 2147483647", true},
        {"Small", "10", "10", false},
        {"Small", "0", "0", false},
        {"Small", "11", "Value must be between 0 and 10", true},
        {"Small", "-1", "Value must be between 0 and 10", true},
    });
}

TEST(PropertyEditors, CharTexts) {
    RunConversions({
        {"Letter", "A", "A", false},
        {"Letter", "\t", "#9", false},
        {"Letter", "#65", "A", false},
        {"Letter", "#200", "#200", false},
        {"Letter", "#32", "#32", false},
        {"Letter", "", "#0", false},
        {"Letter", "~", "~", false},
        {"Letter", "\xC3\xA9", "#233", false},  // é typed as UTF-8
        {"Letter", "AB", "Invalid property value", true},
        {"Letter", "#256", "Value must be between 0 and 255", true},
        {"Letter", "#x", "'x' is not a valid integer value", true},
    });
}

TEST(PropertyEditors, EnumerationAndBooleanTexts) {
    RunConversions({
        {"Kind", "wkThird", "wkThird", false},
        {"Kind", "WKSECOND", "wkSecond", false},
        {"Kind", "wkFourth", "Invalid property value wkFourth in TEnumProperty", true},
        {"Flag", "TRUE", "True", false},
        {"Flag", "false", "False", false},
        {"Flag", "0", "False", false},
        {"Flag", "yes", "'yes' is not a valid integer value", true},
        {"RawFlag", "2", "True", false},
    });
    TWidget w;
    auto e = CreateEditor(&w, Prop("RawFlag"));
    e->SetValue("2");
    EXPECT_EQ(w.rawFlag, 2);  // the ordinal is stored as given
    w.kind = 7;               // out of range shows as the last identifier
    EXPECT_EQ(CreateEditor(&w, Prop("Kind"))->GetValue(), "wkThird");
    EXPECT_EQ(Values(*CreateEditor(&w, Prop("Kind"))), (std::vector<std::string>{"wkFirst", "wkSecond", "wkThird"}));
    EXPECT_EQ(Values(*e), (std::vector<std::string>{"False", "True"}));
}

TEST(PropertyEditors, BooleanNamesComeFromTheEditor) {
    TWidget w;
    auto e = std::make_unique<TYesNoPE>();
    e->CreateForObject(&w, Prop("Flag"));
    e->SetValue("yes");
    EXPECT_TRUE(w.flag);
    EXPECT_EQ(e->GetValue(), "Yes");
    e->SetValue("NO");
    EXPECT_FALSE(w.flag);
    EXPECT_EQ(Values(*e), (std::vector<std::string>{"No", "Yes"}));
}

TEST(PropertyEditors, FloatAndDateTexts) {
    RunConversions({
        {"Price", "1234.5", "1234.5", false},
        {"Price", "", "0", false},
        {"Price", "0.1", "0.1", false},
        {"Price", "1e3", "1000", false},
        {"Price", "12,5", "'12,5' is not a valid floating point value", true},
        {"Ratio", "0.1", "0.1", false},  // single precision shows 7 digits
        {"When", "", "", false},
        {"When", "3/15/2001", "3/15/2001", false},
    });
}

TEST(PropertyEditors, SetTexts) {
    RunConversions({
        {"Kinds", "[wkFirst,wkThird]", "[wkFirst,wkThird]", false},
        {"Kinds", "wkthird wkFirst", "[wkFirst,wkThird]", false},
        {"Kinds", "[]", "[]", false},
        {"Kinds", "", "[]", false},
        {"Kinds", "[wkSecond, wkThird]", "[wkSecond,wkThird]", false},
        {"Kinds", "[wkFirst,wkNone]", "Invalid property element: wkNone", true},
    });
}

TEST(PropertyEditors, SetElementEditors) {
    TWidget w;
    w.kinds = 0b101;
    TComponentPropertyEditor set;
    set.AddInstance(&w);
    auto* kinds = set.Editors(set.IndexOfName("Kinds"));
    ASSERT_EQ(kinds->SubPropertyCount(), 3);
    EXPECT_EQ(kinds->Child(1)->GetName(), "wkSecond");
    EXPECT_EQ(kinds->Child(0)->GetValue(), "True");
    EXPECT_EQ(kinds->Child(1)->GetValue(), "False");
    kinds->Child(1)->SetValue("true");
    kinds->Child(0)->SetValue("no");
    EXPECT_EQ(w.kinds, 0b110u);
    // An element editor needs a set editor as its owner.
    TSetElementProperty orphan;
    try {
        orphan.CreateForElement(&set, 0);
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Parent is not TSetProperty TComponentPropertyEditor");
    }
}

TEST(PropertyEditors, ExpandedNames) {
    const struct {
        const char* ident;
        const char* expanded;
    } cases[] = {
        {"ctUSDollar", "U S Dollar"}, {"ctGreatBritainPound", "Great Britain Pound"},
        {"prCustomer1", "Customer 1"}, {"prVelmar", "Velmar"},
        {"ctEuroDollar", "Euro Dollar"}, {"Default", "Default"},
        {"abc12def", "12 def"},       {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ExpandedEnumName(c.ident), c.expanded) << c.ident;

    TExpandedEnumList list(TypeRef());
    EXPECT_EQ(list.ToVector(),
              (std::vector<std::string>{"prVelmar=Velmar", "prCustomer=Customer", "prCustomer1=Customer 1"}));
    EXPECT_EQ(list.ExpandedName(2), "Customer 1");
    EXPECT_EQ(list.OrdinalOf("customer"), 1);
    EXPECT_EQ(list.OrdinalOf("Nobody"), -1);
}

TEST(PropertyEditors, ExpandedEnumEditor) {
    RegisterEditor(TypeMoney(), &TWidget::StaticClass(), "Money", TMoneyPE::StaticClass());
    TWidget w;
    auto e = CreateEditor(&w, Prop("Money"));
    EXPECT_EQ(e->GetAttributes(), unsigned(eaValueList | eaReadOnly));
    EXPECT_EQ(Values(*e), (std::vector<std::string>{"U S Dollar", "Canada", "Great Britain Pound"}));
    e->SetValue("great britain pound");
    EXPECT_EQ(w.money, 2);
    EXPECT_EQ(e->GetValue(), "Great Britain Pound");
    try {
        e->SetValue("ctCanada");
        FAIL() << "no error";
    } catch (const Exception& ex) {
        EXPECT_EQ(ex.Message(), "Invalid Value in TMoneyPE, ctCanada");
    }
}

TEST(PropertyEditors, AttributesAndLimits) {
    TWidget w;
    const struct {
        const char* prop;
        unsigned attrs;
    } cases[] = {
        {"Count", eaMultiSelect},
        {"Kind", eaValueList | eaMultiSelect | eaReadOnly},
        {"Flag", eaValueList | eaMultiSelect | eaReadOnly},
        {"Kinds", eaMultiSelect | eaReadOnly},
        {"OnClick", eaValueList | eaMultiSelect},
        {"Name", eaMultiSelect},
    };
    for (const auto& c : cases) EXPECT_EQ(CreateEditor(&w, Prop(c.prop))->GetAttributes(), c.attrs) << c.prop;
    EXPECT_EQ(CreateEditor(&w, Prop("Name"))->GetEditLimit(), 255);
    EXPECT_EQ(CreateEditor(&w, Prop("OnClick"))->GetValue(), "0 Sender: TObject");
    // Object editors only live inside an editor set.
    EXPECT_THROW(CreateEditor(&w, Prop("Child")), Exception);
}

class TKeyHolder : public TPersistent {
    ORTELLO_CLASS()
public:
    int shortCut = 0, color = 0, cursor = 0, charset = 0;
    int ShortCut() const { return shortCut; }
    void SetShortCut(int v) { shortCut = v; }
    int Color() const { return color; }
    void SetColor(int v) { color = v; }
    int Cursor() const { return cursor; }
    void SetCursor(int v) { cursor = v; }
    int Charset() const { return charset; }
    void SetCharset(int v) { charset = v; }
};
const TClassInfo& TKeyHolder::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TKeyHolder>("TKeyHolder", &TPersistent::StaticClass())
                                         .Prop("ShortCut", TypeTShortCut(), &TKeyHolder::ShortCut, &TKeyHolder::SetShortCut)
                                         .Prop("Color", TypeTColor(), &TKeyHolder::Color, &TKeyHolder::SetColor)
                                         .Prop("Cursor", TypeTCursor(), &TKeyHolder::Cursor, &TKeyHolder::SetCursor)
                                         .Prop("Charset", TypeTFontCharset(), &TKeyHolder::Charset, &TKeyHolder::SetCharset)
                                         .Build();
    return info;
}

TEST(PropertyEditors, PlatformIdentifierTexts) {
    const struct {
        const char* prop;
        const char* text;
        const char* shown;
        int stored;
    } cases[] = {
        {"ShortCut", "(none)", "(None)", 0},
        {"ShortCut", "", "(None)", 0},
        {"ShortCut", "Ctrl+A", "Ctrl+A", 0x4041},
        {"ShortCut", "shift+ctrl+f12", "Shift+Ctrl+F12", 0x607B},
        {"ShortCut", "Shift+Alt+BkSp", "Shift+Alt+BkSp", 0xA008},
        {"Color", "clRed", "clRed", 0x0000FF},
        {"Color", "$00804020", "$00804020", 0x804020},
        {"Color", "16777215", "clWhite", 0xFFFFFF},
        {"Cursor", "crHourGlass", "crHourGlass", -11},
        {"Cursor", "5", "5", 5},
        {"Charset", "oem_charset", "OEM_CHARSET", 255},
        {"Charset", "3", "3", 3},
    };
    for (const auto& c : cases) {
        TKeyHolder h;
        auto e = CreateEditor(&h, TKeyHolder::StaticClass().FindProperty(c.prop));
        e->SetValue(c.text);
        EXPECT_EQ(e->GetValue(), c.shown) << c.text;
        EXPECT_EQ(e->GetOrdValue(), c.stored) << c.text;
    }
    TKeyHolder h;
    auto sc = CreateEditor(&h, TKeyHolder::StaticClass().FindProperty("ShortCut"));
    EXPECT_EQ(sc->ClassName(), "TShortCutProperty");
    try {
        sc->SetValue("Ctrl+Banana");
        FAIL() << "no error";
    } catch (const EPropertyError& e) {
        EXPECT_EQ(e.Message(), "Invalid property value");
    }
    const auto values = Values(*sc);
    ASSERT_EQ(values.size(), 83u);  // "(None)" and 82 shortcuts
    EXPECT_EQ(values[0], "(None)");
    EXPECT_EQ(values[1], "Ctrl+A");
    EXPECT_EQ(values[27], "F1");
    EXPECT_EQ(values[82], "Shift+Alt+BkSp");
    auto charset = CreateEditor(&h, TKeyHolder::StaticClass().FindProperty("Charset"));
    EXPECT_THROW(charset->SetValue("300"), EPropertyError);
}

class TFakeDialogs : public TEditorDialogPort {
public:
    bool confirm = true;
    int helpContext = 0;
    bool ExecuteColorDialog(int64_t& color, TStrings& custom, int help) override {
        helpContext = help;
        seenCustom = custom.ToVector();
        custom.SetValue("ColorA", "FFFFFF");
        color = 0x123456;
        return confirm;
    }
    std::vector<std::string> seenCustom;
};

TEST(PropertyEditors, ColorDialogKeepsCustomColoursWhetherConfirmedOrNot) {
    for (bool confirm : {true, false}) {
        auto dialogs = std::make_unique<TFakeDialogs>();
        TFakeDialogs* fake = dialogs.get();
        fake->confirm = confirm;
        SetEditorDialogPort(std::move(dialogs));
        std::vector<std::string> saved;
        SetCustomColorStore({[](TStrings& s) { s.Add("ColorB=000000"); },
                             [&](const TStrings& s) { saved = s.ToVector(); }});
        TKeyHolder h;
        h.color = 5;
        auto e = CreateEditor(&h, TKeyHolder::StaticClass().FindProperty("Color"));
        EXPECT_EQ(e->GetAttributes(), unsigned(eaValueList | eaDialog | eaMultiSelect));
        e->Edit();
        EXPECT_EQ(fake->helpContext, 25010);
        EXPECT_EQ(fake->seenCustom, std::vector<std::string>{"ColorB=000000"});
        EXPECT_EQ(saved, (std::vector<std::string>{"ColorB=000000", "ColorA=FFFFFF"}));
        EXPECT_EQ(h.color, confirm ? 0x123456 : 5);
    }
    SetEditorDialogPort(nullptr);
    SetCustomColorStore({});
}

// ---------------------------------------------------------------- editor sets

TEST(PropertyEditorSet, OneObjectBindsReadWritePropertiesByName) {
    TWidget w;
    TComponentPropertyEditor set;
    EXPECT_EQ(set.AddInstance(&w), 1);
    EXPECT_EQ(set.AddInstance(&w), 0);  // already in the set
    // Sorted by name, case ignored; "Big" (no editor for its kind) is dropped silently.
    EXPECT_EQ(set.IndexOfName("Big"), -1);
    EXPECT_EQ(set.IndexOfName("Missing"), -1);
    std::vector<std::string> names;
    for (int i = 0; i < set.EditorCount(); ++i) names.push_back(set.Editors(i)->GetName());
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end(),
                               [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; }));
    const int count = set.IndexOfName("COUNT");
    ASSERT_GE(count, 0);
    set.Editors(count)->SetValue("12");
    EXPECT_EQ(w.count, 12);
    EXPECT_EQ(set.Editors(set.IndexOfName("Flag"))->ClassName(), "TBoolProperty");
    // Events are hidden by the default filter.
    for (int i = 0; i < set.VisibleCount(); ++i) EXPECT_NE(set.Visible(i)->GetName(), "OnClick");
}

TEST(PropertyEditorSet, SecondObjectMergesAndWritesReachBoth) {
    TWidget a, b;
    TSpecialWidget c;
    TKeyHolder other;
    TComponentPropertyEditor set;
    int rebuilds = 0, lastObjects = 0;
    set.OnAfterRebuild = [&](TObject*, int objects, int) {
        ++rebuilds;
        lastObjects = objects;
    };
    set.AddInstance(&a);
    set.AddInstance(&b);
    set.AddInstance(&c);
    EXPECT_EQ(rebuilds, 3);
    EXPECT_EQ(lastObjects, 3);
    auto* count = set.Editors(set.IndexOfName("Count"));
    EXPECT_TRUE(count->Valid());
    count->SetValue("9");
    EXPECT_EQ(a.count, 9);
    EXPECT_EQ(b.count, 9);
    EXPECT_EQ(c.count, 9);
    // An object without the property invalidates the editor and hides it.
    set.AddInstance(&other);
    EXPECT_FALSE(count->Valid());
    for (int i = 0; i < set.VisibleCount(); ++i) EXPECT_NE(set.Visible(i), count);
}

TEST(PropertyEditorSet, FilterChangesRebuildAndReport) {
    TWidget w;
    TComponentPropertyEditor set;
    set.AddInstance(&w);
    const int props = set.VisibleCount();
    std::vector<int> filterEvent;
    set.OnFilterChange = [&](TObject*, int old, int visible, int now) { filterEvent = {old, visible, now}; };
    set.SetFilter(pfEvents);
    ASSERT_EQ(set.VisibleCount(), 1);
    EXPECT_EQ(set.Visible(0)->GetName(), "OnClick");
    EXPECT_EQ(filterEvent, (std::vector<int>{0, 1, 1}));
    set.SetFilter(pfAll);
    EXPECT_EQ(set.VisibleCount(), props + 1);
}

TEST(PropertyEditorSet, ObjectEditorsExpandIntoTheHeldObject) {
    TWidget outer;
    TWidgetPart inner;
    outer.child = &inner;
    inner.back = &outer;  // a cycle must not recurse forever
    TComponentPropertyEditor set;
    set.AddInstance(&outer);
    auto* child = set.Editors(set.IndexOfName("Child"));
    EXPECT_EQ(child->GetValue(), "(TWidgetPart)");
    ASSERT_GT(child->SubPropertyCount(), 0);
    TRTTIPropertyEditor* innerCount = nullptr;
    for (int i = 0; i < child->ChildCount(); ++i)
        if (child->Child(i)->GetName() == "Count") innerCount = child->Child(i);
    ASSERT_NE(innerCount, nullptr);
    innerCount->SetValue("5");
    EXPECT_EQ(inner.count, 5);
    EXPECT_EQ(outer.count, 0);
    const int collapsed = set.VisibleCount();
    child->SetExpanded(true);
    set.Rebuild();
    EXPECT_GT(set.VisibleCount(), collapsed);
}

}  // namespace
}  // namespace ortello
