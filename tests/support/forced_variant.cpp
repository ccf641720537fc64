// Linked into every test program: VRELO_PACKBITS_VARIANT=<name> in the
// environment makes packbits use that encoder variant for the whole run,
// so the job tests pass through each variant. A variant this processor
// cannot run skips the run; an unknown name fails it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "encode/packbits.hpp"

namespace {

bool variant_known(const char* name) {
    for (int32_t i = 0; i < vrelo::kPackBitsVariantCount; ++i)
        if (std::strcmp(vrelo::kPackBitsVariants[i].name, name) == 0) return true;
    return false;
}

class ForcedVariant : public testing::Environment {
  public:
    void SetUp() override {
        const char* name = std::getenv("VRELO_PACKBITS_VARIANT");
        if (name == nullptr) return;
        ASSERT_TRUE(variant_known(name)) << "no PackBits variant " << name;
        if (!vrelo::force_packbits_variant(name))
            GTEST_SKIP() << "this processor cannot run PackBits variant " << name;
    }
};

const testing::Environment* const kForced = testing::AddGlobalTestEnvironment(new ForcedVariant);

}  // namespace
