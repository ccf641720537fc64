/* Sending a call's chunks and ending a page the way the job expects: every
 * producing call completed once its bytes are out, and a page end that
 * drains or carries over the delayed rows before the form feed. */
#include "vrelo417_host.h"

int32_t vrelo_host_send_list(const OutList* list, VreloSink sink, void* context) {
    int16_t i;
    for (i = 0; i < list->count; ++i) {
        const OutEntry* entry = &list->entries[i];
        if (entry->length <= 0) continue;
        if (sink(context, entry->data, (size_t)entry->length) != 0) return VRELO_HOST_SEND_FAILED;
    }
    return VRELO_OK;
}

/* A producing call's answer: its chunks sent, then OutputComplete. The job
 * is completed even when the sink fails, so it can still be closed. */
static int32_t send_and_complete(MasterWork** job, int32_t status, const OutList* list,
                                 VreloSink sink, void* context) {
    int32_t sent, completed;
    if (vrelo_status_failed(status)) return status;
    sent = vrelo_host_send_list(list, sink, context);
    completed = OutputComplete(job);
    if (vrelo_status_failed(completed)) return completed;
    return sent;
}

int32_t vrelo_host_send_line(MasterWork** job, const RasterLine* line, VreloSink sink,
                             void* context) {
    OutList* list = NULL;
    const int32_t status = OutputProduce(job, line, &list);
    return send_and_complete(job, status, list, sink, context);
}

static int32_t send_flush(MasterWork** job, VreloSink sink, void* context) {
    OutList* list = NULL;
    const int32_t status = OutputFlush(job, &list);
    return send_and_complete(job, status, list, sink, context);
}

static int32_t send_form_feed_call(MasterWork** job, int32_t endLine, VreloSink sink,
                                   void* context) {
    OutList* list = NULL;
    const int32_t status = OutputFormFeed(job, &list, endLine);
    return send_and_complete(job, status, list, sink, context);
}

static int32_t send_form_feed_byte(VreloSink sink, void* context) {
    static const uint8_t kFormFeed = VRELO_HOST_FORM_FEED;
    return sink(context, &kFormFeed, 1) == 0 ? VRELO_OK : VRELO_HOST_SEND_FAILED;
}

/* The calls that bring every row of the page out; 1 in *fed when the
 * library sent the form feed itself. */
static int32_t drain_page(MasterWork** job, const VreloJobSetup* setup, int32_t pageLines,
                          int lastPage, VreloSink sink, void* context, int* fed) {
    int32_t status;
    *fed = 0;
    if (!vrelo_host_is_delayed(setup) || setup->carryOver) {
        status = send_form_feed_call(job, pageLines, sink, context);
        if (status != VRELO_OK || !vrelo_host_is_delayed(setup) || !lastPage) return status;
        /* The last page of a carry-over job: the flush drains the rows the
         * form feed left and ends its list with the form-feed byte. */
        *fed = 1;
    }
    return send_flush(job, sink, context);
}

int32_t vrelo_host_end_page(MasterWork** job, const VreloJobSetup* setup, int32_t pageLines,
                            int lastPage, VreloSink sink, void* context) {
    int fed;
    int32_t status;
    if (job == NULL || setup == NULL || sink == NULL) return VRELO_BAD_ARGUMENT;
    status = drain_page(job, setup, pageLines, lastPage, sink, context, &fed);
    if (status == VRELO_OK && !fed) status = send_form_feed_byte(sink, context);
    if (status != VRELO_OK) return status;
    return OutputInitPart(job, NULL);
}
