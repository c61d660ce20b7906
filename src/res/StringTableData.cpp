#include "StringTableData.h"

#include "CommandIds.h"
#include "StringTable.h"
#include "resource.h"

namespace res {

void loadStringTable()
{
    using namespace fw::ids;
    fw::StringTable::insert({
        {IDP_OLE_INIT_FAILED, "OLE 初始化失败。请确保 OLE 库是正确的版本。"},
        // Window title, document name, new-file name, filter, extension,
        // file type id and file type name.
        {IDR_MAINFRAME, "Brewdeck\n\nBrewdeck\nBrewdeck Files (*.bdk)\n.bdk\nBrewdeck.Document\nBrewdeck.Document"},
        {ID_WEB_START, "启动WEB服务"},
        {ID_WEB_STOP, "停止WEB服务"},
        {IDS_APP_TITLE, "Brewdeck"},
        {IDS_IDLEMESSAGE, "就绪"},
        {ID_APP_ABOUT, "显示程序信息、版本号和版权\n关于"},
        {ID_APP_EXIT, "退出应用程序；提示保存文档\n退出"},
        {ID_VIEW_TOOLBAR, "显示或隐藏工具栏\n切换工具栏"},
        {ID_VIEW_STATUS_BAR, "显示或隐藏状态栏\n切换状态栏"},
        {ID_INDICATOR_CAPS, "CAP"},
        {ID_INDICATOR_NUM, "NUM"},
        {ID_INDICATOR_SCRL, "SCRL"},

        // The framework's own prompts and messages.
        {ID_FILE_NEW, "建立新文档\n新建"},
        {ID_FILE_OPEN, "打开一个现有文档\n打开"},
        {ID_FILE_CLOSE, "关闭活动文档\n关闭"},
        {ID_FILE_SAVE, "保存活动文档\n保存"},
        {ID_FILE_SAVE_AS, "用新名称保存活动文档\n另存为"},
        {ID_EDIT_COPY, "复制选定内容并将其放到剪贴板上\n复制"},
        {ID_EDIT_CUT, "剪切选定内容并将其放到剪贴板上\n剪切"},
        {ID_EDIT_PASTE, "插入剪贴板内容\n粘贴"},
        {ID_EDIT_UNDO, "撤消上一操作\n撤消"},
        {ID_NEXT_PANE, "切换到下一个窗格\n下一窗格"},
        {ID_PREV_PANE, "切换回上一个窗格\n上一窗格"},
        {IDS_UNTITLED, "无标题"},
        {IDS_ALLFILTER, "所有文件(*.*)"},
        {IDS_OPENFILE, "打开"},
        {IDS_SAVEFILE, "另存为"},
        {IDS_SAVE_CHANGES, "是否将更改保存到 %1?"},
        {IDP_FAILED_TO_CREATE_DOC, "建立空文档失败。"},
        {IDP_FAILED_TO_OPEN_DOC, "无法打开文档“%1”。\n%2"},
        {IDP_FAILED_TO_SAVE_DOC, "无法保存文档“%1”。\n%2"},
        {IDP_UNREG_DONE, "系统注册项已被移除并且相应的 INI 文件(如存在)也被删除。"},
    });
}

} // namespace res
