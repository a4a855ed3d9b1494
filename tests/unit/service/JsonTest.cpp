#include "base/Json.h"
#include "base/Utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string show(const String& s) {
    return Utf8::encode(s);
}

ElementPtr parse(const char16_t* text) {
    return Json::parseText(String(text));
}

std::string textOf(const ElementPtr& map, const char16_t* key) {
    return show(Json::memberText(map, key));
}

std::string written(const ElementPtr& root) {
    return show(Json::writeText(root));
}

size_t count(const ElementPtr& map) {
    return Json::asMap(map)->members.size();
}

} // namespace

TEST(Json, ParsesObjectsWithTheGrammarConsequencesTheRepliesRelyOn) {
    ElementPtr root = parse(u"{\"a\":\"1\",\"b\":{\"c\":\"2\"}}");
    EXPECT_EQ(Json::memberInt(Json::member(root, u"b"), u"c"), 2);
    // An object read as text is empty, as a number 0.
    EXPECT_EQ(textOf(root, u"b"), "");
    EXPECT_EQ(Json::memberInt(root, u"b"), 0);

    const std::pair<const char16_t*, const char*> cases[] = {
        {u"{\"a\":\"1\",\"b\":{\"c\":\"2\"}}", "{\"a\":\"1\",\"b\":{\"c\":\"2\"}}"},
        // An unquoted value leaves the value pending: the next key becomes its value.
        {u"{\"a\":1,\"b\":\"x\"}", "{\"\":\"x\",\"a\":\"b\"}"},
        // Text around the object is ignored; of a top-level array the first object counts.
        {u"xyz{\"a\":\"1\"}trailing", "{\"a\":\"1\"}"},
        {u"[{\"a\":\"1\"},{\"a\":\"2\"}]", "{\"a\":\"1\"}"},
        // An array of objects under one key keeps only the last object.
        {u"{\"list\":[{\"x\":\"1\"},{\"x\":\"2\"}]}", "{\"list\":{\"x\":\"2\"}}"},
        // Braces, colons and commas inside a quoted value belong to the value.
        {u"{\"q\":\"{}\",\"r\":\"1\",\"s\":\"a:b,c\"}",
         "{\"q\":\"{}\",\"r\":\"1\",\"s\":\"a:b,c\"}"},
        // Duplicate keys: the last one wins. After a nested object a quoted text
        // is a key again.
        {u"{\"k\":\"1\",\"k\":\"2\",\"n\":{\"z\":\"9\"} \"m\":\"3\"}",
         "{\"k\":\"2\",\"m\":\"3\",\"n\":{\"z\":\"9\"}}"},
        {u"{\r\n  \"a\" : \"1\" ,\n\t\"b\":\"2\"\n}", "{\"a\":\"1\",\"b\":\"2\"}"},
        // Every escape is decoded in keys and values (and written back as needed);
        // what JSON does not know is kept as it stands, never read past the token.
        {u"{\"n\":\"Zeile\\nZwei\",\"q\":\"a\\\"b\",\"s\":\"a\\/"
         u"b\",\"k\\\"ey\":\"\\u00e4\\u20AC\"}",
         "{\"k\\\"ey\":\"ä€\",\"n\":\"Zeile\\nZwei\",\"q\":\"a\\\"b\",\"s\":\"a/b\"}"},
        {u"{\"t\":\"c\\td\\re\\b\\f\\u0001\",\"e\":\"\\ud83d\\ude00!\"}",
         "{\"e\":\"\U0001F600!\",\"t\":\"c\\td\\re\\u0008\\u000c\\u0001\"}"},
        {u"{\"a\":\"\\q\\u12\",\"b\":\"\\u12zz\",\"c\":\"\\u\"}",
         "{\"a\":\"\\\\q\\\\u12\",\"b\":\"\\\\u12zz\",\"c\":\"\\\\u\"}"},
        // A quote after an escaped backslash ends the string; after an escaped
        // backslash and an escaped quote it does not.
        {u"{\"p\":\"C:\\\\\",\"next\":\"1\"}", "{\"next\":\"1\",\"p\":\"C:\\\\\"}"},
        {u"{\"p\":\"a\\\\\\\"b\",\"next\":\"1\"}", "{\"next\":\"1\",\"p\":\"a\\\\\\\"b\"}"},
        // Unterminated input keeps what was complete.
        {u"{\"a\":\"1\",\"b\":{\"c\":\"2\"", "{\"a\":\"1\",\"b\":{\"c\":\"2\"}}"},
        {u"{\"a\":\"1\",\"b\":\"unfinished", "{\"a\":\"1\"}"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(written(parse(text)), expected) << show(text);
}

TEST(Json, TextWithoutObjectIsEmptyAndTheCursorRestsOnTheOutermostBrace) {
    for (const char16_t* reply : {u"", u"OK", u"Fehler: falscher Code", u"[1,2,3]", u"\"a\":\"b\""})
        EXPECT_EQ(count(parse(reply)), 0u) << show(reply);
    // A document parsed into an existing map keeps what was there.
    ElementPtr root = Json::makeRoot();
    Json::ElementMap::setString(root, u"keep", u"1");
    const char16_t* cursor = u"no object here";
    Json::parse(*Json::asMap(root), cursor);
    EXPECT_EQ(count(root), 1u);
    EXPECT_EQ(*cursor, 0);

    const char16_t* text = u"  {\"a\":{\"b\":\"}\"}}tail";
    cursor = text;
    Json::parse(*Json::asMap(root), cursor);
    EXPECT_EQ(cursor - text, 16);
    EXPECT_EQ(textOf(Json::member(root, u"a"), u"b"), "}");
}

TEST(Json, UnterminatedInputEndsWithoutReadingFurther) {
    // Each text is copied into an exactly sized buffer, so a read past the
    // terminator would be seen by AddressSanitizer.
    for (const char16_t* t :
         {u"{", u"{\"", u"{\"a", u"{\"a\":", u"{\"a\":\"1", u"{\"a\":\"1\\", u"{\"a\":{",
          u"{\"a\":{\"b\":\"2\"", u"{\"a\":{\"b\":\"2\"}", u"\\", u"{\"a\":\"1\"\\"}) {
        String copy(t);
        std::u16string exact(copy.data(), static_cast<size_t>(copy.length()));
        const char16_t* cursor = exact.c_str();
        ElementPtr root = Json::makeRoot();
        Json::parse(*Json::asMap(root), cursor);
        EXPECT_EQ(*cursor, 0) << show(copy);
    }
}

TEST(Json, DeepNestingNeitherOverflowsTheStackNorFails) {
    String text;
    const int depth = 200000;
    for (int i = 0; i < depth; ++i)
        text.append(u"{\"k\":", 5);
    text.append(u"\"leaf\"", 6);
    for (int i = 0; i < depth; ++i)
        text.append(u'}');
    ElementPtr root = Json::parseText(text);
    EXPECT_EQ(Json::writeText(root), text);
    root.reset(); // released without recursion
}

TEST(Json, DepthLimitRefusesDeeperTextBeforeBuildingIt) {
    const String twoLevels(u"{\"a\":{\"b\":\"{{{{\"}}");
    ASSERT_TRUE(Json::parseText(twoLevels, 2));
    EXPECT_EQ(textOf(Json::member(Json::parseText(twoLevels, 2), u"a"), u"b"), "{{{{");
    EXPECT_FALSE(Json::parseText(twoLevels, 1));
    EXPECT_FALSE(Json::parseText(String(u"{{{"), 2));
    // Siblings do not add up; text without an object is an empty document.
    EXPECT_TRUE(Json::parseText(String(u"{\"a\":{},\"b\":{},\"c\":{}}"), 2));
    ElementPtr empty = Json::parseText(String(u"OK"), 1);
    ASSERT_TRUE(empty);
    EXPECT_EQ(count(empty), 0u);
}

TEST(Json, WritesMembersInKeyOrderWithoutWhiteSpace) {
    ElementPtr root = Json::makeRoot();
    EXPECT_EQ(written(root), "{}");
    Json::ElementMap::setString(root, u"b", u"2");
    Json::ElementMap::setString(root, u"a", u"1");
    Json::ElementMap::setString(Json::ElementMap::addMap(root, u"c"), u"x", u"y");
    Json::ElementMap::addMap(root, u"d");
    EXPECT_EQ(written(root), "{\"a\":\"1\",\"b\":\"2\",\"c\":{\"x\":\"y\"},\"d\":{}}");
    // Storing twice under one key keeps the second value; addMap replaces a text.
    EXPECT_EQ(Json::ElementMap::setString(root, u"a", u"3"), root);
    Json::ElementMap::addMap(root, u"b");
    EXPECT_EQ(written(root), "{\"a\":\"3\",\"b\":{},\"c\":{\"x\":\"y\"},\"d\":{}}");
    // Only objects are written, and only objects take members.
    ElementPtr textElement = std::make_shared<Json::ElementString>(u"x");
    EXPECT_EQ(written(textElement), "");
    EXPECT_EQ(written(ElementPtr()), "");
    EXPECT_FALSE(Json::ElementMap::setString(textElement, u"x", u"y"));
    EXPECT_FALSE(Json::ElementMap::addMap(textElement, u"x"));

    // get() inserts an empty slot, written as empty text; the readers do not.
    EXPECT_EQ(Json::memberText(root, u"other"), String());
    EXPECT_EQ(Json::memberInt(root, u"other"), 0);
    EXPECT_FALSE(Json::asMap(root)->get(u"e"));
    EXPECT_EQ(count(root), 5u);
    EXPECT_EQ(written(root).substr(written(root).size() - 7), "\"e\":\"\"}");
}

TEST(Json, WritingEscapesPlainTextExactlyOnce) {
    ElementPtr root = Json::makeRoot();
    Json::ElementMap::setString(root, u"question", u"Zeile\nZwei \"zitiert\" C:\\Temp\tx\r");
    EXPECT_EQ(written(root), "{\"question\":\"Zeile\\nZwei \\\"zitiert\\\" C:\\\\Temp\\tx\\r\"}");
    // The model holds the text as given: a typed backslash-n stays two characters.
    Json::ElementMap::setString(root, u"question", u"C:\\temp\\new\\/x");
    EXPECT_EQ(textOf(root, u"question"), "C:\\temp\\new\\/x");
    EXPECT_EQ(written(root), "{\"question\":\"C:\\\\temp\\\\new\\\\/x\"}");
    // Other control characters as \u00XX; keys are escaped as well.
    root = Json::makeRoot();
    Json::ElementMap::setString(root, u"k\"\\", String(u"\u0001\u001f\u007f", 3));
    EXPECT_EQ(written(root), "{\"k\\\"\\\\\":\"\\u0001\\u001f\x7f\"}");
}
