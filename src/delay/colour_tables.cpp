// The two constant tables of the delay lines, indexed by colour K Y M C m c:
// how many lines each colour waits, and how many slots its ring holds (the
// smallest power of two above the delay).
#include "platform/api.hpp"

VRELO_API const int16_t ColorOffset[VRELO_COLOURS] = {0,   336, 224,
                                                      112, 224, 112};

VRELO_API const int32_t ColorBufsize[VRELO_COLOURS] = {1,   512, 256,
                                                       128, 256, 128};
