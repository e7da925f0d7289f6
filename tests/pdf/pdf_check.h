#pragma once

#include "pdf/document/pdf_doc.h"

#include <cstddef>
#include <gtest/gtest.h>
#include <optional>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora::pdf::test
{

// UTF-16 text as a case's name in a test's name: printable ASCII kept, a space as '_', any
// other code unit as U+XXXX, so that ctest lists the case and not its bytes.
std::string CaseName(std::u16string_view AText);

// Saves a document into memory.
std::string SaveToBytes(TPdfDoc& ADoc);

// Replaces the 14 digits after every "(D:" with zeros so files of different times compare.
std::string MaskDates(std::string ABytes);

// Runs qpdf --check on the bytes (through a temporary file); success when it reports no fault.
::testing::AssertionResult PassesQpdfCheck(const std::string& ABytes);
// The text pdftotext extracts from the bytes, in UTF-8.
std::string PdfToText(const std::string& ABytes);
// What pdfinfo reads from the bytes (the information dictionary), in UTF-8.
std::string PdfInfo(const std::string& ABytes);
// qpdf --check passes and pdftotext finds every expected UTF-8 snippet.
::testing::AssertionResult IsReadablePdf(const std::string& ABytes,
                                         const std::vector<std::string>& AExpectedTexts = {});

struct TRgb {
    int R = 0;
    int G = 0;
    int B = 0;
};
// The colour pdftoppm renders on page 1 at the fractions AFx, AFy of its width and height
// (from the top left); nothing when it cannot render.
std::optional<TRgb> RenderedPixel(const std::string& ABytes, double AFx, double AFy);

// The bytes of a picture ImageMagick's convert makes from AArguments, written with the
// extension that chooses the format (".jpg"); empty when convert fails.
std::string MadeByImageMagick(const std::string& AArguments, const std::string& AExtension);

std::string ReadFixture(const std::string& AName);
std::string FixturePath(const std::string& AName);

// The content stream of the canvas's current page.
std::string ContentsOf(const TPdfDoc& ADoc);

// An output buffer that accepts ALimit bytes and then refuses everything.
class TFailingStreamBuf : public std::streambuf
{
public:
    explicit TFailingStreamBuf(std::size_t ALimit) : FLimit(ALimit) {}
    const std::string& Written() const { return FWritten; }

protected:
    int_type overflow(int_type ACh) override;
    std::streamsize xsputn(const char* AData, std::streamsize ACount) override;
    pos_type seekoff(off_type AOff, std::ios_base::seekdir ADir,
                     std::ios_base::openmode AMode) override;
    pos_type seekpos(pos_type APos, std::ios_base::openmode AMode) override;

private:
    std::size_t FLimit;
    std::string FWritten;
};

} // namespace kelvora::pdf::test
