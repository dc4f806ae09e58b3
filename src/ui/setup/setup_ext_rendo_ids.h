#pragma once
// Resource ids of TFormSetupExtRendo, named after the controls.

#define IDD_TFormSetupExtRendo 110

#define IDC_ButtonExtRendoOK 1
#define IDC_ButtonExtRendoCancel 2
#define IDC_GroupBox5 2000
#define IDC_ListBoxExtRendo 2001
#define IDC_EditExtRendoName 2002
#define IDC_EditExtRendoExt 2003
#define IDC_ButtonExtRendoAdd 2004
#define IDC_ButtonExtRendoUpdate 2005
#define IDC_ButtonExtRendoDelete 2006
