#include "packbits_decode.hpp"

namespace vrelo_test {

Decoded packbits_decode(const uint8_t* data, size_t size) {
    Decoded out;
    size_t at = 0;
    while (at < size) {
        const size_t record = at;
        const int control = static_cast<int8_t>(data[at++]);
        if (control == -128) {
            out.error = "control byte 0x80 at " + std::to_string(record);
            return out;
        }
        const size_t needed = control >= 0 ? static_cast<size_t>(control) + 1 : 1;
        if (size - at < needed) {
            out.error = "record at " + std::to_string(record) + " needs " + std::to_string(needed) +
                        " bytes, " + std::to_string(size - at) + " left";
            return out;
        }
        if (control >= 0) {
            out.bytes.insert(out.bytes.end(), data + at, data + at + needed);
        } else {
            out.bytes.insert(out.bytes.end(), static_cast<size_t>(1 - control), data[at]);
        }
        at += needed;
    }
    return out;
}

Decoded packbits_decode(const Bytes& stream) {
    return packbits_decode(stream.data(), stream.size());
}

}  // namespace vrelo_test
