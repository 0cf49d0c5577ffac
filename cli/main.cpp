// hivewarden-cli: the scan engine for the command line, for Wine users who
// script their prefixes.

#include <unistd.h>

#include <clocale>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/PackTexts.h"
#ifndef _WIN32
#include "cli/PrefixesCommand.h"
#endif
#include "cli/FixCommand.h"
#include "cli/ScanCommand.h"
#include "cli/UpdateCommand.h"
#include "update/UpdateTransport.h"

int main(int argc, char** argv) {
  using namespace hw::cli;
  // The report's date and time follow the user's locale, as the window's do.
  std::setlocale(LC_TIME, "");
  // The streams buffer on their own instead of through C's stdio, which
  // MinGW's runtime writes a character at a time (each a console query
  // under Wine). Nothing here writes through stdio.
  std::ios::sync_with_stdio(false);
  std::vector<std::string> args(argv + 1, argv + argc);
  ParsedCommand command;
  try {
    command = ParseCommandLine(args);
  } catch (const std::invalid_argument& error) {
    std::cerr << "hivewarden-cli: " << error.what() << "\n\n" << kUsage << kFixUsage;
    return kError;
  }
  if (command.kind == ParsedCommand::Kind::Help) {
    std::cout << kUsage << kFixUsage;
    return args.empty() ? kError : kNothingFound;
  }
  if (command.kind == ParsedCommand::Kind::CheckUpdate) {
    try {
      PackTexts texts(hw::platform::DataFolder(), "");
      std::unique_ptr<hw::UpdateTransport> transport = hw::MakeWebTransport();
      return RunCheckUpdate(command.update, *transport, texts, std::cout, std::cerr);
    } catch (const std::runtime_error& error) {
      std::cerr << "hivewarden-cli: " << error.what() << "\n";
      return kError;
    }
  }
  if (command.kind == ParsedCommand::Kind::Prefixes) {
#ifdef _WIN32
    std::cerr << "hivewarden-cli: prefixes: there are no Wine prefixes to list on Windows\n";
    return kError;
#else
    WritePrefixLines(
        hw::platform::FindPrefixes(hw::platform::PrefixSearchPlaces::FromEnvironment()), std::cout);
    return kNothingFound;
#endif
  }
  if (command.kind == ParsedCommand::Kind::Fix)
    return RunFix(command.fix, std::cout, std::cerr, isatty(STDERR_FILENO) != 0);
  return RunScan(command.scan, std::cout, std::cerr, isatty(STDERR_FILENO) != 0);
}
