#pragma once
// Identifiers of the program's resources and of the controls in its
// dialogs and windows. Plain macros: the resource compiler reads this file
// too, and the test driver finds controls by these ids.

#define IDI_VORSANT 1
#define IDB_TOOLBAR 2
// The toolbar strip again at 150 % and 200 %.
#define IDB_TOOLBAR24 3
#define IDB_TOOLBAR32 4

#define IDD_CONDITIONS 110
#define IDD_WELCOME 111
#define IDD_ABOUT 112

// Conditions dialog
#define IDC_WINE_NAME 1001
#define IDC_FILTER_NAME 1002
#define IDC_WINE_TYPE 1003
#define IDC_NORMAL 1004
#define IDC_DESSERT 1005
#define IDC_LAB_PRESSURE 1006
#define IDC_FILTER_DIAMETER 1007
#define IDC_MAX_PRESSURE 1008
#define IDC_AREA 1009
#define IDC_RATE 1010
#define IDC_UNITS_BPM 1011
#define IDC_UNITS_GPM 1012
#define IDC_COMMENTS 1013
#define IDC_LABEL_WINE_NAME 1020
#define IDC_LABEL_FILTER_NAME 1021
#define IDC_LAB_GROUP 1022
#define IDC_LABEL_PRESSURE 1023
#define IDC_UNIT_PRESSURE 1024
#define IDC_LABEL_DIAMETER 1025
#define IDC_UNIT_DIAMETER 1026
#define IDC_FULL_SCALE_GROUP 1027
#define IDC_LABEL_MAX_PRESSURE 1028
#define IDC_UNIT_MAX_PRESSURE 1029
#define IDC_LABEL_AREA 1030
#define IDC_UNIT_AREA 1031
#define IDC_LABEL_RATE 1032
#define IDC_LABEL_COMMENTS 1033

// Welcome dialog
#define IDC_OPEN_EXISTING 1101
#define IDC_BEGIN_NEW 1102

// About box and splash
#define IDC_PRODUCT_PANEL 1201

// Trial window and frame
#define IDC_MEMO1 1301
#define IDC_MEMO2 1302
#define IDC_GRAPH 1303
#define IDC_MDI_CLIENT 1401
#define IDC_TOOLBAR 1402
#define IDC_STATUSBAR 1403
#define IDM_FIRST_CHILD 50000

// Data dialog: point k's boxes are IDC_DATA_V1 + k - 1 and so on; skip
// button k is IDC_DATA_SKIP0 + k. Graph windows.
#define IDD_DATA 3000
#define IDC_DATA_V1 3101
#define IDC_DATA_MIN1 3201
#define IDC_DATA_SEC1 3301
#define IDC_DATA_SKIP0 3401
#define IDC_DATA_LABEL 3500
#define IDC_DATA_PASTE 3501
#define IDC_DATA_PASTE_NOTE 3502
#define IDC_GRAPH_IMAGE 3601

// The Fouling Models and Compare Trials windows: the table, the fouling
// window's verdict above it, its sizing boxes with their labels and its
// units choice.
#define IDC_MODEL_TABLE 3602
#define IDC_MODEL_VERDICT 3603
#define IDC_TARGET_VOLUME 3611
#define IDC_SAFETY_FACTOR 3612
#define IDC_ELEMENT_AREA 3613
#define IDC_TARGET_VOLUME_LABEL 3621
#define IDC_SAFETY_FACTOR_LABEL 3622
#define IDC_ELEMENT_AREA_LABEL 3623
#define IDC_UNITS 3614
#define IDC_UNITS_LABEL 3624

// Balance dialogs: the port dialog (COM button n is IDC_COM1 + n - 1), the
// new-data dialog and the collection's progress window.
#define IDD_COM 4000
#define IDD_NEW_DATA 4001
#define IDC_COM_PROMPT 4101
#define IDC_COM1 4111
#define IDC_DENSITY_LABEL 4201
#define IDC_DENSITY 4202
#define IDC_DENSITY_UNIT 4203
#define IDC_DURATION_LABEL 4204
#define IDC_MAX_DURATION9 4211
#define IDC_MAX_DURATION18 4212
#define IDC_MAX_DURATION36 4213
#define IDC_MAX_DURATION72 4214
#define IDC_MAX_DURATION144 4215
#define IDC_NEW_DATA_WARNING1 4221
#define IDC_NEW_DATA_WARNING2 4222
#define IDC_NEXT 4301
#define IDC_TIME 4302
#define IDC_STOP 4303
#define IDC_STOP_BUTTON 4304
// Balance Settings: the port and command-set lists, Find Balance and its words.
#define IDD_BALANCE 4002
#define IDC_BALANCE_PORT_LABEL 4401
#define IDC_BALANCE_PORT 4402
#define IDC_BALANCE_PROFILE_LABEL 4403
#define IDC_BALANCE_PROFILE 4404
#define IDC_FIND_BALANCE 4405
#define IDC_BALANCE_FOUND 4406
