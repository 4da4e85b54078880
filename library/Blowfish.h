// Blowfish block cipher and the enciphered memory stream built on it.
//
// Enciphered stream layout (little-endian length):
//   "ACTIV" 00 00 00 | uint32 plain length n | n enciphered bytes
// The bytes are Blowfish in 8-bit cipher feedback mode with an all-zero
// initial vector, so the same key and data always give the same bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "library/Classes.h"
#include "library/SysUtils.h"

namespace ortello {

// Raised for a stream that lacks the "ACTIV" header. Silent, like EAbort.
ORTELLO_EXCEPTION(ESignatureErr, EAbort)

// Standard 16-round Blowfish. Blocks are two 32-bit words taken big-endian.
class TBlowfish {
public:
    static constexpr size_t kMinKeyBytes = 1;
    static constexpr size_t kMaxKeyBytes = 56;
    static constexpr size_t kBlockBytes = 8;
    using TBlock = std::array<uint8_t, kBlockBytes>;

    TBlowfish() = default;
    // Key schedule; raises Exception "Blowfish: Key must be between 1 and 56 bytes long".
    explicit TBlowfish(std::string_view key) { SetKey(key); }
    void SetKey(std::string_view key);

    void EncryptBlock(uint32_t& left, uint32_t& right) const;
    void DecryptBlock(uint32_t& left, uint32_t& right) const;
    TBlock EncryptBlock(const TBlock& block) const;
    TBlock DecryptBlock(const TBlock& block) const;

    // 8-bit cipher feedback over data in place, starting from iv.
    void EncryptCfb8(std::string& data, const TBlock& iv) const;
    void DecryptCfb8(std::string& data, const TBlock& iv) const;

private:
    uint32_t F(uint32_t x) const;
    void Cfb8(std::string& data, const TBlock& iv, bool encrypt) const;

    std::array<uint32_t, 18> p_{};
    std::array<std::array<uint32_t, 256>, 4> s_{};
};

// An in-memory stream whose buffer receives the enciphered or deciphered form
// of another stream.
class TBlowfishSubStream : public TMemoryStream {
public:
    static constexpr char kSignature[5] = {'A', 'C', 'T', 'I', 'V'};
    static constexpr int64_t kHeaderBytes = 12;

    TBlowfishSubStream() = default;

    // Keys are short strings of Windows-1252 characters: the UTF-8 text is
    // encoded and cut to 56 bytes.
    void SetKey(std::string_view key);
    const std::string& Key() const { return key_; }  // the 1252 bytes in use

    // The byte at index of the buffer; raises EListError out of range.
    virtual uint8_t GetByte(int64_t index) const;
    // Reads source from its position to its end; the buffer becomes header plus
    // enciphered bytes and the position is left just after the header.
    virtual void EncryptFrom(TStream& source);
    // Reads header and enciphered bytes at source's position; the buffer becomes
    // the plain bytes, positioned at 0. ESignatureErr for a wrong header,
    // EReadError when source holds fewer bytes than the header records. On any
    // failure the buffer is left as it was.
    virtual void DecryptFrom(TStream& source);

private:
    std::string key_;
};

}  // namespace ortello
