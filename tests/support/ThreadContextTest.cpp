#include "support/ThreadContext.h"

#include <gtest/gtest.h>

#include <limits>

#include "support/Failure.h"

namespace {

TEST(UntitledCounter, EndsWithAnOverflowAndKeepsItsLastNumber) {
    vq::ThreadContext context;
    EXPECT_EQ(context.NextUntitledNumber(), 1);
    context.UntitledCounter = std::numeric_limits<int32_t>::max() - 1;
    EXPECT_EQ(context.NextUntitledNumber(), std::numeric_limits<int32_t>::max());
    try {
        context.NextUntitledNumber();
        ADD_FAILURE() << "the counter went past 2^31 - 1";
    } catch (const vq::Failure& failure) {
        EXPECT_EQ(failure.Code(), vq::Codes::Overflow);
    }
    EXPECT_EQ(context.UntitledCounter, std::numeric_limits<int32_t>::max());
}

}  // namespace
