// Benchmark, not a test: in-process load speed of a complete CVT image (both
// sums and the identity search), and of the sums alone.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "cvtfile.h"
#include "sampleimage.h"

namespace {

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

int main(int argc, char** argv) {
  int rounds = argc > 1 ? std::atoi(argv[1]) : 200;
  std::string path = argc > 2 ? argv[2] : "/tmp/image_load_bench.cvt";
  SampleImage sample;
  sample.product = "CDRW 8432";
  sample.revision = "1.02";
  // The block in the last page: the search runs over every page.
  sample.identityAt = 36 + 127 * 16384 + 1000;
  std::vector<BYTE> bytes;
  std::string error;
  if (!BuildSampleImage(sample, bytes, error)) return std::fprintf(stderr, "%s\n", error.c_str()), 2;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());

  const double megabytes = bytes.size() / 1e6;
  auto start = std::chrono::steady_clock::now();
  unsigned check = 0;
  for (int i = 0; i < rounds; ++i) {
    CCvtFile image(path);
    if (!image.IsValid()) return std::fprintf(stderr, "not valid\n"), 1;
    check += image.GetRotatingSum();
  }
  double load = Seconds(std::chrono::steady_clock::now() - start);

  CCvtFile image(path);
  WORD byteSum = 0, rotatingSum = 0;
  start = std::chrono::steady_clock::now();
  for (int i = 0; i < rounds; ++i) image.SumBlock(bytes.data() + 36, bytes.size() - 36, byteSum, rotatingSum);
  double sums = Seconds(std::chrono::steady_clock::now() - start);

  std::printf("load of a %.2f MB CVT image: %.2f ms each, %.0f MB/s (%d rounds)\n", megabytes, 1e3 * load / rounds,
              megabytes * rounds / load, rounds);
  std::printf("both sums over the image in memory: %.2f ms each, %.0f MB/s\n", 1e3 * sums / rounds,
              megabytes * rounds / sums);
  std::printf("(checks %u %u)\n", check, rotatingSum);
  return 0;
}
