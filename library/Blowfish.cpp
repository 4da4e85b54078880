#include "library/Blowfish.h"

#include <algorithm>
#include <cstring>

namespace ortello {

namespace {
#include "library/BlowfishPi.inc"

constexpr const char* kKeyLengthError = "Blowfish: Key must be between 1 and 56 bytes long";
constexpr const char* kSignatureError = "Invalid Signature in Encryption Stream";

uint32_t LoadBE(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

void StoreBE(uint32_t v, uint8_t* p) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}
}  // namespace

// ---------------------------------------------------------------- TBlowfish

void TBlowfish::SetKey(std::string_view key) {
    if (key.size() < kMinKeyBytes || key.size() > kMaxKeyBytes) throw Exception(kKeyLengthError);
    std::copy(std::begin(kInitP), std::end(kInitP), p_.begin());
    for (int b = 0; b < 4; ++b) std::copy(std::begin(kInitS[b]), std::end(kInitS[b]), s_[b].begin());

    size_t k = 0;
    for (uint32_t& sub : p_) {
        uint32_t word = 0;
        for (int i = 0; i < 4; ++i) {
            word = (word << 8) | static_cast<uint8_t>(key[k]);
            k = (k + 1) % key.size();
        }
        sub ^= word;
    }

    uint32_t l = 0, r = 0;
    for (size_t i = 0; i < p_.size(); i += 2) {
        EncryptBlock(l, r);
        p_[i] = l;
        p_[i + 1] = r;
    }
    for (auto& box : s_) {
        for (size_t i = 0; i < box.size(); i += 2) {
            EncryptBlock(l, r);
            box[i] = l;
            box[i + 1] = r;
        }
    }
}

uint32_t TBlowfish::F(uint32_t x) const {
    return ((s_[0][x >> 24] + s_[1][(x >> 16) & 0xFF]) ^ s_[2][(x >> 8) & 0xFF]) + s_[3][x & 0xFF];
}

void TBlowfish::EncryptBlock(uint32_t& left, uint32_t& right) const {
    uint32_t l = left, r = right;
    for (int i = 0; i < 16; ++i) {
        l ^= p_[i];
        r ^= F(l);
        std::swap(l, r);
    }
    std::swap(l, r);
    r ^= p_[16];
    l ^= p_[17];
    left = l;
    right = r;
}

void TBlowfish::DecryptBlock(uint32_t& left, uint32_t& right) const {
    uint32_t l = left, r = right;
    for (int i = 17; i > 1; --i) {
        l ^= p_[i];
        r ^= F(l);
        std::swap(l, r);
    }
    std::swap(l, r);
    r ^= p_[1];
    l ^= p_[0];
    left = l;
    right = r;
}

TBlowfish::TBlock TBlowfish::EncryptBlock(const TBlock& block) const {
    uint32_t l = LoadBE(block.data()), r = LoadBE(block.data() + 4);
    EncryptBlock(l, r);
    TBlock out;
    StoreBE(l, out.data());
    StoreBE(r, out.data() + 4);
    return out;
}

TBlowfish::TBlock TBlowfish::DecryptBlock(const TBlock& block) const {
    uint32_t l = LoadBE(block.data()), r = LoadBE(block.data() + 4);
    DecryptBlock(l, r);
    TBlock out;
    StoreBE(l, out.data());
    StoreBE(r, out.data() + 4);
    return out;
}

void TBlowfish::Cfb8(std::string& data, const TBlock& iv, bool encrypt) const {
    TBlock reg = iv;
    for (char& c : data) {
        const uint8_t in = static_cast<uint8_t>(c);
        const uint8_t out = static_cast<uint8_t>(in ^ EncryptBlock(reg)[0]);
        std::memmove(reg.data(), reg.data() + 1, kBlockBytes - 1);
        reg[kBlockBytes - 1] = encrypt ? out : in;
        c = static_cast<char>(out);
    }
}

void TBlowfish::EncryptCfb8(std::string& data, const TBlock& iv) const { Cfb8(data, iv, true); }
void TBlowfish::DecryptCfb8(std::string& data, const TBlock& iv) const { Cfb8(data, iv, false); }

// ---------------------------------------------------------------- TBlowfishSubStream

void TBlowfishSubStream::SetKey(std::string_view key) {
    key_ = Utf8ToCp1252(key);
    if (key_.size() > TBlowfish::kMaxKeyBytes) key_.resize(TBlowfish::kMaxKeyBytes);
}

uint8_t TBlowfishSubStream::GetByte(int64_t index) const {
    if (index < 0 || index >= static_cast<int64_t>(Bytes().size()))
        throw EListError(Fmt("List index out of bounds (%d)", index));
    return static_cast<uint8_t>(Bytes()[static_cast<size_t>(index)]);
}

void TBlowfishSubStream::EncryptFrom(TStream& source) {
    // The context is rebuilt for every run so each starts from the zero vector.
    const TBlowfish cipher(key_);
    std::string data;
    char chunk[1 << 15];
    for (;;) {
        const int64_t n = source.Read(chunk, sizeof chunk);
        if (n <= 0) break;
        data.append(chunk, static_cast<size_t>(n));
    }
    if (data.size() > UINT32_MAX) throw EWriteError("Stream write error");
    cipher.EncryptCfb8(data, TBlowfish::TBlock{});

    std::string out(static_cast<size_t>(kHeaderBytes), '\0');
    std::memcpy(out.data(), kSignature, sizeof kSignature);
    const auto n = static_cast<uint32_t>(data.size());
    for (int i = 0; i < 4; ++i) out[8 + i] = static_cast<char>((n >> (8 * i)) & 0xFF);
    out += data;
    MutableBytes() = std::move(out);
    SetPosition(kHeaderBytes);
}

void TBlowfishSubStream::DecryptFrom(TStream& source) {
    uint8_t header[kHeaderBytes];
    source.ReadBuffer(header, kHeaderBytes);
    if (std::memcmp(header, kSignature, sizeof kSignature) != 0) throw ESignatureErr(kSignatureError);
    const uint32_t n = uint32_t{header[8]} | (uint32_t{header[9]} << 8) | (uint32_t{header[10]} << 16) |
                       (uint32_t{header[11]} << 24);

    // The recorded length is not trusted for the allocation: the buffer grows
    // only as far as the source really delivers bytes.
    std::string data;
    const int64_t available = source.Size() - source.Position();
    if (available >= 0 && n <= static_cast<uint64_t>(available)) data.reserve(n);
    char chunk[1 << 15];
    for (uint64_t left = n; left > 0;) {
        const auto want = static_cast<int64_t>(std::min<uint64_t>(left, sizeof chunk));
        source.ReadBuffer(chunk, want);
        data.append(chunk, static_cast<size_t>(want));
        left -= static_cast<uint64_t>(want);
    }
    const TBlowfish cipher(key_);
    cipher.DecryptCfb8(data, TBlowfish::TBlock{});
    MutableBytes() = std::move(data);
    SetPosition(0);
}

}  // namespace ortello
