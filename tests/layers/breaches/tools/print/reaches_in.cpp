// A tool reaching into the library past its public headers: refused.
#include "vrelo417.h"
#include "encode/commands.hpp"
