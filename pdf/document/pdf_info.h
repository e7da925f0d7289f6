// The document information dictionary: author, title, subject, keywords, creator, dates.
#pragma once

#include "pdf/document/pdf_dictionary_wrapper.h"
#include "pdf/objects/pdf_date.h"

#include <string>
#include <string_view>

namespace kelvora::pdf
{

// The document information dictionary; each setter moves its entry to the end.
class TPdfInfo : public TPdfDictionaryWrapper
{
public:
    std::u16string Author() const { return GetText(u"Author"); }
    void SetAuthor(std::u16string AValue) { SetText(u"Author", std::move(AValue)); }
    TPdfDateTime CreationDate() const { return GetDate(u"CreationDate"); }
    void SetCreationDate(const TPdfDateTime& AValue) { SetDate(u"CreationDate", AValue); }
    std::u16string Creator() const { return GetText(u"Creator"); }
    void SetCreator(std::u16string AValue) { SetText(u"Creator", std::move(AValue)); }
    std::u16string Keywords() const { return GetText(u"Keywords"); }
    void SetKeywords(std::u16string AValue) { SetText(u"Keywords", std::move(AValue)); }
    TPdfDateTime ModDate() const { return GetDate(u"ModDate"); }
    void SetModDate(const TPdfDateTime& AValue) { SetDate(u"ModDate", AValue); }
    std::u16string Subject() const { return GetText(u"Subject"); }
    void SetSubject(std::u16string AValue) { SetText(u"Subject", std::move(AValue)); }
    std::u16string Title() const { return GetText(u"Title"); }
    void SetTitle(std::u16string AValue) { SetText(u"Title", std::move(AValue)); }

private:
    std::u16string GetText(std::u16string_view AKey) const;
    void SetText(std::u16string_view AKey, std::u16string AValue);
    TPdfDateTime GetDate(std::u16string_view AKey) const;
    void SetDate(std::u16string_view AKey, const TPdfDateTime& AValue);
};

} // namespace kelvora::pdf
