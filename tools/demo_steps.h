// The steps of a demo installation, one function each, run in order by layOutDemo.
// A new part of the demo is one more function here, in a file of its own, called from demo.cpp.
#pragma once

#include "tools/demo.h"

namespace kelvora::admin
{

// The common data folder and the card-reader data folder.
void demoFolders(const DemoLayout& layout);

// A fresh configuration store, replacing any earlier one in a single rename.
void demoStore(const DemoLayout& layout);

// The card-reader configuration naming the demo reader, the stand-in library's scenario (one
// reader, both cards inserted, PIN 1234) with its card documents and dictionary labels.
void demoCardReader(const DemoLayout& layout);

} // namespace kelvora::admin
