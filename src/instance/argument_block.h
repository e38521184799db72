// The arguments a later start hands to the first instance, as they lie in
// the shared block: UTF-16 strings, each followed by one NUL, the list
// followed by one more NUL. Both sides are plain functions of the block so
// that starts of every build read each other's blocks alike.
#pragma once

#include "instance/single_instance.h"

#include <cstddef>
#include <string>
#include <vector>

namespace velmar {

// The bytes a writer may use, terminators included; the field is longer,
// but every build has always kept to this part of it.
inline constexpr size_t kArgumentBlockLimit = 1040;

// The bytes the arguments take, terminators included.
size_t argumentBlockSize(const std::vector<std::wstring>& arguments);

// Zeroes the first kArgumentBlockLimit bytes of the argument block and
// writes the arguments there; false, with the block untouched, when they
// do not fit.
bool writeArgumentBlock(InstanceArea& area, const std::vector<std::wstring>& arguments);

// The strings up to the first empty one (the list's end); a string still
// open when the scan reaches the end of the block is dropped. The block
// holds no count, so an empty argument ends the list early.
std::vector<std::wstring> readArgumentBlock(const InstanceArea& area);

}  // namespace velmar
