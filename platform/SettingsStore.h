// The per-user settings store that stands in for the registry.
//
// File format (fixed; other tools write it): sections named by the full key path,
//   [HKEY_CURRENT_USER\Software\Velmar\Common Files]
//   Path=/srv/velmar/common
//   @=the key's default value
// holding the key's string values; subkeys are the sections whose names extend the
// key's path. Lines starting with ';' or '#' are comments. UTF-8 text.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace ortello {

class TSettingsStore {
public:
    // Opens (reads) the store at path; a missing file is an empty store.
    explicit TSettingsStore(std::string path);

    // The process-wide store: $ORTELLO_REGISTRY, else $XDG_CONFIG_HOME/ortello/registry.ini
    // (~/.config/ortello/registry.ini).
    static TSettingsStore& Default();
    static std::string DefaultPath();
    // Points Default() at another file (tests, --registry).
    static void SetDefaultPath(const std::string& path);

    const std::string& Path() const { return path_; }

    // Key paths are full ("HKEY_CURRENT_USER\Software\Velmar"); "HKCU\..." and the other
    // short root names are accepted. Names compare ignoring ASCII case.
    static std::string NormalizeKey(std::string_view key);

    bool KeyExists(std::string_view key) const;
    // Creates the key (and nothing else); saves when it was missing.
    void CreateKey(std::string_view key);
    bool DeleteKey(std::string_view key);  // with its subkeys
    bool ValueExists(std::string_view key, std::string_view name) const;
    // "" or "@" is the default value.
    bool ReadString(std::string_view key, std::string_view name, std::string& value) const;
    std::string ReadString(std::string_view key, std::string_view name, std::string_view fallback = {}) const;
    // Saves at once, and only when the value changed.
    void WriteString(std::string_view key, std::string_view name, std::string_view value);
    bool DeleteValue(std::string_view key, std::string_view name);
    std::vector<std::string> ValueNames(std::string_view key) const;
    // Direct subkeys, by their last path element.
    std::vector<std::string> SubKeyNames(std::string_view key) const;

    // Re-reads the file (another tool may have written it).
    void Reload();
    // Writes the file atomically; raises on failure.
    void Save() const;
    // While held, writes are kept in memory and saved once at the end.
    void BeginUpdate() { ++updating_; }
    void EndUpdate();

private:
    struct Key {
        std::string name;  // as first written
        std::vector<std::pair<std::string, std::string>> values;
    };
    const Key* Find(std::string_view key) const;
    Key& Ensure(std::string_view key, bool& created);
    void Changed();

    std::string path_;
    std::map<std::string, Key> keys_;  // by upper-cased normalised path
    int updating_ = 0;
    bool dirty_ = false;
};

}  // namespace ortello
