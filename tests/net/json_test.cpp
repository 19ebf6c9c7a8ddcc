// JSON parser, lookups, quoting and conversions: every value kind, escapes,
// the nesting limit, truncated and malformed texts. Then the fuzz entry over
// json_corpus/ and mutations of it, meant for the sanitizer build.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

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

std::vector<std::string> readCorpus() {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(KORVALO_SOURCE_DIR "/tests/net/json_corpus"))
        files.push_back(entry.path());
    std::vector<std::string> corpus;
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        corpus.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return corpus;
}

} // namespace

TEST(Json, ParsesEveryKind) {
    JsonValue v = parseJson(R"( {"n":null,"b":true,"f":false,"x":-12.5e1,"s":"hi","a":[1,"two",[ ]],"o":{	}} )");
    ASSERT_EQ(v.kind, JsonKind::object);
    ASSERT_EQ(v.members.size(), 7u);
    EXPECT_EQ(v.members[6].key, "o"); // text order
    EXPECT_EQ(jsonGet(v, "n").kind, JsonKind::null);
    EXPECT_EQ(jsonGet(v, "b").kind, JsonKind::boolean);
    EXPECT_TRUE(jsonGet(v, "b").boolean);
    EXPECT_FALSE(jsonGet(v, "f").boolean);
    EXPECT_EQ(jsonGet(v, "x").number, -125.0);
    EXPECT_EQ(jsonGet(v, "s").text, "hi");
    const JsonValue& a = jsonGet(v, "a");
    ASSERT_EQ(a.items.size(), 3u);
    EXPECT_EQ(jsonAt(a, 1).text, "two");
    EXPECT_EQ(jsonAt(a, 2).kind, JsonKind::array);
    EXPECT_EQ(jsonGet(v, "o").kind, JsonKind::object);
    // Text after the first value is ignored.
    EXPECT_EQ(parseJson("[1] trailing ]]]").items.size(), 1u);
    EXPECT_TRUE(parseJson("truex").boolean);
}

TEST(Json, NumbersAsTheStandardLibraryReadsThem) {
    EXPECT_EQ(parseJson("0x10").number, 16.0);
    EXPECT_EQ(parseJson("+7").number, 7.0);
    EXPECT_TRUE(std::isinf(parseJson("1e999").number));
    EXPECT_TRUE(std::isnan(parseJson("nan").number));
    EXPECT_EQ(parseJson("1" + std::string(60, '0')).number, 1e39); // read from at most 40 bytes
}

TEST(Json, StringEscapes) {
    EXPECT_EQ(parseJson(R"("a\"b\\c\/d\b\f\n\r\t")").text, "a\"b\\c/d\b\f\n\r\t");
    EXPECT_EQ(parseJson(R"("\u0041\u00e9\u07FF\u0800\uFFFF")").text, "A\xC3\xA9\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF");
    // Surrogate halves are not combined: each becomes three bytes.
    EXPECT_EQ(parseJson(R"("\uD83D\uDE00")").text, "\xED\xA0\xBD\xED\xB8\x80");
    EXPECT_EQ(parseJson(R"("\u41")").text, "u41");                   // short group: the letter u
    EXPECT_EQ(parseJson(R"("\u4zzz")").text, std::string(1, '\x04')); // valid prefix counts
    EXPECT_EQ(parseJson(R"("\q")").text, "q");
    EXPECT_EQ(parseJson(std::string("\"a\0\x01\xFF\"", 6)).text, std::string("a\0\x01\xFF", 4));
}

TEST(Json, TruncatedAndMalformedTextsFail) {
    for (const char* text : {"", "   \t\r\n", "[", "{", "[1,", "[1", "{\"a\":1", "{\"a\":1,", "{\"a\"", "{\"a\":",
                             "\"abc", "\"abc\\", "\"\\u12", "[[[]]", "tru", "fals", "nul", "-", "@", "[1,]", "[1 2]",
                             "{1:2}", "{\"a\" 1}", "{\"a\":1 \"b\":2}", "{\"a\":1,}", "[,]", "]", "{\"a\":}", "[nul]",
                             "{'a':1}"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(parsesOk(text));
        EXPECT_EQ(parseJson(text).kind, JsonKind::null);
    }
}

TEST(Json, NestingLimit) {
    auto nested = [](int depth, const char* inner) {
        return std::string(depth, '[') + inner + std::string(depth, ']');
    };
    EXPECT_TRUE(parsesOk(nested(33, "")));
    EXPECT_FALSE(parsesOk(nested(34, "")));
    EXPECT_TRUE(parsesOk(nested(32, "1")));
    EXPECT_FALSE(parsesOk(nested(33, "1")));
    std::string objects;
    for (int i = 0; i < 34; ++i) objects += "{\"k\":";
    EXPECT_FALSE(parsesOk(objects + "1" + std::string(34, '}')));
    EXPECT_FALSE(parsesOk(std::string(1000000, '['))); // fails fast, not by exhausting the stack
}

TEST(Json, LookupsNeverFail) {
    JsonValue v = parseJson(R"({"a":1,"a":2,"list":[10,20]})");
    EXPECT_EQ(jsonGet(v, "a").number, 1.0); // the first of duplicates
    EXPECT_EQ(&jsonGet(v, "A"), &jsonNull);
    EXPECT_EQ(&jsonGet(jsonGet(v, "list"), "a"), &jsonNull);
    EXPECT_EQ(&jsonAt(jsonGet(v, "list"), size_t(-1)), &jsonNull);
    EXPECT_EQ(&jsonAt(v, 0), &jsonNull);
    // A key with a zero byte never equals a shorter lookup key.
    EXPECT_EQ(&jsonGet(parseJson("{\"a\\u0000b\":1}"), "a"), &jsonNull);
}

TEST(Json, QuoteJson) {
    EXPECT_EQ(quoteJson("a\tb"), "\"a\\u0009b\"");
    EXPECT_EQ(quoteJson("say \"hi\" \\"), "\"say \\\"hi\\\" \\\\\"");
    EXPECT_EQ(quoteJson(std::string("\0\x1F\x7F\xC3\xA9", 5)), "\"\\u0000\\u001f\x7F\xC3\xA9\"");
    std::string every;
    for (int b = 0; b < 256; ++b) every += static_cast<char>(b);
    EXPECT_EQ(parseJson(quoteJson(every)).text, every);
}

TEST(Json, FieldConversions) {
    EXPECT_EQ(jsonInt(parseJson("-2.9"), 5), -2);
    EXPECT_EQ(jsonInt(parseJson("\"3\""), 5), 5);
    // Non-finite numbers give the default; huge ones saturate.
    for (const char* text : {"nan", "-inf", "1e999"}) EXPECT_EQ(jsonInt(parseJson(text), 5), 5) << text;
    EXPECT_EQ(jsonInt(parseJson("1e300"), 5), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(jsonInt(parseJson("-3e9"), 5), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(truncateJsonNumber(std::nan(""), 9), 9);
    EXPECT_EQ(truncateJsonNumber(-1e30, 9), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(truncateJsonNumber(4294967297.7, 9), 4294967297);
    EXPECT_EQ(jsonString(parseJson("7"), "d"), "d");
}

TEST(JsonCorpus, EveryEntryParsesAndEveryMutationIsSafe) {
    const char troublesome[] = {'\0', '"', '\\', '[', ']', '{', '}', ',', ':', 'u', '0', 'e', ' ', '\x80', '\xFF'};
    std::vector<std::string> corpus = readCorpus();
    ASSERT_GE(corpus.size(), 10u);
    for (const std::string& text : corpus) {
        SCOPED_TRACE(text);
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
}
