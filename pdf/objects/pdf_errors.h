// The exceptions the writer raises, one class per kind of error.
#pragma once

#include <stdexcept>
#include <string>

namespace kelvora::pdf
{

// Every error the writer raises; catching this catches them all.
class EPdfError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class EPdfInvalidValue : public EPdfError
{
public:
    using EPdfError::EPdfError;
};

class EPdfInvalidOperation : public EPdfError
{
public:
    using EPdfError::EPdfError;
};

class EPdfInvalidImageFormat : public EPdfError
{
public:
    using EPdfError::EPdfError;
};

// A font or image-creator name that no class is registered under.
class EPdfClassNotFound : public EPdfError
{
public:
    using EPdfError::EPdfError;
};

// A text that does not have the form of a PDF date.
class EPdfConvertError : public EPdfError
{
public:
    using EPdfError::EPdfError;
};

// The output stream refused the bytes of a save.
class EPdfWriteError : public EPdfError
{
public:
    using EPdfError::EPdfError;
};

} // namespace kelvora::pdf
