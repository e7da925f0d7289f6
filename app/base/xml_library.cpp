#include "base/xml_library.h"

#include <stdexcept>

namespace kelvora
{

LoadedFunctions<LibXml> loadLibXml(const std::string& file)
{
    return loadFunctions<std::runtime_error, LibXml>(
        file, "Bibliothèque XML", [](const auto& bind, LibXml& f) {
            bind("xmlNewParserCtxt", f.newParserCtxt);
            bind("xmlFreeParserCtxt", f.freeParserCtxt);
            bind("xmlCtxtReadMemory", f.ctxtReadMemory);
            bind("xmlFreeDoc", f.freeDoc);
            bind("xmlDocGetRootElement", f.docGetRootElement);
            bind("xmlStrEqual", f.strEqual);
            bind("xmlGetDocEntity", f.getDocEntity);
        });
}

const LibXml& libXml()
{
    // By its versioned name, as the dynamic linker would have found it for the program.
    static const LoadedFunctions<LibXml> library = loadLibXml(KELVORA_LIBXML2_SONAME);
    return library.functions;
}

} // namespace kelvora
