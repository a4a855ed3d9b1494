#pragma once

#include <map>
#include <string>
#include <string_view>

// A request body of the form name=value&name=value as the program sends it: the
// body is cut at every "&" and each piece at its first "=", then names and values
// are percent-decoded (%XX, hex digits in either case). The program escapes "%",
// "&", "+", "=" and the space itself and sends every other byte as it is, so "+"
// is a plus sign here, not a space. The results are bytes (UTF-8 for the program's
// text); the caller decodes them.
//
// False for a body that the program never sends: a piece without "=", an empty
// name, a name given twice, or a "%" not followed by two hex digits.
bool parseFormBody(std::string_view body, std::map<std::string, std::string>& fields);

// Percent-decoding of one name or value; false for a malformed escape.
bool percentDecode(std::string_view text, std::string& out);
