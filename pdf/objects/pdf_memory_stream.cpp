#include "pdf/objects/pdf_memory_stream.h"

#include <cstring>

namespace kelvora::pdf
{

void TPdfMemoryStream::Share(std::shared_ptr<const std::string> ABytes)
{
    FData.clear();
    FShared = ABytes && !ABytes->empty() ? std::move(ABytes) : nullptr;
    FPosition = FShared ? FShared->size() : 0;
}

void TPdfMemoryStream::Own()
{
    if (!FShared)
        return;
    FData.assign(*FShared);
    FShared.reset();
}

void TPdfMemoryStream::WriteAt(const void* AData, std::size_t ACount)
{
    if (ACount == 0)
        return;
    Own();
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

void TPdfMemoryStream::Seek(std::size_t APosition)
{
    Own();
    if (APosition > FData.size())
        FData.resize(APosition);
    FPosition = APosition;
}

std::string TPdfMemoryStream::Release()
{
    Own();
    std::string bytes = std::move(FData);
    Clear();
    return bytes;
}

void TPdfMemoryStream::Clear()
{
    FData.clear();
    FShared.reset();
    FPosition = 0;
}

} // namespace kelvora::pdf
