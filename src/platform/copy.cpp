// Small copy routines shared with the host's other modules.
#include <string.h>

#include "vrelo417.h"

VRELO_API void Mymemcpy(void* destination, const void* source, int16_t count) {
    if (destination == nullptr || source == nullptr) return;
    unsigned char* to = static_cast<unsigned char*>(destination);
    const unsigned char* from = static_cast<const unsigned char*>(source);
    for (int16_t i = 0; i < count; ++i) to[i] = from[i];
}

VRELO_API char* MyMemCopy2(char* destination, const char* source) {
    if (destination == nullptr || source == nullptr) return destination;
    return strcpy(destination, source);
}

VRELO_API char* MyStrCat(char* destination, const char* source) {
    if (destination == nullptr || source == nullptr) return destination;
    return strcat(destination, source);
}
