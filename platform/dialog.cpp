#include "platform/dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/ui.h"

namespace qorvel::platform {

// The up-down control's window: two arrow buttons that step the buddy.
class CSpinWidget : public QWidget {
 public:
  CSpinWidget(QWidget* parent, unsigned style) : QWidget(parent), m_style(style) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (const bool up : {true, false}) {
      auto* button = new QToolButton(this);
      button->setArrowType(up ? Qt::UpArrow : Qt::DownArrow);
      button->setAutoRepeat(true);
      button->setFocusPolicy(Qt::NoFocus);
      button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
      layout->addWidget(button);
      QObject::connect(button, &QToolButton::clicked, this, [this, up] { Step(up); });
    }
  }

  void SetBuddy(QLineEdit* buddy) {
    m_pBuddy = buddy;
    if (buddy && (m_style & kUdsArrowKeys)) buddy->installEventFilter(this);
  }

  void Step(bool up) {
    // Up moves towards the upper end of the range, whichever way it runs.
    const int dir = (m_nUpper >= m_nLower) == up ? 1 : -1;
    const int lo = std::min(m_nLower, m_nUpper), hi = std::max(m_nLower, m_nUpper);
    long long value = m_nPos;
    if (m_pBuddy) {
      bool ok = false;
      const int typed = m_pBuddy->text().trimmed().toInt(&ok);
      value = ok ? typed : m_nLower;
    }
    m_nPos = static_cast<int>(std::clamp<long long>(value + dir, lo, hi));
    if (m_pBuddy && (m_style & kUdsSetBuddyInt)) m_pBuddy->setText(QString::number(m_nPos));
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == m_pBuddy && event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Up || key == Qt::Key_Down) {
        Step(key == Qt::Key_Up);
        return true;
      }
    }
    return QWidget::eventFilter(watched, event);
  }

  unsigned m_style;
  QLineEdit* m_pBuddy = nullptr;
  // A new up-down control's range runs from 100 down to 0.
  int m_nLower = 100;
  int m_nUpper = 0;
  int m_nPos = 0;
};

namespace {

// Lets only digits be typed into an edit control (pasting is not filtered).
class DigitsOnlyFilter : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const auto* key = static_cast<QKeyEvent*>(event);
      const QString text = key->text();
      if (!text.isEmpty() && text.at(0).isPrint() && !(key->modifiers() & Qt::ControlModifier) &&
          std::any_of(text.begin(), text.end(), [](QChar c) { return !c.isDigit(); }))
        return true;
    }
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

void CDataExchange::Fail(int id) {
  m_bFailed = true;
  if (QWidget* control = m_pDlgWnd->GetDlgItem(id)) {
    control->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(control)) edit->selectAll();
  }
}

void CSpinButtonCtrl::SetRange(int lower, int upper) {
  if (!m_pWidget) return;
  m_pWidget->m_nLower = lower;
  m_pWidget->m_nUpper = upper;
}

std::pair<int, int> CSpinButtonCtrl::GetRange() const {
  if (!m_pWidget) return {0, 0};
  return {m_pWidget->m_nLower, m_pWidget->m_nUpper};
}

void CSpinButtonCtrl::Step(bool up) {
  if (m_pWidget) m_pWidget->Step(up);
}

void CProgressCtrl::SetRange(int lower, int upper) {
  if (m_pWidget) m_pWidget->setRange(lower, upper);
}
void CProgressCtrl::SetStep(int step) { m_nStep = step; }
void CProgressCtrl::SetPos(int pos) {
  if (m_pWidget) m_pWidget->setValue(pos);
}
int CProgressCtrl::GetPos() const { return m_pWidget ? m_pWidget->value() : 0; }
void CProgressCtrl::StepIt() {
  if (!m_pWidget) return;
  // Like the common control, stepping past the end starts again at the bottom.
  long long next = static_cast<long long>(m_pWidget->value()) + m_nStep;
  if (next > m_pWidget->maximum()) next = m_pWidget->minimum() + (next - m_pWidget->maximum());
  m_pWidget->setValue(static_cast<int>(std::clamp<long long>(next, m_pWidget->minimum(), m_pWidget->maximum())));
}

CDialog::CDialog(const DialogTemplate& tmpl, QWidget* parent) : QDialog(parent), m_template(tmpl) {
  Qt::WindowFlags flags = Qt::Dialog;
  if (!tmpl.titleBar) flags |= Qt::CustomizeWindowHint;  // a modal frame without caption
  setWindowFlags(flags);
  setWindowTitle(QString::fromUtf8(tmpl.caption));
  setModal(true);
  QFont font(QString::fromUtf8(tmpl.fontFace));
  font.setPointSize(tmpl.pointSize);
  setFont(font);
}

int CDialog::DoModal() { return CurrentUi().RunDialog(*this); }

// The real modal loop lives here, beside the dialog it runs, so that the Ui
// interface needs to know no more of dialogs than their name.
int QtUi::RunDialog(CDialog& dialog) {
  dialog.InitModal();
  if (dialog.HasEnded()) return dialog.GetResult();
  dialog.exec();
  return dialog.HasEnded() ? dialog.GetResult() : IDCANCEL;
}

bool CDialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnOK() {
  if (!UpdateData(true)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::OnCommand(int) {}

bool CDialog::UpdateData(bool bSaveAndValidate) {
  BuildControls();
  CDataExchange dx(this, bSaveAndValidate);
  DoDataExchange(&dx);
  return !dx.m_bFailed;
}

void CDialog::EndDialog(int result) {
  m_bEnded = true;
  m_nResult = result;
  QDialog::done(result);
}

QWidget* CDialog::GetDlgItem(int id) const {
  const auto it = m_controls.find(id);
  return it == m_controls.end() ? nullptr : it->second;
}

bool CDialog::IsDlgButtonChecked(int id) const {
  auto* box = qobject_cast<QCheckBox*>(GetDlgItem(id));
  return box && box->isChecked();
}

QString CDialog::GetDlgItemText(int id) const {
  QWidget* w = GetDlgItem(id);
  if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text();
  if (auto* box = qobject_cast<QCheckBox*>(w)) return box->text();
  if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
  if (auto* button = qobject_cast<QPushButton*>(w)) return button->text();
  if (auto* group = qobject_cast<QGroupBox*>(w)) return group->title();
  return {};
}

void CDialog::SetDlgItemText(int id, const QString& text) {
  QWidget* w = GetDlgItem(id);
  if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->setText(text);
  else if (auto* label = qobject_cast<QLabel*>(w)) label->setText(text);
  else if (auto* button = qobject_cast<QPushButton*>(w)) button->setText(text);
  else if (auto* group = qobject_cast<QGroupBox*>(w)) group->setTitle(text);
}

void CDialog::InitModal() {
  BuildControls();
  m_bEnded = false;
  m_nResult = IDCANCEL;
  // True: the dialog, not OnInitDialog, chooses where the focus starts.
  if (OnInitDialog()) SetInitialFocus();
}

void CDialog::SetInitialFocus() {
  // The first edit in tab order, so that the user can type at once; without
  // one, the first control that takes the focus.
  QWidget* first = nullptr;
  for (QWidget* w = nextInFocusChain(); w != this; w = w->nextInFocusChain()) {
    if (!w->isVisibleTo(this) || !w->isEnabled() || !(w->focusPolicy() & Qt::TabFocus)) continue;
    if (qobject_cast<QLineEdit*>(w)) {
      first = w;
      break;
    }
    if (!first) first = w;
  }
  if (!first) return;
  first->setFocus(Qt::TabFocusReason);
  if (auto* edit = qobject_cast<QLineEdit*>(first)) edit->selectAll();
}

bool CDialog::ClickButton(int id) {
  if (id == IDOK) OnOK();
  else if (id == IDCANCEL) OnCancel();
  else OnCommand(id);
  return m_bEnded;
}

QRect CDialog::MapDialogRect(int x, int y, int cx, int cy) const {
  const QFontMetrics fm(font());
  static const QString kAlphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  const int baseX = std::max(1, (fm.horizontalAdvance(kAlphabet) / 26 + 1) / 2);
  const int baseY = std::max(1, fm.height());
  return QRect(x * baseX / 4, y * baseY / 8, cx * baseX / 4, cy * baseY / 8);
}

void CDialog::BuildControls() {
  if (m_bBuilt) return;
  m_bBuilt = true;
  setFixedSize(MapDialogRect(0, 0, m_template.cx, m_template.cy).size());
  QWidget* previous = nullptr;
  for (const ControlTemplate& c : m_template.controls) {
    const QString text = QString::fromUtf8(c.text);
    QWidget* w = nullptr;
    switch (c.kind) {
      case ControlKind::DefPushButton:
      case ControlKind::PushButton: {
        auto* button = new QPushButton(text, this);
        // Enter on a focused push button presses that button; from
        // anywhere else it presses the default button.
        button->setAutoDefault(true);
        button->setDefault(c.kind == ControlKind::DefPushButton);
        const int id = c.id;
        connect(button, &QPushButton::clicked, this, [this, id] { ClickButton(id); });
        w = button;
        break;
      }
      case ControlKind::Edit: {
        auto* edit = new QLineEdit(text, this);
        edit->setReadOnly(c.style & kEsReadOnly);
        if (c.style & kEsNumber) edit->installEventFilter(new DigitsOnlyFilter(edit));
        w = edit;
        break;
      }
      case ControlKind::Static:
        w = new QLabel(text, this);
        break;
      case ControlKind::Icon: {
        auto* label = new QLabel(this);
        label->setPixmap(windowIcon().isNull()
                             ? QApplication::windowIcon().pixmap(32, 32)
                             : windowIcon().pixmap(32, 32));
        w = label;
        break;
      }
      case ControlKind::GroupBox:
        w = new QGroupBox(text, this);
        break;
      case ControlKind::CheckBox:
        w = new QCheckBox(text, this);
        break;
      case ControlKind::Progress: {
        auto* bar = new QProgressBar(this);
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setTextVisible(false);
        w = bar;
        break;
      }
      case ControlKind::UpDown: {
        auto* spin = new CSpinWidget(this, c.style);
        if ((c.style & kUdsAutoBuddy) && previous) spin->SetBuddy(qobject_cast<QLineEdit*>(previous));
        w = spin;
        break;
      }
    }
    QRect rect = MapDialogRect(c.x, c.y, c.cx, c.cy);
    if (auto* spin = dynamic_cast<CSpinWidget*>(w); spin && spin->m_pBuddy && (c.style & kUdsAlignRight)) {
      // Sits inside the buddy's right edge, which gives up the room.
      QRect buddy = spin->m_pBuddy->geometry();
      rect = QRect(buddy.right() + 1 - rect.width(), buddy.top(), rect.width(), buddy.height());
      buddy.setWidth(buddy.width() - rect.width());
      spin->m_pBuddy->setGeometry(buddy);
    }
    w->setGeometry(rect);
    w->setObjectName(QStringLiteral("control%1").arg(c.id));
    m_controls[c.id] = w;
    previous = w;
  }
}

void DDX_Text(CDataExchange* pDX, int id, std::int32_t& value) {
  if (pDX->m_bFailed) return;
  CDialog* dlg = pDX->m_pDlgWnd;
  if (!pDX->m_bSaveAndValidate) {
    dlg->SetDlgItemText(id, QString::number(value));
    return;
  }
  const QByteArray text = dlg->GetDlgItemText(id).trimmed().toLatin1();
  const char* begin = text.constData();
  char* end = nullptr;
  errno = 0;
  const long long parsed = std::strtoll(begin, &end, 10);
  const bool whole = !text.isEmpty() && end == begin + text.size() && errno == 0 &&
                     parsed >= INT32_MIN && parsed <= INT32_MAX &&
                     dlg->GetDlgItemText(id).trimmed().size() == text.size();
  if (!whole) {
    CurrentUi().MessageBox(dlg, QString::fromUtf8(kParseIntMessage), QApplication::applicationName());
    pDX->Fail(id);
    return;
  }
  value = static_cast<std::int32_t>(parsed);
}

void DDX_Text(CDataExchange* pDX, int id, QString& value) {
  if (pDX->m_bFailed) return;
  if (pDX->m_bSaveAndValidate) value = pDX->m_pDlgWnd->GetDlgItemText(id);
  else pDX->m_pDlgWnd->SetDlgItemText(id, value);
}

void DDX_Control(CDataExchange* pDX, int id, CSpinButtonCtrl& control) {
  control.m_pWidget = dynamic_cast<CSpinWidget*>(pDX->m_pDlgWnd->GetDlgItem(id));
}

void DDX_Control(CDataExchange* pDX, int id, CProgressCtrl& control) {
  control.m_pWidget = qobject_cast<QProgressBar*>(pDX->m_pDlgWnd->GetDlgItem(id));
}

}  // namespace qorvel::platform
