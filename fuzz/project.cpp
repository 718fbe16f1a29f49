// The project file's reader on any bytes: it never crashes, refuses with a reason, and a file it
// reads is written back to a file that reads to the same project and the same bytes.
#include "check.h"
#include "project/project_file.h"

using pa::fuzz::require;
using namespace pa::project;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ReadOutcome first = readProject(pa::fuzz::textOf(data, size));
    require(first.project.has_value() != !first.error.empty(), "a project or a reason");
    if (!first.project)
        return 0;
    const std::optional<std::string> written = writeProject(*first.project);
    require(written.has_value(), "a project that was read can be written",
            checkProject(*first.project));
    const ReadOutcome second = readProject(*written);
    require(second.project.has_value(), "what was written reads again", second.error);
    require(*second.project == *first.project, "the same project after writing it back");
    require(writeProject(*second.project) == written, "the same bytes the second time");
    return 0;
}
