/*
 * vrelo417 inks - the renderer: contone lines (sRGB, grey or CMYK, 8 or
 * 16 bits a sample) turned into the printer's six planes K, Y, M, C, m, c
 * at 1 or 2 bits a pixel, filled into a RasterLine ready for OutputProduce.
 *
 * Colour is managed with Little CMS 2: an input profile (a file, or one
 * embedded in a picture) and a printer profile per media, or the
 * renderer's own printer profile, built from the inks' measured look. Grey
 * is built with grey-component replacement, the total ink is limited per
 * media, cyan and magenta are split into light and dark inks with
 * overlapping cross-fades, and the dots come from serpentine error
 * diffusion with tone-dependent weights and threshold modulation (or a
 * blue-noise threshold mask, faster). The same input always gives the
 * same dots.
 *
 * A static host-side library (libvrelo417_inks.a), not part of
 * libvrelo417.so. Usable from C99 and C++. One renderer serves one thread
 * at a time; different renderers may run on different threads.
 */
#ifndef VRELO_VRELO417_INKS_H
#define VRELO_VRELO417_INKS_H

#include <stddef.h>
#include <stdint.h>

#include "vrelo417.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The renderer; opaque. */
typedef struct VreloInks VreloInks;

/* What the input lines hold, pixel by pixel, each sample 8 or 16 bits:
 *   VRELO_INKS_RGB   red, green, blue; sRGB unless an input profile says
 *                    otherwise; 0 is dark
 *   VRELO_INKS_GREY  one sample; sRGB's grey unless an input profile says
 *                    otherwise; 0 is black
 *   VRELO_INKS_CMYK  cyan, magenta, yellow, black; 0 is no ink. Without an
 *                    input profile these are the printer's own inks (cyan
 *                    and magenta then split into light and dark, the ink
 *                    limit and linearisation applied); with one, colours
 *                    to be matched like any other. */
enum { VRELO_INKS_RGB = 1, VRELO_INKS_GREY = 2, VRELO_INKS_CMYK = 3 };

/* The media printed on: each has its total ink limit and its default
 * printer profile. */
enum {
    VRELO_INKS_PLAIN = 1, /* plain paper */
    VRELO_INKS_PHOTO = 2  /* photo paper: more ink, darker shadows */
};

/* How dots are placed. */
enum {
    VRELO_INKS_DIFFUSION = 1, /* error diffusion: the best quality */
    VRELO_INKS_BLUE_NOISE = 2 /* a blue-noise threshold mask: faster */
};

/* ICC rendering intents for the colour transforms (as ICC numbers them). */
enum {
    VRELO_INKS_PERCEPTUAL = 0,
    VRELO_INKS_RELATIVE = 1, /* relative colorimetric */
    VRELO_INKS_SATURATION = 2,
    VRELO_INKS_ABSOLUTE = 3
};

/* Results. Negative values are failures; the renderer's message (or the
 * message buffer of vrelo_inks_new) says what is wrong and why. */
enum {
    VRELO_INKS_OK = 0,
    VRELO_INKS_BAD_OPTION = -1,  /* an option out of its range */
    VRELO_INKS_BAD_PROFILE = -2, /* a profile unreadable or unusable */
    VRELO_INKS_NO_MEMORY = -3,
    VRELO_INKS_BAD_CALL = -4,    /* a NULL argument, or a line before
                                    vrelo_inks_start_page */
    VRELO_INKS_CANNOT_WRITE = -5 /* vrelo_inks_write_profile's file */
};

/* Enough room for any message of the renderer, with its terminating 0. */
#define VRELO_INKS_MESSAGE_SIZE 512

/* The largest total ink limit: every ink at full coverage. */
#define VRELO_INKS_MAX_INK_LIMIT 6.0

/* What a renderer is made for. Start from vrelo_inks_default_options. */
typedef struct VreloInksOptions {
    int input;                    /* VRELO_INKS_RGB, VRELO_INKS_GREY or VRELO_INKS_CMYK */
    int sampleBits;               /* 8, or 16 (uint16_t in the host's byte order) */
    int32_t width;                /* pixels a line, in and out: 1 to 32767 */
    int bits;                     /* printer bits a pixel: 1 (one dot size) or 2 (three
                                     dot sizes, levels 1 to 3) */
    int media;                    /* VRELO_INKS_PLAIN or VRELO_INKS_PHOTO */
    int halftone;                 /* VRELO_INKS_DIFFUSION or VRELO_INKS_BLUE_NOISE */
    int intent;                   /* VRELO_INKS_PERCEPTUAL ... VRELO_INKS_ABSOLUTE: used
                                     when a profile is given */
    double inkLimit;              /* total ink a pixel may carry on average, 1.0 being
                                     one ink at full coverage (at 2 bits, level 3 on
                                     every pixel); 0: the media's own limit */
    const char* inputProfile;     /* ICC profile file of the input, or NULL */
    const void* inputProfileData; /* or a profile in memory (one embedded in
                                     a picture), inputProfileSize bytes;
                                     used when inputProfile is NULL */
    size_t inputProfileSize;
    const char* printerProfile; /* ICC profile file of the printer on this
                                   media (output class, six colours in the
                                   order K Y M C m c, or CMYK), or NULL
                                   for the renderer's own; the renderer's
                                   own profile for this media (see
                                   vrelo_inks_write_profile) stands for
                                   its own separation */
    int threads;                /* 0 or 1: all work on the calling thread; 2 or more:
                                   a second thread of the renderer's separates
                                   each line ahead of the error diffusion,
                                   giving the same dots;
                                   where the system gives no thread, the calling
                                   thread renders alone */
} VreloInksOptions;

/* Fills *options for 8-bit sRGB lines of width pixels, printed at 1 bit on
 * plain paper by error diffusion, with the media's ink limit, the relative
 * colorimetric intent, no profiles and no threads. */
void vrelo_inks_default_options(VreloInksOptions* options, int32_t width);

/* Makes a renderer for the options: reads and checks the profiles and
 * builds the separation. On VRELO_INKS_OK *renderer is ready for
 * vrelo_inks_start_page; on a failure *renderer is NULL and message (when
 * not NULL) receives, in at most messageSize bytes, what is wrong and why,
 * e.g. "the printer profile /x.icc has 3 colour channels: a printer
 * profile has six (K Y M C m c) or CMYK". The renderer's own separation
 * is built once per process for each ink limit and dot size (about half a
 * second), a separation through profiles for each renderer. */
int vrelo_inks_new(VreloInks** renderer, const VreloInksOptions* options, char* message,
                   size_t messageSize);

/* Starts a page: the next line rendered is line 0, and nothing carries
 * over from the page before, so the same page always gives the same dots.
 * VRELO_INKS_OK, or VRELO_INKS_BAD_CALL for a NULL renderer. */
int vrelo_inks_start_page(VreloInks* renderer);

/* Renders the page's next contone line: samples holds options.width
 * pixels of the input kind (3, 1 or 4 samples each, of sampleBits bits).
 * Fills *line for OutputProduce: lineNumber counts the lines rendered
 * since vrelo_inks_start_page, and each plane that has ink on this line
 * points at a row of the renderer (width pixels, the first in the high
 * bits of byte 0, rows of (width * bits + 7) / 8 bytes) valid until the
 * next call on this renderer; a plane without ink has data NULL and width
 * 0. Returns 1 when the line has ink, 0 when it has none (a host skips
 * such a line: blank lines cost almost nothing), or a negative result
 * (VRELO_INKS_BAD_CALL: a NULL argument, or no page started). */
int vrelo_inks_render_line(VreloInks* renderer, const void* samples, RasterLine* line);

/* What the last failing call on the renderer said, or "" when none has
 * failed. Valid until the next call on the renderer. */
const char* vrelo_inks_message(const VreloInks* renderer);

/* Frees the renderer and its rows; NULL is ignored. */
void vrelo_inks_free(VreloInks* renderer);

/* Writes the renderer's own printer profile for a media as an ICC file
 * (output class, Lab to six colours K Y M C m c and back), the profile used
 * when no printer profile is given: for shipping beside a PPD or for
 * colour-managed applications. It holds the separation at one dot size; a
 * renderer given it as the printer profile for its media knows it by its
 * description and uses its own separation for the dot sizes it prints.
 * VRELO_INKS_OK, VRELO_INKS_BAD_OPTION for an unknown media, or
 * VRELO_INKS_CANNOT_WRITE, with message as in vrelo_inks_new. */
int vrelo_inks_write_profile(int media, const char* path, char* message, size_t messageSize);

#ifdef __cplusplus
}
#endif

#endif
