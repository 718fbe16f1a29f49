// pa_io_save_child PATH SOURCE CHUNK STEP
// Saves the bytes of SOURCE to PATH in writes of CHUNK bytes and kills itself (SIGKILL) when
// the save reaches its STEP-th step (1 = the temporary file made; 0 = never).
#include "io/atomic_file.h"

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
    if (argc != 5)
        return 2;
    std::ifstream source(argv[2], std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(source), {}};
    const long killAt = std::strtol(argv[4], nullptr, 10);
    long step = 0;
    pa::io::WriteOptions options;
    options.chunk = std::strtoull(argv[3], nullptr, 10);
    options.onStep = [&](pa::io::SavePoint) {
        if (++step == killAt)
            std::raise(SIGKILL);
    };
    return pa::io::writeFileAtomically(argv[1], bytes, options).ok() ? 0 : 1;
}
