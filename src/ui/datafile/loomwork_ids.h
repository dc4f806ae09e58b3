#pragma once
// Resource ids of the data-file selection dialog TFormLoomwork, shared by its
// template, its class and the test helpers that drive it.
#define IDD_TFormLoomwork 2100
#define IDC_HeaderControl 2101
#define IDC_ListBox 2102
#define IDC_BitBtnLoomworkNew 2103
#define IDC_BitBtnLoomworkEdit 2104
#define IDC_BitBtnSelect 2105
#define IDC_StatusBar 2106
