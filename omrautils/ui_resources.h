// Control ids of OmraUtils' dialog templates.
#pragma once

enum : int {
  IDC_STATUS_ICON = 1001,
  IDC_STATUS_MESSAGE = 1002,
  IDC_SUPPORT_HYPERLINK = 1000,
};
