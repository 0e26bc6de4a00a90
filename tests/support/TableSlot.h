#pragma once

#include <cstddef>
#include <cstring>

// The table slot of a virtual member function (Itanium ABI): separately
// compiled plug-ins call through the same table, so the tests pin the slots.
template <typename F>
std::ptrdiff_t slotOf(F f)
{
    static_assert(sizeof(F) == 2 * sizeof(std::ptrdiff_t), "Itanium member pointer");
    std::ptrdiff_t raw[2];
    std::memcpy(raw, &f, sizeof raw);
    return (raw[0] - 1) / std::ptrdiff_t(sizeof(void *));
}
