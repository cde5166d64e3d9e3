// Philips mechanism images: a 36-byte header, then 128 pages of 16 KiB, with
// a byte sum and a rotating sum over all pages taken once at load.
#pragma once

#include "firmwarefile.h"

class CCvtFile : public CFirmwareFile {
 public:
  explicit CCvtFile(const std::string& fileName);

  void Load() override;
  // Reads page index into buffer (at least GetPageSize bytes); no sum is touched.
  virtual BOOL ReadPage(DWORD index, BYTE* buffer);
  // Adds length bytes of data to both sums.
  virtual void SumBlock(const BYTE* data, DWORD length, WORD& byteSum, WORD& rotatingSum);
  // Takes the first block whose revision ends in two decimal digits.
  virtual void ScanIdentity(const BYTE* buffer);

  BYTE GetPageCount() const { return 128; }
  DWORD GetPageSize() const { return 16384; }
  WORD GetByteSum() const { return m_wByteSum; }
  WORD GetRotatingSum() const { return m_wRotatingSum; }

 private:
  WORD m_wByteSum;
  WORD m_wRotatingSum;
};
