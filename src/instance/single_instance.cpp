#include "instance/single_instance.h"

#include "config/ini_file.h"
#include "config/setting_keys.h"
#include "config/settings.h"
#include "core/launcher.h"
#include "instance/argument_block.h"
#include "instance/instance_protocol.h"

#include <cstddef>

namespace velmar {

namespace {

constexpr wchar_t kMainStartedSuffix[] = L"_upr_evt";
// Names of this build's own: older builds never register them.
constexpr wchar_t kArgumentsTakenSuffix[] = L"_arg_taken";
constexpr wchar_t kRefusedSuffix[] = L"_arg_refused";
constexpr wchar_t kHandedSuffix[] = L"_arg_handed";

// A later start told to start again finds the old block until every
// process that saw it has let it go; it looks again this often, this long.
constexpr DWORD kStaleBlockPauseMs = 20;
constexpr int kStaleBlockTries = 500;

volatile LONG* sharedField(InstanceArea* area, size_t offset)
{
    return reinterpret_cast<volatile LONG*>(reinterpret_cast<char*>(area) + offset);
}

bool openInstanceBlock(InstanceState& instance, const std::wstring& name)
{
    ::SetLastError(ERROR_SUCCESS);
    instance.mapping.reset(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                sizeof(InstanceArea), name.c_str()));
    if (!instance.mapping) {
        return false;
    }
    instance.isPrimaryInstance = ::GetLastError() == ERROR_SUCCESS;
    instance.block = static_cast<InstanceArea*>(
        ::MapViewOfFile(instance.mapping.get(), FILE_MAP_WRITE, 0, 0, sizeof(InstanceArea)));
    return instance.block != nullptr;
}

// The address fields are written in the order later starts rely on:
// message, process, then the listener's thread id by the thread creation.
// This build's mark goes first, so that a later start that sees the
// listener sees the mark too.
bool becomePrimary(Launcher& launcher, const std::wstring& name)
{
    InstanceState& instance = launcher.instance;
    instance.mainStartedEvent.reset(
        ::CreateEventW(nullptr, TRUE, FALSE, instanceObjectName(name, kMainStartedSuffix).c_str()));
    const UINT request = ::RegisterWindowMessageW(name.c_str());
    if (request == 0) {
        return false;
    }
    instance.messages = registerInstanceMessages(name);
    InstanceArea* area = instance.block;
    markServingBuild(*area);
    publish(area, offsetof(InstanceArea, requestMessage), request);
    publish(area, offsetof(InstanceArea, ownerProcessId), ::GetCurrentProcessId());
    auto* listenerId = const_cast<LPDWORD>(reinterpret_cast<volatile DWORD*>(
        sharedField(area, offsetof(InstanceArea, listenerThreadId))));
    instance.listener.reset(
        ::CreateThread(nullptr, 0, listenerThreadMain, &launcher, 0, listenerId));
    return static_cast<bool>(instance.listener);
}

}  // namespace

uint32_t readShared(InstanceArea* area, size_t offset)
{
    return static_cast<uint32_t>(::InterlockedCompareExchange(sharedField(area, offset), 0, 0));
}

void publish(InstanceArea* area, size_t offset, uint32_t value)
{
    ::InterlockedExchange(sharedField(area, offset), static_cast<LONG>(value));
}

bool hasEnded(HANDLE process)
{
    return process != nullptr && ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
}

InstanceMessages registerInstanceMessages(const std::wstring& instanceName)
{
    return {::RegisterWindowMessageW(instanceObjectName(instanceName, kArgumentsTakenSuffix).c_str()),
            ::RegisterWindowMessageW(instanceObjectName(instanceName, kRefusedSuffix).c_str()),
            ::RegisterWindowMessageW(instanceObjectName(instanceName, kHandedSuffix).c_str())};
}

bool setupSingleInstance(Launcher& launcher)
{
    const LayeredIniFile* ini = launcher.launcherIni.get();
    if (ini == nullptr) {
        return false;
    }
    const LayeredIniFile& settings = *ini;
    InstanceState& instance = launcher.instance;
    if (settingIs(settings, kApplicationTypeKey, L"service")) {
        launcher.trace.line(L"instance", {"single-instance mode off: a service"});
        return true;
    }
    instance.singleInstance = settingIs(settings, kSingleInstanceKey, L"yes");
    if (!instance.singleInstance) {
        launcher.trace.line(L"instance", {"single-instance mode off"});
        return true;
    }
    const std::optional<std::wstring> programPath = modulePath();
    const std::wstring name = programPath ? instanceNameFor(*programPath) : std::wstring();
    instance.name = name;
    for (int tries = 0; tries < kStaleBlockTries; ++tries) {
        if (name.empty() || !openInstanceBlock(instance, name)) {
            launcher.trace.line(L"instance", {"no shared block: this start runs alone"});
            instance.release();
            return true;
        }
        if (instance.isPrimaryInstance) {
            // Without a listener the launch goes on alone; the block stays,
            // so later starts find it and fail rather than start a second copy.
            instance.singleInstance = becomePrimary(launcher, name);
            launcher.trace.line(L"instance", {instance.singleInstance ? "first instance of "
                                                                      : "first instance without a listener: ",
                                              name});
            return true;
        }
        const Forwarding forwarding = forwardArguments(launcher, name);
        if (forwarding != Forwarding::startAgain) {
            return forwarding == Forwarding::handedOver;
        }
        launcher.trace.line(L"instance", {"the first instance is gone: looking again"});
        // The block of a first instance that is gone: let it go, so that
        // the next look creates a block of our own once nobody has it.
        instance.release();
        instance.singleInstance = true;
        ::Sleep(kStaleBlockPauseMs);
    }
    instance.release();
    return true;
}

bool startAgainAfterRefusal(Launcher& launcher)
{
    InstanceState& instance = launcher.instance;
    UniqueHandle owner = std::move(instance.owner);
    instance.release();
    if (owner) {
        ::WaitForSingleObject(owner.get(), INFINITE);
    }
    return setupSingleInstance(launcher);
}

void releaseInstance(Launcher& launcher)
{
    // Workers still waiting for main are woken by the closed gate.
    launcher.vmLifetime.close();
    launcher.instance.release();
}

}  // namespace velmar
