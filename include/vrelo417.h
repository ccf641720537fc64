/*
 * vrelo417 - raster-command output stage of an inkjet printer driver.
 *
 * The public C interface and the host's contract: every record that
 * crosses the library boundary, every status value and every exported
 * call, the job's Output* calls first. Usable from C (C89 on) and C++
 * (C++98 on).
 *
 * The library targets 32-bit little-endian x86 Linux; the records below keep
 * their documented byte layout there (checked at compile time at the end of
 * this file). A native 64-bit build exists for testing: pointers are wider
 * there, so offsets differ, but the meaning of every field is the same.
 *
 * Conventions: results are 16-bit statuses widened with their sign into an
 * int32_t, so a host tests the sign. A job is passed as the address of the
 * host's pointer to it. A NULL record pointer is refused with the call's
 * failure result (or ignored where a call has none). Calls on one job come
 * from one thread at a time; different jobs may run on different threads.
 * A block sub-allocator (OffsetMemory) is either unlocked, when references
 * may be released, or locked, when ranges may be allocated and turned into
 * addresses; each Offset* call below says which state it needs.
 */
#ifndef VRELO_VRELO417_H
#define VRELO_VRELO417_H

#include <stdint.h>

#include "vrelo417_version.h"

/* Marks every exported call and table; the library hides all else. */
#if defined(__GNUC__)
#define VRELO_API __attribute__((visibility("default")))
#else
#define VRELO_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ------------------------------------------------------------------------ */
/* Status values and limits                                                  */
/* ------------------------------------------------------------------------ */

enum {
    VRELO_OK = 0,
    /* OutputOpen */
    VRELO_OPEN_OK = 0x0103,
    VRELO_OPEN_FAILED = -32509, /* 0x8103 widened with its sign */
    /* producing and completing calls */
    VRELO_OUT_OF_ORDER = -256, /* 0xff00: a list is pending, or none is */
    VRELO_LOCK_FAILED = -108,  /* 0xff94: sub-allocator lock, unlock,
                                  release or ring rotation failed */
    VRELO_RANGE_FAILED = 128,  /* 0x0080: a sub-allocator range could not be
                                  allocated or resolved. Positive: the call
                                  then stores the job's empty list through
                                  its out-parameter, so a host that tests
                                  only the sign sends nothing. */
    VRELO_BAD_ARGUMENT = -50,  /* a NULL job, line or out pointer, a plane
                                  with data and a negative width,
                                  firstPixel or tailBlank, positions that
                                  no longer fit 16 bits once doubled, a
                                  line below the page's last one (in
                                  delayed mode: not after it, or after the
                                  page's flush or form feed), or an
                                  advance above VRELO_MAX_ADVANCE: refused
                                  before anything changes; the job goes on
                                  as before */
    /* building blocks */
    VRELO_FAILED = -1,
    VRELO_OPTIONAL_DONE = 1, /* RefOptionalBuf and SetOptionalBuf, in
                                every case */
    /* file and table routines */
    VRELO_FILE_FAILED = -138,
    VRELO_NO_MEMORY = -108
};

/* Longest paper advance, in raster lines, that one producing call may send:
 * its skip commands add up to at most this, in either mode. A line counts
 * what it sends and what it leaves to be sent. In direct mode the form feed
 * takes the paper to the page's last line, so every line must lie within
 * this of where the paper stands, with ink or not. In delayed mode a line
 * is taken when its black row, if any, lies within this of where the paper
 * stands and each row it leaves waiting can still be sent within it by the
 * calls that follow; a line without ink is taken however far on it lies. A
 * call needing more is refused with VRELO_BAD_ARGUMENT. */
#define VRELO_MAX_ADVANCE 10000000

#define VRELO_COLOURS 6 /* K, Y, M, C, m, c: the order of planes and rows */

/* ------------------------------------------------------------------------ */
/* Output job                                                                */
/* ------------------------------------------------------------------------ */

/* The job record; opaque to the host. */
typedef struct MasterWork MasterWork;
/* The list a producing call hands the host (chunk list, below). */
typedef struct OutList OutList;

/* The 192-byte print-parameter block; little-endian int16 fields. The
 * library reads only the fields named here; every other byte is the
 * host's. A block for a named configuration: vrelo_host_param in
 * vrelo417_host.h.
 *   modelCode  model group: ";<FQRMNcd" (A) and "KLab" (B) know depths
 *              and the delayed configuration; others print 1 bit, direct
 *   depthSelA  with modeLevel 10: 4 gives 1 bit per pixel, else 2 bits
 *   depthSelB  group B, modeLevel 0: 27 gives 2 bits; 22 forbids delay
 *   depthSelC  group A, modeLevel 5: 24 gives 2 bits
 *   modeBits   (modeBits & 0x000C) == 0x0004 allows delayed mode
 *   in/outRes  delayed mode needs outResX 1440 and outResY 720. X doubling
 *              (every plane position doubled) is on whenever
 *              outResX / 2 == inResX and inResY == outResY, which an
 *              all-zero block meets: keep inResX == outResX.
 *   feedFlag   1: rows still due at a page end carry over to the next
 *   modeLevel  0, 5, 10, 15, 20 are told apart; any other value acts
 *              like 15 */
typedef struct OutputParam {
    int16_t modelCode; /*  0 */
    int16_t depthSelA; /*  2 */
    int16_t depthSelB; /*  4 */
    int16_t depthSelC; /*  6 */
    uint8_t hostBytes8[2];
    int16_t modeBits; /* 10 */
    uint8_t hostBytes12[6];
    int16_t inResX;   /* 18 */
    int16_t inResY;   /* 20 */
    int16_t outResX;  /* 22 */
    int16_t outResY;  /* 24 */
    int16_t feedFlag; /* 26 */
    uint8_t hostBytes28[66];
    int16_t modeLevel; /* 94 */
    uint8_t hostBytes96[96];
} OutputParam;

/* One colour's row on a line, in pixels. Pixel p lies in byte p >> 3 at 1
 * bit per pixel, p >> 2 at 2 bits. The library reads bytes
 * firstPixel >> shift to (width - tailBlank - 1) >> shift of data, sends
 * the span between their first and last non-zero byte (the bytes before
 * it as zero runs) and has copied it when OutputProduce returns, so the
 * host may reuse the row at once. Size 12 on i386. */
typedef struct ColorPlane {
    const uint8_t* data; /* byte 0 of the line (pixel 0, not firstPixel);
                            NULL: no ink of this colour on the line */
    int16_t width;       /* one past the last pixel of the range */
    int16_t firstPixel;  /* first pixel of the range, >= 0 */
    int16_t tailBlank;   /* blank pixels at the end of the range, >= 0 */
    int16_t padding;
} ColorPlane;

/* One raster line: its number on the page (from 0, rising) and a plane
 * per colour in the order K Y M C m c. Size 76 on i386. */
typedef struct RasterLine {
    int32_t lineNumber;
    ColorPlane planes[VRELO_COLOURS];
} RasterLine;

/* Calling order, per job: OutputOpen; OutputInitTwo (or OutputInit); for
 * each page, OutputProduce for every line in rising order, each followed
 * by OutputComplete once its chunks are sent; then the page end
 * (OutputFlush and/or OutputFormFeed, each followed by OutputComplete);
 * OutputInitPart before each further page; OutputClose at the end.
 *
 * A producing call (OutputProduce, OutputFlush, OutputFormFeed) that
 * answers VRELO_OK stores in *out the list of chunks to send, in order.
 * The chunks belong to the job and stay valid until the OutputComplete
 * that follows, and no longer; in delayed mode the job's sub-allocator
 * stays locked until then. Every refusal or failure of the four producing
 * and completing calls releases every range of the job's sub-allocator
 * and leaves no list pending, so the next producing call is accepted. */

/* Creates a job in *out: the record, its chunk table and its command
 * buffer. VRELO_OPEN_OK, or VRELO_OPEN_FAILED (also for a NULL out); a
 * failure after the record exists leaves it in *out, for OutputClose. The
 * job is not configured until OutputInitTwo or OutputInit. */
VRELO_API int32_t OutputOpen(MasterWork** out);

/* Copies the 192-byte block into the job, writes model's low 16 bits into
 * its modelCode, and configures the job from the copy (OutputInit); the
 * host's block is not read again. VRELO_OK, or VRELO_BAD_ARGUMENT for a
 * missing job or block. */
VRELO_API int32_t OutputInitTwo(MasterWork** job, const void* block, int32_t model);

/* Configures the job from param: depth, direct or delayed mode, X
 * doubling, carry-over (see OutputParam), then starts the first page
 * (OutputInitPart). Also the way back after a failure: a delayed job that
 * failed answers VRELO_LOCK_FAILED until configured again; the
 * sub-allocator is reset and left unlocked. Rows still waiting are
 * released and a pending list is dropped. VRELO_OK, or VRELO_BAD_ARGUMENT
 * for a missing job or block. */
VRELO_API int32_t OutputInit(MasterWork** job, const OutputParam* param);

/* Starts the next page at line 0 (the argument is not used). A list still
 * pending is completed first, as OutputComplete would: its chunks are
 * invalid from here. Without carry-over, rows still waiting in the delay
 * lines are dropped and their ranges released, so end each page first (see
 * OutputFlush); with carry-over they wait for the next page, which goes on
 * where this page's walks ended: its line 0 stands for the line after the
 * last one, or for the end line of the page's form feed. VRELO_OK, or
 * VRELO_BAD_ARGUMENT for a missing job. */
VRELO_API int32_t OutputInitPart(MasterWork** job, const OutputParam* unused);

/* Releases the job and everything it holds, whatever state it is in; a
 * NULL job does nothing. *job must not be used again, nor any chunk. */
VRELO_API void OutputClose(MasterWork** job);

/* Hands over one raster line; line numbers rise within a page. On VRELO_OK
 * *out is the list of chunks to send, in order, before OutputComplete;
 * they belong to the job and stay valid until then. In direct mode the
 * list is the line's advance and rows; in delayed mode it is the rows that
 * fall due on the lines walked since the previous line, and a page that a
 * flush or form feed has ended takes no more lines (OutputInitPart starts
 * the next). Also VRELO_OUT_OF_ORDER (a list is pending),
 * VRELO_BAD_ARGUMENT (refused, nothing changed), VRELO_LOCK_FAILED,
 * VRELO_RANGE_FAILED (positive: *out is the empty list). The line's rows
 * have been copied when it returns. */
VRELO_API int32_t OutputProduce(MasterWork** job, const RasterLine* line, OutList** out);

/* Ends the pending call once its chunks are sent: the chunks are invalid
 * from here, and in delayed mode the sub-allocator is unlocked again.
 * VRELO_OK, VRELO_OUT_OF_ORDER when none is pending, or VRELO_LOCK_FAILED
 * (if only the call's skip block cannot be released, the call stays
 * pending). */
VRELO_API int32_t OutputComplete(MasterWork** job);

/* Delayed mode: drains the page, sending every row still waiting (the 336
 * lines after the last line produced); with carry-over it first restarts
 * at the rows a form feed carried and ends its list with the form-feed
 * byte. Direct mode: an empty list. Follow with OutputComplete. Without
 * carry-over the host sends the form feed (0x0C) after it. Statuses as
 * OutputProduce. */
VRELO_API int32_t OutputFlush(MasterWork** job, OutList** out);

/* Delayed mode: sends the rows due on the lines before endLine, the line
 * at which the page ends; rows due later stay, to carry over to the next
 * page (or be dropped by OutputInitPart without carry-over). A further
 * page end on the same page goes on where this one ended. With no line to
 * walk (endLine right after the last line, or at the end of an earlier
 * form feed) *out is the empty list.
 * Direct mode: advances the paper to the last line produced; endLine is
 * not used. Sends no form-feed byte. Follow with OutputComplete. Statuses
 * as OutputProduce. */
VRELO_API int32_t OutputFormFeed(MasterWork** job, OutList** out, int32_t endLine);

/* ------------------------------------------------------------------------ */
/* Chunk list                                                                */
/* ------------------------------------------------------------------------ */

/* One chunk to send. Size 8 on i386. */
typedef struct OutEntry {
    const uint8_t* data;
    int16_t length;
    int16_t padding;
} OutEntry;

/* The list a producing call hands the host: count chunks from entries.
 * Size 8 on i386. */
struct OutList {
    int16_t count;
    int16_t padding;
    OutEntry* entries;
};

/* Entries of the chunk table: enough for the largest delayed-mode call
 * (every row due on 336 steps, their skip commands, the advance owed split
 * into 32767-line commands up to VRELO_MAX_ADVANCE, the black row and the
 * form-feed byte). A host reaches entries only through list.entries. */
#define VRELO_OUT_TABLE_ENTRIES 1664

/* The chunk table of a job. */
typedef struct OutStrct {
    OutEntry entries[VRELO_OUT_TABLE_ENTRIES];
    OutList list;      /* the primary list */
    OutList emptyList; /* count 0, entries NULL, always */
} OutStrct;

/* A reference to one range of a sub-allocator (block sub-allocator,
 * below). */
typedef struct OffsetInfo OffsetInfo;

/* Appends the chunk (data, low 16 bits of length) to table's primary list;
 * a full table, or a NULL one, drops the append. The entry points at data,
 * which must stay valid for as long as the list is sent. */
VRELO_API void SetOutStrct(OutStrct* table, const uint8_t* data, int32_t length);

/* 1 when info is the null reference (all three fields 0) or NULL, else 0. */
VRELO_API int32_t isNullInfo(const OffsetInfo* info);

/* ------------------------------------------------------------------------ */
/* Raster command encoding                                                   */
/* ------------------------------------------------------------------------ */

/* Counts are read from their low 16 bits as signed values; byte counts
 * come back as 16-bit values widened with their sign. Nothing is
 * allocated, and nothing is written for a NULL destination. */

/* Writes the 7-byte raster skip for count (1..32767) lines at destination,
 * count big-endian; returns 7, or 0 (nothing written) for a count <= 0. */
VRELO_API int32_t WriteSkipCommand(int32_t count, uint8_t* destination);

/* Writes the 6-byte colour-raster header at destination: length
 * little-endian (it counts the letter byte and the payload), then the
 * letter of colour (0..5) from letter table row 0 or 1. Other rows or
 * colours write nothing. */
VRELO_API void WriteSpecColor(int16_t row, int16_t colour, int16_t length, uint8_t* destination);

/* Writes the PackBits records of the n bytes at source to destination and
 * returns their length: at most n + ceil(n / 126) bytes. 0 for n <= 0 or
 * a NULL pointer. */
VRELO_API int32_t packbits(uint8_t* destination, const uint8_t* source, int32_t n);

/* Writes the records for n (>= 1) blank bytes, the zero-run prefix of a
 * row: 2 bytes per started 128. Returns their length; 0 for n <= 0. */
VRELO_API int32_t LeftPack(uint8_t* destination, int32_t n);

/* What LeftPack (for first > 0) and packbits would write for bytes
 * first..last of row, counted without writing or allocating anything.
 * 0 for a NULL row or a negative first. */
VRELO_API int32_t GetPackBitsLength(const uint8_t* row, int32_t first, int32_t last);

/* ------------------------------------------------------------------------ */
/* Memory handles and copy routines                                          */
/* ------------------------------------------------------------------------ */

/* A memory handle; all zero is the null handle. Size 12 on i386. */
typedef struct PtrHandle {
    void* pointer;    /* block start, NULL when no block is held */
    int32_t reserved; /* always 0 */
    int16_t state;    /* 0 once a block is allocated */
} PtrHandle;

/* A zero-filled block of size bytes, or NULL when it cannot be had (a
 * negative size included). Valid until MyDisposePtr. */
VRELO_API void* MyNewPtr(int32_t size);

/* Frees a block of MyNewPtr; NULL does nothing. */
VRELO_API void MyDisposePtr(void* block);

/* Sets *handle to a new zero-filled block of size bytes: VRELO_OK, or
 * VRELO_FAILED with *handle the null handle. The block stays valid until
 * MyDisposePH. */
VRELO_API int32_t MyNewPH(int32_t size, PtrHandle* handle);

/* Frees the handle's block and makes it the null handle; NULL does
 * nothing. */
VRELO_API void MyDisposePH(PtrHandle* handle);

/* 1 when handle is the null handle (or NULL), else 0. */
VRELO_API int32_t MyNullPHCheck(const PtrHandle* handle);

/* A zero-filled block of size (>= sizeof(PtrHandle)) bytes whose first
 * field is the handle that owns it, or NULL. Freed with
 * MyDisposeMasterWorkPtr. */
VRELO_API void* MyNewMasterWorkPtr(int32_t size);

/* Frees a block of MyNewMasterWorkPtr through its own handle; NULL does
 * nothing. */
VRELO_API void MyDisposeMasterWorkPtr(void* block);

/* Returns value: resources need no locking here. */
VRELO_API int32_t MyLockResource(int32_t value);

/* Does nothing: see MyLockResource. */
VRELO_API void MyUnlockFreeResource(void);

/* Copies count (at most 32767; <= 0 copies nothing) bytes forward, one at
 * a time. NULL pointers copy nothing. */
VRELO_API void Mymemcpy(void* destination, const void* source, int16_t count);

/* strcpy; returns destination, which a NULL pointer leaves as it is. */
VRELO_API char* MyMemCopy2(char* destination, const char* source);

/* strcat; returns destination, which a NULL pointer leaves as it is. */
VRELO_API char* MyStrCat(char* destination, const char* source);

/* ------------------------------------------------------------------------ */
/* Block sub-allocator                                                       */
/* ------------------------------------------------------------------------ */

/* A range of a sub-allocator: block id, byte offset in the block's data,
 * length. All zero is the null reference. A reference stays valid until
 * the range is released, locked or not; only its address (OffsetNewPtr)
 * needs the sub-allocator locked. Size 12. */
struct OffsetInfo {
    int32_t blockId;
    int32_t offset;
    int32_t length;
};

#define VRELO_OFFSET_BLOCK_SLOTS 256   /* ranges one data block can hold */
#define VRELO_OFFSET_BLOCK_BYTES 65536 /* bytes of one data block */

typedef struct OffsetSlot {
    int32_t offset;
    int32_t length;
} OffsetSlot;

/* Header of one 64 KiB data block. Created by newlist; the library may add
 * fields at its end, so a host never allocates one itself. */
typedef struct OffsetBlock {
    OffsetSlot slots[VRELO_OFFSET_BLOCK_SLOTS]; /* used ranges, ascending */
    int16_t blockId;
    int16_t slotCount;
    PtrHandle dataHandle;
    uint8_t* dataPtr; /* cached while locked */
    PtrHandle nextHandle;
    struct OffsetBlock* nextPtr; /* cached while locked */
    PtrHandle prevHandle;
    struct OffsetBlock* prevPtr;
    int32_t gapBound; /* no free gap of this block is larger: lets a search
                         pass over blocks without room at once */
} OffsetBlock;

/* Root of one sub-allocator; all zero is an empty, unlocked root. Size 20
 * on i386. */
typedef struct OffsetMemory {
    PtrHandle firstHandle;
    OffsetBlock* firstPtr; /* cached while locked */
    int16_t blockCounter;  /* id of the most recently created block */
    int16_t lockFlag;      /* 1 while locked */
} OffsetMemory;

/* disposelist results */
enum {
    VRELO_LIST_MIDDLE = 0, /* had both neighbours */
    VRELO_LIST_FIRST = 1,  /* was first: handle names the new first block */
    VRELO_LIST_LAST = 2,   /* was last */
    VRELO_LIST_ONLY = 3    /* was the only block: the list is empty */
};

/* Creates an unlinked block with the given id (low 16 bits), no used slot
 * and zero-filled data whose pointer is cached, into *handle and *block:
 * VRELO_OK, or VRELO_FAILED with both left as they were. */
VRELO_API int32_t newlist(PtrHandle* handle, OffsetBlock** block, int32_t id);

/* Links added in directly behind after, through handles and cached
 * pointers; after's old successor, found through its cached pointer,
 * follows added. Use while the cached pointers are set (locked).
 * VRELO_OK, or VRELO_FAILED for a NULL argument, nothing changed. */
VRELO_API int32_t appendlist(PtrHandle* afterHandle, OffsetBlock* after, PtrHandle* newHandle,
                             OffsetBlock* added);

/* Unlinks the block *handle names and frees it with its data; *handle then
 * names the block that followed it, or is the null handle. Rewrites only
 * the neighbours' handles, so use it while unlocked. A VRELO_LIST_* code
 * saying where the block stood, or VRELO_FAILED for the null handle. */
VRELO_API int32_t disposelist(PtrHandle* handle);

/* Makes root an empty, unlocked root; blocks it held are not released. A
 * NULL root does nothing. */
VRELO_API void OffsetInitPara(OffsetMemory* root);

/* Locks an unlocked root: caches the pointer of every block, so ranges can
 * be allocated and resolved. VRELO_OK, or VRELO_FAILED (a NULL or locked
 * root, or a block whose pointer cannot be found). */
VRELO_API int32_t OffsetLockMemory(OffsetMemory* root);

/* Unlocks a locked root and clears every cached pointer: addresses handed
 * out by OffsetNewPtr are invalid from here, references stay valid.
 * VRELO_OK, or VRELO_FAILED for a NULL or unlocked root. */
VRELO_API int32_t OffsetUnLockMemory(OffsetMemory* root);

/* Allocates size (1..65535) bytes first-fit, creating a block when none
 * has room, and writes the range's reference into *ref. Needs the root
 * locked. VRELO_OK, or VRELO_FAILED (a NULL or unlocked root, a size
 * outside the range, no block to be had) with *ref not written. */
VRELO_API int32_t OffsetNewID(OffsetMemory* root, OffsetInfo* ref, int32_t size);

/* The address of the range *ref names, found by block id and offset, or
 * NULL (a NULL or unlocked root, no such range). Needs the root locked;
 * valid until it is unlocked or the range released. */
VRELO_API uint8_t* OffsetNewPtr(OffsetMemory* root, const OffsetInfo* ref);

/* Releases the range *ref names (offset and length must match), freeing
 * its block with the block's last range, and sets *ref to the null
 * reference; a reference naming no range is only nulled. Needs the root
 * unlocked. VRELO_OK, or VRELO_FAILED (a NULL or locked root, a block that
 * cannot be freed) with *ref unchanged. */
VRELO_API int32_t OffsetDisposeID(OffsetMemory* root, OffsetInfo* ref);

/* Releases every block of the root, locked or not; the lock flag and the
 * block counter keep their values. VRELO_OK (also for a NULL root), or
 * VRELO_FAILED when a block cannot be freed. Every address and reference
 * of the root is invalid afterwards. */
VRELO_API int32_t OffsetDisposeMemory(OffsetMemory* root);

/* ------------------------------------------------------------------------ */
/* Colour delay lines                                                        */
/* ------------------------------------------------------------------------ */

#define VRELO_RING_OUTBUF_SLOTS 1281 /* 1 + 512 + 256 + 128 + 256 + 128 */

/* Delay of each colour in line steps: the row of line I in colour c goes
 * out on step I + ColorOffset[c]. */
VRELO_API extern const int16_t ColorOffset[VRELO_COLOURS]; /* 0 336 224 112 224 112 */
/* Slots of each colour's ring: the smallest power of two above its delay. */
VRELO_API extern const int32_t ColorBufsize[VRELO_COLOURS]; /* 1 512 256 128 256 128 */

/* The six rings of row references, back to back in colour order in
 * Outbuf, their temporary slots and pointers. The store holds references
 * by value and never allocates, frees or reads a row. */
typedef struct RingBuf {
    OffsetInfo Outbuf[VRELO_RING_OUTBUF_SLOTS];
    OffsetInfo TempBuf[VRELO_COLOURS];
    OffsetInfo spare;
    int32_t RPointer;                /* line steps read; one for all */
    int32_t WPointer[VRELO_COLOURS]; /* ring index of the next store */
} RingBuf;

/* Every accessor takes the store first and a colour 0..5 (K Y M C m c);
 * a NULL store or another colour changes nothing and answers
 * VRELO_FAILED (a length: 0), and a reader's out-reference is set to the
 * null reference. The read position of colour c is ring index RPointer
 * mod ColorBufsize[c], its write position ring index WPointer[c]; black's
 * ring is its single slot 0. Otherwise they answer VRELO_OK. */

/* Empties every ring slot; temporary slots and pointers stay. */
VRELO_API void InitRingBuf(RingBuf* ring);
/* Empties the six temporary slots; the rings stay. */
VRELO_API void InitTempBuf(RingBuf* ring);
/* RPointer = 0. */
VRELO_API void InitRPointer(RingBuf* ring);
/* WPointer = ColorOffset: a row stored now is read that many steps later. */
VRELO_API void InitWPointer(RingBuf* ring);
/* Stores *ref in the colour's temporary slot (note: reference first). */
VRELO_API int32_t SetOffsetInfo(RingBuf* ring, const OffsetInfo* ref, int16_t colour);
/* *ref = the colour's temporary slot. */
VRELO_API int32_t RefOutbufTempInfo(RingBuf* ring, int16_t colour, OffsetInfo* ref);
/* The length field of the colour's temporary slot. */
VRELO_API int32_t RefOutbufTempLength(RingBuf* ring, int16_t colour);
/* *ref = the slot at the colour's read position. */
VRELO_API int32_t RefOutbufReadInfo(RingBuf* ring, int16_t colour, OffsetInfo* ref);
/* The length field of the slot at the colour's read position. */
VRELO_API int32_t RefOutbufReadLength(RingBuf* ring, int16_t colour);
/* Stores *ref at the colour's read position; refused, it nulls *ref. */
VRELO_API int32_t SetOutbufReadInfo(RingBuf* ring, int16_t colour, OffsetInfo* ref);
/* RPointer += 1; it is never wrapped. */
VRELO_API void IncreaseReadPtr(RingBuf* ring);
/* RPointer = 0, as InitRPointer. */
VRELO_API void ResetReadPtr(RingBuf* ring);
/* *ref = the slot at the colour's write position. */
VRELO_API int32_t RefOutbufWriteInfo(RingBuf* ring, int16_t colour, OffsetInfo* ref);
/* Empties the slot at the colour's write position; the reference argument
 * is not read. */
VRELO_API int32_t ResetOffsetInfo(RingBuf* ring, const OffsetInfo* ignored, int16_t colour);
/* Stores *ref at the colour's write position; refused, it nulls *ref. */
VRELO_API int32_t SetOutbufWriteInfo(RingBuf* ring, int16_t colour, OffsetInfo* ref);
/* Moves the colour's temporary slot to its write position and empties the
 * temporary slot; the write pointer stays. */
VRELO_API int32_t CopyTempToOutbuf(RingBuf* ring, int16_t colour);
/* Advances the colour's write pointer, wrapping at ColorBufsize; black's
 * and a bad colour's do not move. */
VRELO_API void IncreaseWritePtr(RingBuf* ring, int16_t colour);
/* Rotates the colour's ring so its read position becomes ring index 0,
 * keeping the cyclic order; pointers stay. VRELO_FAILED also when the
 * scratch block cannot be had, the ring then unchanged. */
VRELO_API int32_t ResetRingBuf(RingBuf* ring, int16_t colour);
/* *ref = ring index index of the colour, or the null reference outside
 * the ring. Always VRELO_OPTIONAL_DONE. */
VRELO_API int32_t RefOptionalBuf(RingBuf* ring, int16_t colour, int32_t index, OffsetInfo* ref);
/* Stores *ref at ring index index of the colour; nothing outside the
 * ring. Always VRELO_OPTIONAL_DONE. */
VRELO_API int32_t SetOptionalBuf(RingBuf* ring, int16_t colour, int32_t index,
                                 const OffsetInfo* ref);

/* ------------------------------------------------------------------------ */
/* Files and table resources                                                 */
/* ------------------------------------------------------------------------ */

#define VRELO_PATH_MAX 287 /* directory, "/" and file name together */

/* A file named by the host. Offsets on i386: name 0, stream 32,
 * directory 48. */
typedef struct FileRef {
    char name[32];
    void* stream; /* the open stdio stream */
    uint8_t hostBytes[12];
    const char* directory; /* NULL or "" for none */
} FileRef;

/* One table of a resource file. Offsets on i386: id 32, type 36, width 48,
 * length 52, data 56, handle 60. */
typedef struct ResourceRef {
    uint8_t hostBytes0[32];
    int16_t id;
    uint8_t hostBytes34[2];
    uint32_t type; /* also the file offset of the type's directory pointer */
    uint8_t hostBytes40[8];
    int16_t width; /* element width for byte-order conversion: 1, 2, 4 */
    uint8_t hostBytes50[2];
    int32_t length;
    void* data;
    PtrHandle handle;
} ResourceRef;

/* Every file call names its file by the record's directory and name (a
 * path of at most VRELO_PATH_MAX bytes) and, unless said otherwise,
 * answers VRELO_OK or VRELO_FILE_FAILED, for a NULL record too.
 *
 * Resource files are little-endian. The library is built for little-endian
 * x86 only, where nothing is ever converted. A big-endian build converts
 * each 12-byte directory entry as three 4-byte units; the 16-bit id then no
 * longer sits at entry offset 4 but in the low 16 bits of the middle unit's
 * value. The lookup reads the id from there, which is right on either byte
 * order, and converts table data with the record's width; a big-endian
 * build has never been run. */

/* Opens the file into file->stream: mode 0 to read, 1 to read and write. */
VRELO_API int32_t MyLoadLibrary2(FileRef* file, int16_t mode);
/* Closes the open file and clears file->stream: fclose's result, or
 * VRELO_FILE_FAILED when no file is open. */
VRELO_API int32_t MyFreeLibrary2(FileRef* file);
/* Reads exactly length bytes of the open file into buffer. */
VRELO_API int32_t MyFileRead(FileRef* file, void* buffer, int32_t length);
/* Moves the open file to the absolute position. */
VRELO_API int32_t MyFileSeek(FileRef* file, int32_t position);
/* Writes exactly length bytes of buffer to the open file. */
VRELO_API int32_t MyFileWrite(FileRef* file, const void* buffer, int32_t length);
/* The file's size in bytes (it need not be open), or VRELO_FILE_FAILED. */
VRELO_API int32_t MySizeofFile(FileRef* file);
/* Creates the file, or empties it, and closes it again. */
VRELO_API int32_t MyCreateFile(FileRef* file);
/* 1 on a big-endian host, where resource data is converted; 0 here. */
VRELO_API int32_t SwapBinaryDataCheck(void);
/* Reverses the bytes of each whole unit of width 2 or 4 in the length
 * bytes of buffer; any other width, and trailing bytes, stay as they are. */
VRELO_API void SwapBinaryData(void* buffer, int32_t length, int16_t width);
/* Loads the table named by table->type and table->id from the open file
 * into a new block in table->handle, with table->data and table->length
 * set. VRELO_OK, VRELO_FILE_FAILED (a file failure, no such table, numbers
 * the file cannot hold) or VRELO_NO_MEMORY. The data stays valid until
 * MyUnlockFreeResource2, which also releases it after a failed read. */
VRELO_API int32_t MyLoadLockResource2(FileRef* file, ResourceRef* table);
/* Releases a table's block and clears table->data. */
VRELO_API void MyUnlockFreeResource2(ResourceRef* table);
/* Rewrites the table's data in place in the open file (opened with mode
 * 1), only when its stored length is expected: the file never changes
 * size. */
VRELO_API int32_t MyWriteTable(FileRef* file, ResourceRef* table, int32_t expected);

/* ------------------------------------------------------------------------ */
/* Earlier names of the size macros, for hosts written against them          */
/* ------------------------------------------------------------------------ */

#define OFFSET_BLOCK_SLOTS VRELO_OFFSET_BLOCK_SLOTS
#define OFFSET_BLOCK_BYTES VRELO_OFFSET_BLOCK_BYTES
#define RING_OUTBUF_SLOTS VRELO_RING_OUTBUF_SLOTS
#define OUT_TABLE_ENTRIES VRELO_OUT_TABLE_ENTRIES

#ifdef __cplusplus
}
#endif

/* ------------------------------------------------------------------------ */
/* Layout checks for the product target                                      */
/* ------------------------------------------------------------------------ */

#if defined(__i386__)
#include <stddef.h>
/* An array of negative size stops the compiler where a layout differs.
 * Unlike static_assert and _Static_assert, this form is accepted by every
 * C standard from C89 and every C++ standard from C++98. */
#define VRELO_ASSERT(c, name) typedef char vrelo_layout_##name[(c) ? 1 : -1]
VRELO_ASSERT(sizeof(PtrHandle) == 12, PtrHandle);
VRELO_ASSERT(sizeof(OffsetInfo) == 12, OffsetInfo);
VRELO_ASSERT(sizeof(OffsetMemory) == 20, OffsetMemory);
VRELO_ASSERT(offsetof(OffsetMemory, blockCounter) == 16, blockCounter);
VRELO_ASSERT(sizeof(RingBuf) == 1288 * 12 + 4 + 24, RingBuf);
VRELO_ASSERT(offsetof(RingBuf, TempBuf) == 1281 * 12, TempBuf);
VRELO_ASSERT(offsetof(RingBuf, RPointer) == 1288 * 12, RPointer);
VRELO_ASSERT(sizeof(OutEntry) == 8, OutEntry);
VRELO_ASSERT(sizeof(OutList) == 8, OutList);
VRELO_ASSERT(offsetof(OutList, entries) == 4, OutList_entries);
VRELO_ASSERT(sizeof(ColorPlane) == 12, ColorPlane);
VRELO_ASSERT(offsetof(ColorPlane, tailBlank) == 8, tailBlank);
VRELO_ASSERT(sizeof(RasterLine) == 76, RasterLine);
VRELO_ASSERT(offsetof(RasterLine, planes) == 4, planes);
VRELO_ASSERT(sizeof(OutputParam) == 192, OutputParam);
VRELO_ASSERT(offsetof(OutputParam, depthSelA) == 2, depthSelA);
VRELO_ASSERT(offsetof(OutputParam, depthSelB) == 4, depthSelB);
VRELO_ASSERT(offsetof(OutputParam, depthSelC) == 6, depthSelC);
VRELO_ASSERT(offsetof(OutputParam, modeBits) == 10, modeBits);
VRELO_ASSERT(offsetof(OutputParam, inResX) == 18, inResX);
VRELO_ASSERT(offsetof(OutputParam, inResY) == 20, inResY);
VRELO_ASSERT(offsetof(OutputParam, outResX) == 22, outResX);
VRELO_ASSERT(offsetof(OutputParam, outResY) == 24, outResY);
VRELO_ASSERT(offsetof(OutputParam, feedFlag) == 26, feedFlag);
VRELO_ASSERT(offsetof(OutputParam, modeLevel) == 94, modeLevel);
VRELO_ASSERT(offsetof(FileRef, stream) == 32, FileRef_stream);
VRELO_ASSERT(offsetof(FileRef, directory) == 48, FileRef_directory);
VRELO_ASSERT(sizeof(FileRef) == 52, FileRef);
VRELO_ASSERT(offsetof(ResourceRef, id) == 32, ResourceRef_id);
VRELO_ASSERT(offsetof(ResourceRef, type) == 36, ResourceRef_type);
VRELO_ASSERT(offsetof(ResourceRef, width) == 48, ResourceRef_width);
VRELO_ASSERT(offsetof(ResourceRef, length) == 52, ResourceRef_length);
VRELO_ASSERT(offsetof(ResourceRef, data) == 56, ResourceRef_data);
VRELO_ASSERT(offsetof(ResourceRef, handle) == 60, ResourceRef_handle);
VRELO_ASSERT(sizeof(ResourceRef) == 72, ResourceRef);
#undef VRELO_ASSERT
#endif

#endif /* VRELO_VRELO417_H */
