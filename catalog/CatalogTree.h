// The catalog tree: category nodes, part lists with their indexes, and the
// container that reads the catalog file.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "catalog/CatalogEntries.h"
#include "library/Indexer.h"
#include "library/ListComponents.h"
#include "library/PartRecords.h"

namespace ortello {

class TLOMNodeList;
class TLOMParts;

ORTELLO_EXCEPTION(ENoDAVData, EBaseVRIXException)

class TLOMBaseNode : public TBaseNode {
    ORTELLO_CLASS()
public:
    TLOMBaseNode();
    ~TLOMBaseNode() override;

    const std::string& NodeName() const { return name_; }
    void SetNodeName(std::string_view n) { name_.assign(n); }
    const std::string& Path() const { return path_; }
    uint32_t PathHash() const { return pathHash_; }
    const std::string& CommonDiscGrps() const { return commonDiscGrps_; }
    bool ChildNodesUniform() const { return childNodesUniform_; }
    bool PartsUniform() const { return partsUniform_; }
    TLOMNodeList& Children() { return *children_; }
    const TLOMNodeList& Children() const { return *children_; }
    TLOMParts& Parts() { return *parts_; }
    const TLOMParts& Parts() const { return *parts_; }
    // Level below the root: 1 for a child of the root.
    int Level() const;

    std::string GetKey() const override { return path_; }
    std::string ReadDiscGrps() const override { return commonDiscGrps_; }
    // Sets this node's value, then passes it to every part and child node.
    void SetDiscount(double v) override;
    bool HasDiscountValue(double x) const override;
    bool ChildNodesHaveDiscount(double x) const override;
    bool PartsHaveDiscount(double x) const override;
    bool CheckUniformDiscount() override;
    void RestoreDiscount() override;
    void CollectCommonDiscount() override;
    void BuildPath() override;

private:
    std::string name_;
    std::string path_;
    std::string commonDiscGrps_;
    std::unique_ptr<TLOMNodeList> children_;
    std::unique_ptr<TLOMParts> parts_;
    uint32_t pathHash_ = 0;
    bool childNodesUniform_ = false;
    bool partsUniform_ = false;
};

class TBasePartList : public TQORFileDataList {
    ORTELLO_CLASS()
public:
    using TQORFileDataList::TQORFileDataList;
    // Linear, case-insensitive search by PartNo; position or -1.
    virtual int FindPartNo(std::string_view partNo) const;
    virtual void SortList() {}
    TBaseDAVEntry* Entry(int i) const { return static_cast<TBaseDAVEntry*>(Items(i)); }
};

class TLOMDataList;

// A sorted, non-owning view of a TLOMDataList with a four-character prefix index.
class TIndexedList : public TBasePartList {
    ORTELLO_CLASS()
public:
    explicit TIndexedList(TLOMDataList* source = nullptr);
    ~TIndexedList() override;
    void SetSource(TLOMDataList* source) { source_ = source; }

    virtual void Refill();
    virtual void BuildIndex();
    // Position in the view of the entry with this key, or -1.
    virtual int LookupKey(std::string_view key) const;
    void Reindex();
    TQORIndexer& Indexer() { return indexer_; }

protected:
    virtual std::string_view KeyOf(const TBasePartEntry& e) const = 0;
    virtual uint32_t HashOf(const TBasePartEntry& e) const = 0;

private:
    // Hash table over the distinct keys (ignoring case): their first sorted
    // position, so a lookup does not walk a long group of shared prefixes.
    TLOMDataList* source_;
    TQORIndexer indexer_;
    std::vector<std::pair<uint32_t, int32_t>> slots_;  // (hash, position + 1); 0 = empty
    unsigned slotShift_ = 64;
};

class TPartIndexedList : public TIndexedList {
    ORTELLO_CLASS()
public:
    using TIndexedList::TIndexedList;

protected:
    std::string_view KeyOf(const TBasePartEntry& e) const override;
    uint32_t HashOf(const TBasePartEntry& e) const override { return e.PartNoHash(); }
};

class TRootIndexedPartList : public TIndexedList {
    ORTELLO_CLASS()
public:
    using TIndexedList::TIndexedList;

protected:
    std::string_view KeyOf(const TBasePartEntry& e) const override { return e.RootPartNumber(); }
    uint32_t HashOf(const TBasePartEntry& e) const override { return e.RootPartNumberHash(); }
};

class TLOMDataList : public TBasePartList {
    ORTELLO_CLASS()
public:
    explicit TLOMDataList(bool ownsObjects = true);
    ~TLOMDataList() override;

    const TClassInfo* ItemClass() const override { return &TLOMEntry::StaticClass(); }
    // A new entry, appended, with its master position set.
    TLOMEntry* AddNewEntry();
    int FindByPartNo(std::string_view partNo) const;
    int FindByRootPartNumber(std::string_view root) const;
    void SortList() override;
    TLOMEntry* Entry(int i) const { return static_cast<TLOMEntry*>(Items(i)); }
    TPartIndexedList& PartIndex() { return *partIndex_; }
    TRootIndexedPartList& RootIndex() { return *rootIndex_; }
    void Reindex();

private:
    std::unique_ptr<TRootIndexedPartList> rootIndex_;
    std::unique_ptr<TPartIndexedList> partIndex_;
};

class TLOMPartList : public TLOMDataList {
    ORTELLO_CLASS()
public:
    TLOMPartList() : TLOMDataList(true) {}
    explicit TLOMPartList(bool owns) : TLOMDataList(owns) {}
};

class TLOMParts : public TLOMPartList {
    ORTELLO_CLASS()
public:
    TLOMParts() : TLOMPartList(false) {}
    explicit TLOMParts(bool owns) : TLOMPartList(owns) {}
};

class TLOMNodeList : public TQorPersistList {
    ORTELLO_CLASS()
public:
    explicit TLOMNodeList(bool owns = true) : TQorPersistList(owns) {}
    TLOMBaseNode* Node(int i) const { return static_cast<TLOMBaseNode*>(Items(i)); }
};

// What the container needs of the catalog component that owns it.
struct TCatalogHost {
    std::string FileName;                          // names the file in messages
    const TStrings* DAVFields = nullptr;           // the columns that are read
    std::function<void(const std::string&)> LoadError;
};

class TLOMContainer : public TQORObjectList {
    ORTELLO_CLASS()
public:
    // Loads the program folder + "data/m_dav.dat" when LoadAtConstruction answers yes.
    TLOMContainer();
    ~TLOMContainer() override;

    virtual bool LoadAtConstruction() const { return true; }

    // Reads the catalog file. Raises ENoDAVData when it yields no lines; field errors
    // are reported through the host, not raised.
    void LoadCatalog(const std::string& path);
    // The same over text in memory (Windows-1252 bytes).
    void LoadCatalogText(std::string_view bytes, const std::string& path);

    int FindNodeByName(std::string_view name) const;
    int FindNodeByPath(std::string_view path) const;
    void ResetAllDiscounts();
    void BuildPaths();

    TLOMBaseNode& Root() { return *root_; }
    const TLOMBaseNode& Root() const { return *root_; }
    TLOMPartList& Parts() { return *parts_; }
    const TLOMPartList& Parts() const { return *parts_; }
    TLOMBaseNode* Node(int i) const { return static_cast<TLOMBaseNode*>(Items(i)); }
    TCatalogHost& Host() { return host_; }
    // Empties nodes and parts.
    void Clear() override;

protected:
    struct NoLoad {};
    explicit TLOMContainer(NoLoad);

private:
    std::unique_ptr<TLOMBaseNode> root_;
    std::unique_ptr<TLOMPartList> parts_;
    TCatalogHost host_;
};

class TLOMNoLoadContainer : public TLOMContainer {
    ORTELLO_CLASS()
public:
    TLOMNoLoadContainer() : TLOMContainer(NoLoad{}) {}
    bool LoadAtConstruction() const override { return false; }
};

void RegisterCatalogTreeClasses();

}  // namespace ortello
