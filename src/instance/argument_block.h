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

// The same list encoding for any length: the bytes of the strings, each
// followed by a NUL, then one more NUL.
std::vector<uint8_t> encodeArgumentList(const std::vector<std::wstring>& arguments);
// Reads such a list from `size` bytes, as readArgumentBlock reads the block.
std::vector<std::wstring> readArgumentList(const uint8_t* bytes, size_t size);

// This build's own fields lie in the argument block's second half, which
// no writer of any build fills and no reader reaches, since every list
// ends within the first 1,040 bytes:
// - a mark the first instance sets: it answers later starts with this
//   build's messages and reads arguments that did not fit;
// - the announcement of a later start whose arguments lie in a mapping of
//   their own (see overflowMappingSuffix): its thread id and their size.
void markServingBuild(InstanceArea& area);
bool servedByThisBuild(const InstanceArea& area);
// Writes an empty list into the specified part and announces the rest.
void announceOverflow(InstanceArea& area, uint32_t requesterThreadId, uint32_t bytes);
void clearOverflow(InstanceArea& area);
// The size announced for this requester; 0 when it announced nothing.
uint32_t overflowAnnounced(const InstanceArea& area, uint32_t requesterThreadId);
// The suffix of the overflow mapping's name for a requester.
std::wstring overflowMappingSuffix(uint32_t requesterThreadId);

}  // namespace velmar
