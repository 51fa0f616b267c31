// corvane: the library's answers at a shell prompt. This driver only wires
// the command line (built from the subcommand table) to the input and output.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "command_line.hpp"
#include "descriptor_output.hpp"

using namespace corvane::cli;

namespace {

/// Output that could not be written is a failure, never a silent success,
/// except a closed pipe, which is a normal end.
int finish(int status) {
  std::cout.flush();
  if (std::cout) return status;
  const int failure = output_failure(std::cerr, "the output", errno, STDOUT_FILENO);
  return failure == 0 ? status : kExitSomeFailed;
}

/// Whether standard input is a pipe, a socket or a file: something piped or
/// redirected in, not a terminal (nor /dev/null).
bool stdin_is_piped() {
  struct stat info {};
  return ::fstat(STDIN_FILENO, &info) == 0 &&
         (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode) || S_ISREG(info.st_mode));
}

int run(const Invocation& inv) {
  InputKind kind = input_kind(inv);
  auto prepared = inv.subcommand->prepare(inv.options, inv.lead, kind);
  if (const auto* error = std::get_if<Error>(&prepared)) {
    std::cerr << "corvane: " << error->message << "\nRun 'corvane --help' for more information.\n";
    return kExitUsage;
  }
  const Action& action = std::get<Action>(prepared);
  std::optional<Action> lookups;
  if (const auto* listing = std::get_if<Listing>(&action)) {
    // A vocabulary with nothing to look up lists its members, unless lines
    // are piped in: those are looked up, and only an empty input lists.
    if (kind == InputKind::None && inv.lead && stdin_is_piped()) {
      auto lookup = inv.subcommand->prepare(inv.options, inv.lead, InputKind::Files);
      if (auto* a = std::get_if<Action>(&lookup); a && std::holds_alternative<Command>(*a)) {
        lookups = std::move(*a);
      }
    }
    if (!lookups) {
      listing->write(std::cout, inv.format);
      return finish(kExitOk);
    }
  }
  Inputs inputs;
  inputs.group = inv.subcommand->group;
  inputs.grouping = inv.subcommand->grouping;
  inputs.skip_headers = inv.subcommand->numeric_input;
  inputs.notes = &std::cerr;
  if (kind == InputKind::Arguments) {
    inputs.arguments = inv.arguments;
  } else {
    inputs.files = kind == InputKind::Files ? inv.arguments : std::vector<std::string>{"-"};
    // Answer what has been read whenever the input makes us wait.
    inputs.before_wait = [] { std::cout.flush(); };
  }
  if (const auto* whole = std::get_if<WholeRun>(&action)) {
    return finish(whole->run(inputs, RunOptions{inv.format, inv.echo}, std::cout, std::cerr));
  }
  InputSource source = input_source(inputs);
  if (lookups) {
    // Peek: an empty input lists the vocabulary after all.
    auto first = std::make_shared<std::optional<InputItem>>(source());
    if (!*first) {
      std::get<Listing>(action).write(std::cout, inv.format);
      return finish(kExitOk);
    }
    source = [first, rest = std::move(source)]() -> std::optional<InputItem> {
      if (*first) return std::exchange(*first, std::nullopt);
      return rest();
    };
  }
  const Command& command = lookups ? std::get<Command>(*lookups) : std::get<Command>(action);
  const RunStats stats =
      run_stream(command, source, std::cout, std::cerr, RunOptions{inv.format, inv.echo});
  return finish(stats.failed == 0 ? kExitOk : kExitSomeFailed);
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  // Standard output through a large buffer, handed back before main returns
  // (the stream is flushed once more at exit, after this buffer is gone).
  DescriptorOutput output(STDOUT_FILENO);
  struct Restore {
    std::streambuf* original;
    ~Restore() {
      std::cout.flush();
      std::cout.rdbuf(original);
    }
  } restore{std::cout.rdbuf(&output)};
  try {
    auto parsed =
        parse_command_line(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
    if (const int* status = std::get_if<int>(&parsed)) return *status;
    return run(std::get<Invocation>(parsed));
  } catch (const std::exception& e) {
    std::cerr << "corvane: " << e.what() << '\n';
    return kExitSomeFailed;
  }
}
