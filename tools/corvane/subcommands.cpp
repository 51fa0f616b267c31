#include "subcommands.hpp"

#include <cerrno>
#include <charconv>
#include <fstream>

#include "fingerprint.hpp"
#include "map_page.hpp"
#include "plot.hpp"
#include "positions.hpp"
#include "vocabularies.hpp"

namespace corvane::cli {

const std::string& OptionValues::text(std::string_view name) const {
  static const std::string kNone;
  const auto it = texts.find(name);
  return it != texts.end() ? it->second : kNone;
}

bool OptionValues::flag(std::string_view name) const {
  const auto it = flags.find(name);
  return it != flags.end() && it->second;
}

bool OptionValues::given(std::string_view name) const {
  const auto it = seen.find(name);
  return it != seen.end() && it->second;
}

namespace {

std::variant<Action, Error> just(Command command) {
  return Action{std::move(command)};
}

std::variant<std::size_t, Error> precision_option(const OptionValues& options) {
  const std::string& text = options.text("precision");
  std::size_t precision = 0;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), precision);
  if (ec != std::errc{} || ptr != text.data() + text.size() || precision > kMaxPrecision) {
    return Error{"--precision: " + quote(text) + " is not a whole number from 0 to " +
                 std::to_string(kMaxPrecision)};
  }
  return precision;
}

/// A position subcommand: the same command whatever the options.
Subcommand position_subcommand(std::string_view name, std::string_view summary,
                               std::string_view footer, Command (*make)()) {
  Subcommand s;
  s.name = name;
  s.summary = summary;
  s.footer = footer;
  s.input_name = "position";
  s.input_help = "ID X Y Z, repeated, or files ('-' is stdin); none reads stdin";
  s.group = 4;
  s.prepare = [make](const OptionValues&, const std::optional<std::string>&, InputKind) {
    return just(make());
  };
  return s;
}

/// enum and flags: a listing without a vocabulary or without input, lookups
/// otherwise.
std::variant<Action, Error> vocabulary_action(bool is_enum, const std::optional<std::string>& lead,
                                              InputKind input) {
  if (!lead) {
    if (is_enum) {
      return Action{Listing{[](std::ostream& out, Format f) { list_vocabularies(out, f); }}};
    }
    return Action{Listing{[](std::ostream& out, Format f) { list_flag_sets(out, f); }}};
  }
  const VocabularyRef ref = find_vocabulary(*lead);
  if (const auto* error = std::get_if<Error>(&ref)) return *error;
  if (const auto* const* e = std::get_if<const EnumVocabulary*>(&ref)) {
    if (!is_enum) {
      return Error{std::string((*e)->name) +
                   " is an enumeration, not a flag set; use 'corvane enum'"};
    }
    const EnumVocabulary* v = *e;
    if (input == InputKind::None) {
      return Action{Listing{[v](std::ostream& out, Format f) { list_members(out, f, *v); }}};
    }
    return just(make_enum_command(*v));
  }
  const FlagVocabulary* f = std::get<const FlagVocabulary*>(ref);
  if (is_enum) {
    return Error{std::string(f->name) + " is a flag set, not an enumeration; use 'corvane flags'"};
  }
  if (input == InputKind::None) {
    return Action{Listing{[f](std::ostream& out, Format fmt) { list_flags(out, fmt, *f); }}};
  }
  return just(make_flags_command(*f));
}

std::vector<std::string> enum_vocabulary_names() {
  std::vector<std::string> names;
  for (const EnumVocabulary& v : enum_vocabularies()) names.emplace_back(v.name);
  return names;
}

std::vector<std::string> flag_vocabulary_names() {
  std::vector<std::string> names;
  for (const FlagVocabulary& v : flag_vocabularies()) names.emplace_back(v.name);
  return names;
}

std::vector<Subcommand> build_table() {
  std::vector<Subcommand> table;

  {
    Subcommand s;
    s.name = "coords";
    s.summary = "Map coordinates of positions (ID X Y Z), from arguments, files or stdin";
    s.footer = R"(Examples:
  $ corvane coords 0xDA550000 84 108 0
  33.5S, 72.7E, 0.0Z
  $ corvane coords -p 2 0xDA550000 84 108 0 0x00000100 0 0 0
  33.55S, 72.75E, 0.0Z
  Indoors [0100]
  $ printf '0xDA550000, 84, 108, 0  # market\n' | corvane coords --format json)";
    s.options = {{"-p,--precision",
                  "Digits after the point for latitude and longitude (1 is the map text players "
                  "see; it leans downwards)",
                  true,
                  "1",
                  {}}};
    s.input_name = "position";
    s.input_help = "ID X Y Z, repeated, or files ('-' is stdin); none reads stdin";
    s.group = 4;
    s.prepare = [](const OptionValues& options, const std::optional<std::string>&,
                   InputKind) -> std::variant<Action, Error> {
      auto precision = precision_option(options);
      if (auto* error = std::get_if<Error>(&precision)) return *error;
      return just(make_coords_command(std::get<std::size_t>(precision)));
    };
    s.presets = {{"coords-p0", "-p 0"}, {"coords-p3", "-p 3"}};
    table.push_back(std::move(s));
  }

  {
    Subcommand s;
    s.name = "locate";
    s.summary = "Positions (ID X Y Z) of map texts: the inverse of coords";
    s.footer = R"(A map text is what coords writes, at any precision ("33.55S, 72.75E, 0.0Z"),
or typed: without the altitude, blanks instead of commas, lower-case letters.
It stands for the band of positions that print it and is located in the
middle of that band, so coords gives the same text back.
Examples:
  $ corvane locate "33.5S, 72.7E, 0.0Z"
  0xDA55001D 84.0 107.99927 0.0
  $ corvane locate 42n 33e
  0xA8B40031 144.0 0.0 0.0
  $ corvane locate "33.55S, 72.75E" | corvane coords -p 2)";
    s.input_name = "text";
    s.input_help =
        "Map texts (one per argument, or split at blanks), or files ('-' is stdin); none reads "
        "stdin";
    s.grouping = &map_text_groups;
    s.numeric_input = false;
    s.prepare = [](const OptionValues&, const std::optional<std::string>&, InputKind) {
      return just(make_locate_command());
    };
    table.push_back(std::move(s));
  }

  table.push_back(position_subcommand("inspect", "Everything the library knows about a position",
                                      "Example:\n  $ corvane inspect 0xA9B40019 -50 -10 94",
                                      &make_inspect_command));
  table.back().input_help = "ID X Y Z, or files ('-' is stdin); none reads stdin";

  table.push_back(position_subcommand(
      "rebucket", "Move positions into the landblock that contains their offset",
      "Example:\n  $ corvane rebucket 0xA9B40019 94 200 94\n  0xA9B50019 94.0 8.0 94.0",
      &make_rebucket_command));

  table.push_back(position_subcommand(
      "normalize", "Replace the cell number of outdoor positions by the one their offset lies in",
      "Example:\n  $ corvane normalize 0x34190039 0.3076171875 58.29931640625 13.145146\n"
      "  0x34190003 0.3076172 58.299316 13.145146",
      &make_normalize_command));

  table.push_back(position_subcommand(
      "measure", "Distance, heading and landblock distance between two positions",
      "Example:\n  $ corvane measure 0xDA55001C 84 84 0 0xDA55001D 84 100 0\n"
      "  distance 16.0 m, heading 1.5707964 rad (90.0 deg, north), landblock distance 0\n"
      "Headings are radians in [0, 2pi): 0 west, pi/2 north, pi east, 3pi/2 south.",
      &make_measure_command));
  table.back().input_name = "positions";
  table.back().input_help =
      "ID X Y Z ID X Y Z, repeated, or files ('-' is stdin); none reads stdin";
  table.back().group = 8;

  {
    Subcommand s;
    s.name = "enum";
    s.summary = "List the vocabularies, list a vocabulary's members, or look members up";
    s.footer = R"(Examples:
  $ corvane enum                          the vocabularies, member counts, widths
  $ corvane enum WieldType                every member with its value
  $ corvane enum PropertyAttribute2nd 5 Mana Helth
  5 (0x0005) = MaxMana
  Mana = 6 (0x0006)
  ERROR: no PropertyAttribute2nd member is named 'Helth'; did you mean 'Health'?)";
    s.lead_name = "vocabulary";
    s.lead_help = "An enumeration, e.g. SpellCategory";
    s.input_name = "values";
    s.input_help =
        "Values (decimal or 0x hex) or exact names, or files of one per line ('-' is stdin)";
    s.lead_choices = &enum_vocabulary_names;
    s.numeric_input = false;
    s.prepare = [](const OptionValues&, const std::optional<std::string>& lead, InputKind input) {
      return vocabulary_action(true, lead, input);
    };
    table.push_back(std::move(s));
  }

  {
    Subcommand s;
    s.name = "flags";
    s.summary = "Decode a flag mask into its named flags, or build a mask from names";
    s.footer = R"(Examples:
  $ corvane flags                         the flag sets
  $ corvane flags CoverageMask            the flag table
  $ corvane flags CoverageMask 0x1C00
  0x00001C00 = CHEST | ABDOMEN | UPPER_ARMS (Chest, Abdomen, Upper Arms)
  $ corvane flags CoverageMask CHEST HEAD 0x1)";
    s.lead_name = "vocabulary";
    s.lead_help = "A flag set, e.g. CoverageMask";
    s.input_name = "terms";
    s.input_help =
        "Masks and flag names, all joined into one mask, or files of one mask per line ('-' is "
        "stdin)";
    s.group = 0;
    s.lead_choices = &flag_vocabulary_names;
    s.numeric_input = false;
    s.prepare = [](const OptionValues&, const std::optional<std::string>& lead, InputKind input) {
      return vocabulary_action(false, lead, input);
    };
    table.push_back(std::move(s));
  }

  {
    Subcommand s;
    s.name = "fingerprint";
    s.summary = "Fold floats and integers into the 64-bit FNV-1a bake fingerprint";
    s.footer = R"(Values: an integer (7, 0x1F, -1) is a 32-bit word; a number with a point,
an exponent, nan or inf is a float. Prefixes decide: u:7 (word), f:7 (float),
bits:0x3F3504F4 (the float with these bits). Values given as arguments make
one fingerprint; lines of stdin or files make one each, or one in all with
--whole; --binary reads raw little-endian words as a bake pipeline writes them.
Examples:
  $ corvane fingerprint --explain 0.7071068 u:7
  $ seq 100000 109999 | corvane fingerprint --whole
  $ corvane fingerprint --binary f32 --canon lossless weights.bin)";
    s.options = {
        {"--canon",
         "How floats are canonicalised: sixdp or lossless",
         true,
         "sixdp",
         {"sixdp", "lossless"}},
        {"--explain", "Show each word's canonical bits and the running hash", false, "", {}},
        {"--whole", "One fingerprint of every value of the input, not one per line", false, "", {}},
        {"--binary",
         "Read raw little-endian 32-bit words (f32 or u32) instead of text",
         true,
         "",
         {"f32", "u32"}}};
    s.input_name = "values";
    s.input_help =
        "Values folded in order into one fingerprint, or files ('-' for stdin); none reads stdin";
    s.group = 1;
    s.prepare = [](const OptionValues& options, const std::optional<std::string>&,
                   InputKind input) -> std::variant<Action, Error> {
      FingerprintSettings settings;
      settings.canon = parse_canon(options.text("canon")).value_or(FloatCanon::SixDp);
      settings.explain = options.flag("explain");
      const std::string& binary = options.text("binary");
      if (!binary.empty()) {
        if (input == InputKind::Arguments) {
          return Error{"--binary reads files or standard input, not values on the command line"};
        }
        settings.binary = binary == "f32" ? BinaryWords::F32 : BinaryWords::U32;
        return Action{WholeRun{[settings](const Inputs& inputs, const RunOptions& output,
                                          std::ostream& out, std::ostream& err) mutable {
          settings.format = output.format;
          return fingerprint_whole_binary(inputs, settings, out, err);
        }}};
      }
      if (input == InputKind::Arguments || options.flag("whole")) {
        return Action{WholeRun{[settings](const Inputs& inputs, const RunOptions& output,
                                          std::ostream& out, std::ostream& err) mutable {
          settings.format = output.format;
          return fingerprint_whole_text(input_source(inputs), settings, out, err);
        }}};
      }
      return just(make_fingerprint_command(settings.canon, settings.explain));
    };
    s.presets = {{"fingerprint", "--explain"},
                 {"fingerprint-lossless", "--explain --canon lossless"}};
    table.push_back(std::move(s));
  }

  {
    Subcommand s;
    s.name = "plot";
    s.summary = "Draw positions on a map of the world: SVG, or a page to explore";
    s.footer = R"(A line's trailing comment labels its point. Offsets must be finite and
inside the world; a label that would overlap another is left out. The HTML
page opens from disk (Leaflet is inside it): hover a marker for its map text,
search an id or a map text.
Examples:
  $ printf '0xDA550000 84 108 0 # market\n0x00000100 0 0 0\n' | corvane plot -o map.svg
  $ corvane plot --html -o map.html positions.txt)";
    s.options = {{"-o,--output", "Write the map to this file instead of stdout", true, "", {}},
                 {"--html", "Write an HTML page to explore in a browser instead of an SVG", false,
                  "", {}},
                 {"--no-labels", "Draw the points without their map text", false, "", {}},
                 {"--extent", "Part of the world drawn: around the positions, or all of it", true,
                  "data", {"data", "world"}}};
    s.input_name = "positions";
    s.input_help = "ID X Y Z, repeated, or files ('-' is stdin); none reads stdin";
    s.group = 4;
    s.streams = false;
    s.prepare = [](const OptionValues& options, const std::optional<std::string>&, InputKind) {
      const std::string path = options.text("output");
      const PlotOptions plot{!options.flag("no-labels"),
                             options.text("extent") == "world" ? Extent::World : Extent::Data};
      const bool html = options.flag("html");
      return std::variant<Action, Error>{
          Action{WholeRun{[path, plot, html](const Inputs& inputs, const RunOptions&, std::ostream& out,
                                       std::ostream& err) -> int {
            std::size_t failed = 0;
            const std::vector<PlotPoint> points =
                read_plot_points(input_source(inputs), err, failed);
            const std::string map = html ? render_html(points, plot) : render_svg(points, plot);
            if (path.empty() || path == "-") {
              out << map;
            } else {
              errno = 0;
              std::ofstream file(path, std::ios::binary);
              file << map;
              file.close();
              if (!file) return output_failure(err, path, errno);
            }
            return failed == 0 ? 0 : 1;
          }}}};
    };
    table.push_back(std::move(s));
  }
  return table;
}

}  // namespace

std::span<const Subcommand> subcommands() {
  static const std::vector<Subcommand> table = build_table();
  return table;
}

const Subcommand* find_subcommand(std::string_view name) {
  for (const Subcommand& s : subcommands()) {
    if (s.name == name) return &s;
  }
  return nullptr;
}

}  // namespace corvane::cli
