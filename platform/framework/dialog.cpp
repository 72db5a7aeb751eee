// CDialog: building a dialog's model from its template, the modal and modeless life cycle, and dialog
// data exchange with the framework's own validation messages.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "framework/window_internal.h"
#include "omraplatform/dialog.h"
#include "omraplatform/presenter.h"
#include "omraplatform/window_model.h"

using omra::Change;
using omra::detail::changed;

namespace {

// Thrown by CDataExchange::Fail and caught by UpdateData; it never leaves the framework.
struct DataExchangeFailed {};

LONG dialog_units(int units, LONG base, int divisor) {
  return static_cast<LONG>((static_cast<long long>(units) * base + divisor / 2) / divisor);
}

bool takes_focus(const HWND__ &w) {
  switch (w.kind) {
    case ControlKind::Static:
    case ControlKind::Icon:
    case ControlKind::GroupBox: return false;
    default: return w.visible && w.enabled;
  }
}

enum class Made { Ok, NoTemplate, CannotShow };

}  // namespace

CDialog::CDialog() = default;

CDialog::CDialog(UINT template_id, CWnd *parent)
    : m_nIDHelp(template_id), m_nIDTemplate(template_id), m_pParentWnd(parent) {}

CDialog::CDialog(LPCTSTR template_name, CWnd *parent) : m_lpszTemplateName(template_name), m_pParentWnd(parent) {}

CDialog::~CDialog() { DestroyWindow(); }

bool CDialog::create_window(bool modal, CWnd *parent) {
  const DialogTemplate *t = m_lpszTemplateName ? AfxFindDialogTemplate(m_lpszTemplateName)
                                               : AfxFindDialogTemplate(m_nIDTemplate);
  if (!t) {
    if (m_lpszTemplateName && !IS_INTRESOURCE(m_lpszTemplateName)) {
      std::fprintf(stderr, "%s: the dialog template %s does not exist\n", AfxGetAppName(), m_lpszTemplateName);
    } else {
      std::fprintf(stderr, "%s: the dialog template %u does not exist\n", AfxGetAppName(), m_nIDTemplate);
    }
    return false;
  }
  omra::Presenter *presenter = omra::GetPresenter();
  if (const char *why = presenter->Unavailable()) {
    std::fprintf(stderr, "%s: cannot show the dialog \"%s\": %s\n", AfxGetAppName(), t->title ? t->title : "",
                 why);
    return false;
  }

  auto *w = new HWND__;
  w->is_dialog = true;
  w->id = static_cast<int>(t->id);
  w->style = t->style;
  w->text = t->title ? t->title : "";
  w->dialog_template = t;
  w->modal = modal;
  w->parent = parent ? omra_dialog_of(parent->m_hWnd) : omra::detail::active_dialog();
  w->presenter = presenter;
  w->attached = this;
  w->base_units = presenter->DialogBaseUnits(w);
  omra::Frame f = presenter->DialogFrame(w);
  w->frame = {f.left, f.top, f.right, f.bottom};
  LONG width = dialog_units(t->cx, w->base_units.cx, 4) + f.left + f.right;
  LONG height = dialog_units(t->cy, w->base_units.cy, 8) + f.top + f.bottom;
  w->rect = {0, 0, width, height};
  for (size_t i = 0; i < t->control_count; ++i) {
    const DialogControl &c = t->controls[i];
    auto child = std::make_unique<HWND__>();
    child->kind = c.kind;
    child->id = c.id;
    child->style = c.style & ~TS_HIDDEN;
    child->text = c.text ? c.text : "";
    child->rect = {dialog_units(c.x, w->base_units.cx, 4), dialog_units(c.y, w->base_units.cy, 8),
                   dialog_units(c.x + c.cx, w->base_units.cx, 4), dialog_units(c.y + c.cy, w->base_units.cy, 8)};
    child->visible = !(c.style & TS_HIDDEN);
    child->enabled = !(c.style & WS_DISABLED);
    child->parent = w;
    w->children.push_back(std::move(child));
  }
  m_hWnd = w;
  CenterWindow();
  omra::detail::register_dialog(w);
  if (!presenter->CreateView(w)) {
    std::fprintf(stderr, "%s: cannot show the dialog \"%s\": the presenter could not make it\n", AfxGetAppName(),
                 w->text.c_str());
    omra::detail::unregister_dialog(w);
    delete w;
    m_hWnd = nullptr;
    return false;
  }
  w->has_view = true;
  return true;
}

INT_PTR CDialog::DoModal() {
  if (m_hWnd) return -1;  // already shown
  bool has_template = m_lpszTemplateName ? AfxFindDialogTemplate(m_lpszTemplateName) != nullptr
                                         : AfxFindDialogTemplate(m_nIDTemplate) != nullptr;
  if (!create_window(true, m_pParentWnd)) return has_template ? IDCANCEL : -1;
  HWND w = m_hWnd;
  // TRUE from OnInitDialog asks for the focus on the first control, as in Win32, even when the handler
  // moved it; a handler that sets the focus itself returns FALSE.
  if (OnInitDialog() && !w->ended) {
    for (auto &child : w->children) {
      if (takes_focus(*child)) {
        omra::detail::set_focus(w, child.get());
        break;
      }
    }
  }
  if (!w->ended) {
    w->visible = true;
    changed(w, Change::Visible);
    w->presenter->RunModal(w);
  }
  INT_PTR result = w->modal_result;
  DestroyWindow();
  return result;
}

BOOL CDialog::Create(UINT template_id, CWnd *parent) {
  m_nIDTemplate = template_id;
  m_nIDHelp = template_id;
  m_lpszTemplateName = nullptr;
  return Create(static_cast<LPCTSTR>(nullptr), parent);
}

BOOL CDialog::Create(LPCTSTR template_name, CWnd *parent) {
  if (m_hWnd) return FALSE;
  if (template_name) m_lpszTemplateName = template_name;
  m_pParentWnd = parent;
  if (!create_window(false, parent)) return FALSE;
  HWND w = m_hWnd;
  if (OnInitDialog()) {
    for (auto &child : w->children) {
      if (takes_focus(*child)) {
        omra::detail::set_focus(w, child.get());
        break;
      }
    }
  }
  if ((w->style & WS_VISIBLE) && !w->ended) ShowWindow(SW_SHOW);
  return TRUE;
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::EndDialog(int result) {
  if (!m_hWnd) return;
  m_hWnd->ended = true;
  m_hWnd->modal_result = result;
  if (m_hWnd->modal) {
    if (m_hWnd->presenter) m_hWnd->presenter->EndModal(m_hWnd);
  } else {
    ShowWindow(SW_HIDE);
  }
}

BOOL CDialog::UpdateData(BOOL save_and_validate) {
  if (!m_hWnd) return FALSE;
  CDataExchange dx(this, save_and_validate);
  try {
    DoDataExchange(&dx);
  } catch (const DataExchangeFailed &) {
    return FALSE;
  }
  return TRUE;
}

void CDialog::GotoDlgCtrl(CWnd *control) {
  if (m_hWnd && control && control->m_hWnd && control->m_hWnd->parent == m_hWnd) {
    omra::detail::set_focus(m_hWnd, control->m_hWnd);
  }
}

void CDialog::MapDialogRect(LPRECT rect) const {
  if (!rect || !m_hWnd) return;
  SIZE base = m_hWnd->base_units;
  rect->left = dialog_units(rect->left, base.cx, 4);
  rect->right = dialog_units(rect->right, base.cx, 4);
  rect->top = dialog_units(rect->top, base.cy, 8);
  rect->bottom = dialog_units(rect->bottom, base.cy, 8);
}

BOOL CDialog::DestroyWindow() {
  HWND w = m_hWnd;
  if (!w) return FALSE;
  if (w->presenter && w->has_view) w->presenter->DestroyView(w);
  omra::detail::unregister_dialog(w);
  // Objects attached to controls (DDX_Control) outlive the window: they lose their handle.
  for (auto &child : w->children) {
    if (child->attached) child->attached->m_hWnd = nullptr;
  }
  w->attached = nullptr;
  m_hWnd = nullptr;
  delete w;
  return TRUE;
}

BOOL CDialog::OnCmdMsg(AFX_NOTIFY &notify) {
  if (!notify.reflected && notify.code == BN_CLICKED) {
    if (notify.id == IDOK) {
      OnOK();
      return TRUE;
    }
    if (notify.id == IDCANCEL) {
      OnCancel();
      return TRUE;
    }
  }
  return CWnd::OnCmdMsg(notify);
}

BOOL CDialog::OnHelpInfo(HELPINFO *info) {
  HWND help = omra::detail::find_child(m_hWnd, IDHELP);
  if (!help || !help->visible || !help->enabled) return FALSE;
  omra::detail::notify(help, BN_CLICKED);
  return TRUE;
}

// ---- Data exchange

CDataExchange::CDataExchange(CDialog *dialog, BOOL save_and_validate)
    : m_bSaveAndValidate(save_and_validate), m_pDlgWnd(dialog) {}

HWND CDataExchange::PrepareCtrl(int id) {
  HWND control = omra::detail::find_child(m_pDlgWnd ? m_pDlgWnd->m_hWnd : nullptr, id);
  if (!control) {
    // A programming error in the dialog's exchange: report it and stop the exchange instead of crashing.
    std::fprintf(stderr, "%s: dialog data exchange names control %d, which the dialog does not have\n",
                 AfxGetAppName(), id);
    m_hWndLastControl = nullptr;
    Fail();
  }
  m_hWndLastControl = control;
  m_bEditLastControl = FALSE;
  return control;
}

HWND CDataExchange::PrepareEditCtrl(int id) {
  HWND control = PrepareCtrl(id);
  m_bEditLastControl = TRUE;
  return control;
}

void CDataExchange::Fail() {
  if (m_bSaveAndValidate && m_hWndLastControl && m_pDlgWnd && m_pDlgWnd->m_hWnd) {
    omra::detail::set_focus(m_pDlgWnd->m_hWnd, m_hWndLastControl);
  }
  throw DataExchangeFailed{};
}

namespace {

void refuse(CDataExchange *dx, const CString &message) {
  AfxMessageBox(message, MB_ICONEXCLAMATION);
  dx->Fail();
}

// A whole number in decimal, blanks around it allowed.
bool parse_long(const std::string &text, long long &value) {
  const char *start = text.c_str();
  char *end = nullptr;
  errno = 0;
  value = std::strtoll(start, &end, 10);
  if (end == start || errno == ERANGE) return false;
  while (*end == ' ' || *end == '\t') ++end;
  return *end == '\0';
}

void exchange_number(CDataExchange *dx, int id, long long &value, long long min, long long max) {
  HWND control = dx->PrepareEditCtrl(id);
  if (dx->m_bSaveAndValidate) {
    long long parsed = 0;
    if (!parse_long(control->text, parsed) || parsed < min || parsed > max) refuse(dx, "Enter a whole number.");
    value = parsed;
  } else {
    CWnd::FromHandle(control)->SetWindowText(std::to_string(value).c_str());
  }
}

}  // namespace

void DDX_Text(CDataExchange *dx, int id, CString &value) {
  HWND control = dx->PrepareEditCtrl(id);
  if (dx->m_bSaveAndValidate) {
    value = control->text.c_str();
  } else {
    CWnd::FromHandle(control)->SetWindowText(value);
  }
}

void DDX_Text(CDataExchange *dx, int id, int &value) {
  long long v = value;
  exchange_number(dx, id, v, INT_MIN, INT_MAX);
  value = static_cast<int>(v);
}

void DDX_Text(CDataExchange *dx, int id, UINT &value) {
  long long v = value;
  exchange_number(dx, id, v, 0, UINT_MAX);
  value = static_cast<UINT>(v);
}

void DDX_Check(CDataExchange *dx, int id, int &value) {
  HWND control = dx->PrepareCtrl(id);
  if (dx->m_bSaveAndValidate) {
    value = control->check;
  } else if (control->check != value) {
    control->check = value;
    changed(control, Change::Check);
  }
}

void DDX_Radio(CDataExchange *dx, int id, int &value) {
  HWND control = dx->PrepareCtrl(id);
  std::vector<HWND> group = omra::detail::radio_group(control);
  if (dx->m_bSaveAndValidate) {
    value = -1;
    for (size_t i = 0; i < group.size(); ++i) {
      if (group[i]->check) value = static_cast<int>(i);
    }
    return;
  }
  for (size_t i = 0; i < group.size(); ++i) {
    int check = static_cast<int>(i) == value ? BST_CHECKED : BST_UNCHECKED;
    if (group[i]->check != check) {
      group[i]->check = check;
      changed(group[i], Change::Check);
    }
  }
}

void DDX_Control(CDataExchange *dx, int id, CWnd &control) {
  if (control.m_hWnd) return;
  dx->PrepareCtrl(id);
  if (!control.SubclassDlgItem(static_cast<UINT>(id), dx->m_pDlgWnd)) {
    std::fprintf(stderr, "%s: control %d already has an object attached\n", AfxGetAppName(), id);
    dx->Fail();
  }
}

void DDV_MaxChars(CDataExchange *dx, const CString &value, int max_chars) {
  if (dx->m_bSaveAndValidate) {
    if (value.GetLength() > max_chars) {
      CString message;
      message.Format("Enter no more than %d characters.", max_chars);
      refuse(dx, message);
    }
  } else if (HWND last = dx->m_hWndLastControl; last && dx->m_bEditLastControl && last->kind == ControlKind::Edit) {
    last->text_limit = max_chars;
    changed(last, Change::Limit);
  }
}

void DDV_MinMaxInt(CDataExchange *dx, int value, int min_value, int max_value) {
  if (!dx->m_bSaveAndValidate || (value >= min_value && value <= max_value)) return;
  CString message;
  message.Format("Enter a whole number from %d to %d.", min_value, max_value);
  refuse(dx, message);
}

void DDV_MinMaxUInt(CDataExchange *dx, UINT value, UINT min_value, UINT max_value) {
  if (!dx->m_bSaveAndValidate || (value >= min_value && value <= max_value)) return;
  CString message;
  message.Format("Enter a whole number from %u to %u.", min_value, max_value);
  refuse(dx, message);
}
