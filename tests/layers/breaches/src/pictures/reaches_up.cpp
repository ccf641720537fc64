// A picture file reaching up into the stream reader built on it: refused.
#include "stream_pages.hpp"
