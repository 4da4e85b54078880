#include "library/Persistent.h"

#include <algorithm>

#include "library/ObjectStream.h"
#include "library/PersistentIni.h"

namespace ortello {

const TClassInfo& TQorPersistent::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TQorPersistent>("TQorPersistent", &TPersistent::StaticClass()).Build();
    return info;
}

std::unique_ptr<TQorPersistent> TQorPersistent::CreateItem(std::string_view, const TClassInfo& itemClass) {
    std::unique_ptr<TObject> obj = itemClass.Create();
    auto* p = dynamic_cast<TQorPersistent*>(obj.get());
    if (!p) throw EQorException(itemClass.Name() + " is not a persistent class");
    obj.release();
    return std::unique_ptr<TQorPersistent>(p);
}

void TQorPersistent::ReaderError(TQorReader*, const std::string&, bool& handled) { handled = true; }
void TQorPersistent::SetVersion(std::string_view) {}
void TQorPersistent::GetSignature(TSignature& signature) const { signature.fill(0); }
std::string TQorPersistent::GetVersion() const { return {}; }
std::string TQorPersistent::GetSectionName() const { return {}; }

std::string TQorPersistent::GetDefaultPrefix() const {
    std::string name = ClassName();
    if (!name.empty() && (name[0] == 'T' || name[0] == 't')) name.erase(0, 1);
    return name;
}

void TQorPersistent::Clear() {}
void TQorPersistent::AfterLoad() {}

std::string NormalizeKey(std::string_view key) {
    // 56 characters of the key's Windows-1252 form, as the cipher takes it.
    const std::string cp = Utf8ToCp1252(key);
    return cp.size() <= 56 ? std::string(key) : Cp1252ToUtf8(std::string_view(cp).substr(0, 56));
}

// ---------------------------------------------------------------- TQorList

int TQorList::Add(TQorPersistent* p) {
    items_.push_back(p);
    owner_->Notify(p, TListNotification::lnAdded);
    return Count() - 1;
}

void TQorList::Insert(int i, TQorPersistent* p) {
    if (i < 0 || i > Count()) ListIndexError(i);
    items_.insert(items_.begin() + i, p);
    owner_->Notify(p, TListNotification::lnAdded);
}

void TQorList::Delete(int i) {
    if (i < 0 || i >= Count()) ListIndexError(i);
    TQorPersistent* p = items_[static_cast<size_t>(i)];
    items_.erase(items_.begin() + i);
    owner_->Notify(p, TListNotification::lnDeleted);
}

TQorPersistent* TQorList::Extract(TQorPersistent* p) {
    const int i = IndexOf(p);
    if (i < 0) return nullptr;
    items_.erase(items_.begin() + i);
    owner_->Notify(p, TListNotification::lnExtracted);
    return p;
}

int TQorList::IndexOf(const TQorPersistent* p) const {
    auto it = std::find(items_.begin(), items_.end(), p);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TQorList::Move(int from, int to) {
    if (from == to) return;
    if (from < 0 || from >= Count()) ListIndexError(from);
    if (to < 0 || to >= Count()) ListIndexError(to);
    TQorPersistent* p = items_[static_cast<size_t>(from)];
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, p);
}

void TQorList::Clear() {
    items_.clear();
    items_.shrink_to_fit();
    owner_->Notify(nullptr, TListNotification::lnDeleted);
}

// ---------------------------------------------------------------- TQorPersistList

const TClassInfo& TQorPersistList::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TQorPersistList>("TQorPersistList", &TQorPersistent::StaticClass()).Build();
    return info;
}

TQorPersistList::TQorPersistList(bool ownsObjects) { TQorPersistList::Init(ownsObjects); }

TQorPersistList::~TQorPersistList() {
    FreeItems();
    items_.reset();
}

void TQorPersistList::Init(bool ownsObjects) {
    ownsObjects_ = ownsObjects;
    if (!items_) items_ = std::make_unique<TQorList>(this);
}

void TQorPersistList::Notify(TQorPersistent*, TListNotification) {}

void TQorPersistList::FreeItems() {
    if (!items_) return;
    if (ownsObjects_) {
        // Detach first so a destructor that looks at the list sees it consistent.
        std::vector<TQorPersistent*> doomed;
        doomed.swap(items_->Raw());
        for (TQorPersistent* p : doomed) delete p;
    }
    items_->Clear();
}

void TQorPersistList::Clear() { FreeItems(); }

int TQorPersistList::Add(TQorPersistent* item) {
    if (!item) throw EItemIsNil(kItemIsNil);
    if (item == this) throw ECantAddSelf(kCantAddSelf);
    return items_->Add(item);
}

int TQorPersistList::Add(std::unique_ptr<TQorPersistent> item) {
    const int i = Add(item.get());
    item.release();
    return i;
}

void TQorPersistList::Insert(int index, TQorPersistent* item) {
    if (!item) throw EItemIsNil(kItemIsNil);
    if (item == this) throw ECantAddSelf(kCantAddSelf);
    items_->Insert(index, item);
}

int TQorPersistList::IndexOf(const TQorPersistent* item) const { return items_->IndexOf(item); }

int TQorPersistList::IndexOfClassName(std::string_view name) const {
    for (int i = 0; i < Count(); ++i)
        if (items_->Get(i) && items_->Get(i)->ClassName() == name) return i;
    return -1;
}

int TQorPersistList::IndexOfClass(const TClassInfo& cls) const {
    for (int i = 0; i < Count(); ++i)
        if (items_->Get(i) && &items_->Get(i)->ClassInfo() == &cls) return i;
    return -1;
}

TQorPersistent* TQorPersistList::Items(int index) const {
    if (index < 0 || index >= Count()) ListIndexError(index);
    return items_->Get(index);
}

void TQorPersistList::Delete(int index) {
    if (index < 0 || index >= Count()) ListIndexError(index);
    TQorPersistent* p = items_->Get(index);
    items_->Delete(index);
    if (ownsObjects_) delete p;
}

bool TQorPersistList::Remove(TQorPersistent* item) {
    const int i = IndexOf(item);
    if (i < 0) return false;
    Delete(i);
    return true;
}

TQorPersistent* TQorPersistList::Extract(TQorPersistent* item) { return items_->Extract(item); }

void TQorPersistList::Sort(const std::function<int(const TQorPersistent*, const TQorPersistent*)>& compare) {
    auto& raw = items_->Raw();
    std::sort(raw.begin(), raw.end(),
              [&](const TQorPersistent* a, const TQorPersistent* b) { return compare(a, b) < 0; });
}

void TQorPersistList::Changed() {
    if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------- TQORObjectList

const TClassInfo& TQORObjectList::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TQORObjectList>("TQORObjectList", &TQorPersistList::StaticClass()).Build();
    return info;
}

void TQORObjectList::LoadRecords(const std::string&) {}

TQorPersistent* TQORObjectList::AddNew() {
    const TClassInfo* cls = ItemClass();
    if (!cls) return nullptr;
    std::unique_ptr<TQorPersistent> item = CreateItem({}, *cls);
    TQorPersistent* p = item.get();
    Add(std::move(item));
    return p;
}

void RegisterPersistentClasses() {
    RegisterClass(TQorPersistent::StaticClass());
    RegisterClass(TQorPersistList::StaticClass());
    RegisterClass(TQORObjectList::StaticClass());
    RegisterClass(TStringList::StaticClass());
    RegisterPersistentAliases();
    RegisterINISpecialProps();
}

}  // namespace ortello
