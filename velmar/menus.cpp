#include "velmar/menus.h"

namespace velmar {

QAction* MakeCommandAction(QObject* parent, int id, const QString& label, const char* keyText,
                           CCmdTarget& route) {
  QString text = label;
  if (keyText) text += QLatin1Char('\t') + QString::fromUtf8(keyText);
  auto* action = new QAction(text, parent);
  action->setData(id);
  action->setStatusTip(StatusPrompt(id));
  const QString tip = ToolTip(id);
  if (!tip.isEmpty()) action->setToolTip(tip);
  action->setEnabled(route.OnCmdMsg(id, false));
  return action;
}

QList<QAction*> FillMenu(QMenu& menu, std::span<const MenuItem> items, CCmdTarget& route) {
  QList<QAction*> actions;
  QList<QMenu*> stack{&menu};
  for (const MenuItem& item : items) {
    QMenu* current = stack.back();
    switch (item.kind) {
      case MenuItemKind::Popup:
        stack.push_back(current->addMenu(QString::fromUtf8(item.label)));
        break;
      case MenuItemKind::EndPopup:
        if (stack.size() > 1) stack.pop_back();
        break;
      case MenuItemKind::Separator:
        current->addSeparator();
        break;
      case MenuItemKind::Item: {
        QAction* action = MakeCommandAction(current, item.id, QString::fromUtf8(item.label), item.keyText, route);
        current->addAction(action);
        actions.push_back(action);
        break;
      }
    }
  }
  return actions;
}

void SendCommand(CCmdTarget& route, int id) {
  if (route.OnCmdMsg(id, false)) route.OnCmdMsg(id, true);
}

}  // namespace velmar
