// The structural dump of typed object files, plain and with a key.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "library/ObjectDump.h"
#include "library/SysUtils.h"

using namespace ortello;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte picks plain or enciphered reading.
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    try {
        (void)DumpObjectFileJson(bytes, (data[0] & 1) ? "fuzzkey" : "");
    } catch (const Exception&) {
    }
    return 0;
}
