/* A host written in C99: includes the public header and drives the shared
 * library through its exports only. */
#define _POSIX_C_SOURCE 200809L /* mkdtemp, rmdir */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "vrelo417.h"
#include "vrelo417_host.h"

static int failures = 0;

#define CHECK(cond)                                                    \
    do {                                                               \
        if (!(cond)) {                                                 \
            fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #cond); \
            ++failures;                                                \
        }                                                              \
    } while (0)

static void memory_handles(void) {
    PtrHandle handle;
    CHECK(MyNewPH(64, &handle) == 0);
    CHECK(MyNullPHCheck(&handle) == 0);
    CHECK(((unsigned char*)handle.pointer)[63] == 0);
    MyDisposePH(&handle);
    CHECK(MyNullPHCheck(&handle) == 1);
    CHECK(MyNewPtr(-1) == NULL);
}

static void sub_allocator(void) {
    OffsetMemory root;
    OffsetInfo ref;
    uint8_t* bytes;
    OffsetInitPara(&root);
    CHECK(OffsetLockMemory(&root) == 0);
    CHECK(OffsetNewID(&root, &ref, 2352) == 0);
    CHECK(ref.blockId == 1 && ref.offset == 0 && ref.length == 2352);
    bytes = OffsetNewPtr(&root, &ref);
    CHECK(bytes != NULL);
    if (bytes != NULL) memset(bytes, 0xAB, 2352);
    CHECK(OffsetDisposeID(&root, &ref) == -1); /* locked */
    CHECK(OffsetUnLockMemory(&root) == 0);
    CHECK(OffsetDisposeID(&root, &ref) == 0);
    CHECK(ref.blockId == 0 && ref.offset == 0 && ref.length == 0);
    CHECK(MyNullPHCheck(&root.firstHandle) == 1);
    CHECK(OffsetDisposeMemory(NULL) == 0);
}

/* The constant tables are exported data: read here through the library. */
static void delay_lines(void) {
    static RingBuf ring;
    OffsetInfo row = {1, 0, 40};
    OffsetInfo got;
    CHECK(ColorOffset[1] == 336 && ColorBufsize[1] == 512);
    InitRingBuf(&ring);
    InitTempBuf(&ring);
    InitRPointer(&ring);
    InitWPointer(&ring);
    CHECK(SetOffsetInfo(&ring, &row, 3) == 0);
    CHECK(CopyTempToOutbuf(&ring, 3) == 0);
    CHECK(RefOptionalBuf(&ring, 3, ColorOffset[3], &got) == 1);
    CHECK(got.blockId == 1 && got.length == 40);
    CHECK(ResetRingBuf(&ring, 3) == 0);
    CHECK(RefOutbufReadInfo(&ring, 6, &got) == -1 && got.blockId == 0);
}

/* A record laid out by a C host: create, size and reopen a file, in a
 * directory of its own under TMPDIR (else /tmp). */
static void files(void) {
    FileRef file;
    const char* parent = getenv("TMPDIR");
    char directory[512], name[600];
    const unsigned char bytes[3] = {1, 2, 3};
    FILE* out;
    snprintf(directory, sizeof directory, "%s/vrelo-XXXXXX",
             parent != NULL && *parent != 0 ? parent : "/tmp");
    CHECK(mkdtemp(directory) != NULL);
    snprintf(name, sizeof name, "%s/data.bin", directory);
    out = fopen(name, "wb");
    CHECK(out != NULL && fwrite(bytes, 1, 3, out) == 3);
    if (out != NULL) fclose(out);
    memset(&file, 0, sizeof file);
    strcpy(file.name, "data.bin");
    file.directory = directory;
    CHECK(MySizeofFile(&file) == 3);
    CHECK(MyLoadLibrary2(&file, 2) == VRELO_FILE_FAILED && file.stream == NULL);
    CHECK(MyLoadLibrary2(&file, 1) == VRELO_OK);
    CHECK(MyFileSeek(&file, 2) == VRELO_OK);
    CHECK(MyFileWrite(&file, bytes, 1) == VRELO_OK);
    CHECK(MyFreeLibrary2(&file) == 0);
    CHECK(MySizeofFile(&file) == 3);
    CHECK(MyCreateFile(&file) == VRELO_OK && MySizeofFile(&file) == 0);
    CHECK(SwapBinaryDataCheck() == 0);
    remove(name);
    rmdir(directory);
}

/* A colour-raster command assembled as line production does it. */
static void raster_commands(void) {
    static const uint8_t row[] = {0, 0, 0x41, 0x41, 0x41, 0x41, 0x42};
    static const uint8_t expected[] = {0x1B, 0x28, 0x41, 0x07, 0x00, 0x4D,
                                       0xFF, 0x00, 0xFD, 0x41, 0x00, 0x42};
    uint8_t command[16];
    int32_t length = GetPackBitsLength(row, 2, 6);
    int32_t written = LeftPack(command + 6, 2);
    written += packbits(command + 6 + written, row + 2, 5);
    CHECK(length == 6 && written == 6);
    WriteSpecColor(0, 2, (int16_t)(written + 1), command);
    CHECK(memcmp(command, expected, sizeof expected) == 0);
    CHECK(WriteSkipCommand(300, command) == 7);
    CHECK(command[5] == 0x01 && command[6] == 0x2C);
}

/* A host's whole round: open, configure, one line, its completion, close. */
static void output_job(void) {
    static const uint8_t row[6] = {0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00};
    static const uint8_t chunk[11] = {0x1B, 0x28, 0x41, 0x05, 0x00, 0x4B,
                                      0xFF, 0x00, 0xFE, 0xFF, 0x0D};
    MasterWork* job = NULL;
    OutputParam param;
    RasterLine line;
    OutList* out = NULL;
    memset(&param, 0, sizeof param);
    memset(&line, 0, sizeof line);
    param.inResX = param.outResX = 720; /* positions not doubled */
    line.planes[0].data = row;
    line.planes[0].width = 48;
    CHECK(OutputOpen(&job) == VRELO_OPEN_OK);
    CHECK(OutputInitTwo(&job, &param, 'A') == 0);
    CHECK(OutputProduce(&job, &line, &out) == 0);
    CHECK(out != NULL && out->count == 1 && out->entries[0].length == 11);
    if (out != NULL && out->count == 1)
        CHECK(memcmp(out->entries[0].data, chunk, sizeof chunk) == 0);
    CHECK(OutputProduce(&job, &line, &out) == VRELO_OUT_OF_ORDER);
    CHECK(OutputComplete(&job) == VRELO_OUT_OF_ORDER);
    CHECK(OutputProduce(&job, NULL, &out) == VRELO_BAD_ARGUMENT);
    OutputClose(&job);
}

typedef struct Collected {
    uint8_t bytes[64];
    size_t size;
} Collected;

static int collect(void* context, const uint8_t* data, size_t length) {
    Collected* out = (Collected*)context;
    if (out->size + length > sizeof out->bytes) return 1;
    memcpy(out->bytes + out->size, data, length);
    out->size += length;
    return 0;
}

/* The host helpers: a delayed job configured by name, one yellow row on
 * line 0, and a page end that drains it 336 lines later and ejects. */
static void host_helpers(void) {
    static const uint8_t row[1] = {0xFF};
    static const uint8_t expected[] = {0x1B, 0x28, 0x65, 0x02, 0x00, 0x01, 0x50, 0x1B, 0x28,
                                       0x41, 0x03, 0x00, 0x59, 0x00, 0xFF, 0x0D, 0x0C};
    VreloJobSetup setup = vrelo_host_setup(1440, 720, 1);
    MasterWork* job = NULL;
    RasterLine line;
    Collected out;
    memset(&line, 0, sizeof line);
    memset(&out, 0, sizeof out);
    line.planes[1].data = row;
    line.planes[1].width = 8;
    CHECK(vrelo_host_is_delayed(&setup));
    CHECK(vrelo_host_open(&job, &setup) == VRELO_OK && job != NULL);
    CHECK(vrelo_host_send_line(&job, &line, collect, &out) == VRELO_OK);
    CHECK(out.size == 0);
    CHECK(vrelo_host_end_page(&job, &setup, 1, 1, collect, &out) == VRELO_OK);
    CHECK(out.size == sizeof expected && memcmp(out.bytes, expected, sizeof expected) == 0);
    CHECK(strcmp(vrelo_status_name(VRELO_OUT_OF_ORDER), "VRELO_OUT_OF_ORDER") == 0);
    CHECK(vrelo_status_failed(VRELO_RANGE_FAILED) && !vrelo_status_failed(VRELO_OK));
    OutputClose(&job);
    setup.bits = 3;
    CHECK(vrelo_host_open(&job, &setup) == VRELO_BAD_ARGUMENT && job == NULL);
}

int main(void) {
    memory_handles();
    sub_allocator();
    delay_lines();
    files();
    raster_commands();
    output_job();
    host_helpers();
    if (failures != 0) {
        fprintf(stderr, "0 passed, %d failed\n", failures);
        return 1;
    }
    return 0;
}
