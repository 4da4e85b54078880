#include "library/PersistComponent.h"

#include "library/ObjectStream.h"
#include "library/PersistentIni.h"

namespace ortello {

const TClassInfo& TQORPersistComponent::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TQORPersistComponent>("TQORPersistComponent", &TComponent::StaticClass())
             .Factory([] { return std::unique_ptr<TObject>(new TQORPersistComponent(nullptr)); })
             .Build();
    return info;
}

void TQORPersistComponent::ReaderError(TQorReader*, const std::string&, bool& handled) { handled = false; }
void TQORPersistComponent::GetSignature(TSignature& signature) const { signature.fill(0); }

std::string TQORPersistComponent::GetDefaultPrefix() const {
    std::string name = ClassName();
    if (!name.empty() && (name[0] == 'T' || name[0] == 't')) name.erase(0, 1);
    return name;
}

void TQORPersistComponent::SaveToStream(TStream& stream) {
    TSignature sig;
    GetSignature(sig);
    if (sig[0] != 0) stream.WriteBuffer(sig.data(), 8);
    TQorWriter writer(stream);
    writer.Root = Owner();
    writer.WriteComponent(*this);
    writer.FlushBuffer();
}

void TQORPersistComponent::LoadFromStream(TStream& stream) {
    TSignature sig;
    GetSignature(sig);
    if (sig[0] != 0) {
        TSignature read;
        stream.ReadBuffer(read.data(), 8);
        if (read != sig) throw EInvalidFileSignature(Fmt("%0s in %0s", kInvalidFileType, ClassName()));
    }
    TQorReader reader(stream);
    reader.Root = Owner();
    reader.OnError = [this](TQorReader* r, const std::string& msg, bool& handled) { ReaderError(r, msg, handled); };
    SetLoading(true);
    try {
        reader.ReadComponent(*this);
        reader.FixupReferences();
    } catch (...) {
        SetLoading(false);
        throw;
    }
    SetLoading(false);
    Loaded();
}

void TQORPersistComponent::LoadFromFile(const std::string& fileName) {
    if (!FileExists(fileName)) throw EFileDoesNotExist(Fmt(kFileDoesNotExist, fileName));
    const std::string bytes = ReadFileBytes(fileName);
    TReadOnlyMemoryStream stream(bytes);
    LoadFromStream(stream);
}

void TQORPersistComponent::SaveToFile(const std::string& fileName) {
    TMemoryStream buffer;
    SaveToStream(buffer);
    buffer.SaveToFile(fileName);
}

void TQORPersistComponent::SaveToINIFile(const std::string& fileName, std::string_view prefix) {
    TQORINIFile ini(fileName);
    TQORSectionINIFile view(prefix.empty() ? GetDefaultPrefix() : std::string(prefix), ini);
    view.RemovePrefixed();
    view.Sections().Add(0, "");
    int sectionNo = 1;
    const int own = sectionNo;
    WriteObjectINI(view, sectionNo, nullptr, *this, ClassName());
    view.WriteString(0, Name(), view.Prefix() + IntToStr(own));
    view.WriteInteger(0, "Item Count", sectionNo);
    view.Commit();
    ini.UpdateFile();
}

void TQORPersistComponent::LoadFromINIFile(const std::string& fileName, std::string_view prefix) {
    TQORINIFile ini(fileName);
    TQORSectionINIFile view(prefix.empty() ? GetDefaultPrefix() : std::string(prefix), ini);
    view.TakePrefixed();
    const std::string ref = view.ReadString(0, Name(), "");
    int64_t n;
    if (ref.empty() || !TryStrToInt64(Trim(StringReplace(ref, view.Prefix(), "", true)), n) || n < INT32_MIN ||
        n > INT32_MAX)
        return;
    const std::string type = view.ReadString(static_cast<int>(n), "Type", "");
    const TClassInfo* cls = FindClass(type);
    if (!SameText(type, ClassName()) && !(cls && InheritsFrom(*cls))) return;
    ReadObjectINI(view, static_cast<int>(n), *this);
}

}  // namespace ortello
