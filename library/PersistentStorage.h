// One remembered text value (a search history, the open files) kept either in the
// settings store or in an INI file; owned by a component as a sub-object.
#pragma once

#include <string>
#include <string_view>

#include "library/Classes.h"

namespace ortello {

class TSettingsStore;

enum TStorageType { stRegistry, stIniFile };
const TTypeInfo* TypeTStorageType();

// The predefined root of a root name (case ignored), as the store spells it, or
// empty when the name is none of the seven.
std::string RegistryRootName(std::string_view name);

class TBasePersistentStorage : public TPersistent {
    ORTELLO_CLASS()
public:
    explicit TBasePersistentStorage(TComponent* owner = nullptr) : owner_(owner) {}

    const std::string& IniFileName() const { return iniFileName_; }
    void SetIniFileName(std::string_view v) { iniFileName_.assign(v); }
    TStorageType StorageType() const { return storageType_; }
    void SetStorageType(TStorageType v) { storageType_ = v; }
    const std::string& HKEYRoot() const { return hkeyRoot_; }
    void SetHKEYRoot(std::string_view v) { hkeyRoot_.assign(v); }
    // The value's name: when blank, the owner's form or data module name, "-",
    // and the owner's name.
    std::string Key() const;
    void SetKey(std::string_view v) { key_.assign(v); }
    const std::string& HKEYPath() const { return hkeyPath_; }
    void SetHKEYPath(std::string_view v) { hkeyPath_.assign(v); }
    // Relative to the program folder.
    const std::string& IniFilePath() const { return iniFilePath_; }
    void SetIniFilePath(std::string_view v) { iniFilePath_.assign(v); }
    const std::string& IniSection() const { return iniSection_; }
    void SetIniSection(std::string_view v) { iniSection_.assign(v); }

    TComponent* StorageOwner() const { return owner_; }
    // The store used for stRegistry; the process-wide one unless set.
    void SetSettingsStore(TSettingsStore* store) { store_ = store; }
    TSettingsStore& Store() const;
    // Program folder + IniFilePath + IniFileName.
    std::string IniFileFullName() const;
    // Root + "\" + HKEYPath, or empty when the root name is not valid.
    std::string RegistryKey() const;

    virtual void LoadFromStrings(const TStrings& strings) {}
    virtual void LoadFromRegistry(TSettingsStore& store, const std::string& key) {}
    virtual void Load();
    void Assign(const TPersistent* source) override;

private:
    TComponent* owner_;
    TSettingsStore* store_ = nullptr;
    std::string iniFileName_;
    TStorageType storageType_ = stRegistry;
    std::string hkeyRoot_ = "HKEY_CLASSES_ROOT";
    std::string key_;
    std::string hkeyPath_;
    std::string iniFilePath_;
    std::string iniSection_;
};

class TStringPersistentStorage : public TBasePersistentStorage {
    ORTELLO_CLASS()
public:
    using TBasePersistentStorage::TBasePersistentStorage;

    const std::string& Value() const { return value_; }
    // A different text is stored and written at once; the same text writes nothing.
    void SetValue(std::string_view v);

    void LoadFromStrings(const TStrings& strings) override;
    void LoadFromRegistry(TSettingsStore& store, const std::string& key) override;

private:
    void Write();
    std::string value_;
};

}  // namespace ortello
