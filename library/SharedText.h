// A compact, immutable, reference-counted text: one pointer wide, empty without
// allocation. Catalog entries hold a dozen texts each, most of them empty or
// shared with other entries, so this keeps a million entries small; copying an
// entry shares its texts instead of copying them.
#pragma once

#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

namespace ortello {

class TText {
public:
    TText() noexcept = default;
    TText(std::string_view s) : rep_(Make(s)) {}  // NOLINT: implicit by design
    TText(const std::string& s) : rep_(Make(s)) {}
    TText(const char* s) : rep_(Make(s ? std::string_view(s) : std::string_view())) {}
    TText(const TText& o) noexcept : rep_(o.rep_) {
        if (rep_) ++rep_->refs;
    }
    TText(TText&& o) noexcept : rep_(o.rep_) { o.rep_ = nullptr; }
    TText& operator=(const TText& o) noexcept {
        if (o.rep_) ++o.rep_->refs;
        Release();
        rep_ = o.rep_;
        return *this;
    }
    TText& operator=(TText&& o) noexcept {
        if (this != &o) {
            Release();
            rep_ = o.rep_;
            o.rep_ = nullptr;
        }
        return *this;
    }
    ~TText() { Release(); }

    // A shared copy for short texts that recur across many entries (codes,
    // categories, frequency texts); long texts are made as usual.
    static TText Intern(std::string_view s);

    std::string_view view() const noexcept {
        return rep_ ? std::string_view(rep_->data, rep_->len) : std::string_view();
    }
    operator std::string_view() const noexcept { return view(); }  // NOLINT
    std::string str() const { return std::string(view()); }
    bool empty() const noexcept { return rep_ == nullptr; }
    size_t size() const noexcept { return rep_ ? rep_->len : 0; }
    void clear() noexcept {
        Release();
        rep_ = nullptr;
    }
    friend bool operator==(const TText& a, const TText& b) noexcept {
        return a.rep_ == b.rep_ || a.view() == b.view();
    }
    friend bool operator==(const TText& a, std::string_view b) noexcept { return a.view() == b; }

private:
    struct Rep {
        uint32_t refs;
        uint32_t len;
        char data[1];
    };
    static Rep* Make(std::string_view s) {
        if (s.empty()) return nullptr;
        void* mem = ::operator new(offsetof(Rep, data) + s.size() + 1);
        Rep* r = static_cast<Rep*>(mem);
        r->refs = 1;
        r->len = static_cast<uint32_t>(s.size());
        std::memcpy(r->data, s.data(), s.size());
        r->data[s.size()] = '\0';
        return r;
    }
    void Release() noexcept {
        if (rep_ && --rep_->refs == 0) ::operator delete(rep_);
    }
    Rep* rep_ = nullptr;
};

inline TText TText::Intern(std::string_view s) {
    if (s.empty()) return {};
    if (s.size() > 24) return TText(s);
    // Direct-mapped cache: a hit shares the text, a miss replaces the slot.
    static TText cache[4096];
    uint32_t h = 2166136261u;
    for (char c : s) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    TText& slot = cache[h & 4095];
    if (slot.view() != s) slot = TText(s);
    return slot;
}

}  // namespace ortello
