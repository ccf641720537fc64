// The configuration rules: model groups, modeLevel and the select fields
// choose the pixel depth; resolution and modeBits choose delayed mode.
#include "output/job_config.hpp"

namespace vrelo {
namespace {

enum class ModelGroup { A, B, Neither };

ModelGroup model_group(int16_t modelCode) {
    switch (modelCode) {
        case ';':
        case '<':
        case 'F':
        case 'Q':
        case 'R':
        case 'M':
        case 'N':
        case 'c':
        case 'd':
            return ModelGroup::A;
        case 'K':
        case 'L':
        case 'a':
        case 'b':
            return ModelGroup::B;
        default:
            return ModelGroup::Neither;
    }
}

// modeLevel values that select something; every other one acts like 15.
constexpr int16_t kLevelZero = 0;
constexpr int16_t kLevelFive = 5;
constexpr int16_t kLevelTen = 10;

// Select-field values that pick a depth or rule out delayed mode.
constexpr int16_t kDepthSelAOneBit = 4;
constexpr int16_t kDepthSelBTwoBits = 27;
constexpr int16_t kDepthSelBNoDelay = 22;
constexpr int16_t kDepthSelCTwoBits = 24;

// Delayed mode needs 1440 x 720 output and this pattern in modeBits.
constexpr int16_t kDelayResX = 1440;
constexpr int16_t kDelayResY = 720;
constexpr int16_t kDelayBitsMask = 0x000C;
constexpr int16_t kDelayBitsValue = 0x0004;

int16_t two_bits_when(bool condition) {
    return condition ? kTwoBitsPerPixel : kOneBitPerPixel;
}

int16_t pixel_shift(ModelGroup group, const OutputParam& p) {
    if (group == ModelGroup::Neither) return kOneBitPerPixel;
    if (p.modeLevel == kLevelTen) return two_bits_when(p.depthSelA != kDepthSelAOneBit);
    if (group == ModelGroup::A && p.modeLevel == kLevelFive)
        return two_bits_when(p.depthSelC == kDepthSelCTwoBits);
    if (group == ModelGroup::B && p.modeLevel == kLevelZero)
        return two_bits_when(p.depthSelB == kDepthSelBTwoBits);
    return kOneBitPerPixel;
}

bool delayed_mode(ModelGroup group, const OutputParam& p) {
    const bool modelAllows =
        group == ModelGroup::A || (group == ModelGroup::B && p.depthSelB != kDepthSelBNoDelay);
    return modelAllows && p.outResX == kDelayResX && p.outResY == kDelayResY &&
           (p.modeBits & kDelayBitsMask) == kDelayBitsValue;
}

// The host rasterised at half the horizontal print resolution (the halving
// truncates, so 1441 counts as 1440) and at the full vertical one.
bool doubled_x(const OutputParam& p) {
    return static_cast<int16_t>(p.outResX / 2) == p.inResX && p.inResY == p.outResY;
}

}  // namespace

JobConfig config_from(const OutputParam& param) {
    const ModelGroup group = model_group(param.modelCode);
    JobConfig config;
    config.pixelShift = pixel_shift(group, param);
    config.delayMode = delayed_mode(group, param) ? 1 : 0;
    config.doubleX = doubled_x(param) ? 1 : 0;
    config.feedOnFlush = param.feedFlag == 1 ? 1 : 0;
    return config;
}

}  // namespace vrelo
