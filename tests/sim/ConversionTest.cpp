// The shared service's integer conversion.

#include <gtest/gtest.h>

#include "sim/Conversion.h"
#include "support/Failure.h"

namespace {

using sim::ToInteger;
using vq::Value;

TEST(Conversion, AcceptedTextsAndNumbers) {
    const std::pair<const char*, int16_t> texts[] = {
        {"0", 0},           {"007", 7},           {" -5 ", -5},
        {"+12", 12},        {"\t42\t", 42},       {"2.5", 2},
        {"3.5", 4},         {"-2.5", -2},         {"-3.5", -4},
        {"2.4999", 2},      {"2.5000001", 3},     {"2.50000", 2},
        {"0.5", 0},         {"1.5", 2},           {".5", 0},
        {"7.", 7},          {"32767", 32767},     {"-32768", -32768},
        {"32767.4", 32767}, {"-32768.5", -32768}, {"0000000000012", 12},
        {"-0", 0}};
    for (const auto& [text, expected] : texts) EXPECT_EQ(ToInteger(Value(text)), expected) << text;

    EXPECT_EQ(ToInteger(Value(12)), 12);
    EXPECT_EQ(ToInteger(Value(2.5)), 2);
    EXPECT_EQ(ToInteger(Value(-3.5)), -4);
    EXPECT_EQ(ToInteger(Value(vq::VbTrue)), -1);
    EXPECT_EQ(ToInteger(Value()), 0);
}

TEST(Conversion, RefusedTextsAndNumbersFailWithTheirReason) {
    const char* notNumbers[] = {"",    " ",   "abc", "1e3", "0x10",  "12abc",
                                "1,5", "- 5", "+",   ".",   "1.2.3", "--1"};
    for (const char* text : notNumbers) {
        try {
            ToInteger(Value(text));
            ADD_FAILURE() << "accepted \"" << text << "\"";
        } catch (const vq::Failure& failure) {
            EXPECT_EQ(failure.Code(), vq::Codes::TypeMismatch) << text;
            EXPECT_NE(failure.Description().find("not a whole number"), std::string::npos);
        }
    }
    const Value outOfRange[] = {Value("32768"),   Value("-32769"), Value("32767.5"),
                                Value("1234567"), Value(40000),    Value(-32768.51),
                                Value(1e300)};
    for (const Value& value : outOfRange) {
        try {
            ToInteger(value);
            ADD_FAILURE() << "accepted " << value.Describe();
        } catch (const vq::Failure& failure) {
            EXPECT_EQ(failure.Code(), vq::Codes::Overflow) << value.Describe();
            EXPECT_NE(failure.Description().find("-32768 to 32767"), std::string::npos);
        }
    }
    EXPECT_THROW(ToInteger(Value::Null()), vq::Failure);
    EXPECT_THROW(ToInteger(Value::Object(nullptr)), vq::Failure);
}

}  // namespace
