// The one way a fuzz target reports a broken property: it names it and
// aborts, which the fuzzing engine and the replay runner both see.
#ifndef VRELO_FUZZ_FUZZ_CHECK_HPP
#define VRELO_FUZZ_FUZZ_CHECK_HPP

#include <stdio.h>
#include <stdlib.h>

namespace vrelo_fuzz {

inline void require(bool holds, const char* property) {
    if (holds) return;
    fprintf(stderr, "broken: %s\n", property);
    abort();
}

}  // namespace vrelo_fuzz

#endif
