// The library's file version: the version resource and the text that
// GetVersion hands to pages come from here.
#pragma once
#define HINTORA_VERSION_NUMBERS 11, 1, 0, 12
#define HINTORA_VERSION_TEXT "11.1.0.12"
