// Errors raised by the configuration store. Their messages are French, ready for support.
#pragma once

#include <stdexcept>

namespace kelvora::store
{

class StoreError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The file is missing, unreadable, not a store, or the password is wrong.
class OpenError : public StoreError
{
public:
    using StoreError::StoreError;
};

// A statement could not be prepared or run (syntax, missing table, closed connection...).
class StatementError : public StoreError
{
public:
    using StoreError::StoreError;
};

// The store answered, but a value it holds is not what the installation should have put there.
class DataError : public StoreError
{
public:
    using StoreError::StoreError;
};

} // namespace kelvora::store
