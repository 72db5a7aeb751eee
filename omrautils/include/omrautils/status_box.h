// CStatusBox: a modeless box that shows a status text while the caller works. It is created, sized to
// its text and shown by the constructor, and closed by the destructor.
#pragma once

#include "omraplatform/cstring.h"
#include "omraplatform/dialog.h"
#include "omrautils/export.h"

class OMRAUTILS_API CStatusBox : public CDialog {
 public:
  enum { IDD = 10001 };
  // Shows message at once; the box grows to fit the wrapped text and is centred.
  CStatusBox(CString message, CWnd *parent = nullptr);
  ~CStatusBox() override;

  CStatic m_icon;      // control 1001
  CString m_message;   // control 1002

 protected:
  void DoDataExchange(CDataExchange *dx) override;
  BOOL OnInitDialog() override;
};
