/* A C host that prints pages in both modes through the shared library and
 * writes everything it gets, statuses and chunks, to standard output. Built
 * twice, once with interposed_names.c beside it: both builds must write the
 * same bytes. */
#include <stdio.h>
#include <string.h>

#include "vrelo417.h"

enum { kRowBytes = 96, kLines = 400 };

static uint8_t rows[VRELO_COLOURS][kRowBytes];

static void put_word(int32_t value) {
    const uint32_t bits = (uint32_t)value;
    const uint8_t bytes[4] = {(uint8_t)bits, (uint8_t)(bits >> 8), (uint8_t)(bits >> 16),
                              (uint8_t)(bits >> 24)};
    fwrite(bytes, 1, sizeof bytes, stdout);
}

/* The call's status, then its chunks as the printer would receive them,
 * then the status of the completion it needs. */
static void send(MasterWork** job, int32_t status, OutList* const* out) {
    const OutList* list = *out;
    int i;
    put_word(status);
    if (status != VRELO_OK) return;
    put_word(list->count);
    for (i = 0; i < list->count; ++i)
        fwrite(list->entries[i].data, 1, (size_t)list->entries[i].length, stdout);
    put_word(OutputComplete(job));
}

/* Row bytes that change with line and colour: runs, pairs and noise, with
 * blank bytes in front now and then. */
static void fill_rows(int32_t line) {
    int c, i;
    uint32_t state = (uint32_t)line * 2654435761u + 1u;
    for (c = 0; c < VRELO_COLOURS; ++c)
        for (i = 0; i < kRowBytes; ++i) {
            state = state * 1103515245u + 12345u;
            rows[c][i] = i < (line % 7) * 5 ? 0 : (uint8_t)((state >> 24) & 0xF3);
        }
}

static void line(MasterWork** job, int32_t number) {
    RasterLine record;
    OutList* list = NULL;
    int c;
    memset(&record, 0, sizeof record);
    record.lineNumber = number;
    fill_rows(number);
    for (c = 0; c < VRELO_COLOURS; ++c) {
        if ((number + c) % 5 == 0) continue; /* a colour without data */
        record.planes[c].data = rows[c];
        record.planes[c].width = kRowBytes * 8;
        record.planes[c].firstPixel = (int16_t)(c * 3);
    }
    send(job, OutputProduce(job, &record, &list), &list);
}

/* Lines with gaps, one of them longer than a skip command carries. */
static void page(MasterWork** job) {
    int32_t number = 0;
    int n;
    for (n = 0; n < kLines; ++n) {
        line(job, number);
        number += n == kLines / 2 ? 40000 : 1 + n % 3;
    }
}

static void form_feed(MasterWork** job, int32_t endLine) {
    OutList* list = NULL;
    send(job, OutputFormFeed(job, &list, endLine), &list);
}

static void flush(MasterWork** job) {
    OutList* list = NULL;
    send(job, OutputFlush(job, &list), &list);
}

/* Two pages of a job: the first ends with a form feed, carried over in
 * delayed mode; the second with a form feed and a flush. */
static void job_pages(int delayed) {
    MasterWork* job = NULL;
    OutputParam param;
    memset(&param, 0, sizeof param);
    param.outResX = 1440;
    param.outResY = 720;
    param.inResX = 1440;
    param.inResY = 720;
    param.modeBits = delayed ? 0x0004 : 0;
    param.feedFlag = 1;
    put_word(OutputOpen(&job));
    put_word(OutputInitTwo(&job, &param, 'M'));
    page(&job);
    form_feed(&job, 41000);
    put_word(OutputInitPart(&job, NULL));
    page(&job);
    form_feed(&job, 41100);
    flush(&job);
    OutputClose(&job);
}

int main(void) {
    job_pages(0);
    job_pages(1);
    return fflush(stdout) == 0 ? 0 : 1;
}
