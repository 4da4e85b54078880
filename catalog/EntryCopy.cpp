#include "catalog/EntryCopy.h"

#include "library/DataLocations.h"
#include "library/ListComponents.h"
#include "library/MessagePort.h"
#include "library/ObjectStream.h"

namespace ortello {

// ---------------------------------------------------------------- copy classes

TCopyClass::TCopyClass() : names_(std::make_unique<TStringList>()) {}

TCopyClass::TCopyClass(const TClassInfo& cls) : TCopyClass() {
    class_ = &cls;
    for (const TPropInfo* p : cls.Properties())
        if (p->Kind() != TTypeKind::tkMethod) names_->Add(p->Name);
}

TCopyClass::~TCopyClass() = default;

const TClassInfo& TCopyClass::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TCopyClass>("TCopyClass", &TQorPersistent::StaticClass()).Build();
    return info;
}

void TCopyClassList::RegisterCopyClass(const TClassInfo& cls) {
    if (!Find(cls)) Add(std::make_unique<TCopyClass>(cls));
}

const TCopyClass* TCopyClassList::Find(const TClassInfo& cls) const {
    for (int i = 0; i < Count(); ++i)
        if (CopyClass(i)->CopiedClass() == &cls) return CopyClass(i);
    return nullptr;
}

const TClassInfo& TCopyClassList::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TCopyClassList>("TCopyClassList", &TQorPersistList::StaticClass()).Build();
    return info;
}

TCopyClassList& CopyClasses() {
    static TCopyClassList list;
    return list;
}

namespace {
std::string ProcessCopyText(const TBasePartEntry& entry) {
    const TEntryCopyController* c = TEntryCopyController::ProcessController();
    return c ? c->GetCopyText(entry) : std::string();
}
}  // namespace

void RegisterCopyClasses() {
    CopyClasses().RegisterCopyClass(TLOMEntry::StaticClass());
    CopyClasses().RegisterCopyClass(TLOMQuoteEntry::StaticClass());
    SetCopyTextSource(&ProcessCopyText);
}

// ---------------------------------------------------------------- TLOMClipBoardEntry

TLOMClipBoardEntry::TLOMClipBoardEntry() = default;
TLOMClipBoardEntry::~TLOMClipBoardEntry() = default;

TComponentPropertyEditor& TLOMClipBoardEntry::Editors() {
    if (!editors_) {
        editors_ = std::make_unique<TComponentPropertyEditor>();
        editors_->AddInstance(this);
    }
    return *editors_;
}

bool TLOMClipBoardEntry::HasEditor(std::string_view name) { return Editors().IndexOfName(name) >= 0; }

bool TLOMClipBoardEntry::PropertyText(std::string_view name, std::string& text) {
    const int i = Editors().IndexOfName(name);
    if (i < 0) return false;
    text = Editors().Editors(i)->GetValue();
    return true;
}

const TClassInfo& TLOMClipBoardEntry::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TLOMClipBoardEntry>("TLOMClipBoardEntry", &TLOMQuoteEntry::StaticClass()).Build();
    return info;
}

// ---------------------------------------------------------------- TEntryCopyController

namespace {
TEntryCopyController* gProcessController = nullptr;
}

TEntryCopyController::TEntryCopyController(TComponent* owner)
    : TQORPersistComponent(owner),
      selected_(std::make_unique<TStringList>()),
      available_(std::make_unique<TStringList>()),
      captions_(std::make_unique<TStringList>()) {
    if (!gProcessController) gProcessController = this;
}

TEntryCopyController::~TEntryCopyController() {
    if (gProcessController == this) gProcessController = nullptr;
    if (IsDesigning() || fileName_.empty()) return;
    const std::string file = SettingsFile();
    if (file.empty()) return;
    // Nothing may escape a destructor; a settings file that cannot be written is
    // reported and the program ends as it would have.
    try {
        ForceDirectories(ExtractFilePath(file));
        SaveToFile(file);
    } catch (const std::exception& e) {
        ShowMessage(Fmt("%0s : %0s", file, e.what()));
    }
}

TEntryCopyController* TEntryCopyController::ProcessController() { return gProcessController; }

std::string TEntryCopyController::SettingsFile() const {
    if (ProgramFolder().empty() || fileName_.empty()) return {};
    std::string folder = ToNativePath(path_);
    if (!folder.empty()) folder = IncludeTrailingPathDelimiter(folder);
    return ProgramFolder() + folder + ToNativePath(fileName_);
}

void TEntryCopyController::Assign(const TPersistent* source) {
    auto* s = dynamic_cast<const TEntryCopyController*>(source);
    if (!s) {
        TQORPersistComponent::Assign(source);
        return;
    }
    if (s == this) return;
    selected_->Assign(s->selected_.get());
    available_->Assign(s->available_.get());
    captions_->Assign(s->captions_.get());
    delimeter_ = s->delimeter_;
}

void TEntryCopyController::Loaded() {
    TQORPersistComponent::Loaded();
    if (IsDesigning() || readingSettings_) return;
    const std::string file = SettingsFile();
    if (file.empty() || !FileExists(file)) return;
    // A settings file that cannot be read leaves the values as they were.
    TStringList selected, available, captions;
    selected.Assign(selected_.get());
    available.Assign(available_.get());
    captions.Assign(captions_.get());
    const std::string path = path_, fileName = fileName_, name = Name();
    const unsigned char delimeter = delimeter_;
    try {
        LoadFromFile(file);
    } catch (const std::exception& e) {
        selected_->Assign(&selected);
        available_->Assign(&available);
        captions_->Assign(&captions);
        path_ = path;
        fileName_ = fileName;
        delimeter_ = delimeter;
        if (Name() != name) SetName(name);
        ShowMessage(Fmt("%0s : %0s", file, e.what()));
    }
}

void TEntryCopyController::LoadFromFile(const std::string& fileName) {
    // Reading ends with Loaded, which must not read the file again.
    readingSettings_ = true;
    try {
        TQORPersistComponent::LoadFromFile(fileName);
    } catch (...) {
        readingSettings_ = false;
        throw;
    }
    readingSettings_ = false;
}

void TEntryCopyController::DefineProperties(TFiler* filer) {
    TQORPersistComponent::DefineProperties(filer);
    auto lines = [filer](const char* name, TStringList& list) {
        filer->DefineProperty(
            name, [&list](TQorReader& r) { list.SetText(r.ReadString()); },
            [&list](TQorWriter& w) { w.WriteString(list.Text()); }, true);
    };
    lines("SF", *selected_);
    lines("AF", *available_);
}

std::string TEntryCopyController::Delimiter() const {
    // Character 0 (a name that matched nothing) separates by nothing rather than
    // putting a NUL into clipboard text.
    if (delimeter_ == 0) return {};
    return Cp1252ToUtf8(std::string(1, static_cast<char>(delimeter_)));
}

TLOMClipBoardEntry& TEntryCopyController::ClipEntry() const {
    if (!clip_) clip_ = std::make_unique<TLOMClipBoardEntry>();
    return *clip_;
}

const TCopyClass* TEntryCopyController::Prepare(const TBasePartEntry& entry) const {
    const TCopyClass* cc = CopyClasses().Find(entry.ClassInfo());
    if (!cc) return nullptr;
    TLOMClipBoardEntry& clip = ClipEntry();
    if (!dynamic_cast<const TLOMQuoteEntry*>(&entry)) {
        // Nothing of an earlier quote line (its list, cable, option) may price this entry.
        static const TLOMQuoteEntry blank;
        clip.Assign(&blank);
    }
    clip.Assign(&entry);
    return cc;
}

void TEntryCopyController::Release() const {
    // The entry's list may go away before the next copy.
    if (clip_) clip_->SetQuoteList(nullptr);
}

std::string TEntryCopyController::GetCopyText(const TBasePartEntry& entry) const {
    const TCopyClass* cc = Prepare(entry);
    if (!cc) return {};
    const std::string delimiter = Delimiter();
    std::string out;
    bool first = true;
    for (int i = 0; i < selected_->Count(); ++i) {
        const std::string& name = selected_->Get(i);
        std::string value;
        if (!cc->HasProperty(name) || !ClipEntry().PropertyText(name, value)) continue;
        if (!first) out += delimiter;
        out += value;
        first = false;
    }
    Release();
    return out;
}

std::string TEntryCopyController::GetCaptionLine(const TBasePartEntry& entry) const {
    const TCopyClass* cc = Prepare(entry);
    if (!cc) return {};
    const std::string delimiter = Delimiter();
    const std::string symbol = CurrencyText(entry.PriceCurrency()).Symbol;
    std::string out;
    for (int i = 0; i < selected_->Count(); ++i) {
        const std::string& name = selected_->Get(i);
        if (!cc->HasProperty(name) || !ClipEntry().HasEditor(name)) continue;
        const int k = captions_->IndexOfName(name);
        if (k < 0) continue;
        std::string caption = captions_->ValueFromIndex(k);
        if (caption.find("%0s") != std::string::npos) {
            // A caption edited into something the formatter rejects is shown as written.
            try {
                caption = Fmt(caption, symbol);
            } catch (const EConvertError&) {
            }
        }
        out += caption;
        out += delimiter;
    }
    Release();
    return out;
}

const TClassInfo& TEntryCopyController::StaticClass() {
    using C = TEntryCopyController;
    static const TClassInfo* info = [] {
        ClassBuilder<C> b("TEntryCopyController", &TQORPersistComponent::StaticClass());
        b.Factory([] { return std::unique_ptr<TObject>(new TEntryCopyController(nullptr)); })
            .Prop("Selected", TypeTStrings(), &C::Selected, &C::SetSelected)
            .Stored(false)
            .Prop("Available", TypeTStrings(), &C::Available, &C::SetAvailable)
            .Stored(false)
            .Prop("Captions", TypeTStrings(), &C::Captions, &C::SetCaptions)
            .Prop("Path", TypeString(), &C::Path, &C::SetPath)
            .Prop("FileName", TypeString(), &C::FileName, &C::SetFileName)
            .Prop("Delimeter", TypeChar(), &C::Delimeter, &C::SetDelimeter);
        return b.Build();
    }();
    return *info;
}

std::string QuoteListCopyText(const TQuoteList& list, const TEntryCopyController& controller) {
    if (list.Count() == 0) return {};
    std::string out = controller.GetCaptionLine(*list.Entry(0));
    out += "\r\n";
    for (int i = 0; i < list.Count(); ++i) {
        if (i > 0) out += "\r\n";
        out += controller.GetCopyText(*list.Entry(i));
    }
    return out;
}

// ---------------------------------------------------------------- character names

const TClassInfo& TCharName::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TCharName>("TCharName", &TQorPersistent::StaticClass()).Build();
    return info;
}

TCharNamesList::TCharNamesList() : TQorPersistList(true) {
    Add(std::make_unique<TCharName>("<TAB>", 9));
    Add(std::make_unique<TCharName>("<CR>", 13));
    Add(std::make_unique<TCharName>("<LF>", 10));
    Add(std::make_unique<TCharName>("<SPACE>", 32));
    for (int c = 33; c <= 127; ++c)
        Add(std::make_unique<TCharName>(std::string(1, static_cast<char>(c)), static_cast<unsigned char>(c)));
}

int TCharNamesList::IndexOfName(std::string_view name) const {
    for (int i = 0; i < Count(); ++i)
        if (SameText(CharName(i)->Name(), name)) return i;
    return -1;
}

int TCharNamesList::IndexOfChar(unsigned char c) const {
    for (int i = 0; i < Count(); ++i)
        if (CharName(i)->Char() == c) return i;
    return -1;
}

const TClassInfo& TCharNamesList::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TCharNamesList>("TCharNamesList", &TQorPersistList::StaticClass()).Build();
    return info;
}

const TCharNamesList& CharNames() {
    static const TCharNamesList names;
    return names;
}

// ---------------------------------------------------------------- TDelimeterPE, TOpenFileNamePE

const TClassInfo& TDelimeterPE::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TDelimeterPE>("TDelimeterPE", &TCharProperty::StaticClass()).Build();
    return info;
}

std::string TDelimeterPE::GetValue() {
    const auto c = static_cast<unsigned char>(GetOrdValue() & 0xFF);
    const int i = CharNames().IndexOfChar(c);
    if (i >= 0) return CharNames().CharName(i)->Name();
    // Control characters have no face of their own.
    if (c < 32) return "#" + IntToStr(c);
    return Cp1252ToUtf8(std::string(1, static_cast<char>(c)));
}

void TDelimeterPE::SetValue(std::string_view text) {
    const int i = CharNames().IndexOfName(text);
    SetOrdValue(i >= 0 ? CharNames().CharName(i)->Char() : 0);
}

void TDelimeterPE::GetValues(const std::function<void(const std::string&)>& proc) {
    for (int i = 0; i < CharNames().Count(); ++i) proc(CharNames().CharName(i)->Name());
}

const TClassInfo& TOpenFileNamePE::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TOpenFileNamePE>("TOpenFileNamePE", &TStringProperty::StaticClass()).Build();
    return info;
}

void TOpenFileNamePE::Edit() {
    TOpenFileRequest request;
    request.Title = "Select File";
    request.Filter = "(Text Files *.txt)|*.txt|(All Files *.*)|*.*";
    request.OverwritePrompt = true;
    request.PathMustExist = true;
    request.FileName = GetStrValue();
    const std::string folder = ExtractFilePath(request.FileName);
    if (!folder.empty() && DirectoryExists(folder)) {
        request.InitialDir = folder;
    } else if (auto* list = dynamic_cast<TQORBaseListComponent*>(GetComponent(0))) {
        const std::string path = list->GetPath();
        if (!path.empty() && DirectoryExists(path)) request.InitialDir = path;
    }
    if (EditorDialogs().ExecuteOpenFileDialog(request)) SetValue(request.FileName);
}

void RegisterQuoteEditors() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterEditor(TypeChar(), &TEntryCopyController::StaticClass(), "Delimeter", TDelimeterPE::StaticClass());
    RegisterEditor(TypeTFileName(), &TVelmarDataListComponent::StaticClass(), "FileName",
                   TOpenFileNamePE::StaticClass());
}

}  // namespace ortello
