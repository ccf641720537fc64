// The stream reader may use the picture files and the public headers.
#include "png_file.hpp"
#include "vrelo417_host.h"
