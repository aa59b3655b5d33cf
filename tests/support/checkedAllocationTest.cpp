#include "kesp/support/checkedAllocation.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>

#include "kesp/support/runError.h"

namespace kesp {
namespace {

TEST(CheckedAllocationTest, blockIsZeroed)
{
    const auto block = allocateOrStop<std::int32_t>(1000, "a test block");
    for (std::size_t i = 0; i < 1000; ++i) {
        ASSERT_EQ(block[i], 0);
    }
}

TEST(CheckedAllocationTest, impossibleRequestStopsTheRun)
{
#if defined(__SANITIZE_ADDRESS__)
    // The address sanitizer aborts on such a request instead of returning null.
    GTEST_SKIP() << "not testable under AddressSanitizer";
#endif
    // 2^50 entries of 4 bytes exceed any address space.
    try {
        allocateOrStop<std::int32_t>(std::size_t{1} << 50, "a test block");
        ADD_FAILURE() << "the allocation did not stop the run";
    } catch (const RunError& error) {
        EXPECT_EQ(error.kind(), ErrorKind::resources);
        const std::string_view message = error.what();
        EXPECT_TRUE(message.starts_with("Out of memory: cannot allocate a test block of")) << message;
    }
}

}  // namespace
}  // namespace kesp
