#pragma once
// A driver object offered as the maker's C library. CExport.cpp defines every libfptr_
// function of the C interface over a drv::IDispatch, so any implementation of the late-bound
// driver can be loaded by LibraryDispatch like the maker's libfptr10.so. A shared library built
// this way (velmor_add_fptr_library in CMake) defines makeObject() and exports nothing else.
//
// The values follow the rules of driver/Dispatch.h. A member the object does not have fails
// with -1, and libfptr_error_code then answers 11 ("Не поддерживается в данной версии"):
// a C library has no other way to say so.
#include <memory>

#include "driver/Dispatch.h"

namespace drv::libfptr::exported {

// A new driver object for libfptr_create; null (or an exception) makes libfptr_create fail.
std::unique_ptr<IDispatch> makeObject();

}  // namespace drv::libfptr::exported
