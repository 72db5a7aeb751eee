#include "omrautils/support_dlg.h"

#include "ui_resources.h"

CSupportDlg::CSupportDlg() : CDialog(IDD, nullptr) {}
CSupportDlg::~CSupportDlg() = default;

void CSupportDlg::DoDataExchange(CDataExchange *dx) { CDialog::DoDataExchange(dx); }

BEGIN_MESSAGE_MAP(CSupportDlg, CDialog)
  ON_BN_CLICKED(IDC_SUPPORT_HYPERLINK, OnHyperlink)
END_MESSAGE_MAP()

void CSupportDlg::OnHyperlink() {
  CString address;
  GetDlgItem(IDC_SUPPORT_HYPERLINK)->GetWindowText(address);
  ShellExecute(GetSafeHwnd(), "open", address, nullptr, nullptr, SW_SHOWNORMAL);
}
