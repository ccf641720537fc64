// The host helpers: each named configuration gives a parameter block that
// configures the job exactly as asked (depth, mode, carry-over, never X
// doubling), impossible setups are refused by name, and every status the
// library returns has a name and a sentence.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "output/job_config.hpp"
#include "vrelo417_host.h"

namespace {

struct SetupCase {
    int32_t model, resX, resY, bits, carryOver;
    int16_t pixelShift, delayMode, feedOnFlush;
};

TEST(HostHelpers, EachSetupConfiguresTheJobAsAsked) {
    const SetupCase cases[] = {
        {VRELO_HOST_MODEL, 1440, 720, 1, 0, 3, 1, 0},
        {VRELO_HOST_MODEL, 1440, 720, 2, 1, 2, 1, 1},
        {VRELO_HOST_MODEL, 720, 720, 1, 1, 3, 0, 0},
        {VRELO_HOST_MODEL, 720, 720, 2, 0, 2, 0, 0},
        {VRELO_HOST_MODEL, 360, 360, 2, 0, 2, 0, 0},
        {VRELO_HOST_MODEL, 1440, 1440, 1, 0, 3, 0, 0},
        {'L', 1440, 720, 2, 0, 2, 1, 0},
        {'c', 1440, 720, 1, 1, 3, 1, 1},
        {'A', 720, 720, 1, 0, 3, 0, 0},
    };
    for (const SetupCase& c : cases) {
        VreloJobSetup setup = vrelo_host_setup(c.resX, c.resY, c.bits);
        setup.model = c.model;
        setup.carryOver = c.carryOver;
        OutputParam param;
        ASSERT_EQ(vrelo_host_param(&setup, &param), VRELO_HOST_SETUP_OK);
        EXPECT_EQ(param.modelCode, c.model);
        const vrelo::JobConfig config = vrelo::config_from(param);
        const std::string name = std::to_string(c.resX) + "x" + std::to_string(c.resY) + " " +
                                 std::to_string(c.bits) + " bits, model " +
                                 static_cast<char>(c.model);
        EXPECT_EQ(config.pixelShift, c.pixelShift) << name;
        EXPECT_EQ(config.delayMode, c.delayMode) << name;
        EXPECT_EQ(config.feedOnFlush, c.feedOnFlush) << name;
        EXPECT_EQ(config.doubleX, 0) << name;
        EXPECT_EQ(vrelo_host_is_delayed(&setup), c.delayMode) << name;
    }
}

TEST(HostHelpers, ImpossibleSetupsAreRefusedByName) {
    struct Bad {
        VreloJobSetup setup;
        int result;
    };
    const Bad bad[] = {
        {{VRELO_HOST_MODEL, 720, 720, 3, 0}, VRELO_HOST_BAD_BITS},
        {{VRELO_HOST_MODEL, 0, 720, 1, 0}, VRELO_HOST_BAD_RESOLUTION},
        {{VRELO_HOST_MODEL, 720, 40000, 1, 0}, VRELO_HOST_BAD_RESOLUTION},
        {{'A', 720, 720, 2, 0}, VRELO_HOST_BAD_MODEL},
        {{'A', 1440, 720, 1, 0}, VRELO_HOST_BAD_MODEL},
        {{0, 720, 720, 2, 0}, VRELO_HOST_BAD_MODEL},
    };
    for (const Bad& b : bad) {
        OutputParam param;
        std::memset(&param, 0x5A, sizeof param);
        EXPECT_EQ(vrelo_host_param(&b.setup, &param), b.result);
        EXPECT_EQ(param.modelCode, 0x5A5A) << "left untouched";
        EXPECT_STRNE(vrelo_host_setup_text(b.result), "unknown setup result");
    }
}

TEST(HostHelpers, EveryStatusHasANameAndASentence) {
    for (const int32_t status : std::initializer_list<int32_t>{
             VRELO_OK, VRELO_OPEN_OK, VRELO_OPEN_FAILED, VRELO_OUT_OF_ORDER, VRELO_LOCK_FAILED,
             VRELO_RANGE_FAILED, VRELO_BAD_ARGUMENT, VRELO_FAILED, VRELO_FILE_FAILED,
             VRELO_HOST_SEND_FAILED}) {
        EXPECT_EQ(std::string(vrelo_status_name(status)).rfind("VRELO_", 0), 0u) << status;
        EXPECT_STRNE(vrelo_status_text(status), "a status the library never returns");
    }
    EXPECT_STREQ(vrelo_status_name(12345), "unknown status");
    EXPECT_TRUE(vrelo_status_failed(VRELO_RANGE_FAILED));
    EXPECT_TRUE(vrelo_status_failed(VRELO_OUT_OF_ORDER));
    EXPECT_FALSE(vrelo_status_failed(VRELO_OPEN_OK));
}

}  // namespace
