#include "library/PropertyAttach.h"

#include <gtest/gtest.h>

#include "library/Controls.h"
#include "library/MessagePort.h"

namespace ortello {
namespace {

class TContact : public TPersistent {
    ORTELLO_CLASS()
public:
    std::string city, zip;
    const std::string& City() const { return city; }
    void SetCity(std::string_view v) { city.assign(v); }
    const std::string& ZipCode() const { return zip; }
    void SetZipCode(std::string_view v) { zip.assign(v); }
};
const TClassInfo& TContact::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TContact>("TContact", &TPersistent::StaticClass())
                                         .Prop("ZipCode", TypeString(), &TContact::ZipCode, &TContact::SetZipCode)
                                         .Prop("City", TypeString(), &TContact::City, &TContact::SetCity)
                                         .Build();
    return info;
}

class TQuoteInfo : public TPersistent {
    ORTELLO_CLASS()
public:
    TContact contact;
    std::string title;
    TContact* ContactInfo() const { return const_cast<TContact*>(&contact); }
    void SetContactInfo(TContact* c) { contact.Assign(c); }
    const std::string& Title() const { return title; }
    void SetTitle(std::string_view v) { title.assign(v); }
};
const TClassInfo& TQuoteInfo::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TQuoteInfo>("TQuoteInfo", &TPersistent::StaticClass())
             .Prop("Title", TypeString(), &TQuoteInfo::Title, &TQuoteInfo::SetTitle)
             .Prop("ContactInfo", TContact::StaticClass().TypeInfo(), &TQuoteInfo::ContactInfo,
                   &TQuoteInfo::SetContactInfo)
             .Build();
    return info;
}

class TQuoteHolder : public TComponent {
    ORTELLO_CLASS()
public:
    using TComponent::TComponent;
    TQuoteInfo quotes;
    TComponent* buddy = nullptr;
    TQuoteInfo* QuoteList() const { return const_cast<TQuoteInfo*>(&quotes); }
    void SetQuoteList(TQuoteInfo*) {}
    TComponent* Buddy() const { return buddy; }
    void SetBuddy(TComponent* c) { buddy = c; }
    int Count() const { return 3; }
};
const TClassInfo& TQuoteHolder::StaticClass() {
    static const TClassInfo& info = [] {
        TPropInfo click;
        click.Name = "OnClick";
        click.PropType = TypeTNotifyEvent();
        click.GetOrd = [](const TObject&) { return int64_t{0}; };
        click.SetOrd = [](TObject&, int64_t) {};
        return std::cref(*ClassBuilder<TQuoteHolder>("TQuoteHolder", &TComponent::StaticClass())
                              .Factory([] { return std::unique_ptr<TObject>(new TQuoteHolder(nullptr)); })
                              .Prop("QuoteList", TQuoteInfo::StaticClass().TypeInfo(), &TQuoteHolder::QuoteList,
                                    &TQuoteHolder::SetQuoteList)
                              .Prop("Buddy", TComponent::StaticClass().TypeInfo(), &TQuoteHolder::Buddy,
                                    &TQuoteHolder::SetBuddy)
                              .ReadOnly("Count", TypeInteger(), &TQuoteHolder::Count)
                              .Custom(click)
                              .Build());
    }();
    return info;
}

class TFakeMessages : public TMessagePort {
public:
    std::vector<std::string>* shown;
    explicit TFakeMessages(std::vector<std::string>* s) : shown(s) {}
    void ShowMessage(std::string_view text) override { shown->emplace_back(text); }
};

class PropertyAttach : public ::testing::Test {
protected:
    void SetUp() override { SetMessagePort(std::make_unique<TFakeMessages>(&messages)); }
    void TearDown() override { SetMessagePort(nullptr); }
    std::vector<std::string> messages;
};

TEST_F(PropertyAttach, PathListTakesReadWriteNonMethodPropertiesAndEntersObjects) {
    TQuoteHolder holder;
    TComponent other;
    holder.buddy = &other;  // components are never entered or listed
    TQORPropertiesList list(&holder);
    std::vector<std::string> names;
    for (int i = 0; i < list.Count(); ++i) names.push_back(list.Items(i).Name);
    EXPECT_EQ(names, (std::vector<std::string>{"Name", "QuoteList", "QuoteList.ContactInfo",
                                               "QuoteList.ContactInfo.City", "QuoteList.ContactInfo.ZipCode",
                                               "QuoteList.Title", "Tag"}));
    const TPropPathRec& rec = list.Items(list.IndexOf("quotelist.contactinfo.city"));
    EXPECT_EQ(rec.Object, &holder.quotes.contact);
    EXPECT_EQ(rec.Prop->Name, "City");
}

TEST_F(PropertyAttach, ResolveAndCreateEditorForPath) {
    TQuoteHolder holder;
    TObject* obj = nullptr;
    ASSERT_TRUE(ResolveObject(&holder, "QuoteList.ContactInfo", obj));
    EXPECT_EQ(obj, &holder.quotes.contact);
    obj = nullptr;
    ASSERT_TRUE(ResolveObject(&holder, "QuoteList.contactinfo", obj));
    EXPECT_EQ(obj, &holder.quotes.contact);
    EXPECT_FALSE(ResolveObject(&holder, "QuoteList.Missing", obj));
    EXPECT_FALSE(ResolveObject(&holder, "Count", obj));  // read-only

    std::unique_ptr<TRTTIPropertyEditor> editor;
    ASSERT_TRUE(CreateEditorForPath(&holder, "QuoteList.ContactInfo.City", editor));
    ASSERT_TRUE(editor);
    editor->SetValue("Lisbon");
    EXPECT_EQ(holder.quotes.contact.city, "Lisbon");
    EXPECT_FALSE(CreateEditorForPath(&holder, "QuoteList.Nothing", editor));
    EXPECT_FALSE(editor);
}

TEST_F(PropertyAttach, FlatPropertyListNamesNestedProperties) {
    TQuoteHolder holder;
    TPropertyList list(&holder);
    std::vector<std::string> names;
    for (int i = 0; i < list.Count(); ++i) names.push_back(list.Items(i).FullName());
    EXPECT_EQ(names, (std::vector<std::string>{"Count", "Name", "OnClick", "QuoteList.ContactInfo.City",
                                               "QuoteList.ContactInfo.ZipCode", "QuoteList.Title", "Tag"}));
    EXPECT_EQ(list.Items(3).Prefix, "QuoteList.ContactInfo");
    EXPECT_EQ(list.Items(3).Object, &holder.quotes.contact);
}

TEST_F(PropertyAttach, SpacedNames) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"PartNo", "Part No"},
        {"CompanyName", "Company Name"},
        {"Address1Line", "Address1Line"},
        {"ContactInfo.ZipCode", "Contact Info. Zip Code"},
        {"", ""},
        {"lower", "lower"},
    };
    for (const auto& c : cases) EXPECT_EQ(SpacedName(c.in), c.out) << c.in;
}

TEST_F(PropertyAttach, ComponentLookUps) {
    TForm form;
    form.SetName("frmMain");
    auto* holder = new TQuoteHolder(&form);
    holder->SetName("Holder1");
    auto* plain = new TComponent(holder);
    TDataModule dm;
    auto* second = new TQuoteHolder(&dm);
    second->SetName("Holder2");

    TComponent* found = nullptr;
    ASSERT_TRUE(FindComponentOfClass(TQuoteHolder::StaticClass(), found));
    EXPECT_EQ(found, holder);  // forms before data modules
    ASSERT_TRUE(FindComponentOfClass(TQuoteHolder::StaticClass(), found, "holder2"));
    EXPECT_EQ(found, second);
    EXPECT_FALSE(FindComponentOfClass(TComponent::StaticClass(), found, "Holder1"));  // exact class only

    EXPECT_EQ(OwnerFormOf(plain), &form);
    EXPECT_EQ(OwnerFormOf(second), &dm);
    EXPECT_EQ(OwnerFormOf(&form), nullptr);

    const std::vector<const TClassInfo*> classes = {&TForm::StaticClass(), &TComponent::StaticClass(),
                                                    &TQuoteHolder::StaticClass()};
    EXPECT_EQ(IndexOfInstanceOf(holder, classes), 1);
    EXPECT_EQ(IndexOfClass(holder, classes), 2);
    EXPECT_EQ(IndexOfClass(&dm, classes), -1);
    EXPECT_EQ(IndexOfInstanceOf(nullptr, classes), -1);
}

// Owns an attachment and forwards its notifications, as the dataset and the edit control do.
class TAttachOwner : public TComponent {
public:
    explicit TAttachOwner(bool classProp = false) {
        if (classProp)
            attach = std::make_unique<TQORAttachClassProp>(this);
        else
            attach = std::make_unique<TQORAttachComponent>(this);
        attach->OnPropertyChange = [this](TObject*) { ++changes; };
    }
    ~TAttachOwner() override { attach.reset(); }
    void Dispatch(TMessage& m) override { received.push_back(m); }
    std::unique_ptr<TBASEQORAttachComponent> attach;
    int changes = 0;
    std::vector<TMessage> received;

protected:
    void Notification(TComponent* c, TOperation op) override {
        TComponent::Notification(c, op);
        if (attach) attach->Notification(c, op);
    }
};

TEST_F(PropertyAttach, AttachmentLoadsTheEditorOfItsPath) {
    TAttachOwner owner;
    TQuoteHolder holder;
    holder.SetName("Quote1");
    EXPECT_FALSE(owner.attach->Load());  // nothing attached yet
    owner.attach->SetComponent(&holder);
    owner.attach->SetComponent(&holder);  // same: no change
    owner.attach->SetProp("QuoteList.Title");
    EXPECT_EQ(owner.changes, 2);
    EXPECT_EQ(owner.attach->ComponentName(), "Quote1");
    ASSERT_TRUE(owner.attach->Load());
    ASSERT_NE(owner.attach->PropertyEditor(), nullptr);
    owner.attach->PropertyEditor()->SetValue("Tower upgrade");
    EXPECT_EQ(holder.quotes.title, "Tower upgrade");

    owner.attach->SetProp("QuoteList.Nowhere");
    EXPECT_TRUE(owner.attach->Load());  // both set, but no editor for the path
    EXPECT_EQ(owner.attach->PropertyEditor(), nullptr);

    TQORAttachComponent copy(nullptr);
    copy.Assign(owner.attach.get());
    EXPECT_EQ(copy.Prop(), "QuoteList.Nowhere");
    EXPECT_TRUE(messages.empty());
}

TEST_F(PropertyAttach, AttachedComponentGoingAwayClearsTheLink) {
    for (bool classProp : {false, true}) {
        TAttachOwner owner(classProp);
        auto holder = std::make_unique<TQuoteHolder>();
        owner.attach->SetComponent(holder.get());
        owner.attach->SetProp("QuoteList.Title");
        ASSERT_TRUE(owner.attach->Load());
        const int before = owner.changes;
        holder.reset();
        EXPECT_EQ(owner.attach->Component(), nullptr) << classProp;
        EXPECT_EQ(owner.attach->PropertyEditor(), nullptr) << classProp;
        EXPECT_EQ(owner.changes, before + 1) << classProp;
        EXPECT_FALSE(owner.attach->Load());
    }
}

TEST_F(PropertyAttach, FailuresAreShownWithTheirTexts) {
    TAttachOwner owner;
    TQuoteHolder holder;
    holder.SetName("Quote1");
    owner.attach->OnPropertyChange = [](TObject*) { throw Exception("boom"); };
    owner.attach->SetComponent(&holder);
    owner.attach->OnPropertyChange = nullptr;
    // An object property has no editor outside an editor set.
    owner.attach->SetProp("QuoteList.ContactInfo");
    EXPECT_FALSE(owner.attach->Load());
    EXPECT_EQ(messages, (std::vector<std::string>{"DoPropertyChange 1Quote1", "TBASEQORAttachComponent.Load"}));
}

TEST_F(PropertyAttach, NotifierSendsChangeMessagesToSubscribers) {
    TQORComponentPropertyNotification notifier;
    TAttachOwner first, second;
    first.attach->SetComponent(&notifier);
    second.attach->SetComponent(&notifier);
    EXPECT_EQ(notifier.SubscriberCount(), 2);

    std::vector<std::string> events;
    notifier.OnStartChange = [&](TObject*, intptr_t v) { events.push_back("start " + std::to_string(v)); };
    notifier.OnEndChange = [&](TObject*) { events.push_back("end"); };
    notifier.OnChange = [&](TObject*) { events.push_back("change"); };
    notifier.Change(7, 9);
    ASSERT_EQ(first.received.size(), 1u);
    EXPECT_EQ(first.received[0].Msg, 46057u);
    EXPECT_EQ(first.received[0].WParam, reinterpret_cast<intptr_t>(&notifier));
    EXPECT_EQ(first.received[0].LParam, 7);
    EXPECT_EQ(second.received.size(), 1u);
    EXPECT_EQ(events, (std::vector<std::string>{"start 9", "end", "change"}));

    // A change raised while another is being delivered nests: one start, one end.
    events.clear();
    bool nested = false;
    first.attach->OnPropertyChange = nullptr;
    TComponent* relay = nullptr;
    struct TRelay : public TComponent {
        std::function<void()> onMessage;
        void Dispatch(TMessage&) override { onMessage(); }
    };
    auto* r = new TRelay;
    relay = r;
    r->onMessage = [&] {
        if (!nested) {
            nested = true;
            notifier.Change(1, 2);
        }
    };
    notifier.Subscribe(relay);
    notifier.Change(3, 4);
    EXPECT_EQ(events, (std::vector<std::string>{"start 4", "change", "end", "change"}));

    // Subscribers that go away leave the list; loading silences the notifier.
    delete relay;
    EXPECT_EQ(notifier.SubscriberCount(), 2);
    notifier.SetLoading(true);
    notifier.Change(5, 6);
    EXPECT_EQ(first.received.size(), 3u);
    notifier.SetLoading(false);

    // Switching the attachment away unsubscribes its owner.
    TQuoteHolder holder;
    first.attach->SetComponent(&holder);
    EXPECT_EQ(notifier.SubscriberCount(), 1);
}

}  // namespace
}  // namespace ortello
