#include "base/xml_library.h"

#include <stdexcept>

namespace kelvora
{

XmlLibrary XmlLibrary::load(const std::string& file)
{
    XmlLibrary library;
    std::string reason;
    library.library_ = SharedObject::open(file, reason);
    if (!library.library_)
        throw std::runtime_error("Bibliothèque XML introuvable : " + file + " (" + reason + ")");
    const SharedObject& so = *library.library_;
    LibXml& f = library.functions_;
    const auto bind = [&](const char* name, auto& slot) {
        if (!so.bind(name, slot))
            throw std::runtime_error(std::string("Fonction ") + name + " absente de " + file);
    };
    bind("xmlNewParserCtxt", f.newParserCtxt);
    bind("xmlFreeParserCtxt", f.freeParserCtxt);
    bind("xmlCtxtReadMemory", f.ctxtReadMemory);
    bind("xmlFreeDoc", f.freeDoc);
    bind("xmlDocGetRootElement", f.docGetRootElement);
    bind("xmlStrEqual", f.strEqual);
    bind("xmlGetDocEntity", f.getDocEntity);
    return library;
}

const LibXml& libXml()
{
    // By its versioned name, as the dynamic linker would have found it for the program.
    static const XmlLibrary library = XmlLibrary::load(KELVORA_LIBXML2_SONAME);
    return library.functions();
}

} // namespace kelvora
