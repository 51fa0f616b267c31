#include "command_line.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <iostream>
#include <cctype>
#include <deque>

#include <CLI/CLI.hpp>

#include "corvane/version.hpp"
#include "vocabularies.hpp"

namespace corvane::cli {

namespace {

constexpr const char* kMainFooter = R"(Examples:
  corvane coords 0xDA550000 84 108 0          map text of a position: 33.5S, 72.7E, 0.0Z
  corvane coords -p 2 < positions.txt         one map text per input line
  corvane locate "33.5S, 72.7E"               the position of a map text
  corvane coords a.txt b.txt                  files as input ('-' is stdin)
  corvane inspect 0xA9B40019 84 7.1 94        everything about one position
  corvane measure 0 10 10 0 0x01000000 10 10 0
  corvane enum SpellCategory 519              which spell category is 519
  corvane flags CoverageMask 0x1C00           what a coverage mask means
  corvane fingerprint --explain 0.7071068 7   the fingerprint of values
  corvane fingerprint --whole < values.txt    one fingerprint of a whole stream
  corvane plot -o map.svg < positions.txt     draw positions on the world map
  corvane help coords                         the options and examples of one subcommand

Input lines hold fields separated by blanks or commas; ids are decimal or
hexadecimal after 0x; '#' starts a comment. Exit status: 0 when every line
converted, 1 when some lines failed (each reported in place as "ERROR: ..."
and on standard error), 2 for a usage error. See corvane(1).)";

/// Where CLI11 stores what it parses for one subcommand.
struct Storage {
  const Subcommand* subcommand = nullptr;
  CLI::App* app = nullptr;
  OptionValues options;
  std::string lead;
  std::vector<std::string> arguments;
  std::string format = "text";
  bool echo = false;
  bool files = false;
};

/// The CLI11 application for the whole table.
struct Parser {
  CLI::App app{
      "corvane: positions, map coordinates, vocabularies, flags and fingerprints of the "
      "corvane world, as the corvane_common library computes them.",
      "corvane"};
  std::deque<Storage> storage;  // stable addresses for CLI11's bindings

  Parser() {
    app.set_version_flag("--version", std::string("corvane ") + CORVANE_VERSION_STRING,
                         "Print the version and exit");
    app.require_subcommand(1);
    app.footer(kMainFooter);
    for (const Subcommand& s : subcommands()) add(s);
    app.add_subcommand("help", "The options and examples of a subcommand: corvane help SUB");
  }

  void add(const Subcommand& s) {
    Storage& st = storage.emplace_back();
    st.subcommand = &s;
    CLI::App* sub = app.add_subcommand(std::string(s.name), std::string(s.summary));
    st.app = sub;
    for (const OptionSpec& o : s.options) {
      const std::string key = long_name(o.names);
      if (o.takes_value) {
        st.options.texts[key] = std::string(o.default_value);
        CLI::Option* option =
            sub->add_option(std::string(o.names), st.options.texts[key], std::string(o.help));
        if (!o.default_value.empty()) option->capture_default_str();
        if (!o.choices.empty()) {
          option->check(
              CLI::IsMember(std::vector<std::string>(o.choices.begin(), o.choices.end())));
        }
      } else {
        st.options.flags[key] = false;
        sub->add_flag(std::string(o.names), st.options.flags[key], std::string(o.help));
      }
    }
    if (s.streams) {
      sub->add_option("--format", st.format,
                      "Output format: text, json (one object per line) or csv")
          ->check(CLI::IsMember({"text", "json", "csv"}))
          ->capture_default_str();
      sub->add_flag("-E,--echo", st.echo,
                    "Text output: print each input line, a tab, then its result");
    }
    sub->add_flag("--files", st.files,
                  "Read every argument as a file name, even one that does not exist (put -- "
                  "before arguments to read them as data, even one that names a file)");
    if (!s.lead_name.empty()) {
      sub->add_option(std::string(s.lead_name), st.lead, std::string(s.lead_help));
    }
    sub->add_option(std::string(s.input_name), st.arguments, std::string(s.input_help));
    sub->footer(std::string(s.footer));
  }

  static std::string long_name(std::string_view names) {
    const std::size_t at = names.rfind("--");
    return std::string(at == std::string_view::npos ? names : names.substr(at + 2));
  }
};

/// "-inf" and "-nan" look like options to any parser.
bool is_negative_non_finite(std::string_view arg) noexcept {
  return equal_ignoring_case(arg, "-inf") || equal_ignoring_case(arg, "-infinity") ||
         equal_ignoring_case(arg, "-nan");
}

bool looks_like_option(const std::string& arg) {
  if (arg.size() < 2 || arg[0] != '-') return false;
  if (is_negative_non_finite(arg)) return false;
  const unsigned char c = static_cast<unsigned char>(arg[1]);
  return arg[1] == '-' || std::isalpha(c) != 0;
}

/// The option names of a subcommand as they are typed ("-p", "--precision").
std::vector<std::string> option_names(const Subcommand& s) {
  std::vector<std::string> names = {"-h", "--help"};
  const auto add = [&names](std::string_view spec) {
    while (!spec.empty()) {
      const std::size_t comma = spec.find(',');
      names.emplace_back(spec.substr(0, comma));
      if (comma == std::string_view::npos) break;
      spec.remove_prefix(comma + 1);
    }
  };
  for (const OptionSpec& o : s.options) add(o.names);
  if (s.streams) add("--format,-E,--echo");
  add("--files");
  return names;
}

bool is_known_option(const std::vector<std::string>& known, const std::string& arg) {
  if (arg == "--") return true;
  std::string name = arg;
  if (name.starts_with("--")) {
    name = name.substr(0, name.find('='));
  } else {
    name = name.substr(0, 2);  // "-p2", "-Ep"
  }
  return std::find(known.begin(), known.end(), name) != known.end();
}

int usage_error(std::ostream& err, const std::string& message) {
  err << "corvane: " << message << "\nRun 'corvane --help' for more information.\n";
  return kExitUsage;
}

std::vector<std::string_view> subcommand_names() {
  std::vector<std::string_view> names;
  for (const Subcommand& s : subcommands()) names.push_back(s.name);
  names.emplace_back("help");
  return names;
}

std::string unknown_subcommand(const std::string& name) {
  const std::vector<std::string_view> names = subcommand_names();
  return "unknown subcommand " + quote(name) + did_you_mean(suggest(name, names));
}

/// Help or version text written; a failed write is an error like any other.
int written(std::ostream& out, std::ostream& err, int status) {
  out.flush();
  if (out) return status;
  const int failure = output_failure(err, "the output", errno, &out == &std::cout ? 1 : -1);
  return failure == 0 ? status : kExitSomeFailed;
}

/// The usage error CLI11 reported, in words that help: an unknown option
/// with suggestions, or a hint about values that look like options.
std::string explain_parse_error(const CLI::ParseError& e, const std::vector<std::string>& args,
                                const Subcommand* sub) {
  bool after_dashes = false;
  for (std::size_t i = sub != nullptr ? 1 : 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") after_dashes = true;
    if (after_dashes || !looks_like_option(arg)) continue;
    const std::vector<std::string> known =
        sub != nullptr ? option_names(*sub) : std::vector<std::string>{"-h", "--help", "--version"};
    if (is_known_option(known, arg)) continue;
    const std::string typed = arg.substr(0, arg.find('='));
    const std::vector<std::string_view> candidates(known.begin(), known.end());
    return "unknown option " + quote(typed) +
           (sub != nullptr ? " for 'corvane " + std::string(sub->name) + "'" : std::string()) +
           did_you_mean(suggest(typed, candidates));
  }
  std::string message = e.what();
  for (const std::string& arg : args) {
    if (is_negative_non_finite(arg)) {
      message += " (put -- before values such as -inf: corvane coords -- 0 0 0 -inf)";
      break;
    }
  }
  return message;
}

}  // namespace

std::variant<Invocation, int> parse_command_line(const std::vector<std::string>& args,
                                                 std::ostream& out, std::ostream& err) {
  Parser parser;
  // Run bare, the tool shows what it can do (still a usage error: nothing ran).
  if (args.empty()) {
    out << parser.app.help();
    return written(out, err, kExitUsage);
  }
  const std::string& first = args.front();
  if (first == "help") {
    if (args.size() == 1 || args[1] == "--help" || args[1] == "-h" || args[1] == "help") {
      out << parser.app.help();
      return written(out, err, kExitOk);
    }
    for (const Storage& st : parser.storage) {
      if (st.subcommand->name == args[1]) {
        out << st.app->help("corvane");
        return written(out, err, kExitOk);
      }
    }
    return usage_error(err, unknown_subcommand(args[1]));
  }
  if (!first.starts_with("-") && find_subcommand(first) == nullptr) {
    return usage_error(err, unknown_subcommand(first));
  }
  const Subcommand* sub = find_subcommand(first);

  // CLI11 takes its arguments last first.
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    parser.app.parse(reversed);
  } catch (const CLI::CallForHelp& e) {
    return written(out, err, parser.app.exit(e, out, err));
  } catch (const CLI::CallForAllHelp& e) {
    return written(out, err, parser.app.exit(e, out, err));
  } catch (const CLI::CallForVersion& e) {
    return written(out, err, parser.app.exit(e, out, err));
  } catch (const CLI::ParseError& e) {
    return usage_error(err, explain_parse_error(e, args, sub));
  }

  for (Storage& st : parser.storage) {
    if (!st.app->parsed()) continue;
    Invocation inv;
    inv.subcommand = st.subcommand;
    inv.options = std::move(st.options);
    for (const OptionSpec& o : st.subcommand->options) {
      const std::string key = Parser::long_name(o.names);
      inv.options.seen[key] = st.app->count(Parser::long_name(o.names).insert(0, "--")) > 0;
    }
    if (!st.subcommand->lead_name.empty() &&
        st.app->count(std::string(st.subcommand->lead_name)) > 0) {
      inv.lead = st.lead;
    }
    inv.arguments = std::move(st.arguments);
    inv.format = parse_format(st.format).value_or(Format::Text);
    inv.echo = st.echo;
    // "--" ends the options, and says that the arguments are data.
    const auto dashes = std::find(args.begin(), args.end(), "--");
    if (st.files) {
      inv.forced = InputKind::Files;
    } else if (dashes != args.end()) {
      inv.forced = InputKind::Arguments;
    }
    if (inv.echo && inv.format != Format::Text) {
      err << "corvane: note: -E changes text output only; JSON objects and CSV rows always "
             "hold their input line\n";
    }
    return inv;
  }
  return usage_error(err, "no subcommand given");
}

InputKind input_kind(const Invocation& invocation) {
  const std::vector<std::string>& args = invocation.arguments;
  if (args.empty()) return InputKind::None;
  if (invocation.forced) return *invocation.forced;
  const std::string& first = args.front();
  struct stat info {};
  if (first == "-" || ::stat(first.c_str(), &info) == 0) return InputKind::Files;
  return InputKind::Arguments;
}

}  // namespace corvane::cli
