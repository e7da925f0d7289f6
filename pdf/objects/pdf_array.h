// The array object, and the resolution of a stored reference to its object.
#pragma once

#include "pdf/objects/pdf_object.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace kelvora::pdf
{

class TPdfName;

// An ordered list of objects; indirect objects are held as reference placeholders.
class TPdfArray : public TPdfObject
{
public:
    static constexpr TPdfObjectClass kObjectClass = TPdfObjectClass::ocArray;
    explicit TPdfArray(TPdfObjectMgr* AObjectMgr) : TPdfObject(kObjectClass), FObjectMgr(AObjectMgr)
    {
    }
    static std::unique_ptr<TPdfArray> CreateArray(TPdfObjectMgr* AObjectMgr)
    {
        return std::make_unique<TPdfArray>(AObjectMgr);
    }
    static std::unique_ptr<TPdfArray> CreateNumArray(TPdfObjectMgr* AObjectMgr,
                                                     std::span<const std::int32_t> AArray);
    static std::unique_ptr<TPdfArray> CreateNumArray(TPdfObjectMgr* AObjectMgr,
                                                     std::initializer_list<std::int32_t> AArray)
    {
        return CreateNumArray(AObjectMgr,
                              std::span<const std::int32_t>(AArray.begin(), AArray.size()));
    }

    // Takes a direct object; a reference placeholder given here is replaced by a fresh one.
    void AddItem(std::unique_ptr<TPdfObject> AItem);
    // Appends a reference to an indirect object, which stays with its manager.
    void AddItem(const TPdfObject& AIndirect);

    // The item at a 0-based index, references resolved through the manager (null without one).
    TPdfObject* GetItems(int Index) const;
    int ItemCount() const { return static_cast<int>(FArray.size()); }
    TPdfName* FindName(std::u16string_view AName) const;
    bool RemoveName(std::u16string_view AName);
    TPdfObjectMgr* ObjectMgr() const { return FObjectMgr; }

protected:
    void WriteBody(TPdfMemoryStream& AStream) override;

private:
    std::vector<std::unique_ptr<TPdfObject>> FArray;
    TPdfObjectMgr* FObjectMgr;
};

// Resolves a stored item: a reference placeholder becomes the object its manager holds.
TPdfObject* ResolveObject(TPdfObject* AObject, const TPdfObjectMgr* AObjectMgr);

} // namespace kelvora::pdf
