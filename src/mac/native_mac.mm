#include "mac/native_mac.h"

#include "net/curl_https_client.h"
#include "posix/posix_process_runner.h"

namespace tidyframe {

NativeMac::NativeMac(Dispatch& dispatch)
    : host(makeMacAppleScriptHost(dispatch)),
      accessibility(makeMacAccessibility()),
      permissions(makeMacAppleEventPermissions()),
      input(makeMacInputState()),
      preferences(makeMacPreferenceStore()),
      volumes(makeMacVolumeCatalog()),
      workspace(makeMacWorkspace()),
      loginItem(makeMacLoginItem()),
      bookmarks(makeMacFolderBookmarks()),
      folderURLs(makeMacFolderURLText()),
      alerts(makeMacAlerts()),
      languages(makeMacPreferredLanguages()),
      log(makeMacSystemLog()),
      defaults(makeMacUserDefaults()),
      system(makeMacSystemInformation()),
      processes(std::make_unique<PosixProcessRunner>()),
      https(std::make_unique<CurlHttpsClient>()) {}

NativeMac::~NativeMac() = default;

}  // namespace tidyframe
