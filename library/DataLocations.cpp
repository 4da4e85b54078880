#include "library/DataLocations.h"

#include <cstdlib>

#include "library/SysUtils.h"
#include "platform/SettingsStore.h"

namespace ortello {

const TTypeInfo* TypeTRegistryPaths() {
    static const TTypeInfo* t = MakeEnumType(
        "TRegistryPaths", {"rpDefaultPath", "rpCommonFiles", "rpSelvane", "rpGuidora", "rpHTML", "rpRavek", "rpPelnor"});
    return t;
}

const std::array<TRegistryEntry, kRegistryPathCount> kRegistryEntries = {{
    {""},
    {"Software\\Velmar\\Common Files"},
    {"Software\\Velmar\\Selvane"},
    {"Software\\Velmar\\Guidora"},
    {"Software\\Velmar\\HTML"},
    {"Software\\Velmar\\Ravek"},
    {"Software\\Velmar\\Pelnor"},
}};

namespace {
std::array<std::string, kRegistryPathCount>& Folders() {
    static std::array<std::string, kRegistryPathCount> folders;
    return folders;
}
}  // namespace

const std::string& DataLocation(TRegistryPaths which) {
    static const std::string empty;
    if (which < 0 || which >= kRegistryPathCount) return empty;
    return Folders()[static_cast<size_t>(which)];
}

void SetDataLocation(TRegistryPaths which, const std::string& folder) {
    if (which >= 0 && which < kRegistryPathCount) Folders()[static_cast<size_t>(which)] = folder;
}

const std::string& ProgramFolder() { return DataLocation(rpDefaultPath); }
std::string BinFolder() { return ProgramFolder() + "bin/"; }
std::string QuotesFolder() { return ProgramFolder() + "quotes/"; }
std::string ImagesFolder() { return DataLocation(rpHTML) + "images/"; }
std::string SpecsViewer() { return DataLocation(rpSelvane) + "Specs.exe"; }
std::string PatternViewer() { return DataLocation(rpRavek) + "Ravek.exe"; }
std::string CommonFilesFolder() { return DataLocation(rpCommonFiles); }

void ReadRegisteredFolders(TSettingsStore& store, const std::string& programFolder) {
    store.BeginUpdate();
    for (int i = 1; i < kRegistryPathCount; ++i) {
        const std::string key = std::string("HKEY_CURRENT_USER\\") + kRegistryEntries[static_cast<size_t>(i)].Key;
        if (!store.KeyExists(key)) store.CreateKey(key);
        std::string folder = ToNativePath(Trim(store.ReadString(key, "Path")));
        if (!folder.empty() && folder.back() != '/') folder += '/';
        SetDataLocation(static_cast<TRegistryPaths>(i), folder);
    }
    try {
        store.EndUpdate();
    } catch (const std::exception&) {
        // Settings that cannot be written are not reported; reading went on.
    }
    SetDataLocation(rpDefaultPath, IncludeTrailingPathDelimiter(programFolder));
}

std::string ResolveApplicationHome(const std::string& homeOption) {
    std::string home = homeOption;
    if (home.empty())
        if (const char* env = std::getenv("ORTELLO_HOME"); env && *env) home = env;
    if (home.empty()) {
        if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg && xdg[0] == '/')
            home = std::string(xdg) + "/ortello";
        else if (const char* h = std::getenv("HOME"); h && *h)
            home = std::string(h) + "/.local/share/ortello";
        else
            home = "/tmp/ortello";
    }
    return IncludeTrailingPathDelimiter(home);
}

}  // namespace ortello
