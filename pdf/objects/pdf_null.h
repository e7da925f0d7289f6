#pragma once

#include "pdf/objects/pdf_object.h"

namespace kelvora::pdf
{

class TPdfNull : public TPdfObject
{
protected:
    void WriteBody(TPdfMemoryStream& AStream) override;
};

} // namespace kelvora::pdf
