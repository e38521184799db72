#include "runtime/jvm_location.h"

#include "config/settings.h"
#include "resources/resource.h"
#include "runtime/runtime_search.h"
#include "support/file_system.h"
#include "support/handles.h"
#include "support/messages.h"
#include "support/trace.h"

#include <array>
#include <cstring>

namespace velmar {

namespace {

struct VmFolder {
    std::wstring_view subPath;
    bool server;
};

// The order of a default lookup: the classic client VM first, so an old
// runtime with both VMs starts the lighter one.
constexpr std::array<VmFolder, 5> kDefaultOrder = {{
    {L"bin\\client\\jvm.dll", false},
    {L"bin\\classic\\jvm.dll", false},
    {L"bin\\hotspot\\jvm.dll", false},
    {L"bin\\server\\jvm.dll", true},
    {L"bin\\jrockit\\jvm.dll", false},
}};

constexpr std::wstring_view kServerVm = L"bin\\server\\jvm.dll";

template <typename T>
T readAt(std::span<const unsigned char> image, size_t offset)
{
    T value{};
    std::memcpy(&value, image.data() + offset, sizeof value);
    return value;
}

struct MappedFile {
    UniqueFile file;
    UniqueHandle mapping;
    UniqueMappedView view;
    size_t size = 0;

    std::span<const unsigned char> bytes() const
    {
        return {static_cast<const unsigned char*>(view.get()), size};
    }
};

bool mapWholeFile(const std::wstring& path, MappedFile& mapped)
{
    mapped.file.reset(::CreateFileW(longPathForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!mapped.file || !::GetFileSizeEx(mapped.file.get(), &size) ||
        static_cast<unsigned long long>(size.QuadPart) > SIZE_MAX) {
        return false;
    }
    mapped.size = static_cast<size_t>(size.QuadPart);
    mapped.mapping.reset(
        ::CreateFileMappingW(mapped.file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapped.mapping) {
        return false;
    }
    mapped.view.reset(::MapViewOfFile(mapped.mapping.get(), FILE_MAP_READ, 0, 0, 0));
    return static_cast<bool>(mapped.view);
}

}  // namespace

std::wstring findJvmLibrary(std::wstring_view folder, int vmType, bool& server)
{
    // Registrations of runtimes long removed are common; one look at the
    // folder spares the searches for each place of the library.
    if (folderMissing(folder)) {
        return {};
    }
    if (vmType == kVmTypeServer || vmType == kVmTypeFavorServer) {
        std::wstring path = std::wstring(folder) + std::wstring(kServerVm);
        if (entryFound(path)) {
            server = true;
            return path;
        }
        if (vmType == kVmTypeServer) {
            return {};
        }
    }
    for (const VmFolder& candidate : kDefaultOrder) {
        std::wstring path = std::wstring(folder) + std::wstring(candidate.subPath);
        if (entryFound(path)) {
            server = candidate.server;
            return path;
        }
    }
    return {};
}

std::wstring findJvmLibrary(std::wstring_view folder, int vmType)
{
    bool server = false;
    return findJvmLibrary(folder, vmType, server);
}

std::wstring_view missingLibraryText(int vmType)
{
    return vmType == kVmTypeServer
               ? L"no bin\\server\\jvm.dll, the only VM \"JVM Type\" server accepts"
               : L"no jvm.dll in bin\\client, classic, hotspot, server or jrockit";
}

bool hasJavaDll(std::wstring_view folder)
{
    return entryFound(std::wstring(folder) + L"bin\\java.dll");
}

std::optional<size_t> ntHeadersOffset(std::span<const unsigned char> image)
{
    if (image.size() < sizeof(IMAGE_DOS_HEADER) ||
        readAt<WORD>(image, offsetof(IMAGE_DOS_HEADER, e_magic)) != IMAGE_DOS_SIGNATURE) {
        return std::nullopt;
    }
    const LONG newHeader = readAt<LONG>(image, offsetof(IMAGE_DOS_HEADER, e_lfanew));
    constexpr size_t kFixedPart = sizeof(DWORD) + sizeof(IMAGE_FILE_HEADER);
    if (newHeader < 0 || static_cast<size_t>(newHeader) > image.size() ||
        image.size() - static_cast<size_t>(newHeader) < kFixedPart) {
        return std::nullopt;
    }
    const size_t offset = static_cast<size_t>(newHeader);
    const WORD optionalSize = readAt<WORD>(
        image, offset + sizeof(DWORD) + offsetof(IMAGE_FILE_HEADER, SizeOfOptionalHeader));
    if (image.size() - offset - kFixedPart < optionalSize) {
        return std::nullopt;
    }
    return offset;
}

std::optional<WORD> imageMachine(std::span<const unsigned char> image)
{
    const std::optional<size_t> offset = ntHeadersOffset(image);
    if (!offset) {
        return std::nullopt;
    }
    // The headers are read in place: loading Dbghelp for ImageNtHeader
    // would cost the start a library for what two reads tell.
    if (readAt<DWORD>(image, *offset) != IMAGE_NT_SIGNATURE) {
        return std::nullopt;
    }
    return readAt<WORD>(image, *offset + sizeof(DWORD) + offsetof(IMAGE_FILE_HEADER, Machine));
}

bool belongsToOtherArchitecture(WORD machine, const BuildTraits& traits)
{
    return (machine == kMachineI386) == traits.relaunchWhenI386;
}

std::wstring otherArchitectureAdvice(WORD machine, const BuildTraits& traits, bool localRuntime)
{
    if ((machine != kMachineI386 && machine != IMAGE_FILE_MACHINE_AMD64)
        || !belongsToOtherArchitecture(machine, traits)) {
        return {};
    }
    const long runtimeBits = machine == kMachineI386 ? 32 : 64;
    const long launcherBits = 96 - runtimeBits;
    if (localRuntime) {
        const BuildTraits& pair = traits.relaunchWhenI386 ? kX86Build : kX64Build;
        return FormatMessageText(LoadMessage(IDS_OTHER_ARCHITECTURE_LOCAL_RUNTIME),
                                 {runtimeBits, launcherBits, launcherBits, pair.localRuntimeFolder, runtimeBits});
    }
    return FormatMessageText(LoadMessage(IDS_OTHER_ARCHITECTURE_RUNTIME),
                             {runtimeBits, launcherBits, launcherBits, runtimeBits});
}

std::optional<WORD> libraryMachine(const std::wstring& path)
{
    MappedFile mapped;
    if (!mapWholeFile(path, mapped)) {
        return std::nullopt;
    }
    return imageMachine(mapped.bytes());
}

void checkArchitecture(ChosenRuntime& chosen, const Settings& settings, const Trace& trace)
{
    chosen.relaunchPair = false;
    if (settings.pairProduct.empty()) {
        return;
    }
    const std::optional<WORD> machine = libraryMachine(chosen.jvmLibraryPath);
    chosen.relaunchPair = machine && belongsToOtherArchitecture(*machine, kThisBuild);
    trace.line(L"runtime", {!machine ? "architecture unknown (not a PE file): hosted here"
                                     : chosen.relaunchPair
                                         ? "a VM of the other architecture: the pair hosts it"
                                         : "a VM of this architecture: hosted here"});
}

}  // namespace velmar
