#include "FormResources.h"

#include "CommandIds.h"
#include "resource.h"

namespace res {

namespace {

using fw::ControlKind;

constexpr int IDC_STATIC = -1;

const fw::DialogResource &workspaceForm()
{
    // Ids -1 are the labels and frames; the rest are the controls the view
    // works with. Three columns of files: JSP (1010) left, CLASS (1005)
    // middle, JAR (1009) right.
    static const fw::DialogResource form = {
        IDD_WORKSPACE_FORM, "", "Microsoft Sans Serif", 8, 313, 211,
        {
            {ControlKind::GroupBox, IDC_STATIC, "groupWebApp", "WEB 应用", 7, 7, 299, 54},
            {ControlKind::Label, IDC_STATIC, "labelAppName", "WEB应用名称", 13, 22, 53, 11, fw::AlignRight},
            {ControlKind::ReadOnlyEdit, IDC_APP_NAME, "IDC_APP_NAME", "", 74, 22, 192, 12},
            {ControlKind::Label, IDC_STATIC, "labelHomePage", "主页", 13, 39, 53, 11, fw::AlignRight},
            {ControlKind::ReadOnlyEdit, IDC_HOME_PAGE, "IDC_HOME_PAGE", "", 74, 39, 192, 12},
            {ControlKind::ListBox, IDC_LIST_CLASS, "IDC_LIST_CLASS", nullptr, 91, 95, 75, 85},
            {ControlKind::ListBox, IDC_LIST_JAR, "IDC_LIST_JAR", nullptr, 168, 95, 75, 85},
            {ControlKind::ListBox, IDC_LIST_JSP, "IDC_LIST_JSP", nullptr, 14, 95, 75, 85},
            {ControlKind::Label, IDC_STATIC, "labelJsp", "-JSP 文件", 18, 81, 58, 11},
            {ControlKind::Label, IDC_STATIC, "labelClass", "-CLASS 文件", 95, 81, 58, 11},
            {ControlKind::Label, IDC_STATIC, "labelJar", "-JAR 文件", 172, 81, 58, 11},
            {ControlKind::PushButton, IDC_ADD_JSP, "IDC_ADD_JSP", "+", 14, 183, 14, 14},
            {ControlKind::PushButton, IDC_ADD_CLASS, "IDC_ADD_CLASS", "+", 90, 183, 14, 14},
            {ControlKind::PushButton, IDC_ADD_JAR, "IDC_ADD_JAR", "+", 168, 183, 14, 14},
            {ControlKind::GroupBox, IDC_STATIC, "groupPages", "页面", 7, 67, 248, 137},
            {ControlKind::PushButton, IDC_RUN, "IDC_RUN", "运行", 271, 22, 24, 14},
            {ControlKind::GroupBox, IDC_STATIC, "groupSide", "", 264, 67, 42, 137},
            // Overlaps the JSP "+" by one unit.
            {ControlKind::PushButton, IDC_SET_HOME, "IDC_SET_HOME", "H", 27, 183, 14, 14},
        },
    };
    return form;
}

const fw::DialogResource &aboutBox()
{
    static const fw::DialogResource box = {
        IDD_ABOUTBOX, "关于 Brewdeck", "MS Shell Dlg", 9, 170, 62,
        {
            {ControlKind::Icon, IDC_STATIC, "aboutIcon", nullptr, 14, 14, 20, 20, fw::NoStyle, IDR_MAINFRAME},
            {ControlKind::Label, IDC_STATIC, "aboutVersion", "Brewdeck, Version 1.0", 42, 14, 114, 8},
            {ControlKind::Label, IDC_STATIC, "aboutNotice", "版权所有 (C) 2026", 42, 26, 114, 8},
            {ControlKind::PushButton, fw::ids::IDOK, "IDOK", "确定", 113, 41, 50, 14, fw::DefaultButton},
        },
    };
    return box;
}

} // namespace

const fw::DialogResource &dialogTemplate(int id)
{
    switch (id) {
    case IDD_WORKSPACE_FORM:
        return workspaceForm();
    case IDD_ABOUTBOX:
        return aboutBox();
    }
    static const fw::DialogResource none = {0, "", "", 8, 0, 0, {}};
    return none;
}

} // namespace res
