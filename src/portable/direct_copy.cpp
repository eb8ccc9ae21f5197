// No kernel copy: the sample data goes through the block loop. Used on Windows, and on the POSIX
// systems beyond Linux (macOS, the BSDs), whose file-copy calls differ from Linux's and cannot
// be tried where vdx9 is built. (ReFS block cloning on Windows, or copy_file_range on FreeBSD,
// could share or copy blocks as on Linux.)
#include "convert/direct_copy.hpp"

namespace vdx9 {

DirectCopy copy_rest_directly(Conversion&) {
  return DirectCopy::not_taken;
}

}  // namespace vdx9
