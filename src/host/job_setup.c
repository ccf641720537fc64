/* Parameter blocks for the named configurations: the depth and mode rules
 * of the job's configuration, applied backwards from what a host asks. */
#include <string.h>

#include "vrelo417_host.h"

/* modeLevel 10 lets depthSelA pick the depth in both model groups that
 * know depths: 4 selects 1 bit per pixel, any other value 2 bits. */
enum {
    LEVEL_DEPTH_FROM_SEL_A = 10,
    SEL_A_ONE_BIT = 4,
    SEL_A_TWO_BITS = 2,
    /* modeBits AND 0x000C equal to 0x0004 is the delayed configuration's
     * switch; 0 leaves it off. */
    MODE_BITS_DELAYED = 0x0004,
    MODE_BITS_DIRECT = 0x0000,
    LARGEST_RESOLUTION = 32767
};

/* The model codes whose depth the parameter block chooses, and which may
 * run delayed. Any other code prints 1 bit per pixel in direct mode. */
static const char kDepthModels[] = ";<FQRMNcdKLab";

static int model_knows_depths(int32_t model) {
    return model > 0 && model < 256 && strchr(kDepthModels, (int)model) != NULL;
}

VreloJobSetup vrelo_host_setup(int32_t resX, int32_t resY, int32_t bits) {
    VreloJobSetup setup;
    setup.model = VRELO_HOST_MODEL;
    setup.resX = resX;
    setup.resY = resY;
    setup.bits = bits;
    setup.carryOver = 0;
    return setup;
}

int vrelo_host_is_delayed(const VreloJobSetup* setup) {
    return setup->resX == VRELO_HOST_DELAYED_RES_X && setup->resY == VRELO_HOST_DELAYED_RES_Y;
}

static int check_setup(const VreloJobSetup* setup) {
    if (setup->bits != 1 && setup->bits != 2) return VRELO_HOST_BAD_BITS;
    if (setup->resX < 1 || setup->resX > LARGEST_RESOLUTION || setup->resY < 1 ||
        setup->resY > LARGEST_RESOLUTION)
        return VRELO_HOST_BAD_RESOLUTION;
    if (!model_knows_depths(setup->model) && (setup->bits == 2 || vrelo_host_is_delayed(setup)))
        return VRELO_HOST_BAD_MODEL;
    return VRELO_HOST_SETUP_OK;
}

int vrelo_host_param(const VreloJobSetup* setup, OutputParam* param) {
    const int result = check_setup(setup);
    if (result != VRELO_HOST_SETUP_OK) return result;
    memset(param, 0, sizeof *param);
    param->modelCode = (int16_t)setup->model;
    param->modeLevel = LEVEL_DEPTH_FROM_SEL_A;
    param->depthSelA = setup->bits == 1 ? SEL_A_ONE_BIT : SEL_A_TWO_BITS;
    /* The raster comes at the print resolution: X doubling stays off,
     * since half of outResX never equals inResX. */
    param->outResX = param->inResX = (int16_t)setup->resX;
    param->outResY = param->inResY = (int16_t)setup->resY;
    param->modeBits = vrelo_host_is_delayed(setup) ? MODE_BITS_DELAYED : MODE_BITS_DIRECT;
    param->feedFlag = vrelo_host_is_delayed(setup) && setup->carryOver ? 1 : 0;
    return VRELO_HOST_SETUP_OK;
}

const char* vrelo_host_setup_text(int result) {
    switch (result) {
        case VRELO_HOST_SETUP_OK:
            return "the setup is sound";
        case VRELO_HOST_BAD_BITS:
            return "bits per pixel must be 1 or 2";
        case VRELO_HOST_BAD_RESOLUTION:
            return "a resolution must lie between 1 and 32767 dpi";
        case VRELO_HOST_BAD_MODEL:
            return "this model code prints only 1 bit per pixel in a direct "
                   "configuration";
        default:
            return "unknown setup result";
    }
}

int32_t vrelo_host_open(MasterWork** job, const VreloJobSetup* setup) {
    OutputParam param;
    int32_t status;
    if (job == NULL) return VRELO_BAD_ARGUMENT;
    *job = NULL;
    if (setup == NULL || vrelo_host_param(setup, &param) != VRELO_HOST_SETUP_OK)
        return VRELO_BAD_ARGUMENT;
    status = OutputOpen(job);
    if (status != VRELO_OPEN_OK) {
        OutputClose(job);
        *job = NULL;
        return status;
    }
    status = OutputInitTwo(job, &param, setup->model);
    if (status != VRELO_OK) {
        OutputClose(job);
        *job = NULL;
    }
    return status;
}
