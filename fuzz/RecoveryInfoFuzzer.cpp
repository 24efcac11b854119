// libFuzzer target for the recovery copy's description reader, the one text of a copy the editor
// parses itself: no input crashes it, and whatever it accepts, written out again, reads back equal.
#include "RecoveryStore.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::optional<vornak::RecoveryInfo> info = vornak::RecoveryStore::decodeInfo(text);
    if (!info) {
        return 0;
    }
    const std::optional<vornak::RecoveryInfo> again =
        vornak::RecoveryStore::decodeInfo(vornak::RecoveryStore::encodeInfo(*info));
    if (!again || !(*again == *info)) {
        std::fprintf(stderr, "recovery description check failed: it reads back %s\n",
                     again ? "differently" : "as damaged");
        std::abort();
    }
    return 0;
}
