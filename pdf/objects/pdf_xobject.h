// The external objects that pages draw, and the image XObject.
#pragma once

#include "pdf/objects/pdf_stream.h"

namespace kelvora::pdf
{

// External objects that pages draw.
class TPdfXObject : public TPdfStream
{
public:
    using TPdfStream::TPdfStream;
};

// Image XObjects made by the image creators.
class TPdfImage : public TPdfXObject
{
public:
    using TPdfXObject::TPdfXObject;
    static std::unique_ptr<TPdfImage> CreateStream(TPdfObjectMgr* AObjectMgr)
    {
        return std::make_unique<TPdfImage>(AObjectMgr);
    }
};

} // namespace kelvora::pdf
