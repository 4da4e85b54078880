// The registered data folders and the locations derived from them.
#pragma once

#include <array>
#include <string>

#include "library/TypeInfo.h"

namespace ortello {

class TSettingsStore;

enum TRegistryPaths { rpDefaultPath, rpCommonFiles, rpSelvane, rpGuidora, rpHTML, rpRavek, rpPelnor };
inline constexpr int kRegistryPathCount = 7;
const TTypeInfo* TypeTRegistryPaths();

struct TRegistryEntry {
    const char* Key;  // under HKEY_CURRENT_USER; empty for the program folder
};
extern const std::array<TRegistryEntry, kRegistryPathCount> kRegistryEntries;

// The folder a value stands for: empty, or ending in '/'. Written once at start-up.
const std::string& DataLocation(TRegistryPaths which);
void SetDataLocation(TRegistryPaths which, const std::string& folder);

// The program folder (the application home), ending in '/'.
const std::string& ProgramFolder();
std::string BinFolder();
std::string QuotesFolder();
std::string ImagesFolder();
std::string SpecsViewer();
std::string PatternViewer();
std::string CommonFilesFolder();

// Picture file extensions, in lookup order.
inline constexpr std::array<const char*, 4> kPictureExtensions = {".gif", ".jpg", ".jpeg", ".bmp"};

// Reads the six registered folders (creating missing keys), then sets the program folder.
// A "Path" value gets a trailing '/' unless empty; backslashes become '/'.
void ReadRegisteredFolders(TSettingsStore& store, const std::string& programFolder);

// Resolves the application home: --home, else $ORTELLO_HOME, else ~/.local/share/ortello.
std::string ResolveApplicationHome(const std::string& homeOption);

}  // namespace ortello
