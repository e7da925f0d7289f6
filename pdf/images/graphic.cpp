#include "pdf/images/graphic.h"

#include <fstream>
#include <iterator>

namespace kelvora::pdf
{

std::string ReadPictureFile(const std::string& AFileName)
{
    std::ifstream in(AFileName, std::ios::binary);
    if (!in)
        throw EPictureError("Cannot open file \"" + AFileName + "\"");
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw EPictureError("Cannot read file \"" + AFileName + "\"");
    return bytes;
}

} // namespace kelvora::pdf
