// Marks the definitions of exported calls. The version script decides what
// the product finally exports; this keeps every other name hidden.
#ifndef VRELO_PLATFORM_API_HPP
#define VRELO_PLATFORM_API_HPP

#include "vrelo417.h"

#define VRELO_API extern "C" __attribute__((visibility("default")))

#endif
