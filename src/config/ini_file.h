// INI files of the launcher: where they are, and the accessors that read
// and write them. An accessor is a short-lived value bound to a path; it
// keeps no file open, and reads each section of the file once, on the
// first lookup in it. A UTF-8 file (with or without its mark) is read by
// the accessor itself with the profile API's rules, any other file through
// the profile API; "JRE Path" is written in the file's own encoding.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmar {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // 0 when the first bytes of the file can be read, else the error code.
    virtual DWORD probe() const = 0;
    // The value, empty when the file, the section or the key is missing.
    virtual std::wstring getString(std::wstring_view section, std::wstring_view key) const = 0;
    virtual std::vector<std::wstring> getSectionNames() const = 0;
    virtual bool putString(std::wstring_view section, std::wstring_view key,
                           std::wstring_view value) const = 0;
    virtual bool deleteFile() const = 0;
};

class IniFile : public SettingsStore {
public:
    explicit IniFile(std::wstring path) : path_(std::move(path)) {}

    DWORD probe() const override;
    std::wstring getString(std::wstring_view section, std::wstring_view key) const override;
    std::vector<std::wstring> getSectionNames() const override;
    bool putString(std::wstring_view section, std::wstring_view key,
                   std::wstring_view value) const override;
    bool deleteFile() const override;

    const std::wstring& path() const noexcept { return path_; }

private:
    using Entries = std::vector<std::pair<std::wstring, std::wstring>>;
    struct Section {
        std::wstring name;
        std::optional<Entries> entries;  // read when first asked for
    };
    // Each profile API call opens and parses the whole file again, and a
    // start asks for some fifty keys, most of them in sections the file
    // does not have: the names are learnt once, each section read once.
    const Entries* entriesOf(std::wstring_view section) const;
    // The section names, and for a UTF-8 file all entries, on first use.
    std::vector<Section>& sections() const;

    std::wstring path_;
    mutable std::optional<std::vector<Section>> sections_;
};

// All bytes of a file, read to its end whatever size it claims; nothing
// when it cannot be opened or read (missing, locked, or implausibly large).
std::optional<std::string> readIniBytes(const std::wstring& path);

// Sets one entry with the file's encoding kept, or turned into UTF-8 with
// its mark when the file is in the ANSI code page and the value has a
// character that code page lacks; a new file is UTF-8 with its mark.
bool writeIniEntry(const std::wstring& path, std::wstring_view section, std::wstring_view key,
                   std::wstring_view value);

// A section as GetPrivateProfileSectionW gives it ("key=value" strings,
// each ended by a null), read with GetPrivateProfileStringW's rules: blanks
// around keys and values dropped, one pair of matching enclosing quotes
// taken off a value, a line without "=" an empty value.
std::vector<std::pair<std::wstring, std::wstring>> parseSectionEntries(std::wstring_view block);

// The value of the first entry whose key equals `key` in any letter case;
// empty when there is none.
std::wstring lookUpEntry(const std::vector<std::pair<std::wstring, std::wstring>>& entries,
                         std::wstring_view key);

// Falls back, key by key, to the append section ("Section+"), whose value
// is used with one blank in front of it.
class LayeredIniFile : public IniFile {
public:
    using IniFile::IniFile;
    std::wstring getString(std::wstring_view section, std::wstring_view key) const override;
};

// The launcher's own executable path; shows message 202 with 208 and
// returns nothing when it cannot be obtained.
std::optional<std::wstring> modulePath();

// The folder of an executable path, ending in "\": the path up to and
// including its last backslash; empty when it has none.
std::wstring executableFolder(std::wstring_view executablePath);

// The folder of the launcher's executable, ending in "\"; empty when the
// module path cannot be had (message 202 shown, as by modulePath).
std::wstring launcherFolder();

// The path cut after its last "." with "ini" appended; nothing when the
// path has no ".". The dot is searched in the whole path.
std::optional<std::wstring> iniPathFor(std::wstring_view executablePath);

std::optional<std::wstring> launcherIniPath();

// The product name without the nine characters a folder name cannot hold.
std::wstring cleanProductName(std::wstring_view productName);

// APPDATA\<clean product name>\<product code>\<base name>.ini, without
// touching the file system.
std::wstring composePerUserIniPath(std::wstring_view appData, std::wstring_view productName,
                                   std::wstring_view productCode,
                                   std::wstring_view executablePath);

// The per-user INI of an executable; creates its two folders on request.
std::wstring perUserIniPath(std::wstring_view executablePath, std::wstring_view productName,
                            std::wstring_view productCode, bool createFolders);

// The folder an executable path names for the working-directory override:
// the path before its last backslash, with the backslash kept after a drive
// ("E:\"); empty when the backslash is missing or comes first.
std::wstring workingFolderOf(std::wstring_view executablePath);

// The folder of the launcher's executable becomes the current directory.
void applyWorkingDirOverride();

}  // namespace velmar
