#include "library/Indexer.h"

namespace ortello {

uint32_t StringHash(std::string_view text) {
    uint32_t h = 0;
    for (char ch : text) {
        h = (h << 4) + static_cast<unsigned char>(ch);
        const uint32_t g = h & 0xF0000000u;
        if (g != 0) h ^= g >> 24;
        h &= ~g;
    }
    return h;
}

uint32_t StringHashUpper(std::string_view text) {
    uint32_t h = 0;
    for (char ch : text) {
        h = (h << 4) + static_cast<unsigned char>(UpChar(ch));
        const uint32_t g = h & 0xF0000000u;
        if (g != 0) h ^= g >> 24;
        h &= ~g;
    }
    return h;
}

const TClassInfo& TQORIndex::StaticClass() {
    static const TClassInfo& info = *ClassBuilder<TQORIndex>("TQORIndex", &TQorPersistent::StaticClass())
                                         .Prop("Index", TypeInteger(), &TQORIndex::Index, &TQORIndex::SetIndex)
                                         .Prop("Ch", TypeChar(), &TQORIndex::Ch, &TQORIndex::SetCh)
                                         .Build();
    return info;
}

TQORIndex::TQORIndex() : children_(std::make_unique<TQORIndexer>()) {}
TQORIndex::~TQORIndex() = default;

void TQORIndex::Clear() { children_->Clear(); }

const TClassInfo& TQORIndexer::StaticClass() {
    static const TClassInfo& info =
        *ClassBuilder<TQORIndexer>("TQORIndexer", &TQorPersistList::StaticClass()).Build();
    return info;
}

TQORIndex* TQORIndexer::FindChild(char c) const {
    const char u = UpChar(c);
    for (TQorPersistent* p : List().Raw()) {
        auto* node = static_cast<TQORIndex*>(p);
        if (UpChar(node->Ch()) == u) return node;
    }
    return nullptr;
}

TQORIndex* TQORIndexer::AddKey(std::string_view key, int position) {
    const size_t depth = maxDepth_ < 0 ? 0 : std::min<size_t>(static_cast<size_t>(maxDepth_), key.size());
    TQORIndexer* level = this;
    TQORIndex* node = nullptr;
    for (size_t i = 0; i < depth; ++i) {
        node = level->FindChild(key[i]);
        if (!node) {
            auto fresh = std::make_unique<TQORIndex>();
            fresh->SetIndex(position);
            fresh->SetCh(key[i]);
            node = fresh.get();
            level->Add(std::move(fresh));
        }
        level = &node->Children();
    }
    return node;
}

int TQORIndexer::Lookup(std::string_view key) const {
    const size_t depth = maxDepth_ < 0 ? 0 : std::min<size_t>(static_cast<size_t>(maxDepth_), key.size());
    const TQORIndexer* level = this;
    int result = 0;
    for (size_t i = 0; i < depth; ++i) {
        TQORIndex* node = level->FindChild(key[i]);
        if (!node) break;
        result = node->Index();
        level = &node->Children();
    }
    return result;
}

}  // namespace ortello
