// A card-reader library that lacks 11 of the 13 functions, as an old or damaged install would.
#include <cstdint>

extern "C" __attribute__((visibility("default"))) std::uint16_t
Lec_ListeLecteurs(const char*, void*, std::int32_t* count, std::uint16_t* error)
{
    *count = 0;
    *error = 0;
    return 0;
}

extern "C" __attribute__((visibility("default"))) std::uint16_t
Lec_InitLecteurs(const char*, const char*, const char*, std::uint16_t* error)
{
    *error = 0;
    return 0;
}
