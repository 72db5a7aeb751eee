// The framework's model of a window: what a HWND names. The framework keeps every property a user can
// see here (texts, shown, enabled, checked, focus, list rows, tabs); presenters draw it and report the
// user's actions back through the functions of presenter.h. Dialog code never touches this directly:
// it goes through CWnd and the control classes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "omraplatform/resources.h"
#include "omraplatform/winuser.h"

class CWnd;
namespace omra {
class Presenter;
}

struct ListColumn {
  std::string text;
  int width;
  int format;
};

struct ListRow {
  std::vector<std::string> texts;  // one per column (missing ones are empty)
  LPARAM data = 0;
  UINT state = 0;  // LVIS_SELECTED, LVIS_FOCUSED
};

struct HWND__ {
  // What kind of window: a dialog (top-level) or one of its controls.
  bool is_dialog = false;
  ControlKind kind = ControlKind::Static;
  int id = 0;
  DWORD style = 0;
  std::string text;        // title of a dialog, text of a control
  RECT rect{};             // window rectangle: screen pixels for dialogs, parent client pixels else
  bool visible = false;
  bool enabled = true;
  int check = 0;           // BST_CHECKED for check boxes and radio buttons
  int text_limit = 0;      // edit controls: most characters the user can type; 0 = no limit
  HICON icon = nullptr;    // icon statics

  // List views.
  std::vector<ListColumn> columns;
  std::vector<ListRow> rows;
  DWORD extended_style = 0;
  int scrolled_to = -1;    // the row last scrolled into view

  // Tab controls.
  std::vector<std::string> tabs;
  int current_tab = -1;

  // Dialogs.
  HWND__ *parent = nullptr;   // controls: their dialog; dialogs: their owner (may be null)
  std::vector<std::unique_ptr<HWND__>> children;  // controls in tab order
  HWND__ *focus = nullptr;     // the control with the keyboard focus (null: the dialog itself)
  const DialogTemplate *dialog_template = nullptr;
  bool modal = false;
  bool ended = false;          // EndDialog was called
  int modal_result = 0;
  bool foreground = false;     // SetForegroundWindow was called
  SIZE base_units{};           // the presenter's dialog base units for this dialog
  RECT frame{};                // thickness of the frame around the client area (left, top, right, bottom)
  omra::Presenter *presenter = nullptr;  // the presenter that made the view

  // The framework object attached to this window (a dialog, or a control subclassed by DDX_Control),
  // and the object GetDlgItem hands out when none is attached.
  CWnd *attached = nullptr;
  std::unique_ptr<CWnd> temporary;

  // Dialogs: whether the presenter made a view; the presenter's own data (its widget).
  bool has_view = false;
  void *view = nullptr;
};

// The dialog a window belongs to (itself for a dialog).
inline HWND__ *omra_dialog_of(HWND__ *w) { return w && !w->is_dialog ? w->parent : w; }
