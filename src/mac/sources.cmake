# The files of the macOS adapter: built on macOS, compile-checked elsewhere (tests/mac). A name
# ending in "_macos14" marks the one helper that may call what macOS 14 added.
set(TIDYFRAME_MAC_SOURCES
  accessibility.mm activation_macos14.mm alerts.mm apple_event_permissions.mm apple_script_host.mm
  folder_bookmarks.mm folder_url_text.mm input_state.mm login_item.mm native_mac.mm preference_store.mm preferred_languages.mm
  system_information.mm system_log.mm user_defaults.mm volume_catalog.mm window_appearance.mm workspace.mm)
