// fwimage: inspects firmware image files through the real factory and image
// classes, and writes sample images.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform.h"

class CFirmwareFile;

// What `fwimage info` reports about one file.
struct ImageReport {
  // "ricoh-bin", "nec-bin", "cvt", or empty when no image was made.
  std::string format;
  std::string className;
  BOOL valid = FALSE;
  // Windows-1252 bytes as the image holds them.
  std::string vendor, product, revision;
  BOOL hasCvtSums = FALSE;
  WORD byteSum = 0, rotatingSum = 0;
  BOOL hasRegionSums = FALSE;
  WORD region1Sum = 0, region2Sum = 0;
  // Lines the factory and the image wrote to the status log.
  std::vector<std::string> log;
};

ImageReport DescribeImage(CFirmwareFile* image);
std::string FormatReportJson(const ImageReport& report);
std::string FormatReportText(const std::string& fileName, const ImageReport& report);

// Windows-1252 text as UTF-8.
std::string Cp1252ToUtf8(const std::string& text);

// The whole tool; returns its exit status (0 valid or written, 1 not valid or
// not recognised, 2 usage error or a file that cannot be opened or written).
int FwImageMain(int argc, char** argv, std::ostream& out, std::ostream& err);
