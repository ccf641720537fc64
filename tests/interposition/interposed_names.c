/* Exported names of the library defined again by the host, each doing
 * something else, as unrelated code in a host process might. The library
 * must go on using its own. */
#include <string.h>

#include "vrelo417.h"

const int16_t ColorOffset[VRELO_COLOURS] = {0, 1, 2, 3, 4, 5};

int32_t WriteSkipCommand(int32_t count, uint8_t* destination) {
    (void)count;
    (void)destination;
    return 0;
}

int32_t packbits(uint8_t* destination, const uint8_t* source, int32_t n) {
    memcpy(destination, source, (size_t)n);
    return n;
}

int32_t LeftPack(uint8_t* destination, int32_t n) {
    (void)destination;
    (void)n;
    return 0;
}

void SetOutStrct(OutStrct* table, const uint8_t* data, int32_t length) {
    (void)table;
    (void)data;
    (void)length;
}

int32_t isNullInfo(const OffsetInfo* info) {
    (void)info;
    return 1;
}

int32_t MyNullPHCheck(const PtrHandle* handle) {
    (void)handle;
    return 1;
}

void IncreaseReadPtr(RingBuf* ring) {
    (void)ring;
}
