#include "app/Startup.h"

#include "app/DataModule.h"
#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogEditors.h"
#include "catalog/CustomerPrices.h"
#include "catalog/EntryCopy.h"
#include "catalog/QuoteModel.h"
#include "library/DataLocations.h"
#include "library/FindFile.h"
#include "library/ListComponents.h"
#include "library/Persistent.h"
#include "platform/SettingsStore.h"

namespace ortello {

void RegisterAllClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterPersistentClasses();
    RegisterListComponentClasses();
    RegisterCatalogEntryClasses();
    RegisterCatalogTreeClasses();
    RegisterCatalogDatabaseClasses();
    RegisterCustomerPriceClasses();
    RegisterQuoteClasses();
    RegisterApplicationClasses();
    RegisterFindFileClasses();
    RegisterLibraryEditors();
    RegisterCatalogEditors();
    RegisterQuoteEditors();
}

void InitializeModule(const TStartupOptions& options) {
    LoadFormatSettingsFromLocale();
    RegisterAllClasses();
    const std::string home = ResolveApplicationHome(options.Home);
    ReadRegisteredFolders(TSettingsStore::Default(), home);
    for (const char* sub : {"bin/", "quotes/"}) {
        const std::string folder = ProgramFolder() + sub;
        if (!ForceDirectories(folder)) throw EInOutError(Fmt("Unable to create directory \"%0s\"", folder));
    }
}

}  // namespace ortello
