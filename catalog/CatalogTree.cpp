#include "catalog/CatalogTree.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "library/DataLocations.h"
#include "library/LineReader.h"

namespace ortello {

// ---------------------------------------------------------------- TLOMBaseNode

const TClassInfo& TLOMBaseNode::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TLOMBaseNode>("TLOMBaseNode", &TBaseNode::StaticClass()).Build();
    return info;
}

TLOMBaseNode::TLOMBaseNode()
    : children_(std::make_unique<TLOMNodeList>(true)), parts_(std::make_unique<TLOMParts>(false)) {}

TLOMBaseNode::~TLOMBaseNode() = default;

int TLOMBaseNode::Level() const {
    int level = 1;
    for (const TLOMBaseNode* p = Parent(); p; p = p->Parent()) ++level;
    return level;
}

void TLOMBaseNode::SetDiscount(double v) {
    TBaseNode::SetDiscount(v);
    for (TQorPersistent* p : parts_->List().Raw()) static_cast<TBaseNode*>(p)->SetDiscount(v);
    for (TQorPersistent* c : children_->List().Raw()) static_cast<TBaseNode*>(c)->SetDiscount(v);
}

bool TLOMBaseNode::ChildNodesHaveDiscount(double x) const {
    for (TQorPersistent* c : children_->List().Raw())
        if (!static_cast<TBaseNode*>(c)->HasDiscountValue(x)) return false;
    return true;
}

bool TLOMBaseNode::PartsHaveDiscount(double x) const {
    for (TQorPersistent* p : parts_->List().Raw())
        if (!static_cast<TBaseNode*>(p)->HasDiscountValue(x)) return false;
    return true;
}

bool TLOMBaseNode::HasDiscountValue(double x) const {
    return ChildNodesHaveDiscount(x) && PartsHaveDiscount(x) && Discount() == x;
}

bool TLOMBaseNode::CheckUniformDiscount() {
    childNodesUniform_ = ChildNodesHaveDiscount(Discount());
    partsUniform_ = PartsHaveDiscount(Discount());
    return childNodesUniform_ && partsUniform_;
}

void TLOMBaseNode::RestoreDiscount() {
    TBaseNode::SetDiscount(BaselineDiscount());
    SetDiscountAssigned(false);
    for (TQorPersistent* p : parts_->List().Raw()) static_cast<TBaseNode*>(p)->RestoreDiscount();
    for (TQorPersistent* c : children_->List().Raw()) static_cast<TBaseNode*>(c)->RestoreDiscount();
}

void TLOMBaseNode::CollectCommonDiscount() {
    commonDiscGrps_.clear();
    const auto& parts = parts_->List().Raw();
    if (parts.empty()) return;
    auto* first = static_cast<TBaseDAVEntry*>(parts.front());
    const std::string_view grps = first->DiscGrps();
    const double discount = first->Discount();
    for (TQorPersistent* p : parts) {
        auto* e = static_cast<TBaseDAVEntry*>(p);
        if (!SameText(e->DiscGrps(), grps) || e->Discount() != discount) return;
    }
    for (TQorPersistent* p : parts) static_cast<TBaseNode*>(p)->SetDiscountAssigned(false);
    commonDiscGrps_.assign(grps);
    SetDiscount(discount);
    SetDiscountAssigned(true);
}

void TLOMBaseNode::BuildPath() {
    path_ = Parent() ? Parent()->Path() + "." + name_ : name_;
    pathHash_ = StringHash(path_);
}

// ---------------------------------------------------------------- part lists

const TClassInfo& TBasePartList::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TBasePartList>("TBasePartList", &TQORFileDataList::StaticClass()).Build();
    return info;
}

int TBasePartList::FindPartNo(std::string_view partNo) const {
    for (int i = 0; i < Count(); ++i)
        if (SameText(Entry(i)->PartNo(), partNo)) return i;
    return -1;
}

const TClassInfo& TIndexedList::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TIndexedList>("TIndexedList", &TBasePartList::StaticClass()).Abstract().Build();
    return info;
}

TIndexedList::TIndexedList(TLOMDataList* source) : TBasePartList(false), source_(source) {
    indexer_.SetMaxDepth(4);
}

TIndexedList::~TIndexedList() = default;

void TIndexedList::Refill() {
    Clear();
    slots_.clear();
    if (!source_) return;
    auto& raw = List().Raw();
    raw = source_->List().Raw();
}

namespace {
// Upper-cased bytes [from, from + 8), big-endian, so that integer order is
// CompareText order over those bytes; ties fall back to the full comparison.
uint64_t SortPrefix(std::string_view s, size_t from) {
    uint64_t v = 0;
    for (size_t i = from; i < from + 8; ++i) {
        v <<= 8;
        if (i < s.size()) v |= static_cast<unsigned char>(UpChar(s[i]));
    }
    return v;
}
}  // namespace

void TIndexedList::BuildIndex() {
    indexer_.Clear();
    const auto& raw = List().Raw();
    for (size_t i = 0; i < raw.size(); ++i)
        indexer_.AddKey(KeyOf(*static_cast<TBasePartEntry*>(raw[i])), static_cast<int>(i));
}

namespace {
inline size_t SlotOf(uint32_t h, unsigned shift) {
    return static_cast<size_t>((static_cast<uint64_t>(h) * 0x9E3779B97F4A7C15ull) >> shift);
}
}  // namespace

void TIndexedList::Reindex() {
    Refill();
    auto& raw = List().Raw();
    // Everything the sort and both indexes need, read from the entries in one
    // sequential pass: on a large catalog, visiting entries in sorted order is a
    // cache miss each. Part numbers often share more than eight leading
    // characters, so two words of prefix settle most comparisons.
    struct Keyed {
        uint64_t prefix, prefix2;
        TQorPersistent* item;
        uint32_t hash;
        char lead[4];  // the first characters as written, for the prefix trie
        uint8_t leadLength;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(raw.size());
    bool allEmpty = true;
    for (TQorPersistent* p : raw) {
        const auto& e = *static_cast<TBasePartEntry*>(p);
        const std::string_view k = KeyOf(e);
        allEmpty = allEmpty && k.empty();
        Keyed kd{SortPrefix(k, 0), SortPrefix(k, 8), p, HashOf(e), {0, 0, 0, 0}, 0};
        for (size_t i = 0; i < 4 && i < k.size(); ++i) kd.lead[i] = k[i];
        kd.leadLength = static_cast<uint8_t>(std::min<size_t>(4, k.size()));
        keyed.push_back(kd);
    }
    auto keyOf = [this](const Keyed& kd) { return KeyOf(*static_cast<TBasePartEntry*>(kd.item)); };
    if (!allEmpty) {
        std::sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) {
            if (a.prefix != b.prefix) return a.prefix < b.prefix;
            if (a.prefix2 != b.prefix2) return a.prefix2 < b.prefix2;
            return CompareText(keyOf(a), keyOf(b)) < 0;
        });
        for (size_t i = 0; i < keyed.size(); ++i) raw[i] = keyed[i].item;
    }

    // The prefix trie: each node keeps the first sorted position through it.
    indexer_.Clear();
    const size_t depth = indexer_.MaxDepth() < 0 ? 0 : static_cast<size_t>(indexer_.MaxDepth());
    for (size_t i = 0; i < keyed.size(); ++i) {
        // The trie reads no further than its depth, so the stored lead serves.
        if (depth > 4)
            indexer_.AddKey(keyOf(keyed[i]), static_cast<int>(i));
        else
            indexer_.AddKey(std::string_view(keyed[i].lead, keyed[i].leadLength), static_cast<int>(i));
    }

    // The hash table over distinct keys; equal keys sit next to each other.
    slots_.clear();
    if (keyed.empty()) return;
    unsigned bits = 4;
    while ((size_t{1} << bits) < keyed.size() * 2) ++bits;
    slotShift_ = 64 - bits;
    slots_.assign(size_t{1} << bits, {0, 0});
    const size_t mask = slots_.size() - 1;
    for (size_t i = 0; i < keyed.size(); ++i) {
        const Keyed& kd = keyed[i];
        if (i > 0 && kd.prefix == keyed[i - 1].prefix && kd.prefix2 == keyed[i - 1].prefix2 &&
            kd.hash == keyed[i - 1].hash && SameText(keyOf(keyed[i - 1]), keyOf(kd)))
            continue;
        size_t s = SlotOf(kd.hash, slotShift_);
        while (slots_[s].second != 0) s = (s + 1) & mask;
        slots_[s] = {kd.hash, static_cast<int32_t>(i + 1)};
    }
}

int TIndexedList::LookupKey(std::string_view key) const {
    const auto& raw = List().Raw();
    if (slots_.empty()) return -1;
    const uint32_t hash = StringHashUpper(key);
    const size_t mask = slots_.size() - 1;
    for (size_t s = SlotOf(hash, slotShift_);; s = (s + 1) & mask) {
        const auto& [h, pos] = slots_[s];
        if (pos == 0) return -1;
        if (h != hash) continue;
        const auto& e = *static_cast<TBasePartEntry*>(raw[static_cast<size_t>(pos - 1)]);
        if (SameText(KeyOf(e), key)) return pos - 1;
    }
}

const TClassInfo& TPartIndexedList::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TPartIndexedList>("TPartIndexedList", &TIndexedList::StaticClass()).Build();
    return info;
}

std::string_view TPartIndexedList::KeyOf(const TBasePartEntry& e) const {
    return static_cast<const TBaseDAVEntry&>(e).PartNo();
}

const TClassInfo& TRootIndexedPartList::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TRootIndexedPartList>("TRootIndexedPartList", &TIndexedList::StaticClass()).Build();
    return info;
}

const TClassInfo& TLOMDataList::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TLOMDataList>("TLOMDataList", &TBasePartList::StaticClass()).Build();
    return info;
}

TLOMDataList::TLOMDataList(bool ownsObjects)
    : TBasePartList(ownsObjects),
      rootIndex_(std::make_unique<TRootIndexedPartList>(this)),
      partIndex_(std::make_unique<TPartIndexedList>(this)) {}

TLOMDataList::~TLOMDataList() {
    // The views refer to the items; empty them before the items go.
    rootIndex_->Clear();
    partIndex_->Clear();
}

TLOMEntry* TLOMDataList::AddNewEntry() {
    auto entry = std::make_unique<TLOMEntry>();
    TLOMEntry* e = entry.get();
    e->SetMasterPosition(Add(std::move(entry)));
    return e;
}

int TLOMDataList::FindByPartNo(std::string_view partNo) const {
    const int i = partIndex_->LookupKey(partNo);
    return i < 0 ? -1 : partIndex_->Entry(i)->MasterPosition();
}

int TLOMDataList::FindByRootPartNumber(std::string_view root) const {
    const int i = rootIndex_->LookupKey(root);
    return i < 0 ? -1 : rootIndex_->Entry(i)->MasterPosition();
}

void TLOMDataList::SortList() {
    Sort([](const TQorPersistent* a, const TQorPersistent* b) {
        return CompareText(static_cast<const TBaseDAVEntry*>(a)->PartNo(), static_cast<const TBaseDAVEntry*>(b)->PartNo());
    });
}

void TLOMDataList::Reindex() {
    rootIndex_->Reindex();
    partIndex_->Reindex();
}

const TClassInfo& TLOMPartList::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TLOMPartList>("TLOMPartList", &TLOMDataList::StaticClass()).Build();
    return info;
}

const TClassInfo& TLOMParts::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TLOMParts>("TLOMParts", &TLOMPartList::StaticClass()).Build();
    return info;
}

const TClassInfo& TLOMNodeList::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TLOMNodeList>("TLOMNodeList", &TQorPersistList::StaticClass()).Build();
    return info;
}

// ---------------------------------------------------------------- TLOMContainer

const TClassInfo& TLOMContainer::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TLOMContainer>("TLOMContainer", &TQORObjectList::StaticClass()).Build();
    return info;
}

const TClassInfo& TLOMNoLoadContainer::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TLOMNoLoadContainer>("TLOMNoLoadContainer", &TLOMContainer::StaticClass()).Build();
    return info;
}

TLOMContainer::TLOMContainer(NoLoad)
    : TQORObjectList(false), root_(std::make_unique<TLOMBaseNode>()), parts_(std::make_unique<TLOMPartList>(true)) {}

TLOMContainer::TLOMContainer() : TLOMContainer(NoLoad{}) {
    const std::string path = ProgramFolder() + "data/m_dav.dat";
    if (FileExists(path)) LoadCatalog(path);
}

TLOMContainer::~TLOMContainer() {
    TQORObjectList::Clear();  // the flat list only refers to nodes
    root_.reset();
    parts_.reset();
}

void TLOMContainer::Clear() {
    TQORObjectList::Clear();
    root_->Children().Clear();
    root_->Parts().Clear();
    parts_->PartIndex().Clear();
    parts_->RootIndex().Clear();
    parts_->Clear();
}

int TLOMContainer::FindNodeByName(std::string_view name) const {
    for (int i = 0; i < Count(); ++i)
        if (SameText(Node(i)->NodeName(), name)) return i;
    return -1;
}

int TLOMContainer::FindNodeByPath(std::string_view path) const {
    const uint32_t h = StringHash(path);
    for (int i = 0; i < Count(); ++i) {
        const TLOMBaseNode* n = Node(i);
        if (n->PathHash() == h && SameText(n->Path(), path)) return i;
    }
    return -1;
}

void TLOMContainer::ResetAllDiscounts() {
    for (TQorPersistent* n : List().Raw()) static_cast<TBaseNode*>(n)->ResetDiscount();
    for (TQorPersistent* p : parts_->List().Raw()) static_cast<TBaseNode*>(p)->ResetDiscount();
}

void TLOMContainer::BuildPaths() {
    for (TQorPersistent* n : List().Raw()) static_cast<TBaseNode*>(n)->BuildPath();
}

namespace {
char ClosingMarker(char c) {
    switch (c) {
        case '[': return ']';
        case '{': return '}';
        default: return c;
    }
}

int MarkerLevel(char c) {
    switch (c) {
        case '[': return 1;
        case '{': return 2;
        case '~': return 3;
        case '#': return 4;
        case '`': return 5;
        case '^': return 6;
        default: return 0;
    }
}

void LoadFromReader(TLOMContainer& self, TLineReader& reader, const std::string& path, TLOMPartList& parts,
                    TLOMBaseNode& root) {
    TCatalogHost& host = self.Host();
    auto report = [&](const std::string& msg) {
        if (host.LoadError) host.LoadError(msg);
    };
    size_t lineCount = 0;
    try {
        lineCount = reader.CountLines();
    } catch (const EStreamError&) {
        lineCount = 0;  // unreadable counts as a file without lines
    }
    if (lineCount == 0) throw ENoDAVData("");
    const int count = static_cast<int>(std::min<size_t>(lineCount, INT32_MAX));

    std::string_view line;
    std::string decoded;
    auto next = [&]() -> bool {
        if (!reader.Next(line)) return false;
        if (!IsAscii(line)) {
            decoded.clear();
            AppendCp1252AsUtf8(line, decoded);
            line = decoded;
        }
        return true;
    };
    if (!next()) throw ENoDAVData("");
    TNoExceptPartProps props(line, host.DAVFields, TLOMEntry::StaticClass(), [&](const std::string& msg) {
        report(Fmt("%0s in File \"%0s\" does not exist", msg, host.FileName));
    });
    auto* scratch = static_cast<TLOMEntry*>(props.Template());
    next();  // captions: not read

    self.DoLoadStart(path);
    std::array<TLOMBaseNode*, 7> lastOfLevel{};
    lastOfLevel[0] = &root;
    TLOMBaseNode* current = nullptr;
    parts.List().Reserve(lineCount);
    struct ProgressAtEnd {
        TLOMContainer& c;
        int n;
        ~ProgressAtEnd() { c.DoProgress(n, n); }
    } atEnd{self, count};

    for (int lineNo = 2; next(); ++lineNo) {
        const char c = line.empty() ? ' ' : line[0];
        const int level = MarkerLevel(c);
        if (level > 0) {
            // The name runs to the closing character, else to the end of the line.
            const char close = ClosingMarker(c);
            const size_t p = line.find(close, 1);
            std::string name = p == std::string_view::npos ? " " + std::string(line.substr(1))
                                                            : std::string(line.substr(1, p - 1));
            TLOMBaseNode* parent = lastOfLevel[static_cast<size_t>(level - 1)];
            if (!parent) {
                report(Fmt("Node \"%0s\" has no parent node in File %0s at line %0d", Trim(name), host.FileName,
                           lineNo));
                current = nullptr;
            } else {
                auto node = std::make_unique<TLOMBaseNode>();
                node->SetNodeName(name);
                node->SetParent(level == 1 ? nullptr : parent);
                TLOMBaseNode* n = node.get();
                self.Add(n);
                parent->Children().Add(std::move(node));
                lastOfLevel[static_cast<size_t>(level)] = n;
                current = n;
            }
        }
        if ((lineNo & 0xFF) == 0xFF) self.DoProgress(lineNo, count);
        if (level > 0 || c == ' ' || c == ';') continue;
        if (TrimView(line).empty()) continue;
        try {
            if (!props.ParseLine(line)) continue;
        } catch (const EInvalidFieldValue& e) {
            report(Fmt("%0s in File %0s at line %0d", e.Message(), host.FileName, lineNo));
            continue;
        }
        if (!current || scratch->Desc().empty()) continue;
        TLOMEntry* entry = parts.AddNewEntry();
        entry->Assign(scratch);
        entry->SetParent(current);
        current->Parts().Add(entry);
    }
}
}  // namespace

namespace {
// The indexes hold what was read even when reading stopped early.
void LoadAndReindex(TLOMContainer& self, TLineReader& reader, const std::string& path) {
    try {
        LoadFromReader(self, reader, path, self.Parts(), self.Root());
    } catch (...) {
        self.Parts().Reindex();
        throw;
    }
    self.Parts().Reindex();
}
}  // namespace

void TLOMContainer::LoadCatalog(const std::string& path) {
    std::unique_ptr<TLineReader> reader;
    try {
        reader = std::make_unique<TLineReader>(path);
    } catch (const EStreamError&) {
        throw ENoDAVData("");
    }
    LoadAndReindex(*this, *reader, path);
}

void TLOMContainer::LoadCatalogText(std::string_view bytes, const std::string& path) {
    TLineReader reader(bytes);
    LoadAndReindex(*this, reader, path);
}

void RegisterCatalogTreeClasses() {
    RegisterClass(TLOMBaseNode::StaticClass());
    RegisterClass(TBasePartList::StaticClass());
    RegisterClass(TLOMDataList::StaticClass());
    RegisterClass(TLOMPartList::StaticClass());
    RegisterClass(TLOMParts::StaticClass());
    RegisterClass(TLOMNodeList::StaticClass());
    RegisterClass(TPartIndexedList::StaticClass());
    RegisterClass(TRootIndexedPartList::StaticClass());
    RegisterClass(TLOMContainer::StaticClass());
    RegisterClass(TLOMNoLoadContainer::StaticClass());
}

}  // namespace ortello
