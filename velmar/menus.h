#pragma once
// Menus built from the command table, with each command enabled exactly
// when the route handles it.

#include <QAction>
#include <QMenu>
#include <span>

#include "velmar/cmd_target.h"
#include "velmar/command_table.h"

namespace velmar {

// An action for command `id`: its data is the id; status tip and tooltip
// from the string table; enabled when `route` handles the command. A key
// text is shown after a tab.
QAction* MakeCommandAction(QObject* parent, int id, const QString& label, const char* keyText,
                           CCmdTarget& route);

// Adds `items` to `menu`; popups become sub-menus. Returns every command
// action created, in order.
QList<QAction*> FillMenu(QMenu& menu, std::span<const MenuItem> items, CCmdTarget& route);

// Runs command `id` through `route` when some handler takes it.
void SendCommand(CCmdTarget& route, int id);

}  // namespace velmar
