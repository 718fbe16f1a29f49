#include "project/project.h"

#include <algorithm>

namespace pa::project {

const Line* Project::line(std::string_view id) const {
    const auto found =
        std::find_if(lines.begin(), lines.end(), [&](const Line& l) { return l.id == id; });
    return found == lines.end() ? nullptr : &*found;
}

} // namespace pa::project
