// Turns a file name into an image of the format its extension names, and owns
// the one current image.
#pragma once

#include <string>

#include "firmwarefile.h"
#include "logfile.h"

class CFirmwareFileFactory {
 public:
  CFirmwareFileFactory() = default;
  virtual ~CFirmwareFileFactory();
  CFirmwareFileFactory(const CFirmwareFileFactory&) = delete;
  CFirmwareFileFactory& operator=(const CFirmwareFileFactory&) = delete;

  // The image for a .BIN or .CVT file, valid or not (the caller tests
  // IsValid); none for a file that is missing or cannot be opened. Any other
  // extension, or none, leaves the current image as it was and returns it.
  virtual CFirmwareFile* Open(const std::string& fileName);
  // Closes and deletes the current image.
  virtual void Close();
  CFirmwareFile* GetCurrent() { return m_pCurrent; }

 private:
  // Makes image current; FALSE (and no image) when its file could not be opened.
  BOOL MakeCurrent(CFirmwareFile* image);

  CFirmwareFile* m_pCurrent = nullptr;
  CLogFile m_log;
};

// The text after the file name's last '.', upper case; empty when the name
// has no '.' or only a leading one.
std::string FileExtension(const std::string& fileName);
