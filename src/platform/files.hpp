// Internal helpers of the file layer for the resource-table code.
#ifndef VRELO_PLATFORM_FILES_HPP
#define VRELO_PLATFORM_FILES_HPP

#include <stdint.h>

#include "vrelo417.h"

namespace vrelo {

// Size in bytes of the file behind an open record, or -1 when the record or
// its stream is missing or cannot be measured. Leaves the stream at the end
// of the file: callers seek before their next read.
int64_t open_file_size(FileRef* file);

// Seeks an open record to an absolute position; positions the 32-bit seek
// call cannot express are refused like any other failed seek.
int32_t seek_file(FileRef* file, int64_t position);

}  // namespace vrelo

#endif
