#include "cdbinfile.h"

#include <memory>
#include <new>

CCdBinFile::CCdBinFile(const std::string& fileName, DWORD pageCount, DWORD pageSize)
    : CFirmwareFile(fileName), m_nPageCount(pageCount), m_nPageSize(pageSize) {}

void CCdBinFile::Load() {
  // Cleared, so that a scan beyond a short first page sees zeros, not
  // whatever the heap held.
  std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[m_nPageSize]());
  if (!buffer) {
    m_log.WriteMessage(137);
    return;
  }
  BOOL found = FALSE;
  for (DWORD page = 0; page < m_nPageCount; ++page) {
    if (!ReadPage(page, buffer.get())) {
      LogReadError();
      return;
    }
    // Later pages keep the buffer's older bytes beyond a short page; the
    // scan covers the whole buffer all the same.
    if (!found) found = ScanIdentity(buffer.get());
  }
  if (m_identity.IsEmpty()) {
    LogNoIdentity();
    return;
  }
  m_bValid = TRUE;
}
