#!/usr/bin/env python3
"""Loads a driver library the way the maker's language wrappers do: every function of the C
interface is bound by name the moment the library is loaded (a missing one is fatal), then a
driver object is made, opened on the first USB register and asked something.

    ctypes_binding_test.py LIBRARY METHODS_TXT DRIVER_LOG

METHODS_TXT is the driver's member list; each operation without arguments is a function of the
form int f(void*). DRIVER_LOG is the file VELMOR_DRIVER_LOG names for the library."""
import ctypes as C
import json
import os
import re
import sys

P, W, I, U, D = C.c_void_p, C.c_wchar_p, C.c_int, C.c_uint, C.c_double
PI = C.POINTER(C.c_int)
BYTES = C.POINTER(C.c_ubyte)

# name -> (result, arguments), as the published interface declares them
SIGNATURES = {
    "libfptr_get_version_string": (C.c_char_p, []),
    "libfptr_create": (I, [C.POINTER(P)]),
    "libfptr_create_with_id": (I, [C.POINTER(P), W]),
    "libfptr_destroy": (None, [C.POINTER(P)]),
    "libfptr_error_code": (I, [P]),
    "libfptr_error_description": (I, [P, W, I]),
    "libfptr_error_recommendation": (I, [P, W, I]),
    "libfptr_reset_error": (None, [P]),
    "libfptr_set_settings": (I, [P, W]),
    "libfptr_get_settings": (I, [P, W, I]),
    "libfptr_set_single_setting": (None, [P, W, W]),
    "libfptr_get_single_setting": (I, [P, W, W, I]),
    "libfptr_is_opened": (I, [P]),
    "libfptr_is_param_available": (I, [P, I]),
    "libfptr_log_write": (I, [W, I, W]),
    "libfptr_log_write_ex": (I, [P, W, I, W]),
    "libfptr_show_properties": (I, [P, I, P]),
    "libfptr_change_label": (I, [P, W]),
    "libfptr_get_param_bool": (I, [P, I]),
    "libfptr_get_param_int": (U, [P, I]),
    "libfptr_get_param_double": (D, [P, I]),
    "libfptr_get_param_str": (I, [P, I, W, I]),
    "libfptr_get_param_datetime": (None, [P, I, PI, PI, PI, PI, PI, PI]),
    "libfptr_get_param_bytearray": (I, [P, I, BYTES, I]),
}
for family in ("set_param", "set_non_printable_param", "set_user_param"):
    for kind, args in (("bool", [I]), ("int", [U]), ("double", [D]), ("str", [W]),
                       ("datetime", [I] * 6), ("bytearray", [BYTES, I])):
        SIGNATURES[f"libfptr_{family}_{kind}"] = (None, [P, I] + args)


def operations(methods_txt):
    """Functions of the operations without arguments: "int openShift()" -> libfptr_open_shift."""
    names = []
    for line in open(methods_txt, encoding="utf-8"):
        m = re.fullmatch(r"int (\w+)\(\)", line.strip())
        if m and m.group(1) != "errorCode":
            names.append("libfptr_" + re.sub(r"([A-Z])", lambda c: "_" + c.group(1).lower(),
                                             m.group(1)))
    return names


def bind(lib, methods_txt):
    missing = []
    for name in list(SIGNATURES) + operations(methods_txt):
        restype, argtypes = SIGNATURES.get(name, (I, [P]))
        try:
            f = getattr(lib, name)
        except AttributeError:
            missing.append(name)
            continue
        f.restype, f.argtypes = restype, argtypes
    if missing:
        sys.exit("FAIL: the library lacks " + ", ".join(missing))
    return len(SIGNATURES) + len(operations(methods_txt))


def text(fill, size=4):
    """A text out, asked again at the size the first call reports (as the wrappers do)."""
    buf = C.create_unicode_buffer(size)
    need = fill(buf, size)
    if need > size:
        buf = C.create_unicode_buffer(need)
        fill(buf, need)
    return buf.value


def check(condition, what):
    if not condition:
        sys.exit("FAIL: " + what)


def main(library, methods_txt, driver_log):
    if os.path.exists(driver_log):
        os.remove(driver_log)  # the library appends to it from its first line on
    lib = C.CDLL(library)
    bound = bind(lib, methods_txt)
    fptr = P()
    check(lib.libfptr_create_with_id(C.byref(fptr), "касса-1") == 0, "create_with_id")

    check(lib.libfptr_set_settings(fptr, '{"Model": 500, "Port": 1}') == 0, "set_settings")
    settings = json.loads(text(lambda b, n: lib.libfptr_get_settings(fptr, b, n)))
    check(settings.get("Port") == 1 and settings.get("Model") == 500, f"get_settings {settings}")
    check(text(lambda b, n: lib.libfptr_get_single_setting(fptr, "Port", b, n), 1) == "1",
          "get_single_setting")
    check(lib.libfptr_open(fptr) == 0, "open the USB register: %d" % lib.libfptr_error_code(fptr))
    check(lib.libfptr_is_opened(fptr) == 1, "is_opened")

    lib.libfptr_set_param_int(fptr, 65587, 0)  # LIBFPTR_PARAM_DATA_TYPE = LIBFPTR_DT_STATUS
    check(lib.libfptr_query_data(fptr) == 0, "query_data")
    model = text(lambda b, n: lib.libfptr_get_param_str(fptr, 65603, b, n))
    check(model == "АТОЛ 30Ф", f"model name {model!r}")
    check(lib.libfptr_is_param_available(fptr, 65603) == 1, "the model name is available")
    check(lib.libfptr_is_param_available(fptr, 65645) == 0, "no JSON answer is available")
    y, mo, d, h, mi, s = (C.c_int() for _ in range(6))
    lib.libfptr_get_param_datetime(fptr, 65590, *(C.byref(v) for v in (y, mo, d, h, mi, s)))
    check(y.value >= 2024, f"register clock year {y.value}")

    lib.libfptr_set_user_param_str(fptr, 1085, "Реквизит")
    check(lib.libfptr_error_code(fptr) == 0, "set_user_param_str")
    check(lib.libfptr_change_label(fptr, "касса-2") == 0, "change_label")
    check(lib.libfptr_log_write_ex(fptr, "POS", 3, "чек пробит") == 0, "log_write_ex")
    check(lib.libfptr_log_write("POS", 1, "без объекта") == 0, "log_write")

    # without a window: "not supported", and the error says so
    check(lib.libfptr_show_properties(fptr, 0, None) == -1, "show_properties answered")
    check(lib.libfptr_error_code(fptr) == 11, "show_properties error")
    lib.libfptr_close(fptr)
    check(lib.libfptr_query_data(fptr) == -1, "query_data after close")
    check(lib.libfptr_error_code(fptr) == 1, "connection disabled")
    hint = text(lambda b, n: lib.libfptr_error_recommendation(fptr, b, n))
    check(hint != "", "a recommendation for a closed connection")
    lib.libfptr_destroy(C.byref(fptr))
    check(not fptr.value, "destroy clears the handle")

    lines = [json.loads(l) for l in open(driver_log, encoding="utf-8")]
    logged = [(l.get("log"), l.get("label"), l.get("text")) for l in lines if "log" in l]
    check(("POS", "касса-2", "чек пробит") in logged, f"log_write_ex line {logged}")
    check(("POS", None, "без объекта") in logged, f"log_write line {logged}")
    print(f"bound {bound} functions; {model}")


if __name__ == "__main__":
    main(*sys.argv[1:4])
