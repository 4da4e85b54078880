#include "library/PersistentStorage.h"

#include "library/DataLocations.h"
#include "library/PropertyAttach.h"
#include "library/SectionIniFile.h"
#include "platform/SettingsStore.h"

namespace ortello {

const TTypeInfo* TypeTStorageType() {
    static const TTypeInfo* t = MakeEnumType("TStorageType", {"stRegistry", "stIniFile"});
    return t;
}

std::string RegistryRootName(std::string_view name) {
    static const char* const roots[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",    "HKEY_LOCAL_MACHINE",
                                        "HKEY_USERS",        "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG",
                                        "HKEY_DYN_DATA"};
    for (const char* r : roots)
        if (SameText(r, name)) return r;
    return {};
}

const TClassInfo& TBasePersistentStorage::StaticClass() {
    using S = TBasePersistentStorage;
    static const TClassInfo& info =
        *ClassBuilder<S>("TBasePersistentStorage", &TPersistent::StaticClass())
             .Factory([] { return std::unique_ptr<TObject>(new S(nullptr)); })
             .Prop("IniFileName", TypeTFileName(), &S::IniFileName, &S::SetIniFileName)
             .Prop("StorageType", TypeTStorageType(), &S::StorageType, &S::SetStorageType)
             .Default(stRegistry)
             .Prop("HKEYRoot", TypeString(), &S::HKEYRoot, &S::SetHKEYRoot)
             .Prop("Key", TypeString(), &S::Key, &S::SetKey)
             .Prop("HKEYPath", TypeString(), &S::HKEYPath, &S::SetHKEYPath)
             .Prop("IniFilePath", TypeString(), &S::IniFilePath, &S::SetIniFilePath)
             .Prop("IniSection", TypeString(), &S::IniSection, &S::SetIniSection)
             .Build();
    return info;
}

const TClassInfo& TStringPersistentStorage::StaticClass() {
    using S = TStringPersistentStorage;
    static const TClassInfo& info = *ClassBuilder<S>("TStringPersistentStorage", &TBasePersistentStorage::StaticClass())
                                         .Factory([] { return std::unique_ptr<TObject>(new S(nullptr)); })
                                         .Prop("Value", TypeString(), &S::Value, &S::SetValue)
                                         .Build();
    return info;
}

std::string TBasePersistentStorage::Key() const {
    if (!TrimView(key_).empty()) return key_;
    const TComponent* form = OwnerFormOf(owner_);
    return (form ? form->Name() : std::string()) + "-" + (owner_ ? owner_->Name() : std::string());
}

TSettingsStore& TBasePersistentStorage::Store() const { return store_ ? *store_ : TSettingsStore::Default(); }

std::string TBasePersistentStorage::IniFileFullName() const {
    return ProgramFolder() + ToNativePath(iniFilePath_) + ToNativePath(iniFileName_);
}

std::string TBasePersistentStorage::RegistryKey() const {
    const std::string root = RegistryRootName(hkeyRoot_);
    if (root.empty()) return {};
    std::string_view path = hkeyPath_;
    while (!path.empty() && (path.front() == '\\' || path.front() == '/')) path.remove_prefix(1);
    return path.empty() ? root : root + "\\" + std::string(path);
}

void TBasePersistentStorage::Load() {
    if (storageType_ == stRegistry) {
        const std::string key = RegistryKey();
        if (key.empty()) return;
        TSettingsStore& store = Store();
        store.CreateKey(key);
        LoadFromRegistry(store, key);
    } else {
        TQORINIFile ini(IniFileFullName());
        if (!ini.SectionExists(iniSection_)) return;
        TStringList lines;
        ini.ReadSectionValues(iniSection_, lines);
        LoadFromStrings(lines);
    }
}

void TBasePersistentStorage::Assign(const TPersistent* source) {
    if (const auto* s = dynamic_cast<const TBasePersistentStorage*>(source)) {
        iniFileName_ = s->iniFileName_;
        storageType_ = s->storageType_;
        hkeyRoot_ = s->hkeyRoot_;
        key_ = s->key_;
        hkeyPath_ = s->hkeyPath_;
        iniFilePath_ = s->iniFilePath_;
        iniSection_ = s->iniSection_;
        return;
    }
    TPersistent::Assign(source);
}

void TStringPersistentStorage::SetValue(std::string_view v) {
    if (v == value_) return;
    value_.assign(v);
    Write();
}

void TStringPersistentStorage::Write() {
    const std::string name = Key();
    if (StorageType() == stRegistry) {
        const std::string key = RegistryKey();
        if (key.empty()) return;
        TSettingsStore& store = Store();
        store.BeginUpdate();
        try {
            store.CreateKey(key);
            const std::string sub = key + "\\" + name;
            if (!store.KeyExists(sub)) store.CreateKey(sub);
            store.WriteString(key, name, value_);
        } catch (...) {
            store.EndUpdate();
            throw;
        }
        store.EndUpdate();
    } else {
        const std::string file = IniFileFullName();
        ForceDirectories(ExtractFilePath(file));
        TQORINIFile ini(file);
        ini.WriteString(IniSection(), name, value_);
        ini.UpdateFile();
    }
}

void TStringPersistentStorage::LoadFromStrings(const TStrings& strings) { value_ = strings.Value(Key()); }

void TStringPersistentStorage::LoadFromRegistry(TSettingsStore& store, const std::string& key) {
    value_ = store.ReadString(key, Key(), "");
}

}  // namespace ortello
