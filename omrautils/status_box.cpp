#include "omrautils/status_box.h"

#include "omraplatform/gdi.h"

#include "ui_resources.h"

CStatusBox::CStatusBox(CString message, CWnd *parent) : CDialog(IDD, parent), m_message(message) {
  // Without a presenter that can show it, Create says why on standard error; the box then does nothing.
  if (!Create(IDD, parent)) return;

  RECT window, client, text;
  GetWindowRect(&window);
  GetClientRect(&client);
  CWnd *label = GetDlgItem(IDC_STATUS_MESSAGE);
  label->GetWindowRect(&text);
  ScreenToClient(&text);

  // The text's height when wrapped inside the control's width.
  label->SetWindowText(m_message);
  RECT measured = text;
  CClientDC dc(label);
  dc.DrawText(m_message, &measured, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  LONG text_height = measured.bottom - measured.top;

  // Grow the box by what the text and a margin of 20 pixels miss, keeping position and width.
  LONG client_height = client.bottom - client.top;
  if (client_height < text_height + 20) {
    LONG grow = text_height + 20 - client_height;
    MoveWindow(window.left, window.top, window.right - window.left, window.bottom - window.top + grow);
    GetClientRect(&client);
    client_height = client.bottom - client.top;
  }

  // The text, as high as it is, centred in the client area.
  LONG top = (client_height - text_height) / 2;
  label->MoveWindow(text.left, top, text.right - text.left, text_height);

  CenterWindow();
  ShowWindow(SW_SHOW);
  UpdateWindow();
}

CStatusBox::~CStatusBox() { DestroyWindow(); }

void CStatusBox::DoDataExchange(CDataExchange *dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDC_STATUS_ICON, m_icon);
  DDX_Text(dx, IDC_STATUS_MESSAGE, m_message);
}

BOOL CStatusBox::OnInitDialog() {
  CDialog::OnInitDialog();
  AFX_MODULE_STATE *state = AfxGetModuleState();
  if (state->m_lpszCurrentAppName) SetWindowText(state->m_lpszCurrentAppName);
  if (state->m_pCurrentWinApp) m_icon.SetIcon(state->m_pCurrentWinApp->LoadStandardIcon(IDI_INFORMATION));
  UpdateData(FALSE);
  return TRUE;
}
