/*
 * vrelo417 host helpers - what every host of libvrelo417.so needs and
 * should not have to work out from the parameter block's rules: a block
 * for a named configuration, the name of a status, and a page end that
 * loses no row.
 *
 * A small static library beside the product (libvrelo417_host.a), built on
 * the public calls of vrelo417.h only. Usable from C99 and C++.
 */
#ifndef VRELO_VRELO417_HOST_H
#define VRELO_VRELO417_HOST_H

#include <stddef.h>
#include <stdint.h>

#include "vrelo417.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ------------------------------------------------------------------------ */
/* Configurations                                                            */
/* ------------------------------------------------------------------------ */

/* The model code the helpers use unless a host names its own: one of the
 * codes that allow every depth and the delayed configuration. */
#define VRELO_HOST_MODEL 'M'

/* The print resolution of the delayed configuration. */
#define VRELO_HOST_DELAYED_RES_X 1440
#define VRELO_HOST_DELAYED_RES_Y 720

/* What a host asks of a job. 1440 x 720 runs the delayed configuration
 * (each colour reaches the printer a fixed number of lines late); every
 * other resolution runs a direct one. The host's raster is always at the
 * print resolution: the helpers never turn on X doubling. */
typedef struct VreloJobSetup {
    int32_t model; /* model code for OutputInitTwo, VRELO_HOST_MODEL */
    int32_t resX;  /* print resolution, dots per inch, 1..32767 */
    int32_t resY;
    int32_t bits;      /* bits per pixel in the host's rows: 1 or 2 */
    int32_t carryOver; /* delayed only: 1 carries the rows still due at a
                          page end over to the next page */
} VreloJobSetup;

/* Results of vrelo_host_param. */
enum {
    VRELO_HOST_SETUP_OK = 0,
    VRELO_HOST_BAD_BITS = -1,       /* bits is neither 1 nor 2 */
    VRELO_HOST_BAD_RESOLUTION = -2, /* a resolution outside 1..32767 */
    VRELO_HOST_BAD_MODEL = -3       /* the model code cannot give this depth
                                       or the delayed configuration */
};

/* A setup with VRELO_HOST_MODEL, the given resolution and depth, and no
 * carry-over. */
VreloJobSetup vrelo_host_setup(int32_t resX, int32_t resY, int32_t bits);

/* 1 when the setup runs the delayed configuration, else 0. */
int vrelo_host_is_delayed(const VreloJobSetup* setup);

/* Fills the 192-byte parameter block that configures a job exactly as the
 * setup asks (all other bytes zero). Returns VRELO_HOST_SETUP_OK or one of
 * the errors above, leaving *param untouched on an error. */
int vrelo_host_param(const VreloJobSetup* setup, OutputParam* param);

/* Text for a vrelo_host_param result: "bits per pixel must be 1 or 2". */
const char* vrelo_host_setup_text(int result);

/* OutputOpen, then OutputInitTwo with the setup's block and model. On
 * VRELO_OK *job is configured for its first page; on any other result the
 * job is closed again and *job is NULL. A setup that vrelo_host_param
 * refuses gives VRELO_BAD_ARGUMENT. */
int32_t vrelo_host_open(MasterWork** job, const VreloJobSetup* setup);

/* ------------------------------------------------------------------------ */
/* Statuses                                                                  */
/* ------------------------------------------------------------------------ */

/* The constant's name, "VRELO_OUT_OF_ORDER"; "unknown status" for values
 * the library never returns. -108 is named VRELO_LOCK_FAILED, what the job
 * calls mean by it. */
const char* vrelo_status_name(int32_t status);

/* One sentence on what the status means for a host. */
const char* vrelo_status_text(int32_t status);

/* A status that stops the job: negative, or VRELO_RANGE_FAILED (positive,
 * but the call produced no rows). */
int vrelo_status_failed(int32_t status);

/* ------------------------------------------------------------------------ */
/* Sending and ending pages                                                  */
/* ------------------------------------------------------------------------ */

/* Where the bytes for the printer go: returns 0 when all length bytes were
 * taken, anything else to stop. */
typedef int (*VreloSink)(void* context, const uint8_t* data, size_t length);

/* Returned by the calls below when the sink refused bytes. */
#define VRELO_HOST_SEND_FAILED (-2)

/* The form-feed byte that ejects a page. */
#define VRELO_HOST_FORM_FEED 0x0C

/* Sends every chunk of list, in order. VRELO_OK or VRELO_HOST_SEND_FAILED. */
int32_t vrelo_host_send_list(const OutList* list, VreloSink sink, void* context);

/* OutputProduce for one line, its chunks sent, then OutputComplete.
 * Returns the first status that stops the job, VRELO_HOST_SEND_FAILED, or
 * VRELO_OK. */
int32_t vrelo_host_send_line(MasterWork** job, const RasterLine* line, VreloSink sink,
                             void* context);

/* Ends a page of pageLines raster lines so that every row reaches the
 * printer and exactly one form-feed byte follows it, then starts the next
 * page (OutputInitPart):
 *   direct mode:           OutputFormFeed, then the form feed;
 *   delayed, no carry-over: OutputFlush (drains the rows still waiting),
 *                          then the form feed;
 *   delayed, carry-over:   OutputFormFeed at pageLines (the rows due later
 *                          go on to the next page), then the form feed; on
 *                          the last page OutputFormFeed and OutputFlush,
 *                          which drains the carried rows and sends the form
 *                          feed itself.
 * Each producing call is completed once its chunks are sent. Returns the
 * first status that stops the job, VRELO_HOST_SEND_FAILED, or VRELO_OK. */
int32_t vrelo_host_end_page(MasterWork** job, const VreloJobSetup* setup, int32_t pageLines,
                            int lastPage, VreloSink sink, void* context);

#ifdef __cplusplus
}
#endif

#endif /* VRELO_VRELO417_HOST_H */
