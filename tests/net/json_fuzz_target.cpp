// Fuzz entry for the JSON parser, run over the corpus by json_test (and by
// libFuzzer with clang). The text is copied to end right before a PROT_NONE
// page, so any read past the end faults in every build (the sanitizers miss a
// wide load that starts inside the text); then the parser's promises are
// checked: cursor in bounds, depth limit, safe lookups, quoting round trips.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "net/json.h"

namespace {

constexpr size_t kGuardedBytes = 1 << 20;

char* guardedBufferEnd() {
    static char* end = [] {
        size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
        size_t size = (kGuardedBytes + page - 1) / page * page;
        void* map = mmap(nullptr, size + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (map == MAP_FAILED) return static_cast<char*>(nullptr);
        char* base = static_cast<char*>(map);
        return mprotect(base + size, page, PROT_NONE) == 0 ? base + size : static_cast<char*>(nullptr);
    }();
    return end;
}

int depthOf(const JsonValue& v) {
    int deepest = 0;
    for (const JsonValue& item : v.items) deepest = std::max(deepest, depthOf(item));
    for (const auto& member : v.members) deepest = std::max(deepest, depthOf(member.value));
    bool container = v.kind == JsonKind::array || v.kind == JsonKind::object;
    return deepest + (container ? 1 : 0);
}

void check(bool condition) {
    if (!condition) std::abort();
}

void exercise(const JsonValue& v) {
    check(jsonInt(v, 3) == jsonInt(v, 3));
    if (v.kind == JsonKind::string) check(parseJson(quoteJson(v.text)).text == v.text);
    for (size_t i = 0; i < v.items.size(); ++i) {
        check(&jsonAt(v, i) == &v.items[i]);
        exercise(v.items[i]);
    }
    check(&jsonAt(v, v.items.size()) == &jsonNull);
    for (const auto& member : v.members) {
        check(parseJson(quoteJson(member.key)).text == member.key);
        jsonGet(v, member.key.c_str());
        exercise(member.value);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::unique_ptr<char[]> heapCopy;
    char* text = guardedBufferEnd() && size <= kGuardedBytes ? guardedBufferEnd() - size : nullptr;
    if (!text) {
        heapCopy.reset(new char[size]);
        text = heapCopy.get();
    }
    if (size > 0) std::memcpy(text, data, size);
    JsonCursor c{text, text + size, true};
    JsonValue partial = parseJsonValue(c, 0);
    check(c.pos >= text && c.pos <= c.end);
    JsonValue value = parseJson(std::string_view(text, size));
    check(depthOf(value) <= kJsonMaxDepth);
    check(c.ok || value.kind == JsonKind::null);
    exercise(value);
    exercise(partial);
    return 0;
}
