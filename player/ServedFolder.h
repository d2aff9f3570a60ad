#pragma once
// The served folder on disk: where a URL path lands, and the content type of
// its files.
#include <string>

#include "common/Handles.h"

// Turns a decoded URL path into the canonical path of what it names below
// root; false when the path is not acceptable or leads outside root.
bool UrlToPath(const std::wstring& root, std::wstring& text);

// The content type of files with an extension (with its dot, any case): the
// registry's "Content Type" of the extension, else the built-in table. Each
// extension is looked up once for the program's life.
bool LookupContentType(const std::wstring& extension, std::wstring& type);

// Opens a file of the folder for sending. The configuration save may take
// its name meanwhile: the sharing lets the open file be moved aside, and it
// keeps the bytes it had for the answer under way.
FileHandle OpenServedFile(const std::wstring& path);
