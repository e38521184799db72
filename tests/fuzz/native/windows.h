// The few Win32 types, constants and declarations that the launcher's parser
// files name, for their native build on Linux. Only declarations: the fuzz
// targets are linked with --gc-sections, so the glue beside the parsers in
// the same files is dropped, and a parser that reached a system function
// would fail to link instead of running against an imitation of it. The
// two that parsers do reach get a model in their target: the formatters of
// time stamps (passed as parameters) and ExpandEnvironmentStringsW.
//
// Text stays std::wstring: on Linux a wchar_t is 4 bytes, and each one
// holds one UTF-16 unit (0 to 0xFFFF) as it does on Windows. No
// -fshort-wchar: the C library's wide functions (wcstol, iswspace, wmemchr
// behind std::wstring_view::find) and libstdc++'s compiled wstring would
// still read 4-byte units.
#pragma once

#include <cstddef>
#include <cstdint>

#define WINAPI
#define CALLBACK
#define __stdcall
#define __cdecl
#define FAR
#define CONST const

using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using LONG = int32_t;
using ULONG = uint32_t;
using UINT = unsigned int;
using INT = int;
using BOOL = int;
using BOOLEAN = uint8_t;
using WCHAR = wchar_t;
using CHAR = char;
using LCID = DWORD;
using LSTATUS = LONG;
using LONG_PTR = intptr_t;
using ULONG_PTR = uintptr_t;
using UINT_PTR = uintptr_t;
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;
using SIZE_T = size_t;
using ACCESS_MASK = DWORD;
using REGSAM = ACCESS_MASK;
using COLORREF = DWORD;
using LPVOID = void*;
using LPCVOID = const void*;
using PVOID = void*;
using HANDLE = void*;
using LPSTR = char*;
using LPCSTR = const char*;
using LPCCH = const char*;
using LPWSTR = wchar_t*;
using LPCWSTR = const wchar_t*;
using LPCWCH = const wchar_t*;
using LPBOOL = BOOL*;
using LPDWORD = DWORD*;
using LPBYTE = BYTE*;

#define DECLARE_NATIVE_HANDLE(name) \
    struct name##__ {               \
        int unused;                 \
    };                              \
    using name = name##__*
DECLARE_NATIVE_HANDLE(HWND);
DECLARE_NATIVE_HANDLE(HKEY);
DECLARE_NATIVE_HANDLE(HINSTANCE);
DECLARE_NATIVE_HANDLE(HFONT);
DECLARE_NATIVE_HANDLE(HDC);
DECLARE_NATIVE_HANDLE(HICON);
DECLARE_NATIVE_HANDLE(HCURSOR);
DECLARE_NATIVE_HANDLE(HBITMAP);
using HMODULE = HINSTANCE;
using HGDIOBJ = void*;
using HLOCAL = HANDLE;
using FARPROC = intptr_t (*)();
#undef DECLARE_NATIVE_HANDLE

#define TRUE 1
#define FALSE 0
#define MAX_PATH 260
#define INFINITE 0xFFFFFFFF
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)))
#define INVALID_FILE_ATTRIBUTES (static_cast<DWORD>(-1))
#define RGB(r, g, b) \
    (static_cast<COLORREF>((static_cast<BYTE>(r) | (static_cast<WORD>(static_cast<BYTE>(g)) << 8)) | \
                           (static_cast<DWORD>(static_cast<BYTE>(b)) << 16)))

#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_INVALID_NAME 123L
#define ERROR_ALREADY_EXISTS 183L
#define ERROR_ENVVAR_NOT_FOUND 203L
#define ERROR_MORE_DATA 234L
#define ERROR_BAD_NETPATH 53L
#define ERROR_BAD_NET_NAME 67L
#define ERROR_DIRECTORY 267L

#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_MULTI_SZ 7
#define KEY_WOW64_64KEY 0x0100
#define KEY_WOW64_32KEY 0x0200

#define CP_ACP 0
#define CP_THREAD_ACP 3
#define CP_UTF8 65001
#define WC_NO_BEST_FIT_CHARS 0x00000400
#define WC_ERR_INVALID_CHARS 0x00000080
#define LOCALE_USER_DEFAULT 0x0400
#define CSTR_EQUAL 2

#define GENERIC_READ 0x80000000
#define FILE_SHARE_READ 0x00000001
#define FILE_SHARE_WRITE 0x00000002
#define FILE_SHARE_DELETE 0x00000004
#define OPEN_EXISTING 3
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define PAGE_READONLY 0x02
#define FILE_MAP_READ 0x0004
#define WAIT_OBJECT_0 0

#define IMAGE_DOS_SIGNATURE 0x5A4D
#define IMAGE_NT_SIGNATURE 0x00004550
#define IMAGE_FILE_MACHINE_I386 0x014c
#define IMAGE_FILE_MACHINE_AMD64 0x8664

#pragma pack(push, 2)
struct IMAGE_DOS_HEADER {
    WORD e_magic, e_cblp, e_cp, e_crlc, e_cparhdr, e_minalloc, e_maxalloc, e_ss, e_sp, e_csum,
        e_ip, e_cs, e_lfarlc, e_ovno;
    WORD e_res[4];
    WORD e_oemid, e_oeminfo;
    WORD e_res2[10];
    LONG e_lfanew;
};
#pragma pack(pop)
static_assert(sizeof(IMAGE_DOS_HEADER) == 64);

struct IMAGE_FILE_HEADER {
    WORD Machine;
    WORD NumberOfSections;
    DWORD TimeDateStamp;
    DWORD PointerToSymbolTable;
    DWORD NumberOfSymbols;
    WORD SizeOfOptionalHeader;
    WORD Characteristics;
};
static_assert(sizeof(IMAGE_FILE_HEADER) == 20);

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

struct SYSTEMTIME {
    WORD wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds;
};

struct WIN32_FIND_DATAW {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime, ftLastAccessTime, ftLastWriteTime;
    DWORD nFileSizeHigh, nFileSizeLow, dwReserved0, dwReserved1;
    WCHAR cFileName[MAX_PATH];
    WCHAR cAlternateFileName[14];
};

union LARGE_INTEGER {
    int64_t QuadPart;
};

struct MEMORYSTATUS {
    DWORD dwLength, dwMemoryLoad;
    SIZE_T dwTotalPhys, dwAvailPhys, dwTotalPageFile, dwAvailPageFile, dwTotalVirtual,
        dwAvailVirtual;
};

struct STARTUPINFOW {
    DWORD cb;
    // The other members are never set by the launcher.
};

struct PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
};

struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
};
struct SRWLOCK {
    PVOID Ptr;
};
using PSRWLOCK = SRWLOCK*;
#define SRWLOCK_INIT {nullptr}

// Declared, never defined (see the top of this file).
DWORD GetLastError();
DWORD GetCurrentProcessId();
void SetLastError(DWORD error);
BOOL CloseHandle(HANDLE handle);
BOOL FindClose(HANDLE search);
BOOL UnmapViewOfFile(LPCVOID view);
LSTATUS RegCloseKey(HKEY key);
BOOL FreeLibrary(HMODULE module);
BOOL DeleteObject(HGDIOBJ object);
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);
BOOL DeleteDC(HDC dc);
HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);
int WideCharToMultiByte(UINT, DWORD, LPCWCH, int, LPSTR, int, LPCCH, LPBOOL);
int MultiByteToWideChar(UINT, DWORD, LPCCH, int, LPWSTR, int);
int CompareStringOrdinal(LPCWCH, int, LPCWCH, int, BOOL);
DWORD ExpandEnvironmentStringsW(LPCWSTR, LPWSTR, DWORD);
DWORD GetEnvironmentVariableW(LPCWSTR, LPWSTR, DWORD);
LPWSTR GetCommandLineW();
BOOL CreateProcessW(LPCWSTR, LPWSTR, SECURITY_ATTRIBUTES*, SECURITY_ATTRIBUTES*, BOOL, DWORD,
                    LPVOID, LPCWSTR, STARTUPINFOW*, PROCESS_INFORMATION*);
DWORD WaitForSingleObject(HANDLE, DWORD);
void AcquireSRWLockExclusive(PSRWLOCK);
void ReleaseSRWLockExclusive(PSRWLOCK);
BOOL GetExitCodeProcess(HANDLE, LPDWORD);
BOOL AllowSetForegroundWindow(DWORD);
void GlobalMemoryStatus(MEMORYSTATUS*);
HANDLE CreateFileW(LPCWSTR, DWORD, DWORD, SECURITY_ATTRIBUTES*, DWORD, DWORD, HANDLE);
BOOL ReadFile(HANDLE, LPVOID, DWORD, LPDWORD, void*);
BOOL GetFileSizeEx(HANDLE, LARGE_INTEGER*);
HANDLE CreateFileMappingW(HANDLE, SECURITY_ATTRIBUTES*, DWORD, DWORD, DWORD, LPCWSTR);
LPVOID MapViewOfFile(HANDLE, DWORD, DWORD, DWORD, SIZE_T);
BOOL DeleteFileW(LPCWSTR);
BOOL CreateDirectoryW(LPCWSTR, SECURITY_ATTRIBUTES*);
BOOL RemoveDirectoryW(LPCWSTR);
BOOL SetCurrentDirectoryW(LPCWSTR);
DWORD GetFileAttributesW(LPCWSTR);
HANDLE FindFirstFileW(LPCWSTR, WIN32_FIND_DATAW*);
BOOL FindNextFileW(HANDLE, WIN32_FIND_DATAW*);
DWORD GetFullPathNameW(LPCWSTR, DWORD, LPWSTR, LPWSTR*);
DWORD GetShortPathNameW(LPCWSTR, LPWSTR, DWORD);
DWORD GetModuleFileNameW(HMODULE, LPWSTR, DWORD);
int GetTimeFormatW(LCID, DWORD, const SYSTEMTIME*, LPCWSTR, LPWSTR, int);
int GetDateFormatW(LCID, DWORD, const SYSTEMTIME*, LPCWSTR, LPWSTR, int);
DWORD GetPrivateProfileSectionW(LPCWSTR, LPWSTR, DWORD, LPCWSTR);
DWORD GetPrivateProfileSectionNamesW(LPWSTR, DWORD, LPCWSTR);
BOOL WritePrivateProfileStringW(LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR);
LSTATUS RegQueryValueExW(HKEY, LPCWSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
