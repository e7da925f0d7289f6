#include "common/shared_object.h"

#include <dlfcn.h>

namespace kelvora
{

std::unique_ptr<SharedObject> SharedObject::open(const std::string& file, std::string& error,
                                                 bool keepMapped)
{
    void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL | (keepMapped ? RTLD_NODELETE : 0));
    if (handle == nullptr) {
        const char* reason = ::dlerror();
        error = reason != nullptr ? reason : file;
        return nullptr;
    }
    return std::unique_ptr<SharedObject>(new SharedObject(handle));
}

SharedObject::~SharedObject()
{
    ::dlclose(handle_);
}

void* SharedObject::symbol(const char* name) const
{
    return ::dlsym(handle_, name);
}

} // namespace kelvora
