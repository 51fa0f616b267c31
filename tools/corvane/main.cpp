// corvane: the library's answers at a shell prompt. This driver only wires
// the command line (built from the subcommand table) to the input and output.
#include <iostream>
#include <string>
#include <vector>

#include "command_line.hpp"

using namespace corvane::cli;

namespace {

/// Output that could not be written is a failure, never a silent success.
int finish(int status) {
  std::cout.flush();
  if (std::cout) return status;
  std::cerr << "corvane: cannot write the output\n";
  return kExitSomeFailed;
}

int run(const Invocation& inv) {
  const InputKind kind = input_kind(inv);
  auto prepared = inv.subcommand->prepare(inv.options, inv.lead, kind);
  if (const auto* error = std::get_if<Error>(&prepared)) {
    std::cerr << "corvane: " << error->message << "\nRun 'corvane --help' for more information.\n";
    return kExitUsage;
  }
  const Action& action = std::get<Action>(prepared);
  if (const auto* listing = std::get_if<Listing>(&action)) {
    listing->write(std::cout, inv.format);
    return finish(kExitOk);
  }
  Inputs inputs;
  inputs.group = inv.subcommand->group;
  inputs.grouping = inv.subcommand->grouping;
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
  const RunStats stats = run_stream(std::get<Command>(action), input_source(inputs), std::cout,
                                    std::cerr, RunOptions{inv.format, inv.echo});
  return finish(stats.failed == 0 ? kExitOk : kExitSomeFailed);
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
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
