#pragma once
// Velmar's command table: the string table of command prompts, the main and
// context menus, the accelerators and the toolbar, all keyed by command id.
// The frame builds its menus, toolbar, keys, prompts and tooltips from these
// blocks; whether a command is enabled comes from the message maps (a
// command without a handler is disabled).

#include <QKeySequence>
#include <QString>
#include <span>

namespace velmar {

// One string of the string table: "prompt\ntooltip" or just "prompt".
struct CommandPrompt {
  int id;
  const char* text;
};

enum class MenuItemKind { Popup, Item, Separator, EndPopup };

struct MenuItem {
  MenuItemKind kind;
  int id;               // commands only
  const char* label;    // popups and commands
  const char* keyText;  // shown after a tab; nullptr for none
};

struct Accelerator {
  QKeyCombination key;
  int id;
};

// A toolbar button (id 0: a gap) and where its picture comes from: the icon
// theme's name, else the style's standard pixmap (kNoPixmap: none), else the
// glyph drawn by us.
inline constexpr int kNoPixmap = -1;
struct ToolbarButton {
  int id;
  const char* themeIcon;
  int standardPixmap;  // a QStyle::StandardPixmap
  const char* glyph;
};

std::span<const CommandPrompt> CommandPrompts();
std::span<const MenuItem> MainMenu();     // menu 128
std::span<const MenuItem> ContextMenu();  // menu 102, its one popup
std::span<const Accelerator> Accelerators();  // accelerator table 128
std::span<const ToolbarButton> ToolbarButtons();  // toolbar 128

// The prompt string of `id` ("" when there is none); the recent-file
// entries share the prompt of the first.
QString PromptString(int id);
// The status-bar prompt and the tooltip of `id`.
QString StatusPrompt(int id);
QString ToolTip(int id);

inline const char* const kIdleMessage = "就绪";
inline const char* const kAppTitle = "Velmar";
inline const char* const kDocTitle = "Velmar";  // new-file name of the document template
inline const char* const kIndicatorCaps = "大写";
inline const char* const kIndicatorNum = "数字";
inline const char* const kIndicatorScroll = "滚动";

}  // namespace velmar
