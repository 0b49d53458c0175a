// Identifiers of the dialog templates and their controls, shared by the resource script and the code.
#pragma once

#define IDD_OPTIONSFORM 200
#define IDC_OPTIONS_CHECKBOX1 201
#define IDC_OPTIONS_CHECKBOX2 202
#define IDC_OPTIONS_RADIOGROUP1 203
#define IDC_OPTIONS_RADIO0 204
#define IDC_OPTIONS_RADIO1 205
#define IDC_OPTIONS_RADIO2 206
#define IDC_OPTIONS_BITBTN2 207

#define IDD_LANGFORM 300
#define IDC_LANG_LISTBOX1 301
