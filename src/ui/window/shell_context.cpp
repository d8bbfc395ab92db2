#include "window/shell_context.h"

#include <cstdio>
#include <cstdlib>

namespace quimbaro {

void EndProcessAtOnce(int exitCode) {
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

}  // namespace quimbaro
