// A tool reaching into the library past its public headers: refused.
#include "encode/commands.hpp"
#include "vrelo417.h"
