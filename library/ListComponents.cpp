#include "library/ListComponents.h"

#include <algorithm>

#include "library/PartRecords.h"

namespace ortello {

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t i = 0;
    while (i < text.size()) {
        size_t j = i;
        while (j < text.size() && text[j] != '\r' && text[j] != '\n') ++j;
        lines.push_back(text.substr(i, j - i));
        if (j < text.size() && text[j] == '\r') ++j;
        if (j < text.size() && text[j] == '\n') ++j;
        i = j;
    }
    return lines;
}

// ---------------------------------------------------------------- TQORBaseListComponent

const TClassInfo& TQORBaseListComponent::StaticClass() {
    using C = TQORBaseListComponent;
    static const TClassInfo& info =
        *ClassBuilder<C>("TQORBaseListComponent", &TComponent::StaticClass())
             .Prop("FileName", TypeTFileName(), &C::FileName, &C::SetFileName)
             .Prop("Path", TypeString(), &C::Path, &C::SetPath)
             .Prop("AutoLoad", TypeBoolean(), &C::AutoLoad, &C::SetAutoLoad)
             .Default(1)
             .Prop("Required", TypeBoolean(), &C::Required, &C::SetRequired)
             .Default(0)
             .Build();
    return info;
}

TQORBaseListComponent::TQORBaseListComponent(TComponent* owner) : TComponent(owner) {}
TQORBaseListComponent::~TQORBaseListComponent() = default;

std::unique_ptr<TQORObjectList> TQORBaseListComponent::CreateList() { return nullptr; }

std::function<void(const std::string&)> TQORBaseListComponent::GetOnLoadStart() const {
    return list_ ? list_->OnLoadStart : nullptr;
}
TListStatus TQORBaseListComponent::GetOnProgress() const { return list_ ? list_->OnProgress : nullptr; }
void TQORBaseListComponent::SetOnLoadStart(std::function<void(const std::string&)> handler) {
    if (list_) list_->OnLoadStart = std::move(handler);
}
void TQORBaseListComponent::SetOnProgress(TListStatus handler) {
    if (list_) list_->OnProgress = std::move(handler);
}
void TQORBaseListComponent::DoProgress(int number, int count) {
    if (list_) list_->DoProgress(number, count);
}
void TQORBaseListComponent::DoLoadStart(const std::string& fileName) {
    if (list_) list_->DoLoadStart(fileName);
}

std::string TQORBaseListComponent::GetPath() const { return path_; }

void TQORBaseListComponent::LoadFile(const std::string& path) {
    if (list_) list_->LoadRecords(path);
}

void TQORBaseListComponent::LoadData() {
    try {
        const std::string folder = ToNativePath(GetPath());
        const std::string a = ProgramFolder() + folder + fileName_;
        const std::string b = folder + fileName_;
        if (FileExists(a))
            LoadFile(a);
        else if (FileExists(b))
            LoadFile(b);
        else
            throw EListFileOpenError(Fmt("Cannot Find File \"%0s\"", fileName_));
    } catch (const EFOpenError& e) {
        if (required_) DoLoadError(e.Message());
    } catch (const std::exception& e) {
        DoLoadError(e.what());
    }
}

void TQORBaseListComponent::DoLoadError(const std::string& msg) {
    if (OnLoadError) OnLoadError(this, msg);
}

void TQORBaseListComponent::Loaded() {
    TComponent::Loaded();
    if (autoLoad_ && !IsDesigning()) LoadData();
}

void TQORBaseListComponent::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TQORBaseListComponent*>(source)) {
        fileName_ = other->fileName_;
        path_ = other->path_;
        if (list_ && other->list_) list_->Assign(other->list_.get());
        return;
    }
    TComponent::Assign(source);
}

// ---------------------------------------------------------------- TVelmarDataListComponent

const TClassInfo& TVelmarDataListComponent::StaticClass() {
    using C = TVelmarDataListComponent;
    static const TClassInfo& info =
        *ClassBuilder<C>("TVelmarDataListComponent", &TQORBaseListComponent::StaticClass())
             .Prop("DataPath", TypeTRegistryPaths(), &C::DataPath, &C::SetDataPath)
             .Default(rpDefaultPath)
             .Build();
    return info;
}

std::string TVelmarDataListComponent::GetPath() const {
    if (IsDesigning()) return ConfiguredPath();
    if (dataPath_ == rpDefaultPath) return ProgramFolder() + NativePath();
    return DataLocation(dataPath_);
}

void TVelmarDataListComponent::Assign(const TPersistent* source) {
    TQORBaseListComponent::Assign(source);
    if (auto* other = dynamic_cast<const TVelmarDataListComponent*>(source)) dataPath_ = other->dataPath_;
}

// ---------------------------------------------------------------- TQORListController

const TClassInfo& TQORListController::StaticClass() {
    using C = TQORListController;
    static const TClassInfo& info =
        *ClassBuilder<C>("TQORListController", &TComponent::StaticClass())
             .Prop("MultiThreaded", TypeBoolean(), &C::MultiThreaded, &C::SetMultiThreaded)
             .Default(0)
             .Build();
    return info;
}

TQORListController::TQORListController(TComponent* owner) : TComponent(owner) {
    if (owner)
        for (int i = 0; i < owner->ComponentCount(); ++i)
            if (auto* c = dynamic_cast<TQORBaseListComponent*>(owner->Components(i))) components_.push_back(c);
}

TQORListController::~TQORListController() = default;

void TQORListController::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    auto* c = dynamic_cast<TQORBaseListComponent*>(component);
    if (!c) return;
    auto it = std::find(components_.begin(), components_.end(), c);
    if (operation == TOperation::opInsert) {
        if (it == components_.end() && c->Owner() == Owner()) components_.push_back(c);
    } else if (it != components_.end()) {
        components_.erase(it);
        if (current_ == c) current_ = nullptr;
    }
}

void TQORListController::LoadLists() {
    files_ = static_cast<int>(std::count_if(components_.begin(), components_.end(),
                                             [](TQORBaseListComponent* c) { return !c->AutoLoad(); }));
    fileNo_ = 0;
    // A copy: loading may add or remove components.
    const std::vector<TQORBaseListComponent*> list = components_;
    for (TQORBaseListComponent* c : list) {
        if (std::find(components_.begin(), components_.end(), c) == components_.end() || c->AutoLoad()) continue;
        ++fileNo_;
        current_ = c;
        c->OnLoadError = [this](TObject* sender, const std::string& msg) {
            loadErrors_.AddObject(msg, sender);
        };
        c->SetOnProgress([this](int number, int count) {
            if (OnStatus) OnStatus(number, count);
        });
        c->SetOnLoadStart([this](const std::string&) {
            if (OnListStart && current_) OnListStart(current_->FileName(), fileNo_, files_);
        });
        c->LoadData();
    }
    current_ = nullptr;
}

// ---------------------------------------------------------------- part-record lists

const TClassInfo& TQORFileDataList::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TQORFileDataList>("TQORFileDataList", &TQORObjectList::StaticClass()).Build();
    return info;
}

const TClassInfo& TOSKDataList::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TOSKDataList>("TOSKDataList", &TQORFileDataList::StaticClass()).Build();
    return info;
}

bool TQORFileDataList::IsDataLine(std::string_view line) const { return !line.empty() && line[0] != ';'; }

bool TOSKDataList::IsDataLine(std::string_view line) const {
    if (line.empty()) return false;
    switch (line[0]) {
        case ' ': case '#': case ';': case '[': case '^': case '`': case '{': case '~': return false;
        default: return true;
    }
}

void TQORFileDataList::LoadRecords(const std::string& fileName) {
    std::string bytes;
    try {
        bytes = ReadFileBytes(fileName);
    } catch (const EFOpenError& e) {
        throw EListFileOpenError(e.Message());
    }
    LoadRecordsFromText(Cp1252ToUtf8(bytes), fileName);
}

void TQORFileDataList::LoadRecordsFromText(std::string_view text, const std::string& fileName) {
    fieldCaptions_.Clear();
    DoLoadStart(fileName);
    const std::vector<std::string_view> lines = SplitLines(text);
    if (lines.size() < 3) throw Exception("");
    const TClassInfo* cls = ItemClass();
    if (!cls) throw EQorException(ClassName() + " has no item class");
    TPartProps props(lines[0], true, *cls);
    std::vector<std::string_view> captions;
    SplitPartFields(lines[1], props.Delimiter(), captions);
    for (int i = 0; i < props.Count(); ++i) {
        if (i >= static_cast<int>(captions.size())) ListIndexError(i);
        fieldCaptions_.Add(props[i] + "=" + std::string(captions[static_cast<size_t>(i)]));
    }
    const int count = static_cast<int>(lines.size());
    DoProgress(0, count);
    for (int i = 2; i < count; ++i) {
        if (i % 8 == 7) DoProgress(i, count);
        const std::string_view line = lines[static_cast<size_t>(i)];
        if (!IsDataLine(line)) continue;
        std::unique_ptr<TQorPersistent> entry = CreateItem({}, *cls);
        TQorPersistent* e = entry.get();
        Add(std::move(entry));
        try {
            if (props.ParseLine(line)) e->Assign(props.Template());
        } catch (const EInvalidFieldValue& err) {
            throw EInvalidFieldValue(Fmt("%0s at line %0d  in file %0s with Object %0s", err.Message(), i, fileName,
                                         e->ClassName()));
        }
    }
    DoProgress(count, count);
}

void RegisterListComponentClasses() {
    RegisterClass(TQORBaseListComponent::StaticClass());
    RegisterClass(TVelmarDataListComponent::StaticClass());
    RegisterClass(TQORListController::StaticClass());
    RegisterClass(TQORFileDataList::StaticClass());
    RegisterClass(TOSKDataList::StaticClass());
}

}  // namespace ortello
