// Base of the two BIN image formats: a page geometry and the load that both
// share.
#pragma once

#include "firmwarefile.h"

class CCdBinFile : public CFirmwareFile {
 public:
  void Load() override;
  // Reads page index into buffer (at least GetPageSize bytes); FALSE for an
  // index past the last page or a page the file does not hold completely.
  virtual BOOL ReadPage(DWORD index, BYTE* buffer) = 0;
  // Searches the whole page buffer for an identity block; TRUE when one set
  // the identity.
  virtual BOOL ScanIdentity(const BYTE* buffer) = 0;

  DWORD GetPageCount() const { return m_nPageCount; }
  DWORD GetPageSize() const { return m_nPageSize; }

 protected:
  CCdBinFile(const std::string& fileName, DWORD pageCount, DWORD pageSize);

  DWORD m_nPageCount;
  // The largest page of the format: the size of every page buffer.
  DWORD m_nPageSize;
};
