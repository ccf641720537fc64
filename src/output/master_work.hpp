// The job record behind the host's opaque MasterWork pointer: one print job,
// its chunk table and command buffer, the per-page counters, the state and
// configuration flags, the delay lines and the job's block sub-allocator.
#ifndef VRELO_OUTPUT_MASTER_WORK_HPP
#define VRELO_OUTPUT_MASTER_WORK_HPP

#include "offsetmem/offset_alloc.hpp"
#include "platform/records.hpp"

struct MasterWork {
    PtrHandle selfHandle;      // owns this very block
    PtrHandle outTableHandle;  // the chunk table (OutStrct)
    OutStrct* outTable;        // cached while a producing call's list is live
    PtrHandle cmdBufHandle;    // the direct-mode command buffer
    uint8_t* cmdBuf;           // cached while a direct-mode chunk is live
    uint8_t* cmdCursor;        // next free byte of the command buffer

    // Per-page counters.
    int32_t lastLine;  // direct: line the paper stands at; delayed: the
                       // previous OutputProduce's line
    int32_t curLine;   // line of the latest OutputProduce
    // 64 bits: a page's steps run from line -1 to INT32_MAX, one more than
    // an int32 counts.
    int64_t lineGap;     // steps walked by the latest delayed OutputProduce
    int64_t blankRun;    // delayed: advance owed and not yet sent
    int32_t feedRemain;  // delayed: part of the 336-step drain a form feed
                         // left undone

    int16_t produced;      // 1 while a list waits for OutputComplete
    int16_t pixelShift;    // 3: 1 bit per pixel, 2: 2 bits; 0 until configured
    int16_t delayMode;     // 1: delayed mode, 0: direct mode
    int16_t feedOnFlush;   // delayed: carry rows over pages, flush feeds
    int16_t doubleX;       // 1: pixel positions are doubled before use
    int16_t flushSeen;     // 1 after OutputFlush until OutputComplete
    int16_t formFeedSeen;  // 1 after OutputFormFeed until OutputComplete
    int16_t pageEnded;     // delayed: a flush or form feed has ended the
                           // page; lines wait for the next page
    int16_t ringsRotated;  // delayed: a form feed's completion rotated the
                           // rings so that index 0 stands for nextStep; the
                           // next walk restarts the pointers there
    int64_t nextStep;      // delayed: the line step the next walk starts on
                           // (the line after the last one, or where the page
                           // ends walked to)

    OffsetInfo skipInfo;        // delayed: the skip block of one call
    RingBuf ring;               // delayed: the colour delay lines
    OffsetMemory offsetMemory;  // delayed: the job's block sub-allocator
    vrelo::BlockShelf shelf;    // delayed: the sub-allocator's spare block
                                // and the index of its blocks
    int16_t initMark;           // kInitMarkConfigured after OutputInitTwo
    OutputParam param;          // the job's copy of the parameter block
};

namespace vrelo {

// initMark once OutputInitTwo has copied a parameter block. No call tests
// it: it is kept because the job record is defined with it, and a debugger
// or a host's dump of the record may read it.
constexpr int16_t kInitMarkConfigured = 0x0103;

// The job behind the host's pointer, or nullptr when either is missing.
inline MasterWork* job_of(MasterWork** job) {
    return job == nullptr ? nullptr : *job;
}

}  // namespace vrelo

#endif
