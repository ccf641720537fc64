/* Names and sentences for the statuses the library returns, so that a host
 * reports a failure in words rather than as a number. */
#include "vrelo417_host.h"

typedef struct StatusWords {
    int32_t status;
    const char* name;
    const char* text;
} StatusWords;

static const StatusWords kStatuses[] = {
    {VRELO_OK, "VRELO_OK", "done"},
    {VRELO_OPEN_OK, "VRELO_OPEN_OK", "the job is open"},
    {VRELO_OPEN_FAILED, "VRELO_OPEN_FAILED", "the job could not be opened: out of memory"},
    {VRELO_OUT_OF_ORDER, "VRELO_OUT_OF_ORDER",
     "call out of order: a list was still pending, or none was pending for "
     "OutputComplete"},
    {VRELO_LOCK_FAILED, "VRELO_LOCK_FAILED",
     "the job's memory could not be locked, unlocked or released; in delayed "
     "mode the job refuses every call until it is configured again"},
    {VRELO_RANGE_FAILED, "VRELO_RANGE_FAILED",
     "out of memory for a row or a skip block; the line's rows were lost"},
    {VRELO_BAD_ARGUMENT, "VRELO_BAD_ARGUMENT",
     "refused before anything changed: a missing record, a bad plane, a line "
     "out of order or an advance above the limit"},
    {VRELO_FAILED, "VRELO_FAILED", "the building block failed"},
    {VRELO_FILE_FAILED, "VRELO_FILE_FAILED", "a file could not be used, or a table is missing"},
    {VRELO_HOST_SEND_FAILED, "VRELO_HOST_SEND_FAILED",
     "the bytes could not be sent to the printer"},
};

static const StatusWords* words_of(int32_t status) {
    size_t i;
    for (i = 0; i < sizeof kStatuses / sizeof kStatuses[0]; ++i)
        if (kStatuses[i].status == status) return &kStatuses[i];
    return NULL;
}

const char* vrelo_status_name(int32_t status) {
    const StatusWords* words = words_of(status);
    return words != NULL ? words->name : "unknown status";
}

const char* vrelo_status_text(int32_t status) {
    const StatusWords* words = words_of(status);
    return words != NULL ? words->text : "a status the library never returns";
}

int vrelo_status_failed(int32_t status) {
    return status < 0 || status == VRELO_RANGE_FAILED;
}
