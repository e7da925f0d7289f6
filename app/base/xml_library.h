// libxml2, opened the first time a card's document is decoded rather than with the program:
// nothing before the window needs it.
#pragma once

#include "common/shared_object.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <memory>
#include <string>

namespace kelvora
{

// The parser's functions the decoding calls. decltype only names their types: nothing here
// makes the program itself depend on the library.
struct LibXml {
    decltype(&::xmlNewParserCtxt) newParserCtxt;
    decltype(&::xmlFreeParserCtxt) freeParserCtxt;
    decltype(&::xmlCtxtReadMemory) ctxtReadMemory;
    decltype(&::xmlFreeDoc) freeDoc;
    decltype(&::xmlDocGetRootElement) docGetRootElement;
    decltype(&::xmlStrEqual) strEqual;
    decltype(&::xmlGetDocEntity) getDocEntity;
};

// Opens `file` and binds the table; throws std::runtime_error, in French, when the file or one
// of the functions is missing.
LoadedFunctions<LibXml> loadLibXml(const std::string& file);

// The library by its versioned name, loaded once for the whole process and kept until it ends.
// Throws as loadLibXml does, and tries again at the next call.
const LibXml& libXml();

} // namespace kelvora
