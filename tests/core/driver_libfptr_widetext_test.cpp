// Wide text and output buffers across the C interface.
#include <gtest/gtest.h>

#include <vector>

#include "driver/libfptr/WideText.h"

namespace {

using namespace drv::libfptr;

// A C function that hands `text` out: `withTerminator` says whether the size it reports counts
// the terminating zero.
struct Source {
    QString text;
    bool withTerminator = true;
    int calls = 0;
    int operator()(wchar_t* buf, int size) {
        ++calls;
        const std::wstring w = toWide(text);
        const int n = std::min(int(w.size()), size);  // may fill the buffer without a zero
        for (int i = 0; i < n; ++i) buf[i] = w[size_t(i)];
        if (n < size) buf[n] = L'\0';
        return int(w.size()) + (withTerminator ? 1 : 0);
    }
};

TEST(LibfptrWideText, TextsOfEverySizeAroundTheBuffer) {
    for (bool terminator : {true, false})
        for (int len : {0, 1, 254, 255, 256, 257, 1000, 70000}) {
            Source s{QString(len, QChar(u'ж')), terminator};
            EXPECT_EQ(readText(std::ref(s)), s.text) << len << " " << terminator;
            EXPECT_LE(s.calls, 2);
        }
}

TEST(LibfptrWideText, CharactersBeyondTheBasicPlane) {
    const QString text = QStringLiteral("Чек 🧾 𝄞 ok");
    const std::wstring w = toWide(text);
    EXPECT_EQ(w.size(), size_t(text.size() - 2));  // one wchar_t per code point
    EXPECT_EQ(fromWide(w.c_str(), qsizetype(w.size()) + 1), text);
    Source s{text};
    EXPECT_EQ(readText(std::ref(s), 4), text);
}

TEST(LibfptrWideText, ALibraryThatKeepsAskingForMoreIsNotFollowedForever) {
    int calls = 0;
    const QString got = readText([&](wchar_t* buf, int size) {
        ++calls;
        for (int i = 0; i < size; ++i) buf[i] = L'x';
        return size * 2;
    });
    EXPECT_EQ(calls, 4);
    EXPECT_FALSE(got.isEmpty());
    EXPECT_TRUE(got.count('x') == got.size());
    EXPECT_EQ(readText([](wchar_t*, int) { return -1; }), QString());
}

TEST(LibfptrWideText, WritingIntoACallersBuffer) {
    std::vector<wchar_t> buf(4, L'?');
    EXPECT_EQ(writeText(QStringLiteral("абвгд"), buf.data(), 4), 6);
    EXPECT_EQ(fromWide(buf.data(), 4), QStringLiteral("абв"));  // cut, with its terminator
    EXPECT_EQ(writeText(QStringLiteral("абвгд"), nullptr, 0), 6);
    EXPECT_EQ(writeText(QString(), buf.data(), 4), 1);
    EXPECT_EQ(buf[0], L'\0');
}

TEST(LibfptrWideText, Bytes) {
    const QByteArray value("\0\x01\xff\x80zz", 6);
    EXPECT_EQ(
        readBytes([&](unsigned char* buf, int size) { return writeBytes(value, buf, size); }, 2),
        value);
    EXPECT_EQ(readBytes([](unsigned char*, int) { return 0; }), QByteArray());
    unsigned char small[3] = {0, 0, 0};
    EXPECT_EQ(writeBytes(value, small, 3), 6);
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(small), 3), value.left(3));
}

}  // namespace
