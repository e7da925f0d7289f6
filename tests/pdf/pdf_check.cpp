#include "pdf_check.h"

#include "pdf/canvas/pdf_canvas.h"
#include "pdf/objects/pdf_stream.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace kelvora::pdf::test
{

namespace
{

// A file in the temporary folder, removed when the object goes.
class TTempFile
{
public:
    explicit TTempFile(const std::string& ABytes)
    {
        char name[] = "/tmp/kelvora-pdf-XXXXXX";
        int fd = mkstemp(name);
        if (fd < 0)
            throw std::runtime_error("mkstemp failed");
        close(fd);
        FPath = name;
        std::ofstream out(FPath, std::ios::binary);
        out.write(ABytes.data(), static_cast<std::streamsize>(ABytes.size()));
    }
    ~TTempFile() { std::remove(FPath.c_str()); }
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;
    const std::string& Path() const { return FPath; }

private:
    std::string FPath;
};

struct TPipeCloser {
    void operator()(FILE* f) const { pclose(f); }
};

// Runs a shell command; returns its exit code and what it printed.
int Run(const std::string& ACommand, std::string& AOutput)
{
    FILE* raw = popen((ACommand + " 2>&1").c_str(), "r");
    if (raw == nullptr)
        return -1;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, raw)) > 0)
        AOutput.append(buf, n);
    int status = pclose(raw);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

std::string SaveToBytes(TPdfDoc& ADoc)
{
    std::ostringstream out;
    ADoc.SaveToStream(out);
    return out.str();
}

std::string MaskDates(std::string ABytes)
{
    std::size_t at = 0;
    while ((at = ABytes.find("(D:", at)) != std::string::npos) {
        for (std::size_t i = at + 3; i < at + 17 && i < ABytes.size(); ++i)
            ABytes[i] = '0';
        at += 3;
    }
    return ABytes;
}

::testing::AssertionResult PassesQpdfCheck(const std::string& ABytes)
{
    TTempFile file(ABytes);
    std::string output;
    int code = Run("qpdf --check '" + file.Path() + "'", output);
    if (code != 0)
        return ::testing::AssertionFailure() << "qpdf --check exit " << code << ":\n" << output;
    return ::testing::AssertionSuccess();
}

namespace
{

// What a poppler tool prints for the file of the bytes (its path goes in place of "%"), or a
// marker of its failure.
std::string PopplerOutput(const std::string& ACommand, const std::string& ABytes)
{
    TTempFile file(ABytes);
    std::string command = ACommand;
    command.replace(command.find('%'), 1, "'" + file.Path() + "'");
    std::string output;
    int code = Run(command, output);
    if (code != 0)
        return "<" + ACommand + " failed with " + std::to_string(code) + ">";
    return output;
}

} // namespace

std::string PdfToText(const std::string& ABytes)
{
    return PopplerOutput("pdftotext -q -enc UTF-8 % -", ABytes);
}

std::string PdfInfo(const std::string& ABytes)
{
    return PopplerOutput("pdfinfo -enc UTF-8 %", ABytes);
}

::testing::AssertionResult IsReadablePdf(const std::string& ABytes,
                                         const std::vector<std::string>& AExpectedTexts)
{
    if (auto check = PassesQpdfCheck(ABytes); !check)
        return check;
    std::string text = PdfToText(ABytes);
    for (const auto& expected : AExpectedTexts) {
        if (text.find(expected) == std::string::npos)
            return ::testing::AssertionFailure() << "pdftotext lacks \"" << expected << "\" in:\n"
                                                 << text;
    }
    return ::testing::AssertionSuccess();
}

std::optional<TRgb> RenderedPixel(const std::string& ABytes, double AFx, double AFy)
{
    TTempFile file(ABytes);
    const std::string image = file.Path() + "-page";
    std::string output;
    if (Run("pdftoppm -r 20 -singlefile '" + file.Path() + "' '" + image + "'", output) != 0)
        return std::nullopt;
    std::ifstream in(image + ".ppm", std::ios::binary);
    std::string magic;
    int width = 0;
    int height = 0;
    int max = 0;
    in >> magic >> width >> height >> max;
    in.get();
    std::string pixels((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove((image + ".ppm").c_str());
    const auto at = (static_cast<std::size_t>(AFy * height) * static_cast<std::size_t>(width) +
                     static_cast<std::size_t>(AFx * width)) *
                    3;
    if (magic != "P6" || max != 255 || at + 3 > pixels.size())
        return std::nullopt;
    const auto c = [&](std::size_t i) { return static_cast<unsigned char>(pixels[at + i]); };
    return TRgb{c(0), c(1), c(2)};
}

std::string MadeByImageMagick(const std::string& AArguments, const std::string& AExtension)
{
    TTempFile file("");
    const std::string path = file.Path() + AExtension;
    std::string output;
    if (Run("convert " + AArguments + " '" + path + "'", output) != 0)
        return {};
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(path.c_str());
    return bytes;
}

std::string FixturePath(const std::string& AName)
{
    return std::string(KELVORA_FIXTURES) + "/" + AName;
}

std::string ReadFixture(const std::string& AName)
{
    std::ifstream in(FixturePath(AName), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string ContentsOf(const TPdfDoc& ADoc)
{
    return std::string(ADoc.Canvas().Contents()->Stream().Data());
}

TFailingStreamBuf::int_type TFailingStreamBuf::overflow(int_type ACh)
{
    if (traits_type::eq_int_type(ACh, traits_type::eof()))
        return traits_type::not_eof(ACh);
    char c = traits_type::to_char_type(ACh);
    return xsputn(&c, 1) == 1 ? ACh : traits_type::eof();
}

std::streamsize TFailingStreamBuf::xsputn(const char* AData, std::streamsize ACount)
{
    std::size_t room = FLimit > FWritten.size() ? FLimit - FWritten.size() : 0;
    std::size_t n = std::min(room, static_cast<std::size_t>(ACount));
    FWritten.append(AData, n);
    return static_cast<std::streamsize>(n);
}

TFailingStreamBuf::pos_type TFailingStreamBuf::seekoff(off_type AOff, std::ios_base::seekdir ADir,
                                                       std::ios_base::openmode AMode)
{
    if (ADir == std::ios_base::beg)
        return seekpos(AOff, AMode);
    return pos_type(off_type(-1));
}

TFailingStreamBuf::pos_type TFailingStreamBuf::seekpos(pos_type APos, std::ios_base::openmode)
{
    if (APos != pos_type(0))
        return pos_type(off_type(-1));
    FWritten.clear();
    return APos;
}

std::string CaseName(std::u16string_view AText)
{
    std::string name;
    for (const char16_t c : AText) {
        if (c == u' ')
            name += '_';
        else if (c > u' ' && c < 0x7F)
            name += static_cast<char>(c);
        else {
            char code[8];
            std::snprintf(code, sizeof code, "U+%04X", unsigned(c));
            name += code;
        }
    }
    return name.empty() ? std::string("empty") : name;
}

} // namespace kelvora::pdf::test
