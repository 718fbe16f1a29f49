// pa_io_save_child PATH SIZE STEP
// Saves childContent(SIZE) to PATH in small writes and kills itself (SIGKILL) when the save
// reaches its STEP-th step (1 = the temporary file made; 0 = never). Exits 0 when saved.
#include "save_child.h"
#include "io/atomic_file.h"

#include <csignal>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc != 4)
        return 2;
    const std::string path = argv[1];
    const auto size = std::strtoull(argv[2], nullptr, 10);
    const long killAt = std::strtol(argv[3], nullptr, 10);
    long step = 0;
    pa::io::WriteOptions options;
    options.chunk = kChildChunk;
    options.onStep = [&](pa::io::SavePoint) {
        if (++step == killAt)
            std::raise(SIGKILL);
    };
    return pa::io::writeFileAtomically(path, childContent(size), options).ok() ? 0 : 1;
}
