/* A host built outside the source tree against an installed vrelo417: one
 * yellow row on line 0 of a delayed page, drained 336 lines later and
 * ejected. Exit 0 when the stream is exactly what the printer must get. */
#include <stdio.h>
#include <string.h>

#include <vrelo417.h>
#include <vrelo417_host.h>

static uint8_t stream[64];
static size_t streamSize = 0;

static int collect(void* context, const uint8_t* data, size_t length) {
    (void)context;
    if (streamSize + length > sizeof stream) return 1;
    memcpy(stream + streamSize, data, length);
    streamSize += length;
    return 0;
}

int main(void) {
    static const uint8_t row[1] = {0xFF};
    static const uint8_t expected[] = {0x1B, 0x28, 0x65, 0x02, 0x00, 0x01, 0x50, 0x1B, 0x28,
                                       0x41, 0x03, 0x00, 0x59, 0x00, 0xFF, 0x0D, 0x0C};
    VreloJobSetup setup = vrelo_host_setup(1440, 720, 1);
    MasterWork* job = NULL;
    RasterLine line;
    int32_t status;
    memset(&line, 0, sizeof line);
    line.planes[1].data = row;
    line.planes[1].width = 8;
    status = vrelo_host_open(&job, &setup);
    if (status == VRELO_OK) status = vrelo_host_send_line(&job, &line, collect, NULL);
    if (status == VRELO_OK) status = vrelo_host_end_page(&job, &setup, 1, 1, collect, NULL);
    OutputClose(&job);
    printf("vrelo417 %s, %s, %zu bytes\n", VRELO417_VERSION_STRING, vrelo_status_name(status),
           streamSize);
    return status == VRELO_OK && streamSize == sizeof expected &&
                   memcmp(stream, expected, sizeof expected) == 0
               ? 0
               : 1;
}
