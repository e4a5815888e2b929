#include <iostream>

#include "app/program.h"

#ifdef TIDYFRAME_NATIVE_MAC
#include <unistd.h>

#include "app/native_application.h"
#include "app/platform_report.h"
#include "base/thread_dispatch.h"
#include "mac/native_mac.h"

namespace tidyframe {
namespace {

// Reads every native service once; the first run on a Mac shows here what answers and what not.
bool checkNativeMac(std::ostream& out) {
  ThreadDispatch dispatch;
  NativeMac mac(dispatch);
  const PlatformPorts ports{*mac.host,      *mac.accessibility, *mac.permissions, *mac.volumes,
                            *mac.preferences, *mac.languages, *mac.system,      *mac.workspace,
                            *mac.input,       *mac.loginItem};
  out << permissionSubjectLine(::getppid()) << '\n';
  return printPlatformReport(inspectPlatform(ports), out);
}

std::vector<MountedVolume> nativeVolumes() {
  ThreadDispatch dispatch;
  NativeMac mac(dispatch);
  return MountedVolume::discover(*mac.volumes, icu::Locale::getDefault());
}

}  // namespace
}  // namespace tidyframe
#endif

int main(int argc, char** argv) {
#ifdef TIDYFRAME_NATIVE_MAC
  const tidyframe::NativeEntry native{tidyframe::checkNativeMac, tidyframe::runNativeApplication,
                                      tidyframe::nativeVolumes};
  return tidyframe::runProgram(argc, argv, std::cout, &native);
#else
  return tidyframe::runProgram(argc, argv, std::cout);
#endif
}
