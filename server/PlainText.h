#pragma once

#include "base/String.h"

// The plain text of a value that Json::parse stored.
//
// A value travels as JSON text escaped by the sender (backslash, double quote,
// line feed, carriage return and tab written as \\, \", \n, \r, \t). The parser
// then keeps it in its own stored form: \" is resolved to a quote; \n, \r, \t
// become the control characters; \/ becomes /; every remaining backslash is
// doubled; and a raw line feed, carriage return or tab is written back as \n, \r
// or \t when the value had no such escape of its own.
//
// The rule, in two passes, each scanning left to right and never rescanning what
// it produced:
//   1. undo the parser's doubling: "\\" gives one backslash, "\n" a line feed,
//      "\r" a carriage return, "\t" a tab; any other backslash stays;
//   2. undo the sender's escaping: "\\" gives one backslash; any other
//      backslash stays (the parser already resolved every other escape).
// Every text the program sends comes back exactly as it built it: quotes, line
// breaks, backslashes (also before a slash or a quote), and non-ASCII text, which
// travels as UTF-8 and is not escaped at all. What the program itself changes
// before sending (a typed backslash followed by n, r, t or / is already a line
// break, tab or plain slash in the text it builds) cannot be told apart here.
String plainText(const String& stored);
