#include "probe.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "wintest.h"

namespace {

using wintest::Export;

std::string RunStep(const std::string& step) {
  char text[64];
  if (step == "unitprobe.init") {
    auto init = Export<int(__cdecl*)()>("unitprobe.dll", "CDWRITER_Initialize");
    return init ? std::to_string(init()) : "no entry";
  }
  if (step == "unitprobe.info") {
    auto info = Export<int(__cdecl*)(unsigned char*, unsigned)>("unitprobe.dll", "CDWRITER_GetInfo");
    unsigned char records[640];
    return info ? std::to_string(info(records, sizeof records)) : "no entry";
  }
  if (step == "passlink.support") {
    auto support = Export<DWORD(__cdecl*)()>("VQASPI32.DLL", "GetASPI32SupportInfo");
    if (!support) return "no entry";
    std::snprintf(text, sizeof text, "%04lx", static_cast<unsigned long>(support()));
    return text;
  }
  if (step == "lockshim.reserve") {
    auto reserve = Export<int(__stdcall*)(int, char*)>("VQCDR4.DLL", "_REZ4IZAReserveDevice@8");
    char name[80] = "flashwiz";
    return reserve ? std::to_string(reserve(0x0100, name)) : "no entry";
  }
  if (step == "lockshim.start") {
    auto start = Export<int(__stdcall*)(int)>("VQCDR4.DLL", "_REZ4IZAStartFileSystemBlocking@4");
    return start ? std::to_string(start(0x0100)) : "no entry";
  }
  if (step == "lockshim.letter") {
    auto lookup = Export<int(__cdecl*)(int, BYTE*, BYTE*, BYTE*)>("VQCDR4.DLL", "SessMgrGetSCSIIdForDriveLetter");
    if (!lookup) return "no entry";
    BYTE address[3] = {0x11, 0x11, 0x11};
    int result = lookup('E', &address[0], &address[1], &address[2]);
    std::snprintf(text, sizeof text, "%d %02x %02x %02x", result, address[0], address[1], address[2]);
    return text;
  }
  if (step.compare(0, 5, "copy:") == 0) {
    size_t split = step.find('|', 5);
    if (split == std::string::npos) return "bad step";
    std::string from = step.substr(5, split - 5), to = step.substr(split + 1);
    return CopyFileA(from.c_str(), to.c_str(), FALSE) ? "copied" : "copy failed";
  }
  return "unknown step " + step;
}

}  // namespace

int RunProbe(int argc, char** argv) {
  if (argc < 3) return 2;
  std::FILE* out = std::fopen(argv[2], "wb");
  if (!out) return 2;
  for (int i = 3; i < argc; ++i) std::fprintf(out, "%s\n", RunStep(argv[i]).c_str());
  std::fclose(out);
  return 0;
}
