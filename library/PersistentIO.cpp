// Object records, typed object files and the INI form of persistent objects.
// Until the object stream is in place these raise, so nothing reports a save
// or load that did not happen.
#include "library/Persistent.h"

namespace ortello {

namespace {
[[noreturn]] void NotAvailable(const char* what) {
    throw EQorException(std::string(what) + " is not available in this build");
}
}  // namespace

void TQorPersistent::WriteToStream(TStream&) { NotAvailable("Writing object records"); }
void TQorPersistent::ReadFromStream(TStream&) { NotAvailable("Reading object records"); }
void TQorPersistent::WriteEncrypted(TStream&, std::string_view) { NotAvailable("Enciphered records"); }
void TQorPersistent::ReadEncrypted(TStream&, std::string_view) { NotAvailable("Enciphered records"); }
bool TQorPersistent::WriteToINI(TQORSectionINIFile&, int&, TINISection*) { NotAvailable("The INI form"); }
void TQorPersistent::ReadFromINI(TQORSectionINIFile&, int&) { NotAvailable("The INI form"); }
std::unique_ptr<TQorPersistent> TQorPersistent::ReadObject(TStream&) { NotAvailable("Reading object records"); }
void TQorPersistent::SaveToStream(TStream&, std::string_view) { NotAvailable("Writing object records"); }
void TQorPersistent::LoadFromStream(TStream&, std::string_view) { NotAvailable("Reading object records"); }
void TQorPersistent::LoadFromFile(const std::string& fileName, std::string_view) {
    if (!FileExists(fileName)) throw EFileDoesNotExist(Fmt(kFileDoesNotExist, fileName));
    NotAvailable("Reading object records");
}
void TQorPersistent::SaveToFile(const std::string&, std::string_view) { NotAvailable("Writing object records"); }
void TQorPersistent::SaveToINIFile(const std::string&, std::string_view) { NotAvailable("The INI form"); }
void TQorPersistent::LoadFromINIFile(const std::string&, std::string_view) { NotAvailable("The INI form"); }
void TQorPersistent::ReadFromINISection(TQORINIFile&, std::string_view) { NotAvailable("The INI form"); }
void TQorPersistent::SaveEncryptedToStream(TStream&, std::string_view) { NotAvailable("Enciphered records"); }
void TQorPersistent::LoadEncryptedFromStream(TStream&, std::string_view) { NotAvailable("Enciphered records"); }
void TQorPersistList::ReadData(TStream&) { NotAvailable("Reading object records"); }
void TQorPersistList::WriteData(TStream&) { NotAvailable("Writing object records"); }
void TQorPersistList::Assign(const TPersistent* source) {
    if (source == this) return;
    if (dynamic_cast<const TQorPersistList*>(source)) NotAvailable("Copying lists through object records");
    TQorPersistent::Assign(source);
}
void TQorPersistList::DefineProperties(TFiler*) {}

}  // namespace ortello
