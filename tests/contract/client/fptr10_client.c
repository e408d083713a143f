/* A point-of-sale program of the smallest kind, written for the maker's library: linked with
 * -lfptr10, it finds the first USB register through JSON settings, reads its model and serial
 * number and prints them. Exit status 0 only when every step succeeded. */
#include <locale.h>
#include <stdio.h>
#include <wchar.h>

int libfptr_create_with_id(void** handle, const wchar_t* id);
void libfptr_destroy(void** handle);
int libfptr_set_settings(void* handle, const wchar_t* json);
int libfptr_open(void* handle);
int libfptr_close(void* handle);
int libfptr_error_code(void* handle);
void libfptr_set_param_int(void* handle, int id, unsigned int value);
int libfptr_query_data(void* handle);
int libfptr_get_param_str(void* handle, int id, wchar_t* buf, int size);

enum { PARAM_DATA_TYPE = 65587, DT_STATUS = 0, PARAM_MODEL_NAME = 65603, PARAM_SERIAL = 65559 };

int main(void) {
    void* fptr = NULL;
    wchar_t model[128], serial[64];
    setlocale(LC_CTYPE, "C.UTF-8");
    if (libfptr_create_with_id(&fptr, L"kassa-1") != 0) return 1;
    if (libfptr_set_settings(fptr, L"{\"Model\": 500, \"Port\": 1}") != 0 ||
        libfptr_open(fptr) != 0) {
        printf("open failed: %d\n", libfptr_error_code(fptr));
        libfptr_destroy(&fptr);
        return 1;
    }
    libfptr_set_param_int(fptr, PARAM_DATA_TYPE, DT_STATUS);
    if (libfptr_query_data(fptr) != 0) return 1;
    libfptr_get_param_str(fptr, PARAM_MODEL_NAME, model, 128);
    libfptr_get_param_str(fptr, PARAM_SERIAL, serial, 64);
    printf("model=%ls serial=%ls\n", model, serial);
    libfptr_close(fptr);
    libfptr_destroy(&fptr);
    return fptr == NULL ? 0 : 1;
}
