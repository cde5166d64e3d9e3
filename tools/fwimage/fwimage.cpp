#include "fwimage.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "NECBinFile.h"
#include "RicohBinFile.h"
#include "cvtfile.h"
#include "firmwarefactory.h"
#include "logfile.h"
#include "sampleimage.h"
#include "stringtable.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

const int kExitValid = 0;
const int kExitNotValid = 1;
const int kExitUsage = 2;

const char kUsage[] =
    "usage: fwimage info [--json] FILE\n"
    "       fwimage make --format cvt|nec|ricoh --product TEXT --revision TEXT [--vendor TEXT]\n"
    "                    [--seed N] [--size BYTES] [--identity-at OFFSET] -o FILE\n";

// Code points of 0x80 to 0x9F; the five unassigned bytes stand for the C1
// controls of the same number, as Windows converts them.
const unsigned kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

unsigned CodePoint(unsigned char byte) { return byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : byte; }

void AppendUtf8(std::string& out, unsigned cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | cp >> 6);
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | cp >> 12);
    out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

BOOL IsControl(unsigned cp) { return cp < 0x20 || (cp >= 0x7F && cp < 0xA0); }

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char byte : text) {
    unsigned cp = CodePoint(byte);
    if (cp == '"' || cp == '\\') {
      out += '\\';
      out += static_cast<char>(cp);
    } else if (IsControl(cp)) {
      out += FormatText("\\u%04x", cp);
    } else {
      AppendUtf8(out, cp);
    }
  }
  return out + "\"";
}

// Quoted so that the blanks show; controls as \xNN.
std::string VisibleText(const std::string& text) {
  std::string out = "\"";
  for (unsigned char byte : text) {
    unsigned cp = CodePoint(byte);
    if (IsControl(cp)) out += FormatText("\\x%02X", byte);
    else AppendUtf8(out, cp);
  }
  return out + "\"";
}

std::string TempLogPath() {
#ifdef _WIN32
  char dir[MAX_PATH];
  DWORD length = GetTempPathA(sizeof dir, dir);
  std::string base = length > 0 && length < sizeof dir ? std::string(dir, length) : std::string(".\\");
  return base + FormatText("fwimage-%lu.log", GetCurrentProcessId());
#else
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir && *dir ? dir : "/tmp") + FormatText("/fwimage-%ld.log", static_cast<long>(getpid()));
#endif
}

// The lines of a status log after its start line.
std::vector<std::string> LogLinesAfterStart(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  std::string line;
  for (bool first = true; std::getline(in, line); first = false) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!first) lines.push_back(line);
  }
  return lines;
}

// Writes the complaint (if any) and the usage text; the usage exit status.
int UsageError(std::ostream& err, const std::string& complaint = std::string()) {
  if (!complaint.empty()) err << "fwimage: " << complaint << "\n";
  err << kUsage;
  return kExitUsage;
}

int Failure(std::ostream& err, const std::string& complaint) {
  err << "fwimage: " << complaint << "\n";
  return kExitUsage;
}

int ExitStatus(const ImageReport& report) { return report.valid ? kExitValid : kExitNotValid; }

int RunInfo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  BOOL json = FALSE;
  std::string fileName;
  for (const std::string& arg : args) {
    if (arg == "--json") json = TRUE;
    else if (fileName.empty() && arg.compare(0, 2, "--") != 0) fileName = arg;
    else return UsageError(err);
  }
  if (fileName.empty()) return UsageError(err);

  CFile probe;
  CFileException error;
  if (!probe.Open(fileName, CFile::modeRead | CFile::shareDenyWrite, &error)) {
    return Failure(err, fileName + ": " + error.GetErrorText());
  }
  probe.Close();

  // The image lines go into a status log of our own, read back afterwards.
  std::string logPath = TempLogPath();
  ImageReport report;
  {
    CLogFile log;
    log.Open(logPath, TRUE, FALSE);
    CFirmwareFileFactory factory;
    report = DescribeImage(factory.Open(fileName));
    report.log = LogLinesAfterStart(logPath);
  }
  std::remove(logPath.c_str());
  out << (json ? FormatReportJson(report) : FormatReportText(fileName, report));
  return ExitStatus(report);
}

BOOL ParseNumber(const std::string& text, uint64_t& value) {
  if (text.empty() || text[0] == '-') return FALSE;
  char* end = nullptr;
  value = std::strtoull(text.c_str(), &end, 0);
  return *end == '\0';
}

int RunMake(const std::vector<std::string>& args, std::ostream& err) {
  SampleImage sample;
  std::string output, formatName;
  BOOL haveProduct = FALSE, haveRevision = FALSE;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& name = args[i];
    if (i + 1 == args.size()) return UsageError(err, name + " needs a value");
    const std::string& value = args[++i];
    uint64_t number = 0;
    BOOL numberOk = ParseNumber(value, number);
    if (name == "--format") formatName = value;
    else if (name == "--product") sample.product = value, haveProduct = TRUE;
    else if (name == "--revision") sample.revision = value, haveRevision = TRUE;
    else if (name == "--vendor") sample.vendor = value;
    else if (name == "-o") output = value;
    else if (name == "--seed" && numberOk) sample.seed = number;
    else if (name == "--size" && numberOk && number > 0) sample.size = number;
    else if (name == "--identity-at" && numberOk && number <= INT64_MAX) sample.identityAt = static_cast<int64_t>(number);
    else return UsageError(err, "bad option " + name + " " + value);
  }
  if (!ParseImageFormat(formatName, sample.format) || !haveProduct || !haveRevision || output.empty())
    return UsageError(err);

  std::vector<BYTE> image;
  std::string error;
  if (!BuildSampleImage(sample, image, error)) return Failure(err, error);
  std::ofstream file(output, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
  file.close();
  if (!file) return Failure(err, "cannot write " + output);
  return kExitValid;
}

}  // namespace

std::string Cp1252ToUtf8(const std::string& text) {
  std::string out;
  for (unsigned char byte : text) AppendUtf8(out, CodePoint(byte));
  return out;
}

ImageReport DescribeImage(CFirmwareFile* image) {
  ImageReport report;
  if (!image) return report;
  report.valid = image->IsValid();
  report.vendor = image->GetIdentity().GetVendor();
  report.product = image->GetIdentity().GetProduct();
  report.revision = image->GetIdentity().GetRevision();
  if (CCvtFile* cvt = dynamic_cast<CCvtFile*>(image)) {
    report.format = "cvt";
    report.className = "CCvtFile";
    report.hasCvtSums = TRUE;
    report.byteSum = cvt->GetByteSum();
    report.rotatingSum = cvt->GetRotatingSum();
  } else if (CNecBinFile* nec = dynamic_cast<CNecBinFile*>(image)) {
    report.format = "nec-bin";
    report.className = "CNecBinFile";
    report.hasRegionSums = TRUE;
    report.region1Sum = nec->GetRegion1Sum();
    report.region2Sum = nec->GetRegion2Sum();
  } else if (dynamic_cast<CRicohBinFile*>(image)) {
    report.format = "ricoh-bin";
    report.className = "CRicohBinFile";
  }
  return report;
}

std::string FormatReportJson(const ImageReport& report) {
  std::ostringstream out;
  out << "{\"format\": " << (report.format.empty() ? "null" : JsonString(report.format));
  out << ", \"valid\": " << (report.valid ? "true" : "false");
  out << ", \"vendor\": " << JsonString(report.vendor);
  out << ", \"product\": " << JsonString(report.product);
  out << ", \"revision\": " << JsonString(report.revision);
  if (report.hasCvtSums)
    out << ", \"byte_sum\": " << report.byteSum << ", \"rotating_sum\": " << report.rotatingSum;
  if (report.hasRegionSums)
    out << ", \"region1_sum\": " << report.region1Sum << ", \"region2_sum\": " << report.region2Sum;
  out << ", \"log\": [";
  for (size_t i = 0; i < report.log.size(); ++i) out << (i ? ", " : "") << JsonString(report.log[i]);
  out << "]}\n";
  return out.str();
}

std::string FormatReportText(const std::string& fileName, const ImageReport& report) {
  std::ostringstream out;
  out << "file:          " << fileName << "\n";
  out << "format:        " << (report.format.empty() ? "none" : report.format + " (" + report.className + ")") << "\n";
  out << "valid:         " << (report.valid ? "yes" : "no") << "\n";
  out << "vendor:        " << VisibleText(report.vendor) << "\n";
  out << "product:       " << VisibleText(report.product) << "\n";
  out << "revision:      " << VisibleText(report.revision) << "\n";
  if (report.hasCvtSums) {
    out << "byte sum:      " << FormatText("%u (0x%04X)", report.byteSum, report.byteSum) << "\n";
    out << "rotating sum:  " << FormatText("%u (0x%04X)", report.rotatingSum, report.rotatingSum) << "\n";
  }
  if (report.hasRegionSums) {
    out << "region 1 sum:  " << FormatText("%u (0x%04X)", report.region1Sum, report.region1Sum) << "\n";
    out << "region 2 sum:  " << FormatText("%u (0x%04X)", report.region2Sum, report.region2Sum) << "\n";
  }
  out << "status log:" << (report.log.empty() ? "    (nothing)" : "") << "\n";
  for (const std::string& line : report.log) out << "  " << Cp1252ToUtf8(line) << "\n";
  return out.str();
}

int FwImageMain(int argc, char** argv, std::ostream& out, std::ostream& err) {
  std::vector<std::string> args(argv + (argc > 1 ? 2 : argc), argv + argc);
  std::string command = argc > 1 ? argv[1] : "";
  if (command == "info") return RunInfo(args, out, err);
  if (command == "make") return RunMake(args, err);
  return UsageError(err);
}
