#include "pdf/document/pdf_xref.h"
#include "pdf/objects/pdf_array.h"
#include "pdf/objects/pdf_binary.h"
#include "pdf/objects/pdf_boolean.h"
#include "pdf/objects/pdf_dictionary.h"
#include "pdf/objects/pdf_errors.h"
#include "pdf/objects/pdf_name.h"
#include "pdf/objects/pdf_null.h"
#include "pdf/objects/pdf_number.h"
#include "pdf/objects/pdf_page_tree.h"
#include "pdf/objects/pdf_real.h"
#include "pdf/objects/pdf_stream.h"
#include "pdf/objects/pdf_string.h"
#include "pdf/objects/pdf_text.h"

#include <cctype>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace kelvora::pdf
{
namespace
{

std::string Written(TPdfObject& AObject)
{
    TPdfMemoryStream out;
    AObject.WriteToStream(out);
    return std::string(out.Data());
}

struct TBodyCase {
    const char* Label;
    std::function<std::unique_ptr<TPdfObject>()> Make;
    std::string Expected;
    friend void PrintTo(const TBodyCase& c, std::ostream* os) { *os << c.Label; }
};

class ObjectBody : public ::testing::TestWithParam<TBodyCase>
{
};

TEST_P(ObjectBody, WritesExactBytes)
{
    auto object = GetParam().Make();
    EXPECT_EQ(Written(*object), GetParam().Expected);
}

const std::u16string kSmiley = u"\U0001F600";

INSTANTIATE_TEST_SUITE_P(
    Kinds, ObjectBody,
    ::testing::Values(
        TBodyCase{"null", [] { return std::make_unique<TPdfNull>(); }, "null"},
        TBodyCase{"true", [] { return TPdfBoolean::CreateBoolean(true); }, "true"},
        TBodyCase{"false", [] { return std::make_unique<TPdfBoolean>(); }, "false"},
        TBodyCase{"default number", [] { return std::make_unique<TPdfNumber>(); }, "0"},
        TBodyCase{"negative number", [] { return TPdfNumber::CreateNumber(-12); }, "-12"},
        TBodyCase{"real 2.5", [] { return TPdfReal::CreateReal(2.5); }, "2.5"},
        TBodyCase{"real 3.0", [] { return TPdfReal::CreateReal(3.0); }, "3"},
        TBodyCase{"real 0.1", [] { return TPdfReal::CreateReal(0.1); }, "0.1"},
        TBodyCase{"real -0.25", [] { return TPdfReal::CreateReal(-0.25); }, "-0.25"},
        TBodyCase{"name with space", [] { return TPdfName::CreateName(u"A B"); }, "/A#20B"},
        TBodyCase{"name with solidus", [] { return TPdfName::CreateName(u"a/b"); }, "/a#2Fb"},
        TBodyCase{"plain name", [] { return TPdfName::CreateName(u"logo_sante"); }, "/logo_sante"},
        TBodyCase{"name with accent", [] { return TPdfName::CreateName(u"é#"); }, "/#E9#23"},
        TBodyCase{"escaped string", [] { return TPdfString::CreateString(u"a(b)\\x"); },
                  "(a\\(b\\)\\\\x)"},
        TBodyCase{"line break", [] { return TPdfString::CreateString(u"a\r\nb"); }, "(a\\r\\nb)"},
        TBodyCase{"accented string", [] { return TPdfString::CreateString(u"Régime"); },
                  "(R\xE9gime)"},
        // Readers decode the bytes of a literal text as PDFDocEncoding: anything but ASCII
        // goes as UTF-16BE behind a byte-order mark.
        TBodyCase{"ascii text", [] { return TPdfText::CreateText(u"Kelvora (1.0)"); },
                  "(Kelvora \\(1.0\\))"},
        TBodyCase{"accented text", [] { return TPdfText::CreateText(u"Sécu"); },
                  "<FEFF005300E900630075>"},
        TBodyCase{"text with euro sign", [] { return TPdfText::CreateText(u"5 €"); },
                  "<FEFF0035002020AC>"},
        TBodyCase{"text outside first plane", [] { return TPdfText::CreateText(u"A" + kSmiley); },
                  "<FEFF0041D83DDE00>"},
        TBodyCase{"text with half a pair",
                  [] { return TPdfText::CreateText(std::u16string(u"a") + char16_t(0xD83D)); },
                  "<FEFF0061FFFD>"},
        // A byte string stays literal: one '?' per character the code page lacks.
        TBodyCase{"string outside first plane",
                  [] { return TPdfString::CreateString(u"é" + kSmiley + u"Ł"); },
                  "(\xE9?"
                  "?)"},
        TBodyCase{"name with euro sign", [] { return TPdfName::CreateName(u"a€"); }, "/a#80"},
        TBodyCase{"name outside the code page",
                  [] { return TPdfName::CreateName(u"Ł" + kSmiley + u"b"); }, "/??b"},
        TBodyCase{"empty array", [] { return TPdfArray::CreateArray(nullptr); }, "[]"},
        TBodyCase{"number array",
                  [] {
                      return TPdfArray::CreateNumArray(nullptr, {0, 0, 596, 842});
                  },
                  "[0 0 596 842 ]"},
        TBodyCase{"empty dictionary", [] { return TPdfDictionary::CreateDictionary(nullptr); },
                  "<<\r\n>>"},
        TBodyCase{"internal entries only",
                  [] {
                      auto d = TPdfDictionary::CreateDictionary(nullptr);
                      d->AddInternalItem(u"Widths", TPdfNumber::CreateNumber(1));
                      return d;
                  },
                  "<<\r\n>>"},
        TBodyCase{"nested dictionary",
                  [] {
                      auto inner = TPdfDictionary::CreateDictionary(nullptr);
                      inner->AddNumberItem(u"B", 1);
                      auto d = TPdfDictionary::CreateDictionary(nullptr);
                      d->AddItem(u"A", std::move(inner));
                      d->AddNameItem(u"C", u"D");
                      return d;
                  },
                  "<<\r\n/A <<\r\n/B 1\r\n>>\r\n/C /D\r\n>>"},
        TBodyCase{"binary",
                  [] {
                      auto b = TPdfBinary::Create();
                      b->Stream().Write(std::string_view("<00 FF>\0x", 9));
                      return b;
                  },
                  std::string("<00 FF>\0x", 9)}),
    [](const auto& info) {
        std::string name = info.param.Label;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    });

TEST(ObjectNumbering, SetObjectNumberSwitchesKind)
{
    TPdfNumber n(5);
    EXPECT_EQ(n.ObjectNumber(), -1);
    EXPECT_EQ(n.ObjectType(), TPdfObjectType::otDirectObject);
    n.SetObjectNumber(3);
    EXPECT_EQ(n.ObjectType(), TPdfObjectType::otIndirectObject);
    EXPECT_EQ(Written(n), "3 0 R");
    n.SetObjectNumber(0);
    EXPECT_EQ(n.ObjectType(), TPdfObjectType::otDirectObject);
    EXPECT_EQ(Written(n), "5");
}

TEST(ObjectNumbering, TopLevelFormAndRefusalForDirectObjects)
{
    TPdfXref xref;
    auto* dict = xref.Add(TPdfDictionary::CreateDictionary(&xref));
    dict->AddNameItem(u"Type", u"Catalog");
    TPdfMemoryStream out;
    dict->WriteValueToStream(out);
    EXPECT_EQ(out.Data(), "1 0 obj\r\n<<\r\n/Type /Catalog\r\n>>\r\nendobj\r\n");

    TPdfNull direct;
    try {
        direct.WriteValueToStream(out);
        FAIL() << "direct object written at top level";
    } catch (const EPdfInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "internal error wrong object type");
    }
    auto virt = TPdfVirtualObject::CreateVirtual(4);
    EXPECT_EQ(virt->ObjectType(), TPdfObjectType::otVirtualObject);
    EXPECT_EQ(Written(*virt), "4 0 R");
    EXPECT_THROW(virt->WriteValueToStream(out), EPdfInvalidOperation);
}

TEST(ObjectNumbering, ManagerRefusesNumberedObjectsAndReferences)
{
    TPdfXref xref;
    try {
        xref.AddObject(TPdfVirtualObject::CreateVirtual(1));
        FAIL();
    } catch (const EPdfInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "AddObject --wrong object type.");
    }
    EXPECT_EQ(xref.ItemCount(), 1);
}

TEST(Containers, SameKeyTwiceKeepsOneEntryAtTheEnd)
{
    auto d = TPdfDictionary::CreateDictionary(nullptr);
    d->AddNumberItem(u"A", 1);
    d->AddNumberItem(u"B", 2);
    d->AddNumberItem(u"A", 3);
    ASSERT_EQ(d->ItemCount(), 2);
    EXPECT_EQ(d->GetItems(1).Key(), u"A");
    EXPECT_EQ(d->PdfNumberByName(u"A")->Value(), 3);
    EXPECT_EQ(Written(*d), "<<\r\n/B 2\r\n/A 3\r\n>>");
}

TEST(Containers, GivingTheHeldValueAgainMovesItWithoutDestroyingIt)
{
    auto d = TPdfDictionary::CreateDictionary(nullptr);
    d->AddNumberItem(u"A", 7);
    d->AddNumberItem(u"B", 1);
    TPdfObject* held = d->ValueByName(u"A");
    d->AddItem(u"A", std::unique_ptr<TPdfObject>(held));
    EXPECT_EQ(Written(*d), "<<\r\n/B 1\r\n/A 7\r\n>>");
}

TEST(Containers, SameObjectTwiceInAnArrayKeepsOneItem)
{
    auto a = TPdfArray::CreateArray(nullptr);
    auto n = TPdfNumber::CreateNumber(9);
    TPdfNumber* raw = n.get();
    a->AddItem(std::move(n));
    a->AddItem(std::unique_ptr<TPdfObject>(raw));
    EXPECT_EQ(a->ItemCount(), 1);
    EXPECT_EQ(Written(*a), "[9 ]");
}

TEST(Containers, IndirectObjectsAreHeldByReferenceAndResolvedThroughTheManager)
{
    TPdfXref xref;
    for (int i = 0; i < 3; ++i)
        xref.AddObject(std::make_unique<TPdfNull>());
    auto* target = xref.Add(TPdfNumber::CreateNumber(42));
    ASSERT_EQ(target->ObjectNumber(), 4);

    auto managed = TPdfArray::CreateArray(&xref);
    managed->AddItem(*target);
    EXPECT_EQ(Written(*managed), "[4 0 R ]");
    EXPECT_EQ(managed->GetItems(0), target);

    auto unmanaged = TPdfArray::CreateArray(nullptr);
    unmanaged->AddItem(*target);
    EXPECT_EQ(Written(*unmanaged), "[4 0 R ]");
    EXPECT_EQ(unmanaged->GetItems(0), nullptr);

    auto dict = TPdfDictionary::CreateDictionary(&xref);
    dict->AddItem(u"N", *target);
    EXPECT_EQ(dict->PdfNumberByName(u"N"), target);
    EXPECT_EQ(Written(*dict), "<<\r\n/N 4 0 R\r\n>>");
}

TEST(Containers, NullValuesAndDirectReferencesAreRefused)
{
    auto d = TPdfDictionary::CreateDictionary(nullptr);
    try {
        d->AddItem(u"A", std::unique_ptr<TPdfObject>());
        FAIL();
    } catch (const EPdfInvalidValue& e) {
        EXPECT_STREQ(e.what(), "internal error. wrong object.");
    }
    EXPECT_THROW(d->AddInternalItem(u"A", nullptr), EPdfInvalidValue);
    TPdfNumber direct(1);
    EXPECT_THROW(d->AddItem(u"A", static_cast<const TPdfObject&>(direct)), EPdfInvalidValue);
    EXPECT_EQ(d->ItemCount(), 0);
}

TEST(Containers, TypedLookupsAndRemoval)
{
    auto d = TPdfDictionary::CreateDictionary(nullptr);
    d->AddNameItem(u"Type", u"Page");
    d->AddItem(u"Flag", TPdfBoolean::CreateBoolean(true));
    d->AddItem(u"Size", TPdfReal::CreateReal(1.5));
    d->AddItem(u"S", TPdfString::CreateString(u"s"));
    d->AddItem(u"T", TPdfText::CreateText(u"t"));
    d->AddItem(u"Arr", TPdfArray::CreateArray(nullptr));
    d->AddItem(u"Sub", TPdfDictionary::CreateDictionary(nullptr));
    EXPECT_EQ(TypeNameOf(*d), u"Page");
    EXPECT_TRUE(d->PdfBooleanByName(u"Flag")->Value());
    EXPECT_DOUBLE_EQ(d->PdfRealByName(u"Size")->Value(), 1.5);
    EXPECT_EQ(d->PdfStringByName(u"S")->Value(), u"s");
    EXPECT_EQ(d->PdfTextByName(u"T")->Value(), u"t");
    EXPECT_NE(d->PdfArrayByName(u"Arr"), nullptr);
    EXPECT_NE(d->PdfDictionaryByName(u"Sub"), nullptr);
    EXPECT_EQ(d->PdfNumberByName(u"Type"), nullptr) << "another kind gives null";
    EXPECT_EQ(d->ValueByName(u"type"), nullptr) << "keys are case-sensitive";
    d->RemoveItem(u"Type");
    d->RemoveItem(u"Absent");
    EXPECT_EQ(TypeNameOf(*d), u"");
    EXPECT_EQ(d->ItemCount(), 6);
}

TEST(Containers, FindAndRemoveNames)
{
    auto a = TPdfArray::CreateArray(nullptr);
    a->AddItem(TPdfNumber::CreateNumber(1));
    a->AddItem(TPdfName::CreateName(u"FlateDecode"));
    a->AddItem(TPdfName::CreateName(u"DCTDecode"));
    EXPECT_EQ(a->FindName(u"DCTDecode")->Value(), u"DCTDecode");
    EXPECT_EQ(a->FindName(u"Missing"), nullptr);
    EXPECT_TRUE(a->RemoveName(u"FlateDecode"));
    EXPECT_FALSE(a->RemoveName(u"FlateDecode"));
    EXPECT_EQ(Written(*a), "[1 /DCTDecode ]");
    EXPECT_THROW(a->GetItems(2), EPdfInvalidValue);
}

TEST(Streams, LengthCountsAllDataAndFlateDecodeIsNeverDeclared)
{
    auto s = TPdfStream::CreateStream(nullptr);
    s->Attributes().PdfArrayByName(u"Filter")->AddItem(TPdfName::CreateName(u"FlateDecode"));
    s->Attributes().PdfArrayByName(u"Filter")->AddItem(TPdfName::CreateName(u"DCTDecode"));
    s->Stream().Write("0123456789");
    s->Stream().Seek(4);
    EXPECT_EQ(Written(*s),
              "<<\r\n/Length 10\r\n/Filter [/DCTDecode ]\r\n>>\r\nstream\r\n0123456789\nendstream");
    // Writing again changes nothing more.
    EXPECT_EQ(Written(*s),
              "<<\r\n/Length 10\r\n/Filter [/DCTDecode ]\r\n>>\r\nstream\r\n0123456789\nendstream");
}

TEST(Streams, WritesBeforeTheEndOrOverSharedBytesCopyOnlyWhatTheyMust)
{
    TPdfMemoryStream out;
    out.Write("0123456789");
    out.Seek(4);
    out.Write("ab");
    out.WriteByte('c');
    EXPECT_EQ(out.Data(), "0123abc789");
    EXPECT_EQ(out.Position(), 7u);
    // Past the old end the stream grows.
    out.Write("defgh");
    EXPECT_EQ(out.Data(), "0123abcdefgh");
    out.WriteByte('!');
    EXPECT_EQ(out.Data(), "0123abcdefgh!");

    // Shared bytes become the stream's own at the first change; their owner keeps its copy.
    auto picture = std::make_shared<const std::string>("JFIF");
    TPdfMemoryStream shared;
    shared.Share(picture);
    shared.Write("", 0);
    EXPECT_EQ(shared.Data().data(), picture->data());
    shared.WriteByte('+');
    shared.Write("++");
    EXPECT_EQ(shared.Data(), "JFIF+++");
    EXPECT_EQ(*picture, "JFIF");
    TPdfMemoryStream front;
    front.Share(picture);
    front.Seek(0);
    front.Write("j");
    EXPECT_EQ(front.Data(), "jFIF");
    EXPECT_EQ(*picture, "JFIF");
}

TEST(PageTree, AppendKidAndPageResource)
{
    TPdfXref xref;
    auto* pages = xref.Add(TPdfDictionary::CreateDictionary(&xref));
    pages->AddNameItem(u"Type", u"Pages");
    pages->AddItem(u"Kids", TPdfArray::CreateArray(&xref));
    pages->AddNumberItem(u"Count", 0);
    auto* page1 = xref.Add(TPdfDictionary::CreateDictionary(&xref));
    auto* page2 = xref.Add(TPdfDictionary::CreateDictionary(&xref));
    AppendKid(*pages, *page1);
    AppendKid(*pages, *page2);
    EXPECT_EQ(Written(*pages->ValueByName(u"Kids")), "[2 0 R 3 0 R ]");
    EXPECT_EQ(pages->PdfNumberByName(u"Count")->Value(), 2);

    EXPECT_EQ(PageResource(*page1, u"Font"), nullptr);
    auto res = TPdfDictionary::CreateDictionary(&xref);
    res->AddItem(u"Font", TPdfDictionary::CreateDictionary(&xref));
    page1->AddItem(u"Resources", std::move(res));
    EXPECT_NE(PageResource(*page1, u"Font"), nullptr);
    EXPECT_EQ(PageResource(*page1, u"XObject"), nullptr);
}

TEST(Errors, ShareOneBaseDerivedFromRuntimeError)
{
    auto throws = [](auto e) {
        try {
            throw e;
        } catch (const EPdfError& base) {
            const std::runtime_error& runtime = base;
            return std::string(runtime.what());
        }
    };
    EXPECT_EQ(throws(EPdfInvalidValue("v")), "v");
    EXPECT_EQ(throws(EPdfInvalidOperation("o")), "o");
    EXPECT_EQ(throws(EPdfInvalidImageFormat("i")), "i");
}

} // namespace
} // namespace kelvora::pdf
