#pragma once

// The program's resource ids: strings, commands, controls, forms and icons.
// Command ids double as string ids, so a command's prompt is found by its id.

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDP_OLE_INIT_FAILED = 100;
inline constexpr int IDD_WORKSPACE_FORM = 101;
inline constexpr int IDR_MAINFRAME = 128;
inline constexpr int IDR_BREWDECK_DOCUMENT_ICON = 129;

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
