// Deciphering arbitrary bytes: only the stated failures, no unbounded allocation.
#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "library/Blowfish.h"

using namespace ortello;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The first byte chooses the key length (0 is the refused empty key).
    const size_t keyLength = size ? std::min<size_t>(data[0] % 64, size - 1) : 0;
    const std::string_view key = bytes.substr(size ? 1 : 0, keyLength);
    const std::string_view stream = bytes.substr(size ? 1 + keyLength : 0);

    TBlowfishSubStream s;
    s.SetKey(std::string(key));
    TReadOnlyMemoryStream source(stream);
    try {
        s.DecryptFrom(source);
    } catch (const ESignatureErr&) {
        return 0;
    } catch (const EReadError&) {
        return 0;
    } catch (const Exception& e) {
        if (e.Message() != "Blowfish: Key must be between 1 and 56 bytes long") __builtin_trap();
        return 0;
    }
    // Enciphering the plain bytes again gives back exactly what was read.
    const std::string plain = s.Bytes();
    if (static_cast<int64_t>(plain.size()) + TBlowfishSubStream::kHeaderBytes != source.Position()) __builtin_trap();
    TReadOnlyMemoryStream again(plain);
    TBlowfishSubStream e;
    e.SetKey(std::string(key));
    e.EncryptFrom(again);
    const std::string_view consumed = stream.substr(0, static_cast<size_t>(source.Position()));
    // Bytes 5 to 7 are not checked on reading; everything else must match.
    if (e.Bytes().substr(8) != consumed.substr(8) || e.Bytes().substr(0, 5) != consumed.substr(0, 5))
        __builtin_trap();
    return 0;
}
