#include "support/OrderedCollection.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using vq::Failure;
using vq::OrderedCollection;
namespace Codes = vq::Codes;

namespace {

int32_t CodeOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const Failure& failure) {
        return failure.Code();
    }
    return 0;
}

TEST(OrderedCollection, PositionsAreOneBasedAndFollowAdditionAndRemoval) {
    OrderedCollection<std::string> list;
    list.Add("a");
    list.Add("b", "KeyB");
    list.Add("c");
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.At(1), "a");
    EXPECT_EQ(list.At(3), "c");
    EXPECT_EQ(CodeOf([&] { list.At(0); }), Codes::SubscriptOutOfRange);
    EXPECT_EQ(CodeOf([&] { list.At(4); }), Codes::SubscriptOutOfRange);

    list.RemoveAt(1);
    EXPECT_EQ(list.At(1), "b");
    EXPECT_EQ(list.KeyAt(1).value_or(""), "KeyB");
    EXPECT_FALSE(list.KeyAt(2).has_value());
    EXPECT_EQ(list.PositionOf("keyb"), 1);
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"b", "c"}));

    // Removed keys are free again, by key or by clearing.
    list.Remove("KEYB");
    list.Add("d", "keyb");
    EXPECT_EQ(list.PositionOf("KeyB"), 2);
    list.Clear();
    EXPECT_EQ(CodeOf([&] { list.Add("e", "KEYB"); }), 0);
}

TEST(OrderedCollection, KeysIgnoreLetterCaseIncludingAccentedLetters) {
    OrderedCollection<int> list;
    list.Add(1, "ÁRVÍZTŰRŐ TÜKÖRFÚRÓGÉP");
    list.Add(2, "ÉCOLE Ç");
    list.Add(3, "Ĳssel Ÿ");
    list.Add(4, "ΑΘΗΝΑ");
    ASSERT_NE(list.Find("árvíztűrő tükörfúrógép"), nullptr);
    EXPECT_EQ(*list.Find("árvíztűrő tükörfúrógép"), 1);
    EXPECT_EQ(*list.Find("école ç"), 2);
    EXPECT_EQ(*list.Find("ĳSSEL ÿ"), 3);
    EXPECT_EQ(*list.Find("αθηνα"), 4);
    // Different letters stay different: o, ö and ő are three letters.
    EXPECT_EQ(list.Find("arvizturo tukorfurogep"), nullptr);
    EXPECT_EQ(CodeOf([&] { list.Add(9, "École ç"); }), Codes::DuplicateKey);
    EXPECT_EQ(list.Count(), 4);
}

TEST(KeyFold, UpperCaseUndoesFoldingExceptForLettersWithoutAPair) {
    const std::set<char32_t> foldedElsewhere = {0x130};  // İ folds to i, whose capital is I
    const std::set<char32_t> upperOnly = {0x131, 0x17F, 0xB5, 0x3C2};  // ı ſ µ ς
    for (char32_t c = 0; c < 0x500; ++c) {
        const char32_t lower = vq::FoldCodePoint(c);
        if (lower != c && foldedElsewhere.count(c) == 0) {
            EXPECT_EQ(vq::UpperCodePoint(lower), c) << "U+" << std::hex << uint32_t(c);
        }
        const char32_t upper = vq::UpperCodePoint(c);
        if (upper != c && upperOnly.count(c) == 0) {
            EXPECT_EQ(vq::FoldCodePoint(upper), c) << "U+" << std::hex << uint32_t(c);
        }
    }
    EXPECT_EQ(vq::UpperCase("straße ı ς ÿ"), "STRAßE I Σ Ÿ");
}

TEST(KeyFold, LeavesBytesThatAreNotUtf8Alone) {
    const std::string broken =
        std::string("AB") + static_cast<char>(0xC3) + "X" + static_cast<char>(0xFF);
    const std::string folded = vq::FoldKey(broken);
    EXPECT_EQ(folded, std::string("ab") + static_cast<char>(0xC3) + "x" + static_cast<char>(0xFF));
    // An overlong encoding of "A" is not decoded (it would otherwise fold to "a").
    const std::string overlong = {static_cast<char>(0xC1), static_cast<char>(0x81)};
    EXPECT_EQ(vq::FoldKey(overlong), overlong);
}

}  // namespace
