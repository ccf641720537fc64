// Memory handles, master work blocks and copy routines of the porting layer.
#include <gtest/gtest.h>

#include <cstring>

#include "alloc_sweep.hpp"
#include "platform/alloc_fail.hpp"
#include "vrelo417.h"

namespace {

TEST(MemoryHandles, NewHandleIsZeroFilledAndDisposeNullsIt) {
    PtrHandle handle = {reinterpret_cast<void*>(1), 5, 7};
    ASSERT_EQ(MyNewPH(4096, &handle), VRELO_OK);
    EXPECT_EQ(MyNullPHCheck(&handle), 0);
    EXPECT_EQ(handle.reserved, 0);
    EXPECT_EQ(handle.state, 0);
    const auto* bytes = static_cast<const unsigned char*>(handle.pointer);
    for (int i = 0; i < 4096; ++i) ASSERT_EQ(bytes[i], 0) << i;
    MyDisposePH(&handle);
    EXPECT_EQ(MyNullPHCheck(&handle), 1);
    MyDisposePH(&handle);  // a second dispose frees nothing more
    EXPECT_EQ(MyNullPHCheck(&handle), 1);
}

TEST(MemoryHandles, NullTestLooksAtAllThreeFields) {
    PtrHandle handle = {nullptr, 0, 0};
    EXPECT_EQ(MyNullPHCheck(&handle), 1);
    handle.reserved = 1;
    EXPECT_EQ(MyNullPHCheck(&handle), 0);
    handle.reserved = 0;
    handle.state = 1;
    EXPECT_EQ(MyNullPHCheck(&handle), 0);
}

TEST(MemoryHandles, FailuresLeaveTheHandleNull) {
    PtrHandle handle = {reinterpret_cast<void*>(1), 5, 7};
    EXPECT_EQ(MyNewPH(-1, &handle), VRELO_FAILED);  // sizes are signed
    EXPECT_EQ(MyNullPHCheck(&handle), 1);
    vrelo::fail_allocation_after(1);
    EXPECT_EQ(MyNewPH(16, &handle), VRELO_FAILED);
    EXPECT_EQ(MyNullPHCheck(&handle), 1);
    EXPECT_EQ(MyNewPH(16, nullptr), VRELO_FAILED);
    EXPECT_EQ(MyNewPtr(INT32_MIN), nullptr);
    EXPECT_EQ(MyNewMasterWorkPtr(-64), nullptr);
    MyDisposePH(nullptr);
    MyDisposePtr(nullptr);
}

TEST(MemoryHandles, FailureSwitchCountsFromNow) {
    vrelo::fail_allocation_after(2);
    void* first = MyNewPtr(8);
    void* second = MyNewPtr(8);
    void* third = MyNewPtr(8);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(second, nullptr);
    EXPECT_NE(third, nullptr);
    MyDisposePtr(first);
    MyDisposePtr(third);
}

TEST(MasterWorkBlock, FirstFieldIsItsOwnHandle) {
    auto* block = static_cast<PtrHandle*>(MyNewMasterWorkPtr(256));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->pointer, block);
    EXPECT_EQ(block->reserved, 0);
    EXPECT_EQ(block->state, 0);
    const auto* bytes = reinterpret_cast<const unsigned char*>(block);
    for (size_t i = sizeof(PtrHandle); i < 256; ++i) ASSERT_EQ(bytes[i], 0);
    MyDisposeMasterWorkPtr(block);  // LeakSanitizer checks it is freed
    MyDisposeMasterWorkPtr(nullptr);
    // Too small to hold its own handle.
    EXPECT_EQ(MyNewMasterWorkPtr(4), nullptr);
}

TEST(MasterWorkBlock, AllocationFailureGivesNull) {
    const int failures = vrelo_test::sweep_allocation_failures([](int failing) {
        void* block = MyNewMasterWorkPtr(64);
        EXPECT_EQ(block == nullptr, failing == 1);
        MyDisposeMasterWorkPtr(block);
    });
    EXPECT_EQ(failures, 1);
}

TEST(CopyRoutines, CountedCopyUsesASignedSixteenBitCount) {
    unsigned char source[300];
    unsigned char target[300];
    for (int i = 0; i < 300; ++i) source[i] = static_cast<unsigned char>(i);
    std::memset(target, 0xEE, sizeof target);
    Mymemcpy(target, source, 0);
    Mymemcpy(target, source, -5);
    EXPECT_EQ(target[0], 0xEE);
    Mymemcpy(target, source, 299);
    EXPECT_EQ(std::memcmp(target, source, 299), 0);
    EXPECT_EQ(target[299], 0xEE);
    Mymemcpy(nullptr, source, 3);
}

TEST(CopyRoutines, StringCopyAndAppend) {
    char buffer[32] = "x";
    EXPECT_EQ(MyMemCopy2(buffer, "dir"), buffer);
    EXPECT_EQ(MyStrCat(buffer, "/name"), buffer);
    EXPECT_STREQ(buffer, "dir/name");
    EXPECT_EQ(MyStrCat(buffer, nullptr), buffer);
    EXPECT_EQ(MyLockResource(-7), -7);
    MyUnlockFreeResource();
}

}  // namespace
