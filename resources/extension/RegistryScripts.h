// Ids of the "REGISTRY" resources (registration scripts).
#pragma once
#define IDR_HINTORAIE 101
#define IDR_HINTORA 102
#define IDR_HINTORAIEBHO 103
#define IDR_VENDORKEY 104
#define IDR_HINTORAOPTIONS 105
#define IDR_DOCUIHANDLER 107
