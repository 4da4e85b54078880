// Object records, typed object files and the INI form of persistent objects.
#include <cstring>

#include "library/Blowfish.h"
#include "library/ObjectStream.h"
#include "library/Persistent.h"

namespace ortello {

namespace {
bool HasSignature(const TSignature& s) { return s[0] != 0; }
}  // namespace

void TQorPersistent::WriteToStream(TStream& stream) {
    TQorWriter writer(stream);
    writer.WriteObject(*this, "");
    writer.FlushBuffer();
}

void TQorPersistent::ReadFromStream(TStream& stream) {
    TQorReader reader(stream);
    reader.OnError = [this](TQorReader* r, const std::string& msg, bool& handled) { ReaderError(r, msg, handled); };
    reader.ReadObject(std::nullopt, *this);
}

std::unique_ptr<TQorPersistent> TQorPersistent::ReadObject(TStream& stream) {
    TQorReader reader(stream);
    reader.OnError = [](TQorReader*, const std::string&, bool& handled) { handled = true; };
    return reader.ReadObject(std::nullopt);
}

void TQorPersistent::SaveToStream(TStream& stream, std::string_view key) {
    TSignature sig;
    GetSignature(sig);
    if (HasSignature(sig)) stream.WriteBuffer(sig.data(), 8);
    const std::string k = NormalizeKey(key);
    if (k.empty())
        WriteToStream(stream);
    else
        WriteEncrypted(stream, k);
}

void TQorPersistent::LoadFromStream(TStream& stream, std::string_view key) {
    TSignature sig;
    GetSignature(sig);
    if (HasSignature(sig)) {
        TSignature read;
        stream.ReadBuffer(read.data(), 8);
        if (read != sig) throw EInvalidFileSignature(Fmt("%0s in %0s", kInvalidFileType, ClassName()));
    }
    const std::string k = NormalizeKey(key);
    if (k.empty())
        ReadFromStream(stream);
    else
        ReadEncrypted(stream, k);
}

void TQorPersistent::LoadFromFile(const std::string& fileName, std::string_view key) {
    if (!FileExists(fileName)) throw EFileDoesNotExist(Fmt(kFileDoesNotExist, fileName));
    const std::string bytes = ReadFileBytes(fileName);
    TReadOnlyMemoryStream stream(bytes);
    LoadFromStream(stream, key);
}

void TQorPersistent::SaveToFile(const std::string& fileName, std::string_view key) {
    // Everything is written in memory first and renamed over the old file, so a
    // failing save leaves that file as it was.
    TMemoryStream buffer;
    SaveToStream(buffer, key);
    buffer.SaveToFile(fileName);
}

void TQorPersistent::WriteEncrypted(TStream& stream, std::string_view key) {
    const std::string k = NormalizeKey(key);
    if (k.empty()) {
        WriteToStream(stream);
        return;
    }
    TMemoryStream plain;
    WriteToStream(plain);
    plain.SetPosition(0);
    TBlowfishSubStream cipher;
    cipher.SetKey(k);
    cipher.EncryptFrom(plain);
    stream.WriteBuffer(cipher.Memory(), cipher.Size());
}

void TQorPersistent::ReadEncrypted(TStream& stream, std::string_view key) {
    const std::string k = NormalizeKey(key);
    if (k.empty()) {
        ReadFromStream(stream);
        return;
    }
    TBlowfishSubStream plain;
    plain.SetKey(k);
    plain.DecryptFrom(stream);
    ReadFromStream(plain);
}

// The signature goes inside the enciphered bytes, where LoadEncryptedFromStream
// expects it.
void TQorPersistent::SaveEncryptedToStream(TStream& stream, std::string_view key) {
    const std::string k = NormalizeKey(key);
    if (k.empty()) {
        SaveToStream(stream);
        return;
    }
    TMemoryStream plain;
    SaveToStream(plain);
    plain.SetPosition(0);
    TBlowfishSubStream cipher;
    cipher.SetKey(k);
    cipher.EncryptFrom(plain);
    stream.WriteBuffer(cipher.Memory(), cipher.Size());
}

void TQorPersistent::LoadEncryptedFromStream(TStream& stream, std::string_view key) {
    const std::string k = NormalizeKey(key);
    if (k.empty()) {
        LoadFromStream(stream);
        return;
    }
    TBlowfishSubStream plain;
    plain.SetKey(k);
    plain.DecryptFrom(stream);
    plain.SetPosition(0);
    LoadFromStream(plain);
}

// ---------------------------------------------------------------- lists

void TQorPersistList::WriteData(TStream& stream) {
    TQorWriter writer(stream);
    writer.WriteListBegin();
    writer.WriteBoolean(OwnsObjects());
    for (int i = 0; i < Count(); ++i) {
        try {
            writer.WriteObject(*Items(i), "");
        } catch (const std::exception&) {
            throw Exception(Fmt("%0d", i));
        }
    }
    writer.WriteListEnd();
    writer.FlushBuffer();
}

void TQorPersistList::ReadData(TStream& stream) {
    // Items not owned are only dropped, never freed: they belong to someone else.
    Clear();
    TQorReader reader(stream, this);
    if (OnReaderError)
        reader.OnError = OnReaderError;
    else
        reader.OnError = [this](TQorReader* r, const std::string& msg, bool& handled) { ReaderError(r, msg, handled); };
    reader.ReadListBegin();
    SetOwnsObjects(reader.ReadBoolean());
    while (!reader.EndOfList()) Add(reader.ReadObject(std::nullopt));
    reader.ReadListEnd();
    Changed();
}

void TQorPersistList::DefineProperties(TFiler* filer) {
    filer->DefineBinaryProperty(
        "PL", [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); }, true);
}

void TQorPersistList::LoadFromStream(TStream& stream, std::string_view key) {
    Clear();
    TQorPersistent::LoadFromStream(stream, key);
}

void TQorPersistList::Assign(const TPersistent* source) {
    const auto* src = dynamic_cast<const TQorPersistList*>(source);
    if (!src) throw EInvalidCast(kInvalidCast);
    TMemoryStream buffer;
    const_cast<TQorPersistList*>(src)->WriteToStream(buffer);
    buffer.SetPosition(0);
    Clear();
    ReadFromStream(buffer);
}

}  // namespace ortello
