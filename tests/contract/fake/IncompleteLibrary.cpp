// A library with some of the driver's functions only: it reports a version but has no
// libfptr_create nor libfptr_error_description, so no driver object can be made from it.
#define VELMOR_C extern "C" __attribute__((visibility("default")))

VELMOR_C const char* libfptr_get_version_string() {
    return "10.1.0.0";
}

VELMOR_C void libfptr_destroy(void** handle) {
    if (handle) *handle = nullptr;
}

VELMOR_C int libfptr_error_code(void*) {
    return 0;
}
