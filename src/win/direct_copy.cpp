// No kernel copy on Windows: the sample data goes through the block loop. (ReFS block cloning
// could share blocks as reflinks do on Linux; it cannot be tried where vdx9 is built.)
#include "convert/direct_copy.hpp"

namespace vdx9 {

DirectCopy copy_rest_directly(std::FILE*, std::FILE*) {
  return DirectCopy::not_taken;
}

}  // namespace vdx9
