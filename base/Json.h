#pragma once

#include "base/String.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <memory_resource>
#include <string_view>

// The JSON model of the service exchange. It knows two kinds of value, text and
// object; numbers, ids and flags travel as quoted text and are converted by whoever
// reads them. Arrays and unquoted literals are not part of the grammar: the parser
// skips their characters.
namespace Json {

enum ElementType : int { Text = 0, Object = 1 };

class ElementBase {
  public:
    virtual ElementType type() const = 0;

  protected:
    // Elements are destroyed by their shared owner, which knows the concrete type.
    ~ElementBase() = default;
};

using ElementPtr = std::shared_ptr<ElementBase>;

// A text value, held as plain text: escaping belongs to writing and parsing.
class ElementString : public ElementBase {
  public:
    explicit ElementString(const String& value) : text(value) {}
    explicit ElementString(String&& value) : text(std::move(value)) {}
    ElementType type() const override { return Text; }

    const String& value() const { return text; }

  private:
    String text;
};

// Sorted by key, code unit by code unit (unsigned), a prefix first.
using Members = std::pmr::map<String, ElementPtr>;

// An object. Built by hand, its members and elements live on the heap, each owned
// by its slot. A parsed document keeps everything in one arena freed with the
// document: its nested elements are held by slots that own nothing, so a member
// taken out of it must keep the document alive (member() does; asMap() and
// iterating `members` do not).
class ElementMap : public ElementBase {
  public:
    explicit ElementMap(const String& mapName = String()) : name(mapName) {}
    // Members whose nodes come from `arena`.
    ElementMap(const String& mapName, std::pmr::memory_resource* arena)
        : name(mapName), members(arena) {}
    ~ElementMap();
    ElementMap(const ElementMap&) = delete;
    ElementMap& operator=(const ElementMap&) = delete;

    ElementType type() const override { return Object; }

    // Stores `value` under `key` (replacing) and returns `map` for chaining; when
    // `map` is not an object nothing is stored and the result is empty.
    static ElementPtr setString(const ElementPtr& map, const String& key, const String& value);
    // Stores a new empty object under `key` (replacing) and returns it; empty when
    // `map` is not an object.
    static ElementPtr addMap(const ElementPtr& map, const String& key);

    // Find-or-insert: an absent key gets an empty slot, which is returned.
    ElementPtr& get(const String& key) { return members[key]; }
    // Lookup without inserting; empty when absent.
    ElementPtr find(const String& key) const;

    // "root" for a document root, empty for nested objects. Never written or read.
    String name;
    Members members;
};

// A new empty object named "root".
ElementPtr makeRoot();

// Parses the text at `cursor` into `map`; `cursor` is advanced in place. Stops at
// the zero terminator whatever the text holds. Keys and values are decoded: every
// JSON escape, \uXXXX with surrogate pairs included. Never fails: malformed text
// yields what the grammar makes of it, text without "{" leaves `map` unchanged.
void parse(ElementMap& map, const char16_t*& cursor);

// Appends the text form of `element` to `out`; nothing when it is not an object.
// Keys and values are escaped exactly once: double quote, backslash, \n, \r, \t,
// other control characters as \u00XX.
void write(const ElementPtr& element, String& out);

// Readers. asMap gives a pointer that is valid while `element` (or another
// owner) holds the object, so keep the ElementPtr of a parsed reply in a
// variable. A missing member, an empty slot or an object reads as empty text and
// as the number 0. None of them inserts into the document.
ElementMap* asMap(const ElementPtr& element);
// The object would die with the temporary pointer: keep the document in a variable.
ElementMap* asMap(ElementPtr&& element) = delete;
bool isObject(const ElementPtr& element);
String text(const ElementPtr& element);
String memberText(const ElementPtr& map, const String& key);
int memberInt(const ElementPtr& map, const String& key);
ElementPtr member(const ElementPtr& map, const String& key);

// A fresh root holding the parsed text (an empty root for text without "{").
ElementPtr parseText(const String& text);
// The same for text from outside: empty when objects nest deeper than
// `maxDepth` levels (the root is level 1), before the rest is built.
ElementPtr parseText(const String& text, size_t maxDepth);
// The same, read straight from the UTF-8 bytes of a reply: the document is the
// one parseText(Utf8::decode(bytes)) gives, bad sequences in keys and values
// becoming U+FFFD alike; a zero byte ends the text as the terminator does.
ElementPtr parseUtf8(std::string_view bytes, size_t maxDepth = SIZE_MAX);
// The members of the outermost object of the UTF-8 bytes, handed to `take` one
// by one as parseUtf8 would build them, without building the whole document: a
// member's key and value live only during its call, and later members reuse
// their memory. Members come in the order of the text, each key as often as it
// occurs (parseUtf8 keeps the last); one the text ends in comes with what was
// complete of it.
using MemberReader = std::function<void(const String& key, const ElementPtr& value)>;
void readMembersUtf8(std::string_view bytes, const MemberReader& take);

// readMembersUtf8 over bytes that arrive in parts, read while the rest is on its
// way: the members handed over are exactly those of readMembersUtf8 on the
// whole text, however it is cut.
class MemberStream {
  public:
    explicit MemberStream(const MemberReader& take);
    ~MemberStream();
    MemberStream(const MemberStream&) = delete;
    MemberStream& operator=(const MemberStream&) = delete;

    // Reads `text`: what the last call left unread, followed by the bytes that
    // came since. Hands over the members of the outermost object complete in it
    // and returns how many of its bytes were read for good, up to the end of the
    // last of them; the rest comes again at the start of the next call. Once the
    // text has ended (its outermost object closed, or a zero byte), all of it
    // counts as read and later calls read nothing.
    size_t readPart(std::string_view text);
    // Reads the rest of the text, up to its end or first zero byte.
    void readLast(std::string_view text);

  private:
    struct Reading;
    std::unique_ptr<Reading> reading;
};
// The written form of `element`.
String writeText(const ElementPtr& element);

} // namespace Json

using ElementPtr = Json::ElementPtr;
