// Dialogs: CDialog, modal (DoModal) and modeless (Create, destroyed with the object), built from a
// template of the current module, with data exchange between members and controls.
//
// Keys: Enter clicks the focused push button, else the default button (BS_DEFPUSHBUTTON, else IDOK);
// Esc sends IDCANCEL; F1 calls OnHelpInfo, which by default clicks a shown and enabled IDHELP button.
// IDOK and IDCANCEL that the class's message map does not take call OnOK and OnCancel.
//
// When no presenter can show a dialog (no display and none installed), DoModal writes one line on
// standard error that says why and returns IDCANCEL; Create does the same and returns FALSE.
#pragma once

#include "omraplatform/cstring.h"
#include "omraplatform/export.h"
#include "omraplatform/resources.h"
#include "omraplatform/wnd.h"

class CDialog;

// The direction and the state of one data exchange.
class OMRAPLATFORM_API CDataExchange {
 public:
  CDataExchange(CDialog *dialog, BOOL save_and_validate);

  BOOL m_bSaveAndValidate;  // TRUE: controls to members, with validation
  CWnd *m_pDlgWnd;

  // The control a DDX call works on; a missing control is a programming error and fails the exchange.
  HWND PrepareCtrl(int id);
  HWND PrepareEditCtrl(int id);
  // Ends the exchange as failed: the focus goes to the last prepared control, UpdateData returns FALSE.
  [[noreturn]] void Fail();

  HWND m_hWndLastControl = nullptr;
  BOOL m_bEditLastControl = FALSE;
};

OMRAPLATFORM_API void DDX_Text(CDataExchange *dx, int id, CString &value);
// A whole number in decimal; anything else is refused with the framework's own message.
OMRAPLATFORM_API void DDX_Text(CDataExchange *dx, int id, int &value);
OMRAPLATFORM_API void DDX_Text(CDataExchange *dx, int id, UINT &value);
OMRAPLATFORM_API void DDX_Check(CDataExchange *dx, int id, int &value);
// value is the index of the checked button of the radio group that starts with control id, -1 none.
OMRAPLATFORM_API void DDX_Radio(CDataExchange *dx, int id, int &value);
// Attaches control to the template's control id (once; later exchanges leave it).
OMRAPLATFORM_API void DDX_Control(CDataExchange *dx, int id, CWnd &control);
// Loading sets the edit control's text limit; saving refuses a longer text.
OMRAPLATFORM_API void DDV_MaxChars(CDataExchange *dx, const CString &value, int max_chars);
OMRAPLATFORM_API void DDV_MinMaxInt(CDataExchange *dx, int value, int min_value, int max_value);
OMRAPLATFORM_API void DDV_MinMaxUInt(CDataExchange *dx, UINT value, UINT min_value, UINT max_value);

class OMRAPLATFORM_API CDialog : public CWnd {
 public:
  CDialog();
  explicit CDialog(UINT template_id, CWnd *parent = nullptr);
  explicit CDialog(LPCTSTR template_name, CWnd *parent = nullptr);
  ~CDialog() override;

  // Runs the dialog until EndDialog; the value given to EndDialog, IDCANCEL when it cannot be shown,
  // -1 when the template does not exist.
  virtual INT_PTR DoModal();
  // Creates a modeless dialog; it is shown when its template has WS_VISIBLE.
  BOOL Create(UINT template_id, CWnd *parent = nullptr);
  BOOL Create(LPCTSTR template_name, CWnd *parent = nullptr);

  // Transfers data to the controls. TRUE: the focus goes to the first control that takes it (even when
  // the handler moved it); return FALSE after setting the focus yourself.
  virtual BOOL OnInitDialog();
  virtual void OnOK();          // UpdateData(TRUE), then EndDialog(IDOK) when valid
  virtual void OnCancel();      // EndDialog(IDCANCEL)
  void EndDialog(int result);
  // TRUE: controls to members (with validation); FALSE: members to controls.
  BOOL UpdateData(BOOL save_and_validate = TRUE);
  virtual void DoDataExchange(CDataExchange *dx) {}

  void GotoDlgCtrl(CWnd *control);
  // Converts a rectangle from dialog units to pixels.
  void MapDialogRect(LPRECT rect) const;
  BOOL DestroyWindow() override;

  BOOL OnCmdMsg(AFX_NOTIFY &notify) override;
  BOOL OnHelpInfo(HELPINFO *info) override;

  UINT m_nIDHelp = 0;
  UINT m_nIDTemplate = 0;
  LPCTSTR m_lpszTemplateName = nullptr;
  CWnd *m_pParentWnd = nullptr;

 private:
  // Builds the window from the template; FALSE with a line on standard error when it cannot.
  bool create_window(bool modal, CWnd *parent);
};

// A message box with the application's name as caption, owned by the active dialog.
OMRAPLATFORM_API int AfxMessageBox(LPCTSTR text, UINT type = MB_OK, UINT help_id = 0);
OMRAPLATFORM_API int AfxMessageBox(UINT prompt_id, UINT type = MB_OK, UINT help_id = UINT(-1));
