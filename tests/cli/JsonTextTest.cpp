#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "cli/JsonText.h"

namespace {

std::string Printf17(double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17g", value);
    return buffer;
}

}  // namespace

TEST(JsonText, MembersStayInTheOrderTheyWereSetOnOneLine)
{
    Json object;
    object["zeta"] = 1;
    object["alpha"] = Json::array({1, Json::array({2, 3})});
    object["empty"] = Json::array();
    object["nothing"] = Json::object();
    object["no"] = false;
    object["yes"] = true;
    object["none"] = nullptr;
    EXPECT_EQ(JsonText(object),
              "{\"zeta\": 1, \"alpha\": [1, [2, 3]], \"empty\": [], \"nothing\": {}, \"no\": false, \"yes\": true, "
              "\"none\": null}");
    // Setting a member again keeps its place.
    object["zeta"] = 2;
    EXPECT_EQ(JsonText(object).rfind("{\"zeta\": 2, \"alpha\"", 0), 0u);
}

TEST(JsonText, NumbersAsPrintfWithSeventeenDigitsAndIntegersWhole)
{
    // Doubles that are whole show no point; the others carry the 17 digits
    // that read back to the same double, where the shortest text would be
    // shorter (0.1, 0.50005).
    for (const double value :
         {6000.0, 0.0, -0.0, 1000.1, 0.1, 3 * 1000.1 / 6000, 1e300, -2.5e-310, 1e17, 123456789.125}) {
        const std::string text = JsonText(Json(value));
        EXPECT_EQ(text, Printf17(value));
        EXPECT_EQ(std::strtod(text.c_str(), nullptr), value) << text;
    }
    EXPECT_EQ(JsonText(Json(6000.0)), "6000");
    EXPECT_EQ(JsonText(Json(0.1)), "0.10000000000000001");
    // JSON has no infinities nor NaN.
    EXPECT_EQ(JsonText(Json::array(
                  {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(), std::nan("")})),
              "[null, null, null]");
    // Integers of every width, signed and unsigned, exactly.
    EXPECT_EQ(JsonText(Json::array({int32_t(-1), std::numeric_limits<int64_t>::min(),
                                    std::numeric_limits<int64_t>::max(), std::numeric_limits<uint64_t>::max()})),
              "[-1, -9223372036854775808, 9223372036854775807, 18446744073709551615]");
}

TEST(JsonText, TextsAreUtf8WithQuotesBackslashesAndControlsEscaped)
{
    EXPECT_EQ(JsonText(JsonString(u"订单1")), "\"订单1\"");
    EXPECT_EQ(JsonText(JsonString(u"\U0001F600")), "\"\xF0\x9F\x98\x80\"");
    EXPECT_EQ(JsonText(JsonString(u"a\"b\\c/d")), "\"a\\\"b\\\\c/d\"");
    // The usual escapes for line feed, return and tab; every other control
    // character, backspace and form feed too, as \u00XX.
    EXPECT_EQ(JsonText(JsonString(u"\n\r\t\x01\b\f\x1f\x7f")), "\"\\n\\r\\t\\u0001\\u0008\\u000c\\u001f\x7f\"");
    // Keys are escaped as values are.
    Json object;
    object["a\"b"] = "x";
    EXPECT_EQ(JsonText(object), "{\"a\\\"b\": \"x\"}");
}

TEST(JsonText, ReadsBackAsTheSameTree)
{
    Json plan;
    plan["error"] = nullptr;
    plan["totalLength"] = 12000.4;
    plan["utilisation"] = 2 / 3.0;
    plan["spec"] = JsonString(u"Q235 \"甲\"\n\t");
    plan["pieces"] = Json::array({Json::array({2995.5, int64_t(2), JsonString(u"订单1")}), Json::array()});
    plan["optimal"] = true;
    const Json back = Json::parse(JsonText(plan));
    EXPECT_EQ(back, plan);
    EXPECT_EQ(back.at("utilisation").get<double>(), 2 / 3.0);
    EXPECT_EQ(back.begin().key(), "error");
}
