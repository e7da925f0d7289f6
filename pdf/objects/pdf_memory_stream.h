#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kelvora::pdf
{

// Growable in-memory byte buffer with a write position; holds stream data and whole files.
class TPdfMemoryStream
{
public:
    void Write(const void* AData, std::size_t ACount);
    void Write(std::string_view ABytes) { Write(ABytes.data(), ABytes.size()); }
    void WriteByte(char AByte);

    std::size_t Position() const { return FPosition; }
    void Seek(std::size_t APosition);
    std::size_t Size() const { return FData.size(); }
    std::string_view Data() const { return FData; }
    void Reserve(std::size_t ACapacity) { FData.reserve(ACapacity); }
    void Clear();

private:
    std::string FData;
    std::size_t FPosition = 0;
};

} // namespace kelvora::pdf
