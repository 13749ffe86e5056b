#include "support/Value.h"

#include <gtest/gtest.h>

#include "support/Failure.h"

using vq::Failure;
using vq::Value;
using vq::VbTrue;
namespace Codes = vq::Codes;

namespace {
int32_t Int16Failure(const Value& v) {
    try {
        v.ToInt16();
    } catch (const Failure& failure) {
        return failure.Code();
    }
    return 0;
}
}  // namespace

TEST(Value, NumbersInTextAreReadWithBlanksSignFractionAndExponent) {
    EXPECT_EQ(vq::ParseNumber(" -12 "), -12.0);
    EXPECT_EQ(vq::ParseNumber("+007"), 7.0);
    EXPECT_EQ(vq::ParseNumber("2.5"), 2.5);
    EXPECT_EQ(vq::ParseNumber(".5"), 0.5);
    EXPECT_EQ(vq::ParseNumber("1e3"), 1000.0);
    for (const char* bad : {"", " ", "-", "1e", "0x10", "12a", "1 2", "--1", "."})
        EXPECT_FALSE(vq::ParseNumber(bad).has_value()) << bad;
}

TEST(Value, NarrowingRoundsHalfToEvenAndChecksTheRange) {
    EXPECT_EQ(Value(2.5).ToInt16(), 2);
    EXPECT_EQ(Value(3.5).ToInt16(), 4);
    EXPECT_EQ(Value(-2.5).ToInt16(), -2);
    EXPECT_EQ(Value(-3.5).ToInt16(), -4);
    EXPECT_EQ(Value(2.51).ToInt16(), 3);
    EXPECT_EQ(Value(" 32767 ").ToInt16(), 32767);
    EXPECT_EQ(Value(-32768).ToInt16(), -32768);
    EXPECT_EQ(Value(VbTrue).ToInt16(), -1);
    EXPECT_EQ(Value().ToInt16(), 0);  // Empty reads as 0
    EXPECT_EQ(Int16Failure(Value(32768)), Codes::Overflow);
    EXPECT_EQ(Int16Failure(Value(32767.5)), Codes::Overflow);
    EXPECT_EQ(Int16Failure(Value("abc")), Codes::TypeMismatch);
    EXPECT_EQ(Int16Failure(Value::Null()), Codes::InvalidUseOfNull);
    EXPECT_EQ(Int16Failure(Value::Missing()), Codes::TypeMismatch);
    EXPECT_EQ(Value(int64_t{70000}).ToInt32(), 70000);
}

TEST(Value, TextFormsAndTruth) {
    EXPECT_EQ(Value(-5).ToText(), "-5");
    EXPECT_EQ(Value(0.1).ToText(), "0.1");
    EXPECT_EQ(Value(1e20).ToText(), "1E+20");
    EXPECT_EQ(Value(VbTrue).ToText(), "True");
    EXPECT_EQ(Value().ToText(), "");
    EXPECT_THROW(Value::Null().ToText(), Failure);
    EXPECT_THROW(Value::Unsupported("Array").ToText(), Failure);

    EXPECT_TRUE(Value(VbTrue).EqualsTrue());
    EXPECT_TRUE(Value(-1).EqualsTrue());
    EXPECT_FALSE(Value(1).EqualsTrue());
    EXPECT_FALSE(Value("True").EqualsTrue());
    EXPECT_FALSE(Value().EqualsTrue());
}
