#pragma once
// Resource identifiers of the browser choice dialog. The string table holds
// the control texts under the same numbers.

#define IDD_BROWSER_CHOICE 102
#define IDI_PLAY 128

#define IDC_BROWSER_SYSTEM 1000
#define IDC_BROWSER_IE 1001
#define IDC_BROWSER_FIREFOX 1002
#define IDC_BROWSER_SAFARI 1003
#define IDC_DO_NOT_ASK 1004
#define IDC_BROWSER_INFO 1005

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
