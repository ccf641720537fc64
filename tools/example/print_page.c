/* Prints one page, a band of every colour running down a square inch, in
 * the 1440 x 720 delayed configuration, into the file named on the
 * command line. Exits 0 when printed, 1 when it failed, 2 when the command
 * line is wrong, as every program of the project does. */
#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "vrelo417.h"
#include "vrelo417_host.h"

enum { WIDTH = 1440, LINES = 720, ROW_BYTES = WIDTH / 8 }; /* 1 bit a pixel */

/* Where the printer's bytes go: here a file. */
static int to_file(void* context, const uint8_t* data, size_t length) {
    return fwrite(data, 1, length, (FILE*)context) == length ? 0 : 1;
}

int main(int argc, char** argv) {
    static uint8_t rows[VRELO_COLOURS][ROW_BYTES]; /* K Y M C m c */
    VreloJobSetup setup = vrelo_host_setup(1440, 720, 1);
    MasterWork* job = NULL;
    FILE* out;
    int32_t status;
    int y, c;
    if (argc == 2 && strcmp(argv[1], "--help") == 0) {
        printf(
            "Usage: %s FILE\nPrints a test page into FILE.\n\nExit status:\n  0  on success\n"
            "  1  when it fails\n  2  when the command line is wrong\n",
            argv[0]);
        return 0;
    }
    if (argc == 2 && strcmp(argv[1], "--version") == 0) {
        printf("%s (vrelo417) %s\n", argv[0], VRELO_VERSION_STRING);
        return 0;
    }
    if (argc != 2 || argv[1][0] == '-') {
        fprintf(stderr, "%s: expected one FILE\nTry '%s --help' for more information.\n", argv[0],
                argv[0]);
        return 2;
    }
    if ((out = fopen(argv[1], "wb")) == NULL) {
        fprintf(stderr, "%s: cannot create %s: %s\n", argv[0], argv[1], strerror(errno));
        return 1;
    }
    status = vrelo_host_open(&job, &setup);
    for (y = 0; y < LINES && status == VRELO_OK; ++y) {
        RasterLine line;
        memset(&line, 0, sizeof line);
        memset(rows, 0, sizeof rows); /* the library has copied the last line */
        line.lineNumber = y;
        for (c = 0; c < VRELO_COLOURS; ++c) {
            rows[c][(y / 8 + c * 20) % ROW_BYTES] = 0xFF;
            line.planes[c].data = rows[c]; /* byte 0 holds pixels 0 to 7 */
            line.planes[c].width = WIDTH;  /* one past the last pixel */
        }
        status = vrelo_host_send_line(&job, &line, to_file, out);
    }
    /* Drains the rows still waiting in the delay lines, then the form feed. */
    if (status == VRELO_OK) status = vrelo_host_end_page(&job, &setup, LINES, 1, to_file, out);
    OutputClose(&job);
    if (fclose(out) != 0 && status == VRELO_OK) status = VRELO_HOST_SEND_FAILED;
    if (status != VRELO_OK) {
        fprintf(stderr, "%s: %s: %s (%s)\n", argv[0], argv[1], vrelo_status_name(status),
                vrelo_status_text(status));
        return 1;
    }
    return 0;
}
