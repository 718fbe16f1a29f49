#pragma once

#include <string>

// What the saving child writes, so that the test knows the new content without being told.
inline std::string childContent(std::size_t size) {
    std::string out(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        out[i] = static_cast<char>('A' + (i * 7) % 26);
    return out;
}

// Small writes, so that a kill can land between any two of them.
inline constexpr std::size_t kChildChunk = 4096;
