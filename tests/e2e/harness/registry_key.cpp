#include "registry_key.h"

#include "disposable_machine.h"

#include <stdexcept>

namespace velmar::e2e {

namespace {

bool keyExists(const std::wstring& path, HKEY root = HKEY_LOCAL_MACHINE)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    ::RegCloseKey(key);
    return true;
}

// The shortest leading part of the path that names no key yet.
std::wstring firstMissing(const std::wstring& path, HKEY root = HKEY_LOCAL_MACHINE)
{
    for (size_t end = path.find(L'\\');; end = path.find(L'\\', end + 1)) {
        std::wstring part = path.substr(0, end);
        if (!keyExists(part, root)) {
            return part;
        }
        if (end == std::wstring::npos) {
            return {};
        }
    }
}

}  // namespace

ScopedRegistryKey::ScopedRegistryKey(std::wstring path) : path_(std::move(path))
{
    const std::string refusal = testing::registryRefusal();
    if (!refusal.empty()) {
        throw std::runtime_error(refusal);
    }
    created_ = firstMissing(path_);
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                          nullptr, &key, nullptr) != ERROR_SUCCESS) {
        throw std::runtime_error("cannot create a registry key");
    }
    ::RegCloseKey(key);
}

ScopedRegistryKey::~ScopedRegistryKey()
{
    if (!created_.empty()) {
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, created_.c_str());
        ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, created_.c_str());
    }
}

void ScopedRegistryKey::setValue(const std::wstring& name, DWORD type,
                                 const std::string& bytes) const
{
    const LSTATUS status =
        ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, path_.c_str(), name.c_str(), type, bytes.data(),
                          static_cast<DWORD>(bytes.size()));
    if (status != ERROR_SUCCESS) {
        throw std::runtime_error("cannot write a registry value");
    }
}

void ScopedRegistryKey::setString(const std::wstring& name, const std::wstring& text) const
{
    const auto* bytes = reinterpret_cast<const char*>(text.c_str());
    setValue(name, REG_SZ, std::string(bytes, (text.size() + 1) * sizeof(wchar_t)));
}

ScopedRegistryValue::ScopedRegistryValue(HKEY root, std::wstring path, std::wstring name,
                                         const std::wstring& text)
    : root_(root), path_(std::move(path)), name_(std::move(name))
{
    const std::string refusal = testing::registryRefusal();
    if (!refusal.empty()) {
        throw std::runtime_error(refusal);
    }
    created_ = firstMissing(path_, root_);
    HKEY key = nullptr;
    if (::RegCreateKeyExW(root_, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                          nullptr) != ERROR_SUCCESS) {
        throw std::runtime_error("cannot create a registry key");
    }
    DWORD size = 0;
    if (::RegQueryValueExW(key, name_.c_str(), nullptr, &previousType_, nullptr, &size) ==
        ERROR_SUCCESS) {
        previousData_.resize(size);
        hadValue_ = ::RegQueryValueExW(key, name_.c_str(), nullptr, &previousType_,
                                       reinterpret_cast<BYTE*>(previousData_.data()),
                                       &size) == ERROR_SUCCESS;
        previousData_.resize(size);
    }
    const LSTATUS status = ::RegSetValueExW(
        key, name_.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
        throw std::runtime_error("cannot set a registry value");
    }
}

ScopedRegistryValue::~ScopedRegistryValue()
{
    if (!created_.empty()) {
        ::RegDeleteTreeW(root_, created_.c_str());
        ::RegDeleteKeyW(root_, created_.c_str());
        return;
    }
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root_, path_.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
        return;
    }
    if (hadValue_) {
        ::RegSetValueExW(key, name_.c_str(), 0, previousType_,
                         reinterpret_cast<const BYTE*>(previousData_.data()),
                         static_cast<DWORD>(previousData_.size()));
    } else {
        ::RegDeleteValueW(key, name_.c_str());
    }
    ::RegCloseKey(key);
}

}  // namespace velmar::e2e
