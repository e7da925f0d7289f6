// The base of every object: its class, its number, its writing in place or by reference.
#pragma once

#include "pdf/objects/pdf_memory_stream.h"

#include <cstdint>
#include <memory>

namespace kelvora::pdf
{

enum class TPdfObjectType { otDirectObject, otIndirectObject, otVirtualObject };

// What an object is, set once by its class's constructor: typed look-ups compare this tag
// instead of walking the type information on every access.
enum class TPdfObjectClass : std::uint8_t {
    ocOther,
    ocNull,
    ocBoolean,
    ocNumber,
    ocReal,
    ocString,
    ocText,
    ocName,
    ocArray,
    ocDictionary,
    ocStream,
    ocBinary,
    ocVirtual,
};

class TPdfObject;

// Numbers indirect objects and owns them; implemented by the cross-reference table.
class TPdfObjectMgr
{
public:
    virtual ~TPdfObjectMgr() = default;
    // Takes the object, numbers it and returns it; it stays owned by the manager.
    virtual TPdfObject* AddObject(std::unique_ptr<TPdfObject> AObject) = 0;
    virtual TPdfObject* GetObject(int ObjectID) const = 0;

    template <typename T> T* Add(std::unique_ptr<T> AObject)
    {
        return static_cast<T*>(AddObject(std::move(AObject)));
    }
};

class TPdfObject
{
public:
    TPdfObject() = default;
    TPdfObject(const TPdfObject&) = delete;
    TPdfObject& operator=(const TPdfObject&) = delete;
    virtual ~TPdfObject() = default;

    TPdfObjectType ObjectType() const { return FObjectType; }
    TPdfObjectClass ObjectClass() const { return FObjectClass; }
    int ObjectNumber() const { return FObjectNumber; }
    int GenerationNumber() const { return FGenerationNumber; }
    bool IsDirect() const { return FObjectType == TPdfObjectType::otDirectObject; }

    // Positive numbers make the object indirect; zero and below make it direct again.
    void SetObjectNumber(int Value);

    // Writes the object where it is used: its body, or "n g R" when it is numbered.
    void WriteToStream(TPdfMemoryStream& AStream);
    // Writes a numbered object at top level: "n g obj" CRLF body CRLF "endobj" CRLF.
    void WriteValueToStream(TPdfMemoryStream& AStream);

protected:
    explicit TPdfObject(TPdfObjectClass AClass) : FObjectClass(AClass) {}
    virtual void WriteBody(TPdfMemoryStream& AStream);
    void SetObjectType(TPdfObjectType AType) { FObjectType = AType; }

private:
    TPdfObjectType FObjectType = TPdfObjectType::otDirectObject;
    int FObjectNumber = -1;
    int FGenerationNumber = 0;
    TPdfObjectClass FObjectClass = TPdfObjectClass::ocOther;
};

// The object as a T (a class with its own tag), or null when it is something else.
template <typename T> T* PdfObjectAs(TPdfObject* AObject)
{
    return AObject != nullptr && AObject->ObjectClass() == T::kObjectClass
               ? static_cast<T*>(AObject)
               : nullptr;
}

// A reference placeholder: holds the number of an indirect object and writes "n 0 R".
class TPdfVirtualObject : public TPdfObject
{
public:
    static constexpr TPdfObjectClass kObjectClass = TPdfObjectClass::ocVirtual;
    explicit TPdfVirtualObject(int AObjectId);
    static std::unique_ptr<TPdfVirtualObject> CreateVirtual(int AObjectId)
    {
        return std::make_unique<TPdfVirtualObject>(AObjectId);
    }
};

} // namespace kelvora::pdf
