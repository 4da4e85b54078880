// Character-trie index for positioning in sorted lists, and the part-number hash.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "library/Persistent.h"

namespace ortello {

// The ELF (PJW) hash over the bytes of text. Callers upper-case first to ignore case.
uint32_t StringHash(std::string_view text);
// The same over the upper-cased bytes, without building the upper-cased text.
uint32_t StringHashUpper(std::string_view text);

class TQORIndexer;

// One trie node: the position of the first key added through it.
class TQORIndex : public TQorPersistent {
    ORTELLO_CLASS()
public:
    TQORIndex();
    ~TQORIndex() override;
    int Index() const { return index_; }
    void SetIndex(int v) { index_ = v; }
    char Ch() const { return ch_; }
    void SetCh(char c) { ch_ = c; }
    TQORIndexer& Children() { return *children_; }
    void Clear() override;

private:
    int index_ = 0;
    char ch_ = 0;
    std::unique_ptr<TQORIndexer> children_;
};

// One trie level. Children are kept in a flat vector: a level rarely holds more
// than a few dozen characters, and a linear scan beats a map there.
class TQORIndexer : public TQorPersistList {
    ORTELLO_CLASS()
public:
    TQORIndexer() : TQorPersistList(true) {}
    int MaxDepth() const { return maxDepth_; }
    void SetMaxDepth(int v) {
        if (v != maxDepth_) {
            maxDepth_ = v;
            MaxDepthChanged();
        }
    }
    TQORIndex* AddKey(std::string_view key, int position);
    int Lookup(std::string_view key) const;
    TQORIndex* FindChild(char c) const;

protected:
    virtual void MaxDepthChanged() {}

private:
    int maxDepth_ = -1;
};

}  // namespace ortello
