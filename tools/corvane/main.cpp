// corvane: the library's answers at a shell prompt. Option parsing and the
// choice of input and output live here; everything that reads or writes a
// line is in the corvane_cli library.
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "corvane/version.hpp"
#include "fingerprint.hpp"
#include "plot.hpp"
#include "positions.hpp"
#include "stream.hpp"
#include "vocabularies.hpp"

namespace {

using namespace corvane::cli;

constexpr int kExitOk = 0;
constexpr int kExitSomeFailed = 1;
constexpr int kExitUsage = 2;

int usage_error(const std::string& message) {
  std::cerr << "corvane: " << message << "\nRun 'corvane --help' for more information.\n";
  return kExitUsage;
}

struct StreamFlags {
  std::string format = "text";
  bool echo = false;
};

void add_stream_flags(CLI::App& sub, StreamFlags& flags) {
  sub.add_option("--format", flags.format, "Output format: text, json (one object per line) or csv")
      ->check(CLI::IsMember({"text", "json", "csv"}))
      ->capture_default_str();
  sub.add_flag("-E,--echo", flags.echo, "Text output: print each input line, a tab, then its result");
}

RunOptions run_options(const StreamFlags& flags) {
  return RunOptions{parse_format(flags.format).value_or(Format::Text), flags.echo};
}

/// Arguments when there are any (and they are not just "-"), standard input
/// otherwise.
InputSource input_for(const std::vector<std::string>& args, std::size_t group) {
  if (args.empty() || (args.size() == 1 && args[0] == "-")) return stream_source(*std::cin.rdbuf());
  return argument_source(args, group);
}

/// Output that could not be written is a failure, never a silent success.
bool output_failed() {
  std::cout.flush();
  if (std::cout) return false;
  std::cerr << "corvane: cannot write the output\n";
  return true;
}

int finish(const RunStats& stats) {
  if (output_failed()) return kExitSomeFailed;
  return stats.failed == 0 ? kExitOk : kExitSomeFailed;
}

constexpr const char* kMainFooter = R"(Examples:
  corvane coords 0xDA550000 84 108 0          map text of a position: 33.5S, 72.7E, 0.0Z
  corvane coords -p 2 < positions.txt         one map text per input line
  corvane inspect 0xA9B40019 84 7.1 94        everything about one position
  corvane measure 0 10 10 0 0x01000000 10 10 0
  corvane enum SpellCategory 519              which spell category is 519
  corvane flags CoverageMask 0x1C00           what a coverage mask means
  corvane fingerprint --explain 0.7071068 7   the fingerprint of values
  corvane plot -o map.svg < positions.txt     draw positions on the world map

Input lines hold fields separated by blanks or commas; ids are decimal or
hexadecimal after 0x; '#' starts a comment. Exit status: 0 when every line
converted, 1 when some lines failed (each reported in place as "ERROR: ..."
and on standard error), 2 for a usage error. See corvane(1).)";

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);

  CLI::App app{
      "corvane: positions, map coordinates, vocabularies, flags and fingerprints of the "
      "corvane world, as the corvane_common library computes them.",
      "corvane"};
  app.set_version_flag("--version", std::string("corvane ") + CORVANE_VERSION_STRING,
                       "Print the version and exit");
  app.require_subcommand(1);
  app.footer(kMainFooter);

  // coords
  StreamFlags coords_flags;
  std::size_t precision = 1;
  std::vector<std::string> coords_args;
  CLI::App* coords = app.add_subcommand(
      "coords", "Map coordinates of positions (ID X Y Z), from arguments or one per stdin line");
  coords->add_option("-p,--precision", precision,
                     "Digits after the point for latitude and longitude (1 is the map text "
                     "players see; it leans downwards)")
      ->check(CLI::Range(std::size_t{0}, kMaxPrecision))
      ->capture_default_str();
  add_stream_flags(*coords, coords_flags);
  coords->add_option("position", coords_args, "ID X Y Z, repeated; '-' or none reads stdin");
  coords->footer(R"(Examples:
  $ corvane coords 0xDA550000 84 108 0
  33.5S, 72.7E, 0.0Z
  $ corvane coords -p 2 0xDA550000 84 108 0 0x00000100 0 0 0
  33.55S, 72.75E, 0.0Z
  Indoors [0100]
  $ printf '0xDA550000, 84, 108, 0  # market\n' | corvane coords --format json)");

  // inspect
  StreamFlags inspect_flags;
  std::vector<std::string> inspect_args;
  CLI::App* inspect = app.add_subcommand("inspect", "Everything the library knows about a position");
  add_stream_flags(*inspect, inspect_flags);
  inspect->add_option("position", inspect_args, "ID X Y Z; '-' or none reads stdin");
  inspect->footer("Example:\n  $ corvane inspect 0xA9B40019 -50 -10 94");

  // rebucket, normalize
  StreamFlags rebucket_flags;
  std::vector<std::string> rebucket_args;
  CLI::App* rebucket = app.add_subcommand(
      "rebucket", "Move positions into the landblock that contains their offset");
  add_stream_flags(*rebucket, rebucket_flags);
  rebucket->add_option("position", rebucket_args, "ID X Y Z, repeated; '-' or none reads stdin");
  rebucket->footer("Example:\n  $ corvane rebucket 0xA9B40019 94 200 94\n  0xA9B50019 94.0 8.0 94.0");

  StreamFlags normalize_flags;
  std::vector<std::string> normalize_args;
  CLI::App* normalize = app.add_subcommand(
      "normalize", "Replace the cell number of outdoor positions by the one their offset lies in");
  add_stream_flags(*normalize, normalize_flags);
  normalize->add_option("position", normalize_args, "ID X Y Z, repeated; '-' or none reads stdin");
  normalize->footer(
      "Example:\n  $ corvane normalize 0x34190039 0.3076171875 58.29931640625 13.145146\n"
      "  0x34190003 0.30761719 58.299316 13.145146");

  // measure
  StreamFlags measure_flags;
  std::vector<std::string> measure_args;
  CLI::App* measure = app.add_subcommand(
      "measure", "Distance, heading and landblock distance between two positions");
  add_stream_flags(*measure, measure_flags);
  measure->add_option("positions", measure_args,
                      "ID X Y Z ID X Y Z, repeated; '-' or none reads stdin");
  measure->footer(
      "Example:\n  $ corvane measure 0xDA55001C 84 84 0 0xDA55001D 84 100 0\n"
      "  distance 16.0 m, heading 1.5707964 rad (90.0 deg, north), landblock distance 0\n"
      "Headings are radians in [0, 2pi): 0 west, pi/2 north, pi east, 3pi/2 south.");

  // enum
  StreamFlags enum_flags;
  std::string enum_vocabulary;
  std::vector<std::string> enum_args;
  CLI::App* enum_cmd = app.add_subcommand(
      "enum", "List the vocabularies, list a vocabulary's members, or look members up");
  add_stream_flags(*enum_cmd, enum_flags);
  enum_cmd->add_option("vocabulary", enum_vocabulary, "An enumeration, e.g. SpellCategory");
  enum_cmd->add_option("values", enum_args,
                       "Values (decimal or 0x hex) or exact names; '-' reads one per stdin line");
  enum_cmd->footer(R"(Examples:
  $ corvane enum                          the vocabularies, member counts, widths
  $ corvane enum WieldType                every member with its value
  $ corvane enum PropertyAttribute2nd 5 Mana Helth
  5 (0x0005) = MaxMana
  Mana = 6 (0x0006)
  ERROR: no PropertyAttribute2nd member is named 'Helth'; did you mean 'Health'?)");

  // flags
  StreamFlags flags_flags;
  std::string flags_vocabulary;
  std::vector<std::string> flags_args;
  CLI::App* flags_cmd = app.add_subcommand(
      "flags", "Decode a flag mask into its named flags, or build a mask from names");
  add_stream_flags(*flags_cmd, flags_flags);
  flags_cmd->add_option("vocabulary", flags_vocabulary, "A flag set, e.g. CoverageMask");
  flags_cmd->add_option(
      "terms", flags_args,
      "Masks and flag names, all joined into one mask; '-' reads one mask per stdin line");
  flags_cmd->footer(R"(Examples:
  $ corvane flags                         the flag sets
  $ corvane flags CoverageMask            the flag table
  $ corvane flags CoverageMask 0x1C00
  0x00001C00 = CHEST | ABDOMEN | UPPER_ARMS (Chest, Abdomen, Upper Arms)
  $ corvane flags CoverageMask CHEST HEAD 0x1)");

  // fingerprint
  StreamFlags fp_flags;
  std::string canon_name = "sixdp";
  bool explain = false;
  std::vector<std::string> fp_args;
  CLI::App* fingerprint = app.add_subcommand(
      "fingerprint", "Fold floats and integers into the 64-bit FNV-1a bake fingerprint");
  add_stream_flags(*fingerprint, fp_flags);
  fingerprint->add_option("--canon", canon_name, "How floats are canonicalised: sixdp or lossless")
      ->check(CLI::IsMember({"sixdp", "lossless"}))
      ->capture_default_str();
  fingerprint->add_flag("--explain", explain, "Show each word's canonical bits and the running hash");
  fingerprint->add_option("values", fp_args,
                          "Values folded in order into one fingerprint; none or '-' reads stdin, "
                          "one fingerprint per line");
  fingerprint->footer(R"(Values: an integer (7, 0x1F, -1) is a 32-bit word; a number with a point,
an exponent, nan or inf is a float. Prefixes decide: u:7 (word), f:7 (float),
bits:0x3F3504F4 (the float with these bits).
Example:
  $ corvane fingerprint --explain 0.7071068 u:7)");

  // plot
  std::string plot_output;
  bool no_labels = false;
  std::vector<std::string> plot_args;
  CLI::App* plot = app.add_subcommand("plot", "Draw positions on an SVG map of the world");
  plot->add_option("-o,--output", plot_output, "Write the SVG to this file instead of stdout");
  plot->add_flag("--no-labels", no_labels, "Draw the points without their map text");
  plot->add_option("positions", plot_args, "ID X Y Z, repeated; none or '-' reads stdin");
  plot->footer(R"(A line's trailing comment labels its point. Offsets must be finite.
Example:
  $ printf '0xDA550000 84 108 0 # market\n0x00000100 0 0 0\n' | corvane plot -o map.svg)");

  // Run bare, the tool shows what it can do (still a usage error: nothing ran).
  if (argc <= 1) {
    std::cout << app.help() << std::flush;
    return kExitUsage;
  }

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::string message = e.what();
    // "-inf" and "-nan" look like options to any parser; say how to pass them.
    for (int i = 1; i < argc; ++i) {
      std::string arg = argv[i];
      for (char& c : arg) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      if (arg == "-inf" || arg == "-infinity" || arg == "-nan") {
        message += " (put -- before values such as -inf: corvane coords -- 0 0 0 -inf)";
        break;
      }
    }
    return usage_error(message);
  }

  try {
    if (coords->parsed()) {
      return finish(run_stream(make_coords_command(precision), input_for(coords_args, 4),
                               std::cout, std::cerr, run_options(coords_flags)));
    }
    if (inspect->parsed()) {
      return finish(run_stream(make_inspect_command(), input_for(inspect_args, 4), std::cout,
                               std::cerr, run_options(inspect_flags)));
    }
    if (rebucket->parsed()) {
      return finish(run_stream(make_rebucket_command(), input_for(rebucket_args, 4), std::cout,
                               std::cerr, run_options(rebucket_flags)));
    }
    if (normalize->parsed()) {
      return finish(run_stream(make_normalize_command(), input_for(normalize_args, 4), std::cout,
                               std::cerr, run_options(normalize_flags)));
    }
    if (measure->parsed()) {
      return finish(run_stream(make_measure_command(), input_for(measure_args, 8), std::cout,
                               std::cerr, run_options(measure_flags)));
    }
    if (enum_cmd->parsed() || flags_cmd->parsed()) {
      const bool is_enum = enum_cmd->parsed();
      const std::string& wanted = is_enum ? enum_vocabulary : flags_vocabulary;
      const std::vector<std::string>& args = is_enum ? enum_args : flags_args;
      const RunOptions options = run_options(is_enum ? enum_flags : flags_flags);
      if (wanted.empty()) {
        list_vocabularies(std::cout, options.format);
        return output_failed() ? kExitSomeFailed : kExitOk;
      }
      const VocabularyRef ref = find_vocabulary(wanted);
      if (const auto* error = std::get_if<Error>(&ref)) return usage_error(error->message);
      if (const auto* const* e = std::get_if<const EnumVocabulary*>(&ref)) {
        if (!is_enum) {
          return usage_error(std::string((*e)->name) +
                             " is an enumeration, not a flag set; use 'corvane enum'");
        }
        if (args.empty()) {
          list_members(std::cout, options.format, **e);
          return output_failed() ? kExitSomeFailed : kExitOk;
        }
        const bool from_stdin = args.size() == 1 && args[0] == "-";
        return finish(run_stream(make_enum_command(**e),
                                 from_stdin ? stream_source(*std::cin.rdbuf())
                                            : argument_source(args, 1),
                                 std::cout, std::cerr, options));
      }
      const FlagVocabulary& f = *std::get<const FlagVocabulary*>(ref);
      if (is_enum) {
        return usage_error(std::string(f.name) +
                           " is a flag set, not an enumeration; use 'corvane flags'");
      }
      if (args.empty()) {
        list_flags(std::cout, options.format, f);
        return output_failed() ? kExitSomeFailed : kExitOk;
      }
      const bool from_stdin = args.size() == 1 && args[0] == "-";
      return finish(run_stream(make_flags_command(f),
                               from_stdin ? stream_source(*std::cin.rdbuf())
                                          : argument_source(args, 0),
                               std::cout, std::cerr, options));
    }
    if (fingerprint->parsed()) {
      const corvane::FloatCanon canon =
          parse_canon(canon_name).value_or(corvane::FloatCanon::SixDp);
      return finish(run_stream(make_fingerprint_command(canon, explain), input_for(fp_args, 0),
                               std::cout, std::cerr, run_options(fp_flags)));
    }
    if (plot->parsed()) {
      std::size_t failed = 0;
      const std::vector<PlotPoint> points =
          read_plot_points(input_for(plot_args, 4), std::cerr, failed);
      const std::string svg = render_svg(points, PlotOptions{!no_labels});
      if (plot_output.empty() || plot_output == "-") {
        std::cout << svg << std::flush;
        if (output_failed()) return kExitSomeFailed;
      } else {
        std::ofstream file(plot_output, std::ios::binary);
        file << svg;
        file.close();
        if (!file) {
          std::cerr << "corvane: cannot write " << plot_output << '\n';
          return kExitUsage;
        }
      }
      return failed == 0 ? kExitOk : kExitSomeFailed;
    }
  } catch (const std::exception& e) {
    std::cerr << "corvane: " << e.what() << '\n';
    return kExitSomeFailed;
  }
  return usage_error("no subcommand given");
}
