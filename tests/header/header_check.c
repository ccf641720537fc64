/* Includes the public headers and nothing else: compiled as C and as C++
 * under each language standard a host may use. */
#include "vrelo417.h"
#include "vrelo417_host.h"
