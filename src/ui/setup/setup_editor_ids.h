#pragma once
// Resource ids of TFormSetupEditor, named after the controls. An up-down
// control's id is its number box's id + IDC_UpDownOffset.

#define IDD_TFormSetupEditor 120

#define IDC_ButtonOK 1
#define IDC_ButtonCancel 2
#define IDC_ButtonHelp 3000
#define IDC_ListBoxHandle1 3001
#define IDC_ListBoxHandle2 3002
#define IDC_ButtonHandle 3003
#define IDC_RadioGroupPasteKind0 3004
#define IDC_RadioGroupPasteKind1 3005
#define IDC_ButtonTest 3006
#define IDC_CheckBoxTestCopy 3007
#define IDC_EditClassNameWk1 3008
#define IDC_EditClassNameWk2 3009
#define IDC_LabelInterval 3010
#define IDC_CSpinEditInterval 3011
#define IDC_GroupBox1 3012
#define IDC_RadioButtonCutPaste1 3013
#define IDC_RadioButtonCutPaste2 3014
#define IDC_RadioButtonCutPaste3 3015
#define IDC_GroupBoxCopyKey 3016
#define IDC_CheckBoxCopyCtrl 3017
#define IDC_CheckBoxCopyShift 3018
#define IDC_CheckBoxCopyAlt 3019
#define IDC_ComboBoxCopy 3020
#define IDC_GroupBoxCutKey 3021
#define IDC_CheckBoxCutCtrl 3022
#define IDC_CheckBoxCutShift 3023
#define IDC_CheckBoxCutAlt 3024
#define IDC_ComboBoxCut 3025
#define IDC_GroupBoxPasteKey 3026
#define IDC_CheckBoxPasteCtrl 3027
#define IDC_CheckBoxPasteShift 3028
#define IDC_CheckBoxPasteAlt 3029
#define IDC_ComboBoxPaste 3030

#define IDC_UpDownOffset 500
