#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace pa::fuzz {

// A broken invariant is reported like a crash, so libFuzzer keeps the input that caused it.
inline void require(bool holds, std::string_view what, std::string_view input = {}) {
    if (holds)
        return;
    std::fprintf(stderr, "invariant broken: %.*s\n", static_cast<int>(what.size()), what.data());
    if (!input.empty())
        std::fprintf(stderr, "  on: \"%.*s\"\n", static_cast<int>(input.size()), input.data());
    std::abort();
}

inline std::string_view textOf(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

inline bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace pa::fuzz
