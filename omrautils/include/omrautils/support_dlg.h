// CSupportDlg: the modal dialog that tells the user how to reach technical support; its web-address
// button opens the support page with the shell.
#pragma once

#include "omraplatform/dialog.h"
#include "omrautils/export.h"

class OMRAUTILS_API CSupportDlg : public CDialog {
 public:
  enum { IDD = 10000 };
  CSupportDlg();
  ~CSupportDlg() override;

  // Opens the address that button 1000 shows.
  void OnHyperlink();

 protected:
  void DoDataExchange(CDataExchange *dx) override;
  DECLARE_MESSAGE_MAP()
};
