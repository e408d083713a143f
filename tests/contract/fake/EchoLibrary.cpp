// The echoing driver object of the tests as a C library (libvelmor-fptr-echo.so).
#include "driver/libfptr/CExport.h"
#include "tests/contract/fake/EchoDispatch.h"

std::unique_ptr<drv::IDispatch> drv::libfptr::exported::makeObject() {
    return std::make_unique<contract::EchoDispatch>();
}
