// Runs the JSON fuzz entry over the corpus in json_corpus/ and over
// systematic and seeded random mutations of it: every prefix, every byte
// replaced by a troublesome one or deleted, and splices of two entries. Meant
// for the sanitizer build, where a read past the end or undefined behaviour
// stops the run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "net/json.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

constexpr int kRandomMutations = 20000;
constexpr unsigned kSeed = 20240611;
const char kTroublesomeBytes[] = {'\0', '"', '\\', '[', ']', '{', '}', ',', ':', 'u', '0', 'e', ' ', '\x80', '\xFF'};

void run(const std::string& bytes) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::vector<std::string> readCorpus() {
    std::vector<std::string> corpus;
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(KORVALO_SOURCE_DIR "/tests/net/json_corpus"))
        files.push_back(entry.path());
    std::sort(files.begin(), files.end()); // the random mutations depend on the order
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        corpus.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return corpus;
}

} // namespace

TEST(JsonCorpus, EveryEntryParses) {
    std::vector<std::string> corpus = readCorpus();
    ASSERT_GE(corpus.size(), 10u);
    for (const std::string& text : corpus) {
        SCOPED_TRACE(text);
        JsonCursor c{text.data(), text.data() + text.size(), true};
        parseJsonValue(c, 0);
        EXPECT_TRUE(c.ok);
        run(text);
    }
}

TEST(JsonCorpus, SystematicMutations) {
    for (const std::string& text : readCorpus()) {
        for (size_t n = 0; n <= text.size(); ++n) run(text.substr(0, n));
        for (size_t i = 0; i < text.size(); ++i) {
            std::string changed = text;
            for (char byte : kTroublesomeBytes) {
                changed[i] = byte;
                run(changed);
            }
            run(text.substr(0, i) + text.substr(i + 1));
        }
    }
}

TEST(JsonCorpus, RandomMutations) {
    std::vector<std::string> corpus = readCorpus();
    std::mt19937 random(kSeed);
    auto pick = [&](size_t n) { return n == 0 ? size_t(0) : size_t(random() % n); };
    for (int round = 0; round < kRandomMutations; ++round) {
        std::string text = corpus[pick(corpus.size())];
        int edits = 1 + int(random() % 4);
        for (int e = 0; e < edits; ++e) {
            size_t at = pick(text.size() + 1);
            switch (random() % 4) {
            case 0: text.insert(at, 1, static_cast<char>(random())); break;
            case 1:
                if (at < text.size()) text[at] = static_cast<char>(random());
                break;
            case 2: text.erase(at, pick(8)); break;
            default: { // splice in a piece of another entry
                const std::string& other = corpus[pick(corpus.size())];
                size_t from = pick(other.size());
                text.insert(at, other.substr(from, pick(32)));
            }
            }
        }
        run(text);
    }
}
