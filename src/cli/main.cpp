// nexo-backup-cli: one backup or restore job from a terminal.
#include "cli/Cli.h"
#include "cli/Terminal.h"

#include <iostream>

int main(int argc, char** argv)
{
    return runCli(systemArguments(argc, argv), {std::cin, std::cout, std::cerr, systemTerminal()});
}
