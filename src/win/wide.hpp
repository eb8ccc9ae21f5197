// File names between Windows (UTF-16, where any sequence of 16-bit units but NUL is a valid
// name, unpaired surrogates included) and the rest of the program (8-bit strings). The 8-bit
// form is WTF-8: UTF-8 for every valid name, and a lone surrogate kept as its own 3-byte
// sequence, so that every name Windows accepts survives the round trip.
#pragma once

#include <string>

namespace vdx9 {

std::string narrow(const std::wstring& wide);
std::wstring widen(const std::string& bytes);

// A name that the file functions open whatever its length: one whose full path might pass the
// old limit of 260 characters (a long name, or a short one in a deep folder) is made absolute
// and given the \\?\ prefix, which lifts the limit even where long paths are not enabled for
// the system.
std::wstring system_path(const std::string& name);

}  // namespace vdx9
