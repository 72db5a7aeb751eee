// CWnd and the control classes: each call reads or changes the window's model and tells the presenter.
#include <strings.h>

#include <algorithm>
#include <cstring>

#include "framework/window_internal.h"
#include "omraplatform/gdi.h"
#include "omraplatform/presenter.h"
#include "omraplatform/window_model.h"
#include "omraplatform/wnd.h"

using omra::Change;
using omra::detail::changed;

namespace {

// The screen position of a window's client area.
POINT client_origin(HWND w) {
  if (w->is_dialog) return {w->rect.left + w->frame.left, w->rect.top + w->frame.top};
  POINT origin = w->parent ? client_origin(w->parent) : POINT{0, 0};
  return {origin.x + w->rect.left, origin.y + w->rect.top};
}

// The object GetDlgItem hands out for a window nobody attached an object to: the class of its kind.
CWnd *make_temporary(HWND w) {
  if (w->is_dialog) return new CWnd;
  switch (w->kind) {
    case ControlKind::PushButton:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
    case ControlKind::GroupBox: return new CButton;
    case ControlKind::Edit: return new CEdit;
    case ControlKind::ListView: return new CListCtrl;
    case ControlKind::Tab: return new CTabCtrl;
    case ControlKind::Static:
    case ControlKind::Icon: break;
  }
  return new CStatic;
}

bool is_edit(HWND w) { return w && !w->is_dialog && w->kind == ControlKind::Edit; }

}  // namespace

CWnd::~CWnd() {
  if (m_hWnd && m_hWnd->attached == this) m_hWnd->attached = nullptr;
}

CWnd *CWnd::FromHandle(HWND hwnd) {
  if (!hwnd) return nullptr;
  if (hwnd->attached) return hwnd->attached;
  if (!hwnd->temporary) {
    hwnd->temporary.reset(make_temporary(hwnd));
    hwnd->temporary->m_hWnd = hwnd;
  }
  return hwnd->temporary.get();
}

CWnd *CWnd::GetDlgItem(int id) const {
  return m_hWnd ? FromHandle(omra::detail::find_child(m_hWnd, id)) : nullptr;
}

int CWnd::GetDlgCtrlID() const { return m_hWnd ? m_hWnd->id : 0; }
CWnd *CWnd::GetParent() const { return m_hWnd ? FromHandle(m_hWnd->parent) : nullptr; }
DWORD CWnd::GetStyle() const { return m_hWnd ? m_hWnd->style : 0; }

BOOL CWnd::ShowWindow(int command) {
  if (!m_hWnd) return FALSE;
  BOOL was = m_hWnd->visible;
  bool now = command != SW_HIDE;
  if (m_hWnd->visible != now) {
    m_hWnd->visible = now;
    changed(m_hWnd, Change::Visible);
  }
  return was;
}

BOOL CWnd::IsWindowVisible() const {
  if (!m_hWnd) return FALSE;
  return m_hWnd->visible && (!m_hWnd->parent || m_hWnd->is_dialog || m_hWnd->parent->visible);
}

BOOL CWnd::EnableWindow(BOOL enable) {
  if (!m_hWnd) return FALSE;
  BOOL was_disabled = !m_hWnd->enabled;
  if (m_hWnd->enabled != (enable != FALSE)) {
    m_hWnd->enabled = enable != FALSE;
    changed(m_hWnd, Change::Enabled);
  }
  return was_disabled;
}

BOOL CWnd::IsWindowEnabled() const { return m_hWnd && m_hWnd->enabled; }

void CWnd::SetWindowText(LPCTSTR text) {
  if (!m_hWnd) return;
  m_hWnd->text = text ? text : "";
  changed(m_hWnd, Change::Text);
  // An edit control reports every text set into it, as a single-line Win32 edit does.
  if (is_edit(m_hWnd)) omra::detail::notify(m_hWnd, EN_CHANGE);
}

int CWnd::GetWindowText(LPTSTR buffer, int max) const {
  if (!buffer || max <= 0) return 0;
  buffer[0] = '\0';
  if (!m_hWnd) return 0;
  size_t n = std::min(m_hWnd->text.size(), static_cast<size_t>(max) - 1);
  std::memcpy(buffer, m_hWnd->text.data(), n);
  buffer[n] = '\0';
  return static_cast<int>(n);
}

void CWnd::GetWindowText(CString &text) const { text = m_hWnd ? m_hWnd->text.c_str() : ""; }
int CWnd::GetWindowTextLength() const { return m_hWnd ? static_cast<int>(m_hWnd->text.size()) : 0; }

void CWnd::SetDlgItemText(int id, LPCTSTR text) {
  if (CWnd *item = GetDlgItem(id)) item->SetWindowText(text);
}

int CWnd::GetDlgItemText(int id, CString &text) const {
  text.Empty();
  if (CWnd *item = GetDlgItem(id)) item->GetWindowText(text);
  return text.GetLength();
}

void CWnd::CheckDlgButton(int id, UINT check) {
  if (auto *button = static_cast<CButton *>(GetDlgItem(id))) button->SetCheck(static_cast<int>(check));
}

UINT CWnd::IsDlgButtonChecked(int id) const {
  HWND w = m_hWnd ? omra::detail::find_child(m_hWnd, id) : nullptr;
  return w ? static_cast<UINT>(w->check) : 0;
}

void CWnd::CheckRadioButton(int first_id, int last_id, int check_id) {
  if (!m_hWnd) return;
  for (auto &child : m_hWnd->children) {
    if (child->id < first_id || child->id > last_id) continue;
    int check = child->id == check_id ? BST_CHECKED : BST_UNCHECKED;
    if (child->check != check) {
      child->check = check;
      changed(child.get(), Change::Check);
    }
  }
}

CWnd *CWnd::SetFocus() {
  if (!m_hWnd) return nullptr;
  HWND dialog = omra_dialog_of(m_hWnd);
  if (!dialog) return nullptr;
  HWND previous = dialog->focus;
  omra::detail::set_focus(dialog, m_hWnd->is_dialog ? nullptr : m_hWnd);
  return FromHandle(previous);
}

CWnd *CWnd::GetFocus() {
  HWND dialog = omra::InnermostDialog();
  return dialog ? FromHandle(dialog->focus ? dialog->focus : dialog) : nullptr;
}

BOOL CWnd::SetForegroundWindow() {
  HWND dialog = omra_dialog_of(m_hWnd);
  if (!dialog) return FALSE;
  dialog->foreground = true;
  changed(dialog, Change::Foreground);
  return TRUE;
}

void CWnd::CenterWindow(CWnd *alternate) {
  if (!m_hWnd || !m_hWnd->is_dialog) return;
  RECT around{};
  HWND other = alternate ? omra_dialog_of(alternate->m_hWnd) : m_hWnd->parent;
  if (other && other != m_hWnd) {
    around = other->rect;
  } else {
    SIZE screen = omra::GetPresenter()->ScreenSize();
    around = {0, 0, screen.cx, screen.cy};
  }
  LONG width = m_hWnd->rect.right - m_hWnd->rect.left;
  LONG height = m_hWnd->rect.bottom - m_hWnd->rect.top;
  LONG left = around.left + (around.right - around.left - width) / 2;
  LONG top = around.top + (around.bottom - around.top - height) / 2;
  MoveWindow(std::max<LONG>(left, 0), std::max<LONG>(top, 0), width, height);
}

void CWnd::GetWindowRect(LPRECT rect) const {
  if (!rect) return;
  *rect = {};
  if (!m_hWnd) return;
  if (m_hWnd->is_dialog) {
    *rect = m_hWnd->rect;
    return;
  }
  POINT origin = m_hWnd->parent ? client_origin(m_hWnd->parent) : POINT{0, 0};
  *rect = {origin.x + m_hWnd->rect.left, origin.y + m_hWnd->rect.top, origin.x + m_hWnd->rect.right,
           origin.y + m_hWnd->rect.bottom};
}

void CWnd::GetClientRect(LPRECT rect) const {
  if (!rect) return;
  *rect = {};
  if (!m_hWnd) return;
  const RECT &r = m_hWnd->rect;
  const RECT &f = m_hWnd->frame;
  rect->right = std::max<LONG>(0, r.right - r.left - f.left - f.right);
  rect->bottom = std::max<LONG>(0, r.bottom - r.top - f.top - f.bottom);
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint) {
  if (!m_hWnd) return;
  m_hWnd->rect = {x, y, x + width, y + height};
  changed(m_hWnd, Change::Rect);
}

void CWnd::MoveWindow(LPCRECT rect, BOOL repaint) {
  if (rect) MoveWindow(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, repaint);
}

void CWnd::ScreenToClient(POINT *point) const {
  if (!point || !m_hWnd) return;
  POINT origin = client_origin(m_hWnd);
  point->x -= origin.x;
  point->y -= origin.y;
}

void CWnd::ScreenToClient(LPRECT rect) const {
  if (!rect || !m_hWnd) return;
  POINT origin = client_origin(m_hWnd);
  rect->left -= origin.x;
  rect->right -= origin.x;
  rect->top -= origin.y;
  rect->bottom -= origin.y;
}

void CWnd::ClientToScreen(POINT *point) const {
  if (!point || !m_hWnd) return;
  POINT origin = client_origin(m_hWnd);
  point->x += origin.x;
  point->y += origin.y;
}

void CWnd::ClientToScreen(LPRECT rect) const {
  if (!rect || !m_hWnd) return;
  POINT origin = client_origin(m_hWnd);
  rect->left += origin.x;
  rect->right += origin.x;
  rect->top += origin.y;
  rect->bottom += origin.y;
}

void CWnd::Invalidate(BOOL erase) {}

void CWnd::UpdateWindow() {
  HWND dialog = omra_dialog_of(m_hWnd);
  if (dialog && dialog->presenter) dialog->presenter->Paint(dialog);
}

CDC *CWnd::GetDC() { return new CClientDC(this); }

int CWnd::ReleaseDC(CDC *dc) {
  delete dc;
  return 1;
}

int CWnd::MessageBox(LPCTSTR text, LPCTSTR caption, UINT type) {
  return ::MessageBox(omra_dialog_of(m_hWnd), text, caption ? caption : AfxGetAppName(), type);
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd *parent) {
  if (!parent || !parent->m_hWnd || m_hWnd) return FALSE;
  HWND control = omra::detail::find_child(parent->m_hWnd, static_cast<int>(id));
  if (!control || (control->attached && control->attached != this)) return FALSE;
  control->attached = this;
  m_hWnd = control;
  return TRUE;
}

HWND CWnd::Detach() {
  HWND w = m_hWnd;
  if (w && w->attached == this) w->attached = nullptr;
  m_hWnd = nullptr;
  return w;
}

BOOL CWnd::DestroyWindow() { return FALSE; }
BOOL CWnd::OnCmdMsg(AFX_NOTIFY &) { return FALSE; }
BOOL CWnd::OnHelpInfo(HELPINFO *) { return FALSE; }

// ---- Buttons, edits, statics

int CButton::GetCheck() const { return m_hWnd ? m_hWnd->check : 0; }

void CButton::SetCheck(int check) {
  if (!m_hWnd || m_hWnd->check == check) return;
  m_hWnd->check = check;
  changed(m_hWnd, Change::Check);
}

void CEdit::SetLimitText(UINT limit) {
  if (!m_hWnd) return;
  m_hWnd->text_limit = static_cast<int>(limit);
  changed(m_hWnd, Change::Limit);
}

UINT CEdit::GetLimitText() const { return m_hWnd ? static_cast<UINT>(m_hWnd->text_limit) : 0; }

BOOL CEdit::SetReadOnly(BOOL read_only) {
  if (!m_hWnd) return FALSE;
  if (read_only) {
    m_hWnd->style |= ES_READONLY;
  } else {
    m_hWnd->style &= ~ES_READONLY;
  }
  changed(m_hWnd, Change::Style);
  return TRUE;
}

HICON CStatic::SetIcon(HICON icon) {
  if (!m_hWnd) return nullptr;
  HICON previous = m_hWnd->icon;
  m_hWnd->icon = icon;
  changed(m_hWnd, Change::Icon);
  return previous;
}

HICON CStatic::GetIcon() const { return m_hWnd ? m_hWnd->icon : nullptr; }

// ---- List view

namespace {

bool valid_row(HWND w, int item) { return w && item >= 0 && item < static_cast<int>(w->rows.size()); }

}  // namespace

int CListCtrl::InsertColumn(int column, LPCTSTR heading, int format, int width, int sub_item) {
  if (!m_hWnd || column < 0) return -1;
  column = std::min(column, static_cast<int>(m_hWnd->columns.size()));
  if (width < 0) width = GetStringWidth(heading) + 12;
  m_hWnd->columns.insert(m_hWnd->columns.begin() + column, ListColumn{heading ? heading : "", width, format});
  for (ListRow &row : m_hWnd->rows) {
    if (static_cast<int>(row.texts.size()) > column) row.texts.insert(row.texts.begin() + column, "");
  }
  changed(m_hWnd, Change::Columns);
  return column;
}

BOOL CListCtrl::DeleteColumn(int column) {
  if (!m_hWnd || column < 0 || column >= static_cast<int>(m_hWnd->columns.size())) return FALSE;
  m_hWnd->columns.erase(m_hWnd->columns.begin() + column);
  for (ListRow &row : m_hWnd->rows) {
    if (static_cast<int>(row.texts.size()) > column) row.texts.erase(row.texts.begin() + column);
  }
  changed(m_hWnd, Change::Columns);
  return TRUE;
}

int CListCtrl::GetColumnCount() const { return m_hWnd ? static_cast<int>(m_hWnd->columns.size()) : 0; }

BOOL CListCtrl::SetColumnWidth(int column, int width) {
  if (!m_hWnd || column < 0 || column >= static_cast<int>(m_hWnd->columns.size())) return FALSE;
  m_hWnd->columns[column].width = std::max(0, width);
  changed(m_hWnd, Change::Columns);
  return TRUE;
}

int CListCtrl::GetColumnWidth(int column) const {
  if (!m_hWnd || column < 0 || column >= static_cast<int>(m_hWnd->columns.size())) return 0;
  return m_hWnd->columns[column].width;
}

int CListCtrl::GetStringWidth(LPCTSTR text) const {
  if (!m_hWnd) return 0;
  HWND dialog = omra_dialog_of(m_hWnd);
  omra::Presenter *p = dialog && dialog->presenter ? dialog->presenter : omra::GetPresenter();
  return p->MeasureText(m_hWnd, text ? text : "", 0, DT_SINGLELINE | DT_NOPREFIX).cx;
}

int CListCtrl::InsertItem(int item, LPCTSTR text) {
  LVITEM lv{};
  lv.mask = LVIF_TEXT;
  lv.iItem = item;
  lv.pszText = const_cast<LPTSTR>(text);
  return InsertItem(&lv);
}

int CListCtrl::InsertItem(const LVITEM *item) {
  if (!m_hWnd || !item || item->iItem < 0) return -1;
  ListRow row;
  row.texts.push_back((item->mask & LVIF_TEXT) && item->pszText ? item->pszText : "");
  if (item->mask & LVIF_PARAM) row.data = item->lParam;
  auto &rows = m_hWnd->rows;
  int index = std::min(item->iItem, static_cast<int>(rows.size()));
  if (m_hWnd->style & LVS_SORTASCENDING) {
    // After every row whose text sorts before or equal to the new one.
    index = 0;
    while (index < static_cast<int>(rows.size()) &&
           strcasecmp(rows[index].texts[0].c_str(), row.texts[0].c_str()) <= 0) {
      ++index;
    }
  }
  rows.insert(rows.begin() + index, row);
  if (item->mask & LVIF_STATE) SetItemState(index, item->state, item->stateMask);
  changed(m_hWnd, Change::Rows);
  return index;
}

BOOL CListCtrl::SetItemText(int item, int sub_item, LPCTSTR text) {
  if (!valid_row(m_hWnd, item) || sub_item < 0 ||
      sub_item >= std::max<int>(1, static_cast<int>(m_hWnd->columns.size()))) {
    return FALSE;
  }
  auto &texts = m_hWnd->rows[item].texts;
  if (static_cast<int>(texts.size()) <= sub_item) texts.resize(sub_item + 1);
  texts[sub_item] = text ? text : "";
  changed(m_hWnd, Change::Rows);
  return TRUE;
}

CString CListCtrl::GetItemText(int item, int sub_item) const {
  if (!valid_row(m_hWnd, item) || sub_item < 0) return CString();
  const auto &texts = m_hWnd->rows[item].texts;
  return sub_item < static_cast<int>(texts.size()) ? CString(texts[sub_item].c_str()) : CString();
}

BOOL CListCtrl::SetItemData(int item, DWORD_PTR data) {
  if (!valid_row(m_hWnd, item)) return FALSE;
  m_hWnd->rows[item].data = static_cast<LPARAM>(data);
  return TRUE;
}

DWORD_PTR CListCtrl::GetItemData(int item) const {
  return valid_row(m_hWnd, item) ? static_cast<DWORD_PTR>(m_hWnd->rows[item].data) : 0;
}

BOOL CListCtrl::DeleteItem(int item) {
  if (!valid_row(m_hWnd, item)) return FALSE;
  m_hWnd->rows.erase(m_hWnd->rows.begin() + item);
  if (m_hWnd->scrolled_to >= static_cast<int>(m_hWnd->rows.size())) m_hWnd->scrolled_to = -1;
  changed(m_hWnd, Change::Rows);
  return TRUE;
}

BOOL CListCtrl::DeleteAllItems() {
  if (!m_hWnd) return FALSE;
  m_hWnd->rows.clear();
  m_hWnd->scrolled_to = -1;
  changed(m_hWnd, Change::Rows);
  return TRUE;
}

int CListCtrl::GetItemCount() const { return m_hWnd ? static_cast<int>(m_hWnd->rows.size()) : 0; }

BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask) {
  if (!m_hWnd || (item != -1 && !valid_row(m_hWnd, item))) return FALSE;
  auto &rows = m_hWnd->rows;
  for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
    if (item != -1 && i != item) continue;
    rows[i].state = (rows[i].state & ~mask) | (state & mask);
  }
  // One focused row; one selected row in a single-selection list.
  if (item != -1) {
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
      if (i == item) continue;
      if ((mask & state & LVIS_FOCUSED)) rows[i].state &= ~LVIS_FOCUSED;
      if ((mask & state & LVIS_SELECTED) && (m_hWnd->style & LVS_SINGLESEL)) rows[i].state &= ~LVIS_SELECTED;
    }
  }
  changed(m_hWnd, Change::Selection);
  return TRUE;
}

UINT CListCtrl::GetItemState(int item, UINT mask) const {
  return valid_row(m_hWnd, item) ? (m_hWnd->rows[item].state & mask) : 0;
}

int CListCtrl::GetNextItem(int item, int flags) const {
  if (!m_hWnd) return -1;
  UINT wanted = 0;
  if (flags & LVNI_SELECTED) wanted |= LVIS_SELECTED;
  if (flags & LVNI_FOCUSED) wanted |= LVIS_FOCUSED;
  for (int i = std::max(item + 1, 0); i < static_cast<int>(m_hWnd->rows.size()); ++i) {
    if ((m_hWnd->rows[i].state & wanted) == wanted) return i;
  }
  return -1;
}

UINT CListCtrl::GetSelectedCount() const {
  if (!m_hWnd) return 0;
  return static_cast<UINT>(std::count_if(m_hWnd->rows.begin(), m_hWnd->rows.end(),
                                         [](const ListRow &r) { return r.state & LVIS_SELECTED; }));
}

int CListCtrl::FindItem(const LVFINDINFO *find, int start) const {
  if (!m_hWnd || !find) return -1;
  for (int i = std::max(start + 1, 0); i < static_cast<int>(m_hWnd->rows.size()); ++i) {
    const ListRow &row = m_hWnd->rows[i];
    if (find->flags & LVFI_PARAM) {
      if (row.data == find->lParam) return i;
    } else if (find->psz && strcasecmp(row.texts[0].c_str(), find->psz) == 0) {
      return i;
    }
  }
  return -1;
}

BOOL CListCtrl::EnsureVisible(int item, BOOL partial_ok) {
  if (!valid_row(m_hWnd, item)) return FALSE;
  m_hWnd->scrolled_to = item;
  changed(m_hWnd, Change::Selection);
  return TRUE;
}

DWORD CListCtrl::SetExtendedStyle(DWORD style) {
  if (!m_hWnd) return 0;
  DWORD previous = m_hWnd->extended_style;
  m_hWnd->extended_style = style;
  changed(m_hWnd, Change::Style);
  return previous;
}

DWORD CListCtrl::GetExtendedStyle() const { return m_hWnd ? m_hWnd->extended_style : 0; }

// ---- Tab control

int CTabCtrl::InsertItem(int item, LPCTSTR text) {
  if (!m_hWnd || item < 0) return -1;
  auto &tabs = m_hWnd->tabs;
  int index = std::min(item, static_cast<int>(tabs.size()));
  tabs.insert(tabs.begin() + index, text ? text : "");
  if (m_hWnd->current_tab < 0) {
    m_hWnd->current_tab = 0;
  } else if (index <= m_hWnd->current_tab) {
    ++m_hWnd->current_tab;
  }
  changed(m_hWnd, Change::Tabs);
  return index;
}

BOOL CTabCtrl::DeleteAllItems() {
  if (!m_hWnd) return FALSE;
  m_hWnd->tabs.clear();
  m_hWnd->current_tab = -1;
  changed(m_hWnd, Change::Tabs);
  return TRUE;
}

int CTabCtrl::GetItemCount() const { return m_hWnd ? static_cast<int>(m_hWnd->tabs.size()) : 0; }
int CTabCtrl::GetCurSel() const { return m_hWnd ? m_hWnd->current_tab : -1; }

int CTabCtrl::SetCurSel(int item) {
  if (!m_hWnd || item < 0 || item >= static_cast<int>(m_hWnd->tabs.size())) return -1;
  int previous = m_hWnd->current_tab;
  m_hWnd->current_tab = item;
  changed(m_hWnd, Change::Tabs);
  return previous;
}
