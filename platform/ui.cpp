#include "platform/ui.h"

#include <QAction>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <cmath>


namespace qorvel::platform {
namespace {

Ui*& Installed() {
  static Ui* ui = nullptr;
  return ui;
}

}  // namespace

Ui& CurrentUi() {
  if (Ui* ui = Installed()) return *ui;
  static QtUi qtUi;
  return qtUi;
}

ScopedUi::ScopedUi(Ui& ui) : m_pPrevious(Installed()) { Installed() = &ui; }
ScopedUi::~ScopedUi() { Installed() = m_pPrevious; }

QString FilterString(const std::vector<FileFilter>& filters) {
  QStringList parts;
  for (const FileFilter& f : filters) {
    if (f.label.contains(QLatin1Char('(') + f.pattern + QLatin1Char(')'))) parts << f.label;
    else parts << f.label + QStringLiteral(" (") + f.pattern + QLatin1Char(')');
  }
  return parts.join(QStringLiteral(";;"));
}

void QtUi::MessageBox(QWidget* parent, const QString& text, const QString& caption) {
  QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
  box.exec();
}

Answer QtUi::AskYesNoCancel(QWidget* parent, const QString& text, const QString& caption) {
  QMessageBox box(QMessageBox::Question, caption, text,
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
  box.setDefaultButton(QMessageBox::Yes);
  switch (box.exec()) {
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    default:
      return Answer::Cancel;
  }
}

std::optional<QString> QtUi::GetOpenFileName(QWidget* parent, const QString& title,
                                             const std::vector<FileFilter>& filters) {
  const QString path = QFileDialog::getOpenFileName(parent, title, QString(), FilterString(filters));
  if (path.isEmpty()) return std::nullopt;
  return path;
}

std::optional<QString> QtUi::GetSaveFileName(QWidget* parent, const QString& title,
                                             const std::vector<FileFilter>& filters,
                                             const QString& initialName) {
  const QString path = QFileDialog::getSaveFileName(parent, title, initialName, FilterString(filters));
  if (path.isEmpty()) return std::nullopt;
  return path;
}

std::optional<FontChoice> QtUi::ChooseFont(QWidget* parent, const FontRequest& request) {
  QFont initial(request.face);
  if (request.height > 0) initial.setPixelSize(request.height);
  bool ok = false;
  const QFont chosen = QFontDialog::getFont(&ok, initial, parent);
  if (!ok) return std::nullopt;
  double points = chosen.pointSizeF();
  if (points <= 0) points = QFontInfo(chosen).pointSizeF();
  return FontChoice{chosen.family(), static_cast<int>(std::floor(points * 10 + 1e-6))};
}

int QtUi::TrackPopupMenu(QMenu& menu, QPoint screenPos) {
  QAction* chosen = menu.exec(screenPos);
  return chosen ? chosen->data().toInt() : 0;
}

bool QtUi::PrintDialog(QWidget* parent, QPrinter& printer) {
  QPrintDialog dialog(&printer, parent);
  return dialog.exec() == QDialog::Accepted;
}

bool QtUi::PageSetupDialog(QWidget* parent, QPrinter& printer) {
  QPageSetupDialog dialog(&printer, parent);
  return dialog.exec() == QDialog::Accepted;
}

void QtUi::PrintPreview(QWidget* parent, QPrinter& printer,
                        const std::function<void(QPrinter&)>& paint) {
  QPrintPreviewDialog dialog(&printer, parent);
  QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                   [&paint](QPrinter* p) { paint(*p); });
  dialog.exec();
}

}  // namespace qorvel::platform
