// JSON parser, lookups, quoting and field conversions: every value kind,
// escapes, the nesting limit, and truncated or malformed texts.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "net/json.h"

namespace {

// Parses text, also reporting whether the cursor's flag survived.
bool parsesOk(std::string_view text) {
    JsonCursor c{text.data(), text.data() + text.size(), true};
    parseJsonValue(c, 0);
    return c.ok;
}

std::string nested(int depth) { return std::string(depth, '[') + std::string(depth, ']'); }

} // namespace

TEST(Json, ParsesEveryKind) {
    JsonValue v = parseJson(R"( {"n":null,"b":true,"f":false,"x":-12.5e1,"s":"hi","a":[1,"two",[]],"o":{}} )");
    ASSERT_EQ(v.kind, JsonKind::object);
    ASSERT_EQ(v.members.size(), 7u);
    EXPECT_EQ(jsonGet(v, "n").kind, JsonKind::null);
    EXPECT_EQ(jsonGet(v, "b").kind, JsonKind::boolean);
    EXPECT_TRUE(jsonGet(v, "b").boolean);
    EXPECT_FALSE(jsonGet(v, "f").boolean);
    EXPECT_EQ(jsonGet(v, "x").kind, JsonKind::number);
    EXPECT_EQ(jsonGet(v, "x").number, -125.0);
    EXPECT_EQ(jsonGet(v, "s").text, "hi");
    const JsonValue& a = jsonGet(v, "a");
    ASSERT_EQ(a.kind, JsonKind::array);
    ASSERT_EQ(a.items.size(), 3u);
    EXPECT_EQ(jsonAt(a, 0).number, 1.0);
    EXPECT_EQ(jsonAt(a, 1).text, "two");
    EXPECT_EQ(jsonAt(a, 2).kind, JsonKind::array);
    EXPECT_EQ(jsonGet(v, "o").kind, JsonKind::object);
    EXPECT_TRUE(jsonGet(v, "o").members.empty());
    // Members keep text order; a copy is deep.
    EXPECT_EQ(v.members[0].key, "n");
    EXPECT_EQ(v.members[6].key, "o");
    JsonValue copy = v;
    copy.members[4].value.text = "changed";
    EXPECT_EQ(jsonGet(v, "s").text, "hi");
}

TEST(Json, NumbersAsTheStandardLibraryReadsThem) {
    EXPECT_EQ(parseJson("-0.5e1").number, -5.0);
    EXPECT_EQ(parseJson("0x10").number, 16.0);
    EXPECT_EQ(parseJson("+7").number, 7.0);
    EXPECT_TRUE(std::isinf(parseJson("1e999").number));
    EXPECT_TRUE(std::isnan(parseJson("nan").number));
    EXPECT_EQ(parseJson("nul").kind, JsonKind::null);
    EXPECT_FALSE(parsesOk("nul"));
    EXPECT_FALSE(parsesOk("-"));
    EXPECT_FALSE(parsesOk("@"));
    // A number is read from at most 40 bytes.
    std::string longNumber = "1" + std::string(60, '0');
    EXPECT_EQ(parseJson(longNumber).number, 1e39);
}

TEST(Json, TextAfterTheFirstValueIsIgnored) {
    EXPECT_EQ(parseJson("[1] trailing ]]]").items.size(), 1u);
    EXPECT_TRUE(parseJson("truex").boolean);
    EXPECT_EQ(parseJson("nullnull").kind, JsonKind::null);
    EXPECT_TRUE(parsesOk("false,"));
}

TEST(Json, StringEscapes) {
    EXPECT_EQ(parseJson(R"("a\"b\\c\/d")").text, "a\"b\\c/d");
    EXPECT_EQ(parseJson(R"("\b\f\n\r\t")").text, "\b\f\n\r\t");
    EXPECT_EQ(parseJson(R"("\u00e9")").text, "\xC3\xA9");
    EXPECT_EQ(parseJson(R"("\u0041\u07FF\u0800\uFFFF")").text, "A\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF");
    // Surrogate halves are not combined: each becomes three bytes.
    EXPECT_EQ(parseJson(R"("\uD83D\uDE00")").text, "\xED\xA0\xBD\xED\xB8\x80");
    // A short \u group is the letter u and the digits.
    EXPECT_EQ(parseJson(R"("\u41")").text, "u41");
    // A malformed group counts its valid prefix.
    EXPECT_EQ(parseJson(R"("\u4zzz")").text, std::string(1, '\x04'));
    EXPECT_EQ(parseJson(R"("\q")").text, "q");
    // Raw control and high bytes pass unchanged.
    EXPECT_EQ(parseJson(std::string("\"\x01\xFF\"", 4)).text, std::string("\x01\xFF", 2));
    std::string zero("\"a\0b\"", 5);
    EXPECT_EQ(parseJson(zero).text, std::string("a\0b", 3));
}

TEST(Json, TruncatedTextsFail) {
    for (const char* text : {"", "   \t\r\n", "[", "{", "[1,", "[1", "{\"a\":1", "{\"a\":1,", "{\"a\"", "{\"a\":",
                             "\"abc", "\"abc\\", "\"\\u12", "[[[]]", "tru", "fals"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(parsesOk(text));
        EXPECT_EQ(parseJson(text).kind, JsonKind::null);
    }
}

TEST(Json, MalformedTextsFail) {
    for (const char* text : {"[1,]", "[1 2]", "{1:2}", "{\"a\" 1}", "{\"a\":1 \"b\":2}", "{\"a\":1,}", "[,]", "]",
                             "{\"a\":}", "[nul]", "{'a':1}"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(parsesOk(text));
        EXPECT_EQ(parseJson(text).kind, JsonKind::null);
    }
}

TEST(Json, EmptyContainersWithOrWithoutSpace) {
    EXPECT_EQ(parseJson("[]").kind, JsonKind::array);
    EXPECT_EQ(parseJson("[ \n ]").kind, JsonKind::array);
    EXPECT_EQ(parseJson("{}").kind, JsonKind::object);
    EXPECT_EQ(parseJson("{\t}").kind, JsonKind::object);
}

TEST(Json, NestingLimit) {
    EXPECT_TRUE(parsesOk(nested(33)));
    EXPECT_FALSE(parsesOk(nested(34)));
    EXPECT_TRUE(parsesOk(std::string(32, '[') + "1" + std::string(32, ']')));
    EXPECT_FALSE(parsesOk(std::string(33, '[') + "1" + std::string(33, ']')));
    std::string objects;
    for (int i = 0; i < 34; ++i) objects += "{\"k\":";
    objects += "1" + std::string(34, '}');
    EXPECT_FALSE(parsesOk(objects));
    // Deep hostile input fails quickly instead of exhausting the stack.
    EXPECT_FALSE(parsesOk(std::string(1000000, '[')));
}

TEST(Json, LookupsNeverFail) {
    JsonValue v = parseJson(R"({"a":1,"a":2,"list":[10,20]})");
    EXPECT_EQ(jsonGet(v, "a").number, 1.0); // the first of duplicates
    EXPECT_EQ(&jsonGet(v, "missing"), &jsonNull);
    EXPECT_EQ(&jsonGet(v, "A"), &jsonNull);
    EXPECT_EQ(&jsonGet(v, ""), &jsonNull);
    EXPECT_EQ(&jsonGet(jsonGet(v, "list"), "a"), &jsonNull);
    EXPECT_EQ(&jsonGet(parseJson("\"a\""), "a"), &jsonNull);
    EXPECT_EQ(&jsonGet(jsonNull, "a"), &jsonNull);
    const JsonValue& list = jsonGet(v, "list");
    EXPECT_EQ(jsonAt(list, 1).number, 20.0);
    EXPECT_EQ(&jsonAt(list, 2), &jsonNull);
    EXPECT_EQ(&jsonAt(list, size_t(-1)), &jsonNull);
    EXPECT_EQ(&jsonAt(v, 0), &jsonNull);
    // A key with a zero byte in the text never equals a shorter lookup key.
    JsonValue zeroKey = parseJson(std::string("{\"a\\u0000b\":1}"));
    EXPECT_EQ(&jsonGet(zeroKey, "a"), &jsonNull);
}

TEST(Json, QuoteJson) {
    EXPECT_EQ(quoteJson(""), "\"\"");
    EXPECT_EQ(quoteJson("a\tb"), "\"a\\u0009b\"");
    EXPECT_EQ(quoteJson("say \"hi\""), "\"say \\\"hi\\\"\"");
    EXPECT_EQ(quoteJson("back\\slash"), "\"back\\\\slash\"");
    EXPECT_EQ(quoteJson("\xC3\xA9\xF0\x9F\x8F\x80"), "\"\xC3\xA9\xF0\x9F\x8F\x80\"");
    EXPECT_EQ(quoteJson(std::string("\0\x1F\x7F", 3)), "\"\\u0000\\u001f\x7F\"");
    // What is quoted parses back to the same bytes.
    std::string every;
    for (int b = 0; b < 256; ++b) every += static_cast<char>(b);
    EXPECT_EQ(parseJson(quoteJson(every)).text, every);
}

TEST(Json, FieldConversions) {
    EXPECT_EQ(jsonInt(parseJson("-2.9"), 5), -2);
    EXPECT_EQ(jsonInt(parseJson("true"), 5), 1);
    EXPECT_EQ(jsonInt(parseJson("false"), 5), 0);
    EXPECT_EQ(jsonInt(parseJson("\"3\""), 5), 5);
    EXPECT_EQ(jsonInt(parseJson("null"), 5), 5);
    EXPECT_EQ(jsonInt(parseJson("[3]"), 5), 5);
    EXPECT_EQ(jsonInt(parseJson("nan"), 5), 5);
    EXPECT_EQ(jsonInt(parseJson("-inf"), 5), 5);
    EXPECT_EQ(jsonInt(parseJson("1e999"), 5), 5);
    EXPECT_EQ(jsonInt(parseJson("1e300"), 5), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(jsonInt(parseJson("-3e9"), 5), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(truncateJsonNumber(std::nan(""), 9), 9);
    EXPECT_EQ(truncateJsonNumber(1e30, 9), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(truncateJsonNumber(-1e30, 9), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(truncateJsonNumber(4294967297.7, 9), 4294967297);
    EXPECT_EQ(jsonString(parseJson("\"x\""), "d"), "x");
    EXPECT_EQ(jsonString(parseJson("7"), "d"), "d");
}
