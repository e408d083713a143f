#pragma once
// Text and bytes across the C interface: wchar_t text (UTF-32 on Linux) and output buffers that
// report the size the whole value needs.
#include <QByteArray>
#include <QString>
#include <functional>
#include <string>

namespace drv::libfptr {

// Zero-terminated wide text of `s` (std::wstring keeps the terminator behind c_str()).
std::wstring toWide(const QString& s);
// Text of up to `size` wide characters, ending at the first zero.
QString fromWide(const wchar_t* s, qsizetype size);

// Reads a text out through `fill(buf, size)`, which writes at most `size` characters and
// returns the size the whole text needs. While that is not less than the buffer (so the text
// or its terminator may have been cut), it asks again with a buffer of the reported size plus
// one. A negative answer reads as an empty text.
QString readText(const std::function<int(wchar_t* buf, int size)>& fill, int firstSize = 256);
// The same for bytes: complete once the reported size fits the buffer.
QByteArray readBytes(const std::function<int(unsigned char* buf, int size)>& fill,
                     int firstSize = 256);

// Writes `text` into a caller's buffer of `size` characters the way the C interface does: as
// much as fits with a terminator; returns the size the whole text needs, terminator included.
int writeText(const QString& text, wchar_t* buf, int size);
// Copies as many bytes as fit; returns the number of bytes of the whole value.
int writeBytes(const QByteArray& bytes, unsigned char* buf, int size);

}  // namespace drv::libfptr
