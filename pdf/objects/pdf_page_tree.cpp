#include "pdf/objects/pdf_page_tree.h"

#include "pdf/objects/pdf_array.h"
#include "pdf/objects/pdf_dictionary.h"
#include "pdf/objects/pdf_name.h"
#include "pdf/objects/pdf_number.h"

namespace kelvora::pdf
{

std::u16string TypeNameOf(const TPdfDictionary& ADict)
{
    TPdfName* name = ADict.PdfNameByName(u"Type");
    return name != nullptr ? name->Value() : std::u16string();
}

void AppendKid(TPdfDictionary& APages, const TPdfDictionary& ANode)
{
    TPdfArray* kids = APages.PdfArrayByName(u"Kids");
    if (kids == nullptr) {
        APages.AddItem(u"Kids", TPdfArray::CreateArray(APages.ObjectMgr()));
        kids = APages.PdfArrayByName(u"Kids");
    }
    kids->AddItem(ANode);
    if (TPdfNumber* count = APages.PdfNumberByName(u"Count"))
        count->SetValue(kids->ItemCount());
    else
        APages.AddNumberItem(u"Count", kids->ItemCount());
}

TPdfDictionary* PageResource(const TPdfDictionary& APage, std::u16string_view AKey)
{
    TPdfDictionary* resources = APage.PdfDictionaryByName(u"Resources");
    return resources != nullptr ? resources->PdfDictionaryByName(AKey) : nullptr;
}

} // namespace kelvora::pdf
