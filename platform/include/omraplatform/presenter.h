// The presenter: what draws the framework's windows and reports what the user does.
//
// The framework keeps the model of every window (window_model.h) and tells the presenter what changed;
// the presenter shows it and calls the omra::User* functions below when the user acts, so that scripted
// tests and real widgets go through the same code. Which presenter is used: the one installed with
// SetPresenter, else the Qt plugin, loaded on first use when a display is available (DISPLAY,
// WAYLAND_DISPLAY or QT_QPA_PLATFORM set), else a headless one that shows nothing: dialogs end as
// Cancel and message boxes answer their default button, each after one line on standard error.
//
// The Qt plugin is looked for at $OMRA_PRESENTER_PATH, else in omra/ next to the platform library,
// else where the build tree made it.
#pragma once

#include <string>
#include <vector>

#include "omraplatform/export.h"
#include "omraplatform/window_model.h"
#include "omraplatform/winuser.h"

namespace omra {

// What changed in a window's model.
enum class Change { Text, Visible, Enabled, Check, Focus, Rect, Columns, Rows, Selection, Tabs, Icon,
                    Limit, Style, Foreground };

enum class Key { Enter, Escape, F1 };

// Thickness of the frame around a dialog's client area, in pixels.
struct Frame {
  int left, top, right, bottom;
};

class OMRAPLATFORM_API Presenter {
 public:
  virtual ~Presenter();

  // Why this presenter cannot show windows; null when it can.
  virtual const char *Unavailable() { return nullptr; }
  // Pixels for 4 horizontal and 8 vertical dialog units of a dialog (its font's average character
  // width and height).
  virtual SIZE DialogBaseUnits(HWND dialog) = 0;
  virtual Frame DialogFrame(HWND dialog) = 0;
  virtual SIZE ScreenSize() = 0;

  // The dialog and its controls exist in the model (not yet shown); make the view. FALSE: it cannot.
  virtual bool CreateView(HWND dialog) = 0;
  virtual void DestroyView(HWND dialog) = 0;
  virtual void Changed(HWND window, Change what) = 0;
  // Paint the dialog now (UpdateWindow).
  virtual void Paint(HWND dialog) = 0;
  // Run until dialog->ended; EndModal is called when EndDialog ends a modal dialog.
  virtual void RunModal(HWND dialog) = 0;
  virtual void EndModal(HWND dialog) = 0;

  virtual int MessageBox(HWND owner, const char *text, const char *caption, UINT type) = 0;
  virtual bool Help(HWND owner, const char *file, UINT command, ULONG_PTR data) = 0;
  virtual bool ShellOpen(HWND owner, const char *operation, const char *file, const char *parameters,
                         const char *directory, int show) = 0;
  // Size of text in a window's font (null window: the dialog font); with DT_WORDBREAK wrapped inside
  // width pixels.
  virtual SIZE MeasureText(HWND window, const char *text, int width, UINT format) = 0;
  // Saves a picture of the dialog as PNG; false when this presenter cannot.
  virtual bool Screenshot(HWND dialog, const char *png_path) { return false; }
};

// Installs a presenter (null: choose again on next use); the caller keeps it alive while installed.
OMRAPLATFORM_API void SetPresenter(Presenter *presenter);
// The presenter in use, choosing (and loading) it on first use; never null.
OMRAPLATFORM_API Presenter *GetPresenter();
// Whether the Qt plugin has been loaded into this process.
OMRAPLATFORM_API bool QtPresenterLoaded();

// The user's actions, for presenters. Each returns false, with the reason in why, when a user could
// not do it (hidden or disabled control, wrong kind, row or tab that does not exist); it then changes
// nothing.
// Replaces the text of an edit control as if typed: ES_NUMBER drops what is not a digit, the text limit
// cuts the rest; sends EN_CHANGE when the text changed.
OMRAPLATFORM_API bool UserType(HWND control, const std::string &text, std::string *why = nullptr);
// Clicks a button: a check box toggles, a radio button is checked and the others of its group cleared;
// sends BN_CLICKED.
OMRAPLATFORM_API bool UserClick(HWND control, std::string *why = nullptr);
// Clicks a list row: it becomes the selected and focused row and the list gets the focus; sends
// NM_CLICK, reflected to the list's own object first.
OMRAPLATFORM_API bool UserClickRow(HWND list, int row, std::string *why = nullptr);
// The second click of a double click on a row (the first is UserClickRow): sends NM_DBLCLK.
OMRAPLATFORM_API bool UserDoubleClickRow(HWND list, int row, std::string *why = nullptr);
// The user changed the selection or the focused row of a list without clicking (keyboard): the model
// follows, without notifications. rows: the selected rows; focused: the focused row or -1.
OMRAPLATFORM_API void UserMovesSelection(HWND list, const std::vector<int> &rows, int focused);
// Picks a tab; sends TCN_SELCHANGE when the selection changed.
OMRAPLATFORM_API bool UserSelectTab(HWND tab, int index, std::string *why = nullptr);
OMRAPLATFORM_API bool UserPressKey(HWND dialog, Key key, std::string *why = nullptr);
OMRAPLATFORM_API bool UserFocus(HWND control, std::string *why = nullptr);

// The buttons of a message box type (MB_OK ... MB_YESNOCANCEL) as answers, in order, and the answer
// of its default button (MB_DEFBUTTON1 to 3).
OMRAPLATFORM_API std::vector<int> MessageBoxButtons(UINT type);
OMRAPLATFORM_API int MessageBoxDefault(UINT type);

// The number of a predefined icon (32516 for IDI_INFORMATION); 0 for null.
OMRAPLATFORM_API int StandardIconId(HICON icon);

// Every dialog that exists, in the order they were made (innermost modal last).
OMRAPLATFORM_API std::vector<HWND> LiveDialogs();
// The innermost live dialog: the innermost modal one still running, else the last one made; null when
// there is none.
OMRAPLATFORM_API HWND InnermostDialog();

}  // namespace omra
