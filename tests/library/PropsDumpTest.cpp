#include "library/PropsDump.h"

#include <gtest/gtest.h>

#include "library/PersistentStorage.h"

namespace ortello {
namespace {

TEST(PropsDump, ListsPropertiesWithEditorsAndValues) {
    const std::string json = DumpClassPropsJson(TStringPersistentStorage::StaticClass());
    // Declaration order, inherited first.
    const size_t fileName = json.find("\"name\": \"IniFileName\"");
    const size_t storage = json.find("\"name\": \"StorageType\"");
    const size_t value = json.find("\"name\": \"Value\"");
    ASSERT_NE(fileName, std::string::npos);
    ASSERT_NE(storage, std::string::npos);
    ASSERT_NE(value, std::string::npos);
    EXPECT_LT(fileName, storage);
    EXPECT_LT(storage, value);
    const std::string storageEntry = json.substr(storage, json.find('}', storage) - storage);
    EXPECT_NE(storageEntry.find("\"kind\": \"tkEnumeration\""), std::string::npos) << storageEntry;
    EXPECT_NE(storageEntry.find("\"type\": \"TStorageType\""), std::string::npos);
    EXPECT_NE(storageEntry.find("\"default\": 0"), std::string::npos);
    EXPECT_NE(storageEntry.find("\"editor\": \"TEnumProperty\""), std::string::npos);
    EXPECT_NE(storageEntry.find("\"value\": \"stRegistry\""), std::string::npos);
    EXPECT_NE(storageEntry.find("\"stIniFile\""), std::string::npos);  // the value list
    const size_t root = json.find("\"name\": \"HKEYRoot\"");
    const std::string rootEntry = json.substr(root, json.find('}', root) - root);
    EXPECT_NE(rootEntry.find("\"default\": null"), std::string::npos) << rootEntry;
    EXPECT_NE(rootEntry.find("\"value\": \"HKEY_CLASSES_ROOT\""), std::string::npos);
    EXPECT_EQ(rootEntry.find("\"values\""), std::string::npos);  // strings have no value list
}

TEST(PropsDump, AbstractClassRaises) { EXPECT_THROW(DumpClassPropsJson(TStrings::StaticClass()), Exception); }

}  // namespace
}  // namespace ortello
