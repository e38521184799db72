// A key under HKEY_LOCAL_MACHINE that a test registers a runtime with, in
// the registry view of the test program (the launcher's, since both are of
// one build). At scope exit the key is deleted together with every
// ancestor the constructor had to create, so nothing of the test stays.
#pragma once

#include <windows.h>

#include <string>

namespace velmar::e2e {

class ScopedRegistryKey {
public:
    // Throws, with the reason, where the machine's registrations must not
    // be touched (see disposable_machine.h) or the key cannot be made.
    explicit ScopedRegistryKey(std::wstring path);
    ~ScopedRegistryKey();
    ScopedRegistryKey(const ScopedRegistryKey&) = delete;
    ScopedRegistryKey& operator=(const ScopedRegistryKey&) = delete;

    // Stores the bytes as they are: no terminator is added.
    void setValue(const std::wstring& name, DWORD type, const std::string& bytes) const;
    void setString(const std::wstring& name, const std::wstring& text) const;

private:
    std::wstring path_;
    std::wstring created_;  // the outermost key this object made; empty: none
};

// One string value set for the length of a test under any root key; at
// scope exit the value it replaced comes back (or the value goes, with the
// keys made for it). Refuses as ScopedRegistryKey does.
class ScopedRegistryValue {
public:
    ScopedRegistryValue(HKEY root, std::wstring path, std::wstring name, const std::wstring& text);
    ~ScopedRegistryValue();
    ScopedRegistryValue(const ScopedRegistryValue&) = delete;
    ScopedRegistryValue& operator=(const ScopedRegistryValue&) = delete;

private:
    HKEY root_;
    std::wstring path_;
    std::wstring name_;
    std::wstring created_;  // the outermost key this object made; empty: none
    bool hadValue_ = false;
    DWORD previousType_ = REG_NONE;
    std::string previousData_;
};

}  // namespace velmar::e2e
