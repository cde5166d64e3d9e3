// NEC mechanism images: 25 pages of unequal size in two flash regions, with
// a running 16-bit word sum per region.
#pragma once

#include "cdbinfile.h"

class CNecBinFile : public CCdBinFile {
 public:
  explicit CNecBinFile(const std::string& fileName);

  // Also adds the page's summed bytes to its region's sum, every time the
  // page is read, whether or not the read was complete.
  BOOL ReadPage(DWORD index, BYTE* buffer) override;
  BOOL ScanIdentity(const BYTE* buffer) override;

  void ClearRegionSums();
  WORD GetRegion1Sum() const { return m_wRegion1Sum; }
  WORD GetRegion2Sum() const { return m_wRegion2Sum; }

 private:
  WORD m_wRegion1Sum;
  WORD m_wRegion2Sum;
};
