#pragma once
// Every subcommand of the command line, one factory each.

#include <vector>

#include "subcommand.h"

namespace quimbaro::cli {

Subcommand ListCommand();
Subcommand AddCommand();
Subcommand DeleteCommand();
Subcommand EditCommand();
Subcommand SearchCommand();
Subcommand ExportCommand();
Subcommand ImportCommand();
Subcommand PrintCommand();
Subcommand SyncCommand();

// In the order --help shows them.
const std::vector<Subcommand>& AllSubcommands();

}  // namespace quimbaro::cli
