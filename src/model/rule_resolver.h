#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/preferences.h"

namespace tidyframe {

class L;

// Which grouping, sorting and view apply to a folder, and why. Precedence: the scope switch, then
// the deepest matching folder rule, then the first matching device rule, then the global
// default. Paths compare case-sensitively after normalisation, with canonically equivalent
// Unicode forms equal and containment on whole path components.
namespace RuleResolver {

// The canonical form of a path: absolute (relative paths are taken from the current
// directory), "." and ".." resolved lexically (".." at the root stays at the root), repeated
// "/" collapsed, no trailing "/" except for the root itself, NFC. Ill-formed UTF-8 is
// repaired with U+FFFD. Symbolic links are not followed; the file system is not consulted.
std::string normalized(std::string_view path);
// Whether normalized() would give `path` back unchanged; cheap for a clean ASCII path.
bool isNormalized(std::string_view path);

// Whether `child` is `parent` or lies below it.
bool contains(std::string_view parent, std::string_view child);

// Whether a device rule belongs to the volume with `uuid` mounted at `path`: by UUID when the
// rule has one, by mount path only when it has none.
bool matchesDevice(const LocationRule& rule, const std::optional<std::string>& uuid, std::string_view path);

EffectiveRule resolve(std::string_view path, const std::optional<std::string>& volumeID, bool isExternal,
                      const Preferences& preferences, const L& l);

}  // namespace RuleResolver

// The rules of one Preferences value with their paths normalised once, so that resolving a
// folder costs one normalisation instead of one per rule. Answers exactly what
// RuleResolver::resolve answers for the same preferences; rebuild it whenever they change.
class RuleIndex {
 public:
  explicit RuleIndex(const Preferences& preferences);

  EffectiveRule resolve(std::string_view path, const std::optional<std::string>& volumeID, bool isExternal,
                        const L& l) const;

 private:
  struct Entry {
    std::string name;
    std::string path;
    std::size_t length;
    std::optional<std::string> volumeID;
    bool includeChildren;
    bool excluded;
    Grouping grouping;
    Sorting sorting;
    std::optional<FinderViewChoice> view;
  };

  const Entry* deepestFolderRule(const std::string& path) const;
  const Entry* firstDeviceRule(const std::string& path, const std::optional<std::string>& volumeID) const;

  Grouping grouping_;
  Sorting sorting_;
  bool internalEnabled_;
  bool externalEnabled_;
  FinderViewChoice view_;
  std::vector<Entry> folderRules_;
  std::vector<Entry> deviceRules_;
};

}  // namespace tidyframe
