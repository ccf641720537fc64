// Direct mode: every colour of a line goes out at once, as one run of
// commands written straight into the job's command buffer; the page end
// only advances the paper over the trailing blank lines. Nothing waits
// between calls, so a page start and a failure have nothing to forget.
#include "output/call_protocol.hpp"
#include "output/chunk_table.hpp"
#include "output/row_commands.hpp"
#include "platform/memory.hpp"

namespace vrelo {

// The worst line, cut into chunks, still fits the table.
static_assert(pieces_in(kCommandBufferBytes) <= VRELO_OUT_TABLE_ENTRIES,
              "a direct-mode line needs more chunks than the table holds");

namespace {

uint8_t* use_command_buffer(MasterWork* job) {
    job->cmdBuf = handle_target<uint8_t>(job->cmdBufHandle);
    return job->cmdBuf;
}

// Skip commands at the cursor that bring the paper from lastLine to line,
// which the checks have found no further than VRELO_MAX_ADVANCE ahead and
// never behind.
void advance_paper_to(MasterWork* job, int32_t line) {
    const int64_t lines = static_cast<int64_t>(line) - job->lastLine;
    if (lines <= 0) return;
    job->cmdCursor += write_line_advance(static_cast<int32_t>(lines), job->cmdCursor);
    job->lastLine = line;
}

int32_t hand_over(MasterWork* job, OutList** out) {
    return hand_over_list(job, out, &job->outTable->list);
}

int32_t hand_over_buffer(MasterWork* job, OutList** out) {
    publish_bytes(job->outTable, job->cmdBuf, static_cast<int32_t>(job->cmdCursor - job->cmdBuf));
    return hand_over(job, out);
}

void configure(MasterWork* job) {
    job->cmdCursor = nullptr;
}

void start_page(MasterWork*) {}

void forget_rows(MasterWork*) {}

int32_t produce(MasterWork* job, int32_t lineNumber, const LinePlanes& planes, OutList** out) {
    job->cmdCursor = use_command_buffer(job);
    job->curLine = lineNumber;
    for (int16_t colour = 0; colour < VRELO_COLOURS; ++colour) {
        if (!planes.ink[colour]) continue;
        // Only the first colour with ink finds an advance to send.
        advance_paper_to(job, lineNumber);
        job->cmdCursor += write_row_command(job->cmdCursor, colour, planes.plane[colour].data,
                                            planes.span[colour]);
    }
    // A line without ink answers one empty chunk and keeps its advance
    // owed to the next line with ink or to the form feed.
    return hand_over_buffer(job, out);
}

int32_t complete(MasterWork* job) {
    job->cmdBuf = nullptr;
    close_completed_call(job);
    return VRELO_OK;
}

// Nothing waits in direct mode: an empty list, still to be completed.
int32_t flush(MasterWork* job, OutList** out) {
    use_command_buffer(job);
    publish_nothing(job->outTable);
    return hand_over(job, out);
}

// Advances the paper to the last line produced; no form-feed byte.
int32_t form_feed(MasterWork* job, OutList** out, int32_t /*endLine*/) {
    uint8_t* buffer = use_command_buffer(job);
    if (job->curLine == job->lastLine) {
        publish_nothing(job->outTable);
        return hand_over(job, out);
    }
    job->cmdCursor = buffer;
    advance_paper_to(job, job->curLine);
    return hand_over_buffer(job, out);
}

int32_t check_advance_to(const MasterWork& job, int32_t line) {
    return advance_allowed(static_cast<int64_t>(line) - job.lastLine) ? VRELO_OK
                                                                      : VRELO_BAD_ARGUMENT;
}

// A line below the last one of the page would print every later line that
// much too low: the paper cannot go back. The same line again prints onto
// the line printed last.
int32_t check_produce(const MasterWork& job, int32_t lineNumber, const LinePlanes& /*planes*/) {
    if (lineNumber < job.curLine) return VRELO_BAD_ARGUMENT;
    return check_advance_to(job, lineNumber);
}

int32_t check_flush(const MasterWork&) {
    return VRELO_OK;
}

int32_t check_form_feed(const MasterWork& job, int32_t /*endLine*/) {
    return check_advance_to(job, job.curLine);
}

}  // namespace

const ModeCalls kDirectMode = {configure, start_page, forget_rows,   produce,     complete,
                               flush,     form_feed,  check_produce, check_flush, check_form_feed};

}  // namespace vrelo
