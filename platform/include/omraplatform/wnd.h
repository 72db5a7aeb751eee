// Windows and controls: CWnd and the control classes, addressed by id inside their dialog, and the
// message maps that route a control's commands and notifications to member functions.
//
// A CWnd names a window of the framework's model through m_hWnd. Every call on a CWnd without a window
// (never created, or destroyed) does nothing and returns 0, FALSE or null. The control classes add no
// data of their own, so the object GetDlgItem returns for a control can be used as the class of its
// kind (CEdit, CButton, CStatic, CListCtrl, CTabCtrl).
#pragma once

#include <cstddef>

#include "omraplatform/cstring.h"
#include "omraplatform/export.h"
#include "omraplatform/winuser.h"

class CDC;

// One command or notification on its way to a handler. For commands (BN_CLICKED, EN_CHANGE) nmhdr is
// null. reflected is set while the control's own message map sees its notification.
struct AFX_NOTIFY {
  UINT id;
  UINT code;
  NMHDR *nmhdr;
  LRESULT *result;
  bool reflected;
};

class OMRAPLATFORM_API CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd();
  CWnd(const CWnd &) = delete;
  CWnd &operator=(const CWnd &) = delete;

  HWND m_hWnd = nullptr;
  HWND GetSafeHwnd() const { return m_hWnd; }
  // The object attached to a window, else the window's temporary object; null for a null handle.
  static CWnd *FromHandle(HWND hwnd);

  // Controls of this dialog by id; null when there is none.
  CWnd *GetDlgItem(int id) const;
  int GetDlgCtrlID() const;
  CWnd *GetParent() const;
  DWORD GetStyle() const;

  BOOL ShowWindow(int command);  // TRUE when it was visible before
  BOOL IsWindowVisible() const;
  BOOL EnableWindow(BOOL enable = TRUE);  // TRUE when it was disabled before
  BOOL IsWindowEnabled() const;

  void SetWindowText(LPCTSTR text);
  int GetWindowText(LPTSTR buffer, int max) const;
  void GetWindowText(CString &text) const;
  int GetWindowTextLength() const;
  void SetDlgItemText(int id, LPCTSTR text);
  int GetDlgItemText(int id, CString &text) const;
  void CheckDlgButton(int id, UINT check);
  UINT IsDlgButtonChecked(int id) const;
  // Checks check_id and unchecks the other radio buttons with ids from first_id to last_id.
  void CheckRadioButton(int first_id, int last_id, int check_id);

  // Keyboard focus: SetFocus returns the window that had it (null when none).
  CWnd *SetFocus();
  static CWnd *GetFocus();
  BOOL SetForegroundWindow();
  // Centres a dialog on alternate, else on its owner, else on the screen.
  void CenterWindow(CWnd *alternate = nullptr);

  // Window rectangle in screen pixels; client rectangle from (0, 0).
  void GetWindowRect(LPRECT rect) const;
  void GetClientRect(LPRECT rect) const;
  // For a dialog, screen pixels; for a control, its dialog's client pixels.
  void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
  void MoveWindow(LPCRECT rect, BOOL repaint = TRUE);
  void ScreenToClient(LPRECT rect) const;
  void ScreenToClient(POINT *point) const;
  void ClientToScreen(LPRECT rect) const;
  void ClientToScreen(POINT *point) const;

  void Invalidate(BOOL erase = TRUE);
  void UpdateWindow();  // paints now
  // A device context for measuring text in this window's font; release it with ReleaseDC.
  CDC *GetDC();
  int ReleaseDC(CDC *dc);

  // A message box owned by this window; a null caption is the application's name.
  int MessageBox(LPCTSTR text, LPCTSTR caption = nullptr, UINT type = MB_OK);

  // Attaches this object to control id of parent, so that the control's notifications reach this
  // object's message map first (reflection). FALSE when there is no such control or it already has one.
  BOOL SubclassDlgItem(UINT id, CWnd *parent);
  HWND Detach();
  virtual BOOL DestroyWindow();

  // The message map of the class: TRUE when a handler took the command or notification.
  virtual BOOL OnCmdMsg(AFX_NOTIFY &notify);
  // F1 pressed in this window; TRUE when handled.
  virtual BOOL OnHelpInfo(HELPINFO *info);
};

class OMRAPLATFORM_API CButton : public CWnd {
 public:
  int GetCheck() const;
  void SetCheck(int check);
};

class OMRAPLATFORM_API CEdit : public CWnd {
 public:
  // At most limit characters can be typed (0: no limit); a longer text already there stays.
  void SetLimitText(UINT limit);
  void LimitText(int limit = 0) { SetLimitText(static_cast<UINT>(limit)); }
  UINT GetLimitText() const;
  BOOL SetReadOnly(BOOL read_only = TRUE);
  void SetSel(int start, int end, BOOL no_scroll = FALSE) {}
};

class OMRAPLATFORM_API CStatic : public CWnd {
 public:
  HICON SetIcon(HICON icon);  // the previous icon
  HICON GetIcon() const;
};

struct LVITEM {
  UINT mask;
  int iItem;
  int iSubItem;
  UINT state;
  UINT stateMask;
  LPTSTR pszText;
  int cchTextMax;
  int iImage;
  LPARAM lParam;
};

struct LVFINDINFO {
  UINT flags;
  LPCTSTR psz;
  LPARAM lParam;
};

// The list view in report style. Rows are numbered from 0; an index outside the rows gives FALSE, 0 or
// an empty text.
class OMRAPLATFORM_API CListCtrl : public CWnd {
 public:
  int InsertColumn(int column, LPCTSTR heading, int format = LVCFMT_LEFT, int width = -1,
                   int sub_item = -1);
  BOOL DeleteColumn(int column);
  int GetColumnCount() const;
  BOOL SetColumnWidth(int column, int width);
  int GetColumnWidth(int column) const;
  // Pixel width of text in the list's font.
  int GetStringWidth(LPCTSTR text) const;

  // With LVS_SORTASCENDING the row goes where its text sorts (without regard to case); returns the
  // row's index, -1 on failure.
  int InsertItem(int item, LPCTSTR text);
  int InsertItem(const LVITEM *item);
  BOOL SetItemText(int item, int sub_item, LPCTSTR text);
  CString GetItemText(int item, int sub_item) const;
  BOOL SetItemData(int item, DWORD_PTR data);
  DWORD_PTR GetItemData(int item) const;
  BOOL DeleteItem(int item);
  BOOL DeleteAllItems();
  int GetItemCount() const;

  // LVIS_SELECTED and LVIS_FOCUSED; a single-selection list keeps one selected row, and one row at most
  // has the focus.
  BOOL SetItemState(int item, UINT state, UINT mask);
  UINT GetItemState(int item, UINT mask) const;
  int GetNextItem(int item, int flags) const;
  UINT GetSelectedCount() const;
  int FindItem(const LVFINDINFO *find, int start = -1) const;
  BOOL EnsureVisible(int item, BOOL partial_ok);
  DWORD SetExtendedStyle(DWORD style);
  DWORD GetExtendedStyle() const;
};

// Tabs numbered from 0.
class OMRAPLATFORM_API CTabCtrl : public CWnd {
 public:
  // Inserts before tab item, or appends when item is at or past the end; returns the index.
  int InsertItem(int item, LPCTSTR text);
  BOOL DeleteAllItems();
  int GetItemCount() const;
  int GetCurSel() const;
  int SetCurSel(int item);  // the previous selection; sends no notification
};

// Message maps. In the class: DECLARE_MESSAGE_MAP(). In its source file:
//
//   BEGIN_MESSAGE_MAP(CConnectionListDlg, CDialog)
//     ON_BN_CLICKED(1358, OnAdd)
//     ON_NOTIFY(NM_DBLCLK, 1357, OnDblclkList)
//   END_MESSAGE_MAP()
//
// expands to a static table of {notification, control id, member function} searched in order; what the
// table does not take goes to the base class's map.
template <class T>
struct AFX_MSGMAP_ENTRY {
  UINT code;
  UINT id;
  bool reflect;  // ON_NOTIFY_REFLECT: the control's own notification
  void (T::*command)();
  void (T::*notify)(NMHDR *, LRESULT *);
};

template <class T, size_t N>
bool AfxDispatchMessageMap(T *self, const AFX_MSGMAP_ENTRY<T> (&map)[N], AFX_NOTIFY &n) {
  for (const AFX_MSGMAP_ENTRY<T> &e : map) {
    if ((!e.command && !e.notify) || e.code != n.code || e.reflect != n.reflected) continue;
    if (!e.reflect && e.id != n.id) continue;
    if (e.command) {
      (self->*e.command)();
    } else {
      LRESULT ignored = 0;
      (self->*e.notify)(n.nmhdr, n.result ? n.result : &ignored);
    }
    return true;
  }
  return false;
}

#define DECLARE_MESSAGE_MAP() \
 public:                      \
  BOOL OnCmdMsg(AFX_NOTIFY &notify) override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)            \
  BOOL theClass::OnCmdMsg(AFX_NOTIFY &notify) {           \
    typedef theClass ThisClass;                           \
    typedef baseClass TheBaseClass;                       \
    static const AFX_MSGMAP_ENTRY<ThisClass> message_map[] = {
#define END_MESSAGE_MAP()                                        \
  {0, 0, false, nullptr, nullptr}                                \
  }                                                              \
  ;                                                              \
  if (AfxDispatchMessageMap(this, message_map, notify)) return TRUE; \
  return TheBaseClass::OnCmdMsg(notify);                         \
  }

#define ON_COMMAND(id, fn) {BN_CLICKED, static_cast<UINT>(id), false, &ThisClass::fn, nullptr},
#define ON_BN_CLICKED(id, fn) ON_COMMAND(id, fn)
#define ON_EN_CHANGE(id, fn) {EN_CHANGE, static_cast<UINT>(id), false, &ThisClass::fn, nullptr},
#define ON_NOTIFY(code, id, fn) {code, static_cast<UINT>(id), false, nullptr, &ThisClass::fn},
#define ON_NOTIFY_REFLECT(code, fn) {code, 0, true, nullptr, &ThisClass::fn},
