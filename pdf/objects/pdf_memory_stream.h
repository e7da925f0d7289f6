// The in-memory byte buffer that stream data and whole files are written into.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace kelvora::pdf
{

// Growable in-memory byte buffer with a write position; holds stream data and whole files.
class TPdfMemoryStream
{
public:
    // Appending to bytes of its own, what nearly every write does, stays inline.
    void Write(const void* AData, std::size_t ACount)
    {
        if (!FShared && FPosition == FData.size()) {
            FData.append(static_cast<const char*>(AData), ACount);
            FPosition += ACount;
        } else {
            WriteAt(AData, ACount);
        }
    }
    void Write(std::string_view ABytes) { Write(ABytes.data(), ABytes.size()); }
    void WriteByte(char AByte)
    {
        if (!FShared && FPosition == FData.size()) {
            FData.push_back(AByte);
            ++FPosition;
        } else {
            WriteAt(&AByte, 1);
        }
    }

    // Holds bytes that belong to someone else as this stream's content (a picture's file),
    // positioned at their end. They are copied only if the stream is then changed.
    void Share(std::shared_ptr<const std::string> ABytes);

    std::size_t Position() const { return FPosition; }
    void Seek(std::size_t APosition);
    std::size_t Size() const { return Data().size(); }
    std::string_view Data() const { return FShared ? std::string_view(*FShared) : FData; }
    void Reserve(std::size_t ACapacity) { FData.reserve(ACapacity); }
    void Clear();
    // Hands the bytes over and leaves the stream empty.
    std::string Release();

private:
    // Turns shared bytes into this stream's own before a change.
    void Own();
    // A write over shared bytes or before the end.
    void WriteAt(const void* AData, std::size_t ACount);

    std::string FData;
    std::shared_ptr<const std::string> FShared;
    std::size_t FPosition = 0;
};

} // namespace kelvora::pdf
