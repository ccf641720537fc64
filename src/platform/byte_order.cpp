// Byte-order conversion between the little-endian resource files and the
// host: the host test and the in-place swap of 16- and 32-bit units.
#include "vrelo417.h"

namespace {

void reverse_bytes(unsigned char* unit, int16_t width) {
    for (int16_t low = 0, high = width - 1; low < high; ++low, --high) {
        const unsigned char kept = unit[low];
        unit[low] = unit[high];
        unit[high] = kept;
    }
}

}  // namespace

VRELO_API int32_t SwapBinaryDataCheck(void) {
    const uint16_t probe = 0x1234;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&probe);
    return ((bytes[0] << 8) + bytes[1]) == 0x1234 ? 1 : 0;
}

// Width 1 and unknown widths leave the data alone, as do trailing bytes
// that do not fill a whole unit.
VRELO_API void SwapBinaryData(void* buffer, int32_t length, int16_t width) {
    if (buffer == nullptr || (width != 2 && width != 4)) return;
    unsigned char* bytes = static_cast<unsigned char*>(buffer);
    const int32_t units = length / width;
    for (int32_t unit = 0; unit < units; ++unit) {
        reverse_bytes(bytes + unit * width, width);
    }
}
