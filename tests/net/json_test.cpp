// JSON parser: what the lobby reads from a server (every kind, escapes,
// non-finite numbers), what it must refuse (truncated, malformed, too deep),
// and the fuzz entry over json_corpus/ and mutations of it, meant for the
// sanitizer build.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>

#include "net/json.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool parsesOk(std::string_view text) {
    JsonCursor c{text.data(), text.data() + text.size(), true};
    parseJsonValue(c, 0);
    return c.ok;
}

void run(const std::string& bytes) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

} // namespace

TEST(Json, ReadsEveryKindAndEscape) {
    JsonValue v = parseJson(R"( {"n":null,"b":true,"x":-12.5e1,"h":0x10,"s":"a\"\/\n\u00e9\uD83D","a":[1,[ ]],"a":2} )");
    ASSERT_EQ(v.kind, JsonKind::object);
    EXPECT_EQ(jsonGet(v, "n").kind, JsonKind::null);
    EXPECT_TRUE(jsonGet(v, "b").boolean);
    EXPECT_EQ(jsonGet(v, "x").number, -125.0);
    EXPECT_EQ(jsonGet(v, "h").number, 16.0);                   // as strtod reads it
    EXPECT_EQ(jsonGet(v, "s").text, "a\"/\n\xC3\xA9\xED\xA0\xBD"); // a lone surrogate half: three bytes
    EXPECT_EQ(jsonAt(jsonGet(v, "a"), 1).kind, JsonKind::array);  // the first of duplicate keys
    EXPECT_EQ(&jsonAt(jsonGet(v, "a"), 2), &jsonNull);
    EXPECT_EQ(parseJson(R"("\u41")").text, "u41"); // a short group: the letter u
    // U+07FF is the last character in two bytes, U+0800 the first in three.
    EXPECT_EQ(parseJson(R"("\u07FF\u0800")").text, "\xDF\xBF\xE0\xA0\x80");
    EXPECT_EQ(parseJson("[1] trailing ]]]").items.size(), 1u);
    EXPECT_EQ(parseJson("1" + std::string(60, '0')).number, 1e39); // a number is read from at most 40 bytes
    // Lookups in anything but an object find nothing; a key with a zero byte
    // never equals a shorter lookup key.
    for (const char* text : {"\"a\"", "[1]", "7", "null"}) EXPECT_EQ(&jsonGet(parseJson(text), "a"), &jsonNull) << text;
    EXPECT_EQ(&jsonGet(parseJson("{\"a\\u0000b\":1}"), "a"), &jsonNull);
}

TEST(Json, TruncatedMalformedAndTooDeepTextsFail) {
    for (const char* text : {"", "   \t\r\n", "[", "{", "[1,", "[1", "{\"a\":1", "{\"a\":1,", "{\"a\"", "\"abc",
                             "\"abc\\", "[[[]]", "tru", "fals", "nul", "-", "[1,]", "[1 2]", "{1:2}", "{\"a\" 1}",
                             "{\"a\":1 \"b\":2}", "{\"a\":1,}", "]"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(parsesOk(text));
        EXPECT_EQ(parseJson(text).kind, JsonKind::null);
    }
    auto nested = [](int depth, const char* inner) { return std::string(depth, '[') + inner + std::string(depth, ']'); };
    EXPECT_TRUE(parsesOk(nested(33, "")));
    EXPECT_FALSE(parsesOk(nested(34, "")));
    EXPECT_FALSE(parsesOk(nested(33, "1")));
    auto objects = [](int depth) {
        std::string text;
        for (int i = 0; i < depth; ++i) text += "{\"k\":";
        return text + "1" + std::string(depth, '}');
    };
    EXPECT_TRUE(parsesOk(objects(32)));
    EXPECT_FALSE(parsesOk(objects(33)));
    EXPECT_FALSE(parsesOk(std::string(1000000, '['))); // fails fast, not by exhausting the stack
}

TEST(Json, FieldsNeverTakeNonFiniteOrOverflowingNumbers) {
    EXPECT_EQ(jsonInt(parseJson("-2.9"), 5), -2);
    EXPECT_EQ(jsonInt(parseJson("\"3\""), 5), 5);
    for (const char* text : {"nan", "-inf", "1e999"}) EXPECT_EQ(jsonInt(parseJson(text), 5), 5) << text;
    EXPECT_EQ(jsonInt(parseJson("1e300"), 5), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(jsonInt(parseJson("-3e9"), 5), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(truncateJsonNumber(-1e30, 9), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(truncateJsonNumber(std::nan(""), 9), 9);
}

TEST(Json, QuotingRoundTripsEveryByte) {
    EXPECT_EQ(quoteJson("a\t\"\\"), "\"a\\u0009\\\"\\\\\"");
    std::string every;
    for (int b = 0; b < 256; ++b) every += static_cast<char>(b);
    EXPECT_EQ(parseJson(quoteJson(every)).text, every);
}

TEST(JsonCorpus, EveryEntryParsesAndEveryMutationIsSafe) {
    const char troublesome[] = {'\0', '"', '\\', '[', ']', '{', '}', ',', ':', 'u', '0', 'e', ' ', '\x80', '\xFF'};
    int entries = 0;
    for (const auto& file : std::filesystem::directory_iterator(KORVALO_SOURCE_DIR "/tests/net/json_corpus")) {
        std::ifstream in(file.path(), std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        SCOPED_TRACE(text);
        ++entries;
        EXPECT_TRUE(parsesOk(text));
        for (size_t n = 0; n <= text.size(); ++n) run(text.substr(0, n));
        for (size_t i = 0; i < text.size(); ++i) {
            std::string changed = text;
            for (char byte : troublesome) {
                changed[i] = byte;
                run(changed);
            }
            run(text.substr(0, i) + text.substr(i + 1));
        }
    }
    EXPECT_GE(entries, 10);
}
