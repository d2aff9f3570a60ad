#pragma once
// Splitting texts into their non-empty pieces. No Windows headers.
#include <string>
#include <vector>

// Splits text at any of the separator characters; runs of separators give no
// empty tokens. Tokens are appended to the array in order.
void SplitString(const std::wstring& text, const std::wstring& separators, std::vector<std::wstring>& tokens);

// The non-empty pieces of a text between separators.
std::vector<std::wstring> SplitTokens(const std::wstring& text, wchar_t separator);
