#pragma once

// The program's resource ids: strings, commands, controls, forms and icons.
// Command ids double as string ids, so a command's prompt is found by its id.

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDP_OLE_INIT_FAILED = 100;
inline constexpr int IDD_WORKSPACE_FORM = 101;
inline constexpr int IDR_MAINFRAME = 128;
inline constexpr int IDR_BREWDECK_DOCUMENT_ICON = 129;

// Messages and texts of adding files and of the lists.
inline constexpr int IDP_COPY_FAILED = 150;
inline constexpr int IDP_COPY_OPEN_SOURCE = 151;
inline constexpr int IDP_COPY_NOT_A_FILE = 152;
inline constexpr int IDP_COPY_MAKE_FOLDER = 153;
inline constexpr int IDP_COPY_TARGET_IS_FOLDER = 154;
inline constexpr int IDP_COPY_CREATE = 155;
inline constexpr int IDP_COPY_TRANSFER = 156;
inline constexpr int IDP_COPY_TRASH_OLD = 157;
inline constexpr int IDP_COPY_PUT_IN_PLACE = 158;
inline constexpr int IDP_COPY_APP_FOLDER_MISSING = 159;
inline constexpr int IDP_COPY_SOURCE_CHANGED = 160;
inline constexpr int IDP_COPY_NAME_NOT_UTF8 = 161;
inline constexpr int IDP_REPLACE_QUESTION = 162;
inline constexpr int IDS_COPY_PROGRESS = 163;
inline constexpr int IDS_CANCEL = 164;
inline constexpr int IDS_YES = 165;
inline constexpr int IDS_NO = 166;
inline constexpr int IDP_NAMES_NOT_LISTED = 167;

// Controls of the workspace form.
inline constexpr int IDC_APP_NAME = 1000;
inline constexpr int IDC_HOME_PAGE = 1003;
inline constexpr int IDC_LIST_CLASS = 1005;
inline constexpr int IDC_ADD_JSP = 1006;
inline constexpr int IDC_RUN = 1007;
inline constexpr int IDC_SET_HOME = 1008;
inline constexpr int IDC_LIST_JAR = 1009;
inline constexpr int IDC_LIST_JSP = 1010;
inline constexpr int IDC_ADD_CLASS = 1011;
inline constexpr int IDC_ADD_JAR = 1012;

// Commands of the program.
inline constexpr int ID_WEB_START = 32772;
inline constexpr int ID_WEB_STOP = 32773;
