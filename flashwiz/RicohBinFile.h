// Ricoh mechanism images: 128 pages of 8 KiB from the start of the file.
#pragma once

#include "cdbinfile.h"

class CRicohBinFile : public CCdBinFile {
 public:
  explicit CRicohBinFile(const std::string& fileName);

  BOOL ReadPage(DWORD index, BYTE* buffer) override;
  BOOL ScanIdentity(const BYTE* buffer) override;
};
