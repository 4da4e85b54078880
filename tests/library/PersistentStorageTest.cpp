#include "library/PersistentStorage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "library/Controls.h"
#include "library/DataLocations.h"
#include "platform/SettingsStore.h"

namespace ortello {
namespace {

namespace fs = std::filesystem;

class PersistentStorage : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/ortello-storage-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        home = tmpl;
        savedHome = ProgramFolder();
        SetDataLocation(rpDefaultPath, home + "/");
        store = std::make_unique<TSettingsStore>(home + "/registry.ini");
    }
    void TearDown() override {
        SetDataLocation(rpDefaultPath, savedHome);
        fs::remove_all(home);
    }
    std::unique_ptr<TStringPersistentStorage> IniStorage(const std::string& key) {
        auto s = std::make_unique<TStringPersistentStorage>(nullptr);
        s->SetStorageType(stIniFile);
        s->SetIniFilePath("data\\");
        s->SetIniFileName("a.ini");
        s->SetIniSection("History");
        s->SetKey(key);
        return s;
    }
    std::unique_ptr<TStringPersistentStorage> RegStorage(const std::string& root) {
        auto s = std::make_unique<TStringPersistentStorage>(nullptr);
        s->SetSettingsStore(store.get());
        s->SetHKEYRoot(root);
        s->SetHKEYPath("Software\\Velmar\\Search");
        s->SetKey("History");
        return s;
    }
    std::string home, savedHome;
    std::unique_ptr<TSettingsStore> store;
};

TEST_F(PersistentStorage, IniFileValueIsReadFromItsSection) {
    fs::create_directories(home + "/data");
    WriteFileAtomic(home + "/data/a.ini", "[Other]\r\nDescription=no\r\n[History]\r\nDescription=Tower mast\r\n");
    auto s = IniStorage("Description");
    s->Load();
    EXPECT_EQ(s->Value(), "Tower mast");
    auto missing = IniStorage("Description");
    missing->SetIniSection("Nothing");
    missing->Load();
    EXPECT_EQ(missing->Value(), "");
}

TEST_F(PersistentStorage, IniFileIsWrittenOnlyWhenTheValueChanges) {
    auto s = IniStorage("Description");
    s->SetValue("Feeder run");
    auto back = IniStorage("Description");
    back->Load();
    EXPECT_EQ(back->Value(), "Feeder run");
    fs::remove(home + "/data/a.ini");
    s->SetValue("Feeder run");
    EXPECT_FALSE(fs::exists(home + "/data/a.ini"));
    s->SetValue("Other");
    EXPECT_TRUE(fs::exists(home + "/data/a.ini"));
}

TEST_F(PersistentStorage, BlankKeyNamesOwnerAndForm) {
    TForm form;
    form.SetName("frmMain");
    auto* combo = new TComponent(&form);
    combo->SetName("Combo1");
    TStringPersistentStorage s(combo);
    s.SetKey("  ");
    EXPECT_EQ(s.Key(), "frmMain-Combo1");
    s.SetKey("Mine");
    EXPECT_EQ(s.Key(), "Mine");
}

TEST_F(PersistentStorage, RegistryRootsByNameIgnoringCase) {
    auto s = RegStorage("hkey_current_user");
    s->SetValue("*.otq");
    const std::string key = "HKEY_CURRENT_USER\\Software\\Velmar\\Search";
    EXPECT_EQ(store->ReadString(key, "History"), "*.otq");
    EXPECT_TRUE(store->KeyExists(key + "\\History"));  // the value's subkey is made too
    auto back = RegStorage("HKEY_CURRENT_USER");
    back->Load();
    EXPECT_EQ(back->Value(), "*.otq");

    auto bad = RegStorage("HKCU");
    bad->SetValue("ignored");
    bad->Load();
    EXPECT_EQ(bad->Value(), "ignored");  // kept in memory, never stored
    EXPECT_EQ(store->ReadString(key, "History"), "*.otq");
    EXPECT_EQ(RegistryRootName("HKEY_DYN_DATA"), "HKEY_DYN_DATA");
    EXPECT_EQ(RegistryRootName("HKCU"), "");
}

TEST_F(PersistentStorage, RegistryIsWrittenOnlyWhenTheValueChanges) {
    auto s = RegStorage("HKEY_CURRENT_USER");
    s->SetValue("a");
    fs::remove(home + "/registry.ini");
    s->SetValue("a");
    EXPECT_FALSE(fs::exists(home + "/registry.ini"));
    s->SetValue("b");
    EXPECT_TRUE(fs::exists(home + "/registry.ini"));
}

TEST_F(PersistentStorage, AssignCopiesTheSettings) {
    auto a = IniStorage("K");
    a->SetHKEYRoot("HKEY_USERS");
    a->SetHKEYPath("P");
    TStringPersistentStorage b(nullptr);
    b.Assign(a.get());
    EXPECT_EQ(b.StorageType(), stIniFile);
    EXPECT_EQ(b.IniFileName(), "a.ini");
    EXPECT_EQ(b.IniFilePath(), "data\\");
    EXPECT_EQ(b.IniSection(), "History");
    EXPECT_EQ(b.Key(), "K");
    EXPECT_EQ(b.HKEYRoot(), "HKEY_USERS");
    EXPECT_EQ(b.HKEYPath(), "P");
}

}  // namespace
}  // namespace ortello
