// The configuration rules as tables: every model group, modeLevel and
// select value through OutputInitTwo, compared with rules written out row
// by row; the resolution and modeBits conditions of delayed mode; the
// doubleX and feedOnFlush rules.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "output/master_work.hpp"

namespace {

enum class Group { A, B, Neither };

struct GroupCodes {
    Group group;
    std::vector<int32_t> codes;
};

// Model codes as OutputInitTwo receives them; only the low 16 bits count,
// so 0x1003B is ";" and 0x2004B is "K".
const GroupCodes kGroups[] = {
    {Group::A, {';', '<', 'F', 'Q', 'R', 'M', 'N', 'c', 'd', 0x1003B}},
    {Group::B, {'K', 'L', 'a', 'b', 0x2004B}},
    {Group::Neither, {'A', 'k', 'm', 0, ':', 0x103B, -1}},
};

enum SelectField { kSelA, kSelB, kSelC };

// One row of the pixel-depth table: within a group and modeLevel, the
// select field's value gives 2 bits per pixel (shift 2) or not.
struct ShiftRule {
    Group group;
    int16_t modeLevel;
    SelectField field;
    int16_t value;
    int16_t shiftWhenEqual;
    int16_t shiftOtherwise;
};

const ShiftRule kShiftRules[] = {
    {Group::A, 5, kSelC, 24, 2, 3},
    {Group::A, 10, kSelA, 4, 3, 2},
    {Group::B, 0, kSelB, 27, 2, 3},
    {Group::B, 10, kSelA, 4, 3, 2},
};

// Every other combination of group and modeLevel: 1 bit per pixel.
int16_t expected_shift(Group group, const OutputParam& p) {
    for (const ShiftRule& rule : kShiftRules) {
        if (rule.group != group || rule.modeLevel != p.modeLevel) continue;
        const int16_t sel = rule.field == kSelA   ? p.depthSelA
                            : rule.field == kSelB ? p.depthSelB
                                                  : p.depthSelC;
        return sel == rule.value ? rule.shiftWhenEqual : rule.shiftOtherwise;
    }
    return 3;
}

bool expected_delay(Group group, const OutputParam& p) {
    const bool model = group == Group::A ||
                       (group == Group::B && p.depthSelB != 22);
    return model && p.outResX == 1440 && p.outResY == 720 &&
           (p.modeBits & 0x000C) == 0x0004;
}

class ConfiguredJob {
  public:
    ConfiguredJob() { EXPECT_EQ(OutputOpen(&work_), VRELO_OPEN_OK); }
    ~ConfiguredJob() { OutputClose(&work_); }
    const MasterWork& configure(const OutputParam& p, int32_t model) {
        EXPECT_EQ(OutputInitTwo(&work_, &p, model), VRELO_OK);
        return *work_;
    }

  private:
    MasterWork* work_ = nullptr;
};

OutputParam blank_param() {
    OutputParam p;
    std::memset(&p, 0, sizeof p);
    return p;
}

// modeLevel values told apart, and some that act like 15.
const int16_t kModeLevels[] = {0, 5, 10, 15, 20, -1, 3, 11, -32768, 32767};

TEST(JobConfig, PixelShiftFollowsTheDepthTableForEveryGroupLevelAndSelect) {
    ConfiguredJob job;
    int checked = 0;
    for (const GroupCodes& g : kGroups)
        for (int32_t code : g.codes)
            for (int16_t level : kModeLevels)
                for (int16_t selA : {4, 2, 0})
                    for (int16_t selB : {27, 22, 26})
                        for (int16_t selC : {24, 23}) {
                            OutputParam p = blank_param();
                            p.modeLevel = level;
                            p.depthSelA = selA;
                            p.depthSelB = selB;
                            p.depthSelC = selC;
                            const MasterWork& w = job.configure(p, code);
                            ASSERT_EQ(w.pixelShift, expected_shift(g.group, w.param))
                                << "model " << code << " level " << level << " A "
                                << selA << " B " << selB << " C " << selC;
                            ASSERT_EQ(w.delayMode, 0);
                            ++checked;
                        }
    EXPECT_EQ(checked, 22 * 10 * 18);
}

TEST(JobConfig, DelayedModeNeedsTheModelResolutionAndModeBits) {
    struct Resolution {
        int16_t x, y;
    };
    const Resolution kResolutions[] = {{1440, 720}, {1440, 360}, {720, 720},
                                       {1441, 720}, {2880, 720}};
    const int16_t kModeBits[] = {0x0004, 0x000C, 0x0008, 0x0005, 0x0000,
                                 0x0014, static_cast<int16_t>(0xFFF7)};
    ConfiguredJob job;
    int delayed = 0;
    for (const GroupCodes& g : kGroups)
        for (int32_t code : g.codes)
            for (int16_t selB : {22, 27, 0})
                for (const Resolution& r : kResolutions)
                    for (int16_t bits : kModeBits) {
                        OutputParam p = blank_param();
                        p.depthSelB = selB;
                        p.outResX = r.x;
                        p.outResY = r.y;
                        p.modeBits = bits;
                        const MasterWork& w = job.configure(p, code);
                        const bool expected = expected_delay(g.group, w.param);
                        ASSERT_EQ(w.delayMode, expected ? 1 : 0)
                            << "model " << code << " B " << selB << " res "
                            << r.x << "x" << r.y << " bits " << bits;
                        delayed += expected;
                    }
    // Groups A (10 codes) and B with selB other than 22 (5 codes, 2 values)
    // at 1440 x 720 with modeBits 0x0004, 0x0005, 0x0014 or 0xFFF7.
    EXPECT_EQ(delayed, (10 * 3 + 5 * 2) * 4);
}

TEST(JobConfig, DoubleXWhenHalfTheOutputWidthAndTheFullHeight) {
    struct Case {
        int16_t inX, inY, outX, outY;
        int16_t doubleX;
    };
    const Case kCases[] = {
        {720, 720, 1440, 720, 1},  {720, 720, 1441, 720, 1},
        {720, 360, 1440, 720, 0},  {721, 720, 1441, 720, 0},
        {720, 720, 1439, 720, 0},  {360, 360, 720, 360, 1},
        {1440, 720, 1440, 720, 0}, {0, 0, 1, 0, 1},
        {-360, 5, -720, 5, 1},     {-360, 5, -721, 5, 1},
        {-16384, 0, -32768, 0, 1},
    };
    ConfiguredJob job;
    for (const Case& c : kCases) {
        OutputParam p = blank_param();
        p.inResX = c.inX;
        p.inResY = c.inY;
        p.outResX = c.outX;
        p.outResY = c.outY;
        EXPECT_EQ(job.configure(p, 'A').doubleX, c.doubleX)
            << c.inX << "/" << c.inY << " -> " << c.outX << "/" << c.outY;
    }
}

TEST(JobConfig, FeedOnFlushOnlyForFeedFlagOne) {
    ConfiguredJob job;
    for (int16_t flag : {1, 0, 2, -1, 257}) {
        OutputParam p = blank_param();
        p.feedFlag = flag;
        EXPECT_EQ(job.configure(p, 'M').feedOnFlush, flag == 1 ? 1 : 0) << flag;
    }
}

}  // namespace
