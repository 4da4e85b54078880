#include "library/PersistentIni.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "library/Blowfish.h"
#include "library/PersistComponent.h"
#include "tests/library/ObjectStreamTestClasses.h"

using namespace ortello;
using namespace ortello::test;

namespace {

class TCustomPartList : public TQorPersistList {
    ORTELLO_CLASS()
public:
    TCustomPartList() : TQorPersistList(true) {}
};

const TClassInfo& TCustomPartList::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TCustomPartList>("TCustomPartList", &TQorPersistList::StaticClass()).Build();
    return info;
}

class TCopySettings : public TQORPersistComponent {
    ORTELLO_CLASS()
public:
    using TQORPersistComponent::TQORPersistComponent;
    std::string Format() const { return format_; }
    void SetFormat(std::string_view v) { format_ = std::string(v); }
    TComponent* Target() const { return target_; }
    void SetTarget(TComponent* c) { target_ = c; }
    int loadedCalls = 0;
    bool wasLoading = false;
    void Loaded() override {
        ++loadedCalls;
        TQORPersistComponent::Loaded();
    }

private:
    std::string format_;
    TComponent* target_ = nullptr;
};

const TClassInfo& TCopySettings::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TCopySettings>("TCopySettings", &TQORPersistComponent::StaticClass())
             .Factory([] { return std::unique_ptr<TObject>(new TCopySettings(nullptr)); })
             .Prop("Format", TypeString(), &TCopySettings::Format, &TCopySettings::SetFormat)
             .Prop("Target", TComponent::StaticClass().TypeInfo(), &TCopySettings::Target, &TCopySettings::SetTarget)
             .Build();
    return info;
}

class PersistentIniTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterTestClasses();
        RegisterClass(TCustomPartList::StaticClass());
        dir_ = std::filesystem::temp_directory_path() / ("ortello-ini-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Path(const char* name) const { return (dir_ / name).string(); }
    std::filesystem::path dir_;
};

std::string Save(TQorPersistent& obj) {
    TMemoryStream s;
    obj.WriteToStream(s);
    return s.Bytes();
}

}  // namespace

TEST_F(PersistentIniTest, ListOfTwoItemsWithDefaultPrefix) {
    const std::string path = Path("CustomParts.ini");
    WriteFileAtomic(path, "[Other]\r\nx=1\r\n\r\n[CustomPartList9]\r\nstale=1\r\n");
    TCustomPartList list;
    auto* a = new TTestEntry;
    a->SetName("10\xC2\xB0 mount");
    a->SetQty(2);
    a->SetFlag(true);
    a->SetShades(0b011);
    a->SetPrice(0.1 + 0.2);
    a->Notes()->Add("first");
    a->Notes()->Add("second");
    auto* b = new TTiny;
    b->SetName("b");
    list.Add(a);
    list.Add(b);
    list.SaveToINIFile(path, "");

    TQORINIFile ini(path);
    EXPECT_EQ(ini.ReadString("Other", "x", ""), "1");
    EXPECT_EQ(ini.IndexOfSection("CustomPartList9"), -1);
    EXPECT_EQ(ini.ReadString("CustomPartList0", "Item Count", ""), "6");
    EXPECT_EQ(ini.ReadString("CustomPartList1", "Type", ""), "TCustomPartList");
    EXPECT_EQ(ini.ReadString("CustomPartList1", "List Items", ""), "2-3");
    EXPECT_EQ(ini.ReadString("CustomPartList1", "Owns Object", ""), "1");
    EXPECT_EQ(ini.ReadString("CustomPartList2", "Type", ""), "TTestEntry");
    EXPECT_EQ(ini.ReadString("CustomPartList2", "Flag", ""), "1");
    EXPECT_EQ(ini.ReadString("CustomPartList2", "Shades", ""), "[shRed,shGreen]");
    EXPECT_EQ(ini.ReadString("CustomPartList2", "Shade", ""), "shRed");
    EXPECT_EQ(ini.ReadString("CustomPartList2", "Notes", ""), "CustomPartList4");
    EXPECT_EQ(ini.ReadString("CustomPartList3", "Type", ""), "TTiny");
    EXPECT_EQ(ini.ReadString("CustomPartList2", "Contact", ""), "CustomPartList5");
    EXPECT_EQ(ini.ReadString("CustomPartList4 - TStringList", "Line Count", ""), "2");
    EXPECT_EQ(ini.ReadString("CustomPartList4 - TStringList", "1", ""), "second");
    EXPECT_EQ(ini.ReadString("CustomPartList5 - TTestContact", "Type", ""), "TTestContact");
    EXPECT_EQ(ini.ReadString("CustomPartList2", "Secret", "absent"), "absent");
    EXPECT_NE(ReadFileBytes(path).find("10\xB0 mount"), std::string::npos);  // Windows-1252 on disk

    TCustomPartList back;
    back.Add(new TTiny);
    back.LoadFromINIFile(path, "");
    ASSERT_EQ(back.Count(), 2);
    EXPECT_EQ(Save(*back.Items(0)), Save(*a));
    EXPECT_EQ(Save(*back.Items(1)), Save(*b));

    // A removed section no longer matches the recorded count, and nothing changes.
    TQORINIFile edit(path);
    edit.EraseSection("CustomPartList3");
    edit.UpdateFile();
    try {
        back.LoadFromINIFile(path, "");
        ADD_FAILURE();
    } catch (const EItemCountMismatch& e) {
        EXPECT_EQ(e.Message(), "Number of Items Does Not Match Those Recorded");
    }
    EXPECT_EQ(back.Count(), 2);
}

TEST_F(PersistentIniTest, HostileSectionReferencesAreBounded) {
    const std::string path = Path("loop.ini");
    WriteFileAtomic(path,
                    "[L0]\r\nItem Count=3\r\n[L1]\r\nType=TCustomPartList\r\nList Items=1-2000000000\r\n"
                    "[L2]\r\nType=TCustomPartList\r\nList Items=1-2\r\nOwns Object=1\r\n");
    TCustomPartList list;
    list.LoadFromINIFile(path, "L");
    // Every section is read at most once per load, however the ranges point.
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(static_cast<TCustomPartList*>(list.Items(0))->Count(), 0);
    EXPECT_EQ(static_cast<TCustomPartList*>(list.Items(1))->Count(), 2);  // two empty lists
}

TEST_F(PersistentIniTest, DefaultPrefixAndSpacedNames) {
    EXPECT_EQ(TTestList().GetDefaultPrefix(), "TestList");
    EXPECT_EQ(TINISpecialProp().GetDefaultPrefix(), "INISpecialProp");
    EXPECT_EQ(SpacedPropName("CompanyName"), "Company Name");
    EXPECT_EQ(SpacedPropName("ContactInfo.CompanyName"), "Contact Info.Company Name");
    EXPECT_EQ(SpacedPropName("Address2Line"), "Address2Line");

    const std::string path = Path("site.txt");
    WriteFileAtomic(path, "[Site]\r\nName=Depot\r\nQty=12\r\nContact.Phone=555\r\nContact Ext=x\r\nShade=shBlue\r\n");
    TQORINIFile ini(path);
    TTestEntry e;
    e.Contact()->SetExt(4);
    e.ReadFromINISection(ini, "Site");
    EXPECT_EQ(e.Name(), "Depot");
    EXPECT_EQ(e.Qty(), 12);
    EXPECT_EQ(e.Contact()->Phone(), "555");
    EXPECT_EQ(e.Contact()->Ext(), 4);  // "Contact Ext" is neither form; kept
    EXPECT_EQ(e.Shade(), TShade::shBlue);
    TQORINIFile spaced;
    spaced.WriteString("S", "Contact.Phone", "1");
    spaced.WriteString("S", "Contact.Ext", "7");
    TTestEntry f;
    f.ReadFromINISection(spaced, "S");
    EXPECT_EQ(f.Contact()->Ext(), 7);
}

TEST_F(PersistentIniTest, RoutineRegistryPicksTheMostDerivedClass) {
    EXPECT_EQ(INISpecialProps().Find(TStringList::StaticClass())->Class, &TStrings::StaticClass());
    EXPECT_EQ(INISpecialProps().Find(TTestContact::StaticClass())->Class, &TPersistent::StaticClass());
    EXPECT_EQ(INISpecialProps().Find(TCustomPartList::StaticClass())->Class, &TQorPersistent::StaticClass());
    EXPECT_EQ(INISpecialProps().Find(TCopySettings::StaticClass())->Class, &TComponent::StaticClass());
}

TEST_F(PersistentIniTest, EncipheredVariants) {
    TTestList list;
    auto* e = new TTestEntry;
    e->SetName("secret part");
    list.Add(e);
    const std::string key60(60, 'k');
    const std::string key56(56, 'k');
    TMemoryStream a, b, plain;
    list.SaveToStream(a, key60);
    list.SaveToStream(b, key56);
    list.SaveToStream(plain);
    EXPECT_EQ(a.Bytes(), b.Bytes());
    EXPECT_EQ(a.Bytes().substr(0, 8), plain.Bytes().substr(0, 8));  // signature stays plain
    EXPECT_EQ(a.Bytes().substr(8, 5), "ACTIV");
    EXPECT_EQ(a.Bytes().find("secret"), std::string::npos);

    TTestList back;
    a.SetPosition(0);
    back.LoadFromStream(a, key60);
    ASSERT_EQ(back.Count(), 1);
    EXPECT_EQ(back.ItemAs<TTestEntry>(0)->Name(), "secret part");

    // The whole typed stream enciphered: signature inside.
    const std::string blob = list.SaveEncryptedToField("key");
    EXPECT_EQ(blob.substr(0, 5), "ACTIV");
    TTestList fromBlob;
    fromBlob.LoadEncryptedFromBlob(blob, "key");
    EXPECT_EQ(fromBlob.Count(), 1);
    // An empty key is plain.
    EXPECT_EQ(list.SaveEncryptedToField(""), plain.Bytes());
    const std::string notEnciphered = plain.Bytes().substr(8);
    TReadOnlyMemoryStream wrong(notEnciphered);
    TTestList w;
    EXPECT_THROW(w.ReadEncrypted(wrong, "key"), ESignatureErr);
}

TEST_F(PersistentIniTest, ComponentStreamWithOwnerAsRoot) {
    TComponent owner;
    owner.SetName("DataModule1");
    auto* grid = new TComponent(&owner);
    grid->SetName("Grid");
    auto* settings = new TCopySettings(&owner);
    settings->SetName("Copier");
    settings->SetFormat("csv");
    settings->SetTag(3);
    settings->SetTarget(grid);
    TMemoryStream s;
    settings->SaveToStream(s);
    auto str = [](std::string_view t) { return std::string(1, char(t.size())) + std::string(t); };
    EXPECT_EQ(s.Bytes(), str("TCopySettings") + str("Copier") + str("Tag") + std::string("\x02\x03", 2) +
                             str("Format") + std::string("\x06\x03", 2) + "csv" + str("Target") + "\x07" +
                             str("Grid") + std::string(2, '\0'));

    auto* copy = new TCopySettings(&owner);
    s.SetPosition(0);
    copy->LoadFromStream(s);
    EXPECT_EQ(copy->Format(), "csv");
    EXPECT_EQ(copy->Tag(), 3);
    EXPECT_EQ(copy->Target(), grid);
    EXPECT_EQ(copy->loadedCalls, 1);
    EXPECT_FALSE(copy->IsLoading());

    // Reader errors are raised for components.
    std::string bad = str("TCopySettings") + str("Copier2") + str("Gone") + "\x09" + std::string(2, '\0');
    TReadOnlyMemoryStream bs(bad);
    auto* other = new TCopySettings(&owner);
    EXPECT_THROW(other->LoadFromStream(bs), EReadError);
    EXPECT_FALSE(other->IsLoading());

    EXPECT_THROW(copy->LoadFromFile(Path("none.dat")), EFileDoesNotExist);

    // INI form: section 0 names the component's section.
    const std::string ini = Path("ortello.dat");
    settings->SaveToINIFile(ini);
    TQORINIFile f(ini);
    EXPECT_EQ(f.ReadString("CopySettings0", "Copier", ""), "CopySettings1");
    EXPECT_EQ(f.ReadString("CopySettings0", "Item Count", ""), "2");
    EXPECT_EQ(f.ReadString("CopySettings1 - TCopySettings", "Format", ""), "csv");
    EXPECT_EQ(f.ReadString("CopySettings1 - TCopySettings", "Target", "none"), "none");
    auto* fromIni = new TCopySettings(&owner);
    fromIni->SetName("Copier");  // the key is the component's name
    settings->SetName("Original");
    fromIni->LoadFromINIFile(ini);
    EXPECT_EQ(fromIni->Format(), "csv");
    EXPECT_EQ(fromIni->Tag(), 3);
}
