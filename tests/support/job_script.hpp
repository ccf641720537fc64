// A whole job as a host runs it, written down call by call so that it can
// be run again and again: on several threads at once, or with one of its
// allocations failing. Each producing call's chunks are copied out before
// its completion, as a host sends them.
#ifndef VRELO_TEST_JOB_SCRIPT_HPP
#define VRELO_TEST_JOB_SCRIPT_HPP

#include <cstdint>
#include <random>
#include <vector>

#include "bytes.hpp"
#include "job_params.hpp"
#include "page_generator.hpp"
#include "vrelo417.h"

namespace vrelo_test {

struct HostCall {
    enum Kind { kLine, kFlush, kFormFeed, kNewPage } kind = kLine;
    PageLine line;        // kLine
    int32_t endLine = 0;  // kFormFeed
};

struct JobScript {
    OutputParam param;
    std::vector<HostCall> calls;  // after OutputOpen and OutputInit
};

// Two pages of lines with gaps, some longer than one skip command, in rows
// of every shape; the first page ends with a form feed (carried over when
// the shape asks for it), the second with a form feed and a flush. A third
// page has no line and ends the same way.
JobScript realistic_job(std::mt19937& rng, const JobShape& shape);

// What one call answered: its status, the chunks of a list it handed out
// (the empty list for VRELO_RANGE_FAILED), and its completion's status.
struct CallResult {
    int32_t status = 0;
    bool emptyList = false;
    std::vector<Bytes> chunks;
    int32_t completion = 0;
};
bool operator==(const CallResult& a, const CallResult& b);

// Makes the call; a list handed out is copied and completed.
CallResult run_call(MasterWork** job, const HostCall& call);

// A producing call's answer (its status and list) recorded: the list, if
// handed out, copied and completed.
CallResult complete_call(MasterWork** job, int32_t status, const OutList* out);

// The whole script on a new job, closed at the end.
std::vector<CallResult> run_job(const JobScript& script);

}  // namespace vrelo_test

#endif
