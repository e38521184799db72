// Where installed Java runtimes register themselves under HKLM: one row per
// registry location, in the order a registry pass visits them. The rows of
// the Java 8 era come first; after them the keys of today's installers,
// whose JDKs carry their VM in their own "bin\" rather than in a "jre\".
#pragma once

#include "runtime/build_traits.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmar {

enum class RuntimeKind { jdk, jre };
// The provider whose "VM Provider" flags govern a row; HotSpot builds of
// every vendor count as Sun's, OpenJ9 builds as IBM's.
enum class Provider { sun, jrockit, ibm };

enum class HomeLayout {
    asRegistered,       // the registered folder is the runtime
    jreSubfolder,       // an old JDK: its runtime is the "jre\" inside it
    asRegisteredOrJre,  // a JDK of today, or of Java 8 with a "jre\" inside
};

// How a subkey name must end for the row: a vendor may keep the JDKs and
// the JREs of one key apart by a suffix alone ("zulu-17", "zulu-17-jre").
enum class SuffixRule { ignored, required, forbidden };

struct VendorRow {
    std::wstring_view key;    // under HKLM; a subkey per runtime
    std::wstring_view key32;  // its name in the 32-bit view; empty: the same
    RuntimeKind kind;
    Provider provider;
    std::wstring_view namePrefix;  // subkey names start with it
    std::wstring_view nameSuffix;
    SuffixRule suffixRule;
    std::wstring_view valuePath;  // below the subkey: where the value lives
    std::wstring_view homeValue;  // the value that names the runtime folder
    HomeLayout layout;
    // A favoured server VM is not asked of these runtimes: old public JREs
    // shipped only the client VM, which must not cost them their place.
    bool favorServerAsDefault;
};

std::span<const VendorRow> vendorRows();

// Whether the Java main thread of a runtime found under the row stays in
// the VM after main: only the old IBM runtimes of the "Java2" key, whose
// VM needs it. OpenJ9 builds come under IBM's flags but end like any other
// runtime, so an application that closes its last window ends too.
bool keepsJavaMainThread(const VendorRow& row);

// The key to open in a registry view, without a trailing backslash.
std::wstring_view rowKey(const VendorRow& row, RegistryView view);

// Whether a subkey of the row's key is a runtime of that row (letter case
// ignored, as the registry ignores it).
bool subkeyBelongsToRow(const VendorRow& row, std::wstring_view name);

// The folders, each ending in "\", in which to look for the VM library of a
// runtime registered with the given home text; none for an empty text.
std::vector<std::wstring> homesToTry(const VendorRow& row, std::wstring_view registeredHome);

}  // namespace velmar
