// rz408-convert: the batch command. Everything it does lives in rz408_cli.

#include "BatchCommand.h"

#include <exception>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    try {
        const std::vector<std::string> args(argv + 1, argv + argc);
        return rz408::RunBatch(args, std::cout, std::cerr);
    } catch (const std::exception& e) {
        std::cerr << "rz408-convert: " << e.what() << '\n';
    } catch (...) {
        std::cerr << "rz408-convert: unexpected failure\n";
    }
    return rz408::kExitFileFailed;
}
