#include "pdf/objects/pdf_memory_stream.h"

#include <cstring>

namespace kelvora::pdf
{

void TPdfMemoryStream::Write(const void* AData, std::size_t ACount)
{
    if (ACount == 0)
        return;
    const char* bytes = static_cast<const char*>(AData);
    if (FPosition == FData.size()) {
        FData.append(bytes, ACount);
    } else {
        if (FPosition + ACount > FData.size())
            FData.resize(FPosition + ACount);
        std::memcpy(FData.data() + FPosition, bytes, ACount);
    }
    FPosition += ACount;
}

void TPdfMemoryStream::WriteByte(char AByte)
{
    if (FPosition == FData.size())
        FData.push_back(AByte);
    else
        FData[FPosition] = AByte;
    ++FPosition;
}

void TPdfMemoryStream::Seek(std::size_t APosition)
{
    if (APosition > FData.size())
        FData.resize(APosition);
    FPosition = APosition;
}

void TPdfMemoryStream::Clear()
{
    FData.clear();
    FPosition = 0;
}

} // namespace kelvora::pdf
