#pragma once
// Rules that keep URLs inside the served folder, plus the URL and content-type
// helpers of the file service. No Windows headers.
#include <string>

// False for a decoded URL path that names something other than a plain file
// or folder name: NUL and control characters, backslashes, drive letters and
// stream names (":"), wildcards and the other characters Windows refuses in
// names, device names such as CON or LPT1, and elements ending in a dot or a
// blank (which Windows would silently strip). "." and ".." elements pass;
// containment is checked on the canonical path.
bool IsUrlPathAcceptable(const std::wstring& url);

// True when path is root itself or lies below it ("\" must follow root).
// Exact, case-sensitive comparison.
bool IsPathInsideRoot(const std::wstring& root, const std::wstring& path);

// Percent-encodes a URL path as UTF-8, keeping "/" and the characters that
// need no escaping, so that "Location" carries any name in plain ASCII.
std::wstring EncodeUrlPath(const std::wstring& path);

// Extension of the last element of a path, from its last "."; empty when the
// element has none.
std::wstring ExtensionOf(const std::wstring& path);

// The built-in content-type table; extension with its dot, any case.
bool LookupMimeTable(const std::wstring& extension, std::wstring& type);

// Control characters of request data become "?" before they reach the log,
// so that a URL cannot forge log lines.
std::wstring SanitizeForLog(const std::wstring& text);

// The URL that a location names relative to the folder of base: base up to
// and including its last "/", then location without a leading "/".
std::wstring ResolveInFolderOf(const std::wstring& base, const std::wstring& location);

// The last "/"-separated part of a location.
std::wstring LastUrlPart(const std::wstring& location);
