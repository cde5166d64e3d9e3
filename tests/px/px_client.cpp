// A second process on the simulated drives, through PX.DLL:
//   px_client count
//   px_client exec DEVICE REPEAT HEX...   runs the command block REPEAT times
// and prints "count=N" or "result=R sense=K/AA/QQ data=HEX" for the last run.
// INQUIRY and REQUEST SENSE read their allocation length into the data.
#include "pxtest.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

int Exec(PxFunctions& px, int device, int repeat, const std::vector<unsigned char>& cdb) {
  const bool dataIn = cdb[0] == 0x12 || cdb[0] == 0x03;
  std::vector<unsigned char> data(dataIn && cdb.size() > 4 ? cdb[4] : 0);
  const int handle = px.OpenHandle();
  int result = 0;
  for (int i = 0; i < repeat; ++i)
    result = px.ExecuteCommand(handle, device, static_cast<int>(cdb.size()), cdb.data(), static_cast<int>(data.size()),
                               data.empty() ? nullptr : data.data(), dataIn ? PX_DIR_IN : PX_DIR_NONE, PX_COMMAND_TIMEOUT_MS);
  unsigned char sense[16] = {};
  int ignored = 0;
  px.GetSense(handle, device, &ignored, sense);
  std::printf("result=%d sense=%X/%02X/%02X data=", result, sense[2] & 0x0F, sense[12], sense[13]);
  for (unsigned char b : data) std::printf("%02X", b);
  std::printf("\n");
  px.CloseHandle(handle);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);  // plain line ends for the test that reads them
  PxFunctions px;
  if (!pxtest::BindAllOfPx(&px)) {
    std::printf("PX.DLL not loaded\n");
    return 2;
  }
  if (argc == 2 && std::string(argv[1]) == "count") {
    std::printf("count=%d\n", px.GetDeviceCount());
    return 0;
  }
  if (argc < 5 || std::string(argv[1]) != "exec") {
    std::printf("usage: px_client count | exec DEVICE REPEAT HEX...\n");
    return 2;
  }
  std::vector<unsigned char> cdb;
  for (int i = 4; i < argc; ++i) cdb.push_back(static_cast<unsigned char>(std::strtoul(argv[i], nullptr, 16)));
  return Exec(px, std::atoi(argv[2]), std::atoi(argv[3]), cdb);
}
