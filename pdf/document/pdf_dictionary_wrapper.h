// The base of the document's typed objects: owned by the document, each over a dictionary.
#pragma once

namespace kelvora::pdf
{

class TPdfDictionary;

// Anything the document keeps alive until it is freed (wrappers, destinations, outlines).
class TPdfOwnedObject
{
public:
    TPdfOwnedObject() = default;
    TPdfOwnedObject(const TPdfOwnedObject&) = delete;
    TPdfOwnedObject& operator=(const TPdfOwnedObject&) = delete;
    virtual ~TPdfOwnedObject() = default;
};

// Gives a typed face to an indirect dictionary that the cross-reference table owns.
class TPdfDictionaryWrapper : public TPdfOwnedObject
{
public:
    TPdfDictionary* Data() const { return FData; }
    virtual void SetData(TPdfDictionary* Value) { FData = Value; }

private:
    TPdfDictionary* FData = nullptr;
};

} // namespace kelvora::pdf
