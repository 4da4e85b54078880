// Persistent objects and object lists: the base of every model object.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "library/Classes.h"
#include "library/SysUtils.h"

namespace ortello {

class TQorReader;
class TQorWriter;
class TQORSectionINIFile;
class TINISection;
class TQORINIFile;

// ---------------------------------------------------------------- exceptions

ORTELLO_EXCEPTION(EQorException, Exception)
ORTELLO_EXCEPTION(EItemIsNil, EQorException)
ORTELLO_EXCEPTION(EFileDoesNotExist, EQorException)
ORTELLO_EXCEPTION(EIDMismatch, EQorException)
ORTELLO_EXCEPTION(ECantAddSelf, EQorException)
ORTELLO_EXCEPTION(EInvalidFileSignature, EQorException)
ORTELLO_EXCEPTION(EInvalidFieldValue, EQorException)
ORTELLO_EXCEPTION(EItemCountMismatch, EQorException)
// Assign of a list from something that is not a list.
ORTELLO_EXCEPTION(EInvalidCast, Exception)

inline constexpr const char* kItemIsNil = "Item is Nil";
inline constexpr const char* kFileDoesNotExist = "%0s : File Does Not Exist";
inline constexpr const char* kInvalidID = "Invalid ID";
inline constexpr const char* kCantAddSelf = "Attempt to add instance of Self (TQorPersistList) to List";
inline constexpr const char* kInvalidFileType = "Invalid File Type";
inline constexpr const char* kItemCountMismatch = "Number of Items Does Not Match Those Recorded";
inline constexpr const char* kInvalidCast = "Invalid class typecast";

// A typed-file signature: 8 bytes, all zero when the class has none.
using TSignature = std::array<uint8_t, 8>;

// ---------------------------------------------------------------- TQorPersistent

class TQorPersistent : public TPersistent {
    ORTELLO_CLASS()
public:
    TQorPersistent() = default;
    TQorPersistent(const TQorPersistent&) = delete;
    TQorPersistent& operator=(const TQorPersistent&) = delete;

    // Plain object record of this object.
    virtual void WriteToStream(TStream& stream);
    // One object record into this object; reader errors go to ReaderError.
    virtual void ReadFromStream(TStream& stream);
    // Record enciphered under key (an empty key writes it plain).
    virtual void WriteEncrypted(TStream& stream, std::string_view key);
    virtual void ReadEncrypted(TStream& stream, std::string_view key);
    // Factory used while a list's items are read; lists wire items to their owner.
    virtual std::unique_ptr<TQorPersistent> CreateItem(std::string_view id, const TClassInfo& itemClass);
    // Tolerant reading: the base marks every reader error handled.
    virtual void ReaderError(TQorReader* reader, const std::string& message, bool& handled);
    // INI form.
    virtual bool WriteToINI(TQORSectionINIFile& ini, int& sectionNo, TINISection* section);
    virtual void ReadFromINI(TQORSectionINIFile& ini, int& sectionNo);
    virtual void SetVersion(std::string_view text);
    virtual void GetSignature(TSignature& signature) const;
    virtual std::string GetVersion() const;
    virtual std::string GetSectionName() const;
    // The class name without a leading "T" or "t".
    virtual std::string GetDefaultPrefix() const;
    // Reads one record and creates the object of the class named in it.
    static std::unique_ptr<TQorPersistent> ReadObject(TStream& stream);
    // Resets to defaults.
    virtual void Clear();
    // Called after the object has been read.
    virtual void AfterLoad();
    // Signature plus record.
    virtual void SaveToStream(TStream& stream, std::string_view key = {});
    virtual void LoadFromStream(TStream& stream, std::string_view key = {});
    // Typed object file. Saving writes a temporary file and renames it over the
    // target, so a failure leaves the previous file intact.
    virtual void LoadFromFile(const std::string& fileName, std::string_view key = {});
    virtual void SaveToFile(const std::string& fileName, std::string_view key = {});
    virtual void SaveToINIFile(const std::string& fileName, std::string_view prefix);
    virtual void LoadFromINIFile(const std::string& fileName, std::string_view prefix);
    // Sets properties from one plain INI section.
    virtual void ReadFromINISection(TQORINIFile& ini, std::string_view sectionName);
    virtual void SaveEncryptedToStream(TStream& stream, std::string_view key);
    virtual void LoadEncryptedFromStream(TStream& stream, std::string_view key);

    // Blob fields carry the bytes of a typed object stream.
    void LoadFromBlob(std::string_view bytes) {
        TReadOnlyMemoryStream s(bytes);
        LoadFromStream(s);
    }
    std::string SaveToField() {
        TMemoryStream s;
        SaveToStream(s);
        return s.Bytes();
    }
    void LoadEncryptedFromBlob(std::string_view bytes, std::string_view key) {
        TReadOnlyMemoryStream s(bytes);
        LoadEncryptedFromStream(s, key);
    }
    std::string SaveEncryptedToField(std::string_view key) {
        TMemoryStream s;
        SaveEncryptedToStream(s, key);
        return s.Bytes();
    }
};

// Keys longer than 56 characters are cut; an empty key means no enciphering.
std::string NormalizeKey(std::string_view key);

// ---------------------------------------------------------------- lists

enum class TListNotification { lnAdded, lnExtracted, lnDeleted };

class TQorPersistList;

// Pointer list that tells its owner list of every insertion and deletion.
class TQorList {
public:
    explicit TQorList(TQorPersistList* owner) : owner_(owner) {}
    int Count() const { return static_cast<int>(items_.size()); }
    TQorPersistent* Get(int i) const { return items_[static_cast<size_t>(i)]; }
    void Put(int i, TQorPersistent* p) { items_[static_cast<size_t>(i)] = p; }
    int Add(TQorPersistent* p);
    void Insert(int i, TQorPersistent* p);
    // Removes without freeing; notifies "deleted".
    void Delete(int i);
    TQorPersistent* Extract(TQorPersistent* p);
    int IndexOf(const TQorPersistent* p) const;
    void Exchange(int a, int b) { std::swap(items_[static_cast<size_t>(a)], items_[static_cast<size_t>(b)]); }
    void Move(int from, int to);
    // One notification (no item, deleted) afterwards, not one per item.
    void Clear();
    void Reserve(size_t n) { items_.reserve(n); }
    std::vector<TQorPersistent*>& Raw() { return items_; }
    const std::vector<TQorPersistent*>& Raw() const { return items_; }

private:
    TQorPersistList* owner_;
    std::vector<TQorPersistent*> items_;
};

using TReaderErrorEvent = std::function<void(TQorReader* reader, const std::string& message, bool& handled)>;

class TQorPersistList : public TQorPersistent {
    ORTELLO_CLASS()
public:
    explicit TQorPersistList(bool ownsObjects = true);
    ~TQorPersistList() override;

    TNotifyEvent OnChange;
    // Used for the items' reader errors; when unset, the list's ReaderError.
    TReaderErrorEvent OnReaderError;

    bool OwnsObjects() const { return ownsObjects_; }
    void SetOwnsObjects(bool v) { ownsObjects_ = v; }

    // The "PL" binary property: item count and item records.
    virtual void ReadData(TStream& stream);
    virtual void WriteData(TStream& stream);
    virtual void Init(bool ownsObjects);
    // Every item added, extracted or deleted, and once with no item after the
    // whole list was emptied.
    virtual void Notify(TQorPersistent* item, TListNotification action);
    virtual void FreeItems();
    // Typed object file into a new list of this class.
    template <class L>
    static std::unique_ptr<L> CreateFromFile(const std::string& fileName, bool ownsObjects = true) {
        auto list = std::make_unique<L>(ownsObjects);
        list->LoadFromFile(fileName);
        return list;
    }
    template <class L>
    static std::unique_ptr<L> CreateFromStream(TStream& stream, bool ownsObjects = true) {
        auto list = std::make_unique<L>(ownsObjects);
        list->LoadFromStream(stream);
        return list;
    }

    // Raises EItemIsNil / ECantAddSelf; returns the new index.
    virtual int Add(TQorPersistent* item);
    int Add(std::unique_ptr<TQorPersistent> item);
    virtual int IndexOf(const TQorPersistent* item) const;
    // Exact class names, case matters; -1 when none.
    virtual int IndexOfClassName(std::string_view name) const;
    // Exact class (descendants do not match).
    virtual int IndexOfClass(const TClassInfo& cls) const;

    int Count() const { return items_->Count(); }
    TQorPersistent* Items(int index) const;
    template <class T>
    T* ItemAs(int index) const {
        return static_cast<T*>(Items(index));
    }
    void Insert(int index, TQorPersistent* item);
    // Frees the item first when the list owns it.
    void Delete(int index);
    bool Remove(TQorPersistent* item);
    // Takes the item out without freeing it.
    TQorPersistent* Extract(TQorPersistent* item);
    void Move(int from, int to) { items_->Move(from, to); }
    void Exchange(int a, int b) { items_->Exchange(a, b); }
    void Sort(const std::function<int(const TQorPersistent*, const TQorPersistent*)>& compare);
    void Changed();
    // Frees every item first when owning; otherwise only empties the list.
    void Clear() override;
    // INI form: the list's section names its items' sections ("List Items").
    bool WriteToINI(TQORSectionINIFile& ini, int& sectionNo, TINISection* section) override;
    void ReadFromINI(TQORSectionINIFile& ini, int& sectionNo) override;
    // Empties the list, then loads.
    void LoadFromStream(TStream& stream, std::string_view key = {}) override;
    // Copies through the object record: new items made by this list's CreateItem.
    // Raises EInvalidCast for a source that is not a list.
    void Assign(const TPersistent* source) override;
    void DefineProperties(TFiler* filer) override;

    TQorList& List() { return *items_; }
    const TQorList& List() const { return *items_; }

private:
    bool ownsObjects_ = true;
    std::unique_ptr<TQorList> items_;
};

class TQORObjectList : public TQorPersistList {
    ORTELLO_CLASS()
public:
    using TQorPersistList::TQorPersistList;
    std::function<void(int number, int count)> OnProgress;
    std::function<void(const std::string& fileName)> OnLoadStart;

    // Class of the entries this list creates; none in the base.
    virtual const TClassInfo* ItemClass() const { return nullptr; }
    // Loading from a text file; the base does nothing.
    virtual void LoadRecords(const std::string& fileName);
    // A new ItemClass object, appended; null when there is no item class.
    virtual TQorPersistent* AddNew();

    void DoProgress(int number, int count) {
        if (OnProgress) OnProgress(number, count);
    }
    void DoLoadStart(const std::string& fileName) {
        if (OnLoadStart) OnLoadStart(fileName);
    }
};

void RegisterPersistentClasses();

}  // namespace ortello
