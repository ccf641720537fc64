// What vrelo-inspect prints about a stream: a summary for people, or the
// same with every row's line as JSON for scripts.
#ifndef VRELO_INSPECT_STREAM_REPORT_HPP
#define VRELO_INSPECT_STREAM_REPORT_HPP

#include <cstdio>
#include <string>

#include "stream_pages.hpp"

namespace vrelo_inspect {

// The outcome of a --compare, when one was asked for.
struct CompareOutcome {
    bool asked = false;
    bool equal = true;
    std::string difference;
};

void print_summary(std::FILE* out, const DecodedStream& decoded, const CompareOutcome& compare);
void print_json(std::FILE* out, const DecodedStream& decoded, const CompareOutcome& compare);
// A stream that does not parse, as JSON.
void print_json_fault(std::FILE* out, const StreamFault& fault);

}  // namespace vrelo_inspect

#endif
