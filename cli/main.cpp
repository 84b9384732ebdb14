// SPDX-License-Identifier: GPL-3.0-or-later
// rz408-convert: the batch command. Everything it does lives in rz408_cli.

#include "BatchCommand.h"
#include "CommandLine.h"
#include "ConversionRun.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    try {
        rz408::PrepareConsole();
        rz408::RemoveTemporariesOnInterrupt();
        return rz408::RunBatch(rz408::CommandLineArguments(argc, argv), std::cout, std::cerr);
    } catch (const std::exception& e) {
        std::cerr << "rz408-convert: " << e.what() << '\n';
    } catch (...) {
        std::cerr << "rz408-convert: unexpected failure\n";
    }
    return rz408::kExitFileFailed;
}
