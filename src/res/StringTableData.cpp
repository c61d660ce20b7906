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

        // Adding files: the message, then the reason of each failing step.
        {IDP_COPY_FAILED, "无法把文件“%1”复制到“%2”。\n%3"},
        {IDP_COPY_OPEN_SOURCE, "无法读取这个文件：%1"},
        {IDP_COPY_NOT_A_FILE, "它不是一个普通文件。"},
        {IDP_COPY_MAKE_FOLDER, "无法建立文件夹“%1”：%2"},
        {IDP_COPY_TARGET_IS_FOLDER, "目标位置已有一个同名的文件夹“%1”。"},
        {IDP_COPY_CREATE, "无法在文件夹“%1”中写入：%2"},
        {IDP_COPY_TRANSFER, "复制数据时出错：%1"},
        {IDP_COPY_TRASH_OLD, "无法把原有的“%1”移到回收站：%2\n原有的文件保持不变。"},
        {IDP_COPY_PUT_IN_PLACE, "无法把复制好的文件放到“%1”：%2"},
        {IDP_COPY_APP_FOLDER_MISSING, "找不到网络应用程序的文件夹“%1”。\n请先安装服务器运行环境；本程序不会建立服务器的文件夹。"},
        {IDP_COPY_SOURCE_CHANGED, "复制期间这个文件被改动了（%1）。\n复制已取消，目标文件夹保持不变；请在文件不再变化后重试。"},
        {IDP_COPY_NAME_NOT_UTF8, "这个文件的名称不是有效的 UTF-8 编码，无法使用。\n请先把它改为 UTF-8 编码的名称。"},
        {IDP_REPLACE_QUESTION, "文件夹“%1”中已有名为“%2”的文件。\n\n要替换它吗？原有的文件将移到回收站。"},
        {IDS_COPY_PROGRESS, "正在复制“%1”…"},
        {IDS_CANCEL, "取消"},
        {IDS_YES, "是(&Y)"},
        {IDS_NO, "否(&N)"},
        {IDP_NAMES_NOT_LISTED, "下列文件的名称不是有效的 UTF-8 编码，服务器和本程序都无法按名称使用它们，因此没有列出：\n%1\n请把它们改为 UTF-8 编码的名称。"},
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
