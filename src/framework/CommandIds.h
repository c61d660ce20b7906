#pragma once

// Command, string and control ids that the framework itself knows. The
// program's own ids live in its resource header; both share one number space
// with the string table, so a command's prompt is the string of the same id.
namespace fw::ids {

inline constexpr int ID_SEPARATOR = 0;

// The button that accepts a dialog.
inline constexpr int IDOK = 1;

inline constexpr int ID_FILE_NEW = 57600;
inline constexpr int ID_FILE_OPEN = 57601;
inline constexpr int ID_FILE_CLOSE = 57602;
inline constexpr int ID_FILE_SAVE = 57603;
inline constexpr int ID_FILE_SAVE_AS = 57604;
inline constexpr int ID_FILE_PRINT_DIRECT = 57608;

inline constexpr int ID_EDIT_COPY = 57634;
inline constexpr int ID_EDIT_CUT = 57635;
inline constexpr int ID_EDIT_PASTE = 57637;
inline constexpr int ID_EDIT_UNDO = 57643;

inline constexpr int ID_APP_ABOUT = 57664;
inline constexpr int ID_APP_EXIT = 57665;

inline constexpr int ID_NEXT_PANE = 57680;
inline constexpr int ID_PREV_PANE = 57681;

inline constexpr int ID_VIEW_TOOLBAR = 59392;
inline constexpr int ID_VIEW_STATUS_BAR = 59393;

inline constexpr int ID_INDICATOR_CAPS = 59137;
inline constexpr int ID_INDICATOR_NUM = 59138;
inline constexpr int ID_INDICATOR_SCRL = 59139;

// Strings of the framework.
inline constexpr int IDS_APP_TITLE = 57344;
inline constexpr int IDS_IDLEMESSAGE = 57345;
inline constexpr int IDS_ALLFILTER = 61446;
inline constexpr int IDS_OPENFILE = 61447;
inline constexpr int IDS_SAVEFILE = 61448;
inline constexpr int IDS_UNTITLED = 61443;
inline constexpr int IDS_SAVE_CHANGES = 61449;
inline constexpr int IDP_FAILED_TO_CREATE_DOC = 61700;
inline constexpr int IDP_FAILED_TO_OPEN_DOC = 61701;
inline constexpr int IDP_FAILED_TO_SAVE_DOC = 61702;
inline constexpr int IDP_UNREG_DONE = 61707;

} // namespace fw::ids
