// A breach: the renderer reaching into the library's own headers.
#include "output/master_work.hpp"
