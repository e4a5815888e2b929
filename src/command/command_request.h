#pragma once

#include <cstddef>
#include <expected>
#include <optional>
#include <string>
#include <string_view>

#include "model/finder_view_choice.h"
#include "model/grouping.h"

namespace tidyframe {

// What one subcommand asks for: the words of `tidyframe …` once parsed, and the request the
// running application receives over its channel. Paths are absolute by the time a request is
// made, so the application never depends on the caller's working folder.
enum class Subcommand {
  status,
  rulesList,
  rulesExplain,
  rulesAdd,
  rulesSet,
  rulesEnable,
  rulesDisable,
  rulesRemove,
  rulesExport,
  rulesImport,
  activity,
  on,
  off,
};

template <>
struct RawCases<Subcommand> {
  static constexpr std::array<std::pair<Subcommand, std::string_view>, 13> cases{{
      {Subcommand::status, "status"},
      {Subcommand::rulesList, "rules list"},
      {Subcommand::rulesExplain, "rules explain"},
      {Subcommand::rulesAdd, "rules add"},
      {Subcommand::rulesSet, "rules set"},
      {Subcommand::rulesEnable, "rules enable"},
      {Subcommand::rulesDisable, "rules disable"},
      {Subcommand::rulesRemove, "rules remove"},
      {Subcommand::rulesExport, "rules export"},
      {Subcommand::rulesImport, "rules import"},
      {Subcommand::activity, "activity"},
      {Subcommand::on, "on"},
      {Subcommand::off, "off"},
  }};
};

// The fields `rules add` and `rules set` may give a rule; absent ones keep their value (or,
// for a new rule, take the panel's defaults).
struct RuleChanges {
  std::optional<std::string> name;
  std::optional<Grouping> grouping;
  std::optional<Sorting> sorting;
  // A view of the rule's own, or (an empty inner value) none: the place follows the global view.
  std::optional<std::optional<FinderViewChoice>> view;
  std::optional<bool> includeChildren;
  std::optional<bool> excluded;

  bool empty() const { return !name && !grouping && !sorting && !view && !includeChildren && !excluded; }
  friend bool operator==(const RuleChanges&, const RuleChanges&) = default;
};

struct CommandRequest {
  Subcommand command = Subcommand::status;
  // The folder of `rules explain` and `rules add`, the file of `rules export` and `rules import`.
  std::string path;
  // An id, a unique name or a path: the rule `rules set|enable|disable|remove` acts on.
  std::string rule;
  // `rules explain`: the volume holding the folder and whether it is external. Without either,
  // both are taken from the mounted volumes.
  std::optional<std::string> volumeID;
  bool external = false;
  // `rules add --device`: a rule for the volume mounted at `path`.
  bool device = false;
  RuleChanges changes;
  // `rules import --yes`: carry the import out rather than describe it.
  bool confirmed = false;
  // `activity -n`.
  int count = 10;
  bool json = false;

  friend bool operator==(const CommandRequest&, const CommandRequest&) = default;
};

// What a subcommand answers: the exit status and the texts for standard output and error.
struct CommandAnswer {
  int status = 0;
  std::string output;
  std::string error;

  friend bool operator==(const CommandAnswer&, const CommandAnswer&) = default;
};

// The channel's messages: one line of compact JSON each way. The decoders take bytes from
// whoever could connect, so they check every field (its type, its raw value, a path's form, a
// text's length and encoding), refuse unknown and repeated keys and anything nested, and
// never read more than the limits below.
// The word that gives a rule no view of its own, beside the view names.
inline constexpr std::string_view followDefaultView = "default";

namespace CommandMessages {

inline constexpr std::size_t maximumRequestSize = 64 * 1024;
inline constexpr std::size_t maximumAnswerSize = 32 * 1024 * 1024;
inline constexpr std::size_t maximumTextSize = 4096;
inline constexpr int maximumActivityCount = 500;

// The request as one line, its line feed included.
std::string encode(const CommandRequest& request);
// `line` without its line feed.
std::expected<CommandRequest, std::string> decodeRequest(std::string_view line);

std::string encode(const CommandAnswer& answer);
std::expected<CommandAnswer, std::string> decodeAnswer(std::string_view line);

// What the arguments of `command` must satisfy, whoever built the request: the fields it
// needs, absolute paths, a count within bounds, texts without control characters.
std::expected<void, std::string> check(const CommandRequest& request);

}  // namespace CommandMessages

}  // namespace tidyframe
