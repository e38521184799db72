#include "jvm/vm_lifetime.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace velmar {
namespace {

// A VM that counts the attachments it gives out and takes back.
struct FakeVm {
    JavaVM_ vm;
    int attached = 0;
    int detached = 0;
};

FakeVm& fakeOf(JavaVM* vm)
{
    return *reinterpret_cast<FakeVm*>(vm);
}

jint JNICALL attachCurrentThread(JavaVM* vm, void** env, void*)
{
    ++fakeOf(vm).attached;
    *env = vm;  // any non-null environment
    return JNI_OK;
}

jint JNICALL detachCurrentThread(JavaVM* vm)
{
    ++fakeOf(vm).detached;
    return JNI_OK;
}

const JNIInvokeInterface_ kInvoke = {nullptr, nullptr, nullptr, nullptr, attachCurrentThread,
                                     detachCurrentThread, nullptr, nullptr};

class VmLifetimeTest : public ::testing::Test {
protected:
    JavaVM* vm() { return &fake_.vm; }
    FakeVm fake_{JavaVM_{&kInvoke}};
};

// Whatever way the thread's work ends, the VM gets the thread back: an
// attachment left behind makes DestroyJavaVM wait for ever.
TEST_F(VmLifetimeTest, AnAttachedThreadDetachesOnEveryWayOut)
{
    struct WayOut {
        const char* name;
        void (*leave)(AttachedThread&);
        int detaches;
    };
    const WayOut ways[] = {
        {"end of scope", [](AttachedThread&) {}, 1},
        {"exception", [](AttachedThread&) { throw std::runtime_error("work failed"); }, 1},
        {"detached early", [](AttachedThread& t) { EXPECT_TRUE(t.detach()); }, 1},
        {"kept attached", [](AttachedThread& t) { t.keep(); }, 0},
    };
    for (const WayOut& way : ways) {
        SCOPED_TRACE(way.name);
        fake_.detached = 0;
        try {
            AttachedThread attached(vm(), reinterpret_cast<JNIEnv*>(vm()));
            way.leave(attached);
        } catch (const std::runtime_error&) {
        }
        EXPECT_EQ(fake_.detached, way.detaches);
    }
}

// No thread attaches before the VM exists or once its end has begun; a
// thread waiting for it is woken by the end.
TEST_F(VmLifetimeTest, TheGateAdmitsThreadsOnlyWhileTheVmIsOpen)
{
    VmLifetime lifetime;
    EXPECT_FALSE(lifetime.attach());
    lifetime.created(vm());
    {
        AttachedThread attached = lifetime.attach();
        EXPECT_TRUE(attached);
        EXPECT_FALSE(lifetime.closeIf([] { return false; }));
    }
    EXPECT_EQ(fake_.detached, 1);
    EXPECT_EQ(::WaitForSingleObject(lifetime.closedEvent(), 0), static_cast<DWORD>(WAIT_TIMEOUT));

    EXPECT_TRUE(lifetime.closeIf([] { return true; }));
    EXPECT_EQ(::WaitForSingleObject(lifetime.closedEvent(), 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_FALSE(lifetime.attach());
    EXPECT_EQ(fake_.attached, 1);
    // The VM is handed out for destruction once.
    EXPECT_EQ(lifetime.close(), vm());
    EXPECT_EQ(lifetime.close(), nullptr);
}

}  // namespace
}  // namespace velmar
