// Reading rows a machine word at a time: unaligned word loads, and finding
// the first marked byte of a word in memory order. Shared by the PackBits
// rules and the trimming of rows to their ink.
#ifndef VRELO_ENCODE_SCAN_WORDS_HPP
#define VRELO_ENCODE_SCAN_WORDS_HPP

#include <stddef.h>
#include <stdint.h>
#include <string.h>

namespace vrelo {

// unsigned long has the register width on both Linux ABIs the library is
// built for.
using ScanWord = unsigned long;
const size_t kScanWordBytes = sizeof(ScanWord);
const int kScanWordBits = 8 * static_cast<int>(sizeof(ScanWord));
const ScanWord kLowBits = ~ScanWord{0} / 0xFF;  // 0x0101...
const ScanWord kHighBits = kLowBits << 7;       // 0x8080...

inline ScanWord load_word(const uint8_t* from) {
    ScanWord word;
    memcpy(&word, from, sizeof word);
    return word;
}

// Index, in memory order, of the first non-zero byte of a non-zero word.
inline size_t first_marked_byte(ScanWord marks) {
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    return static_cast<size_t>(__builtin_ctzl(marks)) / 8;
#else
    return static_cast<size_t>(__builtin_clzl(marks)) / 8;
#endif
}

// Index, in memory order, of the last non-zero byte of a non-zero word.
inline size_t last_marked_byte(ScanWord marks) {
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    return kScanWordBytes - 1 - static_cast<size_t>(__builtin_clzl(marks)) / 8;
#else
    return kScanWordBytes - 1 - static_cast<size_t>(__builtin_ctzl(marks)) / 8;
#endif
}

}  // namespace vrelo

#endif
