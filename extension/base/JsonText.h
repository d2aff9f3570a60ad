#pragma once
// JSON texts that the library hands to pages. No Windows headers.
#include <map>
#include <string>

// A text as the inside of a JSON string: quote, backslash and control
// characters (and the two line separators that end script lines) escaped.
std::wstring EscapeJsonText(const std::wstring& text);

// {"name":"value", "name":"value"} of string values, names in the map's
// order; names and values escaped, so that a stored quote or backslash cannot
// break the page's parser.
std::wstring FormatJsonObject(const std::map<std::wstring, std::wstring>& values);
