#include "command/subcommand_line.h"

#include <algorithm>
#include <array>
#include <vector>

#include "base/unicode.h"

namespace tidyframe::SubcommandLine {

namespace {

struct Option {
  std::string_view name;
  bool takesValue;
};

constexpr Option json{"--json", false};
constexpr Option name{"--name", true};
constexpr Option group{"--group", true};
constexpr Option sort{"--sort", true};
constexpr Option view{"--view", true};

// Options each command accepts, and what its one operand (if any) is.
struct Form {
  Subcommand command;
  std::string_view operand;
  std::vector<Option> options;
};

const std::vector<Form>& forms() {
  static const std::vector<Form> table{
      {Subcommand::status, {}, {json}},
      {Subcommand::rulesList, {}, {json}},
      {Subcommand::rulesExplain, "PATH", {{"--device", true}, {"--external", false}, json}},
      {Subcommand::rulesAdd, "PATH", {name, group, sort, view, {"--no-subfolders", false}, {"--exclude", false}, {"--device", false}, json}},
      {Subcommand::rulesSet, "RULE",
       {name, group, sort, view, {"--subfolders", false}, {"--no-subfolders", false}, {"--exclude", false}, {"--include", false}, json}},
      {Subcommand::rulesEnable, "RULE", {json}},
      {Subcommand::rulesDisable, "RULE", {json}},
      {Subcommand::rulesRemove, "RULE", {}},
      {Subcommand::rulesExport, "FILE", {}},
      {Subcommand::rulesImport, "FILE", {{"--yes", false}}},
      {Subcommand::activity, {}, {{"-n", true}, json}},
      {Subcommand::on, {}, {}},
      {Subcommand::off, {}, {}},
  };
  return table;
}

std::string inQuotes(std::string_view text) { return "'" + std::string(text) + "'"; }
std::unexpected<std::string> refuse(std::string why) { return std::unexpected(std::move(why)); }

template <class E>
std::string rawList() {
  std::string list;
  for (const auto& [value, raw] : allCasesWithRaw<E>()) list += (list.empty() ? "" : " ") + std::string(raw);
  return list;
}

template <class E>
std::expected<E, std::string> rawArgument(std::string_view option, std::string_view value) {
  if (const auto parsed = fromRaw<E>(value)) return *parsed;
  return refuse(inQuotes(value) + " is no value of " + std::string(option) + " (one of: " + rawList<E>() + ")");
}

std::expected<int, std::string> countArgument(std::string_view value) {
  int count = 0;
  for (const char c : value) {
    if (c < '0' || c > '9' || count > CommandMessages::maximumActivityCount) { count = 0; break; }
    count = count * 10 + (c - '0');
  }
  if (count < 1 || count > CommandMessages::maximumActivityCount) {
    return refuse("-n takes a number from 1 to " + std::to_string(CommandMessages::maximumActivityCount));
  }
  return count;
}

std::string absolute(std::string_view path, const std::filesystem::path& workingFolder) {
  const std::filesystem::path given(path);
  return (given.is_absolute() ? given : workingFolder / given).lexically_normal().string();
}

std::expected<void, std::string> apply(CommandRequest& request, std::string_view option, std::string_view value) {
  auto& changes = request.changes;
  if (option == "--json") request.json = true;
  else if (option == "--external") request.external = true;
  else if (option == "--yes") request.confirmed = true;
  else if (option == "--name") changes.name = std::string(value);
  else if (option == "--subfolders" || option == "--no-subfolders") changes.includeChildren = option == "--subfolders";
  else if (option == "--exclude" || option == "--include") changes.excluded = option == "--exclude";
  else if (option == "--device" && request.command == Subcommand::rulesAdd) request.device = true;
  else if (option == "--device") request.volumeID = std::string(value);
  else if (option == "--group") {
    auto grouping = rawArgument<Grouping>(option, value);
    if (!grouping) return std::unexpected(grouping.error());
    changes.grouping = *grouping;
  } else if (option == "--sort") {
    auto sorting = rawArgument<Sorting>(option, value);
    if (!sorting) return std::unexpected(sorting.error());
    changes.sorting = *sorting;
  } else if (option == "--view" && value == followDefaultView) {
    changes.view.emplace();
  } else if (option == "--view") {
    auto chosen = rawArgument<FinderViewChoice>(option, value);
    if (!chosen) return std::unexpected(chosen.error() + " or " + std::string(followDefaultView));
    changes.view = *chosen;
  } else if (option == "-n") {
    auto count = countArgument(value);
    if (!count) return std::unexpected(count.error());
    request.count = *count;
  }
  return {};
}

// The command the first one or two words name, and how many words that took.
std::expected<std::pair<Subcommand, std::size_t>, std::string> command(std::span<const std::string_view> words) {
  if (words[0] != "rules") {
    const auto found = fromRaw<Subcommand>(words[0]);
    if (!found) return refuse("unknown command " + inQuotes(words[0]));
    return std::pair{*found, std::size_t{1}};
  }
  if (words.size() < 2) return refuse("'rules' needs a command: list, explain, add, set, enable, disable, remove, export or import");
  const auto found = fromRaw<Subcommand>("rules " + std::string(words[1]));
  if (!found) return refuse("unknown command " + inQuotes("rules " + std::string(words[1])));
  return std::pair{*found, std::size_t{2}};
}

std::expected<CommandRequest, std::string> request(const Form& form, std::span<const std::string_view> words,
                                                   const std::filesystem::path& workingFolder) {
  CommandRequest request;
  request.command = form.command;
  std::vector<std::string_view> operands;
  std::vector<std::string_view> seen;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const auto word = words[i];
    if (!word.starts_with('-') || word == "-") {
      operands.push_back(word);
      continue;
    }
    const auto option = std::ranges::find(form.options, word, &Option::name);
    if (option == form.options.end()) return refuse("unknown option " + inQuotes(word) + " for " + inQuotes(rawValue(form.command)));
    if (std::ranges::find(seen, word) != seen.end()) return refuse(inQuotes(word) + " given twice");
    seen.push_back(word);
    if (option->takesValue && i + 1 == words.size()) return refuse(inQuotes(word) + " needs a value");
    if (auto applied = apply(request, word, option->takesValue ? words[++i] : std::string_view{}); !applied) {
      return std::unexpected(applied.error());
    }
  }
  const std::size_t wanted = form.operand.empty() ? 0 : 1;
  if (operands.size() != wanted) {
    if (wanted == 0) return refuse(inQuotes(rawValue(form.command)) + " takes no " + inQuotes(operands.front()));
    return refuse(inQuotes(rawValue(form.command)) + " needs one " + std::string(form.operand));
  }
  if (wanted == 1) {
    const auto operand = operands.front();
    if (form.operand == "RULE") request.rule = std::string(operand);
    else request.path = absolute(operand, workingFolder);
  }
  if (form.command == Subcommand::rulesSet && request.changes.empty()) return refuse("'rules set' needs something to change");
  if (auto checked = CommandMessages::check(request); !checked) return std::unexpected(checked.error());
  return request;
}

constexpr std::array<std::string_view, 6> firstWords{"status", "rules", "activity", "on", "off", "completions"};

}  // namespace

bool startsSubcommand(std::string_view word) { return std::ranges::find(firstWords, word) != firstWords.end(); }

std::expected<Parsed, std::string> parse(std::span<const std::string_view> arguments,
                                         const std::filesystem::path& workingFolder) {
  if (arguments.empty() || !startsSubcommand(arguments[0])) return refuse("no command given");
  if (std::ranges::find(arguments, "--help") != arguments.end()) return Parsed{Parsed::Kind::help, {}, {}};
  for (const auto argument : arguments) {
    if (!unicode::isValidUtf8(argument)) return refuse(inQuotes(unicode::repairedUtf8(argument)) + " is not valid UTF-8");
  }
  if (arguments[0] == "completions") {
    if (arguments.size() != 2 || (arguments[1] != "bash" && arguments[1] != "zsh")) {
      return refuse("'completions' takes one shell: bash or zsh");
    }
    return Parsed{Parsed::Kind::completions, {}, std::string(arguments[1])};
  }
  const auto named = command(arguments);
  if (!named) return std::unexpected(named.error());
  const auto& form = *std::ranges::find(forms(), named->first, &Form::command);
  auto parsed = request(form, arguments.subspan(named->second), workingFolder);
  if (!parsed) return std::unexpected(parsed.error());
  return Parsed{Parsed::Kind::request, std::move(*parsed), {}};
}

std::string usage() {
  return "usage: tidyframe <command> [options]\n"
         "  status [--json]                      whether Tidyframe runs, its switch, permissions and current folder\n"
         "  rules list [--json]                  every rule in the panel's order\n"
         "  rules explain PATH [--device UUID] [--external] [--json]\n"
         "                                       which rule applies to a folder, and why\n"
         "  rules add PATH [--name N] [--group G] [--sort S] [--view V] [--no-subfolders] [--exclude] [--device]\n"
         "                 [--json]\n"
         "                                       a rule for a folder, or with --device for the volume mounted there\n"
         "  rules set RULE [--name N] [--group G] [--sort S] [--view V] [--subfolders | --no-subfolders]\n"
         "                 [--exclude | --include] [--json]\n"
         "  rules enable|disable RULE [--json]\n"
         "  rules remove RULE\n"
         "  rules export FILE                    write the rules in their portable form\n"
         "  rules import FILE [--yes]            show what importing FILE changes; --yes imports it\n"
         "  activity [-n N] [--json]             the newest N entries of the activity log (10)\n"
         "  on | off                             switch automatic arrangement on or off\n"
         "  completions bash|zsh                 print a completion script for the shell\n"
         "RULE is a rule's id, its name when no other rule has it, or its path.\n"
         "groupings (G): " + rawList<Grouping>() + "\n"
         "sortings (S):  " + rawList<Sorting>() + "\n"
         "views (V):     " + rawList<FinderViewChoice>() + ", or " + std::string(followDefaultView) +
         " for the global view\n"
         "Exit status: 0 done, 1 could not be done, 2 usage error.\n";
}

namespace {

std::string views() { return rawList<FinderViewChoice>() + " " + std::string(followDefaultView); }

std::string bashCompletions() {
  return "# bash completion for tidyframe\n"
         "_tidyframe_words() {\n"
         "  mapfile -t COMPREPLY < <(compgen -W \"$1\" -- \"$2\")\n"
         "}\n"
         "_tidyframe() {\n"
         "  local cur=\"${COMP_WORDS[COMP_CWORD]}\" prev=\"${COMP_WORDS[COMP_CWORD-1]}\" options=\"\"\n"
         "  case \"$prev\" in\n"
         "    --group) _tidyframe_words \"" + rawList<Grouping>() + "\" \"$cur\"; return ;;\n"
         "    --sort) _tidyframe_words \"" + rawList<Sorting>() + "\" \"$cur\"; return ;;\n"
         "    --view) _tidyframe_words \"" + views() + "\" \"$cur\"; return ;;\n"
         "    --name|-n) return ;;\n"
         "  esac\n"
         "  if [ \"$COMP_CWORD\" -eq 1 ]; then\n"
         "    _tidyframe_words \"status rules activity on off completions --help --version\" \"$cur\"; return\n"
         "  fi\n"
         "  case \"${COMP_WORDS[1]}\" in\n"
         "    rules)\n"
         "      if [ \"$COMP_CWORD\" -eq 2 ]; then\n"
         "        _tidyframe_words \"list explain add set enable disable remove export import\" \"$cur\"; return\n"
         "      fi\n"
         "      case \"${COMP_WORDS[2]}\" in\n"
         "        list|enable|disable) options=\"--json\" ;;\n"
         "        explain) options=\"--device --external --json\" ;;\n"
         "        add) options=\"--name --group --sort --view --no-subfolders --exclude --device --json\" ;;\n"
         "        set) options=\"--name --group --sort --view --subfolders --no-subfolders --exclude --include --json\" ;;\n"
         "        import) options=\"--yes\" ;;\n"
         "      esac ;;\n"
         "    status) options=\"--json\" ;;\n"
         "    activity) options=\"-n --json\" ;;\n"
         "    completions) _tidyframe_words \"bash zsh\" \"$cur\"; return ;;\n"
         "  esac\n"
         "  if [[ \"$cur\" == -* ]]; then _tidyframe_words \"$options\" \"$cur\"; fi\n"
         "}\n"
         "complete -o default -F _tidyframe tidyframe\n";
}

std::string zshCompletions() {
  const std::string groups = "'--group[grouping]:grouping:(" + rawList<Grouping>() + ")'";
  const std::string sorts = "'--sort[sorting]:sorting:(" + rawList<Sorting>() + ")' '--view[view]:view:(" + views() + ")'";
  return "#compdef tidyframe\n"
         "_tidyframe() {\n"
         "  if (( CURRENT == 2 )); then\n"
         "    _values command status rules activity on off completions --help --version\n"
         "    return\n"
         "  fi\n"
         "  case $words[2] in\n"
         "    status) _arguments '--json[JSON output]' ;;\n"
         "    activity) _arguments '-n[number of entries]:count:' '--json[JSON output]' ;;\n"
         "    completions) _values shell bash zsh ;;\n"
         "    rules)\n"
         "      if (( CURRENT == 3 )); then\n"
         "        _values 'rules command' list explain add set enable disable remove export import\n"
         "        return\n"
         "      fi\n"
         "      words=(\"${(@)words[3,-1]}\")\n"
         "      (( CURRENT -= 2 ))\n"
         "      case $words[1] in\n"
         "        list|enable|disable) _arguments '--json[JSON output]' '*:rule:' ;;\n"
         "        explain) _arguments '--device[volume UUID]:uuid:' '--external[on an external volume]' "
         "'--json[JSON output]' '1:folder:_files -/' ;;\n"
         "        add) _arguments '--name[rule name]:name:' " + groups + " " + sorts + " "
         "'--no-subfolders[this folder only]' '--exclude[keep the Finder settings]' '--device[rule for the volume]' "
         "'--json[JSON output]' '1:folder:_files -/' ;;\n"
         "        set) _arguments '--name[rule name]:name:' " + groups + " " + sorts + " "
         "'--subfolders[include subfolders]' '--no-subfolders[this folder only]' '--exclude[keep the Finder settings]' "
         "'--include[arrange again]' '--json[JSON output]' '1:rule:' ;;\n"
         "        remove) _arguments '1:rule:' ;;\n"
         "        export) _arguments '1:file:_files' ;;\n"
         "        import) _arguments '--yes[import without asking]' '1:file:_files -g \"*.json\"' ;;\n"
         "      esac ;;\n"
         "  esac\n"
         "}\n"
         "_tidyframe \"$@\"\n";
}

}  // namespace

std::string completions(std::string_view shell) { return shell == "zsh" ? zshCompletions() : bashCompletions(); }

}  // namespace tidyframe::SubcommandLine
