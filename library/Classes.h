// Object, component, string list and stream bases of the core.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "library/SysUtils.h"
#include "library/TypeInfo.h"

namespace ortello {

class TFiler;

class TObject {
public:
    virtual ~TObject() = default;
    static const TClassInfo& StaticClass();
    virtual const TClassInfo& ClassInfo() const { return StaticClass(); }
    const std::string& ClassName() const { return ClassInfo().Name(); }
    bool InheritsFrom(const TClassInfo& cls) const { return ClassInfo().InheritsFrom(cls); }
};

using TNotifyEvent = std::function<void(TObject* sender)>;

class TPersistent : public TObject {
    ORTELLO_CLASS()
public:
    // Copies what source and target have in common. The base asks the source to
    // AssignTo this object, which ignores a class it does not know.
    virtual void Assign(const TPersistent* source);
    // Hook for properties that are not published but stored (the "PL" list data).
    virtual void DefineProperties(TFiler* filer);

protected:
    virtual void AssignTo(TPersistent* dest) const;
};

// ---------------------------------------------------------------- string lists

enum class TDuplicates { dupIgnore, dupAccept, dupError };

class TStrings : public TPersistent {
    ORTELLO_CLASS()
public:
    virtual int Count() const = 0;
    virtual const std::string& Get(int index) const = 0;
    virtual void Put(int index, std::string_view s) = 0;
    virtual TObject* GetObject(int index) const = 0;
    virtual void PutObject(int index, TObject* obj) = 0;
    virtual void Insert(int index, std::string_view s) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;

    virtual int Add(std::string_view s);
    int AddObject(std::string_view s, TObject* obj);
    void AddStrings(const TStrings& other);
    virtual int IndexOf(std::string_view s) const;        // case-insensitive, -1 when absent
    int IndexOfName(std::string_view name) const;         // "name=value" lines
    int IndexOfObject(const TObject* obj) const;
    std::string Name(int index) const;
    std::string Value(std::string_view name) const;
    std::string ValueFromIndex(int index) const;
    void SetValue(std::string_view name, std::string_view value);

    const std::string& operator[](int index) const { return Get(index); }
    std::string Text() const;              // lines joined by "\r\n", each line ended
    void SetText(std::string_view text);   // splits at CR LF, CR or LF
    std::string CommaText() const;
    void SetCommaText(std::string_view text);
    std::string DelimitedText(char delimiter, char quote = '"') const;
    void SetDelimitedText(std::string_view text, char delimiter, char quote = '"');
    std::vector<std::string> ToVector() const;

    void BeginUpdate() { ++updateCount_; }
    void EndUpdate() {
        if (--updateCount_ == 0) Changed();
    }
    TNotifyEvent OnChange;

    void Assign(const TPersistent* source) override;
    // The lines as the defined property "Strings" of object records.
    void DefineProperties(TFiler* filer) override;
    bool Equals(const TStrings& other) const;

protected:
    void Changed() {
        if (updateCount_ == 0 && OnChange) OnChange(this);
    }
    int updateCount_ = 0;
};

class TStringList : public TStrings {
    ORTELLO_CLASS()
public:
    TStringList() = default;
    TStringList(std::initializer_list<std::string_view> items);
    explicit TStringList(bool ownsObjects) : ownsObjects_(ownsObjects) {}
    ~TStringList() override;

    int Count() const override { return static_cast<int>(items_.size()); }
    const std::string& Get(int index) const override;
    void Put(int index, std::string_view s) override;
    TObject* GetObject(int index) const override;
    void PutObject(int index, TObject* obj) override;
    void Insert(int index, std::string_view s) override;
    void Delete(int index) override;
    void Clear() override;
    int Add(std::string_view s) override;
    int IndexOf(std::string_view s) const override;

    void Exchange(int a, int b);
    void Sort();
    void CustomSort(const std::function<int(const TStringList&, int, int)>& compare);
    // Binary search in a sorted list; true when found, index is the insert position otherwise.
    bool Find(std::string_view s, int& index) const;

    bool Sorted() const { return sorted_; }
    void SetSorted(bool v);
    TDuplicates Duplicates = TDuplicates::dupIgnore;
    bool CaseSensitive = false;
    bool OwnsObjects() const { return ownsObjects_; }
    void SetOwnsObjects(bool v) { ownsObjects_ = v; }
    void Reserve(size_t n) { items_.reserve(n); }

private:
    struct Item {
        std::string text;
        TObject* object = nullptr;
    };
    void CheckIndex(int index) const;
    int Compare(std::string_view a, std::string_view b) const;
    std::vector<Item> items_;
    bool sorted_ = false;
    bool ownsObjects_ = false;
};

// The list index error of the platform's lists.
[[noreturn]] void ListIndexError(int index);

// ---------------------------------------------------------------- components

enum class TOperation { opInsert, opRemove };

enum TComponentStateFlag : unsigned {
    csLoading = 1,
    csReading = 2,
    csWriting = 4,
    csDestroying = 8,
    csDesigning = 16,
};

// A component message: a number and its two parameters, delivered synchronously.
struct TMessage {
    unsigned Msg = 0;
    intptr_t WParam = 0;
    intptr_t LParam = 0;
    intptr_t Result = 0;
};

class TComponent : public TPersistent {
    ORTELLO_CLASS()
public:
    explicit TComponent(TComponent* owner = nullptr);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    void SetName(std::string_view name);
    intptr_t Tag() const { return tag_; }
    void SetTag(intptr_t t) { tag_ = t; }

    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int i) const { return components_.at(static_cast<size_t>(i)); }
    TComponent* FindComponent(std::string_view name) const;

    unsigned ComponentState() const { return state_; }
    bool IsLoading() const { return (state_ & csLoading) != 0; }
    bool IsDesigning() const { return (state_ & csDesigning) != 0; }
    bool IsDestroying() const { return (state_ & csDestroying) != 0; }
    void SetLoading(bool on) { on ? state_ |= csLoading : state_ &= ~unsigned(csLoading); }

    // Asks `other` to tell this component when it goes away.
    void FreeNotification(TComponent* other);
    void RemoveFreeNotification(TComponent* other);

    // "Streamed in": designed values set, then Loaded on each in order.
    virtual void Loaded();
    // Component messages (46057, 46061) arrive here.
    virtual void Dispatch(TMessage& message);
    // Sends a message to every component the owner holds, in creation order.
    void Broadcast(TMessage& message);

    // Takes ownership; the component is freed with its owner.
    void InsertComponent(TComponent* c);
    void RemoveComponent(TComponent* c);

protected:
    virtual void Notification(TComponent* component, TOperation operation);
    // Destroys owned components now, in reverse creation order. Descendants call it
    // at the start of their destructor when owned components refer to their members.
    void DestroyComponents();

private:
    void Insert(TComponent* c);
    void Remove(TComponent* c);

    TComponent* owner_ = nullptr;
    std::string name_;
    intptr_t tag_ = 0;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    unsigned state_ = 0;
};

// ---------------------------------------------------------------- streams

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream : public TObject {
public:
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
    virtual void SetSize(int64_t size) = 0;

    int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(int64_t p) { Seek(p, TSeekOrigin::soBeginning); }
    virtual int64_t Size();
    // Exact transfers; a short read raises EReadError "Stream read error".
    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);
    // Copies count bytes from source (0: the whole source from its start).
    int64_t CopyFrom(TStream& source, int64_t count);
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::string bytes) : data_(std::move(bytes)) {}
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t size) override;
    int64_t Size() override { return static_cast<int64_t>(data_.size()); }
    void Clear() {
        data_.clear();
        pos_ = 0;
    }
    const std::string& Bytes() const { return data_; }
    std::string& MutableBytes() { return data_; }
    const char* Memory() const { return data_.data(); }
    void LoadFromStream(TStream& s);
    void LoadFromFile(const std::string& path);
    void SaveToStream(TStream& s);
    // Atomic: written beside the target and renamed over it.
    void SaveToFile(const std::string& path);

private:
    std::string data_;
    int64_t pos_ = 0;
};

// A read-only view of bytes owned elsewhere.
class TReadOnlyMemoryStream : public TStream {
public:
    TReadOnlyMemoryStream(const char* data, size_t size) : data_(data), size_(static_cast<int64_t>(size)) {}
    explicit TReadOnlyMemoryStream(std::string_view v) : TReadOnlyMemoryStream(v.data(), v.size()) {}
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void*, int64_t) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t) override;
    int64_t Size() override { return size_; }

private:
    const char* data_;
    int64_t size_;
    int64_t pos_ = 0;
};

enum class TFileMode { fmOpenRead, fmOpenWrite, fmOpenReadWrite, fmCreate };

class TFileStream : public TStream {
public:
    // fmCreate truncates; callers that replace files use TMemoryStream::SaveToFile.
    TFileStream(const std::string& path, TFileMode mode);
    ~TFileStream() override;
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t size) override;
    const std::string& FileName() const { return path_; }

private:
    int fd_ = -1;
    std::string path_;
};

}  // namespace ortello
