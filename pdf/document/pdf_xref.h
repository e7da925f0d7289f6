// The cross-reference table: numbers the indirect objects, owns them and writes the table.
#pragma once

#include "pdf/objects/pdf_object.h"

#include <memory>
#include <string>
#include <vector>

namespace kelvora::pdf
{

// One row of the cross-reference table; an "n" row owns its object.
class TPdfXrefEntry
{
public:
    explicit TPdfXrefEntry(std::unique_ptr<TPdfObject> AValue);

    // 'n' for an object in use, 'f' for the free entry.
    char EntryType() const { return FEntryType; }
    int ByteOffset() const { return FByteOffset; }
    void SetByteOffset(int AValue) { FByteOffset = AValue; }
    int GenerationNumber() const { return FGenerationNumber; }
    void SetGenerationNumber(int AValue) { FGenerationNumber = AValue; }
    TPdfObject* Value() const { return FValue.get(); }
    // The 18 characters of the row, without its CR LF.
    std::string AsString() const;
    // The same characters at AOut (32 of room); returns their end.
    char* PutRow(char* AOut) const;

private:
    char FEntryType;
    int FByteOffset = -1;
    int FGenerationNumber = 0;
    std::unique_ptr<TPdfObject> FValue;
};

// The object manager: index in the table = object number.
class TPdfXref : public TPdfObjectMgr
{
public:
    TPdfXref();
    ~TPdfXref() override;

    TPdfObject* AddObject(std::unique_ptr<TPdfObject> AObject) override;
    TPdfObject* GetObject(int ObjectID) const override;
    TPdfXrefEntry& GetItem(int ObjectID) const;
    int ItemCount() const { return static_cast<int>(FXrefEntries.size()); }
    void WriteSection(TPdfMemoryStream& AStream) const;

private:
    std::vector<std::unique_ptr<TPdfXrefEntry>> FXrefEntries;
};

} // namespace kelvora::pdf
