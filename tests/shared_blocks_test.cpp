// On file systems that share blocks between files (btrfs, XFS), a conversion that keeps the
// sample data's place within a block shares the input's blocks instead of copying them, and in
// every case writes exactly the bytes of the block loop, as it does on ext4, which declines to
// share, and on a tmpfs. Run by on_file_systems.sh, which mounts the file systems and names them
// in VDX9_MOUNTS ("btrfs=DIR xfs=DIR ext4=DIR tmpfs=DIR").
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "support/process.hpp"
#include "support/streams.hpp"
#include "support/wave.hpp"

namespace vdx9::test {
namespace {

// Bytes of [from, to) of the file that lie in extents it shares with another file.
std::uint64_t shared_bytes(const std::string& path, std::uint64_t from, std::uint64_t to) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  constexpr std::size_t most = 64;
  std::vector<unsigned char> space(sizeof(fiemap) + most * sizeof(fiemap_extent));
  auto* map = reinterpret_cast<fiemap*>(space.data());
  std::uint64_t shared = 0;
  for (std::uint64_t at = from; fd >= 0 && at < to;) {
    std::fill(space.begin(), space.end(), 0);
    map->fm_start = at;
    map->fm_length = to - at;
    map->fm_flags = FIEMAP_FLAG_SYNC;
    map->fm_extent_count = most;
    if (::ioctl(fd, FS_IOC_FIEMAP, map) != 0 || map->fm_mapped_extents == 0) {
      break;
    }
    for (std::uint32_t i = 0; i < map->fm_mapped_extents; ++i) {
      const fiemap_extent& e = map->fm_extents[i];
      const std::uint64_t begin = std::max<std::uint64_t>(from, e.fe_logical);
      const std::uint64_t end = std::min<std::uint64_t>(to, e.fe_logical + e.fe_length);
      if ((e.fe_flags & FIEMAP_EXTENT_SHARED) != 0 && end > begin) {
        shared += end - begin;
      }
      at = (e.fe_flags & FIEMAP_EXTENT_LAST) != 0 ? to : e.fe_logical + e.fe_length;
    }
  }
  if (fd >= 0) {
    ::close(fd);
  }
  return shared;
}

struct Layout {
  const char* name;
  std::size_t receiver;  // old body size; the output's is 38
  bool shares;           // the data keeps its place within a block of 4096 bytes
  unsigned long limit;   // where above 0, writes past this many bytes fail, as on a full disk
};

TEST(SharedBlocks, DataThatKeepsItsPlaceIsSharedAndEveryByteIsRight) {
  const char* mounts = std::getenv("VDX9_MOUNTS");
  if (mounts == nullptr) {
    GTEST_SKIP() << "VDX9_MOUNTS names no mounted file systems";
  }
  std::istringstream list(mounts);
  for (std::string mount; list >> mount;) {
    const std::string dir = mount.substr(mount.find('=') + 1);
    // ext4 and tmpfs share no blocks: there the copy goes on as a copy, with the same bytes.
    const bool shares_blocks = mount.rfind("btrfs=", 0) == 0 || mount.rfind("xfs=", 0) == 0;
    for (const Layout& l : {Layout{"38-byte receiver", 38, true, 0},
                            Layout{"receiver a block longer", 38 + 4096, true, 0},
                            Layout{"100-byte receiver", 100, false, 0},
                            Layout{"38-byte receiver, disk full", 38, false, 2000000}}) {
      SCOPED_TRACE(mount + ", " + l.name);
      const std::string samples = pattern((3u << 20) + 1234, 9);
      const std::string input =
          wave_file(chunk("LIST", pattern(33)) + chunk("rcvr", pattern(l.receiver)), samples);
      write_file(dir + "/rec.wav", input);
      const RunResult r = run_vdx9(dir, {"rec.wav"}, {l.limit, "", Console::captured});
      const std::string out_path = dir + "/vdx9-rec.wav";
      const std::string output = read_file(out_path);
      const std::string expected = convert_bytes(input).output;
      if (l.limit > 0) {
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out.substr(r.out.find(')') + 3), "\nERROR: Failed to write output file.\n");
        EXPECT_EQ(output, expected.substr(0, l.limit)) << "not the bytes before the full disk";
        continue;
      }
      ASSERT_EQ(r.status, 0) << r.out;
      ASSERT_EQ(output, expected) << "not the bytes of the block loop";
      if (l.shares && shares_blocks) {
        // Only the block that holds the header and the first samples is copied.
        const std::uint64_t block = 4096;
        const std::uint64_t data_at = output.size() - samples.size();
        const std::uint64_t first = (data_at + block - 1) / block * block;
        EXPECT_EQ(shared_bytes(out_path, first, output.size()), output.size() - first)
            << "the sample data's blocks are not all shared";
      }
    }
  }
}

}  // namespace
}  // namespace vdx9::test
