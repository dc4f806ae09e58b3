#pragma once
// Resource ids of TFormSetup and its six tab sheets, named after the controls.
// An up-down control's id is its number box's id + IDC_UpDownOffset.

#define IDD_TFormSetup 100
#define IDD_TabSheet1 101
#define IDD_TabSheet2 102
#define IDD_TabSheet3 103
#define IDD_TabSheet4 104
#define IDD_TabSheet5 105
#define IDD_TabSheet6 106

#define IDC_PageControl 1000
#define IDC_ButtonOK 1
#define IDC_ButtonCancel 2
#define IDC_ButtonHelp 1001

// 動作環境Ⅰ
#define IDC_CSpinEditMinHeight 1010
#define IDC_CSpinEditMaxHeight 1011
#define IDC_CSpinEditTimer 1012
#define IDC_CSpinEditTimerEZ 1013
#define IDC_CSpinEditResize 1014
#define IDC_CSpinEditOpenFiles 1015
#define IDC_CheckBoxMakeNew 1016
#define IDC_CheckBoxDLL 1017
#define IDC_CheckBoxCaretInside 1018

// 動作環境Ⅱ
#define IDC_NoteLinkedOnly 1020
#define IDC_RadioGroupChangeMode0 1021
#define IDC_RadioGroupChangeMode1 1022
#define IDC_RadioGroupCloseMode0 1023
#define IDC_RadioGroupCloseMode1 1024
#define IDC_RadioGroupCloseMode2 1025
#define IDC_CheckListBoxFileFilter 1026
#define IDC_EditFileFilterName 1027
#define IDC_EditFileFilter 1028
#define IDC_ButtonFileFilterAdd 1029
#define IDC_ButtonFileFilterUpdate 1030
#define IDC_ButtonFileFilterDel 1031

// 編集環境
#define IDC_RadioGroupCRLF0 1040
#define IDC_RadioGroupCRLF1 1041
#define IDC_RadioGroupCRLF2 1042
#define IDC_CSpinEditBufSize1 1043
#define IDC_CSpinEditBufSize2 1044
#define IDC_GroupBoxHotKeyR 1045
#define IDC_CheckBoxHotKeyR 1046
#define IDC_ComboBoxHotKeyR1 1047
#define IDC_ComboBoxHotKeyR2 1048
#define IDC_GroupBoxHotKeyA 1049
#define IDC_CheckBoxHotKeyA 1050
#define IDC_ComboBoxHotKeyA1 1051
#define IDC_ComboBoxHotKeyA2 1052

// 簡易モード
#define IDC_RadioGroupPasteKindEZ0 1060
#define IDC_RadioGroupPasteKindEZ1 1061
#define IDC_CSpinEditIntervalEZ 1062
#define IDC_GroupBoxCutPaste 1063
#define IDC_RadioButtonCutPaste1 1064
#define IDC_RadioButtonCutPaste2 1065
#define IDC_RadioButtonCutPaste3 1066
#define IDC_GroupBoxCopyKey 1067
#define IDC_CheckBoxCopyCtrl 1068
#define IDC_CheckBoxCopyShift 1069
#define IDC_CheckBoxCopyAlt 1070
#define IDC_ComboBoxCopy 1071
#define IDC_GroupBoxCutKey 1072
#define IDC_CheckBoxCutCtrl 1073
#define IDC_CheckBoxCutShift 1074
#define IDC_CheckBoxCutAlt 1075
#define IDC_ComboBoxCut 1076
#define IDC_GroupBoxPasteKey 1077
#define IDC_CheckBoxPasteCtrl 1078
#define IDC_CheckBoxPasteShift 1079
#define IDC_CheckBoxPasteAlt 1080
#define IDC_ComboBoxPaste 1081

// 連動モード
#define IDC_ComboBoxExtRendo 1090
#define IDC_ButtonExtRendo 1091
#define IDC_EditEditerPath 1092
#define IDC_ButtonEPath 1093
#define IDC_EditEditerParam 1094
#define IDC_EditClassName1 1095
#define IDC_CheckBoxClassName2 1096
#define IDC_EditClassName2 1097
#define IDC_RadioGroupPasteKind0 1098
#define IDC_RadioGroupPasteKind1 1099
#define IDC_CSpinEditInterval 1100
#define IDC_RadioGroupCutPaste 1101
#define IDC_RadioGroupCutPaste0 1102
#define IDC_RadioGroupCutPaste1 1103
#define IDC_RadioGroupCutPaste2 1104
#define IDC_ButtonTest1 1105
#define IDC_ButtonTest2 1106
#define IDC_ButtonTest3 1107
#define IDC_LabelInterval 1108

// プログラム
#define IDC_ComboBoxFileKind 1120
#define IDC_ComboBoxDefaultProgram 1121
#define IDC_NoteFileKind1 1122
#define IDC_NoteFileKind2 1123
#define IDC_NoteFileKind3 1124
#define IDC_HeaderControlProgram 1125
#define IDC_ListBoxProgram 1126
#define IDC_EditProgramCaption 1127
#define IDC_EditProgramPath 1128
#define IDC_ButtonProgramBrowse 1129
#define IDC_EditProgramParam 1130
#define IDC_ButtonProgramSet 1131
#define IDC_ButtonProgramCancel 1132

#define IDC_UpDownOffset 500
