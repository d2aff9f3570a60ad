#pragma once
#include <windows.h>
#include <oaidl.h>

// The type information of one of the library's interfaces: from TYPELIB 1 of
// the module this code runs in first, so an unregistered copy still answers
// scripts, else from the registered type library.
HRESULT LoadLibraryTypeInfo(REFGUID guid, ITypeInfo** info);
