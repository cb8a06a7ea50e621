#include "velmar/command_table.h"

#include <QStyle>

#include "velmar/resource.h"

namespace velmar {
namespace {

using K = MenuItemKind;

// String table: command prompts ("status-bar prompt\ntooltip").
constexpr CommandPrompt kCommandPrompts[] = {
    {ID_CHOOSE_FONT, "选择字体\n选择字体"},
    {ID_SET_LINE_HEIGHT, "设置行高\n设置行高"},
    {ID_RELAYOUT, "强制转换\n强制转换"},
    {ID_PASTE_MENGKELI, "插入剪贴板里面的文本内容\n粘贴蒙科立蒙文文本内容"},
    {ID_CUT_WEB, "剪切被选对象并将其置于剪贴板上\n剪切为蒙文网页格式"},
    {ID_PASTE_MINGANTU, "转换明安途蒙文文本"},
    {ID_PASTE_WORD, "转换蒙文WORD文本"},
    {ID_FILE_NEW, "建立新文档\n新建"},
    {ID_FILE_OPEN, "打开一个现有文档\n打开"},
    {ID_FILE_SAVE, "保存活动文档\n保存"},
    {ID_FILE_SAVE_AS, "将活动文档以一个新文件名保存\n另存为"},
    {ID_SAVE_HTML, "将排版结果保存为竖排网页文件\n另存为网页"},
    {ID_FILE_PRINT_SETUP, "改变打印机及打印选项\n打印设置"},
    {ID_FILE_PRINT, "打印活动文档\n打印"},
    {ID_FILE_PRINT_PREVIEW, "显示整页\n打印预览"},
    {ID_FILE_MRU_FILE1, "打开该文档"},
    {ID_EDIT_COPY, "复制为蒙文网页格式并将其置于剪贴板上\n复制为蒙文网页格式"},
    {ID_COPY_HTML, "复制为竖排网页（HTML）并将其置于剪贴板上\n复制为网页（HTML）"},
    {ID_EDIT_CUT, "剪切被选对象并将其置于剪贴板上\n剪切所有内容"},
    {ID_EDIT_PASTE, "插入剪贴板里面的文本内容\n粘贴Qorvel蒙文文本内容"},
    {ID_EDIT_UNDO, "撤消最后一步操作\n撤消"},
    {ID_APP_EXIT, "退出应用程序；提示保存文档\n退出"},
    {ID_NEXT_PANE, "切换到下一个窗格\n下一窗格"},
    {ID_PREV_PANE, "切换回前一个窗格\n前一窗格"},
    {ID_VIEW_TOOLBAR, "显示或隐藏工具栏\n显隐工具栏"},
    {ID_VIEW_STATUS_BAR, "显示或隐藏状态栏\n显隐状态栏"},
    {ID_APP_ABOUT, "显示程序信息，版本号和版权\n关于"},
    {ID_PREVIEW_CLOSE, "关闭打印预览模式\n取消预阅"},
    {ID_INDICATOR_CAPS, "大写"},
    {ID_INDICATOR_NUM, "数字"},
    {ID_INDICATOR_SCRL, "滚动"},
};

// Menu 128, the main menu.
constexpr MenuItem kMainMenu[] = {
    {K::Popup, 0, "文件(&F)", nullptr},
    {K::Item, ID_FILE_NEW, "新建(&N)", "Ctrl+N"},
    {K::Item, ID_FILE_OPEN, "打开(&O)...", "Ctrl+O"},
    {K::Item, ID_FILE_SAVE, "保存(&S)", "Ctrl+S"},
    {K::Item, ID_FILE_SAVE_AS, "另存为(&A)...", nullptr},
    {K::Item, ID_SAVE_HTML, "另存为网页...", nullptr},
    {K::Separator, 0, nullptr, nullptr},
    {K::Item, ID_FILE_PRINT, "打印(&P)...", "Ctrl+P"},
    {K::Item, ID_FILE_PRINT_PREVIEW, "打印预览(&V)", nullptr},
    {K::Item, ID_FILE_PRINT_SETUP, "打印设置(&R)...", nullptr},
    {K::Separator, 0, nullptr, nullptr},
    {K::Item, ID_FILE_MRU_FILE1, "最近文件", nullptr},
    {K::Separator, 0, nullptr, nullptr},
    {K::Item, ID_APP_EXIT, "退出(&X)", nullptr},
    {K::EndPopup, 0, nullptr, nullptr},
    {K::Popup, 0, "编辑(&E)", nullptr},
    {K::Item, ID_EDIT_UNDO, "撤消(&U)", "Ctrl+Z"},
    {K::Separator, 0, nullptr, nullptr},
    {K::Item, ID_EDIT_CUT, "剪切所有内容(&T)", "Ctrl+X"},
    {K::Item, ID_COPY_ALL, "复制所有内容", nullptr},
    {K::Item, ID_EDIT_COPY, "复制成蒙文网页格式(&C)", "Ctrl+C"},
    {K::Item, ID_COPY_HTML, "复制为网页（HTML）", nullptr},
    {K::Item, ID_EDIT_PASTE, "粘贴Qorvel蒙文文本内容(&P)", "Ctrl+V"},
    {K::Item, ID_PASTE_MENGKELI, "粘贴蒙科立蒙文文本内容(&M)", nullptr},
    {K::Item, ID_PASTE_MINGANTU, "粘贴明安途蒙文文本", nullptr},
    {K::Item, ID_PASTE_WORD, "粘贴蒙文WORD文本", nullptr},
    {K::EndPopup, 0, nullptr, nullptr},
    {K::Popup, 0, "功能(&G)", nullptr},
    {K::Item, ID_CHOOSE_FONT, "选择字体", nullptr},
    {K::Item, ID_SET_LINE_HEIGHT, "设定行高", nullptr},
    {K::Item, ID_RELAYOUT, "换行置位", nullptr},
    {K::EndPopup, 0, nullptr, nullptr},
    {K::Popup, 0, "查看(&V)", nullptr},
    {K::Item, ID_VIEW_TOOLBAR, "工具栏(&T)", nullptr},
    {K::Item, ID_VIEW_STATUS_BAR, "状态栏(&S)", nullptr},
    {K::EndPopup, 0, nullptr, nullptr},
    {K::Popup, 0, "帮助(&H)", nullptr},
    {K::Item, ID_APP_ABOUT, "关于 Qorvel蒙文网页排版置换工具(&A)...", nullptr},
    {K::EndPopup, 0, nullptr, nullptr},
};

// Menu 102, the view's right-button menu ("_POPUP_").
constexpr MenuItem kContextMenu[] = {
    {K::Item, ID_EDIT_CUT, "剪切所有内容", nullptr},
    {K::Item, ID_CUT_WEB, "剪切为蒙文网页格式", nullptr},
    {K::Separator, 0, nullptr, nullptr},
    {K::Item, ID_COPY_ALL, "复制所有内容", nullptr},
    {K::Item, ID_EDIT_COPY, "复制为蒙文网页格式", nullptr},
    {K::Item, ID_COPY_HTML, "复制为网页（HTML）", nullptr},
    {K::Separator, 0, nullptr, nullptr},
    {K::Item, ID_EDIT_PASTE, "粘贴Qorvel蒙文文本内容", nullptr},
    {K::Item, ID_PASTE_MENGKELI, "粘贴蒙科立蒙文文本", nullptr},
    {K::Item, ID_PASTE_MINGANTU, "粘贴明安途蒙文文本", nullptr},
    {K::Item, ID_PASTE_WORD, "粘贴蒙文WORD文本", nullptr},
};

// Accelerator table 128.
constexpr Accelerator kAccelerators[] = {
    {Qt::CTRL | Qt::Key_N, ID_FILE_NEW},
    {Qt::CTRL | Qt::Key_O, ID_FILE_OPEN},
    {Qt::CTRL | Qt::Key_S, ID_FILE_SAVE},
    {Qt::CTRL | Qt::Key_P, ID_FILE_PRINT},
    {Qt::CTRL | Qt::Key_Z, ID_EDIT_UNDO},
    {Qt::CTRL | Qt::Key_X, ID_EDIT_CUT},
    {Qt::CTRL | Qt::Key_C, ID_EDIT_COPY},
    {Qt::CTRL | Qt::Key_V, ID_EDIT_PASTE},
    {Qt::ALT | Qt::Key_Backspace, ID_EDIT_UNDO},
    {Qt::SHIFT | Qt::Key_Delete, ID_EDIT_CUT},
    {Qt::CTRL | Qt::Key_Insert, ID_EDIT_COPY},
    {Qt::SHIFT | Qt::Key_Insert, ID_EDIT_PASTE},
    {QKeyCombination(Qt::Key_F6), ID_NEXT_PANE},
    {Qt::SHIFT | Qt::Key_F6, ID_PREV_PANE},
};

// Toolbar 128.
constexpr ToolbarButton kToolbar[] = {
    {ID_FILE_NEW, "document-new", QStyle::SP_FileIcon, "新"},
    {ID_FILE_OPEN, "document-open", QStyle::SP_DialogOpenButton, "开"},
    {ID_FILE_SAVE, "document-save", QStyle::SP_DialogSaveButton, "存"},
    {0, nullptr, kNoPixmap, nullptr},
    {ID_SET_LINE_HEIGHT, "format-line-spacing", kNoPixmap, "↕"},
    {ID_CHOOSE_FONT, "preferences-desktop-font", kNoPixmap, "A"},
    {ID_RELAYOUT, "view-refresh", QStyle::SP_BrowserReload, "↻"},
    {0, nullptr, kNoPixmap, nullptr},
    {ID_EDIT_CUT, "edit-cut", kNoPixmap, "✂"},
    {ID_EDIT_COPY, "edit-copy", kNoPixmap, "复"},
    {ID_EDIT_PASTE, "edit-paste", kNoPixmap, "贴"},
    {0, nullptr, kNoPixmap, nullptr},
    {ID_FILE_PRINT, "document-print", kNoPixmap, "印"},
    {0, nullptr, kNoPixmap, nullptr},
    {ID_APP_ABOUT, "help-about", QStyle::SP_MessageBoxQuestion, "?"},
};

}  // namespace

std::span<const CommandPrompt> CommandPrompts() { return kCommandPrompts; }
std::span<const MenuItem> MainMenu() { return kMainMenu; }
std::span<const MenuItem> ContextMenu() { return kContextMenu; }
std::span<const Accelerator> Accelerators() { return kAccelerators; }
std::span<const ToolbarButton> ToolbarButtons() { return kToolbar; }

QString PromptString(int id) {
  if (id > ID_FILE_MRU_FILE1 && id <= ID_FILE_MRU_LAST) id = ID_FILE_MRU_FILE1;
  for (const CommandPrompt& p : kCommandPrompts)
    if (p.id == id) return QString::fromUtf8(p.text);
  return {};
}

QString StatusPrompt(int id) { return PromptString(id).section(QLatin1Char('\n'), 0, 0); }

QString ToolTip(int id) {
  const QString s = PromptString(id);
  const qsizetype nl = s.indexOf(QLatin1Char('\n'));
  return nl < 0 ? QString() : s.mid(nl + 1);
}

}  // namespace velmar
