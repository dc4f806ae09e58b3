#pragma once
// Resource ids of the companion program, shared by its template, its code and
// the test helpers that drive it.
#define IDD_FINDINGS 100
#define IDC_FINDINGS_TEXT 101
#define IDC_FINDINGS_LIST 102
