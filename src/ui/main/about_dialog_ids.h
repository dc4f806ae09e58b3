#pragma once
// Resource ids of TFormAbout.

#define IDD_TFormAbout 130

#define IDC_ButtonOK 1
#define IDC_AboutProduct 4000
#define IDC_AboutVersion 4001
