// Any bytes the card reader returns must decode or be refused, never crash or hang.
#include "base/vitale_decode.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const kelvora::VitaleDecodeResult result =
        kelvora::decodeVitaleDocument(kelvora::cardDocumentBytes(bytes));
    (void)result.ok();
    return 0;
}
