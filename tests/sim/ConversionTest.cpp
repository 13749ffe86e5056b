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

TEST(Conversion, RefusedValuesFailWithTheirReason) {
    const auto failure = [](const Value& value) -> std::pair<int32_t, std::string> {
        try {
            ToInteger(value);
        } catch (const vq::Failure& failure) {
            return {failure.Code(), failure.Description()};
        }
        return {0, "accepted"};
    };
    std::vector<Value> notNumbers = {Value::Object(nullptr)};
    for (const char* text :
         {"", " ", "abc", "1e3", "0x10", "12abc", "1,5", "- 5", "+", ".", "1.2.3", "--1"})
        notNumbers.emplace_back(text);
    for (const Value& value : notNumbers) {
        const auto [code, description] = failure(value);
        EXPECT_EQ(code, vq::Codes::TypeMismatch) << value.Describe();
        EXPECT_NE(description.find("whole number"), std::string::npos) << description;
    }
    for (const Value& value : {Value("32768"), Value("-32769"), Value("32767.5"), Value("1234567"),
                               Value(40000), Value(-32768.51), Value(1e300)}) {
        const auto [code, description] = failure(value);
        EXPECT_EQ(code, vq::Codes::Overflow) << value.Describe();
        EXPECT_NE(description.find("-32768 to 32767"), std::string::npos) << description;
    }
    EXPECT_EQ(failure(Value::Null()).first, vq::Codes::InvalidUseOfNull);
}

}  // namespace
