#include "base/Json.h"
#include "base/Utf8.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Json {

namespace {

int hexDigit(unsigned c) {
    if (c >= '0' && c <= '9')
        return static_cast<int>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<int>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return static_cast<int>(c - 'A' + 10);
    return -1;
}

// The code unit of the four hex digits at `p`; -1 unless all four are there
// before `end`. A digit is never a quote, so they lie inside the token.
template <typename Unit> int hexUnit(const Unit* p, const Unit* end) {
    if (end - p < 4)
        return -1;
    int unit = 0;
    for (int i = 0; i < 4; ++i) {
        const int digit = hexDigit(static_cast<std::make_unsigned_t<Unit>>(p[i]));
        if (digit < 0)
            return -1;
        unit = unit * 16 + digit;
    }
    return unit;
}

// The contents of the string being read, decoded as they are read; reused from
// token to token.
class TokenBuffer {
  public:
    void clear() { used = 0; }
    const char16_t* data() const { return units.data(); }
    int length() const { return static_cast<int>(used); }

    // Room for `count` more units.
    char16_t* room(size_t count) {
        if (units.size() - used < count)
            units.resize(std::max(units.size() * 2, used + count + 64));
        return units.data() + used;
    }
    void advance(size_t count) { used += count; }
    void push(char16_t unit) {
        *room(1) = unit;
        ++used;
    }

  private:
    std::vector<char16_t> units = std::vector<char16_t>(256);
    size_t used = 0;
};

// Copies the plain ASCII bytes at `p` (no quote, no backslash, nothing above
// ASCII), most of every reply, widened to `out`, and leaves `p` at the first other
// byte or at most 16 bytes before `end`. Sixteen bytes are tested and widened at
// once where the processor allows.
void copyPlainAscii(const char*& p, const char* end, TokenBuffer& out) {
#if defined(__SSE2__)
    const __m128i quotes = _mm_set1_epi8('"');
    const __m128i backslashes = _mm_set1_epi8('\\');
    const __m128i zero = _mm_setzero_si128();
    while (end - p >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i special =
            _mm_or_si128(_mm_cmpeq_epi8(bytes, quotes), _mm_cmpeq_epi8(bytes, backslashes));
        // movemask of the bytes themselves: those above ASCII.
        const unsigned stops = static_cast<unsigned>(_mm_movemask_epi8(special)) |
                               static_cast<unsigned>(_mm_movemask_epi8(bytes));
        char16_t* to = out.room(16);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to), _mm_unpacklo_epi8(bytes, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 8), _mm_unpackhi_epi8(bytes, zero));
        const unsigned plain = stops ? static_cast<unsigned>(__builtin_ctz(stops)) : 16;
        out.advance(plain);
        p += plain;
        if (plain < 16)
            return;
    }
#else
    while (end - p >= 8) {
        uint64_t word;
        std::memcpy(&word, p, 8);
        constexpr uint64_t ones = 0x0101010101010101ull;
        constexpr uint64_t highs = 0x8080808080808080ull;
        auto zeroByteIn = [](uint64_t v) { return (v - ones) & ~v & highs; };
        if (zeroByteIn(word ^ (ones * '"')) | zeroByteIn(word ^ (ones * '\\')) | (word & highs))
            return;
        char16_t* to = out.room(8);
        for (int i = 0; i < 8; ++i)
            to[i] = static_cast<unsigned char>(p[i]);
        out.advance(8);
        p += 8;
    }
#endif
}

// Reads the string contents at `p` (just after the opening quote) into `out` up
// to the closing quote and leaves `p` after it. False when the text ends first:
// the unfinished token is dropped. Escapes are decoded as JSON defines them, \u
// units one by one (a surrogate pair gives its two units); an escape JSON does not
// know keeps its backslash, so nothing of the text is lost. A quote after an odd
// run of backslashes belongs to the text.
template <typename Unit> bool readString(const Unit*& p, const Unit* end, TokenBuffer& out) {
    out.clear();
    while (true) {
        if constexpr (sizeof(Unit) == 1)
            copyPlainAscii(p, end, out);
        if (p == end)
            return false;
        const auto c = static_cast<std::make_unsigned_t<Unit>>(*p);
        if (c == '"') {
            ++p;
            return true;
        }
        if (c != '\\') {
            if (sizeof(Unit) == 1 && c >= 0x80) {
                // Only here can a sequence be ill-formed; it never swallows ASCII.
                int units = 0;
                const auto* bytes = reinterpret_cast<const unsigned char*>(p);
                p += Utf8::decodeNext(bytes, static_cast<size_t>(end - p), out.room(2), units);
                out.advance(static_cast<size_t>(units));
            } else {
                out.push(static_cast<char16_t>(c));
                ++p;
            }
            continue;
        }
        if (p + 1 == end)
            return false;
        switch (p[1]) {
        case '"':
        case '\\':
        case '/':
            out.push(static_cast<char16_t>(p[1]));
            break;
        case 'b':
            out.push(u'\b');
            break;
        case 'f':
            out.push(u'\f');
            break;
        case 'n':
            out.push(u'\n');
            break;
        case 'r':
            out.push(u'\r');
            break;
        case 't':
            out.push(u'\t');
            break;
        case 'u': {
            const int unit = hexUnit(p + 2, end);
            if (unit >= 0) {
                out.push(static_cast<char16_t>(unit));
                p += 6;
                continue;
            }
            out.push(u'\\');
            ++p; // the "u" follows as plain text
            continue;
        }
        default:
            // Kept with its backslash; the character itself is read as usual.
            out.push(u'\\');
            ++p;
            continue;
        }
        p += 2;
    }
}

// A bump allocator over blocks released together. Small replies take small
// blocks; large ones blocks of 1 MB, which come from the heap's free lists when
// a document was freed before, so parsing reply after reply reuses memory
// instead of mapping it anew.
class BlockArena : public std::pmr::memory_resource {
  public:
    BlockArena() = default;
    BlockArena(const BlockArena&) = delete;
    BlockArena& operator=(const BlockArena&) = delete;
    ~BlockArena() override {
        for (void* block : blocks)
            std::free(block);
    }
    // Forgets everything allocated and keeps the last (largest) block for what
    // comes next, so that memory read once is reused instead of mapped anew.
    void rewind() {
        if (blocks.empty())
            return;
        for (size_t i = 0; i + 1 < blocks.size(); ++i)
            std::free(blocks[i]);
        blocks.erase(blocks.begin(), blocks.end() - 1);
        used = 0;
    }

  private:
    static constexpr size_t largestBlock = 1 << 20;

    void* do_allocate(size_t bytes, size_t alignment) override {
        size_t at = alignedOffset(used, alignment);
        if (!current || at + bytes > capacity) {
            // A request larger than a block gets a block of its own.
            const size_t size = std::max(nextBlock, bytes + alignment);
            nextBlock = std::min(nextBlock * 2, largestBlock);
            void* block = std::malloc(size);
            if (!block)
                throw std::bad_alloc();
            blocks.push_back(block);
            current = static_cast<char*>(block);
            capacity = size;
            at = alignedOffset(0, alignment);
        }
        used = at + bytes;
        return current + at;
    }
    // The first offset from `offset` on whose address has that alignment.
    size_t alignedOffset(size_t offset, size_t alignment) const {
        const uintptr_t base = reinterpret_cast<uintptr_t>(current);
        return ((base + offset + alignment - 1) & ~(uintptr_t(alignment) - 1)) - base;
    }
    void do_deallocate(void*, size_t, size_t) override {}
    bool do_is_equal(const memory_resource& other) const noexcept override {
        return this == &other;
    }

    std::vector<void*> blocks;
    char* current = nullptr;
    size_t used = 0;
    size_t capacity = 0;
    size_t nextBlock = 4096;
};

// Where a parsed document's elements and texts live: one arena, released with
// the document. Slots hold its elements without owning them.
struct Document {
    Document() : root(String(u"root"), &arena) {}
    ~Document() { destroyNested(); }
    // Empties the document for the next member and reuses its memory.
    void clear() {
        destroyNested();
        nested.clear();
        root.members.clear();
        arena.rewind();
    }
    void destroyNested() {
        for (auto it = nested.rbegin(); it != nested.rend(); ++it) {
            if (*it)
                (*it)->~ElementMap();
        }
    }
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    BlockArena arena;
    ElementMap root;
    std::vector<ElementMap*> nested;
};

// Builds into a Document: texts are borrowed from the arena, keys are shared
// between a nested object's slot and the level that stays open under it. The
// few keys every ticket repeats are stored once.
class ArenaBuilder {
  public:
    explicit ArenaBuilder(Document& target) : document(target) {}

    String key(const TokenBuffer& token, size_t) {
        String& known = keys[keySlot(token)];
        if (holds(known, token))
            return String::borrow(known.data(), known.length());
        String stored = String::borrow(copy(token, nullptr), token.length());
        known = String::borrow(stored.data(), stored.length());
        return stored;
    }
    String keyCopy(const String& key, size_t) { return String::borrow(key.data(), key.length()); }
    void memberDone(size_t) {}
    // The element and its text in one piece of the arena.
    ElementPtr textElement(const TokenBuffer& token) {
        void* place = nullptr;
        const char16_t* text = copy(token, &place);
        return ElementPtr(ElementPtr(),
                          new (place) ElementString(String::borrow(text, token.length())));
    }
    ElementPtr mapElement() {
        document.nested.push_back(nullptr);
        void* place = document.arena.allocate(sizeof(ElementMap), alignof(ElementMap));
        document.nested.back() = new (place) ElementMap(String(), &document.arena);
        return ElementPtr(ElementPtr(), document.nested.back());
    }

  protected:
    static constexpr unsigned keyCacheSize = 64;

    // The cache slot of the key in `token`, and whether a slot holds that key.
    static unsigned keySlot(const TokenBuffer& token) {
        const int length = token.length();
        const char16_t* units = token.data();
        return (length * 31u + (length ? units[0] + units[length - 1] * 7u : 0)) % keyCacheSize;
    }
    static bool holds(const String& known, const TokenBuffer& token) {
        return !known.empty() && known.length() == token.length() &&
               std::memcmp(known.data(), token.data(), size_t(token.length()) * sizeof(char16_t)) ==
                   0;
    }

    // The token's units, zero-terminated, in the arena; with `element`, room for
    // an ElementString is taken before them.
    const char16_t* copy(const TokenBuffer& token, void** element) {
        const size_t length = static_cast<size_t>(token.length());
        const size_t head = element ? sizeof(ElementString) : 0;
        auto* block = static_cast<char*>(document.arena.allocate(
            head + (length + 1) * sizeof(char16_t), alignof(ElementString)));
        auto* units = reinterpret_cast<char16_t*>(block + head);
        std::memcpy(units, token.data(), length * sizeof(char16_t));
        units[length] = 0;
        if (element)
            *element = block;
        return units;
    }

    Document& document;
    String keys[keyCacheSize];
};

// Builds into an object made by hand: every element owned by its slot.
class HeapBuilder {
  public:
    String key(const TokenBuffer& token, size_t) { return String(token.data(), token.length()); }
    String keyCopy(const String& key, size_t) { return key; }
    void memberDone(size_t) {}
    ElementPtr textElement(const TokenBuffer& token) {
        return std::make_shared<ElementString>(String(token.data(), token.length()));
    }
    ElementPtr mapElement() { return std::make_shared<ElementMap>(); }
};

// Builds one member of the outermost object at a time and hands it over when
// it is complete; then its memory is reused for the next. The outermost
// object's keys live in a buffer of their own, as they outlive the memory of
// the member before.
class MemberBuilder : public ArenaBuilder {
  public:
    MemberBuilder(Document& target, const MemberReader& reader)
        : ArenaBuilder(target), take(reader) {}

    String key(const TokenBuffer& token, size_t depth) {
        if (depth == 1) {
            // A member is handed over before the next key is read: one buffer
            // serves all their keys.
            outerKey.assign(token.data(), token.length());
            return String::borrow(outerKey.data(), outerKey.length());
        }
        // Every member repeats the same few keys: they are kept for the whole
        // read, each slot filled once and never changed, so that what borrows
        // from it stays valid; other keys go into the member's memory.
        String& known = lasting[keySlot(token)];
        if (known.empty())
            known = String(token.data(), token.length());
        if (holds(known, token))
            return String::borrow(known.data(), known.length());
        return String::borrow(copy(token, nullptr), token.length());
    }
    String keyCopy(const String& key, size_t depth) {
        return depth == 1 ? key : ArenaBuilder::keyCopy(key, depth);
    }
    void memberDone(size_t depth) {
        if (depth == 1)
            handOver();
    }
    // Also the member the text ended in, with what was complete of it.
    void handOver() {
        for (const auto& [key, value] : document.root.members)
            take(key, value);
        document.clear();
    }

  private:
    const MemberReader& take;
    String outerKey;
    String lasting[keyCacheSize];
};

// Stores a member, replacing one under the same key. The service writes its
// members in key order, so a new key most often goes to the end.
void store(Members& members, String&& key, ElementPtr&& value) {
    if (members.empty() || std::prev(members.end())->first < key)
        members.emplace_hint(members.end(), std::move(key), std::move(value));
    else
        members.insert_or_assign(std::move(key), std::move(value));
}

// One open object: where its members go, the key waiting for a value, and
// whether a ":" was seen since the last value.
struct Level {
    ElementMap* map;
    String key;
    bool valueExpected;
};

// Where a text read in parts last stood between two members of its outermost
// object. There the whole state of the parse is the outermost level's key (a
// nested value leaves it set): no ":" is pending and no backslash run is open.
struct Resume {
    bool opened = false; // the outermost "{" was read
    String key;
    size_t at = 0; // units of the text read last, up to that place
};

// One pass over the text from `cursor` to `end` (a zero unit ends it earlier).
// The nesting is kept on an explicit stack, so a reply with a great many "{"
// does not exhaust the thread's stack. The grammar: text before the first "{" is
// skipped; a quoted token is a key, or the value of the pending key after a ":";
// a nested object goes under the current key, which stays set afterwards;
// anything else is skipped; the outermost "}" ends the parse with the cursor
// resting on it. A quote after an odd run of backslashes opens nothing. False
// when an object would open deeper than `maxDepth` levels; the parse stops there.
// With `resume`, the text goes on from where it says, and it tells where the
// text last stood between two members of the outermost object.
template <typename Unit, typename Builder>
bool parseLevels(ElementMap& map, const Unit*& cursor, const Unit* end, size_t maxDepth,
                 Builder& builder, Resume* resume = nullptr) {
    const Unit* const start = cursor;
    if (!resume || !resume->opened) {
        while (cursor < end && *cursor != '{')
            ++cursor;
        if (resume)
            resume->at = static_cast<size_t>(cursor - start);
        if (cursor == end)
            return true;
        ++cursor;
        if (resume) {
            resume->opened = true;
            resume->at = static_cast<size_t>(cursor - start);
        }
    }

    std::vector<Level> levels;
    levels.push_back(Level{&map, resume ? resume->key : String(), false});
    TokenBuffer token;
    bool escaped = false; // the last character was the end of an odd backslash run
    // A member of the outermost object ends before `after`.
    auto between = [&](const Unit* after) {
        if (resume && levels.size() == 1) {
            resume->at = static_cast<size_t>(after - start);
            resume->key.assign(levels[0].key.data(), levels[0].key.length());
        }
    };

    while (cursor < end) {
        const auto c = static_cast<std::make_unsigned_t<Unit>>(*cursor);
        Level& level = levels.back();
        if (c == '\\') {
            escaped = !escaped;
            ++cursor;
            continue;
        }
        const bool quoteOpens = c == '"' && !escaped;
        escaped = false;
        if (quoteOpens) {
            ++cursor;
            if (!readString(cursor, end, token)) {
                // The text ended inside the string: what was complete is kept.
                cursor = end;
                return true;
            }
            if (level.valueExpected) {
                // The key is not needed after its value: move it into the member.
                store(level.map->members, std::move(level.key), builder.textElement(token));
                level.valueExpected = false;
                level.key = String();
                builder.memberDone(levels.size());
                between(cursor);
            } else {
                level.key = builder.key(token, levels.size());
            }
            continue;
        }
        if (c == ':') {
            level.valueExpected = true;
        } else if (c == '{') {
            if (levels.size() >= maxDepth)
                return false;
            ElementPtr nested = builder.mapElement();
            ElementMap* nestedMap = static_cast<ElementMap*>(nested.get());
            store(level.map->members, builder.keyCopy(level.key, levels.size()), std::move(nested));
            // The parent keeps the nested object alive while it is being filled:
            // only the innermost level is ever modified.
            levels.push_back(Level{nestedMap, String(), false});
        } else if (c == '}') {
            if (levels.size() == 1)
                return true;
            levels.pop_back();
            levels.back().valueExpected = false;
            builder.memberDone(levels.size());
            between(cursor + 1);
        }
        ++cursor;
    }
    // The text ended inside an object: what was complete is kept.
    return true;
}

// Where the text ends: at its first zero, or after `length` units.
const char16_t* terminatorOf(const char16_t* text, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == 0)
            return text + i;
    }
    return text + length;
}
const char* terminatorOf(const char* text, size_t length) {
    const void* zero = length ? std::memchr(text, 0, length) : nullptr;
    return zero ? static_cast<const char*>(zero) : text + length;
}

// A document over its own arena; empty when it nests deeper than `maxDepth`.
template <typename Unit>
ElementPtr parseDocument(const Unit* text, size_t length, size_t maxDepth) {
    const Unit* end = terminatorOf(text, length);
    auto document = std::make_shared<Document>();
    ArenaBuilder builder(*document);
    const Unit* cursor = text;
    if (!parseLevels(document->root, cursor, end, maxDepth, builder))
        return nullptr;
    return ElementPtr(document, &document->root);
}

} // namespace

void parse(ElementMap& map, const char16_t*& cursor) {
    const char16_t* end = cursor;
    while (*end)
        ++end;
    HeapBuilder builder;
    parseLevels(map, cursor, end, SIZE_MAX, builder);
}

ElementPtr parseText(const String& text) {
    return parseText(text, SIZE_MAX);
}

ElementPtr parseText(const String& text, size_t maxDepth) {
    return parseDocument(text.data(), static_cast<size_t>(text.length()), maxDepth);
}

ElementPtr parseUtf8(std::string_view bytes, size_t maxDepth) {
    return parseDocument(bytes.data(), bytes.size(), maxDepth);
}

struct MemberStream::Reading {
    explicit Reading(const MemberReader& reader) : take(reader), builder(document, take) {}
    MemberReader take; // the builder keeps a reference
    Document document;
    MemberBuilder builder;
    Resume resume;
    bool finished = false;
};

MemberStream::MemberStream(const MemberReader& take) : reading(std::make_unique<Reading>(take)) {}

MemberStream::~MemberStream() = default;

size_t MemberStream::readPart(std::string_view text) {
    Reading& read = *reading;
    if (read.finished)
        return text.size();
    // A zero byte ends the whole text.
    if (const void* zero = std::memchr(text.data(), 0, text.size())) {
        readLast(text.substr(0, static_cast<size_t>(static_cast<const char*>(zero) - text.data())));
        return text.size();
    }
    const char* cursor = text.data();
    const char* end = cursor + text.size();
    read.resume.at = 0;
    parseLevels(read.document.root, cursor, end, SIZE_MAX, read.builder, &read.resume);
    if (cursor < end) {
        // The outermost object closed: the rest of the text is not read.
        read.finished = true;
        read.builder.handOver();
        return text.size();
    }
    // The member the text ends in is read again, whole, with the next part.
    read.document.clear();
    return read.resume.at;
}

void MemberStream::readLast(std::string_view text) {
    Reading& read = *reading;
    if (read.finished)
        return;
    read.finished = true;
    const char* cursor = text.data();
    const char* end = terminatorOf(text.data(), text.size());
    parseLevels(read.document.root, cursor, end, SIZE_MAX, read.builder, &read.resume);
    read.builder.handOver();
}

void readMembersUtf8(std::string_view bytes, const MemberReader& take) {
    const char* end = terminatorOf(bytes.data(), bytes.size());
    Document document;
    MemberBuilder builder(document, take);
    const char* cursor = bytes.data();
    parseLevels(document.root, cursor, end, SIZE_MAX, builder);
    builder.handOver();
}

} // namespace Json
