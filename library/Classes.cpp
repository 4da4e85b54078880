#include "library/Classes.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ortello {

const TClassInfo& TObject::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TObject>("TObject", nullptr).Build();
    return info;
}

const TClassInfo& TPersistent::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TPersistent>("TPersistent", &TObject::StaticClass()).Build();
    return info;
}

void TPersistent::Assign(const TPersistent* source) {
    if (source) source->AssignTo(this);
}

void TPersistent::AssignTo(TPersistent*) const {}

void TPersistent::DefineProperties(TFiler*) {}

// ---------------------------------------------------------------- string lists

const TClassInfo& TStrings::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TStrings>("TStrings", &TPersistent::StaticClass()).Abstract().Build();
    return info;
}

const TClassInfo& TStringList::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TStringList>("TStringList", &TStrings::StaticClass()).Build();
    return info;
}

[[noreturn]] void ListIndexError(int index) {
    throw EListError(Fmt("List index out of bounds (%d)", index));
}

int TStrings::Add(std::string_view s) {
    const int i = Count();
    Insert(i, s);
    return i;
}

int TStrings::AddObject(std::string_view s, TObject* obj) {
    const int i = Add(s);
    PutObject(i, obj);
    return i;
}

void TStrings::AddStrings(const TStrings& other) {
    BeginUpdate();
    for (int i = 0; i < other.Count(); ++i) AddObject(other.Get(i), other.GetObject(i));
    EndUpdate();
}

int TStrings::IndexOf(std::string_view s) const {
    for (int i = 0; i < Count(); ++i)
        if (SameText(Get(i), s)) return i;
    return -1;
}

int TStrings::IndexOfName(std::string_view name) const {
    for (int i = 0; i < Count(); ++i) {
        const std::string& line = Get(i);
        const size_t eq = line.find('=');
        if (eq != std::string::npos && SameText(std::string_view(line).substr(0, eq), name)) return i;
    }
    return -1;
}

int TStrings::IndexOfObject(const TObject* obj) const {
    for (int i = 0; i < Count(); ++i)
        if (GetObject(i) == obj) return i;
    return -1;
}

std::string TStrings::Name(int index) const {
    const std::string& line = Get(index);
    const size_t eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(0, eq);
}

std::string TStrings::ValueFromIndex(int index) const {
    const std::string& line = Get(index);
    const size_t eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

std::string TStrings::Value(std::string_view name) const {
    const int i = IndexOfName(name);
    return i < 0 ? std::string() : ValueFromIndex(i);
}

void TStrings::SetValue(std::string_view name, std::string_view value) {
    const int i = IndexOfName(name);
    const std::string line = std::string(name) + "=" + std::string(value);
    if (value.empty()) {
        if (i >= 0) Delete(i);
    } else if (i >= 0) {
        Put(i, line);
    } else {
        Add(line);
    }
}

std::string TStrings::Text() const {
    std::string r;
    for (int i = 0; i < Count(); ++i) {
        r += Get(i);
        r += "\r\n";
    }
    return r;
}

void TStrings::SetText(std::string_view text) {
    BeginUpdate();
    Clear();
    size_t i = 0;
    while (i < text.size()) {
        size_t j = i;
        while (j < text.size() && text[j] != '\r' && text[j] != '\n') ++j;
        Add(text.substr(i, j - i));
        if (j < text.size() && text[j] == '\r') ++j;
        if (j < text.size() && text[j] == '\n') ++j;
        i = j;
    }
    EndUpdate();
}

std::string TStrings::DelimitedText(char delimiter, char quote) const {
    std::string r;
    for (int i = 0; i < Count(); ++i) {
        const std::string& s = Get(i);
        const bool needQuote =
            s.empty() || std::any_of(s.begin(), s.end(), [&](char c) {
                return static_cast<unsigned char>(c) <= 32 || c == delimiter || c == quote;
            });
        if (i > 0) r += delimiter;
        if (needQuote) {
            r += quote;
            for (char c : s) {
                if (c == quote) r += quote;
                r += c;
            }
            r += quote;
        } else {
            r += s;
        }
    }
    return r;
}

void TStrings::SetDelimitedText(std::string_view text, char delimiter, char quote) {
    BeginUpdate();
    Clear();
    size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && static_cast<unsigned char>(text[i]) > 0 &&
               static_cast<unsigned char>(text[i]) <= 32)
            ++i;
    };
    skipBlanks();
    while (i < text.size()) {
        std::string item;
        if (text[i] == quote) {
            ++i;
            while (i < text.size()) {
                if (text[i] == quote) {
                    if (i + 1 < text.size() && text[i + 1] == quote) {
                        item += quote;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i++];
            }
        } else {
            while (i < text.size() && static_cast<unsigned char>(text[i]) > 32 && text[i] != delimiter)
                item += text[i++];
        }
        Add(item);
        skipBlanks();
        if (i < text.size() && text[i] == delimiter) {
            ++i;
            skipBlanks();
            if (i >= text.size()) Add("");
        }
    }
    EndUpdate();
}

std::string TStrings::CommaText() const { return DelimitedText(','); }
void TStrings::SetCommaText(std::string_view text) { SetDelimitedText(text, ','); }

std::vector<std::string> TStrings::ToVector() const {
    std::vector<std::string> v;
    v.reserve(static_cast<size_t>(Count()));
    for (int i = 0; i < Count(); ++i) v.push_back(Get(i));
    return v;
}

void TStrings::Assign(const TPersistent* source) {
    if (auto* s = dynamic_cast<const TStrings*>(source)) {
        if (s == this) return;
        BeginUpdate();
        Clear();
        AddStrings(*s);
        EndUpdate();
        return;
    }
    TPersistent::Assign(source);
}

bool TStrings::Equals(const TStrings& other) const {
    if (Count() != other.Count()) return false;
    for (int i = 0; i < Count(); ++i)
        if (Get(i) != other.Get(i)) return false;
    return true;
}

TStringList::TStringList(std::initializer_list<std::string_view> items) {
    for (auto s : items) Add(s);
}

TStringList::~TStringList() {
    if (ownsObjects_)
        for (auto& it : items_) delete it.object;
}

void TStringList::CheckIndex(int index) const {
    if (index < 0 || index >= Count()) ListIndexError(index);
}

const std::string& TStringList::Get(int index) const {
    CheckIndex(index);
    return items_[static_cast<size_t>(index)].text;
}

void TStringList::Put(int index, std::string_view s) {
    CheckIndex(index);
    items_[static_cast<size_t>(index)].text.assign(s);
    Changed();
}

TObject* TStringList::GetObject(int index) const {
    CheckIndex(index);
    return items_[static_cast<size_t>(index)].object;
}

void TStringList::PutObject(int index, TObject* obj) {
    CheckIndex(index);
    items_[static_cast<size_t>(index)].object = obj;
    Changed();
}

void TStringList::Insert(int index, std::string_view s) {
    if (index < 0 || index > Count()) ListIndexError(index);
    items_.insert(items_.begin() + index, Item{std::string(s), nullptr});
    Changed();
}

void TStringList::Delete(int index) {
    CheckIndex(index);
    if (ownsObjects_) delete items_[static_cast<size_t>(index)].object;
    items_.erase(items_.begin() + index);
    Changed();
}

void TStringList::Clear() {
    if (items_.empty()) return;
    if (ownsObjects_)
        for (auto& it : items_) delete it.object;
    items_.clear();
    Changed();
}

int TStringList::Compare(std::string_view a, std::string_view b) const {
    return CaseSensitive ? CompareStr(a, b) : CompareText(a, b);
}

bool TStringList::Find(std::string_view s, int& index) const {
    int lo = 0, hi = Count() - 1;
    bool found = false;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        const int c = Compare(items_[static_cast<size_t>(mid)].text, s);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) {
                found = true;
                if (Duplicates != TDuplicates::dupAccept) lo = mid;
            }
        }
    }
    index = lo;
    return found;
}

int TStringList::Add(std::string_view s) {
    if (!sorted_) {
        items_.push_back(Item{std::string(s), nullptr});
        Changed();
        return Count() - 1;
    }
    int index;
    if (Find(s, index)) {
        if (Duplicates == TDuplicates::dupIgnore) return index;
        if (Duplicates == TDuplicates::dupError) throw EListError("String list does not allow duplicates");
    }
    items_.insert(items_.begin() + index, Item{std::string(s), nullptr});
    Changed();
    return index;
}

int TStringList::IndexOf(std::string_view s) const {
    if (!sorted_) {
        for (int i = 0; i < Count(); ++i)
            if (Compare(items_[static_cast<size_t>(i)].text, s) == 0) return i;
        return -1;
    }
    int index;
    return Find(s, index) ? index : -1;
}

void TStringList::Exchange(int a, int b) {
    CheckIndex(a);
    CheckIndex(b);
    std::swap(items_[static_cast<size_t>(a)], items_[static_cast<size_t>(b)]);
    Changed();
}

void TStringList::Sort() {
    std::stable_sort(items_.begin(), items_.end(),
                     [this](const Item& x, const Item& y) { return Compare(x.text, y.text) < 0; });
    Changed();
}

void TStringList::CustomSort(const std::function<int(const TStringList&, int, int)>& compare) {
    // Sort an index permutation so the comparison sees the list as it stands.
    std::vector<int> order(items_.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(*this, a, b) < 0; });
    std::vector<Item> sorted;
    sorted.reserve(items_.size());
    for (int i : order) sorted.push_back(std::move(items_[static_cast<size_t>(i)]));
    items_ = std::move(sorted);
    Changed();
}

void TStringList::SetSorted(bool v) {
    if (v && !sorted_) Sort();
    sorted_ = v;
}

// ---------------------------------------------------------------- components

const TClassInfo& TComponent::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TComponent>("TComponent", &TPersistent::StaticClass())
             .Factory([] { return std::unique_ptr<TObject>(new TComponent(nullptr)); })
             .Prop("Name", TypeTComponentName(), &TComponent::Name,
                   static_cast<void (TComponent::*)(std::string_view)>(&TComponent::SetName))
             .Stored(false)
             .Prop("Tag", TypeInteger(), &TComponent::Tag, &TComponent::SetTag)
             .Default(0)
             .Build();
    return info;
}

TComponent::TComponent(TComponent* owner) {
    if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
    state_ |= csDestroying;
    // Tell everyone who asked that this component goes away.
    while (!freeNotifies_.empty()) {
        TComponent* other = freeNotifies_.back();
        freeNotifies_.pop_back();
        auto& back = other->freeNotifies_;
        back.erase(std::remove(back.begin(), back.end(), this), back.end());
        other->Notification(this, TOperation::opRemove);
    }
    DestroyComponents();
    if (owner_) owner_->RemoveComponent(this);
}

void TComponent::DestroyComponents() {
    while (!components_.empty()) {
        TComponent* c = components_.back();
        Remove(c);
        delete c;
    }
}

void TComponent::SetName(std::string_view name) { name_.assign(name); }

TComponent* TComponent::FindComponent(std::string_view name) const {
    if (name.empty()) return nullptr;
    for (TComponent* c : components_)
        if (SameText(c->name_, name)) return c;
    return nullptr;
}

void TComponent::FreeNotification(TComponent* other) {
    if (!other || other == this) return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), other) == freeNotifies_.end())
        freeNotifies_.push_back(other);
    if (std::find(other->freeNotifies_.begin(), other->freeNotifies_.end(), this) == other->freeNotifies_.end())
        other->freeNotifies_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* other) {
    if (!other) return;
    freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), other), freeNotifies_.end());
    other->freeNotifies_.erase(std::remove(other->freeNotifies_.begin(), other->freeNotifies_.end(), this),
                               other->freeNotifies_.end());
}

void TComponent::Loaded() { state_ &= ~unsigned(csLoading); }

void TComponent::Dispatch(TMessage&) {}

void TComponent::Broadcast(TMessage& message) {
    // A copy: a handler may create or free components.
    const std::vector<TComponent*> list = components_;
    for (TComponent* c : list) {
        if (std::find(components_.begin(), components_.end(), c) == components_.end()) continue;
        c->Dispatch(message);
        if (message.Result != 0) break;
    }
}

void TComponent::InsertComponent(TComponent* c) {
    if (!c) return;
    if (c->owner_) c->owner_->RemoveComponent(c);
    Insert(c);
    // Every owned component hears of its siblings' arrival.
    for (TComponent* other : std::vector<TComponent*>(components_))
        if (other != c) other->Notification(c, TOperation::opInsert);
    Notification(c, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* c) {
    if (!c || c->owner_ != this) return;
    Notification(c, TOperation::opRemove);
    for (TComponent* other : std::vector<TComponent*>(components_))
        if (other != c) other->Notification(c, TOperation::opRemove);
    Remove(c);
}

void TComponent::Insert(TComponent* c) {
    components_.push_back(c);
    c->owner_ = this;
}

void TComponent::Remove(TComponent* c) {
    components_.erase(std::remove(components_.begin(), components_.end(), c), components_.end());
    c->owner_ = nullptr;
}

void TComponent::Notification(TComponent*, TOperation) {}

// ---------------------------------------------------------------- streams

int64_t TStream::Size() {
    const int64_t pos = Seek(0, TSeekOrigin::soCurrent);
    const int64_t size = Seek(0, TSeekOrigin::soEnd);
    Seek(pos, TSeekOrigin::soBeginning);
    return size;
}

void TStream::ReadBuffer(void* buffer, int64_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    int64_t done = 0;
    char buf[1 << 15];
    while (done < count) {
        const int64_t n = std::min<int64_t>(count - done, sizeof buf);
        source.ReadBuffer(buf, n);
        WriteBuffer(buf, n);
        done += n;
    }
    return done;
}

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
    if (count <= 0 || pos_ >= Size()) return 0;
    const int64_t n = std::min(count, Size() - pos_);
    std::memcpy(buffer, data_.data() + pos_, static_cast<size_t>(n));
    pos_ += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    const auto end = static_cast<size_t>(pos_ + count);
    if (end > data_.size()) data_.resize(end);
    std::memcpy(data_.data() + pos_, buffer, static_cast<size_t>(count));
    pos_ += count;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t p = origin == TSeekOrigin::soBeginning ? offset
                : origin == TSeekOrigin::soCurrent ? pos_ + offset
                                                   : Size() + offset;
    pos_ = std::max<int64_t>(p, 0);
    return pos_;
}

void TMemoryStream::SetSize(int64_t size) {
    data_.resize(static_cast<size_t>(std::max<int64_t>(size, 0)));
    if (pos_ > size) pos_ = size;
}

void TMemoryStream::LoadFromStream(TStream& s) {
    s.SetPosition(0);
    const int64_t n = s.Size();
    data_.resize(static_cast<size_t>(n));
    s.ReadBuffer(data_.data(), n);
    pos_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& path) {
    data_ = ReadFileBytes(path);
    pos_ = 0;
}

void TMemoryStream::SaveToStream(TStream& s) { s.WriteBuffer(data_.data(), Size()); }

void TMemoryStream::SaveToFile(const std::string& path) { WriteFileAtomic(path, data_); }

int64_t TReadOnlyMemoryStream::Read(void* buffer, int64_t count) {
    if (count <= 0 || pos_ >= size_) return 0;
    const int64_t n = std::min(count, size_ - pos_);
    std::memcpy(buffer, data_ + pos_, static_cast<size_t>(n));
    pos_ += n;
    return n;
}

int64_t TReadOnlyMemoryStream::Write(const void*, int64_t) { return 0; }

int64_t TReadOnlyMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t p = origin == TSeekOrigin::soBeginning ? offset
                : origin == TSeekOrigin::soCurrent ? pos_ + offset
                                                   : size_ + offset;
    pos_ = std::max<int64_t>(p, 0);
    return pos_;
}

void TReadOnlyMemoryStream::SetSize(int64_t) { throw EStreamError("Stream is read-only"); }

TFileStream::TFileStream(const std::string& path, TFileMode mode) : path_(path) {
    int flags = O_CLOEXEC;
    switch (mode) {
        case TFileMode::fmOpenRead: flags |= O_RDONLY; break;
        case TFileMode::fmOpenWrite: flags |= O_WRONLY; break;
        case TFileMode::fmOpenReadWrite: flags |= O_RDWR; break;
        case TFileMode::fmCreate: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    }
    fd_ = ::open(path.c_str(), flags, 0666);
    if (fd_ < 0) {
        const std::string err = std::strerror(errno);
        if (mode == TFileMode::fmCreate) throw EFCreateError("Cannot create file \"" + path + "\". " + err);
        throw EFOpenError("Cannot open file \"" + path + "\". " + err);
    }
}

TFileStream::~TFileStream() {
    if (fd_ >= 0) ::close(fd_);
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
    int64_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(fd_, static_cast<char*>(buffer) + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += n;
    }
    return done;
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
    int64_t done = 0;
    while (done < count) {
        const ssize_t n =
            ::write(fd_, static_cast<const char*>(buffer) + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += n;
    }
    return done;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    const int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
                       : origin == TSeekOrigin::soCurrent ? SEEK_CUR
                                                          : SEEK_END;
    return ::lseek(fd_, offset, whence);
}

void TFileStream::SetSize(int64_t size) {
    if (::ftruncate(fd_, size) != 0) throw EStreamError(std::strerror(errno));
}

}  // namespace ortello
