// Shows the hourglass while it lives.
#pragma once

#include <windows.h>

class CWaitCursor {
 public:
  CWaitCursor() : m_hPrevious(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
  ~CWaitCursor() { Restore(); }
  void Restore() {
    if (m_bActive) SetCursor(m_hPrevious);
    m_bActive = false;
  }
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;

 private:
  HCURSOR m_hPrevious;
  bool m_bActive = true;
};
