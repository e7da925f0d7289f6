// The dictionary object: its entries in the order they were added, with typed look-ups.
#pragma once

#include "pdf/objects/pdf_object.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora::pdf
{

class TPdfArray;
class TPdfBoolean;
class TPdfName;
class TPdfNumber;
class TPdfReal;
class TPdfString;
class TPdfText;

// One key and its value; internal elements are kept and found but never written.
class TPdfDictionaryElement
{
public:
    TPdfDictionaryElement(std::u16string AKey, std::unique_ptr<TPdfObject> AValue,
                          bool AIsInternal = false);
    static std::unique_ptr<TPdfDictionaryElement> Create(std::u16string AKey,
                                                         std::unique_ptr<TPdfObject> AValue);
    static std::unique_ptr<TPdfDictionaryElement>
    CreateAsInternal(std::u16string AKey, std::unique_ptr<TPdfObject> AValue);

    const std::u16string& Key() const { return FKey; }
    // The value as stored: a reference placeholder for an indirect object.
    TPdfObject* Value() const { return FValue.get(); }
    bool IsInternal() const { return FIsInternal; }

private:
    friend class TPdfDictionary;
    std::u16string FKey;
    std::unique_ptr<TPdfObject> FValue;
    bool FIsInternal;
};

class TPdfDictionary : public TPdfObject
{
public:
    static constexpr TPdfObjectClass kObjectClass = TPdfObjectClass::ocDictionary;
    explicit TPdfDictionary(TPdfObjectMgr* AObjectMgr)
        : TPdfObject(kObjectClass), FObjectMgr(AObjectMgr)
    {
    }
    ~TPdfDictionary() override;
    static std::unique_ptr<TPdfDictionary> CreateDictionary(TPdfObjectMgr* AObjectMgr)
    {
        return std::make_unique<TPdfDictionary>(AObjectMgr);
    }

    // Replaces any entry under AKey and appends the new one at the end.
    void AddItem(std::u16string_view AKey, std::unique_ptr<TPdfObject> AValue);
    // Same, holding a reference to an indirect object that stays with its manager.
    void AddItem(std::u16string_view AKey, const TPdfObject& AIndirect);
    void AddNumberItem(std::u16string_view AKey, std::int32_t AValue);
    void AddNameItem(std::u16string_view AKey, std::u16string AValue);
    void AddInternalItem(std::u16string_view AKey, std::unique_ptr<TPdfObject> AValue);
    void RemoveItem(std::u16string_view AKey);

    // The value under AKey with references resolved; null when absent.
    TPdfObject* ValueByName(std::u16string_view AKey) const;
    TPdfBoolean* PdfBooleanByName(std::u16string_view AKey) const;
    TPdfNumber* PdfNumberByName(std::u16string_view AKey) const;
    TPdfText* PdfTextByName(std::u16string_view AKey) const;
    TPdfReal* PdfRealByName(std::u16string_view AKey) const;
    TPdfString* PdfStringByName(std::u16string_view AKey) const;
    TPdfName* PdfNameByName(std::u16string_view AKey) const;
    TPdfDictionary* PdfDictionaryByName(std::u16string_view AKey) const;
    TPdfArray* PdfArrayByName(std::u16string_view AKey) const;

    const TPdfDictionaryElement& GetItems(int Index) const;
    int ItemCount() const { return static_cast<int>(FArray.size()); }
    TPdfObjectMgr* ObjectMgr() const { return FObjectMgr; }

protected:
    void WriteBody(TPdfMemoryStream& AStream) override;

private:
    void Append(std::u16string_view AKey, std::unique_ptr<TPdfObject> AValue, bool AInternal);

    // Held by value: one allocation less per entry than a pointer to each.
    std::vector<TPdfDictionaryElement> FArray;
    TPdfObjectMgr* FObjectMgr;
};

} // namespace kelvora::pdf
