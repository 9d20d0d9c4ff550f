// Reading a large file through the file service against the plainest read of it: one ReadFile
// into a fresh buffer. Also times the service's steps on their own, to show where a gap is spent.
//   read_bench [ROUNDS]
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_stats.h"
#include "services/files.h"
#include "services/handle.h"
#include "services/text_scan.h"

namespace {

constexpr std::size_t kFileSize = std::size_t{64} << 20;

// Ping-like lines with a double-byte character in each, and no byte that would end the text.
bool write_test_file(const std::string& path) {
  const std::string line = "Reply from 127.0.0.1: bytes=32 time<1ms TTL=64 \xD1\xD3\xB3\xD9\r\n";
  std::string block;
  while (block.size() + line.size() <= (std::size_t{1} << 20)) block += line;
  block.resize(std::size_t{1} << 20, 'x');
  services::FileHandle file{
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)};
  if (!file) return false;
  for (std::size_t written = 0; written < kFileSize; written += block.size()) {
    DWORD done = 0;
    if (!WriteFile(file.get(), block.data(), static_cast<DWORD>(block.size()), &done, nullptr) ||
        done != block.size()) {
      return false;
    }
  }
  return true;
}

struct HeapBlock {
  void operator()(void* block) const noexcept { HeapFree(GetProcessHeap(), 0, block); }
};
using Buffer = std::unique_ptr<unsigned char, HeapBlock>;

Buffer fresh_buffer(std::size_t size) {
  return Buffer{static_cast<unsigned char*>(HeapAlloc(GetProcessHeap(), 0, size))};
}

// The floor: open, one ReadFile of the whole file into a new buffer, close, free.
double raw_read(const std::string& path) {
  const double start = bench::now_ms();
  {
    services::FileHandle file{CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
    Buffer buffer = fresh_buffer(kFileSize);
    DWORD got = 0;
    if (!file || !buffer || !ReadFile(file.get(), buffer.get(), static_cast<DWORD>(kFileSize), &got, nullptr) ||
        got != kFileSize) {
      std::fprintf(stderr, "raw read failed\n");
      std::exit(1);
    }
  }
  return bench::now_ms() - start;
}

// The service: open_file, read_text of the whole file, close_file, the text released.
double service_read(const std::string& path) {
  const double start = bench::now_ms();
  {
    const std::int32_t number = services::open_file(path.c_str(), 1);
    const shell::Text text = services::read_text(number);
    services::close_file(number);
    if (text == nullptr || std::strlen(text.get()) != kFileSize) {
      std::fprintf(stderr, "read_text gave a short text\n");
      std::exit(1);
    }
  }
  return bench::now_ms() - start;
}

// What the service would cost reading straight into the block that becomes the text: the same
// read as the floor, then the scan and the terminating zero in place, no copy.
double read_in_place(const std::string& path) {
  const double start = bench::now_ms();
  {
    services::FileHandle file{CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
    Buffer buffer = fresh_buffer(kFileSize + 1);
    DWORD got = 0;
    if (!file || !buffer || !ReadFile(file.get(), buffer.get(), static_cast<DWORD>(kFileSize), &got, nullptr)) {
      std::exit(1);
    }
    const services::ScanResult scan = services::scan_text(buffer.get(), got);
    buffer.get()[scan.text_length] = 0;
    if (scan.text_length != kFileSize) std::exit(1);
  }
  return bench::now_ms() - start;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 11;
  char folder[MAX_PATH];
  GetTempPathA(sizeof folder, folder);
  const std::string path = std::string(folder) + "ipl-read-bench.txt";
  if (!write_test_file(path)) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return 1;
  }

  // Once each before timing: the file into the cache, the heap grown.
  raw_read(path);
  service_read(path);
  std::vector<double> service, raw, in_place, scan, copy;
  for (int round = 0; round < rounds; ++round) {
    // Which goes first alternates, so that a drift of the machine weighs on both alike.
    if (round % 2 == 0) {
      service.push_back(service_read(path));
      raw.push_back(raw_read(path));
      in_place.push_back(read_in_place(path));
    } else {
      in_place.push_back(read_in_place(path));
      raw.push_back(raw_read(path));
      service.push_back(service_read(path));
    }
  }

  // The service's own steps after the read, on a buffer already filled.
  Buffer buffer = fresh_buffer(kFileSize);
  {
    services::FileHandle file{
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)};
    DWORD got = 0;
    if (!file || !buffer || !ReadFile(file.get(), buffer.get(), static_cast<DWORD>(kFileSize), &got, nullptr)) return 1;
  }
  for (int round = 0; round < rounds; ++round) {
    double start = bench::now_ms();
    const services::ScanResult result = services::scan_text(buffer.get(), kFileSize);
    scan.push_back(bench::now_ms() - start);
    if (result.text_length != kFileSize) return 1;
    start = bench::now_ms();
    {
      const shell::Text text = shell::copy_text(reinterpret_cast<const char*>(buffer.get()), kFileSize);
      if (text == nullptr) return 1;
    }
    copy.push_back(bench::now_ms() - start);
  }
  DeleteFileA(path.c_str());

  bench::print_row("reading 64 MiB: read_text vs ReadFile", "ms", service, raw, 1.5);
  bench::print_row("  read in place, no copy (what-if)", "ms", in_place, raw, 0);
  const bench::Summary s = bench::summarise(scan);
  const bench::Summary c = bench::summarise(copy);
  std::printf("  of which: scan_text %.1f/%.1f/%.1f ms, copy_text %.1f/%.1f/%.1f ms\n", s.min, s.median, s.max, c.min,
              c.median, c.max);
  return 0;
}
