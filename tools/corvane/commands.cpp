#include "commands.hpp"

#include <sstream>

#include "command_line.hpp"
#include "subcommands.hpp"

namespace corvane::cli {

std::optional<Command> command_for(const std::vector<std::string>& words) {
  std::ostringstream ignored;
  auto parsed = parse_command_line(words, ignored, ignored);
  auto* invocation = std::get_if<Invocation>(&parsed);
  if (invocation == nullptr) return std::nullopt;
  auto action =
      invocation->subcommand->prepare(invocation->options, invocation->lead, InputKind::Files);
  auto* command = std::get_if<Action>(&action);
  if (command == nullptr || !std::holds_alternative<Command>(*command)) return std::nullopt;
  return std::get<Command>(std::move(*command));
}

std::optional<Command> command_named(std::string_view name) {
  std::string_view head = name;
  std::optional<std::string> lead;
  if (const std::size_t colon = name.find(':'); colon != std::string_view::npos) {
    head = name.substr(0, colon);
    lead = std::string(name.substr(colon + 1));
  }
  std::vector<std::string> words;
  for (const Subcommand& s : subcommands()) {
    if (s.name == head) words = {std::string(s.name)};
    for (const auto& [preset, options] : s.presets) {
      if (preset != head) continue;
      words = {std::string(s.name)};
      std::istringstream split{std::string(options)};
      for (std::string word; split >> word;) words.push_back(word);
    }
  }
  if (words.empty()) return std::nullopt;
  const Subcommand* sub = find_subcommand(words.front());
  // A leading argument is given exactly where the subcommand takes one.
  if (lead.has_value() != (sub->lead_choices != nullptr)) return std::nullopt;
  if (lead) words.push_back(*lead);
  return command_for(words);
}

std::vector<std::string> command_names() {
  std::vector<std::string> names;
  for (const Subcommand& s : subcommands()) {
    std::vector<std::string> heads;
    if (std::none_of(s.presets.begin(), s.presets.end(),
                     [&s](const auto& p) { return p.first == s.name; })) {
      heads.emplace_back(s.name);
    }
    for (const auto& preset : s.presets) heads.emplace_back(preset.first);
    const std::vector<std::string> leads =
        s.lead_choices != nullptr ? s.lead_choices() : std::vector<std::string>{""};
    for (const std::string& head : heads) {
      for (const std::string& lead : leads) {
        const std::string name = s.lead_choices != nullptr ? head + ":" + lead : head;
        if (command_named(name)) names.push_back(name);
      }
    }
  }
  return names;
}

}  // namespace corvane::cli
