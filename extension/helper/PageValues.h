#pragma once
// Automation values exchanged with page script by the helper object.
#include <windows.h>
#include <oaidl.h>

#include <string>

#include "base/ComOwners.h"
#include "helper/HtmlDomHelper.h"

// The value's text through the platform's conversion; a null string is the
// empty text. A value without a text form (a null, say) raises ComFailure.
std::wstring VariantToString(const VARIANT& value);

// A property of a script object as text: empty when the object or the
// property does not exist; ComFailure when its value has no text form.
std::wstring ReadTextProperty(HtmlDomHelper& dom, IDispatch* object, const wchar_t* name);
