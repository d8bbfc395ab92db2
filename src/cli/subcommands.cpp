#include "subcommands.h"

namespace quimbaro::cli {

const std::vector<Subcommand>& AllSubcommands() {
    static const std::vector<Subcommand> all{
        ListCommand(),
        AddCommand(),
        DeleteCommand(),
        EditCommand(),
        SearchCommand(),
        ExportCommand(),
        ImportCommand(),
        PrintCommand(),
        SyncCommand(),
    };
    return all;
}

}  // namespace quimbaro::cli
