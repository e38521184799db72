// Hand-made images of PE files, headers only, for the architecture check:
// a DOS header pointing at NT headers with the requested machine and a
// zeroed optional header of the size the file header declares.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <string>

namespace velmar::testing {

inline constexpr WORD kI386 = IMAGE_FILE_MACHINE_I386;
inline constexpr WORD kAmd64 = IMAGE_FILE_MACHINE_AMD64;
inline constexpr LONG kNtOffset = 0x80;

inline std::string peImage(WORD machine)
{
    const bool plus = machine != kI386;
    const size_t optionalSize =
        plus ? sizeof(IMAGE_OPTIONAL_HEADER64) : sizeof(IMAGE_OPTIONAL_HEADER32);
    std::string image(kNtOffset + sizeof(DWORD) + sizeof(IMAGE_FILE_HEADER) + optionalSize, '\0');

    IMAGE_DOS_HEADER dos{};
    dos.e_magic = IMAGE_DOS_SIGNATURE;
    dos.e_lfanew = kNtOffset;
    std::memcpy(image.data(), &dos, sizeof dos);

    const DWORD signature = IMAGE_NT_SIGNATURE;
    std::memcpy(image.data() + kNtOffset, &signature, sizeof signature);
    IMAGE_FILE_HEADER file{};
    file.Machine = machine;
    file.SizeOfOptionalHeader = static_cast<WORD>(optionalSize);
    file.Characteristics = IMAGE_FILE_EXECUTABLE_IMAGE | IMAGE_FILE_DLL;
    std::memcpy(image.data() + kNtOffset + sizeof signature, &file, sizeof file);

    const WORD magic = plus ? IMAGE_NT_OPTIONAL_HDR64_MAGIC : IMAGE_NT_OPTIONAL_HDR32_MAGIC;
    std::memcpy(image.data() + kNtOffset + sizeof signature + sizeof file, &magic, sizeof magic);
    return image;
}

inline std::string withNewHeaderOffset(std::string image, LONG offset)
{
    std::memcpy(image.data() + offsetof(IMAGE_DOS_HEADER, e_lfanew), &offset, sizeof offset);
    return image;
}

inline std::string withNtSignature(std::string image, DWORD signature)
{
    std::memcpy(image.data() + kNtOffset, &signature, sizeof signature);
    return image;
}

}  // namespace velmar::testing
