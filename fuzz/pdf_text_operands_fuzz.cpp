// Text operands of the PDF writer: any UTF-16 text must give one well-formed operand.
#include "pdf/canvas/pdf_canvas.h"
#include "pdf/document/pdf_doc.h"
#include "pdf/objects/pdf_name.h"
#include "pdf/objects/pdf_stream.h"
#include "pdf/objects/pdf_string.h"
#include "pdf/objects/pdf_text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

namespace
{

// A literal string must close exactly at its end: escapes balance every parenthesis.
void CheckLiteral(const std::string& AOperand)
{
    if (AOperand.empty() || AOperand.front() != '(')
        return;
    int depth = 0;
    for (std::size_t i = 0; i < AOperand.size(); ++i) {
        char c = AOperand[i];
        if (c == '\\') {
            ++i;
            continue;
        }
        if (c == '\r' || c == '\n')
            std::abort();
        if (c == '(')
            ++depth;
        if (c == ')' && --depth == 0 && i + 1 != AOperand.size())
            std::abort();
    }
    if (depth != 0)
        std::abort();
}

std::string Written(kelvora::pdf::TPdfObject& AObject)
{
    kelvora::pdf::TPdfMemoryStream out;
    AObject.WriteToStream(out);
    return std::string(out.Data());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* AData, std::size_t ASize)
{
    using namespace kelvora::pdf;
    std::u16string text;
    for (std::size_t i = 0; i + 1 < ASize; i += 2)
        text.push_back(static_cast<char16_t>(AData[i] | (AData[i + 1] << 8)));

    CheckLiteral(Written(*TPdfString::CreateString(text)));
    CheckLiteral(Written(*TPdfText::CreateText(text)));
    std::string name = Written(*TPdfName::CreateName(text));
    for (char c : name.substr(1))
        if (c < 0x21 || c > 0x7E || c == '/' || c == '(' || c == ')')
            std::abort();

    TPdfDoc doc;
    doc.NewDoc();
    doc.AddPage();
    std::string before(doc.Canvas().Contents()->Stream().Data());
    doc.Canvas().ShowText(text);
    std::string op(doc.Canvas().Contents()->Stream().Data().substr(before.size()));
    if (op.size() < 5 || op.compare(op.size() - 4, 4, " Tj\n") != 0)
        std::abort();
    CheckLiteral(op.substr(0, op.size() - 4));
    std::ostringstream out;
    doc.SaveToStream(out);
    return 0;
}
